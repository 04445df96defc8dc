#include "core/conversion/batch_conversion.h"

#include "core/conversion/exec_str_calculator.h"
#include "core/conversion/output_names.h"
#include "core/conversion/pad_calculator.h"
#include "core/media/duration_parser.h"
#include "core/media/file_utils.h"
#include "core/media/text_convert.h"
#include "core/prompts/user_prompts.h"

#include <algorithm>

TBatchConversion::TBatchConversion(const QString& programDir, TUserPrompts& prompts, QObject* parent)
    : QObject(parent), m_programDir(programDir), m_prompts(prompts)
{
    m_elapsedTimer.setInterval(1000);
    m_estimateTimer.setInterval(100);
    connect(&m_elapsedTimer, &QTimer::timeout, this, [this] {
        ++m_elapsedSeconds;
        emit elapsedTextChanged(ElapsedTimeText(m_elapsedSeconds));
    });
    connect(&m_estimateTimer, &QTimer::timeout, this, [this] { ++m_estimateTicks; });
}

// The runs are children of the batch: going with it, each ends and reaps its encoder.
TBatchConversion::~TBatchConversion() = default;

void TBatchConversion::Start(const TBatchRequest& request)
{
    m_request = request;
    if (m_request.LogFolder.isEmpty())
        m_request.LogFolder = TRunLog::DefaultFolder();
    m_running = true;
    m_stopped = false;
    m_next = 0;
    m_answer = oaNone;
    m_finishedShare = m_runningShare = m_totalPosition = 0;
    m_convertedCount = m_succeededCount = 0;
    m_elapsedSeconds = m_estimateTicks = 0;
    // Every output is named before the first file starts, so that no file of the batch writes
    // over another's output or over a listed source, however many run at once.
    QStringList sources;
    for (const TFileInfo& info : m_request.Files)
        sources.append(info.FilePath);
    const TConversionRequest& p = m_request.Parameters;
    // A folder or a link under an output's name counts as taken too.
    m_plannedOutputs = PlanOutputFiles(sources, p.OutputLocation, p.DestinationFolder, OutputExtension(p.FileFormat),
                                       [](const QString& path) { return IsOutputNameTaken(path); });
    m_reserved = TFileNameSet();
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (FileSizeOf(sources[i]) != 0) {
            m_reserved.Insert(sources[i]);
            m_reserved.Insert(m_plannedOutputs[i]);
        }
    }
    StartStatuses(sources);
    TakeUpFiles();
}

void TBatchConversion::TakeUpFiles()
{
    // A question about an output runs the event loop while it waits: a run that ends meanwhile
    // leaves the taking up of further files to the call that asked.
    if (m_takingUp || !m_running)
        return;
    m_takingUp = true;
    const size_t jobs = static_cast<size_t>(std::max(1, m_request.Jobs));
    while (!m_stopped && m_next < m_request.Files.size() && m_runs.size() < jobs)
        TakeUpFile(m_next++);
    m_takingUp = false;
    EndIfDone();
}

void TBatchConversion::TakeUpFile(int index)
{
    const QString source = m_request.Files[index].FilePath;
    if (FileSizeOf(source) == 0) {
        SetStatus(index, TFileState::Skipped, SkipReason(TSkipCause::MissingSource));
        return;
    }
    emit fileProgressChanged(0);
    // The time a question waits for its answer is not conversion time.
    SetElapsedClock(!m_runs.empty());
    const QString output = DecideOutput(index, m_plannedOutputs.value(index));
    if (output.isEmpty())
        return;
    SetElapsedClock(true);
    StartRun(index, output);
}

