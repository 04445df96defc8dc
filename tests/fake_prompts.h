// A recording stand-in for every prompt: answers are told before the code asks.
#pragma once

#include "core/conversion/file_status.h"
#include "core/prompts/user_prompts.h"

#include <QList>
#include <QStringList>

#include <deque>

class FakePrompts : public TUserPrompts {
public:
    struct Message {
        QString caption;
        QString text;
        PromptIcon icon;
    };

    void ShowMessage(const QString& caption, const QString& text, PromptIcon icon) override
    {
        messages.append({caption, text, icon});
    }
    void ShowMessageWithCopy(const QString& caption, const QString& text, PromptIcon icon,
                             const QString& copyText) override
    {
        messages.append({caption, text, icon});
        copyOffers.append(copyText);
        if (copyAnswer)
            clipboard = copyText;
    }
    bool AskYesNo(const QString& caption, const QString& text, PromptIcon icon) override
    {
        questions.append({caption, text, icon});
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    QString BrowseForFolder() override
    {
        ++folderRequests;
        return folderAnswer;
    }
    bool ShellOpenUrl(const QString& url) override
    {
        openedUrls.append(url);
        return openSucceeds;
    }
    bool ShellOpenLocalPath(const QString& path) override
    {
        openedPaths.append(path);
        return openSucceeds;
    }
    QStringList OpenFiles(const QString& title, const QString& filter) override
    {
        fileDialogs.append(title + QLatin1Char('|') + filter);
        return openFilesAnswer;
    }
    QString OpenFile(const QString& title, const QString& filter) override
    {
        fileDialogs.append(title + QLatin1Char('|') + filter);
        return openFileAnswer;
    }
    QString SaveFile(const QString& title, const QString& filter, const QString&) override
    {
        fileDialogs.append(title + QLatin1Char('|') + filter);
        return saveFileAnswer;
    }
    TOverwriteAnswer AskOverwrite(const QString& fileName) override
    {
        overwriteQuestions.append(fileName);
        if (overwriteAnswers.empty())
            return oaNone;
        const TOverwriteAnswer answer = overwriteAnswers.front();
        overwriteAnswers.pop_front();
        return answer;
    }

    void ShowBatchSummary(const TBatchSummary& summary) override { summaries.append(summary); }
    void NotifyDesktop(const QString& title, const QString& text) override
    {
        notifications.append(title + QLatin1Char('|') + text);
    }

    QList<Message> messages;
    QList<TBatchSummary> summaries;
    QStringList notifications;
    QList<Message> questions;
    std::deque<bool> yesNoAnswers;
    QString folderAnswer;
    int folderRequests = 0;
    // Every address and path handed to the desktop, whether or not it opened.
    QStringList openedUrls;
    QStringList openedPaths;
    bool openSucceeds = true;
    // What the messages offered to copy, whether the user chooses "Copy", and what was copied.
    QStringList copyOffers;
    bool copyAnswer = false;
    QString clipboard;
    QStringList overwriteQuestions;
    QStringList fileDialogs;
    QStringList openFilesAnswer;
    QString openFileAnswer;
    QString saveFileAnswer;
    std::deque<TOverwriteAnswer> overwriteAnswers;
};
