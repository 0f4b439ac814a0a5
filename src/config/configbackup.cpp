// Writing a backup of the configuration as read, and thinning out the older ones.
#include "config/configbackup.h"

#include "config/configfile.h"
#include "config/recordconversion.h"
#include "shell/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace ktv31 {
namespace {

// Two writes within one second must not replace each other.
QString FreePath(const QDir &folder, const QString &name)
{
    QString path = folder.filePath(name);
    const QString stem = QFileInfo(name).completeBaseName();
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2.cnf").arg(stem).arg(n));
    return path;
}

// The time a backup's name tells, with the number a second backup of the same second got: what
// the newest are is read from the names, not from file times that a copy may have changed.
struct BackupKey
{
    QString stamp; // "yymmdd-hhmmss"
    int number = 1;
    bool operator<(const BackupKey &o) const
    {
        return stamp != o.stamp ? stamp < o.stamp : number < o.number;
    }
};

std::optional<BackupKey> KeyOf(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^ktv31-ar\\d+-(\\d{6}-\\d{6})(?:-(\\d+))?\\.cnf$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    return BackupKey{match.captured(1),
                     match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()};
}

void PruneBackups(const QDir &folder)
{
    QList<std::pair<BackupKey, QString>> backups;
    for (const QString &name : folder.entryList(QDir::Files))
        if (const auto key = KeyOf(name))
            backups.append({*key, name});
    std::sort(backups.begin(), backups.end(),
              [](const auto &a, const auto &b) { return b.first < a.first; });
    for (qsizetype i = KeptBackups; i < backups.size(); ++i)
        QFile::remove(folder.filePath(backups[i].second));
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
