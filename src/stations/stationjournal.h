// The journal of rounds: one line per station per round, so that an ended round can be resumed.
#pragma once

#include "stations/stationreport.h"

#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>

namespace ktv31 {

QString JournalPath(const QString &programDir);
// The lock file that keeps a second round off the same program folder.
QString RoundLockPath(const QString &programDir);

struct JournalEntry
{
    QString round; // the round's start, as an ISO date-time
    QString book;  // the book's absolute path
    QDateTime at;
    StationReport report;
};

// Appends one line (a JSON object); false when it did not reach the file.
bool AppendJournal(const QString &path, const JournalEntry &entry);

struct ResumePoint
{
    QString round;
    QSet<QString> done; // the stations that round has finished with success
};
// The last round of `book` in the journal at `path`, or none.
std::optional<ResumePoint> LastRoundOf(const QString &path, const QString &book);

} // namespace ktv31
