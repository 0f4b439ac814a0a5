// Fuzz target: arbitrary line bytes, in arbitrary chunks, as the answer to one engine exchange.
#include "fuzzcheck.h"
#include "memoryport.h"

#include "protocol/framing.h"
#include "protocol/plcbox.h"

#include <cstring>

using namespace ktv31;

namespace {

constexpr quint8 kFunction = 29;
const quint8 kRequest[6] = {0, 0, 17, 0, 0, 0};

// What the receive rules say the line bytes amount to, worked out on its own: where the frame
// ends (or -1) and the frame itself.
struct Expected
{
    int end = -1;
    QByteArray frame;
};

Expected ScanLine(const QByteArray &line, quint8 address)
{
    Expected expected;
    quint8 frame[FrameBufferSize] = {};
    int s = 0;
    for (int i = 0; i < line.size(); ++i) {
        const quint8 byte = quint8(line[i]);
        frame[s] = byte;
        if (s == 0)
            s = byte == AnswerStartSymbol ? 1 : 0;
        else if (s == 1)
            s = byte == address ? 2 : (byte == AnswerStartSymbol ? 1 : 0);
        else if (s == 2)
            s = byte >= MinFrameLength ? 3 : 0;
        else
            ++s;
        if (s >= 3 && s >= frame[2]) {
            expected.end = i + 1;
            expected.frame = QByteArray(reinterpret_cast<const char *>(frame), frame[2]);
            return expected;
        }
    }
    return expected;
}

int ExpectedResult(const Expected &expected)
{
    if (expected.end < 0)
        return Result::ReadFailed; // the line ended before a whole frame
    if (Crc16(expected.frame) != 0)
        return Result::BadCrc;
    if (quint8(expected.frame[FrameOffset::Function]) == (kFunction | AnswerFunctionFlag))
        return Result::Ok;
    return quint8(expected.frame[FrameOffset::ErrorCode]) == ErrorValveSwitching
               ? Result::ValveRefused
               : Result::Refused;
}

struct Outcome
{
    int result = -1;
    QByteArray frame;    // the answer as held in RxBuffer, for a complete one
    QByteArray received; // what the engine reported taking off the line
};

Outcome RunExchange(const QByteArray &line, quint8 address, std::vector<int> chunks)
{
    fuzz::MemoryPort port(line, std::move(chunks));
    ExchangeSession session;
    InitExchangeSession(session, address);
    session.PortHandle = &port;
    session.Speed = 256000;
    session.RtsPauseMs = 0;
    session.Attempts = 1;
    // Generous waits: every byte is there at once, so only the end of the line ends a wait.
    session.FirstByteWaitMs = 20000;
    session.NextByteWaitMs = 20000;
    Outcome outcome;
    session.Tap = [&](FrameDirection direction, const QByteArray &bytes) {
        if (direction == FrameDirection::Received)
            outcome.received.append(bytes);
    };
    const bool ok = Exchange(session, kFunction, kRequest, int(sizeof kRequest), 0);
    outcome.result = session.ResultCode;
    FUZZ_CHECK(ok == (outcome.result == Result::Ok));
    if (outcome.result != Result::ReadFailed) {
        const int length = session.RxBuffer[FrameOffset::Length];
        outcome.frame = QByteArray(reinterpret_cast<const char *>(session.RxBuffer.data()), length);
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    fuzz::EnsureApplication();
    const quint8 chunkSeed = data[0];
    const quint8 address = data[1];
    const QByteArray line(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    const Expected expected = ScanLine(line, address);
    const int expectedResult = ExpectedResult(expected);

    // The pure pipeline exactly as the engine drives it.
    FrameBuffer rx{};
    AnswerReceiver receiver(rx, address);
    int end = -1;
    for (int i = 0; i < line.size() && end < 0; ++i) {
        if (receiver.feed(quint8(line[i])))
            end = i + 1;
        FUZZ_CHECK(receiver.state() >= 0 && receiver.state() < FrameBufferSize);
    }
    FUZZ_CHECK(end == expected.end);

    const Outcome whole = RunExchange(line, address, {});
    const Outcome byteByByte = RunExchange(line, address, {1});
    const Outcome chunked = RunExchange(line, address, fuzz::ChunkSizes(chunkSeed));
    for (const Outcome *outcome : {&whole, &byteByByte, &chunked}) {
        FUZZ_CHECK(outcome->result == expectedResult);
        if (expected.end >= 0) {
            FUZZ_CHECK(outcome->frame == expected.frame);
            FUZZ_CHECK(outcome->received == line.left(expected.end));
        } else {
            FUZZ_CHECK(outcome->received == line);
        }
    }
    if (whole.result == Result::Ok) {
        const QByteArray &frame = whole.frame;
        FUZZ_CHECK(frame.size() >= MinFrameLength);
        FUZZ_CHECK(quint8(frame[FrameOffset::Start]) == AnswerStartSymbol);
        FUZZ_CHECK(quint8(frame[FrameOffset::Address]) == address);
        FUZZ_CHECK(quint8(frame[FrameOffset::Length]) == frame.size());
        FUZZ_CHECK(Crc16(frame) == 0);
        FUZZ_CHECK(line.contains(frame));
    }
    return 0;
}
