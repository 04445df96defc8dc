// One conversion batch: every listed file in order through the encoder, with the overwrite
// decision, progress, elapsed and estimated time, Pause and Stop, time stamps and source deletion,
// a status for each listed file, a log of each encoder run and a summary at the end.
// Driven by the event loop of the thread that starts it: Start returns at once, the encoders run as
// child processes watched by the loop, and finished says when the batch has ended.
#pragma once

#include "core/conversion/conversion_request.h"
#include "core/conversion/encoder_run.h"
#include "core/conversion/file_status.h"
#include "core/conversion/output_plan.h"
#include "core/media/file_info.h"
#include "core/media/source_identity.h"

#include <QObject>
#include <QTimer>

#include <list>

class TUserPrompts;

// What a batch converts, and how.
struct TBatchRequest {
    TConversionRequest Parameters;
    TFileInfoArray Files; // one record per listed file
    // How many encoders may run at once. Files are still taken up (checked, asked about, started)
    // in list order, and every output is named before the first starts, so the outputs and the
    // statuses are those of one job at a time. The window runs one; its single file bar and its
    // clocks follow whichever file reported last.
    int Jobs = 1;
    QString LogFolder; // where each run's log is written; the user's log folder when empty
};

class TBatchConversion : public QObject {
    Q_OBJECT
public:
    TBatchConversion(const QString& programDir, TUserPrompts& prompts, QObject* parent = nullptr);
    // Encoders still running are ended; no signal comes from a batch going away.
    ~TBatchConversion() override;

    // Begins the batch and returns; the questions about existing outputs are asked as their files
    // are taken up. A batch that runs to its end shows its summary (and notifies a user who is
    // elsewhere), then says finished.
    void Start(const TBatchRequest& request);
    // The running encoders are ended and waited for, no further file is started, and the batch
    // ends (stopped) at once or, while a question waits for its answer, once it is answered.
    void Stop();
    // Holds the running encoders (and any about to start) where they are, and the elapsed time and
    // estimate clocks with them; Resume lets them go on. Stop ends a held batch as any other.
    void Pause();
    void Resume();

    bool Running() const { return m_running; }
    bool Paused() const { return m_paused; }
    bool Stopped() const { return m_stopped; }
    bool ClocksRunning() const { return m_elapsedTimer.isActive() || m_estimateTimer.isActive(); }
    qint32 ElapsedSeconds() const { return m_elapsedSeconds; }
    qint32 EstimateTicks() const { return m_estimateTicks; }
    // One status for each listed file, in list order, from the start of the batch.
    const QList<TFileStatus>& Statuses() const { return m_statuses; }
    int ConvertedCount() const { return m_convertedCount; } // encoder runs started
    int SucceededCount() const { return m_succeededCount; } // runs that ended with a complete output

signals:
    // A file's encoder run begins: its name, and "Files 2 of 5".
    void fileStarted(const QString& fileName, const QString& countText);
    void fileProgressChanged(int position);         // the current file's bar
    void totalProgressChanged(int position);        // the batch's bar
    void totalTextChanged(const QString& text);     // "Total: 45%"
    void elapsedTextChanged(const QString& text);   // "Time Elapsed: 0:12"
    void estimatedTextChanged(const QString& text); // "Estimated Time: 1:30"
    // The status of the listed file at index (its row in the list) has changed.
    void fileStatusChanged(int index, const TFileStatus& status);
    // The batch's progress is over: before the summary of a finished batch, or stopped.
    void progressOver();
    // The batch has ended, after its summary when it ran to its end.
    void finished(bool stopped);

private:
    // One encoder run: its file and its process.
    struct TRun {
        int Index = 0;
        QString Source;
        QString Output;
        TFileIdentity SourceIdentity; // the source as it was when its encoder started
        qint32 Duration = 0;          // the file's running time in tenths
        qint32 Share = 0;             // the file's part of the total bar so far
        bool Following = true;        // false once the file's bar stands at 100
        TEncoderRun* Process = nullptr;
    };

    void TakeUpFiles();
    void TakeUpFile(int index);
    // The output of the file at index, or empty when the file is skipped (its status says why).
    QString DecideOutput(int index, QString output);
    void StartRun(int index, const QString& output);
    // A run whose progress and end come to this batch.
    TEncoderRun* NewEncoderRun();
    // Works out the encoder's command line for the run's file and starts it; a file whose values
    // do not make one fails without an encoder.
    void LaunchEncoder(TRun& run, const TFileInfo& info);
    void ReadProgress(TRun& run, const TChunkTime& time);
    void EndRun(TEncoderRun* process, const TRunOutcome& outcome);
    void AfterConversion(const TRun& run, const TRunOutcome& outcome);
    void EndIfDone();
    void StopRuns();
    // Moves the file's share of the total bar; the bar's position after it, or -1 when it does not move.
    qint32 MoveTotal(TRun& run, qint32 share);
    void StartStatuses(const QStringList& sources);
    void SetStatus(int index, TFileState state, const QString& reason = {}, const QString& detail = {});
    void ShowFileProgress(int index, qint32 position);
    void StopStatuses();
    void EndOfBatch();
    // Whether output is not the name the batch's settings give source by themselves.
    bool IsRenamed(const QString& source, const QString& output) const;
    // The clocks run while they are wanted and the batch is not held.
    void SetElapsedClock(bool wanted);
    void SetEstimateClock(bool wanted);
    void ApplyClocks();

    QString m_programDir;
    TUserPrompts& m_prompts;
    TBatchRequest m_request;
    QStringList m_plannedOutputs; // PlanOutputFiles for the files, made when the batch starts
    TFileNameSet m_reserved;      // the planned outputs and the present listed sources
    QList<TFileStatus> m_statuses;
    std::list<TRun> m_runs; // the runs started and not yet finished, oldest first
    int m_next = 0;         // the next file to take up
    TOverwriteAnswer m_answer = oaNone;
    qint32 m_finishedShare = 0; // what the finished files made of the total bar
    qint32 m_runningShare = 0;  // the running files' shares
    qint32 m_totalPosition = 0; // the total bar, never moving back
    int m_convertedCount = 0;
    int m_succeededCount = 0;
    qint32 m_elapsedSeconds = 0;
    qint32 m_estimateTicks = 0;
    QTimer m_elapsedTimer;
    QTimer m_estimateTimer;
    bool m_running = false;
    bool m_takingUp = false; // files are being taken up; a question may be waiting for its answer
    bool m_stopped = false;
    bool m_paused = false;
    bool m_elapsedWanted = false;
    bool m_estimateWanted = false;
};

// What the batch shows, as a window or a terminal shows it.
class TProgressView {
public:
    virtual ~TProgressView() = default;
    virtual void ShowFileName(const QString& text) = 0;
    virtual void ShowCurrentConversing(const QString& text) = 0;
    virtual void ShowFileProgress(int position) = 0;
    virtual void ShowTotalProgress(int position) = 0;
    virtual void ShowTotalLabel(const QString& text) = 0;
    virtual void ShowElapsedLabel(const QString& text) = 0;
    virtual void ShowEstimatedLabel(const QString& text) = 0;
    virtual void ShowFileStatus(int index, const TFileStatus& status) = 0;
    virtual void HideView() = 0;
};

// Connects every signal of the batch that a view shows to the view, for as long as the batch lives.
void ConnectProgressView(TBatchConversion& batch, TProgressView& view);
