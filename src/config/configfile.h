// Configuration files: parsing and writing the 1247-byte record, and the load and save dialogues.
#pragma once

#include "config/configimage.h"
#include "shell/operatorseam.h"
#include "shell/wholefile.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace ktv31 {

// The older layout of version 3/4 controllers, still read.
namespace OldRecordOffset {
constexpr int Size = 1211;
constexpr int LinkParameters = 0; // 7 bytes
constexpr int Links = 25;         // 255 link entries
constexpr int ModemString = 1045;
} // namespace OldRecordOffset

enum class ConfigFileError
{
    None,
    OpenFailed,       // cannot be opened for reading or writing
    NotConfiguration, // wrong size or type byte
    WriteFailed,      // opened, but the record did not reach the disk whole
};

struct ConfigFileResult
{
    ConfigRecord record;
    ConfigFileError error = ConfigFileError::None;
    FileFault reason = FileFault::None; // OpenFailed, WriteFailed: why
    bool ok() const { return error == ConfigFileError::None; }
};

// A one-line text for tools and logs, the reason after a colon; the dialogues use their own
// two-line messages.
QString ConfigFileErrorText(ConfigFileError error, const QString &fileName,
                            FileFault reason = FileFault::None);

// The record a file of these bytes holds: 1247 bytes or more are taken as they are (the first
// 1247), 1211 bytes are converted from the older layout, anything else gives a zero record. The
// error is NotConfiguration when the record's type byte is not 8.
ConfigFileResult ParseConfigFile(const QByteArray &bytes);
// Reads at most the first 1247 bytes of the regular file at `path` and parses them; anything
// else (a FIFO, a device, a folder) is refused unopened.
ConfigFileResult ReadConfigFile(const QString &path);
// Replaces the regular file at `path` (or creates it) with the record, through a temporary file
// beside it, so that a failed write leaves any earlier file as it was; a path that names
// anything else is refused and left alone. `reason` (may be null) receives why it failed.
ConfigFileError WriteConfigFile(const QString &path, const ConfigRecord &record,
                                FileFault *reason = nullptr);

// "ktv31-ar<version>-<yy><mm><dd>.cnf".
QString DefaultConfigFileName(quint8 softwareVersion, const QDate &date);

// The filter list of the configuration-file choosers; its first entry is the one offered.
extern const char ConfigFileFilter[];

// State that the main window keeps for the configuration-file commands.
struct ConfigFileContext
{
    QString programDir;  // ends with '/'
    QString currentPath; // the last loaded or offered configuration file
};

// Lets the operator choose a file and reads it; false (after telling the operator, unless the
// choice was cancelled) when no valid record was read.
bool LoadConfigFile(ConfigFileContext &context, Operator &op, ConfigRecord &record);

// Offers a file name built from the image's software version and `today`, lets the operator
// choose, asks before replacing another existing file and writes the record. True when saved.
bool SaveConfigFile(ConfigFileContext &context, Operator &op, const ConfigImage &image,
                    const ConfigRecord &record, bool askFirst,
                    const QDate &today = QDate::currentDate());

} // namespace ktv31
