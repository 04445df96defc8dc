// Free-standing file, date, URL and number helpers with fixed contracts.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Size in bytes of the file the path names; 0 for a missing file, an empty file or a folder,
// so callers use a result above 0 as the existence test.
qint64 FileSizeOf(const QString& path);

// A file time (UTC, 100-ns units since 1601-01-01) as local date and time under the
// zone rules in force on that date.
QDateTime FileTimeToLocalDateTime(qint64 fileTime);
// The file time of a date-time value (the inverse of the above).
qint64 DateTimeToFileTime(const QDateTime& dateTime);

// Creation time of the file in local time as "yyyy-mm-dd hh:mm:ss". Where the file system keeps
// no birth time, the modification time stands in; a missing file gives empty text.
QString FileCreationDateText(const QString& path);

// Gives the destination the source's access and modification times (and creation time where the
// platform can set one). Fails silently: a missing source or destination changes nothing.
void CopyFileTimes(const QString& source, const QString& destination);

// Appends the full path of every entry below the folder whose name matches the mask
// ("*" any run, "?" any one character, letters without regard to case), descending into
// subfolders when recursive is true: a depth-first, pre-order walk in listing order.
void FindFiles(const QString& mask, QString folder, bool recursive, QStringList& list);

// Name order as a person reads it: letters without regard to case, runs of digits by their value
// ("clip2" before "clip10"). Names that differ only in case or leading zeros still have one order.
bool NaturalNameLess(const QString& a, const QString& b);

// The full paths of the files (not folders) below folder whose extension is one of extensions
// (lower case, without the dot; names compared without regard to case), with hidden entries
// included and linked folders not followed. In name order (NaturalNameLess): a folder's own files
// first, then each subfolder's in turn. stopped, when given, is asked along the way and ends the
// walk early with nothing found.
QStringList FindFilesWithExtensions(const QString& folder, const QStringList& extensions,
                                    const std::function<bool()>& stopped = {});

// Percent-encodes the UTF-8 bytes of the text for a URL query: letters, digits and "-._" stay,
// a blank becomes "%20", every other byte "%XX".
QString UrlEncode(const QString& text);

// The part of a path after its last "/" or "\" (the whole text when it has neither).
QString FileNameOfPath(const QString& path);
