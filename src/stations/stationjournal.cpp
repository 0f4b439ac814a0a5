// Writing and reading the journal of rounds.
#include "stations/stationjournal.h"

#include "stations/stationhistory.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ktv31 {

QString JournalPath(const QString &programDir)
{
    return StationsFolder(programDir) + QStringLiteral("/journal.jsonl");
}

QString RoundLockPath(const QString &programDir)
{
    return StationsFolder(programDir) + QStringLiteral("/round.lock");
}

bool AppendJournal(const QString &path, const JournalEntry &entry)
{
    const StationReport &r = entry.report;
    QJsonArray destroyed;
    for (int t : r.destroyed)
        destroyed.append(t);
    const QJsonObject line{
        {QStringLiteral("round"), entry.round},
        {QStringLiteral("book"), entry.book},
        {QStringLiteral("at"), entry.at.toString(Qt::ISODate)},
        {QStringLiteral("station"), r.name},
        {QStringLiteral("ok"), r.ok},
        {QStringLiteral("outcome"), r.outcome},
        {QStringLiteral("version"), r.version},
        {QStringLiteral("destroyed"), destroyed},
        {QStringLiteral("file"), r.file.isEmpty() ? QJsonValue() : QJsonValue(r.file)},
        {QStringLiteral("changed"), QJsonArray::fromStringList(r.changed)},
        {QStringLiteral("port"), r.port},
        {QStringLiteral("ms"), r.visitMs},
    };
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    // One write of the whole line, so that an interrupted round leaves whole lines.
    const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    return file.write(bytes) == bytes.size() && file.flush();
}

std::optional<ResumePoint> LastRoundOf(const QString &path, const QString &book)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<ResumePoint> last;
    while (!file.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
        if (line.value(QStringLiteral("book")).toString() != book)
            continue;
        const QString round = line.value(QStringLiteral("round")).toString();
        if (!last || last->round != round)
            last = ResumePoint{round, {}};
        if (line.value(QStringLiteral("ok")).toBool())
            last->done.insert(line.value(QStringLiteral("station")).toString());
    }
    return last;
}

} // namespace ktv31
