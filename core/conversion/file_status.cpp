#include "core/conversion/file_status.h"

#include "core/media/file_utils.h"

#include <QStringList>

namespace {

// The plain words for each reason code, the encoder's and the converter's own.
struct KnownReason {
    const char* code;
    const char* words;
};

const KnownReason kKnownReasons[] = {
    // The converter's own codes.
    {"encoder-not-started", "the encoder program could not be started"},
    {"screen-size-invalid", "the device's screen size is not valid"},
    {"media-values-invalid", "the file's frame size or running time could not be read"},
    {"no-output", "the encoder wrote no output file"},
    {"encoder-ended", "the encoder ended unexpectedly"},
    // The encoder's codes.
    {"disk-full", "the disk is full"},
    {"source-forbidden", "the source file may not be read (no permission)"},
    {"source-unreadable", "the source file could not be opened"},
    {"output-forbidden", "the output folder may not be written to (no permission)"},
    {"source-not-file", "the source is not a regular file"},
    {"source-damaged", "the source is damaged; only part of it could be converted"},
    {"source-undecodable", "no picture of the source could be read"},
    {"source-no-video", "the source holds no video"},
    {"decoder-missing", "the source's video codec is not supported"},
    {"colour-unsupported", "the source's colour format cannot be converted"},
    {"output-runaway", "the output grew far past its expected size and was ended"},
    {"stalled", "the conversion stalled and was ended"},
    {"level-exceeded", "the picture is too large for the device's video level"},
    {"output-is-source", "the output would replace its own source"},
    {"output-exists", "the output file exists already"},
    {"output-is-folder", "a folder has the output's name"},
    {"output-unwritable", "the output file could not be written"},
    {"length-mismatch", "the output's running time does not match the source's"},
    {"out-of-memory", "there was not enough memory"},
    {"format-unknown", "the device's file format is not supported by the encoder"},
    {"video-codec-unknown", "the device's video codec is not supported by the encoder"},
    {"audio-codec-unknown", "the device's audio codec is not supported by the encoder"},
    {"codec-not-in-format", "the device's file format cannot hold its codec"},
    {"format-no-video", "the device's file format cannot hold video"},
};

QString percentText(qint32 percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

// "1 file converted" / "2 files converted"
QString countOfFiles(int count, const QString& what)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" file ") : QStringLiteral(" files ")) + what;
}

QString stateWord(TFileState state)
{
    switch (state) {
    case TFileState::Waiting:
        return QStringLiteral("Waiting");
    case TFileState::Converting:
        return QStringLiteral("Converting");
    case TFileState::Done:
        return QStringLiteral("Done");
    case TFileState::Skipped:
        return QStringLiteral("Skipped");
    case TFileState::Failed:
        return QStringLiteral("Failed");
    case TFileState::Stopped:
        return QStringLiteral("Stopped");
    }
    return {};
}

} // namespace

QString SkipReason(TSkipCause cause)
{
    switch (cause) {
    case TSkipCause::MissingSource:
        return QStringLiteral("the source file is missing or empty");
    case TSkipCause::OwnSource:
        return QStringLiteral("the output would replace its own source");
    case TSkipCause::KeptBySkip:
        return QStringLiteral("the output file exists; kept it, as the overwrite choice is Skip");
    case TSkipCause::KeptByAnswer:
        return QStringLiteral("the output file exists; kept it, as answered");
    case TSkipCause::FolderInTheWay:
        return QStringLiteral("a folder has the output's name");
    }
    return {};
}

QString FailureReason(const TEncoderError& error)
{
    for (const KnownReason& known : kKnownReasons) {
        if (error.Code == QLatin1String(known.code))
            return QString::fromLatin1(known.words);
    }
    return error.Text.isEmpty() ? QStringLiteral("the encoder gave no reason") : error.Text;
}

QString FailureReason(const QString& errorLine)
{
    return FailureReason(ParseEncoderErrorLine(errorLine));
}

