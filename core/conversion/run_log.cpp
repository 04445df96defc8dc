#include "core/conversion/run_log.h"

#include "core/media/file_utils.h"
#include "core/media/source_identity.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

namespace {

// Room for the time stamp, a counter and ".log" in a name of at most 255 bytes.
constexpr qsizetype kMaxSourceNameBytes = 200;

// The name cut to at most maxBytes in the file system's encoding, whole characters only.
QString nameWithin(const QString& name, qsizetype maxBytes)
{
    QString cut = name;
    while (QFile::encodeName(cut).size() > maxBytes)
        cut.chop(cut.size() >= 2 && cut.at(cut.size() - 1).isLowSurrogate() ? 2 : 1);
    return cut;
}

} // namespace

QString TRunLog::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/logs");
}

void TRunLog::Prune(const QString& folder, int keep)
{
    const QDir dir(folder);
    const QStringList logs = dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = keep; i < logs.size(); ++i)
        QFile::remove(dir.filePath(logs[i]));
}

bool TRunLog::Open(const QString& folder, const QString& sourcePath, const QString& outputPath, const QString& program,
                   const QStringList& args)
{
    if (!QDir().mkpath(folder))
        return false;
    // Universal time, so that the names sort as the runs came even across a change of the clocks.
    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp = now.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString name = stamp + QLatin1Char('-') + nameWithin(FileNameOfPath(sourcePath), kMaxSourceNameBytes);
    // Two runs of one source within a millisecond still get a log each.
    for (int n = 0; n < 100; ++n) {
        const QString candidate = folder + QLatin1Char('/') + name
            + (n == 0 ? QString() : QLatin1Char('-') + QString::number(n)) + QStringLiteral(".log");
        m_file.setFileName(candidate);
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_path = candidate;
            break;
        }
    }
    if (m_path.isEmpty())
        return false;
    QStringList command{program};
    for (const QString& arg : args)
        command.append(arg.contains(QLatin1Char(' ')) ? QLatin1Char('"') + arg + QLatin1Char('"') : arg);
    const QString header = QStringLiteral("Started: ") + now.toString(Qt::ISODate) + QStringLiteral("\nSource: ")
        + sourcePath + QStringLiteral("\nOutput: ") + outputPath + QStringLiteral("\nCommand: ")
        + command.join(QLatin1Char(' ')) + QStringLiteral("\n\n");
    m_file.write(header.toUtf8());
    m_file.flush();
    Prune(folder, kKeptLogs);
    return true;
}

void TRunLog::Append(const char* data, qint64 size)
{
    if (!m_file.isOpen())
        return;
    // The status lines end in a carriage return alone; in the file each gets a line of its own.
    QByteArray text(data, static_cast<qsizetype>(size));
    text.replace('\r', '\n');
    m_file.write(text);
}

void TRunLog::Close(const QString& ending)
{
    if (!m_file.isOpen())
        return;
    m_file.write((QStringLiteral("\n\n") + ending + QLatin1Char('\n')).toUtf8());
    m_file.close();
}

void TRunLog::Discard()
{
    if (!m_file.isOpen())
        return;
    m_file.flush();
    const TFileIdentity identity = TFileIdentity::OfDescriptor(m_file.handle());
    m_file.close();
    RemoveIfStillSame(m_path, identity);
    m_path.clear();
}