QString TBatchConversion::DecideOutput(int index, QString output)
{
    const QString source = m_request.Files[index].FilePath;
    const auto mode = static_cast<TOverwriteMode>(m_request.Parameters.OverwriteMode);
    const bool isSource = SameFile(output, source);
    const bool exists = IsOutputNameTaken(output);
    const bool isFolder = IsFolderInTheWay(output);
    TOverwriteDecision decision = DecideOverwrite(mode, isSource, exists, isFolder, m_answer, false);
    if (decision.Action == TOverwriteAction::Ask) {
        m_answer = m_prompts.AskOverwrite(output);
        decision = DecideOverwrite(mode, isSource, exists, isFolder, m_answer, true);
    }
    if (m_stopped)
        return {}; // stopped while the question waited: nothing more starts
    switch (decision.Action) {
    case TOverwriteAction::Skip:
        SetStatus(index, TFileState::Skipped, SkipReason(decision.Cause));
        return {};
    case TOverwriteAction::NewName:
        // Nor may the new name be one that another file of the batch was given, or a listed source.
        output = GenerateNewName(output, OutputExtension(m_request.Parameters.FileFormat), [&](const QString& name) {
            return IsOutputNameTaken(name) || SameFile(name, source) || m_reserved.Contains(name);
        });
        // Taken from now on, whether or not its run has written it yet, so that the names do not
        // depend on how many files convert at once or on how an earlier run ended.
        m_reserved.Insert(output);
        return output;
    case TOverwriteAction::Write:
    case TOverwriteAction::Ask:
        break;
    }
    return output;
}

void TBatchConversion::StartRun(int index, const QString& output)
{
    ++m_convertedCount;
    const TFileInfo& info = m_request.Files[index];
    emit fileStarted(info.FileName,
                     QStringLiteral("Files %1 of %2").arg(index + 1).arg(static_cast<int>(m_request.Files.size())));
    TFileStatus& status = m_statuses[index];
    status.Percent = 0;
    status.OutputPath = output; // the overwrite decision may have given it a new name
    status.Renamed = IsRenamed(info.FilePath, output);
    SetStatus(index, TFileState::Converting);

    TRun& run = m_runs.emplace_back();
    run.Index = index;
    run.Source = info.FilePath;
    run.Output = output;
    run.Process = NewEncoderRun();
    LaunchEncoder(run, info);
}

TEncoderRun* TBatchConversion::NewEncoderRun()
{
    auto* process = new TEncoderRun(this);
    connect(process, &TEncoderRun::timeRead, this, [this, process](const TChunkTime& time) {
        for (TRun& r : m_runs) {
            if (r.Process == process)
                ReadProgress(r, time);
        }
    });
    connect(process, &TEncoderRun::finished, this,
            [this, process](const TRunOutcome& outcome) { EndRun(process, outcome); });
    return process;
}

void TBatchConversion::LaunchEncoder(TRun& run, const TFileInfo& info)
{
    TEncoderRun* process = run.Process;
    QString program;
    QStringList args;
    try {
        run.Duration = TDurationParser(info.Duration).TotalTenths();
        TExecStrCalculator calculator(m_programDir);
        calculator.FileInfo = info;
        calculator.Parameters = m_request.Parameters;
        calculator.SourceFile = info.FilePath;
        calculator.TargetFile = run.Output;
        args = calculator.GetArguments();
        program = calculator.EncoderPath();
    } catch (const EScreenSizeError& e) {
        process->Fail({RunReason::ScreenSizeInvalid, e.message()});
        return;
    } catch (const EConvertError& e) {
        // A frame size or duration that does not read fails this file; the batch goes on.
        process->Fail({RunReason::MediaValuesInvalid, e.message()});
        return;
    }
    // Delete-after removes the source only while it is still this file.
    run.SourceIdentity = TFileIdentity::Of(run.Source);
    if (process->Start(program, args, m_request.LogFolder, run.Source, run.Output, m_paused))
        SetEstimateClock(true);
}

void TBatchConversion::ReadProgress(TRun& run, const TChunkTime& time)
{
    if (!run.Following || m_stopped)
        return;
    if (time.HasTimeKeyword)
        SetEstimateClock(false);
    if (time.HasValue) {
        const qint32 filePosition = BarPosition(run.Duration == 0 ? 0 : PercentOf(time.Tenths, run.Duration));
        ShowFileProgress(run.Index, filePosition);
        if (m_stopped) // a view may stop the batch from what it was shown
            return;
        const qint32 total = m_request.Parameters.TotalDuration;
        if (total != 0) {
            const qint32 position = MoveTotal(run, PercentOf(time.Tenths, total));
            if (position >= 0)
                emit totalProgressChanged(position);
        }
        emit totalTextChanged(QStringLiteral("Total: %1%").arg(m_totalPosition));
        if (filePosition == 100)
            run.Following = false; // the rest of its output is only logged
    }
    if (run.Following && m_totalPosition > 0)
        emit estimatedTextChanged(EstimatedTimeText(PercentOf(m_estimateTicks, m_totalPosition), m_elapsedSeconds));
    if (run.Following && !m_stopped)
        SetEstimateClock(true);
}

