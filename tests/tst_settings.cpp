// Tests of the settings record, its file, the program folders and the configuration table flags.
#include "shell/configtables.h"
#include "shell/settings.h"

#include "link/comportfunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

using namespace ktv31;

namespace {

using O = ConnectionSettings::Offset;

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(gen.bounded(256));
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// For the length of the scope a superuser acts as "nobody", so that a folder without write
// permission is one for the code under test as well; others act as themselves anyway.
class WithoutPrivileges
{
public:
    WithoutPrivileges()
    {
#ifdef Q_OS_UNIX
        const passwd *nobody = ::getpwnam("nobody");
        switched_ = runningAsRoot() && nobody && ::setegid(nobody->pw_gid) == 0 &&
                    ::seteuid(nobody->pw_uid) == 0;
#endif
    }
    ~WithoutPrivileges()
    {
#ifdef Q_OS_UNIX
        if (switched_ && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot return to the superuser");
#endif
    }
    WithoutPrivileges(const WithoutPrivileges &) = delete;
    WithoutPrivileges &operator=(const WithoutPrivileges &) = delete;

private:
    bool switched_ = false;
};

const QFile::Permissions kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                     QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
const QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

} // namespace

class TstSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaultsWithoutFile();
    void defaultsForUnusableFile_data();
    void defaultsForUnusableFile();
    void longFileUsesFirstRecordAndShrinksOnSave();
    void roundTripKeepsEveryByte();
    void integersAtOddOffsetsAreLittleEndian();
    void textFieldsAreCp1251();
    void textIsCutToLeaveTerminator();
    void saveIntoMissingFolderFails();
    void saveIntoReadOnlyFolderKeepsOldFile();
    void programFolders();
    void programFolderChoice_data();
    void programFolderChoice();
    void tableFlags();
};

void TstSettings::defaultsWithoutFile()
{
    QTemporaryDir dir;
    const ConnectionSettings s = LoadSettings(dir.filePath(QStringLiteral("ktv31.ini")));
    QCOMPARE(s.LinkType(), quint8(0));
    QCOMPARE(s.PortNumber(), quint8(1));
    QCOMPARE(s.Speed(), 1200);
    QCOMPARE(s.PreambleCount(), quint8(0));
    QCOMPARE(s.Attempts(), quint8(1));
    QCOMPARE(s.NextByteWaitMs(), 100);
    QCOMPARE(s.FirstByteWaitS(), 2);
    QCOMPARE(s.RtsPauseMs(), 2);
    QCOMPARE(s.ModemCommand(), QString());
    QCOMPARE(s.CountryCode(), QString());
    QCOMPARE(s.CityCode(), QString());
    QCOMPARE(s.PhoneNumber(), QString());
    QCOMPARE(s.ConnectWaitS(), 50);
    QCOMPARE(s.ConnectAttempts(), 1);
    QCOMPARE(s.record().u8(O::Reserved1), quint8(0));
    QCOMPARE(s.record().u8(O::Reserved21), quint8(1));
    QCOMPARE(s.record().u8(O::Reserved281), quint8(0));
    QVERIFY(s == ConnectionSettings::Defaults());

    // Saving the defaults creates the file with exactly one record.
    const QString path = dir.filePath(QStringLiteral("ktv31.ini"));
    QVERIFY(SaveSettings(path, s));
    QCOMPARE(QFileInfo(path).size(), qint64(ConnectionSettings::Size));
}

void TstSettings::defaultsForUnusableFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("one short") << randomBytes(285, 1) << false;
    QTest::newRow("a folder") << QByteArray() << true;
}

void TstSettings::defaultsForUnusableFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, asFolder);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ktv31.ini"));
    QVERIFY(asFolder ? QDir().mkdir(path) : writeFile(path, content));
    QVERIFY(LoadSettings(path) == ConnectionSettings::Defaults());
}

void TstSettings::longFileUsesFirstRecordAndShrinksOnSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ktv31.ini"));
    const QByteArray content = randomBytes(300, 2);
    QVERIFY(writeFile(path, content));
    const ConnectionSettings s = LoadSettings(path);
    QCOMPARE(s.toBytes(), content.left(ConnectionSettings::Size));
    QVERIFY(SaveSettings(path, s));
    QCOMPARE(readFile(path), content.left(ConnectionSettings::Size));
}

