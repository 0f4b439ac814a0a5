// What the exchange monitor's window costs the program: the exchange, the main window's timer and
// memory.
#pragma once

#include "report.h"

#include <QString>

namespace ktv31::bench {

struct MonitorTiming
{
    QString failure;
    int runs = 0; // of "Параметры конфигурации" each way, in pairs
    Summary overheadWithoutMs;  // per exchange, the program without a monitor
    Summary overheadWithMs;     // per exchange, the monitor's window open
    double overheadShiftMs = 0; // median over the pairs of the difference of their medians
    double lateWithoutMs = 0;   // the main window's 10 ms timer: median of each run's maximum
    double lateWithMs = 0;
    double lateShiftMs = 0;      // median over the pairs of the difference of their maxima
    int lines = 0;               // given to the open window for the memory figure
    int rows = 0;                // of them held by it: the newest that fit its store
    double residentGrowthMb = 0; // from the main window alone to the window with `rows` rows
    double perRowUs = 0;         // appending them in batches, the window painting in between
    double repaintMs = 0;        // one paint of the grid, the longest pass the window adds
};

// "Параметры конфигурации" at `speed`, `runs` times without the monitor and `runs` times with its
// window open, taken in turns; then the window given `lines` lines of those exchanges.
MonitorTiming TimeMonitor(int speed, int thinkUs, int runs, int lines);

} // namespace ktv31::bench
