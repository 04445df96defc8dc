// What became of each listed file of a batch, in words a user reads: the status shown in the
// file list and the progress window, why a file was skipped or failed, and the summary at the
// end. Plain records and pure functions, so that any front end shows the same.
#pragma once

#include "core/media/encoder_error.h"

#include <QList>
#include <QString>

enum class TFileState : quint8 {
    Waiting,    // not reached yet
    Converting, // the encoder is running on it
    Done,       // converted: a complete output was written
    Skipped,    // no encoder run: see Reason
    Failed,     // the run or its preparation failed: see Reason and Detail
    Stopped,    // the batch was stopped during its run or before its turn
};

struct TFileStatus {
    TFileState State = TFileState::Waiting;
    qint32 Percent = 0; // of the file's running time converted, while converting
    QString SourcePath;
    QString OutputPath;   // where the output goes, or went
    bool Renamed = false; // the output was given a new name, so as to write over no other file
    QString Reason;       // why it was skipped, failed or stopped, in plain words
    QString Detail;       // the line the reason was read from ("Error: " and the encoder's last error text)
    QString LogPath;      // the run's whole encoder output; empty when no encoder ran
};

// Why a file was skipped, as the driver decides it.
enum class TSkipCause : quint8 {
    MissingSource,  // the source is missing or empty when its turn comes
    OwnSource,      // the output would be the source itself
    KeptBySkip,     // the output exists and the overwrite mode is "Skip"
    KeptByAnswer,   // the output exists and the overwrite prompt said not to replace it
    FolderInTheWay, // a folder has the output's name
};
QString SkipReason(TSkipCause cause);

// The plain-words reason for a failed file, told by the code of its error (the encoder's, or one
// the driver gives a run that could not start or left nothing); the error's text as it is when
// the code is not one the converter knows.
QString FailureReason(const TEncoderError& error);
// The same for an error line, "Error[code]: text" or "Error: text".
QString FailureReason(const QString& errorLine);

// The status cell of a listed file: "Waiting", "Converting 45%", "Done: clip.mp4", "Skipped: ...".
QString StatusText(const TFileStatus& status);
// Everything about the file's status, a line each: source, output, reason, encoder line, log.
QString StatusToolTip(const TFileStatus& status);

// One file the summary names: a failed, skipped or renamed one.
struct TSummaryLine {
    TFileState State = TFileState::Waiting;
    QString FileName; // the source's file name
    QString Text;     // the reason, or the new name
    QString ToolTip;  // StatusToolTip of the file
    QString LogPath;  // the run's log, for a failed file whose encoder ran
};

struct TBatchSummary {
    int Converted = 0;
    int Skipped = 0;
    int Failed = 0;
    int Renamed = 0;
    QString Caption;  // "Conversion finished"
    QString Headline; // "3 files converted, 1 skipped, 1 failed."
    // The failed files, then the skipped ones, then the converted ones that got new names, each
    // group in list order.
    QList<TSummaryLine> Lines;
    // The folder the results went to, offered to be opened; empty when they stayed beside their
    // sources or nothing was converted.
    QString OutputFolder;

    // The whole summary as plain text: the headline, then a section per kind of line.
    QString Text() const;
};

// The summary of a batch that ran to its end. outputFolder: the folder all results went to, or
// empty when they went beside their sources.
TBatchSummary SummarizeBatch(const QList<TFileStatus>& statuses, const QString& outputFolder);
