// Making devices, FIFOs and links at a name, and listing a folder without following links.
#include "support/filenodes.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace ktv31::test {
namespace {

bool WriteBytes(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

QByteArray ReadBytes(const QByteArray &path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    return file.readAll();
}

} // namespace

bool MakeNode(NodeKind kind, const QByteArray &path, const QByteArray &content,
              const QByteArray &like)
{
    switch (kind) {
    case NodeKind::Missing:
    case NodeKind::MissingFolder:
        return true;
    case NodeKind::Regular:
        return WriteBytes(path, content);
    case NodeKind::LinkToRegular:
        return WriteBytes(path + ".target", content) &&
               ::symlink((path + ".target").constData(), path.constData()) == 0;
    case NodeKind::CharDevice: {
        struct stat model;
        return ::stat(like.constData(), &model) == 0 &&
               ::mknod(path.constData(), S_IFCHR | 0666, model.st_rdev) == 0;
    }
    case NodeKind::Fifo:
        return ::mkfifo(path.constData(), 0644) == 0;
    case NodeKind::LinkLoop:
        return ::symlink(path.constData(), path.constData()) == 0;
    case NodeKind::DanglingLink:
        return ::symlink((path + ".nowhere").constData(), path.constData()) == 0;
    case NodeKind::Folder:
        return ::mkdir(path.constData(), 0755) == 0;
    }
    return false;
}

QStringList FolderPicture(const QByteArray &folder)
{
    QStringList lines;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return {QStringLiteral("no folder")};
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat info;
        if (::lstat(path.constData(), &info) != 0)
            continue;
        QString line = QStringLiteral("%1 mode=%2 size=%3 dev=%4:%5")
                           .arg(QString::fromLatin1(name.toHex()))
                           .arg(info.st_mode, 0, 8)
                           .arg(info.st_size)
                           .arg(major(info.st_rdev))
                           .arg(minor(info.st_rdev));
        if (S_ISLNK(info.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(path.constData(), target, sizeof target);
            line +=
                QStringLiteral(" -> ") + QString::fromLatin1(QByteArray(target, int(n)).toHex());
        } else if (S_ISREG(info.st_mode)) {
            line += QStringLiteral(" content=") + QString::fromLatin1(ReadBytes(path).toHex());
        } else if (S_ISDIR(info.st_mode)) {
            line += QStringLiteral(" [") + FolderPicture(path).join(QStringLiteral("; ")) +
                    QLatin1Char(']');
        }
        lines << line;
    }
    ::closedir(dir);
    lines.sort();
    return lines;
}

} // namespace ktv31::test
