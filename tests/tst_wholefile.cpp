// Tests of the rule for the program's own files: only regular files are read or replaced.
#include "shell/wholefile.h"

#include "support/filenodes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ktv31;
using ktv31::test::FolderPicture;
using ktv31::test::MakeNode;
using ktv31::test::NodeKind;

class TstWholeFile : public QObject
{
    Q_OBJECT

private slots:
    void onlyRegularFilesAreReadOrReplaced_data();
    void onlyRegularFilesAreReadOrReplaced();
};

void TstWholeFile::onlyRegularFilesAreReadOrReplaced_data()
{
    QTest::addColumn<NodeKind>("kind");
    QTest::addColumn<FileFault>("readFault");
    QTest::addColumn<FileFault>("saveFault");
    QTest::newRow("new name") << NodeKind::Missing << FileFault::NoSuchFile << FileFault::None;
    QTest::newRow("missing folder")
        << NodeKind::MissingFolder << FileFault::NoSuchFolder << FileFault::NoSuchFolder;
    QTest::newRow("regular file") << NodeKind::Regular << FileFault::None << FileFault::None;
    QTest::newRow("link to a regular file")
        << NodeKind::LinkToRegular << FileFault::None << FileFault::None;
    QTest::newRow("character device")
        << NodeKind::CharDevice << FileFault::IsDevice << FileFault::IsDevice;
    QTest::newRow("FIFO") << NodeKind::Fifo << FileFault::IsFifo << FileFault::IsFifo;
    QTest::newRow("link loop") << NodeKind::LinkLoop << FileFault::LinkLoop << FileFault::LinkLoop;
    QTest::newRow("dangling link")
        << NodeKind::DanglingLink << FileFault::DanglingLink << FileFault::DanglingLink;
    QTest::newRow("folder") << NodeKind::Folder << FileFault::IsFolder << FileFault::IsFolder;
}

void TstWholeFile::onlyRegularFilesAreReadOrReplaced()
{
    QFETCH(NodeKind, kind);
    QFETCH(FileFault, readFault);
    QFETCH(FileFault, saveFault);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray target =
        folder + (kind == NodeKind::MissingFolder ? "/nowhere/target" : "/target");
    const QByteArray old("old content");
    if (!MakeNode(kind, target, old))
        QSKIP("the system does not let this user make such a node (mknod needs privilege)");
    const QStringList before = FolderPicture(folder);
    const QString path = QFile::decodeName(target);

    // A FIFO without a writer would block an ordinary open for good.
    const FileRead read = ReadFileStart(path, 100);
    QCOMPARE(read.fault, readFault);
    QCOMPARE(read.bytes, readFault == FileFault::None ? old : QByteArray());

    const QByteArray fresh("new content");
    QCOMPARE(ReplaceFile(path, fresh), saveFault);
    if (saveFault != FileFault::None) {
        QCOMPARE(FolderPicture(folder), before);
        return;
    }
    QCOMPARE(ReadFileStart(path, 100).bytes, fresh);
    // Through a link the target is replaced, and the link stays what it was.
    QCOMPARE(QFileInfo(path).isSymLink(), kind == NodeKind::LinkToRegular);
    QCOMPARE(FolderPicture(folder).size(), kind == NodeKind::Missing ? 1 : before.size());
}

QTEST_GUILESS_MAIN(TstWholeFile)
#include "tst_wholefile.moc"
