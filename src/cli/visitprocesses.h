// The round's visits as worker processes: the tool runs itself once per station visit, on one
// line, so that every line has its own session, exchange and event loop.
#pragma once

#include "stations/stationround.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QProcess>

#include <functional>

namespace ktv31::cli {

class VisitProcesses : public QObject, public VisitLauncher
{
    Q_OBJECT
public:
    using Arguments = std::function<QStringList(int port, const Station &station)>;
    VisitProcesses(Arguments arguments, QObject *parent = nullptr);
    ~VisitProcesses() override;

    void setRound(StationRound *round) { round_ = round; }
    void start(int port, const Station &station) override;
    void interruptAll() override;

signals:
    // A line the visit on `port` said on its standard error.
    void progress(int port, const QString &line);

private:
    void readProgress(int port, QProcess &process);
    void finished(int port, QProcess *process, const QString &station);

    Arguments arguments_;
    StationRound *round_ = nullptr;
    QHash<int, QProcess *> running_;
    bool interrupted_ = false;
};

// A station's report as a round prints it with --json: name, ok, outcome, version, destroyed,
// file, changed.
QJsonObject StationReportObject(const StationReport &report);
// The report a worker prints as one JSON line (the same, and how the visit ended), and back.
QByteArray VisitReportJson(const StationReport &report);
StationReport VisitReportFromJson(const QByteArray &line, const QString &station);

} // namespace ktv31::cli
