#include "core/media/file_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr qint64 kFileTimeUnixEpoch = 116444736000000000LL;

} // namespace

qint64 FileSizeOf(const QString& path)
{
    if (path.isEmpty())
        return 0;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return 0;
    return info.size();
}

QDateTime FileTimeToLocalDateTime(qint64 fileTime)
{
    const qint64 msecs = (fileTime - kFileTimeUnixEpoch) / 10000;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
}

qint64 DateTimeToFileTime(const QDateTime& dateTime)
{
    return dateTime.toMSecsSinceEpoch() * 10000 + kFileTimeUnixEpoch;
}

QString FileCreationDateText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {};
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.lastModified();
    return FileTimeToLocalDateTime(DateTimeToFileTime(created)).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

void CopyFileTimes(const QString& source, const QString& destination)
{
    const QFileInfo info(source);
    if (!info.exists() || info.isDir())
        return;
    QFile target(destination);
    if (!target.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return;
    // Birth times cannot be set on this platform; setFileTime then fails and changes nothing.
    target.setFileTime(info.birthTime(), QFileDevice::FileBirthTime);
    target.setFileTime(info.lastRead(), QFileDevice::FileAccessTime);
    target.setFileTime(info.lastModified(), QFileDevice::FileModificationTime);
}

void FindFiles(const QString& mask, QString folder, bool recursive, QStringList& list)
{
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return;
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(mask),
                                     QRegularExpression::CaseInsensitiveOption);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (pattern.match(name).hasMatch())
            list.append(folder + name);
        // Linked folders are not followed, so a link loop cannot make the walk endless.
        if (recursive && entry.isDir() && !entry.isSymLink())
            FindFiles(mask, folder + name, recursive, list);
    }
}

namespace {

void collectByExtension(const QString& folder, const QStringList& extensions, const std::function<bool()>& stopped,
                        QList<QStringList>& groups)
{
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (stopped && stopped())
            return;
        const QString path = folder + entry.fileName();
        if (entry.isDir()) {
            if (!entry.isSymLink())
                collectByExtension(path + QLatin1Char('/'), extensions, stopped, groups);
            continue;
        }
        const QString name = entry.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0)
            continue;
        const qsizetype group = extensions.indexOf(name.mid(dot + 1).toLower());
        if (group >= 0)
            groups[group].append(path);
    }
}

} // namespace

QStringList FindFilesWithExtensions(const QString& folder, const QStringList& extensions,
                                    const std::function<bool()>& stopped)
{
    if (folder.isEmpty())
        return {};
    QList<QStringList> groups(extensions.size());
    collectByExtension(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'), extensions, stopped,
                       groups);
    QStringList found;
    for (const QStringList& group : groups)
        found.append(group);
    return found;
}

QString UrlEncode(const QString& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    QString result;
    for (const char ch : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool keep = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')
            || byte == '-' || byte == '.' || byte == '_';
        if (keep) {
            result += QLatin1Char(static_cast<char>(byte));
        } else if (byte == ' ') {
            result += QLatin1String("%20");
        } else {
            result += QLatin1Char('%');
            result += QLatin1Char(kHex[byte >> 4]);
            result += QLatin1Char(kHex[byte & 0x0F]);
        }
    }
    return result;
}

QString FileNameOfPath(const QString& path)
{
    // ":" is an ordinary character in names here ("Video: trip.avi"), so only the two
    // folder separators split.
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}
