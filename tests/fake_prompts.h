// A recording stand-in for every prompt: answers are told before the code asks.
#pragma once

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
    void OpenUrl(const QString& url) override { openedUrls.append(url); }
    void OpenLocalPath(const QString& path) override { openedPaths.append(path); }
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
    QStringList openedUrls;
    QStringList openedPaths;
    QStringList overwriteQuestions;
    QStringList fileDialogs;
    QStringList openFilesAnswer;
    QString openFileAnswer;
    QString saveFileAnswer;
    std::deque<TOverwriteAnswer> overwriteAnswers;
};