void TstSettings::roundTripKeepsEveryByte()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.ini"));
    const QString out = dir.filePath(QStringLiteral("out.ini"));
    for (quint32 seed = 10; seed < 15; ++seed) {
        const QByteArray content = randomBytes(ConnectionSettings::Size, seed);
        QVERIFY(writeFile(in, content));
        const ConnectionSettings s = LoadSettings(in);
        // Arbitrary bytes must read as some value, never run past a field without a terminator.
        QVERIFY(s.ModemCommand().size() <= ConnectionSettings::TextSize::ModemCommand);
        QVERIFY(s.PhoneNumber().size() <= ConnectionSettings::TextSize::PhoneNumber);
        QVERIFY(SaveSettings(out, s));
        QCOMPARE(readFile(out), content);
    }
}

void TstSettings::integersAtOddOffsetsAreLittleEndian()
{
    ConnectionSettings s = ConnectionSettings::Defaults();
    s.setSpeed(9600);
    s.setConnectWaitS(0x01020304);
    const QByteArray bytes = s.toBytes();
    QCOMPARE(bytes.mid(3, 4), QByteArray::fromHex("80250000"));
    QCOMPARE(bytes.mid(277, 4), QByteArray::fromHex("04030201"));
    // Neighbours of the odd-offset fields stay untouched.
    QCOMPARE(quint8(bytes[2]), quint8(1));
    QCOMPARE(quint8(bytes[7]), quint8(0));
    QCOMPARE(quint8(bytes[281]), quint8(0));
    QCOMPARE(ConnectionSettings::fromBytes(bytes).Speed(), 9600);
}

void TstSettings::textFieldsAreCp1251()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ktv31.ini"));
    ConnectionSettings s = ConnectionSettings::Defaults();
    const QString command = QStringLiteral("ATZ Ёж");
    s.setModemCommand(command);
    s.setCountryCode(QStringLiteral("7"));
    s.setCityCode(QStringLiteral("495"));
    s.setPhoneNumber(QStringLiteral("123-45-67"));
    const QByteArray bytes = s.toBytes();
    QCOMPARE(bytes.mid(O::ModemCommand, 8), QByteArray::fromHex("41545a20a8e60000"));
    QCOMPARE(bytes.mid(O::CityCode, 4), QByteArray("495\0", 4));
    QVERIFY(SaveSettings(path, s));
    const ConnectionSettings back = LoadSettings(path);
    QCOMPARE(back.ModemCommand(), command);
    QCOMPARE(back.CountryCode(), QStringLiteral("7"));
    QCOMPARE(back.CityCode(), QStringLiteral("495"));
    QCOMPARE(back.PhoneNumber(), QStringLiteral("123-45-67"));
}

void TstSettings::textIsCutToLeaveTerminator()
{
    ConnectionSettings s = ConnectionSettings::Defaults();
    s.setModemCommand(QString(200, QChar(u'Ж')));
    s.setCountryCode(QStringLiteral("1234567890AB"));
    QCOMPARE(s.ModemCommand(), QString(199, QChar(u'Ж')));
    QCOMPARE(s.record().u8(O::ModemCommand + 199), quint8(0));
    QCOMPARE(s.CountryCode(), QStringLiteral("123456789"));
    // The cut text does not spill into the following field.
    QCOMPARE(s.CityCode(), QString());
}

void TstSettings::saveIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("INI"));
    QVERIFY(!SaveSettings(folder + QStringLiteral("/ktv31.ini"), ConnectionSettings::Defaults()));
    QVERIFY(!QFileInfo::exists(folder));
}

void TstSettings::saveIntoReadOnlyFolderKeepsOldFile()
{
    if (runningAsRoot())
        QSKIP("permissions do not stop the superuser from writing");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ktv31.ini"));
    const QByteArray old = randomBytes(ConnectionSettings::Size, 3);
    QVERIFY(writeFile(path, old));
    QFile::Permissions folderPermissions = QFile::permissions(dir.path());
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool saved = SaveSettings(path, ConnectionSettings::Defaults());
    QFile::setPermissions(dir.path(), folderPermissions);
    QVERIFY(!saved);
    QCOMPARE(readFile(path), old);
}

