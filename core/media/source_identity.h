// Knowing a file again: which file a path names (device, inode, size and modification time), so
// that a file is removed only while it is still the one that was read or made, and reading paths
// from the command line as the exact bytes the system gave.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// One file as the file system knows it at one moment; a path that names nothing gives an
// identity that is not Valid.
struct TFileIdentity {
    bool Valid = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;

    // The file path names now, without following a link in its last part.
    static TFileIdentity Of(const QString& path);
    // The file an open descriptor refers to.
    static TFileIdentity OfDescriptor(int fd);
    // Same file and, as far as its size and modification time tell, the same contents.
    bool operator==(const TFileIdentity& other) const = default;
};

// Removes path only while it names the file identity describes. False, leaving everything as it
// is, when the file is gone or another file has taken its name (saved over it, say).
bool RemoveIfStillSame(const QString& path, const TFileIdentity& identity);

// Why an argument cannot be taken as a file name here: its bytes do not read back to themselves
// (not valid in the system's encoding), so that as text it could only stand for another file's
// name. Empty when it can.
QString ArgumentRefusal(const QByteArray& argument);

// A path given on a command line, as its bytes, in the form the rest of the program uses: made
// absolute, and with ".." taken after the links before it as the system takes it (the folder part
// of a path holding ".." resolved to its real path), never by cutting text. Empty, with *refusal set, when the bytes do
// not read back to themselves as a file name here (not valid in the system's encoding): such a
// name could only stand for another file.
QString LocalPathFromArgument(const QByteArray& argument, QString* refusal);

// LocalPathFromArgument for every argument; the refused ones are said in *refusals.
QStringList LocalPathsFromArguments(const QList<QByteArray>& arguments, QStringList* refusals);

// The folder part of path resolved to its real path and the last part kept as it is; path
// itself when its folder does not exist.
QString ResolveFolderOfPath(const QString& path);