qint32 TBatchConversion::MoveTotal(TRun& run, qint32 share)
{
    m_runningShare += share - run.Share;
    run.Share = share;
    const qint32 v = m_finishedShare + m_runningShare;
    if (v <= m_totalPosition)
        return -1;
    m_totalPosition = BarPosition(v);
    return m_totalPosition;
}

void TBatchConversion::EndRun(TEncoderRun* process, const TRunOutcome& outcome)
{
    const auto run =
        std::find_if(m_runs.begin(), m_runs.end(), [process](const TRun& r) { return r.Process == process; });
    if (m_stopped || run == m_runs.end())
        return;
    m_runningShare -= run->Share;
    m_finishedShare += run->Share;
    AfterConversion(*run, outcome);
    process->deleteLater(); // it is still sending this signal
    m_runs.erase(run);
    TakeUpFiles();
}

void TBatchConversion::AfterConversion(const TRun& run, const TRunOutcome& outcome)
{
    const bool complete = outcome.ExitCode == 0 && FileSizeOf(run.Output) > 0;
    m_statuses[run.Index].LogPath = outcome.LogPath;
    if (complete) {
        ++m_succeededCount;
        SetStatus(run.Index, TFileState::Done);
    } else {
        // A run that ended with status 0 yet left nothing has no error of its own to show.
        const TEncoderError error = outcome.Error.IsEmpty()
            ? TEncoderError{RunReason::NoOutput, QStringLiteral("the encoder left no output")}
            : outcome.Error;
        SetStatus(run.Index, TFileState::Failed, FailureReason(error), error.Line());
    }
    if (m_request.Parameters.SetConvertedAsOriginal && FileSizeOf(run.Output) > 0)
        CopyFileTimes(run.Source, run.Output);
    // A source is given up only for a complete output: a failed run never costs the user the file.
    // Nor one that is no longer the file that was converted (saved over meanwhile, say).
    if (m_request.Parameters.DeleteAfterConversion && complete)
        RemoveIfStillSame(run.Source, run.SourceIdentity);
}

void TBatchConversion::EndIfDone()
{
    if (!m_running || m_takingUp)
        return;
    if (!m_stopped && (!m_runs.empty() || m_next < m_request.Files.size()))
        return;
    // Stopped. Each run removed its log and what its encoder left under its hidden name as it
    // stopped; nothing beside the output is touched, and an output that existed before stays.
    for (const TRun& run : m_runs)
        run.Process->deleteLater();
    m_runs.clear();
    SetElapsedClock(false);
    SetEstimateClock(false);
    if (m_stopped)
        StopStatuses();
    m_running = false;
    EndOfBatch();
    emit finished(m_stopped);
}

void TBatchConversion::StartStatuses(const QStringList& sources)
{
    m_statuses.clear();
    for (qsizetype i = 0; i < sources.size(); ++i) {
        TFileStatus status;
        status.SourcePath = sources[i];
        status.OutputPath = m_plannedOutputs.value(i);
        status.Renamed = IsRenamed(sources[i], status.OutputPath);
        m_statuses.append(status);
    }
    for (qsizetype i = 0; i < m_statuses.size(); ++i)
        emit fileStatusChanged(static_cast<int>(i), m_statuses[i]);
}

bool TBatchConversion::IsRenamed(const QString& source, const QString& output) const
{
    const TConversionRequest& p = m_request.Parameters;
    return output != PlainOutput(source, p.OutputLocation, p.DestinationFolder, OutputExtension(p.FileFormat));
}

void TBatchConversion::SetStatus(int index, TFileState state, const QString& reason, const QString& detail)
{
    if (index < 0 || index >= m_statuses.size())
        return;
    TFileStatus& status = m_statuses[index];
    status.State = state;
    status.Reason = reason;
    status.Detail = detail;
    emit fileStatusChanged(index, status);
}

