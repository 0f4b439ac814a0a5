// What a path names on Windows, from QFileInfo: files, folders and the devices (NUL, COM1) it is
// not.
#include "shell/wholefile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace ktv31 {

FileFault CheckReadTarget(const QString &path)
{
    if (path.isEmpty())
        return FileFault::NoSuchFile;
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return FileFault::DanglingLink;
    if (!info.exists()) {
        // Device names exist in every folder without being listed; QFileInfo calls them missing.
        static const QRegularExpression device(
            QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])$"),
            QRegularExpression::CaseInsensitiveOption);
        if (device.match(info.completeBaseName()).hasMatch() ||
            path.startsWith(QStringLiteral("\\\\.\\")))
            return FileFault::IsDevice;
        return QFileInfo(info.absolutePath()).isDir() ? FileFault::NoSuchFile
                                                      : FileFault::NoSuchFolder;
    }
    if (info.isDir())
        return FileFault::IsFolder;
    return info.isFile() ? FileFault::None : FileFault::OtherKind;
}

FileFault OpenRegularFile(const QString &path, QFile &file)
{
    if (const FileFault fault = CheckReadTarget(path); fault != FileFault::None)
        return fault;
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return FileFault::None;
    return file.error() == QFileDevice::PermissionsError ? FileFault::NoPermission
                                                         : FileFault::OpenFailed;
}

FileFault SystemWriteFault(FileFault failed)
{
    return failed;
}

} // namespace ktv31
