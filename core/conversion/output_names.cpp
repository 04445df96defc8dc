#include "core/conversion/output_names.h"

#include "core/media/file_utils.h"
#include "core/media/source_identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

bool IsFolderInTheWay(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool IsOutputNameTaken(const QString& path)
{
    // A link, even one that leads nowhere, is the user's too.
    return FileSizeOf(path) != 0 || IsFolderInTheWay(path) || QFileInfo(path).isSymLink();
}

QString EncoderTemporaryPrefix(qint64 pid)
{
    return QStringLiteral(".kovirta-%1-").arg(pid);
}

int RemoveEncoderLeftovers(const QString& outputPath, qint64 pid)
{
    if (pid <= 0)
        return 0;
    const QString folder = QFileInfo(outputPath).path();
    const QRegularExpression own(QLatin1Char('^') + QRegularExpression::escape(EncoderTemporaryPrefix(pid))
                                 + QStringLiteral("[0-9]+\\.part$"));
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!own.match(name).hasMatch())
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        const TFileIdentity identity = TFileIdentity::Of(path);
        struct stat st {};
        // A link under that name is not the encoder's: it only ever makes regular files.
        if (lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (RemoveIfStillSame(path, identity))
            ++removed;
    }
    return removed;
}
