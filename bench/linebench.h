// Exchange timing over a paced line: the engine's reads and a libmodbus peer's reads of the same sizes.
#pragma once

#include "report.h"

#include <QString>

namespace ktv31::bench {

struct LineTiming
{
    QString failure; // empty when every exchange succeeded
    int requestBytes = 0;
    int answerBytes = 0;
    double wireMs = 0;     // request and answer
    double fixedMs = 0;    // think time and the pause before sending
    Summary overheadMs;    // elapsed - wire - fixed, per exchange
    double ratio = 0;      // (median elapsed - fixed) / wire
};

struct LineSetup
{
    int speed = 9600;
    int thinkUs = 1000;
    int count = 1000;
};

// Reads `fields` fields of `table` through the exchange engine, over the paced responder.
LineTiming TimeEngineReads(const LineSetup &setup, int table, int fields);
// Reads holding registers through libmodbus so that the answer has (nearly) `answerBytes`.
LineTiming TimeModbusReads(const LineSetup &setup, int answerBytes);
// The engine over the simulator's own paced line, for comparison with the responder.
LineTiming TimeEngineOverSimulator(const LineSetup &setup, int table, int fields);

constexpr int kSendPauseMs = 2; // the fixed pause between raising RTS and sending

} // namespace ktv31::bench