QString StatusText(const TFileStatus& status)
{
    switch (status.State) {
    case TFileState::Waiting:
    case TFileState::Stopped:
        return stateWord(status.State);
    case TFileState::Converting:
        return stateWord(status.State) + QLatin1Char(' ') + percentText(status.Percent);
    case TFileState::Done:
        return QStringLiteral("Done: ") + FileNameOfPath(status.OutputPath)
            + (status.Renamed ? QStringLiteral(" (new name)") : QString());
    case TFileState::Skipped:
    case TFileState::Failed:
        return stateWord(status.State) + QStringLiteral(": ") + status.Reason;
    }
    return {};
}

QString StatusToolTip(const TFileStatus& status)
{
    QStringList lines{status.SourcePath};
    if (!status.OutputPath.isEmpty()) {
        lines.append(QStringLiteral("Output: ") + status.OutputPath);
        if (status.Renamed)
            lines.append(QStringLiteral("A new name, so that no other file is written over"));
    }
    QString state = stateWord(status.State);
    if (status.State == TFileState::Converting)
        state += QLatin1Char(' ') + percentText(status.Percent);
    lines.append(status.Reason.isEmpty() ? state : state + QStringLiteral(": ") + status.Reason);
    if (!status.Detail.isEmpty() && status.Detail != status.Reason)
        lines.append(QStringLiteral("Encoder: ") + status.Detail);
    if (!status.LogPath.isEmpty())
        lines.append(QStringLiteral("Log: ") + status.LogPath);
    return lines.join(QLatin1Char('\n'));
}

QString TBatchSummary::Text() const
{
    QStringList text{Headline};
    struct Section {
        TFileState state;
        bool renamed;
        const char* heading;
    };
    for (const Section& section :
         {Section{TFileState::Failed, false, "Failed:"}, Section{TFileState::Skipped, false, "Skipped:"},
          Section{TFileState::Done, true, "Given new names, so that no file is written over:"}}) {
        bool first = true;
        for (const TSummaryLine& line : Lines) {
            if (line.State != section.state)
                continue;
            if (first)
                text.append(QLatin1Char('\n') + QLatin1String(section.heading));
            first = false;
            text.append(QStringLiteral("    ") + line.FileName + QStringLiteral(": ") + line.Text);
        }
    }
    if (!OutputFolder.isEmpty())
        text.append(QLatin1Char('\n') + QStringLiteral("The converted files are in ") + OutputFolder);
    return text.join(QLatin1Char('\n'));
}

TBatchSummary SummarizeBatch(const QList<TFileStatus>& statuses, const QString& outputFolder)
{
    TBatchSummary summary;
    summary.Caption = QStringLiteral("Conversion finished");
    QList<TSummaryLine> failed;
    QList<TSummaryLine> skipped;
    QList<TSummaryLine> renamed;
    for (const TFileStatus& status : statuses) {
        TSummaryLine line;
        line.State = status.State;
        line.FileName = FileNameOfPath(status.SourcePath);
        line.ToolTip = StatusToolTip(status);
        switch (status.State) {
        case TFileState::Done:
            ++summary.Converted;
            if (status.Renamed) {
                ++summary.Renamed;
                line.Text = FileNameOfPath(status.OutputPath);
                renamed.append(line);
            }
            break;
        case TFileState::Failed:
            ++summary.Failed;
            line.Text = status.Reason;
            line.LogPath = status.LogPath;
            failed.append(line);
            break;
        case TFileState::Skipped:
            ++summary.Skipped;
            line.Text = status.Reason;
            skipped.append(line);
            break;
        case TFileState::Waiting:
        case TFileState::Converting:
        case TFileState::Stopped:
            break;
        }
    }
    summary.Lines = failed + skipped + renamed;
    summary.Headline = countOfFiles(summary.Converted, QStringLiteral("converted, ")) + QString::number(summary.Skipped)
        + QStringLiteral(" skipped, ") + QString::number(summary.Failed) + QStringLiteral(" failed.");
    if (summary.Converted > 0)
        summary.OutputFolder = outputFolder;
    return summary;
}
