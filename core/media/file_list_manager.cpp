#include "core/media/file_list_manager.h"

#include "core/media/duration_parser.h"
#include "core/media/encoder_error.h"
#include "core/media/file_list_control.h"
#include "core/media/file_utils.h"
#include "core/media/pipe_parser.h"
#include "core/media/playlist_lines.h"
#include "core/media/text_convert.h"
#include "core/prompts/user_prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QString kKeptListName = QStringLiteral("preview.m3u");
} // namespace

QString KeptListPath(const QString& programDir, const QString& userDataFolder)
{
    const QFileInfo inProgramDir(programDir + kKeptListName);
    // The folder must take the temporary file the list is written through, and a list already
    // there must be writable itself.
    if (QFileInfo(programDir).isWritable() && (!inProgramDir.exists() || inProgramDir.isWritable()))
        return inProgramDir.filePath();
    return userDataFolder + QLatin1Char('/') + kKeptListName;
}

QString KeptListPath(const QString& programDir)
{
    return KeptListPath(programDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

namespace {

// The encoder's own words on a file it cannot read: its last error line.
TEncoderError encoderError(const QStringList& report)
{
    for (auto line = report.crbegin(); line != report.crend(); ++line) {
        const TEncoderError error = ParseEncoderErrorLine(*line);
        if (!error.IsEmpty())
            return error;
    }
    return {};
}

// The encoder names a video codec it has no decoder for: its code says so, its text names the codec.
void refuseForEncoderError(TProbeOutcome& outcome, const TEncoderError& error)
{
    static const QRegularExpression codecName(QStringLiteral("^the video codec (\\S+) cannot be decoded$"));
    const QRegularExpressionMatch match = codecName.match(error.Text);
    if (error.Code == QLatin1String("decoder-missing") && match.hasMatch()) {
        outcome.Refusal = TRefusal::UndecodableVideo;
        outcome.Detail = match.captured(1);
    } else {
        outcome.Detail = error.Text;
    }
}

} // namespace

TFileInfoManager::TFileInfoManager(const QString& programDir, TUserPrompts& prompts)
    : m_programDir(programDir), m_prompts(prompts)
{}

int TFileInfoManager::RowNumber(int row) const
{
    bool ok = false;
    const int number = ListView->RowCaption(row).toInt(&ok);
    return ok ? number : 0;
}

TProbeOutcome TFileInfoManager::ProbeFile(const QString& path, const QString& programDir,
                                          const std::function<bool()>& stopped)
{
    TProbeOutcome outcome;
    outcome.Path = path;
    if (FileSizeOf(path) == 0) {
        const QFileInfo file(path);
        outcome.Refusal = !file.exists() ? TRefusal::NotFound : file.isDir() ? TRefusal::Folder : TRefusal::Empty;
        return outcome;
    }
    try {
        TFileInfoParser parser(path, programDir, nullptr);
        parser.Stopped = stopped;
        parser.Probe(outcome.Info);
        if (!IsUnsupported(outcome.Info))
            return outcome;
        outcome.Refusal = TRefusal::Unreadable;
        if (!parser.ParseError.isEmpty())
            outcome.Detail = parser.ParseError;
        else if (!parser.Started)
            outcome.Detail = QStringLiteral("the encoder could not be started");
        else if (outcome.Info.VideoCodec.isEmpty() && !outcome.Info.AudioCodec.isEmpty())
            outcome.Refusal = TRefusal::NoVideo;
        else if (outcome.Info.SizeMb == 0)
            outcome.Refusal = TRefusal::NotFound; // gone while it was probed
        else
            refuseForEncoderError(outcome, encoderError(parser.Output));
    } catch (const std::exception& e) {
        outcome.Refusal = TRefusal::Unreadable;
        outcome.Detail = QString::fromStdString(e.what());
    }
    return outcome;
}

bool TFileInfoManager::AddProbed(const TProbeOutcome& outcome)
{
    if (outcome.Refusal != TRefusal::None)
        return false;
    const int number = ListView->RowCount() + 1;
    Entries.append({number, outcome.Info});
    ListView->AppendRow(QString::number(number), outcome.Info.FileName,
                        TDurationParser(outcome.Info.Duration).ShortText());
    return true;
}

quint8 TFileInfoManager::AddFile(const QString& path)
{
    return AddProbed(ProbeFile(path, m_programDir)) ? Added : Refused;
}

void TFileInfoManager::AddFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        AddFile(path);
}

void TFileInfoManager::Clear()
{
    Entries.clear();
    ListView->DeleteAllRows();
}

void TFileInfoManager::RemoveSelected()
{
    for (int row = ListView->RowCount() - 1; row >= 0; --row) {
        if (!ListView->IsRowSelected(row))
            continue;
        const int number = RowNumber(row);
        for (TSingleFileInfoStorage& entry : Entries) {
            if (entry.Number == number && number > 0) {
                entry.Number = -1;
                ListView->DeleteRow(row);
                break;
            }
        }
    }
    Renumber();
}

void TFileInfoManager::Renumber()
{
    const int rows = ListView->RowCount();
    QList<int> oldNumbers;
    for (int row = 0; row < rows; ++row)
        oldNumbers.append(RowNumber(row));
    // Match against the numbers as they were before the pass, so no entry is moved twice.
    QList<qint32> before;
    for (const TSingleFileInfoStorage& entry : Entries)
        before.append(entry.Number);
    for (int row = 0; row < rows; ++row) {
        ListView->SetRowCaption(row, QString::number(row + 1));
        for (qsizetype e = 0; e < Entries.size(); ++e) {
            if (before[e] > 0 && before[e] == oldNumbers[row]) {
                Entries[e].Number = row + 1;
                break;
            }
        }
    }
}

void TFileInfoManager::FindInfo(int row, TFileInfo& info) const
{
    const int number = RowNumber(row);
    for (const TSingleFileInfoStorage& entry : Entries) {
        if (entry.Number == number && number > 0)
            info = entry.Info;
    }
}

void TFileInfoManager::OpenInShell(int row) const
{
    TFileInfo info;
    FindInfo(row, info);
    if (!info.FilePath.isEmpty())
        m_prompts.OpenLocalPath(info.FilePath);
}

TFileInfoArray TFileInfoManager::RecordsInListOrder() const
{
    TFileInfoArray records;
    for (int row = 0; row < ListView->RowCount(); ++row) {
        const int number = RowNumber(row);
        for (const TSingleFileInfoStorage& entry : Entries) {
            if (entry.Number > 0 && entry.Number == number)
                records.append(entry.Info);
        }
    }
    return records;
}

QStringList TFileInfoManager::PathsInListOrder() const
{
    QStringList paths;
    for (const TFileInfo& info : RecordsInListOrder())
        paths.append(info.FilePath);
    return paths;
}

void TFileInfoManager::SaveToFile(const QString& fileName) const
{
    WritePlaylist(fileName, PathsInListOrder());
}

void TFileInfoManager::WritePlaylist(const QString& fileName, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    QByteArray text;
    for (const QString& path : paths)
        text += PlaylistLineOf(path) + "\r\n"; // a name no line could hold as it is goes as a file:// URL
    // Written to a temporary file and renamed, so a failed write never leaves half a list.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EFileError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
}

void TFileInfoManager::LoadFromFile(const QString& fileName)
{
    AddFiles(ReadPlaylist(fileName));
}

QStringList TFileInfoManager::ReadPlaylist(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QString folder = QFileInfo(fileName).absolutePath();
    QStringList paths;
    for (const QString& line : TPipeParser::SplitLines(file.readAll())) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString path = PathOfPlaylistLine(line, folder);
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

TFileInfoArray TFileInfoManager::ExportInfos() const
{
    TFileInfoArray infos = RecordsInListOrder();
    infos.append(TFileInfo{}); // the batch processes all but this trailing empty record
    return infos;
}

qint32 TFileInfoManager::TotalDuration() const
{
    qint32 total = 0;
    for (const TSingleFileInfoStorage& entry : Entries) {
        if (entry.Number == -1 || entry.Info.Duration.isEmpty())
            continue;
        try {
            total += TDurationParser(entry.Info.Duration).TotalTenths();
        } catch (const EConvertError& e) {
            throw EConvertError(
                QStringLiteral("The running time of %1 cannot be read: %2").arg(entry.Info.FilePath, e.message()));
        }
    }
    return total;
}
