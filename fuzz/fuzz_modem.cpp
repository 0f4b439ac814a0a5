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
    int code = -1;
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

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    fuzz::EnsureApplication();
    fuzz::InstallVirtualClock();
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    // The classifier and the matcher on the raw bytes, the matcher against a plain search.
    const int raw = ClassifyModemAnswer(input);
    FUZZ_CHECK(raw >= 0 && raw < DialResult::Count);
    for (int length = 1; length <= 4 && length <= input.size(); ++length) {
        const QByteArray pattern = input.right(length);
        FUZZ_CHECK(ContainsText(input, pattern) == input.contains(pattern));
    }

    const Outcome whole = Collect(input, {}, false);
    const Outcome byteByByte = Collect(input, {1}, false);
    const Outcome chunked = Collect(input, fuzz::ChunkSizes(data[0]), false);
    const Outcome lost = Collect(input, fuzz::ChunkSizes(data[0]), true);
    for (const Outcome *outcome : {&byteByByte, &chunked, &lost}) {
        FUZZ_CHECK(outcome->code == whole.code);
        FUZZ_CHECK(outcome->answer == whole.answer);
    }
    FUZZ_CHECK(whole.code >= 0 && whole.code < DialResult::Count);
    FUZZ_CHECK(whole.answer.size() <= MaxAnswerLength);
    FUZZ_CHECK(input.contains(whole.answer));
    if (!whole.answer.isEmpty())
        FUZZ_CHECK(IsLineBreak(whole.answer.front()));
    if (whole.code != DialResult::AnswerTimeout) {
        FUZZ_CHECK(whole.code == ClassifyModemAnswer(whole.answer));
        FUZZ_CHECK(IsLineBreak(whole.answer.back()) || whole.answer.size() == MaxAnswerLength);
    }
    return 0;
}
