// Reading and replacing the program's small files whole, and the texts of why it failed.
#include "shell/wholefile.h"

#include <QFile>
#include <QSaveFile>

namespace ktv31 {

QString OpenFailedText()
{
    return QStringLiteral("Ошибка открытия файла");
}
QString WriteFailedText()
{
    return QStringLiteral("Ошибка записи файла");
}

FileFault CheckSaveTarget(const QString &path)
{
    const FileFault fault = CheckReadTarget(path);
    return fault == FileFault::NoSuchFile ? FileFault::None : fault;
}

QString FileFaultText(FileFault fault)
{
    switch (fault) {
    case FileFault::None:
        return {};
    case FileFault::NoSuchFile:
        return QStringLiteral("файла нет");
    case FileFault::NoSuchFolder:
        return QStringLiteral("нет такой папки");
    case FileFault::IsFolder:
        return QStringLiteral("это папка, а не файл");
    case FileFault::IsDevice:
        return QStringLiteral("это устройство, а не файл");
    case FileFault::IsFifo:
        return QStringLiteral("это канал (FIFO), а не файл");
    case FileFault::IsSocket:
        return QStringLiteral("это сокет, а не файл");
    case FileFault::LinkLoop:
        return QStringLiteral("символические ссылки образуют петлю");
    case FileFault::DanglingLink:
        return QStringLiteral("символическая ссылка ни на что не указывает");
    case FileFault::NoPermission:
        return QStringLiteral("нет прав доступа");
    case FileFault::NameTooLong:
        return QStringLiteral("слишком длинное имя");
    case FileFault::OtherKind:
        return QStringLiteral("это не обычный файл");
    case FileFault::OpenFailed:
        return QStringLiteral("файл не открывается");
    case FileFault::WriteFailed:
        return QStringLiteral("данные записаны не полностью");
    case FileFault::NoSpace:
        return QStringLiteral("нет места на устройстве");
    case FileFault::FolderNotWritable:
        return QStringLiteral("в эту папку нельзя записывать");
    }
    return {};
}

FileRead ReadFileStart(const QString &path, qint64 maxBytes)
{
    FileRead result;
    QFile file;
    result.fault = OpenRegularFile(path, file);
    if (result.ok())
        result.bytes = file.read(maxBytes);
    return result;
}

FileFault ReplaceFile(const QString &path, const QByteArray &bytes)
{
    if (const FileFault fault = CheckSaveTarget(path); fault != FileFault::None)
        return fault;
    QSaveFile file(path);
    // Unbuffered, so that a short write (disk full) shows in write()'s result: buffered, Qt 6.4
    // drops the unwritten rest at commit() and still renames the truncated file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.error() == QFileDevice::PermissionsError
                   ? FileFault::NoPermission
                   : SystemWriteFault(FileFault::OpenFailed);
    if (file.write(bytes) != bytes.size()) {
        const FileFault fault = SystemWriteFault(FileFault::WriteFailed);
        file.cancelWriting(); // the temporary file goes with the object
        return fault;
    }
    return file.commit() ? FileFault::None : SystemWriteFault(FileFault::WriteFailed);
}

} // namespace ktv31
