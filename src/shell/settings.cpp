// The connection settings record, its settings file, the program folders and the table flags.
#include "shell/settings.h"

#include "shell/cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace ktv31 {

ConnectionSettings ConnectionSettings::Defaults()
{
    ConnectionSettings s;
    s.setLinkType(0);
    s.setPortNumber(1);
    s.setSpeed(1200);
    s.setPreambleCount(0);
    s.setAttempts(1);
    s.setNextByteWaitMs(100);
    s.setFirstByteWaitS(2);
    s.setRtsPauseMs(2);
    s.record_.setU8(Offset::Reserved21, 1);
    s.setConnectWaitS(50);
    s.setConnectAttempts(1);
    return s;
}

ConnectionSettings ConnectionSettings::fromBytes(const QByteArray &bytes)
{
    if (bytes.size() < Size)
        return Defaults();
    ConnectionSettings s;
    s.record_.assign(bytes.left(Size));
    return s;
}

QString ConnectionSettings::text(int offset, int size) const
{
    return fieldText(record_.data() + offset, size);
}

void ConnectionSettings::setText(int offset, int size, const QString &text)
{
    setFieldText(record_.data() + offset, size, text);
}

QString ConnectionSettings::ModemCommand() const
{
    return text(Offset::ModemCommand, TextSize::ModemCommand);
}
void ConnectionSettings::setModemCommand(const QString &t)
{
    setText(Offset::ModemCommand, TextSize::ModemCommand, t);
}
QString ConnectionSettings::CountryCode() const
{
    return text(Offset::CountryCode, TextSize::CountryCode);
}
void ConnectionSettings::setCountryCode(const QString &t)
{
    setText(Offset::CountryCode, TextSize::CountryCode, t);
}
QString ConnectionSettings::CityCode() const
{
    return text(Offset::CityCode, TextSize::CityCode);
}
void ConnectionSettings::setCityCode(const QString &t)
{
    setText(Offset::CityCode, TextSize::CityCode, t);
}
QString ConnectionSettings::PhoneNumber() const
{
    return text(Offset::PhoneNumber, TextSize::PhoneNumber);
}
void ConnectionSettings::setPhoneNumber(const QString &t)
{
    setText(Offset::PhoneNumber, TextSize::PhoneNumber, t);
}

SettingsFileRead ReadSettingsFile(const QString &path)
{
    SettingsFileRead result;
    const FileRead read = ReadFileStart(path, ConnectionSettings::Size);
    result.fault = read.fault;
    result.settings = ConnectionSettings::fromBytes(read.bytes);
    result.bytes = read.bytes;
    return result;
}

QStringList KeepDamagedSettings(const QString &path, const SettingsFileRead &read)
{
    if (!read.damaged())
        return {};
    const QString name = QFileInfo(path).fileName();
    const QString found =
        read.fault == FileFault::None
            ? QStringLiteral("Файл настроек %1 поврежден (%2 байт)").arg(name).arg(read.size())
            : QStringLiteral("Файл настроек %1 не прочитан: %2")
                  .arg(name, FileFaultText(read.fault));
    if (read.fault != FileFault::None)
        return {found, QStringLiteral("Взяты значения по умолчанию")};
    const QString kept = path + QStringLiteral(".damaged");
    if (ReplaceFile(kept, read.bytes) != FileFault::None)
        return {found, QStringLiteral("Взяты значения по умолчанию; копия файла не сохранена")};
    return {found, QStringLiteral("Взяты значения по умолчанию; прежний файл сохранен как %1")
                       .arg(QFileInfo(kept).fileName())};
}

QStringList SettingsNotSavedText(const QString &path, FileFault reason)
{
    return {QStringLiteral("Параметры связи не сохранены в файле %1").arg(path),
            FileFaultText(reason)};
}

ConnectionSettings LoadSettings(const QString &path)
{
    return ReadSettingsFile(path).settings;
}

bool SaveSettings(const QString &path, const ConnectionSettings &settings, FileFault *reason)
{
    const FileFault fault = ReplaceFile(path, settings.toBytes());
    if (reason)
        *reason = fault;
    return fault == FileFault::None;
}

namespace {

QString WithSlash(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// An actual file, not the permission bits: the superuser passes every permission check, and a
// read-only medium fails none of them.
bool CanCreateFilesIn(const QString &dir)
{
    QTemporaryFile probe(dir + QStringLiteral(".ktv31-probe-XXXXXX"));
    return probe.open();
}

// Installed beside its desktop entry, the executable's folder is a system folder (/usr/bin) even
// for a superuser who could write there.
bool IsInstalledCopy(const QString &executableDir)
{
    return QFileInfo::exists(executableDir +
                             QStringLiteral("../share/applications/ktv31-service.desktop"));
}

} // namespace

QString ChooseProgramDir(const QString &executableDir, const QString &userDataDir)
{
    if (userDataDir.isEmpty() ||
        (CanCreateFilesIn(executableDir) && !IsInstalledCopy(executableDir)))
        return executableDir;
    QDir().mkpath(userDataDir);
    return userDataDir;
}

QString UserDataDir()
{
    // One folder for the program, the tool and the simulator alike, whatever each is called.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : WithSlash(data) + QStringLiteral("ktv31/");
}

QString ProgramDir()
{
    // Without an application object there is no portable way to learn the executable's folder;
    // the working folder is the closest stand-in (tools and tests pass their own folder anyway).
    if (!QCoreApplication::instance())
        return WithSlash(QDir::currentPath());
    // Decided once: the folders must not move while the program runs.
    static const QString dir =
        ChooseProgramDir(WithSlash(QCoreApplication::applicationDirPath()), UserDataDir());
    return dir;
}

QString ConfigFolder(const QString &programDir)
{
    return programDir + QStringLiteral("CONFIG");
}
QString IniFolder(const QString &programDir)
{
    return programDir + QStringLiteral("INI");
}
QString SettingsFilePath(const QString &programDir)
{
    return IniFolder(programDir) + QStringLiteral("/ktv31.ini");
}
QString ExchangeLogPath(const QString &programDir)
{
    return programDir + QStringLiteral("LOG/exchange.log");
}

void CreateProgramFolders(const QString &programDir)
{
    for (const QString &folder : {ConfigFolder(programDir), IniFolder(programDir)}) {
        QDir dir;
        if (!dir.exists(folder))
            dir.mkdir(folder);
    }
}

} // namespace ktv31
