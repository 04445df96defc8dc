#include "core/conversion/file_status.h"

#include "core/media/file_utils.h"

#include <QStringList>

#include <initializer_list>

namespace {

// An "Error:" line the converter knows, recognised by the pieces it holds (all of them), and what
// it means for the user. The first entry that matches decides, so narrower ones come first.
struct KnownError {
    std::initializer_list<const char*> pieces;
    const char* reason;
};

const KnownError kKnownErrors[] = {
    // The converter's own lines.
    {{"the encoder could not be started"}, "the encoder program could not be started"},
    {{"is not a valid screen size"}, "the device's screen size is not valid"},
    {{"is not a valid"}, "the file's frame size or running time could not be read"},
    {{"the encoder left no output"}, "the encoder wrote no output file"},
    {{"the encoder ended with status"}, "the encoder ended unexpectedly"},
    {{"the encoder was ended by a signal"}, "the encoder ended unexpectedly"},
    // The encoder's lines.
    {{"No space left on device"}, "the disk is full"},
    {{"cannot open the input file", "Permission denied"}, "the source file may not be read (no permission)"},
    {{"cannot open the input file"}, "the source file could not be opened"},
    {{"Permission denied"}, "the output folder may not be written to (no permission)"},
    {{"the input is not a regular file"}, "the source is not a regular file"},
    {{"the source is damaged or ends early"}, "the source is damaged; only part of it could be converted"},
    {{"no picture of the source could be decoded"}, "no picture of the source could be read"},
    {{"the source has no video stream"}, "the source holds no video"},
    {{"no decoder for the source's codec"}, "the source's video codec is not supported"},
    {{"the conversion made no progress"}, "the conversion stalled and was ended"},
    {{"picture is larger than", "level"}, "the picture is too large for the device's video level"},
    {{"the output file is the source file"}, "the output would replace its own source"},
    {{"the output file exists already"}, "the output file exists already"},
    {{"the output file is missing or empty after writing"}, "the encoder wrote no output file"},
    {{"the output holds"}, "the output's running time does not match the source's"},
    {{"cannot write"}, "the output file could not be written"},
    {{"cannot finish the output file"}, "the output file could not be written"},
    {{"cannot put the output file in place"}, "the output file could not be written"},
    {{"out of memory"}, "there was not enough memory"},
    {{"cannot allocate"}, "there was not enough memory"},
    {{"unknown output format"}, "the device's file format is not supported by the encoder"},
    {{"unknown video codec"}, "the device's video codec is not supported by the encoder"},
    {{"unknown audio codec"}, "the device's audio codec is not supported by the encoder"},
    {{"cannot hold the codec"}, "the device's file format cannot hold its codec"},
    {{"has no video codec"}, "the device's file format cannot hold video"},
};

bool holdsAll(const QString& line, std::initializer_list<const char*> pieces)
{
    for (const char* piece : pieces) {
        if (!line.contains(QLatin1String(piece)))
            return false;
    }
    return true;
}

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

QString FailureReason(const QString& errorLine)
{
    for (const KnownError& known : kKnownErrors) {
        if (holdsAll(errorLine, known.pieces))
            return QString::fromLatin1(known.reason);
    }
    QString text = errorLine;
    if (text.startsWith(QLatin1String("Error:")))
        text = text.mid(6).trimmed();
    return text.isEmpty() ? QStringLiteral("the encoder gave no reason") : text;
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
