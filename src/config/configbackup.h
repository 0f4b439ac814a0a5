// Backups of a controller's configuration taken before the program writes changes into it.
#pragma once

#include "config/configimage.h"

#include <QDateTime>
#include <QString>

namespace ktv31 {

constexpr int KeptBackups = 50;

struct BackupResult
{
    bool saved = false;
    QString path;  // the file written, or the one that could not be
    QString error; // why not, for the operator
};

// The folder of the backups: CONFIG/backup of the program.
QString BackupFolder(const QString &programDir);
// "ktv31-ar<version>-<yy><mm><dd>-<hh><mm><ss>.cnf": the default file name with the time added.
QString BackupFileName(quint8 softwareVersion, const QDateTime &when);

// Writes the configuration `image` holds as a configuration file into the backup folder (whole,
// through a temporary file), then keeps only the KeptBackups newest backups.
BackupResult SaveConfigBackup(const QString &programDir, const ConfigImage &image,
                              const QDateTime &when = QDateTime::currentDateTime());

// The status text of a backup that could not be written.
QString BackupFailedText(const BackupResult &result);

} // namespace ktv31
