#include "core/conversion/batch_conversion.h"

#include "core/conversion/duration_parser.h"
#include "core/conversion/exec_str_calculator.h"
#include "core/conversion/progress_math.h"
#include "core/conversion/run_log.h"
#include "core/media/encoder_error.h"
#include "core/media/file_utils.h"
#include "core/media/text_convert.h"
#include "core/prompts/user_prompts.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr size_t kReadPieceBytes = 256;
constexpr qsizetype kErrorTailBytes = 4096;

// The last error line in the encoder's output tail, as people read it ("Error: text"), and its code.
QString lastErrorLine(const QByteArray& tail, QString& code)
{
    const TEncoderError error = LastEncoderError(tail);
    code = error.Code;
    return error.Line();
}

// The forms under which a path can meet another naming the same file: its folder's real path
// with its name, and the file's own real path when it exists (a link gives the file it leads
// to). Folded, so that letters compare without regard to case.
QStringList keysOf(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    const QString named =
        (realFolder.isEmpty() ? QDir::cleanPath(folder) : realFolder) + QLatin1Char('/') + info.fileName();
    QStringList keys{named.toCaseFolded()};
    const QString real = info.canonicalFilePath();
    if (!real.isEmpty())
        keys.append(real.toCaseFolded());
    return keys;
}

QString folderOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.left(cut + 1);
}

// The output a source gets when nothing stands in its way: its name with the batch's extension,
// in its own folder or in the destination folder.
QString plainOutput(const QString& source, uint8_t outputLocation, const QString& destinationFolder,
                    const QString& extension)
{
    const QString folder = outputLocation == olFolder ? destinationFolder : folderOf(source);
    return folder + TBatchConversion::ReplaceExtension(FileNameOfPath(source), extension);
}

} // namespace

void TFileNameSet::Insert(const QString& path)
{
    for (const QString& key : keysOf(path))
        m_keys.insert(key);
}

bool TFileNameSet::Contains(const QString& path) const
{
    const QStringList keys = keysOf(path);
    return std::any_of(keys.begin(), keys.end(), [this](const QString& key) { return m_keys.contains(key); });
}

bool SameFile(const QString& a, const QString& b)
{
    TFileNameSet names;
    names.Insert(a);
    return names.Contains(b);
}

TBatchConversion::TBatchConversion(const QString& programDir, TUserPrompts& prompts, TProgressView& view,
                                   QObject* parent)
    : QObject(parent), LogFolder(TRunLog::DefaultFolder()), m_programDir(programDir), m_prompts(prompts), m_view(view)
{
    ElapsedTimer.setInterval(1000);
    EstimatedTimer.setInterval(100);
    connect(&ElapsedTimer, &QTimer::timeout, this, [this] {
        ++ElapsedSeconds;
        m_view.ShowElapsedLabel(ElapsedTimeText(ElapsedSeconds));
    });
    connect(&EstimatedTimer, &QTimer::timeout, this, [this] { ++EstimateTicks; });
}

TBatchConversion::~TBatchConversion()
{
    // A worker still running must not report its end to a driver that is going away.
    m_stopRequested = true;
    KillRuns();
}

void TBatchConversion::KillRuns()
{
    for (TRun& run : m_runs) {
        if (run.Child)
            run.Child->Kill();
    }
    // The workers run out on the closed pipes and reap the encoders; wait for them here.
    for (TRun& run : m_runs) {
        if (run.Worker.joinable())
            run.Worker.join();
    }
}

QString TBatchConversion::OutputExtension(const QString& fileFormat)
{
    return fileFormat == QLatin1String("psp") ? QStringLiteral(".mp4") : QLatin1Char('.') + fileFormat;
}