void TBatchConversion::ShowFileProgress(int index, qint32 position)
{
    emit fileProgressChanged(position);
    // A progress figure still on its way when the run ended changes nothing.
    if (index < 0 || index >= m_statuses.size() || m_statuses[index].State != TFileState::Converting
        || m_statuses[index].Percent == position)
        return;
    m_statuses[index].Percent = position;
    emit fileStatusChanged(index, m_statuses[index]);
}

void TBatchConversion::StopStatuses()
{
    for (qsizetype i = 0; i < m_statuses.size(); ++i) {
        const TFileState state = m_statuses[i].State;
        if (state == TFileState::Converting)
            SetStatus(static_cast<int>(i), TFileState::Stopped, QStringLiteral("stopped during its conversion"));
        else if (state == TFileState::Waiting)
            SetStatus(static_cast<int>(i), TFileState::Stopped,
                      QStringLiteral("the batch was stopped before its turn"));
    }
}

void TBatchConversion::EndOfBatch()
{
    if (m_stopped) {
        emit progressOver();
        return;
    }
    const TConversionRequest& p = m_request.Parameters;
    const TBatchSummary summary =
        SummarizeBatch(m_statuses, p.OutputLocation == olFolder ? p.DestinationFolder : QString());
    // Before the window goes, while it still tells whether the user is looking at the program.
    m_prompts.NotifyDesktop(summary.Caption, summary.Headline);
    emit progressOver();
    // Opened at once only when everything went well; otherwise the summary offers it beside
    // what went wrong.
    if (!summary.OutputFolder.isEmpty() && summary.Failed == 0 && summary.Skipped == 0)
        m_prompts.OpenLocalPath(summary.OutputFolder);
    m_prompts.ShowBatchSummary(summary);
}

void TBatchConversion::StopRuns()
{
    for (TRun& run : m_runs)
        run.Process->Stop();
}

void TBatchConversion::Stop()
{
    if (!m_running || m_stopped)
        return;
    m_stopped = true;
    StopRuns();
    m_paused = false;
    SetEstimateClock(false);
    // Ended from the event loop, so that a signal that led here finishes first; while a question
    // waits, the call that asked ends it.
    QMetaObject::invokeMethod(this, &TBatchConversion::EndIfDone, Qt::QueuedConnection);
}

void TBatchConversion::Pause()
{
    if (m_paused || m_stopped || !m_running)
        return;
    m_paused = true;
    for (TRun& run : m_runs)
        run.Process->Pause();
    ApplyClocks();
}

void TBatchConversion::Resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    for (TRun& run : m_runs)
        run.Process->Resume();
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
         {std::pair{&m_elapsedTimer, m_elapsedWanted}, std::pair{&m_estimateTimer, m_estimateWanted}}) {
        const bool run = wanted && !m_paused;
        if (run && !timer->isActive())
            timer->start();
        else if (!run && timer->isActive())
            timer->stop();
    }
}

void ConnectProgressView(TBatchConversion& batch, TProgressView& view)
{
    TProgressView* v = &view;
    QObject::connect(&batch, &TBatchConversion::fileStarted, &batch, [v](const QString& name, const QString& count) {
        v->ShowFileName(name);
        v->ShowCurrentConversing(count);
    });
    QObject::connect(&batch, &TBatchConversion::fileProgressChanged, &batch,
                     [v](int position) { v->ShowFileProgress(position); });
    QObject::connect(&batch, &TBatchConversion::totalProgressChanged, &batch,
                     [v](int position) { v->ShowTotalProgress(position); });
    QObject::connect(&batch, &TBatchConversion::totalTextChanged, &batch,
                     [v](const QString& text) { v->ShowTotalLabel(text); });
    QObject::connect(&batch, &TBatchConversion::elapsedTextChanged, &batch,
                     [v](const QString& text) { v->ShowElapsedLabel(text); });
    QObject::connect(&batch, &TBatchConversion::estimatedTextChanged, &batch,
                     [v](const QString& text) { v->ShowEstimatedLabel(text); });
    QObject::connect(&batch, &TBatchConversion::fileStatusChanged, &batch,
                     [v](int index, const TFileStatus& status) { v->ShowFileStatus(index, status); });
    QObject::connect(&batch, &TBatchConversion::progressOver, &batch, [v] { v->HideView(); });
}
