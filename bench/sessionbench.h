// Whole operations over a paced line, and what waiting costs: ReadConfiguration, silence, dialling.
#pragma once

#include <QString>

namespace ktv31::bench {

struct ConfigTiming
{
    QString failure;
    int exchanges = 0;
    double elapsedMs = 0;
    double floorMs = 0;             // wire + think + pauses + the closing wait
    double heartbeatMaxLateMs = -1; // when a heartbeat ran beside it
    int heartbeats = 0;
};
ConfigTiming TimeReadConfiguration(int speed, int thinkUs, bool withHeartbeat);

struct WriteTiming
{
    QString failure;
    int exchanges = 0;
    qint64 lineBytes = 0; // requests and answers together
    double elapsedMs = 0;
};
// A changed-only write of `calculators` calculator links, each a run of its own, with or
// without reading every run back.
WriteTiming TimeChangedWrite(int speed, int thinkUs, int calculators, bool readBack);

struct CpuCost
{
    QString failure;
    double wallMs = 0;
    double cpuMs = 0;
    double percent() const { return wallMs > 0 ? 100.0 * cpuMs / wallMs : 0; }
};
// One exchange with a controller that never answers, waiting `waitMs` for the first byte.
CpuCost CostOfSilentWait(int waitMs);
// One dialling through the simulator's modem, whose dial result comes after `dialDelayMs`.
CpuCost CostOfDialling(int dialDelayMs);

} // namespace ktv31::bench
