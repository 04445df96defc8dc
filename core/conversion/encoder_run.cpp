#include "core/conversion/encoder_run.h"

#include "core/conversion/output_names.h"

namespace {

constexpr size_t kReadPieceBytes = 256;
constexpr qsizetype kErrorTailBytes = 4096;

} // namespace

TEncoderRun::TEncoderRun(QObject* parent) : QObject(parent)
{}

TEncoderRun::~TEncoderRun()
{
    if (m_over || !m_outcome.Started)
        return;
    m_child.Kill();
    m_child.Wait();
    RemoveLeftovers();
}

void TEncoderRun::RemoveLeftovers()
{
    // The encoder names its temporary file after its own process id, so only this run's is taken.
    if (!m_output.isEmpty())
        RemoveEncoderLeftovers(m_output, m_child.Pid());
}

bool TEncoderRun::Start(const QString& program, const QStringList& args, const QString& logFolder,
                        const QString& source, const QString& output, bool held)
{
    if (held)
        m_child.Pause();
    if (!m_child.Start(program, args, TChildProcess::Stream::StdErr)) {
        Fail({RunReason::NotStarted, QStringLiteral("the encoder could not be started (%1)").arg(program)});
        return false;
    }
    m_outcome.Started = true;
    m_output = output;
    // The whole of what the encoder says, kept for a look after the batch.
    if (m_log.Open(logFolder, source, output, program, args))
        m_outcome.LogPath = m_log.Path();
    m_notifier = new QSocketNotifier(m_child.ReadFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TEncoderRun::ReadAvailable);
    return true;
}

void TEncoderRun::DropNotifier()
{
    if (!m_notifier)
        return;
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
}

void TEncoderRun::Fail(const TEncoderError& error)
{
    m_outcome.Error = error;
    m_over = true;
    QMetaObject::invokeMethod(
        this, [this] { emit finished(m_outcome); }, Qt::QueuedConnection);
}

void TEncoderRun::Pause()
{
    m_child.Pause();
}

void TEncoderRun::Resume()
{
    m_child.Resume();
}

void TEncoderRun::Stop()
{
    if (m_over)
        return;
    m_over = true;
    DropNotifier();
    m_child.Kill();
    m_outcome.ExitCode = m_child.Wait();
    RemoveLeftovers();
    // A stopped run keeps nothing of its own.
    m_log.Discard();
    m_outcome.LogPath.clear();
}

void TEncoderRun::ReadAvailable()
{
    char piece[kReadPieceBytes];
    size_t got = 0;
    const TChildProcess::ReadStatus status = m_child.Read(piece, sizeof piece, 0, got);
    if (status == TChildProcess::ReadStatus::TimedOut)
        return;
    if (status == TChildProcess::ReadStatus::EndOfStream) {
        Finish();
        return;
    }
    m_log.Append(piece, static_cast<qint64>(got));
    const QByteArray chunk(piece, static_cast<qsizetype>(got));
    KeepTail(chunk);
    m_pending.append(chunk);
    TellLines(false);
}

void TEncoderRun::TellLines(bool atEnd)
{
    // The encoder writes each line at once, but a loaded machine may let several gather in the
    // pipe before they are read; each is read for its own time.
    for (;;) {
        qsizetype end = 0;
        while (end < m_pending.size() && m_pending[end] != '\r' && m_pending[end] != '\n')
            ++end;
        // A line too long to be a status line is told as far as it goes.
        const bool whole = end < m_pending.size() || (atEnd && end > 0) || m_pending.size() > kErrorTailBytes;
        if (!whole)
            return;
        const QByteArray line = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
        emit timeRead(ReadChunkTime(line));
        if (m_over)
            return; // stopped by whoever was told
    }
}

void TEncoderRun::KeepTail(const QByteArray& chunk)
{
    m_tail.append(chunk);
    if (m_tail.size() > kErrorTailBytes)
        m_tail.remove(0, m_tail.size() - kErrorTailBytes);
}

void TEncoderRun::Finish()
{
    DropNotifier();
    TellLines(true);
    if (m_over)
        return; // stopped by whoever was told the last line
    m_over = true;
    // The pipe closes as the encoder ends; a hold must not keep it from ending.
    m_child.Resume();
    m_outcome.ExitCode = m_child.Wait();
    RemoveLeftovers();
    m_outcome.Error = LastEncoderError(m_tail);
    if (m_outcome.ExitCode != 0 && m_outcome.Error.IsEmpty()) {
        m_outcome.Error = {RunReason::EncoderEnded,
                           m_outcome.ExitCode < 0
                               ? QStringLiteral("the encoder was ended by a signal")
                               : QStringLiteral("the encoder ended with status %1").arg(m_outcome.ExitCode)};
    }
    if (m_outcome.ExitCode < 0)
        m_log.Close(QStringLiteral("The encoder was ended by a signal."));
    else
        m_log.Close(QStringLiteral("Exit status: %1").arg(m_outcome.ExitCode));
    emit finished(m_outcome);
}
