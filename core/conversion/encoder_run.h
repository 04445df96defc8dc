// One file's encoder run as an object of the event loop: the encoder process, its output read as
// it comes (never blocking the loop), kept whole in the run's log, Pause, Resume and Stop, and
// how the run ended: the exit status and the reason code of its last error line.
#pragma once

#include "core/conversion/progress_math.h"
#include "core/conversion/run_log.h"
#include "core/media/child_process.h"
#include "core/media/encoder_error.h"

#include <QObject>
#include <QSocketNotifier>

// How an encoder run ended.
struct TRunOutcome {
    bool Started = false;
    int ExitCode = -1;   // the encoder's exit status; -1 when it did not run or did not exit
    TEncoderError Error; // the encoder's last error line, or why it could not run or ended badly
    QString LogPath;     // the run's log file; empty when the encoder did not run or none could be written
};

// The converter's own reason codes, beside the encoder's.
namespace RunReason {
inline const QString NotStarted = QStringLiteral("encoder-not-started");
inline const QString ScreenSizeInvalid = QStringLiteral("screen-size-invalid");
inline const QString MediaValuesInvalid = QStringLiteral("media-values-invalid");
inline const QString NoOutput = QStringLiteral("no-output");
inline const QString EncoderEnded = QStringLiteral("encoder-ended");
} // namespace RunReason

class TEncoderRun : public QObject {
    Q_OBJECT
public:
    explicit TEncoderRun(QObject* parent = nullptr);
    // An encoder still running is ended and waited for, and what it left under its hidden names
    // removed; no signal comes from a run going away.
    ~TEncoderRun() override;

    // Starts program with args, its standard error read and logged in logFolder. held: the
    // encoder is held from its start, as after Pause. finished comes later from the event loop,
    // also when the program cannot be started. False when it could not be started.
    bool Start(const QString& program, const QStringList& args, const QString& logFolder, const QString& source,
               const QString& output, bool held);
    // A run that fails before its encoder could start: finished comes with error from the loop.
    void Fail(const TEncoderError& error);
    // Holds the encoder where it is; lets it go on.
    void Pause();
    void Resume();
    // Ends the encoder at once and waits for it; its log and its temporary file are removed. No
    // finished signal.
    void Stop();

signals:
    // A line of the encoder's output (a status line ends in CR), with the time it reports, when it
    // reports one. Lines that came in one read are told one by one.
    void timeRead(const TChunkTime& time);
    void finished(const TRunOutcome& outcome);

private:
    void ReadAvailable();
    // Stops watching the pipe; the watcher goes once the signal that may have led here is over.
    void DropNotifier();
    void Finish();
    void KeepTail(const QByteArray& chunk);
    // Tells the time of each whole line received; an unfinished line waits for its end.
    void TellLines(bool atEnd);
    // Removes what the ended encoder may have left under its own hidden names beside the output
    // (it was killed before it could); never anything under the output's name.
    void RemoveLeftovers();

    TChildProcess m_child;
    QSocketNotifier* m_notifier = nullptr; // a child of the run
    TRunLog m_log;
    QByteArray m_tail;    // the end of the output, where the last error line is
    QByteArray m_pending; // received and not yet told: the start of a line
    TRunOutcome m_outcome;
    QString m_output;    // the output's path, whose folder holds the encoder's temporary file
    bool m_over = false; // finished, failed or stopped
};
