// Fuzz target: arbitrary bytes from a modem, in arbitrary chunks, as the answer to one command.
#include "fuzzcheck.h"
#include "memoryport.h"

#include "link/connectmodem.h"
#include "shell/monoclock.h"

using namespace ktv31;

namespace {

constexpr int kAnswerWaitMs = 60000; // longer than any input takes to arrive byte by byte

struct Outcome
{
    DialResult code = DialResult::Ok;
    QByteArray answer;
};

Outcome Collect(const QByteArray &input, std::vector<int> chunks, bool loseAtEnd)
{
    fuzz::MemoryPort port(input, std::move(chunks), loseAtEnd);
    Outcome outcome;
    outcome.code = SendModemCommand(&port, QStringLiteral("ATD5551234\r"), outcome.answer,
                                    kAnswerWaitMs, nullptr, StatusPanel{});
    FUZZ_CHECK(port.written() == QByteArray("ATD5551234\r"));
    // An answer that never completes is given up when its time is up, or at once when the line
    // goes.
    if (outcome.code == DialResult::AnswerTimeout) {
        if (loseAtEnd)
            FUZZ_CHECK(NowNs() == port.lostAtNs());
        else
            FUZZ_CHECK(NowNs() - port.writtenAtNs() == MsToNs(kAnswerWaitMs));
    }
    return outcome;
}

bool IsModelLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// What the answer rules make of the bytes, worked out on its own: an echo up to the first line
// break is skipped, the line ends with a line break once it holds four bytes, or at its longest.
// Bytes that run out first leave the line cut short.
Outcome ExpectedOutcome(const QByteArray &input)
{
    Outcome expected;
    for (const char c : input) {
        if (expected.answer.isEmpty() && !IsModelLineBreak(c))
            continue;
        expected.answer.append(c);
        if ((expected.answer.size() >= 4 && IsModelLineBreak(c)) ||
            expected.answer.size() == MaxAnswerLength) {
            expected.code = ClassifyModemAnswer(expected.answer);
            return expected;
        }
    }
    expected.code = DialResult::AnswerTimeout;
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    fuzz::EnsureApplication();
    fuzz::InstallVirtualClock();
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    // The classifier and the matcher on the raw bytes, the matcher against a plain search.
    const int raw = DialResultNumber(ClassifyModemAnswer(input));
    FUZZ_CHECK(raw >= 0 && raw < DialResultCount);
    for (int length = 1; length <= 4 && length <= input.size(); ++length) {
        const QByteArray pattern = input.right(length);
        FUZZ_CHECK(ContainsText(input, pattern) == input.contains(pattern));
    }

    // One way of delivering the bytes per input, picked by the input itself; each way has to
    // come to what the bytes alone say.
    const fuzz::Delivery way = fuzz::PickDelivery(data[0]);
    const Outcome outcome = Collect(input, way.chunks, way.loseAtEnd);
    fuzz::LetLeftoverDeliveryGo();
    const Outcome expected = ExpectedOutcome(input);
    FUZZ_CHECK(outcome.code == expected.code);
    FUZZ_CHECK(outcome.answer == expected.answer);
    FUZZ_CHECK(DialResultNumber(outcome.code) >= 0 &&
               DialResultNumber(outcome.code) < DialResultCount);
    FUZZ_CHECK(outcome.answer.size() <= MaxAnswerLength);
    FUZZ_CHECK(input.contains(outcome.answer));
    if (!outcome.answer.isEmpty())
        FUZZ_CHECK(IsModelLineBreak(outcome.answer.front()));
    if (outcome.code != DialResult::AnswerTimeout) {
        FUZZ_CHECK(outcome.code == ClassifyModemAnswer(outcome.answer));
        FUZZ_CHECK(IsModelLineBreak(outcome.answer.back()) ||
                   outcome.answer.size() == MaxAnswerLength);
    }
    return 0;
}
