// Exchange timing over a paced line: the engine's reads and a libmodbus peer's reads of the same
// sizes.
#pragma once

#include "report.h"

#include <QString>

namespace ktv31::bench {

struct LineTiming
{
    QString failure; // empty when the run could be measured (at most 1% failed exchanges)
    int failedExchanges = 0;
    QString firstFailure;
    int requestBytes = 0;
    int answerBytes = 0;
    double wireMs = 0;     // request and answer
    double fixedMs = 0;    // think time and the pause before sending
    Summary overheadMs;    // elapsed - wire - fixed, per exchange
    double ratio = 0;      // (median elapsed - fixed) / wire
    Summary beforeSendMs;  // of the overhead: from the call to the request's write, less the pause
    Summary afterAnswerMs; // from the answer's last byte leaving the responder to the return
    Summary requestSeenMs; // from the request's write to the responder reading it
    double responderLateMs = 0; // the latest any answer byte left the responder behind its moment
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

constexpr int kSendPauseMs = 2;  // the fixed pause between raising RTS and sending
constexpr int kBitsPerByte = 10; // a start bit, eight data bits, a stop bit

inline double WireMs(int bytes, int speed)
{
    return double(bytes) * kBitsPerByte * 1000.0 / speed;
}

} // namespace ktv31::bench
