// Which names an output may take, and what an encoder run leaves under names of its own.
#pragma once

#include <QString>

// Something that is not a file stands under the name: a folder (or a link to one). No overwrite
// mode may put an output there; a new name is sought or the file is skipped.
bool IsFolderInTheWay(const QString& path);

// A name an output may not take without the overwrite mode's say: a non-empty file, a folder or
// a link (even a broken one).
bool IsOutputNameTaken(const QString& path);

// The start of the hidden names an encoder process with this id gives its temporary file in the
// output's folder (".kovirta-PID-"), followed by a number and ".part".
QString EncoderTemporaryPrefix(qint64 pid);

// Removes the temporary files the encoder process pid left in the folder of outputPath (it was
// killed before it could): only regular files under its own hidden names, never through a link.
// Returns how many were removed.
int RemoveEncoderLeftovers(const QString& outputPath, qint64 pid);
