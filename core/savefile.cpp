#include "savefile.h"

#include "numbers.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace dalko {

namespace {

[[noreturn]] void cannotCreate(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(path), reason));
}

// Renaming the temporary file over anything but a regular file would destroy it, and a file
// that may not be written must not be replaced either. A file with other names (hard links)
// would keep its old contents under them while this name got the new ones. The status of the
// file replaced, if any.
std::optional<struct stat> checkExistingTarget(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        // Nothing there, or a link to nothing: the save creates it. Anything else (a loop of
        // links) would have the temporary file renamed over the name itself.
        if (errno != ENOENT)
            cannotCreate(path, fileErrorReason(errno));
        return std::nullopt;
    }
    const QString kind = fileKindReason(info.st_mode);
    if (!kind.isEmpty())
        cannotCreate(path, kind);
    if (::access(name.constData(), W_OK) != 0)
        cannotCreate(path, fileErrorReason(errno));
    if (info.st_nlink > 1)
        cannotCreate(path, QStringLiteral("У файла есть и другие имена (жесткие ссылки), под "
                                          "которыми осталось бы старое содержимое: сохраните "
                                          "под другим именем"));
    return info;
}

// The errno that a failed step of QSaveFile left, in words. Qt's own message is English.
QString failureReason()
{
    return errno != 0 ? fileErrorReason(errno) : QStringLiteral("Ошибка записи");
}

} // namespace

FileBytes readRegularFile(const QString &path, qint64 maxBytes, const QString &tooLarge)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    auto refusal = [&](const struct stat &status) {
        const QString kind = fileKindReason(status.st_mode);
        return !kind.isEmpty() ? kind : status.st_size > maxBytes ? tooLarge : QString();
    };
    if (::stat(name.constData(), &info) != 0)
        return {{}, fileErrorReason(errno)};
    if (const QString reason = refusal(info); !reason.isEmpty())
        return {{}, reason};
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {{}, fileErrorReason(errno)};
    QFile file;
    errno = 0;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        const int error = errno != 0 ? errno : EIO;
        ::close(fd);
        return {{}, fileErrorReason(error)};
    }
    if (::fstat(fd, &info) != 0)
        return {{}, fileErrorReason(errno)};
    if (const QString reason = refusal(info); !reason.isEmpty())
        return {{}, reason};
    // One byte more than allowed tells a file that has grown since.
    errno = 0;
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, fileErrorReason(errno != 0 ? errno : EIO)};
    if (bytes.size() > maxBytes)
        return {{}, tooLarge};
    return {bytes, {}};
}

QString fileErrorReason(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("Нет такого файла или папки");
    case ENOTDIR:
        return QStringLiteral("Часть пути не является папкой");
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав доступа");
    case EISDIR:
        return QStringLiteral("Это папка, а не файл");
    case ELOOP:
        return QStringLiteral("Слишком много символических ссылок в пути");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя файла");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    case ENOSPC:
        return QStringLiteral("На диске нет места");
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота");
    case EFBIG:
        return QStringLiteral("Превышен допустимый размер файла");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Открыто слишком много файлов");
    case ENOMEM:
        return QStringLiteral("Недостаточно памяти");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Файл занят");
    case EAGAIN:
        return QStringLiteral("Файл заблокирован");
    case EINVAL:
        return QStringLiteral("Недопустимое имя файла");
    default: {
        const char *name = strerrorname_np(error);
        return QStringLiteral("Системная ошибка %1")
            .arg(name ? QString::fromLatin1(name) : QString::number(error));
    }
    }
}

QString fileKindReason(mode_t mode)
{
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return fileErrorReason(EISDIR);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("Это устройство, а не обычный файл");
    if (S_ISFIFO(mode))
        return QStringLiteral("Это канал, а не обычный файл");
    if (S_ISSOCK(mode))
        return QStringLiteral("Это сокет, а не обычный файл");
    return QStringLiteral("Это не обычный файл");
}

void saveFile(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        cannotCreate(path, QStringLiteral("Не задано имя файла"));
    const std::optional<struct stat> replaced = checkExistingTarget(path);
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk) is seen here and not lost in the last
    // flush, which commit() does not check. Each step is judged by the errno it leaves.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        cannotCreate(path, failureReason());
    if (replaced) {
        // The new file takes the owner and mode of the one it replaces, as far as the user may
        // give them (root: always; anyone else keeps himself as owner).
        if (::fchown(file.handle(), replaced->st_uid, replaced->st_gid) != 0 &&
            ::fchown(file.handle(), uid_t(-1), replaced->st_gid) != 0) {
            // Neither: the file is the user's own, in the user's group, as any new file.
        }
        ::fchmod(file.handle(), replaced->st_mode & 0777);
    }
    errno = 0;
    if (file.write(bytes) != bytes.size())
        cannotCreate(path, failureReason());
    errno = 0;
    if (!file.commit())
        cannotCreate(path, failureReason());
}

} // namespace dalko
