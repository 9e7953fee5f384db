#include "savefile.h"

#include "numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace dalko {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseInsensitive;

// The names Windows gives to devices in every folder (NUL, CON, COM1.txt…) and to pipes
// (\\.\pipe\name), which _wstat64 does not report as what they are.
std::optional<unsigned short> deviceMode(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(QStringLiteral("\\\\.\\pipe\\"), Qt::CaseInsensitive))
        return _S_IFIFO;
    if (native.startsWith(QStringLiteral("\\\\.\\")))
        return _S_IFCHR;
    static const QRegularExpression reserved(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (reserved.match(QFileInfo(path).fileName().trimmed()).hasMatch())
        return _S_IFCHR;
    return std::nullopt;
}

// Windows names files in UTF-16; the narrow calls would lose what the ANSI code page lacks.
int statPath(const QString &path, FileStatus &info)
{
    if (const auto mode = deviceMode(path)) {
        info = {};
        info.st_mode = *mode;
        return 0;
    }
    return ::_wstat64(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                      &info);
}
bool writable(const QString &path)
{
    return ::_waccess(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                      2) == 0;
}
#else
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseSensitive;

int statPath(const QString &path, FileStatus &info)
{
    return ::stat(QFile::encodeName(path).constData(), &info);
}
bool writable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}
#endif

[[noreturn]] void cannotCreate(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(path), reason));
}

// Renaming the temporary file over anything but a regular file would destroy it, and a file
// that may not be written must not be replaced either. A file with other names (hard links)
// would keep its old contents under them while this name got the new ones. The status of the
// file replaced, if any.
std::optional<FileStatus> checkExistingTarget(const QString &path)
{
    FileStatus info{};
    if (statPath(path, info) != 0) {
        // Nothing there, or a link to nothing: the save creates it. Anything else (a loop of
        // links) would have the temporary file renamed over the name itself.
        if (errno != ENOENT)
            cannotCreate(path, fileErrorReason(errno));
        return std::nullopt;
    }
    const QString kind = fileKindReason(info.st_mode);
    if (!kind.isEmpty())
        cannotCreate(path, kind);
    if (!writable(path))
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

QString fileKindAt(const QString &path)
{
    FileStatus info{};
    return statPath(path, info) == 0 ? fileKindReason(info.st_mode) : QString();
}

bool sameFile(const QString &a, const QString &b)
{
    FileStatus first{};
    FileStatus second{};
    if (statPath(a, first) == 0 && statPath(b, second) == 0) {
#ifdef Q_OS_WIN
        // Windows gives no inode: the names are compared as the file system does.
        return QFileInfo(a).canonicalFilePath().compare(QFileInfo(b).canonicalFilePath(),
                                                        Qt::CaseInsensitive) == 0;
#else
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#endif
    }
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
               .compare(QDir::cleanPath(QFileInfo(b).absoluteFilePath()), FileNameCase) == 0;
}

FileBytes readRegularFile(const QString &path, qint64 maxBytes, const QString &tooLarge)
{
    FileStatus info{};
    auto refusal = [&](const FileStatus &status) {
        const QString kind = fileKindReason(status.st_mode);
        return !kind.isEmpty() ? kind : status.st_size > maxBytes ? tooLarge : QString();
    };
    if (statPath(path, info) != 0)
        return {{}, fileErrorReason(errno)};
    if (const QString reason = refusal(info); !reason.isEmpty())
        return {{}, reason};
#ifdef Q_OS_WIN
    // NUL, CON and pipes are no regular files to _wstat64: refused above.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, fileErrorReason(file.error() == QFileDevice::OpenError ? EACCES : EIO)};
#else
    const QByteArray name = QFile::encodeName(path);
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
#endif
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
#ifdef ELOOP
    case ELOOP:
        return QStringLiteral("Слишком много символических ссылок в пути");
#endif
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя файла");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    case ENOSPC:
        return QStringLiteral("На диске нет места");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота");
#endif
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
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("Файл занят");
    case EAGAIN:
        return QStringLiteral("Файл заблокирован");
    case EINVAL:
        return QStringLiteral("Недопустимое имя файла");
    default: {
#ifdef Q_OS_WIN
        const char *name = nullptr;
#else
        const char *name = strerrorname_np(error);
#endif
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
    if (S_ISCHR(mode))
        return QStringLiteral("Это устройство, а не обычный файл");
#ifdef S_ISBLK
    if (S_ISBLK(mode))
        return QStringLiteral("Это устройство, а не обычный файл");
#endif
    if (S_ISFIFO(mode))
        return QStringLiteral("Это канал, а не обычный файл");
#ifdef S_ISSOCK
    if (S_ISSOCK(mode))
        return QStringLiteral("Это сокет, а не обычный файл");
#endif
    return QStringLiteral("Это не обычный файл");
}

void saveFile(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        cannotCreate(path, QStringLiteral("Не задано имя файла"));
    [[maybe_unused]] const std::optional<FileStatus> replaced = checkExistingTarget(path);
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk) is seen here and not lost in the last
    // flush, which commit() does not check. Each step is judged by the errno it leaves.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        cannotCreate(path, failureReason());
#ifndef Q_OS_WIN
    if (replaced) {
        // The new file takes the owner and mode of the one it replaces, as far as the user may
        // give them (root: always; anyone else keeps himself as owner).
        if (::fchown(file.handle(), replaced->st_uid, replaced->st_gid) != 0 &&
            ::fchown(file.handle(), uid_t(-1), replaced->st_gid) != 0) {
            // Neither: the file is the user's own, in the user's group, as any new file.
        }
        ::fchmod(file.handle(), replaced->st_mode & 0777);
    }
#endif
    errno = 0;
    if (file.write(bytes) != bytes.size())
        cannotCreate(path, failureReason());
    errno = 0;
    if (!file.commit())
        cannotCreate(path, failureReason());
}

} // namespace dalko
