// One conversion batch: every listed file in order through the encoder, with the overwrite
// policy, progress, elapsed and estimated time, Pause and Stop, time stamps and source deletion,
// a status for each listed file, a log of each encoder run and a summary at the end.
// Lives on the thread that starts it (the user-interface thread of the window); the encoder of
// each file runs in a worker thread of its own, up to Jobs of them at once.
#pragma once

#include "core/conversion/conversion_parameters.h"
#include "core/conversion/file_status.h"
#include "core/media/child_process.h"
#include "core/media/file_info.h"

#include <QObject>
#include <QSet>
#include <QTimer>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class TUserPrompts;

// Paths gathered so that a path naming one of them is recognised as the file system sees it:
// letters without regard to case (so that a conversion never writes over a file on a disk that
// ignores case), and a folder or file reached through a link counts as the one it leads to.
class TFileNameSet {
public:
    void Insert(const QString& path);
    bool Contains(const QString& path) const;

private:
    QSet<QString> m_keys;
};

// True when the two paths name one file, as TFileNameSet compares them.
bool SameFile(const QString& a, const QString& b);

// What the batch shows; the progress window implements it. Called on the user-interface thread only.
class TProgressView {
public:
    virtual ~TProgressView() = default;
    virtual void ShowFileName(const QString& text) = 0;          // FileNameLabel
    virtual void ShowCurrentConversing(const QString& text) = 0; // CurrentConversingLabel
    virtual void ShowFileProgress(int position) = 0;             // FileConversionProgress
    virtual void ShowTotalProgress(int position) = 0;            // FilesConversionProgress
    virtual void ShowTotalLabel(const QString& text) = 0;        // TotalProgressLabel
    virtual void ShowElapsedLabel(const QString& text) = 0;      // TimeElapsedLabel
    virtual void ShowEstimatedLabel(const QString& text) = 0;    // EstimatedTimeLabel
    // The status of the listed file at index (its row in the list) has changed.
    virtual void ShowFileStatus(int index, const TFileStatus& status) = 0;
    virtual void HideView() = 0;
};

// How one encoder run ended.
struct TRunOutcome {
    bool Started = false;
    int ExitCode = -1;
    QString LastError; // the encoder's last error line ("Error: text"), or why it could not run
    QString ErrorCode; // the code of that error
    QString LogPath;   // the run's log file; empty when the encoder did not run or none could be written
};

class TBatchConversion : public QObject {
    Q_OBJECT
public:
    TBatchConversion(const QString& programDir, TUserPrompts& prompts, TProgressView& view, QObject* parent = nullptr);
    ~TBatchConversion() override;

    // The output extension of a batch: "." + FileFormat, ".mp4" for "psp".
    static QString OutputExtension(const QString& fileFormat);
    // The source's name with its extension replaced (appended when it has none).
    static QString ReplaceExtension(const QString& path, const QString& extension);

    // "No, generate new name": "_1" and the extension take the place of the extension, again
    // and again while taken() says the name is taken (clip.mp4, clip_1.mp4, clip_1_1.mp4 ...).
    static QString GenerateNewName(const QString& output, const QString& extension,
                                   const std::function<bool(const QString&)>& taken);
    // The output path of every listed source, worked out before the first file starts: the
    // source's name with the extension, in its own folder or in destinationFolder. A batch never
    // writes over what it made or what it is about to read, so an output that another present
    // source would write first, or that names another present listed source, gets a new name
    // as GenerateNewName makes it, skipping names that exist. exists() tells whether a path
    // names a present file; a source that is not present takes no part. An output that existed
    // before the batch keeps its name: the overwrite mode decides about it when its turn comes.
    static QStringList PlanOutputFiles(const QStringList& sources, uint8_t outputLocation,
                                       const QString& destinationFolder, const QString& extension,
                                       const std::function<bool(const QString&)>& exists);

