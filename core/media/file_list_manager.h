// The list of input files: one stored media record per listed file, kept in step with the rows
// of the list control; adding probes, m3u playlists, export for a conversion batch.
#pragma once

#include "core/media/file_info.h"

#include <QList>
#include <QStringList>

#include <functional>
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

// Why a file was not added to the list.
// UndecodableVideo: the Detail of the outcome is the video codec's name.
enum class TRefusal : quint8 { None, NotFound, Empty, Folder, Unreadable, NoVideo, UndecodableVideo };

// One file's probe as the list takes it: the media record, or why the file is refused.
struct TProbeOutcome {
    QString Path;
    TFileInfo Info;
    TRefusal Refusal = TRefusal::None;
    // For an unreadable file, the encoder's error or the report's parse error, when there is one.
    QString Detail;
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
    // Probes the file and lists it (on this thread): Added, or Refused for the reasons ProbeFile gives.
    quint8 AddFile(const QString& path);
    void AddFiles(const QStringList& paths);
    // Probes one file, safe on any thread and without any prompt. A path that FileSizeOf finds
    // nothing at (missing, empty, a folder) is refused without starting the encoder. stopped,
    // when given, ends a running probe early.
    static TProbeOutcome ProbeFile(const QString& path, const QString& programDir,
                                   const std::function<bool()>& stopped = {});
    // Lists a probed file at the end; false, with nothing changed, when the outcome refuses it.
    bool AddProbed(const TProbeOutcome& outcome);
    void Clear();
    void RemoveSelected();
    void Renumber();
    void FindInfo(int row, TFileInfo& info) const;
    void OpenInShell(int row) const;
    QStringList PathsInListOrder() const;
    // Writes one path per row, each followed by CR LF; an empty list writes nothing at all.
    // Throws EFileError "Cannot create file "<name>". <reason>".
    void SaveToFile(const QString& fileName) const;
    // Appends every path of the playlist (ReadPlaylist), each probed here.
    void LoadFromFile(const QString& fileName);
    // The paths of an m3u playlist: its lines (ending in CR LF, CR or LF), but for blank lines
    // and "#" comment lines, which name no file; a "file://" line is decoded, and a relative one
    // is taken from the playlist's folder.
    // Throws EFileError "Cannot open file "<name>". <reason>".
    static QStringList ReadPlaylist(const QString& fileName);
    // Writes one path per line (a name with control characters as a file:// URL), each followed by CR LF, replacing the file only once it is whole;
    // an empty list writes nothing at all. Throws EFileError "Cannot create file "<name>". <reason>".
    static void WritePlaylist(const QString& fileName, const QStringList& paths);
    // One record per row in display order, then one empty record.
    TFileInfoArray ExportInfos() const;
    // Tenths of a second over every listed file; throws EConvertError naming the file for a
    // broken duration.
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
