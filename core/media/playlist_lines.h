// One listed file as a line of an m3u playlist (the kept list and saved lists) and back. A name
// that a line cannot hold as it is (carriage returns, line feeds or other control characters, or
// a leading "#" that would make it a comment) is written as a percent-encoded "file://" URL,
// which m3u readers accept and which reads back to the same name.
#pragma once

#include <QByteArray>
#include <QString>

// The line for path, without its line end.
QByteArray PlaylistLineOf(const QString& path);

// The path a line stands for: a "file://" URL decoded, a relative path taken from the
// playlist's own folder (never from the working folder); empty for a URL that names no local file.
QString PathOfPlaylistLine(const QString& line, const QString& playlistFolder);