QString TBatchConversion::ReplaceExtension(const QString& path, const QString& extension)
{
    const QString name = FileNameOfPath(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? path : path.left(path.size() - (name.size() - dot));
    return base + extension;
}

QString TBatchConversion::GenerateNewName(const QString& output, const QString& extension,
                                          const std::function<bool(const QString&)>& taken)
{
    QString name = output;
    do {
        name = ReplaceExtension(name, QStringLiteral("_1") + extension);
    } while (taken(name));
    return name;
}

QStringList TBatchConversion::PlanOutputFiles(const QStringList& sources, uint8_t outputLocation,
                                              const QString& destinationFolder, const QString& extension,
                                              const std::function<bool(const QString&)>& exists)
{
    TFileNameSet listed; // never written over, whether still waiting or converted already
    for (const QString& source : sources) {
        if (exists(source))
            listed.Insert(source);
    }
    TFileNameSet claimed;
    QStringList outputs;
    for (const QString& source : sources) {
        QString output = plainOutput(source, outputLocation, destinationFolder, extension);
        if (exists(source)) {
            // An output equal to its own source is left to the overwrite check, which never
            // writes over it.
            const bool otherSource = listed.Contains(output) && !SameFile(output, source);
            if (otherSource || claimed.Contains(output)) {
                output = GenerateNewName(output, extension, [&](const QString& name) {
                    return exists(name) || listed.Contains(name) || claimed.Contains(name);
                });
            }
            claimed.Insert(output);
        }
        outputs.append(output);
    }
    return outputs;
}

TFileInfo TBatchConversion::GetCurrentFileInfo() const
{
    return Files.value(FileIndex);
}

QString TBatchConversion::GetExecString() const
{
    TExecStrCalculator calculator(m_programDir);
    calculator.FileInfo = GetCurrentFileInfo();
    calculator.Parameters = Parameters;
    calculator.SourceFile = SourceFile;
    calculator.TargetFile = OutputFile;
    return calculator.GetExecString();
}

void TBatchConversion::Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void TBatchConversion::BeginConversion()
{
    const qint32 listed = static_cast<qint32>(Files.size()) - 1; // the trailing empty record is never processed
    // Every output is named before the first file starts, so that no file of the batch writes
    // over another's output or over a listed source, however many run at once.
    QStringList sources;
    for (qint32 i = 0; i < listed; ++i)
        sources.append(Files[i].FilePath);
    m_plannedOutputs = PlanOutputFiles(sources, Parameters.OutputLocation, Parameters.DestinationFolder,
                                       OutputExtension(Parameters.FileFormat),
                                       [](const QString& path) { return FileSizeOf(path) != 0; });
    m_reserved = TFileNameSet();
    for (qint32 i = 0; i < listed; ++i) {
        if (FileSizeOf(sources[i]) != 0) {
            m_reserved.Insert(sources[i]);
            m_reserved.Insert(m_plannedOutputs[i]);
        }
    }
    {
        const std::lock_guard lock(m_totalMutex);
        m_finishedShare = 0;
        m_runningShare = 0;
        m_totalPosition = 0;
    }
    StartStatuses(sources);
    const size_t jobs = static_cast<size_t>(std::max(1, Jobs));
    qint32 next = 0;
    while (!Stopped) {
        // Files are taken up in list order while a job is free.
        while (!Stopped && next < listed && m_runs.size() < jobs) {
            FileIndex = next++;
            const TFileInfo info = GetCurrentFileInfo();
            SourceFile = info.FilePath;
            OutputFile = m_plannedOutputs.value(FileIndex);
            if (FileSizeOf(SourceFile) == 0) {
                SetStatus(FileIndex, TFileState::Skipped, SkipReason(TSkipCause::MissingSource));
                continue;
            }
            m_view.ShowFileProgress(0);
            // The time a question waits for its answer is not conversion time.
            SetElapsedClock(!m_runs.empty());
            if (CheckOverwrites()) {
                SetStatus(FileIndex, TFileState::Skipped, SkipReason(m_skipCause));
                continue;
            }
            SetElapsedClock(true);
            StartCurrentFile();
        }
        if (m_runs.empty())
            break;
        const auto anyDone = [this] {
            return std::any_of(m_runs.begin(), m_runs.end(), [](const TRun& run) { return run.Done; });
        };
        QEventLoop loop;
        m_wake = [&loop] { loop.quit(); };
        while (!Stopped && !anyDone())
            loop.exec();
        m_wake = nullptr;
        for (auto run = m_runs.begin(); run != m_runs.end();) {
            if (!run->Done && !Stopped) {
                ++run;
                continue;
            }
            FinishRun(*run);
            run = m_runs.erase(run);
        }
    }
    SetElapsedClock(false);
    SetEstimateClock(false);
    if (Stopped)
        StopStatuses();
    EndOfBatch();
}

void TBatchConversion::StartStatuses(const QStringList& sources)
{
    Statuses.clear();
    for (qsizetype i = 0; i < sources.size(); ++i) {
        TFileStatus status;
        status.SourcePath = sources[i];
        status.OutputPath = m_plannedOutputs.value(i);
        status.Renamed = IsRenamed(sources[i], status.OutputPath);
        Statuses.append(status);
    }
    for (qsizetype i = 0; i < Statuses.size(); ++i)
        m_view.ShowFileStatus(static_cast<int>(i), Statuses[i]);
}

bool TBatchConversion::IsRenamed(const QString& source, const QString& output) const
{
    return output
        != plainOutput(source, Parameters.OutputLocation, Parameters.DestinationFolder,
                       OutputExtension(Parameters.FileFormat));
}

void TBatchConversion::SetStatus(int index, TFileState state, const QString& reason, const QString& detail)
{
    if (index < 0 || index >= Statuses.size())
        return;
    TFileStatus& status = Statuses[index];
    status.State = state;
    status.Reason = reason;
    status.Detail = detail;
    if (state == TFileState::Converting) {
        status.Percent = 0;
        // The overwrite check may have given it a new name.
        status.OutputPath = OutputFile;
        status.Renamed = IsRenamed(SourceFile, OutputFile);
    }
    m_view.ShowFileStatus(index, status);
}

void TBatchConversion::ShowFileProgress(int index, qint32 position)
{
    m_view.ShowFileProgress(position);
    // A progress figure still on its way when the run ended changes nothing.
    if (index < 0 || index >= Statuses.size() || Statuses[index].State != TFileState::Converting
        || Statuses[index].Percent == position)
        return;
    Statuses[index].Percent = position;
    m_view.ShowFileStatus(index, Statuses[index]);
}

void TBatchConversion::StopStatuses()
{
    for (qsizetype i = 0; i < Statuses.size(); ++i) {
        const TFileState state = Statuses[i].State;
        if (state == TFileState::Converting)
            SetStatus(static_cast<int>(i), TFileState::Stopped, QStringLiteral("stopped during its conversion"));
        else if (state == TFileState::Waiting)
            SetStatus(static_cast<int>(i), TFileState::Stopped,
                      QStringLiteral("the batch was stopped before its turn"));
    }
}

void TBatchConversion::EndOfBatch()
{
    if (Stopped) {
        m_view.HideView();
        return;
    }
    const TBatchSummary summary =
        SummarizeBatch(Statuses, Parameters.OutputLocation == olFolder ? Parameters.DestinationFolder : QString());
    // Before the window goes, while it still tells whether the user is looking at the program.
    m_prompts.NotifyDesktop(summary.Caption, summary.Headline);
    m_view.HideView();
    // Opened at once only when everything went well; otherwise the summary offers it beside
    // what went wrong.
    if (!summary.OutputFolder.isEmpty() && summary.Failed == 0 && summary.Skipped == 0)
        m_prompts.OpenLocalPath(summary.OutputFolder);
    m_prompts.ShowBatchSummary(summary);
}

void TBatchConversion::StartCurrentFile()
{
    ++ConvertedCount;
    const TFileInfo info = GetCurrentFileInfo();
    m_view.ShowFileName(info.FileName);
    m_view.ShowCurrentConversing(QStringLiteral("Files %1 of %2").arg(FileIndex + 1).arg(Files.size() - 1));
    SetStatus(FileIndex, TFileState::Converting);

    m_stopRequested = false;
    WorkerDone = false;
    TRun& run = m_runs.emplace_back();
    run.Index = FileIndex;
    run.Source = SourceFile;
    run.Output = OutputFile;
    run.Child = std::make_unique<TChildProcess>();
    if (m_paused)
        run.Child->Pause(); // held from its start, like the clocks
    run.Worker = std::thread(&TBatchConversion::ConversionThreadProc, this, FileIndex, info, SourceFile, OutputFile,
                             Parameters, LogFolder, std::ref(*run.Child));
}

void TBatchConversion::FinishRun(TRun& run)
{
    if (run.Worker.joinable())
        run.Worker.join();
    run.Child.reset();
    if (run.Done) {
        AfterConversion(run);
        return;
    }
    // Stopped. The encoder writes to a temporary file and gives it the output's name only when it
    // is whole, so a stopped run leaves that file and a log; an output that existed before stays.
    QFile::remove(run.Output + QStringLiteral(".log"));
    QFile::remove(run.Output + QStringLiteral(".part"));
}

qint32 TBatchConversion::MoveTotal(qint32 before, qint32 after, bool finished)
{
    const std::lock_guard lock(m_totalMutex);
    m_runningShare += after - before;
    if (finished) {
        m_runningShare -= after;
        m_finishedShare += after;
        return -1;
    }
    const qint32 v = m_finishedShare + m_runningShare;
    if (v <= m_totalPosition)
        return -1;
    m_totalPosition = BarPosition(v);
    return m_totalPosition;
}

void TBatchConversion::ConversionThreadProc(int index, const TFileInfo& info, const QString& source,
                                            const QString& output, const TCommonConversionParameters& parameters,
                                            const QString& logFolder, TChildProcess& child)
{
    TRunOutcome outcome;
    auto finish = [this, &outcome, index] {
        if (m_stopRequested)
            return; // Stop ends the run without raising the completion flag
        Post([this, outcome, index] {
            for (TRun& run : m_runs) {
                if (run.Index == index) {
                    run.Outcome = outcome;
                    run.Done = true;
                }
            }
            WorkerDone = true;
            if (m_wake)
                m_wake();
        });
    };

    qint32 duration = 0;
    QStringList args;
    QString program;
    try {
        duration = TDurationParser(info.Duration).TotalTenths();
        TExecStrCalculator calculator(m_programDir);
        calculator.FileInfo = info;
        calculator.Parameters = parameters;
        calculator.SourceFile = source;
        calculator.TargetFile = output;
        args = calculator.GetArguments();
        program = calculator.EncoderPath();
    } catch (const EConvertError& e) {
        // A frame size or duration that does not read fails this file; the batch goes on.
        outcome.ErrorCode = e.message().contains(QLatin1String("screen size")) ? QStringLiteral("screen-size-invalid")
                                                                               : QStringLiteral("media-values-invalid");
        outcome.LastError = QStringLiteral("Error: ") + e.message();
        finish();
        return;
    }

    if (!child.Start(program, args, TChildProcess::Stream::StdErr)) {
        outcome.ErrorCode = QStringLiteral("encoder-not-started");
        outcome.LastError = QStringLiteral("Error: the encoder could not be started (%1)").arg(program);
        finish();
        return;
    }
    outcome.Started = true;
    if (m_stopRequested)
        child.Kill();
    // The whole of what the encoder says, kept for a look after the batch.
    TRunLog log;
    if (log.Open(logFolder, source, output, program, args))
        outcome.LogPath = log.Path();

    const qint32 total = parameters.TotalDuration;
    qint32 share = 0; // this file's part of the total bar so far
    bool clockRunning = false;
    bool following = true; // false once the file's bar stands at 100: the pipe is only drained
    QByteArray tail;
    char piece[kReadPieceBytes];
    for (;;) {
        if (following && !clockRunning) {
            clockRunning = true;
            Post([this] { SetEstimateClock(true); });
        }
        size_t got = 0;
        if (child.Read(piece, sizeof piece, -1, got) != TChildProcess::ReadStatus::Data)
            break;
        log.Append(piece, static_cast<qint64>(got));
        const QByteArray chunk(piece, static_cast<qsizetype>(got));
        tail.append(chunk);
        if (tail.size() > kErrorTailBytes)
            tail.remove(0, tail.size() - kErrorTailBytes);
        if (!following)
            continue;
        const TChunkTime time = ReadChunkTime(chunk);
        if (time.HasTimeKeyword) {
            clockRunning = false;
            Post([this] { SetEstimateClock(false); });
        }
        if (time.HasValue) {
            const qint32 filePosition = BarPosition(duration == 0 ? 0 : PercentOf(time.Tenths, duration));
            Post([this, index, filePosition] { ShowFileProgress(index, filePosition); });
            if (total != 0) {
                const qint32 now = PercentOf(time.Tenths, total);
                const qint32 position = MoveTotal(share, now, false);
                share = now;
                if (position >= 0)
                    Post([this, position] { m_view.ShowTotalProgress(position); });
            }
            const qint32 position = m_totalPosition;
            Post([this, position] { m_view.ShowTotalLabel(QStringLiteral("Total: %1%").arg(position)); });
            if (filePosition == 100)
                following = false; // keep draining so the encoder never blocks on a full pipe
        }
        if (following && m_totalPosition > 0) {
            const qint32 estimate = PercentOf(EstimateTicks, m_totalPosition);
            Post([this, estimate] { m_view.ShowEstimatedLabel(EstimatedTimeText(estimate, ElapsedSeconds)); });
        }
    }
    MoveTotal(share, share, true);
    outcome.ExitCode = child.Wait();
    outcome.LastError = lastErrorLine(tail, outcome.ErrorCode);
    if (outcome.ExitCode != 0 && outcome.LastError.isEmpty()) {
        outcome.ErrorCode = QStringLiteral("encoder-ended");
        outcome.LastError = outcome.ExitCode < 0
            ? QStringLiteral("Error: the encoder was ended by a signal")
            : QStringLiteral("Error: the encoder ended with status %1").arg(outcome.ExitCode);
    }
    if (m_stopRequested)
        log.Close(QStringLiteral("Stopped by the user."));
    else if (outcome.ExitCode < 0)
        log.Close(QStringLiteral("The encoder was ended by a signal."));
    else
        log.Close(QStringLiteral("Exit status: %1").arg(outcome.ExitCode));
    finish();
}

void TBatchConversion::AfterConversion(TRun& run)
{
    const TRunOutcome& outcome = run.Outcome;
    const bool complete = outcome.ExitCode == 0 && FileSizeOf(run.Output) > 0;
    if (run.Index >= 0 && run.Index < Statuses.size())
        Statuses[run.Index].LogPath = outcome.LogPath;
    if (complete) {
        ++SucceededCount;
        SetStatus(run.Index, TFileState::Done);
    } else {
        // A run that ended with status 0 yet left nothing has no error line of its own to show.
        const TEncoderError error = outcome.LastError.isEmpty()
            ? TEncoderError{QStringLiteral("no-output"), QStringLiteral("the encoder left no output")}
            : TEncoderError{outcome.ErrorCode, ParseEncoderErrorLine(outcome.LastError).Text};
        SetStatus(run.Index, TFileState::Failed, FailureReason(error), error.Line());
    }
    if (Parameters.SetConvertedAsOriginal && FileSizeOf(run.Output) > 0)
        CopyFileTimes(run.Source, run.Output);
    // A source is given up only for a complete output: a failed run never costs the user the file.
    if (Parameters.DeleteAfterConversion && complete)
        QFile::remove(run.Source);
}

bool TBatchConversion::CheckOverwrites()
{
    const auto mode = static_cast<TOverwriteMode>(Parameters.OverwriteMode);
    if (SameFile(OutputFile, SourceFile) && (mode == omAsk || mode == omReplace)) {
        m_skipCause = TSkipCause::OwnSource;
        return true;
    }
    if (FileSizeOf(OutputFile) == 0)
        return false;
    switch (mode) {
    case omAsk:
        if (OverwriteAnswer != oaYesAll && OverwriteAnswer != oaNoAll)
            OverwriteAnswer = m_prompts.AskOverwrite(OutputFile);
        // Closing the prompt without an answer keeps the existing file: nothing is lost by asking.
        m_skipCause = TSkipCause::KeptByAnswer;
        return OverwriteAnswer == oaNo || OverwriteAnswer == oaNoAll || OverwriteAnswer == oaNone;
    case omReplace:
        return false;
    case omSkip:
        m_skipCause = TSkipCause::KeptBySkip;
        return true;
    case omNewName:
        // Nor may the new name be one that another file of the batch was given, or a listed source.
        OutputFile = GenerateNewName(OutputFile, OutputExtension(Parameters.FileFormat), [this](const QString& name) {
            return FileSizeOf(name) != 0 || SameFile(name, SourceFile) || m_reserved.Contains(name);
        });
        // Taken from now on, whether or not its run has written it yet, so that the names do not
        // depend on how many files convert at once or on how an earlier run ended.
        m_reserved.Insert(OutputFile);
        return false;
    default:
        return false;
    }
}

void TBatchConversion::DoStopBtnClick()
{
    m_stopRequested = true;
    KillRuns();
    m_paused = false;
    SetEstimateClock(false);
    Stopped = true;
    if (m_wake)
        m_wake();
}

void TBatchConversion::Pause()
{
    if (m_paused || Stopped)
        return;
    m_paused = true;
    for (TRun& run : m_runs) {
        if (run.Child)
            run.Child->Pause();
    }
    ApplyClocks();
}

void TBatchConversion::Resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    for (TRun& run : m_runs) {
        if (run.Child)
            run.Child->Resume();
    }
    ApplyClocks();
}

void TBatchConversion::SetElapsedClock(bool wanted)
{
    m_elapsedWanted = wanted;
    ApplyClocks();
}

void TBatchConversion::SetEstimateClock(bool wanted)
{
    m_estimateWanted = wanted;
    ApplyClocks();
}

void TBatchConversion::ApplyClocks()
{
    // Time held does not count: neither as elapsed time nor towards the estimate.
    for (auto [timer, wanted] :
         {std::pair{&ElapsedTimer, m_elapsedWanted}, std::pair{&EstimatedTimer, m_estimateWanted}}) {
        const bool run = wanted && !m_paused;
        if (run && !timer->isActive())
            timer->start();
        else if (!run && timer->isActive())
            timer->stop();
    }
}
