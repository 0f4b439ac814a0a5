// The connection settings record, its settings file and the program folders.
#pragma once

#include "shell/byterecord.h"
#include "shell/wholefile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ktv31 {

// The link types of the settings record.
constexpr quint8 DirectLink = 0;
constexpr quint8 TelephoneLink = 1;

// The 286-byte settings record as it lies in the settings file: packed, little-endian, texts
// zero-terminated in Windows-1251. Values are not range-checked here; the connection dialog does
// that. Reserved bytes are nobody's business but are kept as read.
class ConnectionSettings
{
public:
    static constexpr int Size = 286;

    struct Offset
    {
        static constexpr int LinkType = 0;
        static constexpr int Reserved1 = 1;
        static constexpr int PortNumber = 2;
        static constexpr int Speed = 3;
        static constexpr int PreambleCount = 7;
        static constexpr int Attempts = 8;
        static constexpr int NextByteWaitMs = 9;
        static constexpr int FirstByteWaitS = 13;
        static constexpr int RtsPauseMs = 17;
        static constexpr int Reserved21 = 21;
        static constexpr int ModemCommand = 22;
        static constexpr int CountryCode = 222;
        static constexpr int CityCode = 232;
        static constexpr int PhoneNumber = 242;
        static constexpr int ConnectWaitS = 277;
        static constexpr int Reserved281 = 281;
        static constexpr int ConnectAttempts = 282;
    };
    // Field sizes of the texts, terminator included.
    struct TextSize
    {
        static constexpr int ModemCommand = 200;
        static constexpr int CountryCode = 10;
        static constexpr int CityCode = 10;
        static constexpr int PhoneNumber = 35;
    };

    // All bytes zero; see Defaults() for the values of a program without a settings file.
    ConnectionSettings() = default;
    static ConnectionSettings Defaults();
    // The first Size bytes of `bytes`; a shorter source is not a record and gives Defaults().
    static ConnectionSettings fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const { return record_.toBytes(); }

    ByteRecord<Size> &record() { return record_; }
    const ByteRecord<Size> &record() const { return record_; }

    quint8 LinkType() const { return record_.u8(Offset::LinkType); }
    void setLinkType(quint8 v) { record_.setU8(Offset::LinkType, v); }
    quint8 PortNumber() const { return record_.u8(Offset::PortNumber); }
    void setPortNumber(quint8 v) { record_.setU8(Offset::PortNumber, v); }
    qint32 Speed() const { return record_.i32(Offset::Speed); }
    void setSpeed(qint32 v) { record_.setI32(Offset::Speed, v); }
    quint8 PreambleCount() const { return record_.u8(Offset::PreambleCount); }
    void setPreambleCount(quint8 v) { record_.setU8(Offset::PreambleCount, v); }
    quint8 Attempts() const { return record_.u8(Offset::Attempts); }
    void setAttempts(quint8 v) { record_.setU8(Offset::Attempts, v); }
    qint32 NextByteWaitMs() const { return record_.i32(Offset::NextByteWaitMs); }
    void setNextByteWaitMs(qint32 v) { record_.setI32(Offset::NextByteWaitMs, v); }
    qint32 FirstByteWaitS() const { return record_.i32(Offset::FirstByteWaitS); }
    void setFirstByteWaitS(qint32 v) { record_.setI32(Offset::FirstByteWaitS, v); }
    qint32 RtsPauseMs() const { return record_.i32(Offset::RtsPauseMs); }
    void setRtsPauseMs(qint32 v) { record_.setI32(Offset::RtsPauseMs, v); }
    qint32 ConnectWaitS() const { return record_.i32(Offset::ConnectWaitS); }
    void setConnectWaitS(qint32 v) { record_.setI32(Offset::ConnectWaitS, v); }
    qint32 ConnectAttempts() const { return record_.i32(Offset::ConnectAttempts); }
    void setConnectAttempts(qint32 v) { record_.setI32(Offset::ConnectAttempts, v); }

    // Texts longer than their field less the terminator are cut.
    QString ModemCommand() const;
    void setModemCommand(const QString &text);
    QString CountryCode() const;
    void setCountryCode(const QString &text);
    QString CityCode() const;
    void setCityCode(const QString &text);
    QString PhoneNumber() const;
    void setPhoneNumber(const QString &text);

    bool operator==(const ConnectionSettings &other) const { return record_ == other.record_; }
    bool operator!=(const ConnectionSettings &other) const { return record_ != other.record_; }

private:
    QString text(int offset, int size) const;
    void setText(int offset, int size, const QString &text);

    ByteRecord<Size> record_;
};

// How reading a settings file went.
struct SettingsFileRead
{
    ConnectionSettings settings = ConnectionSettings::Defaults(); // Defaults() unless read
    FileFault fault = FileFault::None; // why the file was not read; NoSuchFile when missing
    QByteArray bytes;                  // as read, at most a record's
    int size() const { return int(bytes.size()); }
    bool ok() const { return fault == FileFault::None && size() == ConnectionSettings::Size; }
    // There, but no whole record: the defaults stand in for it.
    bool damaged() const
    {
        return !ok() && fault != FileFault::NoSuchFile && fault != FileFault::NoSuchFolder;
    }
};
// The record held in the regular file at `path`. Bytes beyond the record are ignored; anything
// that is not a regular file (a FIFO, a device) is refused unopened.
SettingsFileRead ReadSettingsFile(const QString &path);
// ReadSettingsFile's settings: Defaults() when the file is missing, unreadable or shorter than a
// record.
ConnectionSettings LoadSettings(const QString &path);
// A damaged settings file's bytes kept as <path>.damaged, so that the settings written at the
// close do not replace the only copy of them. Two lines for the person: what was found and
// what became of it; empty when the file was not damaged.
QStringList KeepDamagedSettings(const QString &path, const SettingsFileRead &read);
// Two lines for the person on settings that could not be written.
QStringList SettingsNotSavedText(const QString &path, FileFault reason);
// Replaces the regular file at `path` (or creates it) with exactly the record's bytes, or leaves
// whatever is there untouched and returns false, with the reason in `reason` (may be null). A
// missing folder is not created.
bool SaveSettings(const QString &path, const ConnectionSettings &settings,
                  FileFault *reason = nullptr);

// The program folder, ending with '/': the one that holds CONFIG, INI (the settings file and
// the COM<n> links) and LOG. Everything asks this; it is decided once per run by
// ChooseProgramDir from the executable's folder and the user's data folder.
QString ProgramDir();
// The executable's folder when the program may create files there and it is not an installed
// copy (one with its desktop entry in ../share/applications): a portable copy, the build tree.
// Otherwise the user's data folder, created when missing. Both end with '/'.
QString ChooseProgramDir(const QString &executableDir, const QString &userDataDir);
// The user's own data folder of the program, shared by all its executables, ending with '/'
// (~/.local/share/ktv31/ on Linux); empty when the system names none.
QString UserDataDir();
QString ConfigFolder(const QString &programDir);
QString IniFolder(const QString &programDir);
QString SettingsFilePath(const QString &programDir);
QString ExchangeLogPath(const QString &programDir);
// Creates CONFIG and INI in the program folder when missing (one level only; failures are ignored).
void CreateProgramFolders(const QString &programDir);

} // namespace ktv31
