// Fuzz target: arbitrary line bytes, in arbitrary chunks, as the answer to one engine exchange.
#include "fuzzcheck.h"
#include "memoryport.h"

#include "protocol/exchangeengine.h"
#include "protocol/framing.h"
#include "shell/exchangefeed.h"
#include "shell/monoclock.h"

#include <cstring>

using namespace ktv31;

namespace {

constexpr quint8 kFunction = TableFunctionCode;
const quint8 kRequest[6] = {0, 0, 17, 0, 0, 0};

// The exchange's timing, on the virtual clock: a controller that starts answering at once and
// never leaves a gap the receiver would count as the end.
constexpr int kFirstByteWaitMs = 60000; // longer than any input takes to arrive byte by byte
constexpr int kNextByteWaitMs = 10;     // longer than the line's gap between chunks
static_assert(kNextByteWaitMs > fuzz::MemoryPort::ChunkGapMs);

// What the receive rules say the line bytes amount to, worked out on its own: where the frame
// ends (or -1) and the frame itself, or whether an answer had begun when the line went quiet.
struct Expected
{
    int end = -1;
    QByteArray frame;
    bool begun = false; // start symbol and address accepted when the bytes ran out
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
    expected.begun = s >= 2;
    return expected;
}

Result ExpectedResult(const Expected &expected, bool lineLost)
{
    if (expected.end < 0) {
        if (lineLost)
            return Result::LineLost;
        return expected.begun ? Result::AnswerIncomplete : Result::NoAnswer;
    }
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
    Result result = Result::Ok;
    QByteArray frame;    // the answer as held in RxBuffer, for a complete one
    QByteArray received; // what the engine reported taking off the line
};

// A timeout comes when its deadline has passed, and not a millisecond later; a lost line ends
// the exchange when it goes.
void CheckTiming(Result result, const fuzz::MemoryPort &port)
{
    const qint64 endedAt = NowNs();
    qint64 from = 0;
    qint64 wait = 0;
    if (result == Result::NoAnswer) {
        from = port.rtsOffAtNs();
        wait = MsToNs(kFirstByteWaitMs);
    } else if (result == Result::AnswerIncomplete) {
        from = port.lastArrivalAtNs();
        wait = MsToNs(kNextByteWaitMs);
    } else if (result == Result::LineLost) {
        FUZZ_CHECK(endedAt == port.lostAtNs());
        return;
    } else {
        return;
    }
    FUZZ_CHECK(endedAt - from > wait);
    FUZZ_CHECK(endedAt - from <= wait + MsToNs(1));
}

Outcome RunExchange(const QByteArray &line, quint8 address, std::vector<int> chunks, bool loseAtEnd)
{
    fuzz::MemoryPort port(line, std::move(chunks), loseAtEnd);
    ExchangeSession session;
    InitExchangeSession(session, address);
    session.PortHandle = &port;
    session.Speed = 9600;
    session.Attempts = 1;
    session.FirstByteWaitMs = kFirstByteWaitMs;
    session.NextByteWaitMs = kNextByteWaitMs;
    Outcome outcome;
    const ExchangeLineWatch answers([&](const ExchangeLine &line) {
        if (line.kind == LogLineKind::Received)
            outcome.received.append(line.bytes);
    });
    const bool ok = Exchange(session, kFunction, kRequest, int(sizeof kRequest), 0);
    outcome.result = session.ResultCode;
    FUZZ_CHECK(ok == (outcome.result == Result::Ok));
    CheckTiming(outcome.result, port);
    if (outcome.result != Result::LineLost) {
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
    fuzz::InstallVirtualClock();
    const quint8 chunkSeed = data[0];
    const quint8 address = data[1];
    const QByteArray line(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    const Expected expected = ScanLine(line, address);

    // The pure pipeline exactly as the engine drives it.
    FrameBuffer rx{};
    AnswerReceiver receiver(rx, address);
    int end = -1;
    for (int i = 0; i < line.size() && end < 0; ++i) {
        if (receiver.feed(quint8(line[i])))
            end = i + 1;
        FUZZ_CHECK(receiver.held() >= 0 && receiver.held() < FrameBufferSize);
    }
    FUZZ_CHECK(end == expected.end);
    if (end < 0)
        FUZZ_CHECK(receiver.answerBegun() == expected.begun);
    // The scan a log's decoder makes finds the same frame.
    const AnswerSpan span = ScanForAnswer(line, address);
    FUZZ_CHECK(span.complete == (expected.end >= 0));
    if (span.complete)
        FUZZ_CHECK(span.start == expected.end - expected.frame.size());
    else if (expected.begun)
        FUZZ_CHECK(span.start >= 0 && span.start + 2 <= line.size());

    // One way of delivering the bytes per input, picked by the input itself, so that the fuzzer
    // reaches every way without paying for all of them each time.
    const fuzz::Delivery way = fuzz::PickDelivery(chunkSeed);
    const Outcome outcome = RunExchange(line, address, way.chunks, way.loseAtEnd);
    fuzz::LetLeftoverDeliveryGo();
    FUZZ_CHECK(outcome.result == ExpectedResult(expected, way.loseAtEnd));
    if (expected.end >= 0) {
        FUZZ_CHECK(outcome.frame == expected.frame);
        FUZZ_CHECK(outcome.received == line.left(expected.end));
    } else {
        FUZZ_CHECK(outcome.received == line);
    }
    if (outcome.result == Result::Ok) {
        const QByteArray &frame = outcome.frame;
        FUZZ_CHECK(frame.size() >= MinFrameLength);
        FUZZ_CHECK(quint8(frame[FrameOffset::Start]) == AnswerStartSymbol);
        FUZZ_CHECK(quint8(frame[FrameOffset::Address]) == address);
        FUZZ_CHECK(quint8(frame[FrameOffset::Length]) == frame.size());
        FUZZ_CHECK(Crc16(frame) == 0);
        FUZZ_CHECK(line.contains(frame));
    }
    return 0;
}
