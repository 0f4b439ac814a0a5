// The program's small files (settings, configurations) read and replaced whole, regular files only.
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace ktv31 {

// Why a path was not read or replaced.
enum class FileFault
{
    None,
    NoSuchFile,
    NoSuchFolder,
    IsFolder,
    IsDevice, // a character or block device: a terminal, a serial port, /dev/null
    IsFifo,
    IsSocket,
    LinkLoop,     // too many levels of symbolic links
    DanglingLink, // a symbolic link to nothing
    NoPermission,
    NameTooLong,
    OtherKind,         // some other kind of node
    OpenFailed,        // none of the above, yet it did not open
    WriteFailed,       // opened, but the bytes did not all reach it; any earlier file is kept
    NoSpace,           // the device (or the user's quota) is full; any earlier file is kept
    FolderNotWritable, // the folder takes no new file (no permission, read-only)
};

// "Ошибка открытия файла": the first line of every refusal but WriteFailed.
QString OpenFailedText();
// "Ошибка записи файла"
QString WriteFailedText();
// The reason, one lower-case clause ("это устройство, а не файл"); empty for None.
QString FileFaultText(FileFault fault);

// Decided from what the path names now (the platform's part). Only a regular file is read, a
// link to one included.
FileFault CheckReadTarget(const QString &path);
// A save replaces a regular file (the target of a link to one) or takes a name not yet used in
// an existing folder. Anything else would be replaced by a file or written into.
FileFault CheckSaveTarget(const QString &path);

struct FileRead
{
    QByteArray bytes;
    FileFault fault = FileFault::None;
    bool ok() const { return fault == FileFault::None; }
};
// At most `maxBytes` from the start of the regular file at `path`. Never waits: a FIFO or a
// device put in its place after the check is refused as well.
FileRead ReadFileStart(const QString &path, qint64 maxBytes);

// Opens `file` for reading when `path` is a regular file; the platform's part of ReadFileStart.
FileFault OpenRegularFile(const QString &path, QFile &file);

// What the system said of the last failed open (`failed` OpenFailed) or write (WriteFailed),
// where it tells more than `failed`; the platform's part of ReplaceFile.
FileFault SystemWriteFault(FileFault failed);

// Replaces the regular file at `path` (or creates it) with `bytes` through a temporary file
// beside it, so that a failed write leaves an earlier file as it was.
FileFault ReplaceFile(const QString &path, const QByteArray &bytes);

} // namespace ktv31
