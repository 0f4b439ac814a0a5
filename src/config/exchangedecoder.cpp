// Rows of the exchange: frames decoded against their requests, modem lines, results, timing.
#include "config/exchangedecoder.h"

#include "config/tablecaptions.h"
#include "link/connectmodem.h"
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "protocol/framing.h"
#include "shell/cp1251.h"
#include "shell/hexbytes.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>

namespace ktv31 {
namespace {

constexpr int kLabelWidth = 6; // "MODEM>"
constexpr int kSinceLastWidth = 10;

bool IsFrame(RowKind kind)
{
    return kind == RowKind::Request || kind == RowKind::Answer;
}

// "Команда 29.  Команда выполнена" of an exchange, or the dial's "Соединение установлено".
bool IsSuccessText(const QString &text)
{
    if (text == DialResultText(DialResult::Ok))
        return true;
    static const QString prefix = QStringLiteral("Команда ");
    static const QString separator = QStringLiteral(".  ");
    if (!text.startsWith(prefix))
        return false;
    const qsizetype at = text.indexOf(separator, prefix.size());
    if (at <= prefix.size())
        return false;
    for (qsizetype i = prefix.size(); i < at; ++i)
        if (!text[i].isDigit())
            return false;
    return QStringView(text).sliced(at + separator.size()) == ResultCodeText(Result::Ok);
}

// Results and notes come from a file too: their control characters must not reach a terminal.
QString VisibleLine(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

DecodedRow FrameRow(const QByteArray &bytes, FrameSide side, const FrameFacts *request)
{
    const FrameDecoding decoding = DecodeFrame(bytes, side, request);
    DecodedRow row;
    row.kind = decoding.facts.side == FrameSide::Request ? RowKind::Request : RowKind::Answer;
    row.summary = decoding.summary;
    row.fault = decoding.fault();
    row.bytes = bytes;
    row.frame = decoding.facts;
    row.faults = decoding.faults;
    return row;
}

DecodedRow ModemRow(const ExchangeLine &line)
{
    DecodedRow row;
    row.bytes = line.bytes;
    if (line.kind == LogLineKind::ModemCommand) {
        row.kind = RowKind::ModemCommand;
        row.summary = QStringLiteral("Модем, команда: ") + EscapedLineText(line.bytes);
        return row;
    }
    row.kind = RowKind::ModemAnswer;
    row.summary = QStringLiteral("Модем, ответ: ") + EscapedLineText(line.bytes);
    if (const DialResult code = ClassifyModemAnswer(line.bytes); code != DialResult::Ok) {
        row.fault = true;
        row.summary += QStringLiteral(" — ") + DialResultText(code);
    }
    return row;
}

QString KindKey(RowKind kind)
{
    switch (kind) {
    case RowKind::Request:
        return QStringLiteral("request");
    case RowKind::Answer:
        return QStringLiteral("answer");
    case RowKind::ModemCommand:
        return QStringLiteral("modemCommand");
    case RowKind::ModemAnswer:
        return QStringLiteral("modemAnswer");
    case RowKind::Result:
        return QStringLiteral("result");
    case RowKind::Note:
        return QStringLiteral("note");
    }
    return {};
}

QString TimeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QJsonObject FrameJson(const FrameFacts &f)
{
    QJsonObject o{{"preambles", f.preambles},
                  {"skippedBytes", f.skipped},
                  {"extraBytes", f.extraBytes},
                  {"refusal", f.refusal}};
    const auto put = [&o](const char *key, int value) {
        if (value >= 0)
            o.insert(QLatin1String(key), value);
    };
    put("address", f.address);
    put("length", f.length);
    put("function", f.function);
    o.insert(QStringLiteral("crc"), f.crc == CrcVerdict::Right ? QJsonValue(QStringLiteral("right"))
                                    : f.crc == CrcVerdict::Wrong
                                        ? QJsonValue(QStringLiteral("wrong"))
                                        : QJsonValue());
    if (f.table >= 0) {
        put("table", f.table);
        o.insert(QStringLiteral("caption"), TableCaption(f.table));
        put("first", f.first);
        put("count", f.count);
    }
    if (f.access != TableAccess::None)
        o.insert(QStringLiteral("access"),
                 f.access == TableAccess::Read ? QStringLiteral("read") : QStringLiteral("write"));
    if (f.error >= 0) {
        put("error", f.error);
        o.insert(QStringLiteral("errorText"), ControllerErrorText(f.error));
        put("reason", f.reason);
        if (f.reason >= 0)
            o.insert(QStringLiteral("reasonText"), ReasonText(f.reason));
        put("errorValue", f.errorValue);
    }
    return o;
}

} // namespace

QString DecodedRow::hex() const
{
    return QString::fromLatin1(HexBytes(bytes));
}

DecodedRow ExchangeDecoder::decode(const ExchangeLine &line)
{
    DecodedRow row;
    switch (line.kind) {
    case LogLineKind::Sent:
        row = FrameRow(line.bytes, FrameSide::Request, nullptr);
        lastRequest_ = row.frame;
        haveRequest_ = true;
        break;
    case LogLineKind::Received:
        row = FrameRow(line.bytes, FrameSide::Answer, haveRequest_ ? &lastRequest_ : nullptr);
        break;
    case LogLineKind::ModemCommand:
    case LogLineKind::ModemAnswer:
        row = ModemRow(line);
        break;
    case LogLineKind::Result:
        row.kind = RowKind::Result;
        row.summary = VisibleLine(line.text);
        row.fault = !IsSuccessText(line.text);
        break;
    case LogLineKind::Note:
        row.kind = RowKind::Note;
        row.summary = VisibleLine(line.text);
        break;
    }
    row.timeMs = line.msSinceEpoch;
    // A clock set back between two lines gives 0, not a time that ran backwards.
    row.sinceLastMs = lastMs_ >= 0 ? std::max<qint64>(line.msSinceEpoch - lastMs_, 0) : -1;
    lastMs_ = line.msSinceEpoch;
    return row;
}

DecodedRow DecodeFrameBytes(const QByteArray &bytes)
{
    return FrameRow(bytes, FrameSide::Unknown, nullptr);
}

QString RowKindLabel(RowKind kind)
{
    switch (kind) {
    case RowKind::Request:
        return QStringLiteral("TX");
    case RowKind::Answer:
        return QStringLiteral("RX");
    case RowKind::ModemCommand:
        return QStringLiteral("MODEM>");
    case RowKind::ModemAnswer:
        return QStringLiteral("MODEM<");
    case RowKind::Result:
        return QStringLiteral("RESULT");
    case RowKind::Note:
        return QStringLiteral("NOTE");
    }
    return {};
}

QString RowText(const DecodedRow &row)
{
    QString line;
    if (row.timeMs >= 0) {
        line += TimeText(row.timeMs);
        line += row.sinceLastMs >= 0
                    ? QStringLiteral("+%1 мс").arg(row.sinceLastMs).rightJustified(kSinceLastWidth)
                    : QString(kSinceLastWidth, QLatin1Char(' '));
        line += QStringLiteral("  ");
    }
    line += RowKindLabel(row.kind).leftJustified(kLabelWidth);
    line += row.fault ? QStringLiteral(" ! ") : QStringLiteral("   ");
    line += row.summary;
    if (IsFrame(row.kind) && !row.bytes.isEmpty())
        line += QStringLiteral("  [") + row.hex() + QLatin1Char(']');
    return line;
}

QJsonObject RowJson(const DecodedRow &row)
{
    QJsonObject o{{"kind", KindKey(row.kind)},
                  {"label", RowKindLabel(row.kind)},
                  {"summary", row.summary},
                  {"fault", row.fault},
                  {"faults", QJsonArray::fromStringList(row.faults)}};
    o.insert(QStringLiteral("time"),
             row.timeMs >= 0 ? QJsonValue(TimeText(row.timeMs)) : QJsonValue());
    o.insert(QStringLiteral("timeMs"), row.timeMs >= 0 ? QJsonValue(row.timeMs) : QJsonValue());
    o.insert(QStringLiteral("sinceLastMs"),
             row.sinceLastMs >= 0 ? QJsonValue(row.sinceLastMs) : QJsonValue());
    if (!row.bytes.isEmpty())
        o.insert(QStringLiteral("bytes"), row.hex());
    if (IsFrame(row.kind))
        o.insert(QStringLiteral("frame"), FrameJson(row.frame));
    return o;
}

} // namespace ktv31
