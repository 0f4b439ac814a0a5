// Everything that sets up a simulated controller, its modem and its line.
#pragma once

#include "config/configimage.h"
#include "sim/faultplan.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

namespace ktv31::sim {

class TelephoneNetwork;

enum class DialOutcome
{
    Connect,
    Busy,
    NoCarrier,
    NoDialtone,
    NoAnswer,
    Error,
    Silence
};

struct ModemOptions
{
    bool enabled = false;
    bool absent = false;    // "no modem at all": every byte is swallowed, nothing ever answers
    int guardTimeMs = 1000; // silence needed before and after "+++"
    int dialDelayMs = 2000; // from the end of ATD<digits> to its result
    // One outcome per ATD in turn; the last one repeats.
    QList<DialOutcome> dialScript{DialOutcome::Connect};
    // When set, the number dialled decides who answers instead of the script: a station of the
    // network with a controller of its own, a busy line or nobody.
    std::shared_ptr<TelephoneNetwork> network;
};

struct SimOptions
{
    quint8 address = 0;
    quint8 typeCode = ServedTypeCode;
    quint8 firmwareVersion = 5;
    quint8 hardwareVersion = 2;
    QDateTime buildDate{QDate(2024, 6, 14), QTime(9, 30, 15)};
    QList<int> destroyedTables;             // 1..7; table 0 field 0 reports the lowest
    quint32 upperSpeedMask = 0x3FFFFF;      // table 1 field 0: every speed available
    quint32 calculatorSpeedMask = 0x3FFFFF; // table 1 field 1
    int speed = 0; // bit/s; 0 = as table 3 says (1200 unless a configuration file says otherwise)
    QString configFile; // tables 3, 5 and 6 from this configuration file

    bool pacing = false; // requests and answers take their wire time at 10 bits a byte
    int thinkTimeMs = 0; // between a complete request and the first answer byte
    QList<FaultRule> faults;
    quint32 faultSeed = 1;

    ModemOptions modem;

    QString frameLogPath; // "-" = standard error; empty = memory only
    QString devicePath;   // a real serial port instead of a pseudo-terminal
};

} // namespace ktv31::sim
