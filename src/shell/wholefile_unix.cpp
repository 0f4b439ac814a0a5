// What a path names on Unix, from stat(), and an open that a FIFO or a terminal cannot block.
#include "shell/wholefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ktv31 {
namespace {

FileFault KindFault(mode_t mode)
{
    if (S_ISREG(mode))
        return FileFault::None;
    if (S_ISDIR(mode))
        return FileFault::IsFolder;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileFault::IsDevice;
    if (S_ISFIFO(mode))
        return FileFault::IsFifo;
    if (S_ISSOCK(mode))
        return FileFault::IsSocket;
    return FileFault::OtherKind;
}

bool IsFolder(const QByteArray &native)
{
    struct stat info;
    return ::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsSymLink(const QByteArray &native)
{
    struct stat info;
    return ::lstat(native.constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Why stat() of `path` failed with `error`; None when the name is merely free in an existing
// folder.
FileFault MissingFault(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
        if (IsSymLink(QFile::encodeName(path)))
            return FileFault::DanglingLink;
        return IsFolder(QFile::encodeName(QFileInfo(path).absolutePath()))
                   ? FileFault::NoSuchFile
                   : FileFault::NoSuchFolder;
    case ENOTDIR:
        return FileFault::NoSuchFolder;
    case ELOOP:
        return FileFault::LinkLoop;
    case EACCES:
    case EPERM:
        return FileFault::NoPermission;
    case ENAMETOOLONG:
        return FileFault::NameTooLong;
    default:
        return FileFault::OpenFailed;
    }
}

} // namespace

FileFault CheckReadTarget(const QString &path)
{
    if (path.isEmpty())
        return FileFault::NoSuchFile;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return MissingFault(path, errno);
    return KindFault(info.st_mode);
}

FileFault OpenRegularFile(const QString &path, QFile &file)
{
    if (const FileFault fault = CheckReadTarget(path); fault != FileFault::None)
        return fault;
    // Not blocking and not taking a terminal as the controlling one, in case the regular file
    // has just been replaced by something else; fstat() of what opened decides.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return MissingFault(path, errno);
    struct stat info;
    const FileFault kind =
        ::fstat(fd, &info) == 0 ? KindFault(info.st_mode) : FileFault::OpenFailed;
    if (kind != FileFault::None ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return kind != FileFault::None ? kind : FileFault::OpenFailed;
    }
    return FileFault::None;
}

FileFault SystemWriteFault(FileFault failed)
{
    switch (errno) {
    case ENOSPC:
    case EDQUOT:
        return FileFault::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        // The temporary file beside the target is what did not open.
        return failed == FileFault::OpenFailed ? FileFault::FolderNotWritable : failed;
    default:
        return failed;
    }
}

} // namespace ktv31
