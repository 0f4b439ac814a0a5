// Things at a file's name that are not regular files, made for tests, and a picture of a folder.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ktv31::test {

enum class NodeKind
{
    Missing,       // nothing at the name, in an existing folder
    MissingFolder, // nothing at the name, nor its folder
    Regular,
    LinkToRegular,
    CharDevice, // made with mknod, with the device number of `like`
    Fifo,
    LinkLoop,
    DanglingLink,
    Folder,
};

// Makes a node of `kind` at `path` (a regular file gets `content`, so does the target of
// LinkToRegular beside it). False when the system refuses, as mknod does without privilege.
bool MakeNode(NodeKind kind, const QByteArray &path, const QByteArray &content = {},
              const QByteArray &like = "/dev/null");

// One line per entry under `folder`, links not followed: name, type, size, device number, link
// target and the content of regular files. Equal pictures: nothing was replaced or created.
QStringList FolderPicture(const QByteArray &folder);

} // namespace ktv31::test
