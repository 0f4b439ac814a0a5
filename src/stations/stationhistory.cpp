// Keeping a station's configuration when it changed, and reading its history back.
#include "stations/stationhistory.h"

#include "config/configfile.h"
#include "shell/settings.h"

#include <QDir>

namespace ktv31 {
namespace {

const QString kSuffix = QStringLiteral(".cnf");

// Sorts as it was taken, and is a valid file name on every system (no colons).
QString FileNameAt(const QDateTime &at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

} // namespace

QString StationsFolder(const QString &programDir)
{
    return ConfigFolder(programDir) + QStringLiteral("/stations");
}

QString StationFolder(const QString &programDir, const QString &station)
{
    return StationsFolder(programDir) + QLatin1Char('/') + station;
}

QStringList KeptConfigurations(const QString &programDir, const QString &station)
{
    const QDir folder(StationFolder(programDir, station));
    QStringList files;
    for (const QString &name :
         folder.entryList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Name))
        files.append(folder.filePath(name));
    return files;
}

KeepResult KeepIfChanged(const QString &programDir, const QString &station,
                         const ConfigRecord &record, const QDateTime &at)
{
    KeepResult result;
    const QStringList kept = KeptConfigurations(programDir, station);
    if (!kept.isEmpty()) {
        const ConfigFileResult last = ReadConfigFile(kept.last());
        if (last.ok() && last.record == record)
            return result;
        if (last.ok())
            result.changed = ChangedFields(last.record, record);
    }
    const QString folder = StationFolder(programDir, station);
    QDir().mkpath(folder);
    // Two visits within one second (a backup and the write after it) keep two files.
    QString path = folder + QLatin1Char('/') + FileNameAt(at) + kSuffix;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + QLatin1Char('/') + FileNameAt(at) + QStringLiteral("_%1").arg(n) + kSuffix;
    if (WriteConfigFile(path, record, &result.fault) != ConfigFileError::None) {
        if (result.fault == FileFault::None)
            result.fault = FileFault::WriteFailed;
        return result;
    }
    result.file = path;
    return result;
}

QList<HistoryEntry> StationHistory(const QString &programDir, const QString &station)
{
    QList<HistoryEntry> history;
    std::optional<ConfigRecord> before;
    for (const QString &file : KeptConfigurations(programDir, station)) {
        HistoryEntry entry{file, {}, true};
        const ConfigFileResult read = ReadConfigFile(file);
        entry.readable = read.ok();
        if (read.ok()) {
            if (before)
                entry.changed = ChangedFields(*before, read.record);
            before = read.record;
        }
        history.append(entry);
    }
    return history;
}

QStringList FieldNames(const QList<FieldChange> &changes)
{
    QStringList names;
    for (const FieldChange &c : changes)
        names.append(c.name);
    return names;
}

} // namespace ktv31
