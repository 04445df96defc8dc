#include "core/media/playlist_lines.h"

#include <QUrl>

#include <algorithm>

namespace {

const QString kFileUrlStart = QStringLiteral("file://");

bool needsUrl(const QString& path)
{
    const bool control =
        std::any_of(path.begin(), path.end(), [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7f; });
    return control || path.startsWith(QLatin1Char('#')) || path.startsWith(kFileUrlStart) || path != path.trimmed();
}

} // namespace

QByteArray PlaylistLineOf(const QString& path)
{
    if (!needsUrl(path))
        return path.toUtf8();
    return QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded);
}

QString PathOfPlaylistLine(const QString& line, const QString& playlistFolder)
{
    if (line.startsWith(kFileUrlStart, Qt::CaseInsensitive)) {
        const QUrl url(line, QUrl::StrictMode);
        return url.isValid() && url.isLocalFile() ? url.toLocalFile() : QString();
    }
    if (line.startsWith(QLatin1Char('/')))
        return line;
    const QString folder =
        playlistFolder.endsWith(QLatin1Char('/')) ? playlistFolder : playlistFolder + QLatin1Char('/');
    return folder + line;
}
