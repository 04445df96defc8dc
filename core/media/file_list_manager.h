// The list of input files: one stored media record per listed file, kept in step with the rows
// of the list control; adding probes, m3u playlists, export for a conversion batch.
#pragma once

#include "core/media/file_info.h"

#include <QList>
#include <QStringList>

#include <stdexcept>

class TFileListControl;
class TUserPrompts;

// A playlist that cannot be written or read; the message names the file and the reason.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Where the list kept between runs ("preview.m3u") is stored: in the program directory while the
// user may write there, so that a portable copy keeps everything in its folder; otherwise (an
// installed, read-only program directory) in userDataFolder.
QString KeptListPath(const QString& programDir, const QString& userDataFolder);
// The same with the user's data folder of the program (QStandardPaths::AppDataLocation).
QString KeptListPath(const QString& programDir);

struct TSingleFileInfoStorage {
    qint32 Number = 0; // the row this entry belongs to, 1 to n; -1 once the row was removed
    TFileInfo Info;
};

class TFileInfoManager {
public:
    enum AddResult : quint8 { Added = 0, Refused = 2 };

    TFileInfoManager(const QString& programDir, TUserPrompts& prompts);

    void SetListView(TFileListControl* listView) { ListView = listView; }
    quint8 AddFile(const QString& path);
    void AddFiles(const QStringList& paths);
    void Clear();
    void RemoveSelected();
    void Renumber();
    void FindInfo(int row, TFileInfo& info) const;
    void OpenInShell(int row) const;
    QStringList PathsInListOrder() const;
    // Writes one path per row, each followed by CR LF; an empty list writes nothing at all.
    // Throws EFileError "Cannot create file "<name>". <reason>".
    void SaveToFile(const QString& fileName) const;
    // Appends every line of the file (CR LF, CR or LF) as a file to probe.
    // Throws EFileError "Cannot open file "<name>". <reason>".
    void LoadFromFile(const QString& fileName);
    // One record per row in display order, then one empty record.
    TFileInfoArray ExportInfos() const;
    // Tenths of a second over every listed file; throws EConvertError for a broken duration.
    qint32 TotalDuration() const;

    QList<TSingleFileInfoStorage> Entries;
    TFileListControl* ListView = nullptr;

private:
    int RowNumber(int row) const;
    // The record of every row, in display order.
    TFileInfoArray RecordsInListOrder() const;

    QString m_programDir;
    TUserPrompts& m_prompts;
};
