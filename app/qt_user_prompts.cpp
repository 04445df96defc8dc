#include "app/qt_user_prompts.h"

#include "conversion/overwrite_prompt.h"

#include <QDesktopServices>
#include <QFileDialog>
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

TOverwriteAnswer TQtUserPrompts::AskOverwrite(const QString& fileName)
{
    TOverwriteFilePromt prompt(m_owner);
    prompt.FileName = fileName;
    prompt.exec();
    return prompt.Answer;
}
