#include "core/media/file_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

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

bool NaturalNameLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Runs of digits compare by value: leading zeros dropped, then the longer run is larger.
            const qsizetype runA = i;
            const qsizetype runB = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            QStringView digitsA = QStringView(a).mid(runA, i - runA);
            QStringView digitsB = QStringView(b).mid(runB, j - runB);
            while (digitsA.size() > 1 && digitsA.front() == QLatin1Char('0'))
                digitsA = digitsA.mid(1);
            while (digitsB.size() > 1 && digitsB.front() == QLatin1Char('0'))
                digitsB = digitsB.mid(1);
            if (digitsA.size() != digitsB.size())
                return digitsA.size() < digitsB.size();
            if (const int order = digitsA.compare(digitsB); order != 0)
                return order < 0;
            continue;
        }
        const QChar x = a[i].toCaseFolded();
        const QChar y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    // Names equal but for case or leading zeros still get one fixed order.
    return a < b;
}

namespace {

void collectVideos(const QString& folder, const QStringList& extensions, const std::function<bool()>& stopped,
                   QStringList& found)
{
    const QDir dir(folder);
    QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(entries.begin(), entries.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return NaturalNameLess(a.fileName(), b.fileName()); });
    QStringList subfolders;
    for (const QFileInfo& entry : entries) {
        const QString path = folder + entry.fileName();
        if (entry.isDir()) {
            if (!entry.isSymLink())
                subfolders.append(path + QLatin1Char('/'));
            continue;
        }
        const QString name = entry.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && extensions.contains(name.mid(dot + 1).toLower()))
            found.append(path);
    }
    for (const QString& subfolder : subfolders) {
        if (stopped && stopped())
            return;
        collectVideos(subfolder, extensions, stopped, found);
    }
}

} // namespace

QStringList FindFilesWithExtensions(const QString& folder, const QStringList& extensions,
                                    const std::function<bool()>& stopped)
{
    if (folder.isEmpty() || (stopped && stopped()))
        return {};
    QStringList found;
    collectVideos(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'), extensions, stopped, found);
    if (stopped && stopped())
        return {};
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
