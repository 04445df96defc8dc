#include "core/prompts/user_prompts.h"

#include <QFileInfo>

bool TUserPrompts::OpenUrl(const QString& url)
{
    if (ShellOpenUrl(url))
        return true;
    ShowMessageWithCopy(QStringLiteral("Warning"), QStringLiteral("No web browser could open this address: ") + url,
                        PromptIcon::Warning, url);
    return false;
}

bool TUserPrompts::OpenLocalPath(const QString& path)
{
    if (ShellOpenLocalPath(path))
        return true;
    const QString text = QFileInfo(path).isDir() ? QStringLiteral("The folder could not be opened: ")
                                                 : QStringLiteral("The file could not be opened: ");
    ShowMessageWithCopy(QStringLiteral("Warning"), text + path, PromptIcon::Warning, path);
    return false;
}
