#include "core/conversion/output_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

bool FolderCanBeMade(const QString& folder)
{
    return !folder.isEmpty() && QDir::isAbsolutePath(folder) && !QFileInfo::exists(folder)
        && !QFileInfo(folder).isSymLink(); // a dangling link is not made into a folder behind the user's back
}

std::optional<QString> MakeFolder(const QString& folder)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), error);
    if (error)
        return QString::fromStdString(error.message());
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("it is not a folder");
    return std::nullopt;
}

QStringList OutputFolders(bool preserveLocation, const QString& destinationFolder, const QStringList& sources)
{
    if (!preserveLocation)
        return {destinationFolder};
    QStringList folders;
    QSet<QString> seen;
    for (const QString& source : sources) {
        const QFileInfo file(source);
        if (!file.exists())
            continue; // a missing source is skipped by the batch and writes nothing
        const QString folder = file.absolutePath();
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders.append(folder);
        }
    }
    return folders;
}

std::optional<QString> WriteRefusal(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("there is no such folder");
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kovirta-write-test-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    return std::nullopt; // the probe file is removed as it goes
}

QList<TFolderRefusal> UnwritableFolders(const QStringList& folders)
{
    QList<TFolderRefusal> refusals;
    for (const QString& folder : folders) {
        if (const std::optional<QString> reason = WriteRefusal(folder))
            refusals.append({folder, *reason});
    }
    return refusals;
}
