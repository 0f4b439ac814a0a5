// Writing a backup of the configuration as read, and thinning out the older ones.
#include "config/configbackup.h"

#include "config/conffun.h"
#include "config/configfile.h"
#include "shell/settings.h"

#include <QDir>
#include <QFileInfo>

namespace ktv31 {
namespace {

const QString kBackupPattern = QStringLiteral("ktv31-ar*-*-*.cnf");

// Two writes within one second must not replace each other.
QString FreePath(const QDir &folder, const QString &name)
{
    QString path = folder.filePath(name);
    const QString stem = QFileInfo(name).completeBaseName();
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2.cnf").arg(stem).arg(n));
    return path;
}

void PruneBackups(const QDir &folder)
{
    // Names sort by time within a version; the file times decide across versions.
    const QFileInfoList backups = folder.entryInfoList(
        {kBackupPattern}, QDir::Files, QDir::Time);
    for (qsizetype i = KeptBackups; i < backups.size(); ++i)
        QFile::remove(backups[i].absoluteFilePath());
}

} // namespace

QString BackupFolder(const QString &programDir)
{
    return ConfigFolder(programDir) + QStringLiteral("/backup");
}

QString BackupFileName(quint8 softwareVersion, const QDateTime &when)
{
    const QString day = DefaultConfigFileName(softwareVersion, when.date());
    return QFileInfo(day).completeBaseName() + when.time().toString(QStringLiteral("-HHmmss")) +
           QStringLiteral(".cnf");
}

BackupResult SaveConfigBackup(const QString &programDir, const ConfigImage &image,
                              const QDateTime &when)
{
    BackupResult result;
    QDir folder(BackupFolder(programDir));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        result.path = folder.path();
        result.error = QStringLiteral("папка %1 не создана").arg(folder.path());
        return result;
    }
    ConfigRecord record;
    ImageToRecord(image, record);
    result.path = FreePath(folder, BackupFileName(image.SoftwareVersion(), when));
    const ConfigFileError error = WriteConfigFile(result.path, record);
    if (error != ConfigFileError::None) {
        result.error = ConfigFileErrorText(error, QFileInfo(result.path).fileName());
        return result;
    }
    result.saved = true;
    PruneBackups(folder);
    return result;
}

QString BackupFailedText(const BackupResult &result)
{
    return QStringLiteral("Резервная копия конфигурации не записана (%1)").arg(result.error);
}

} // namespace ktv31
