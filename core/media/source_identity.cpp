#include "core/media/source_identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TFileIdentity identityOf(const struct stat& st)
{
    TFileIdentity identity;
    identity.Valid = true;
    identity.Device = st.st_dev;
    identity.Inode = st.st_ino;
    identity.Size = static_cast<qint64>(st.st_size);
    identity.ModifiedNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return identity;
}

// The bytes shown with those that are not printable text escaped, for a message.
QString escapedBytes(const QByteArray& bytes)
{
    QString text;
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte >= 0x7f || byte == '\\')
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(ch);
    }
    return text;
}

} // namespace

TFileIdentity TFileIdentity::Of(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return identityOf(st);
}

TFileIdentity TFileIdentity::OfDescriptor(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return {};
    return identityOf(st);
}

bool RemoveIfStillSame(const QString& path, const TFileIdentity& identity)
{
    if (!identity.Valid || TFileIdentity::Of(path) != identity)
        return false;
    return unlink(QFile::encodeName(path).constData()) == 0;
}

QString ResolveFolderOfPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (name == QLatin1String("..") || name == QLatin1String(".") || name.isEmpty()) {
        const QString real = QFileInfo(path).canonicalFilePath();
        return real.isEmpty() ? path : real;
    }
    const QString folder = slash <= 0 ? QStringLiteral("/") : path.left(slash);
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    if (realFolder.isEmpty())
        return path;
    return (realFolder.endsWith(QLatin1Char('/')) ? realFolder : realFolder + QLatin1Char('/')) + name;
}

QString ArgumentRefusal(const QByteArray& argument)
{
    if (QFile::encodeName(QFile::decodeName(argument)) == argument)
        return {};
    return QStringLiteral("the name \"%1\" is not valid text in this system's encoding").arg(escapedBytes(argument));
}

QString LocalPathFromArgument(const QByteArray& argument, QString* refusal)
{
    const QString why = argument.isEmpty() ? QStringLiteral("an empty file name") : ArgumentRefusal(argument);
    if (!why.isEmpty()) {
        if (refusal)
            *refusal = why;
        return {};
    }
    const QString text = QFile::decodeName(argument);
    // Made absolute by joining, not by QFileInfo, which would cut "link/.." away as text.
    const QString absolute = text.startsWith(QLatin1Char('/')) ? text : QDir::currentPath() + QLatin1Char('/') + text;
    // Without "..", cleaning the text changes nothing the system sees, and keeps the user's
    // spelling of links; with it, the folder is what the system makes of it.
    if (!absolute.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return QDir::cleanPath(absolute);
    return ResolveFolderOfPath(absolute);
}

QStringList LocalPathsFromArguments(const QList<QByteArray>& arguments, QStringList* refusals)
{
    QStringList paths;
    for (const QByteArray& argument : arguments) {
        QString refusal;
        const QString path = LocalPathFromArgument(argument, &refusal);
        if (path.isEmpty()) {
            if (refusals)
                refusals->append(refusal);
            continue;
        }
        paths.append(path);
    }
    return paths;
}
