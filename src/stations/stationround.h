// The round's scheduler: which station each line calls next, redials, and a lost line's stations.
#pragma once

#include "stations/stationbook.h"
#include "stations/stationreport.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <optional>

namespace ktv31 {

// Runs the visits the round asks for, one at a time per port, and hands each report back through
// StationRound::visitEnded, later, from the event loop.
class VisitLauncher
{
public:
    virtual ~VisitLauncher() = default;
    virtual void start(int port, const Station &station) = 0;
    // Every running visit is asked to end in order: hang up and close.
    virtual void interruptAll() = 0;
};

// Why the round cannot serve `stations` on `modemLines`: a telephone station bound to a port
// that has no modem, a telephone station with no line at all, a direct station on a modem line.
std::optional<QString> RoundLinesFault(const QList<Station> &stations,
                                       const QList<int> &modemLines);

// Every telephone station is called on the first free modem line that may serve it, in the
// book's order; a direct station waits for its own port. A busy or unanswered station goes to
// the end of the queue and is called again after the others, up to `redials` more times. A line
// that fails is not used again: its station goes back to the front of the queue for the lines
// still working, and a station that none of them may serve ends with the line's fault.
class StationRound : public QObject
{
    Q_OBJECT
public:
    StationRound(QList<Station> stations, QList<int> modemLines, int redials,
                 VisitLauncher &launcher, QObject *parent = nullptr);

    void start();
    // No new call starts; the running visits are asked to end.
    void interrupt();
    void visitEnded(int port, const StationReport &report);

    bool finished() const
    {
        return started_ && running_.isEmpty() && (queue_.isEmpty() || interrupted_);
    }
    int total() const { return int(stations_.size()); }
    int done() const { return done_; }
    // One per station in the book's order; a station never finished says it was not called.
    QList<StationReport> reports() const;

signals:
    void visitStarted(int port, const QString &station, int call);
    void stationFinished(const StationReport &report);
    void lineLost(int port, const QString &reason);
    void roundFinished();

private:
    struct Waiting
    {
        int index;
        int calls;
    };

    void dispatch();
    bool mayServe(const Station &station, int port) const;
    bool anyWorkingLineFor(const Station &station) const;
    void finish(int index, StationReport report);
    void endStranded(const QString &reason);
    void announceIfFinished();

    QList<Station> stations_;
    QList<int> modemLines_;
    QList<int> ports_; // the modem lines, then the direct stations' ports
    int redials_;
    VisitLauncher &launcher_;
    QList<Waiting> queue_;
    QHash<int, Waiting> running_; // by port
    QSet<int> lost_;
    QList<std::optional<StationReport>> reports_;
    int done_ = 0;
    bool started_ = false;
    bool interrupted_ = false;
    bool announced_ = false;
};

} // namespace ktv31
