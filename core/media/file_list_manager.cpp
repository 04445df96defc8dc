#include "core/media/file_list_manager.h"

#include "core/conversion/duration_parser.h"
#include "core/media/file_list_control.h"
#include "core/media/pipe_parser.h"
#include "core/media/text_convert.h"
#include "core/prompts/user_prompts.h"

#include <QFile>
#include <QFileInfo>
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

TFileInfoManager::TFileInfoManager(const QString& programDir, TUserPrompts& prompts)
    : m_programDir(programDir), m_prompts(prompts)
{}

int TFileInfoManager::RowNumber(int row) const
{
    bool ok = false;
    const int number = ListView->RowCaption(row).toInt(&ok);
    return ok ? number : 0;
}

quint8 TFileInfoManager::AddFile(const QString& path)
{
    try {
        TFileInfo info;
        TFileInfoParser parser(path, m_programDir, &m_prompts);
        parser.Probe(info);
        if (IsUnsupported(info))
            return Refused;
        const int number = ListView->RowCount() + 1;
        Entries.append({number, info});
        ListView->AppendRow(QString::number(number), info.FileName, TDurationParser(info.Duration).ShortText());
        return Added;
    } catch (const std::exception& e) {
        m_prompts.ShowMessage(QStringLiteral("Error"), QString::fromStdString(e.what()), PromptIcon::Error);
        return Refused;
    }
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
    const QStringList paths = PathsInListOrder();
    if (paths.isEmpty())
        return;
    QByteArray text;
    for (const QString& path : paths)
        text += path.toUtf8() + "\r\n";
    // Written to a temporary file and renamed, so a failed write never leaves half a list.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EFileError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
}

void TFileInfoManager::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    AddFiles(TPipeParser::SplitLines(file.readAll()));
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
        if (entry.Number != -1 && !entry.Info.Duration.isEmpty())
            total += TDurationParser(entry.Info.Duration).TotalTenths();
    }
    return total;
}
