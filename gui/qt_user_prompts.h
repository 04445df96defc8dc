// The prompts of the desktop program: message boxes, pickers, the desktop's openers.
#pragma once

#include "core/prompts/user_prompts.h"

class QWidget;

class TQtUserPrompts : public TUserPrompts {
public:
    explicit TQtUserPrompts(QWidget* owner = nullptr) : m_owner(owner) {}
    // The window message boxes and pickers are parented to and centred on.
    void SetOwner(QWidget* owner) { m_owner = owner; }

    void ShowMessage(const QString& caption, const QString& text, PromptIcon icon) override;
    void ShowMessageWithCopy(const QString& caption, const QString& text, PromptIcon icon,
                             const QString& copyText) override;
    bool AskYesNo(const QString& caption, const QString& text, PromptIcon icon) override;
    QString BrowseForFolder() override;
    QStringList OpenFiles(const QString& title, const QString& filter) override;
    QString OpenFile(const QString& title, const QString& filter) override;
    QString SaveFile(const QString& title, const QString& filter, const QString& defaultSuffix) override;
    TOverwriteAnswer AskOverwrite(const QString& fileName) override;
    void ShowBatchSummary(const TBatchSummary& summary) override;
    void NotifyDesktop(const QString& title, const QString& text) override;

    // "Text|*.a;*.b|All|*.*" -> "Text (*.a *.b);;All (*.*)"
    static QString QtFilter(const QString& pairs);

protected:
    bool ShellOpenUrl(const QString& url) override;
    bool ShellOpenLocalPath(const QString& path) override;

private:
    QWidget* m_owner;
};
