// Where a batch will write, looked at before it starts: a destination folder the user typed that
// does not exist yet can be made, and a folder that takes no new file is found before any
// conversion has run, not once for every file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Whether folder names no entry yet and may be made: an absolute path at which nothing exists.
// A relative path would land wherever the program was started, so it is never made.
bool FolderCanBeMade(const QString& folder);

// Makes folder with every missing folder above it; the reason when that fails.
std::optional<QString> MakeFolder(const QString& folder);

// The folders a batch writes its outputs into: the destination folder, or, when each output goes
// beside its source, the folders of the sources that exist, each once, in list order.
QStringList OutputFolders(bool preserveLocation, const QString& destinationFolder, const QStringList& sources);

// Why no new file can be made in folder, or nothing when one can. Tried for real: a file is
// created exclusively under a name of its own and removed at once, so that read-only mounts,
// access lists and quotas count as the conversion would meet them.
std::optional<QString> WriteRefusal(const QString& folder);

struct TFolderRefusal {
    QString Folder;
    QString Reason;
};
// The folders among folders that take no new file, with the reason for each.
QList<TFolderRefusal> UnwritableFolders(const QStringList& folders);
