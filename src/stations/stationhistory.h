// Each station's configurations over time: kept only when they changed, and what changed.
#pragma once

#include "config/configimage.h"
#include "config/recordfields.h"
#include "shell/wholefile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace ktv31 {

// CONFIG/stations of the program folder: the stations' folders and the journal of rounds.
QString StationsFolder(const QString &programDir);
QString StationFolder(const QString &programDir, const QString &station);

// The station's kept configurations, oldest first.
QStringList KeptConfigurations(const QString &programDir, const QString &station);

struct KeepResult
{
    QString file;               // the file kept now; empty when nothing new was kept
    QList<FieldChange> changed; // against the configuration kept before (none for the first)
    FileFault fault = FileFault::None;
    bool ok() const { return fault == FileFault::None; }
};
// Keeps `record` as <date-time>.cnf in the station's folder, written whole, unless it is the
// same as the last one kept.
KeepResult KeepIfChanged(const QString &programDir, const QString &station,
                         const ConfigRecord &record, const QDateTime &at);

struct HistoryEntry
{
    QString file;
    QList<FieldChange> changed; // since the entry before
    bool readable = true;
};
QList<HistoryEntry> StationHistory(const QString &programDir, const QString &station);

QStringList FieldNames(const QList<FieldChange> &changes);

} // namespace ktv31
