// What kovirta-cli shows while a batch runs. On a terminal, a line for each running file (bar,
// percent, speed, time left) and a total line, redrawn in place, with a lasting line for each file
// that ends; elsewhere one plain line per event; with --json one JSON object per event. It also
// answers the batch driver's prompts: the overwrite question on the terminal, the summary.
#pragma once

#include "core/conversion/batch_conversion.h"
#include "core/prompts/user_prompts.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTextStream>

#include <functional>

class TCliProgress : public TProgressView, public TUserPrompts {
public:
    enum class Mode { Terminal, Plain, Json };

    // out: where the display goes. durationsTenths: each listed file's running time, for its
    // speed. readAnswer: one line typed on the terminal, for the overwrite question.
    TCliProgress(Mode mode, QTextStream& out, QList<qint32> durationsTenths, std::function<QString()> readAnswer);
    // Where the overwrite question goes unless the display is the terminal, and the messages of a
    // JSON display (standard error): the event stream holds nothing but events.
    void SetMessageStream(QTextStream& messages) { m_messages = &messages; }

    // TProgressView: the per-file statuses and the total bar; the window's single-file labels
    // have no place here.
    void ShowFileName(const QString&) override {}
    void ShowCurrentConversing(const QString&) override {}
    void ShowFileProgress(int) override {}
    void ShowTotalProgress(int position) override;
    void ShowTotalLabel(const QString&) override {}
    void ShowElapsedLabel(const QString&) override {}
    void ShowEstimatedLabel(const QString&) override {}
    void ShowFileStatus(int index, const TFileStatus& status) override;
    void HideView() override;

    // TUserPrompts: nothing opens a window or a folder here.
    void ShowMessage(const QString& caption, const QString& text, PromptIcon icon) override;
    void ShowMessageWithCopy(const QString& caption, const QString& text, PromptIcon icon, const QString&) override
    {
        ShowMessage(caption, text, icon);
    }
    bool AskYesNo(const QString&, const QString&, PromptIcon) override { return false; }
    QString BrowseForFolder() override { return {}; }
    QStringList OpenFiles(const QString&, const QString&) override { return {}; }
    QString OpenFile(const QString&, const QString&) override { return {}; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
    TOverwriteAnswer AskOverwrite(const QString& fileName) override;
    void ShowBatchSummary(const TBatchSummary& summary) override;

    // "1:05" or "1:02:03".
    static QString ClockText(qint64 seconds);

protected:
    bool ShellOpenUrl(const QString&) override { return false; }
    // The command line opens no file manager: the events and the summary name where the
    // outputs went, and nothing failed that needs a warning.
    bool ShellOpenLocalPath(const QString&) override { return true; }

private:
    struct TRunning {
        QString Name;
        qint32 Percent = 0;
        QElapsedTimer Clock;
    };
    void Event(const QString& kind, int index, const TFileStatus& status);
    void Line(const QString& text); // a lasting line
    void Redraw(bool force);
    QString RunningLine(int index, const TRunning& running) const;
    QString TotalLine() const;

    Mode m_mode;
    QTextStream& m_out;
    QTextStream* m_messages = nullptr;
    QList<qint32> m_durations;
    std::function<QString()> m_readAnswer;
    QHash<int, TRunning> m_running;
    QList<int> m_order; // running files in the order they started
    QHash<int, qint32> m_shownPercent;
    int m_ended = 0;
    int m_total = 0;
    qint32 m_totalPercent = 0;
    QElapsedTimer m_batchClock;
    QElapsedTimer m_sinceRedraw;
    int m_liveLines = 0; // lines of the redrawn block now on the terminal
};
