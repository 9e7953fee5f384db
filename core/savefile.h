#pragma once

// Files the user names: reading that never blocks or exhausts memory, why one cannot be used
// in Russian words, and saving that never destroys what is already there.

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

namespace dalko {

#ifdef _WIN32
using FileStatus = struct _stat64;
#else
using FileStatus = struct stat;
#endif

// The reason a file operation failed, from the errno it left.
QString fileErrorReason(int error);
// Why something of this kind (a stat mode) cannot be read or written as a file; empty for a
// regular file.
QString fileKindReason(mode_t mode);
// Why what stands under the name cannot be read or written as a file; empty for a regular
// file or none.
QString fileKindAt(const QString &path);

// Two names of one file: the same file on disk, or the same path where there is none yet.
bool sameFile(const QString &a, const QString &b);

struct FileBytes {
    QByteArray bytes;
    QString failure; // why the file was not read, in Russian; empty when it was
};
// At most maxBytes of a regular file. A pipe with no writer would block open() and a device may
// never end: anything but a regular file is refused before it is opened, and the descriptor is
// checked again in case the name was given to something else in between. A larger file is
// refused with `tooLarge` as its reason.
FileBytes readRegularFile(const QString &path, qint64 maxBytes, const QString &tooLarge);

// Writes the bytes through a temporary file in the same folder that replaces the target only
// once every byte is on disk, so that a failed save (a full disk) leaves an existing file as
// it was. An existing target must be a regular file: a device, a pipe or a socket is refused
// and left alone, and so is a file with other names (hard links). A symbolic link stays a
// link; the file it points to is replaced, keeping its mode, and its owner and group as far as
// the user may give them. Fails with "Cannot create file "path". <reason>".
void saveFile(const QString &path, const QByteArray &bytes);

} // namespace dalko
