// The program as an engineer starts and uses it: launch time, a live window during a read, memory.
#pragma once

#include <QString>

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
};
// "Параметры конфигурации" in the real main window over a paced line at `speed`, the editor
// closed without changes as soon as it opens.
WindowTiming TimeConfigurationCommand(int speed, int thinkUs);

} // namespace ktv31::bench
