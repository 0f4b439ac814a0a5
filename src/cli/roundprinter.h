// What a round shows: on a terminal a live line per line and the count, overwritten in place;
// at the end a table, or one JSON object a station.
#pragma once

#include "stations/stationreport.h"

#include <QList>
#include <QMap>
#include <QString>

namespace ktv31::cli {

class RoundPrinter
{
public:
    // `live`: standard error is a terminal; `verbose`: without one, the lines' progress is
    // printed anyway, each line tagged by its port.
    RoundPrinter(int total, bool live, bool verbose);

    void started(int port, const QString &station, int call);
    void progress(int port, const QString &text);
    void finished(const StationReport &report);
    void lineLost(int port, const QString &reason);
    // Takes the live lines off the terminal.
    void close();

private:
    void redraw();

    int total_;
    int done_ = 0;
    bool live_;
    bool verbose_;
    QMap<int, QString> station_; // by port
    QMap<int, QString> lines_;
    int drawn_ = 0;
};

void PrintRoundTable(const QList<StationReport> &reports);
void PrintRoundJson(const QList<StationReport> &reports);

} // namespace ktv31::cli
