// The program as an engineer starts and uses it: launch time, a live window during a read, memory.
#pragma once

#include "shell/exchangeline.h"

#include <QString>

#include <vector>

namespace ktv31::bench {

struct LaunchTiming
{
    QString failure;
    double ms = 0; // from the start of ktv31-service to its connection dialog on screen
};
// Starts the real program (offscreen) `runs` times; the median.
LaunchTiming TimeLaunch(int runs);

struct StartUpTiming
{
    QString failure;
    double ms = 0; // from the start of ktv31-service to "Параметры" in its menu (median)
    double floorMs = 0; // the start timer, the settling after DTR, the RTS pause, the wire time
    int requestBytes = 0;
    int answerBytes = 0;
};
// Starts the program `runs` times against the simulator at `speed` (paced, 10 bits a byte, no
// think time), with a person who presses "Связаться" the moment the dialog is up; the median.
StartUpTiming TimeStartUp(int runs, int speed);

struct WindowTiming
{
    QString failure;
    int beats = 0;
    double maxLateMs = 0;  // of the main window's own 10 ms timer
    int progressSeen = 0;  // the highest position the wait dialog's bar showed
    double residentMb = 0; // after the configuration editor has been opened and closed
    // Of each exchange after the first: from the answer before to its own, less the wire time,
    // the think time and the pause before sending.
    std::vector<double> exchangeOverheadMs;
    std::vector<ExchangeLine> frames; // as they went over the line
};
// The exchange monitor in the program: as it ships (there, its window closed), not there at
// all, or its window open.
enum class MonitorUse
{
    Closed,
    Absent,
    Open
};
// "Параметры конфигурации" in the real main window over a paced line at `speed`, the editor
// closed without changes as soon as it opens.
WindowTiming TimeConfigurationCommand(int speed, int thinkUs,
                                      MonitorUse monitor = MonitorUse::Closed);

// The resident memory of the program over many reads of the configuration in its main window
// (the monitor there, its window closed): after the first, once settled, after the last.
constexpr int kSettledAfterReads = 50;
struct MemoryOverReads
{
    QString failure;
    int cycles = 0;
    double firstMb = 0;
    double settledMb = 0; // after kSettledAfterReads
    double lastMb = 0;
};
MemoryOverReads ResidentOverConfigurationReads(int cycles, int speed);

// The process's resident memory, from /proc/self/statm; -1 where that cannot be read.
double ResidentMb();

} // namespace ktv31::bench
