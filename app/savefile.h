#pragma once

// Files the user names: why one cannot be used, in Russian words, and saving that never
// destroys what is already there.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace dalko {

// The reason a file operation failed, from the errno it left.
QString fileErrorReason(int error);
// Why something of this kind (a stat mode) cannot be read or written as a file; empty for a
// regular file.
QString fileKindReason(mode_t mode);

// Writes the bytes through a temporary file in the same folder that replaces the target only
// once every byte is on disk, so that a failed save (a full disk) leaves an existing file as
// it was. An existing target must be a regular file: a device, a pipe or a socket is refused
// and left alone. A symbolic link stays a link; the file it points to is replaced. Fails with
// "Cannot create file "path". <reason>".
void saveFile(const QString &path, const QByteArray &bytes);

} // namespace dalko
