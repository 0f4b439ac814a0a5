// Fuzz target: arbitrary bytes as a frame and as lines of an exchange log, through the decoder.
// The first byte picks the side and the request an answer is decoded against.
#include "fuzzcheck.h"

#include "config/exchangedecoder.h"
#include "config/tablerequest.h"
#include "protocol/framing.h"
#include "shell/exchangelog.h"

using namespace ktv31;

namespace {

constexpr FrameSide kSides[] = {FrameSide::Unknown, FrameSide::Request, FrameSide::Answer};
constexpr int kMaxLines = 8;

// Nothing a terminal or a screen reader would take for a command.
bool Printable(const QString &text)
{
    const char16_t *c = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *end = c + text.size();
    for (; c != end; ++c)
        if (*c < 0x20 || *c == 0x7F)
            return false;
    return true;
}

// The verdicts of a decoding agree with the bytes: where the frame starts, whether it is whole,
// its CRC recomputed, what lies beyond it.
void CheckFrame(const QByteArray &bytes, const FrameDecoding &d)
{
    const FrameFacts &f = d.facts;
    FUZZ_CHECK(!d.summary.isEmpty() && Printable(d.summary));
    const qsizetype start = qsizetype(f.preambles) + f.skipped;
    FUZZ_CHECK(start <= bytes.size());
    for (qsizetype i = 0; i < f.preambles; ++i)
        FUZZ_CHECK(quint8(bytes[i]) == PreambleByte);
    if (d.faults.contains(FrameFaultText::NoStartSymbol())) {
        FUZZ_CHECK(f.address < 0 && f.crc == CrcVerdict::Unchecked);
        return;
    }
    FUZZ_CHECK(start < bytes.size());
    const quint8 symbol = quint8(bytes[start]);
    FUZZ_CHECK(symbol == (f.side == FrameSide::Request ? RequestStartSymbol : AnswerStartSymbol));
    const qsizetype available = bytes.size() - start;
    const int length = available > FrameOffset::Length ? quint8(bytes[start + 2]) : -1;
    FUZZ_CHECK(f.length == length);
    const bool cut = length < 0 || (length >= MinFrameLength && available < length);
    FUZZ_CHECK(d.faults.contains(FrameFaultText::Cut()) == cut);
    if (cut || length < MinFrameLength) {
        FUZZ_CHECK(f.crc == CrcVerdict::Unchecked && f.extraBytes == 0);
        return;
    }
    const bool right =
        Crc16(reinterpret_cast<const quint8 *>(bytes.constData()) + start, length) == 0;
    FUZZ_CHECK(f.crc == (right ? CrcVerdict::Right : CrcVerdict::Wrong));
    FUZZ_CHECK(d.faults.contains(FrameFaultText::BadCrc()) == !right);
    FUZZ_CHECK(f.extraBytes == available - length);
}

// A request the answer may be decoded against: function and block taken from the input, so that
// matching and mismatching blocks both occur.
FrameFacts RequestFrom(unsigned char mode, const QByteArray &bytes)
{
    FrameFacts request;
    request.side = FrameSide::Request;
    request.function = (mode & 0x08) ? TableFunctionCode : qint16(mode >> 4);
    request.access = (mode & 0x10) ? TableAccess::Write : TableAccess::Read;
    const auto at = [&bytes](int i) { return i < bytes.size() ? qint16(quint8(bytes[i])) : 0; };
    request.table = at(TableAnswerOffset::Table);
    request.first = at(TableAnswerOffset::First);
    request.count = at(TableAnswerOffset::Count);
    return request;
}

// Lines that parse come back the same from what the log would write of them; every row of them
// decodes to printable text.
void CheckLogLines(const QByteArray &bytes)
{
    ExchangeDecoder decoder;
    const QByteArrayView all(bytes);
    qsizetype from = 0;
    for (int lines = 0; from < all.size() && lines < kMaxLines; ++lines) {
        qsizetype end = all.indexOf('\n', from);
        if (end < 0)
            end = all.size();
        const QByteArrayView text = all.sliced(from, end - from);
        from = end + 1;
        const std::optional<ExchangeLine> line = ExchangeLog::ParseLine(text);
        if (!line)
            continue;
        const QByteArray again =
            ExchangeLog::FormatLine(line->msSinceEpoch, line->kind, line->bytes, line->text);
        const std::optional<ExchangeLine> reparsed = ExchangeLog::ParseLine(again);
        FUZZ_CHECK(reparsed && *reparsed == *line);
        const DecodedRow row = decoder.decode(*line);
        // RowText adds only the time, the label and hex digits to the summary.
        FUZZ_CHECK(Printable(row.summary));
        FUZZ_CHECK(row.timeMs == line->msSinceEpoch);
    }
}

} // namespace

// Log times are local: a fixed zone keeps the C library from looking at /etc/localtime for
// every conversion, and rules out the hour a clock change skips.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("TZ", "UTC");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned char mode = data[0];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const FrameFacts request = RequestFrom(mode, bytes);
    const FrameSide side = kSides[mode % 3];
    const FrameDecoding decoding = DecodeFrame(bytes, side, (mode & 0x04) ? &request : nullptr);
    CheckFrame(bytes, decoding);
    if (side != FrameSide::Unknown)
        FUZZ_CHECK(decoding.facts.side == side);

    CheckLogLines(bytes);
    return 0;
}
