#include "gui/qt_user_prompts.h"

#include "gui/batch_summary_form.h"
#include "gui/desktop_notification.h"
#include "gui/overwrite_prompt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
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

// Whether the desktop took the address or path. Where xdg-open is the opener, its exit status
// tells: it ends at once with a failure status when nothing can open the target, and ends well or
// keeps running (waiting on the program it started) when something did.
bool openWithDesktop(const QUrl& url)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        constexpr int kAnswerMs = 1000;
        auto* process = new QProcess;
        process->setProgram(opener);
        process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted(kAnswerMs)) {
            delete process;
            return false;
        }
        if (process->waitForFinished(kAnswerMs)) {
            const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
            delete process;
            return opened;
        }
        // Left to run with the program it started; it is released when it ends.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
#endif
    return QDesktopServices::openUrl(url);
}

} // namespace

void TQtUserPrompts::ShowMessage(const QString& caption, const QString& text, PromptIcon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, m_owner);
    box.exec();
}

void TQtUserPrompts::ShowMessageWithCopy(const QString& caption, const QString& text, PromptIcon icon,
                                         const QString& copyText)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, m_owner);
    QPushButton* copy = box.addButton(QStringLiteral("Copy"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok); // Escape or the title bar's close button copy nothing
    box.exec();
    if (box.clickedButton() == copy)
        QGuiApplication::clipboard()->setText(copyText);
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

bool TQtUserPrompts::ShellOpenUrl(const QString& url)
{
    return openWithDesktop(QUrl(url));
}

bool TQtUserPrompts::ShellOpenLocalPath(const QString& path)
{
    return openWithDesktop(QUrl::fromLocalFile(path));
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