void TstSettings::programFolders()
{
    QTemporaryDir dir;
    const QString programDir = dir.path() + QLatin1Char('/');
    QCOMPARE(SettingsFilePath(programDir), programDir + QStringLiteral("INI/ktv31.ini"));
    CreateProgramFolders(programDir);
    QVERIFY(QFileInfo(ConfigFolder(programDir)).isDir());
    QVERIFY(QFileInfo(IniFolder(programDir)).isDir());
    CreateProgramFolders(programDir); // already there: nothing happens
    QVERIFY(SaveSettings(SettingsFilePath(programDir), ConnectionSettings::Defaults()));

    // Only one level is created: a program folder that does not exist stays missing.
    const QString missing = dir.filePath(QStringLiteral("absent/"));
    CreateProgramFolders(missing);
    QVERIFY(!QFileInfo::exists(missing));

    QVERIFY(ProgramDir().endsWith(QLatin1Char('/')));
}

void TstSettings::programFolderChoice_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("installed"); // the desktop entry in ../share/applications
    QTest::addColumn<bool>("dataFolderKnown");
    QTest::addColumn<bool>("besideExecutable");
    QTest::newRow("writable program folder") << true << false << true << true;
    QTest::newRow("read-only program folder") << false << false << true << false;
    QTest::newRow("installed copy in a writable folder") << true << true << true << false;
    QTest::newRow("read-only, no data folder known") << false << false << false << true;
}

// Settings, configuration files and COM port links all follow the one choice.
void TstSettings::programFolderChoice()
{
    QFETCH(bool, writable);
    QFETCH(bool, installed);
    QFETCH(bool, dataFolderKnown);
    QFETCH(bool, besideExecutable);
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), kEveryone));
    const QString executableDir = dir.filePath(QStringLiteral("usr/bin/"));
    QVERIFY(QDir().mkpath(executableDir));
    if (installed) {
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("usr/share/applications"))));
        const QString entry = QStringLiteral("usr/share/applications/ktv31-service.desktop");
        QVERIFY(writeFile(dir.filePath(entry), "[Desktop Entry]\n"));
    }
    for (const QString &folder : {dir.filePath(QStringLiteral("usr")), executableDir})
        QVERIFY(QFile::setPermissions(folder, writable ? kEveryone : kReadOnly));
    const QString home = dir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QFile::setPermissions(home, kEveryone));
    const QString userDataDir =
        dataFolderKnown ? home + QStringLiteral("/share/ktv31/") : QString();

    QString chosen;
    {
        WithoutPrivileges asUser;
        chosen = ChooseProgramDir(executableDir, userDataDir);
    }
    QCOMPARE(chosen, besideExecutable ? executableDir : userDataDir);
    QVERIFY(QFileInfo(chosen).isDir());
    if (!besideExecutable) {
        CreateProgramFolders(chosen);
        QVERIFY(SaveSettings(SettingsFilePath(chosen), ConnectionSettings::Defaults()));
        QCOMPARE(QFileInfo(SettingsFilePath(chosen)).size(), qint64(ConnectionSettings::Size));
        QVERIFY(QFileInfo(ConfigFolder(chosen)).isDir());
#ifdef Q_OS_UNIX
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyUSB7"),
                            IniFolder(chosen) + QStringLiteral("/COM7")));
        QCOMPARE(ComPortDevice(7, chosen), QStringLiteral("/nonexistent/ttyUSB7"));
#endif
        QCOMPARE(QDir(executableDir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }
    QFile::setPermissions(executableDir, kEveryone);
    QFile::setPermissions(dir.filePath(QStringLiteral("usr")), kEveryone);
}

void TstSettings::tableFlags()
{
    const auto flags = ConfigTableFlags();
    QList<int> writable;
    for (int i = 0; i < int(flags.size()); ++i) {
        QCOMPARE(int(flags[i].table), i);
        QVERIFY(flags[i].writable <= 1);
        if (flags[i].writable)
            writable << i;
        QCOMPARE(IsWritableTable(i), flags[i].writable == 1);
    }
    QCOMPARE(writable, (QList<int>{3, 5, 6}));
    QCOMPARE(WritableTableCount(), 3);
    QVERIFY(!IsWritableTable(-1));
    QVERIFY(!IsWritableTable(8));
}

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
