#include "gui/qt_user_prompts.h"

#include "gui/batch_summary_form.h"
#include "gui/desktop_notification.h"
#include "gui/overwrite_prompt.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void TQtUserPrompts::ShowMessage(const QString& caption, const QString& text, PromptIcon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool TQtUserPrompts::AskYesNo(const QString& caption, const QString& text, PromptIcon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    return box.exec() == QMessageBox::Yes;
}

QString TQtUserPrompts::BrowseForFolder()
{
    return QFileDialog::getExistingDirectory(m_owner, QStringLiteral("Please specify a directory"));
}

void TQtUserPrompts::OpenUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void TQtUserPrompts::OpenLocalPath(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString TQtUserPrompts::QtFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(parts[i].trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

QStringList TQtUserPrompts::OpenFiles(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_owner, title, QString(), QtFilter(filter));
}

QString TQtUserPrompts::OpenFile(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_owner, title, QString(), QtFilter(filter));
}

QString TQtUserPrompts::SaveFile(const QString& title, const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(m_owner, title, QString(), QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix.startsWith(QLatin1Char('.')) ? defaultSuffix.mid(1) : defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

TOverwriteAnswer TQtUserPrompts::AskOverwrite(const QString& fileName)
{
    TOverwriteFilePromt prompt(m_owner);
    prompt.FileName = fileName;
    prompt.exec();
    return prompt.Answer;
}

void TQtUserPrompts::ShowBatchSummary(const TBatchSummary& summary)
{
    TBatchSummaryFrm form(summary, *this, m_owner);
    form.exec();
}

void TQtUserPrompts::NotifyDesktop(const QString& title, const QString& text)
{
    // Only for a user who is in another program: one looking at ours sees the summary.
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        SendDesktopNotification(title, text);
}