    // Works through Files; returns when the batch has ended (finished or stopped). A batch that
    // ran to its end shows its summary (and notifies a user who is elsewhere) before it returns.
    void BeginConversion();
    // True: skip the current file. May change OutputFile (new names).
    bool CheckOverwrites();
    // Stop: the encoder is killed and waited for, no further file is started.
    void DoStopBtnClick();
    // Holds the running encoder (and one about to start) where it is, and the elapsed time and
    // estimate clocks with it; Resume lets them go on. Stop ends a held batch as any other.
    void Pause();
    void Resume();
    bool Paused() const { return m_paused; }
    TFileInfo GetCurrentFileInfo() const;
    QString GetExecString() const;

    TCommonConversionParameters Parameters;
    TFileInfoArray Files; // one record per listed file, then one empty record
    // How many encoders may run at once. Files are still taken up (checked, asked about, started)
    // in list order, and every output is named before the first starts, so the outputs and the
    // statuses are those of one job at a time. The window runs one; its single file bar and its
    // clocks follow whichever file reported last.
    int Jobs = 1;
    qint32 FileIndex = 0; // the file being taken up, or converting when one job runs
    QString SourceFile;
    QString OutputFile;
    TOverwriteAnswer OverwriteAnswer = oaNone;
    bool Stopped = false;
    bool WorkerDone = false;
    std::atomic<qint32> ElapsedSeconds{0};
    std::atomic<qint32> EstimateTicks{0};
    QTimer ElapsedTimer;
    QTimer EstimatedTimer;

    // One status for each listed file, in list order, from the start of the batch.
    QList<TFileStatus> Statuses;
    // Where each run's log is written; the user's log folder unless told otherwise.
    QString LogFolder;
    int ConvertedCount = 0; // encoder runs started
    int SucceededCount = 0; // runs that ended with a complete output

private:
    // One encoder run: its file, its process and the worker thread that follows it.
    struct TRun {
        int Index = 0;
        QString Source;
        QString Output;
        std::unique_ptr<TChildProcess> Child;
        std::thread Worker;
        bool Done = false;
        TRunOutcome Outcome;
    };
    // Ends every running encoder and waits for its worker.
    void KillRuns();
    // Whether output is not the name the batch's settings give source by themselves.
    bool IsRenamed(const QString& source, const QString& output) const;

    // Runs in the worker thread on its own copies of what it needs: the file's record, its paths, the
    // batch settings and its process.
    void ConversionThreadProc(int index, const TFileInfo& info, const QString& source, const QString& output,
                              const TCommonConversionParameters& parameters, const QString& logFolder,
                              TChildProcess& child);
    void Post(std::function<void()> call);
    void StartCurrentFile();
    void FinishRun(TRun& run);
    void AfterConversion(TRun& run);
    // The file's share of the total bar moved from `before` to `after` (percent of the batch); the
    // total bar position after it, or -1 when the bar does not move.
    qint32 MoveTotal(qint32 before, qint32 after, bool finished);
    void StartStatuses(const QStringList& sources);
    void SetStatus(int index, TFileState state, const QString& reason = {}, const QString& detail = {});
    void ShowFileProgress(int index, qint32 position);
    void StopStatuses();
    void EndOfBatch();
    // The clocks run while they are wanted and the batch is not held.
    void SetElapsedClock(bool wanted);
    void SetEstimateClock(bool wanted);
    void ApplyClocks();

    QStringList m_plannedOutputs; // PlanOutputFiles for Files, made when the batch starts
    TFileNameSet m_reserved;      // the planned outputs and the present listed sources
    QString m_programDir;
    TUserPrompts& m_prompts;
    TProgressView& m_view;
    std::list<TRun> m_runs; // the runs started and not yet finished, oldest first
    std::atomic<bool> m_stopRequested{false};
    // FilesConversionProgress, decided by the workers: what the finished files made of the total
    // plus the running files' shares, never moving back.
    std::mutex m_totalMutex;
    qint32 m_finishedShare = 0;
    qint32 m_runningShare = 0;
    std::atomic<qint32> m_totalPosition{0};
    std::function<void()> m_wake;
    TSkipCause m_skipCause = TSkipCause::KeptBySkip; // why CheckOverwrites said skip
    bool m_paused = false;
    bool m_elapsedWanted = false;
    bool m_estimateWanted = false;
};
