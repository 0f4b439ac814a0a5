// The round's queue of stations over its lines.
#include "stations/stationround.h"

#include "stations/stationtexts.h"

namespace ktv31 {

std::optional<QString> RoundLinesFault(const QList<Station> &stations, const QList<int> &modemLines)
{
    for (const Station &s : stations) {
        if (s.telephone() && modemLines.isEmpty())
            return QStringLiteral("строка %1: у станции «%2» телефон, а линий с модемом не "
                                  "названо (--lines)")
                .arg(s.bookLine)
                .arg(s.name);
        if (s.telephone() && s.port && !modemLines.contains(s.port))
            return QStringLiteral("строка %1: станции «%2» назначена линия COM%3, но её нет "
                                  "среди линий с модемом (--lines)")
                .arg(s.bookLine)
                .arg(s.name)
                .arg(s.port);
        if (!s.telephone() && modemLines.contains(s.port))
            return QStringLiteral("строка %1: станция «%2» на прямой связи через COM%3, а этот "
                                  "порт назван линией с модемом (--lines)")
                .arg(s.bookLine)
                .arg(s.name)
                .arg(s.port);
    }
    return std::nullopt;
}

StationRound::StationRound(QList<Station> stations, QList<int> modemLines, int redials,
                           VisitLauncher &launcher, QObject *parent)
    : QObject(parent), stations_(std::move(stations)), modemLines_(std::move(modemLines)),
      ports_(modemLines_), redials_(redials), launcher_(launcher)
{
    reports_.resize(stations_.size());
    for (int i = 0; i < stations_.size(); ++i) {
        queue_.append({i, 0});
        if (!stations_[i].telephone() && !ports_.contains(stations_[i].port))
            ports_.append(stations_[i].port);
    }
}

void StationRound::start()
{
    started_ = true;
    dispatch();
}

void StationRound::interrupt()
{
    if (interrupted_)
        return;
    interrupted_ = true;
    launcher_.interruptAll();
    announceIfFinished();
}

bool StationRound::mayServe(const Station &station, int port) const
{
    if (!station.telephone())
        return station.port == port;
    return modemLines_.contains(port) && (station.port == 0 || station.port == port);
}

bool StationRound::anyWorkingLineFor(const Station &station) const
{
    for (int port : ports_)
        if (!lost_.contains(port) && mayServe(station, port))
            return true;
    return false;
}

void StationRound::dispatch()
{
    if (interrupted_)
        return;
    for (int port : ports_) {
        if (lost_.contains(port) || running_.contains(port))
            continue;
        for (qsizetype i = 0; i < queue_.size(); ++i) {
            const Station &station = stations_[queue_[i].index];
            if (!mayServe(station, port))
                continue;
            Waiting next = queue_.takeAt(i);
            ++next.calls;
            running_.insert(port, next);
            emit visitStarted(port, station.name, next.calls);
            launcher_.start(port, station);
            break;
        }
    }
}

void StationRound::finish(int index, StationReport report)
{
    report.name = stations_[index].name;
    reports_[index] = report;
    ++done_;
    emit stationFinished(report);
}

// The stations that only lost lines could have served end with that line's fault.
void StationRound::endStranded(const QString &reason)
{
    for (qsizetype i = queue_.size() - 1; i >= 0; --i) {
        const int index = queue_[i].index;
        if (anyWorkingLineFor(stations_[index]))
            continue;
        StationReport report;
        report.outcome = reason;
        report.calls = queue_[i].calls;
        queue_.removeAt(i);
        finish(index, report);
    }
}

void StationRound::visitEnded(int port, const StationReport &report)
{
    const auto it = running_.find(port);
    if (it == running_.end())
        return;
    Waiting visit = *it;
    running_.erase(it);
    StationReport r = report;
    r.port = port;
    r.calls = visit.calls;
    const bool modemLine = modemLines_.contains(port);
    if (r.end == VisitEnd::CallAgain && visit.calls <= redials_ && !interrupted_) {
        queue_.append(visit);
    } else if (r.end == VisitEnd::LineFault && modemLine) {
        lost_.insert(port);
        emit lineLost(port, r.outcome);
        --visit.calls; // the station was not called: the line failed
        queue_.prepend(visit);
        endStranded(r.outcome);
    } else {
        finish(visit.index, r);
    }
    dispatch();
    announceIfFinished();
}

void StationRound::announceIfFinished()
{
    if (!finished() || announced_)
        return;
    announced_ = true;
    emit roundFinished();
}

QList<StationReport> StationRound::reports() const
{
    QList<StationReport> out;
    for (int i = 0; i < stations_.size(); ++i) {
        if (reports_[i]) {
            out.append(*reports_[i]);
            continue;
        }
        StationReport never;
        never.name = stations_[i].name;
        never.outcome = StationText::NotCalled();
        never.end = VisitEnd::Interrupted;
        out.append(never);
    }
    return out;
}

} // namespace ktv31
