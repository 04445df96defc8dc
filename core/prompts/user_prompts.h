// Every message box, question, picker and shell opening goes through this interface,
// so that the core needs no widgets and tests answer prompts without a modal window.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

struct TBatchSummary;

enum class PromptIcon { None, Information, Warning, Error, Question };
// The answer of the overwrite prompt; oaNone when it was closed without a button.
enum TOverwriteAnswer : uint8_t { oaNone = 0, oaYes = 1, oaNo = 2, oaYesAll = 3, oaNoAll = 4 };

class TUserPrompts {
public:
    virtual ~TUserPrompts() = default;

    // A modal message with one OK button.
    virtual void ShowMessage(const QString& caption, const QString& text, PromptIcon icon) = 0;
    // A modal message that also offers to put copyText on the clipboard ("Copy" beside "OK").
    virtual void ShowMessageWithCopy(const QString& caption, const QString& text, PromptIcon icon,
                                     const QString& copyText) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& caption, const QString& text, PromptIcon icon) = 0;
    // The folder picker titled "Please specify a directory"; empty text when cancelled.
    virtual QString BrowseForFolder() = 0;
    // Hands a web address to the user's browser and returns at once. When no browser could be
    // started, says so with the address, offers to copy it, and returns false.
    bool OpenUrl(const QString& url);
    // Opens a file or folder in the program the desktop associates with it. When nothing could
    // open it, says so with the path, offers to copy it, and returns false.
    bool OpenLocalPath(const QString& path);
    // File dialogs. filter: "description|patterns|description|patterns..." pairs.
    // Empty results when cancelled.
    virtual QStringList OpenFiles(const QString& title, const QString& filter) = 0;
    virtual QString OpenFile(const QString& title, const QString& filter) = 0;
    virtual QString SaveFile(const QString& title, const QString& filter, const QString& defaultSuffix) = 0;
    // The overwrite prompt for an existing output file; oaNone when it was closed without a button.
    virtual TOverwriteAnswer AskOverwrite(const QString& fileName) = 0;

    // The summary at the end of a batch that was not stopped: its counts and the files that
    // failed, were skipped or got new names, with a way to open summary.OutputFolder when it
    // names one and a failed file's log.
    virtual void ShowBatchSummary(const TBatchSummary& summary) = 0;
    // A desktop notification, for a user who is in another program's window at the time: sent
    // only while none of this program's windows is the active one, and nothing at all where the
    // desktop has no notification service.
    virtual void NotifyDesktop(const QString& title, const QString& text)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
    }

protected:
    // The desktop's openers, saying nothing themselves; false when nothing took the address or path.
    virtual bool ShellOpenUrl(const QString& url) = 0;
    virtual bool ShellOpenLocalPath(const QString& path) = 0;
};
