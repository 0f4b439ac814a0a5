// Decoding of request and answer frames: header, table blocks, refusals, CRC and length faults.
#include "config/framedecoder.h"

#include "config/tabledatatext.h"
#include "config/tablerequest.h"
#include "config/tabletransfer.h"
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "protocol/framing.h"
#include "shell/cp1251.h"

#include <QByteArrayView>

#include <algorithm>
#include <climits>

namespace ktv31 {
namespace {

constexpr quint8 kFunctionMask = quint8(~AnswerFunctionFlag);
constexpr int kCrcSize = 2;
constexpr int kFrameHeaderSize = FrameOffset::Data;
constexpr int kNoReason = 0;
constexpr int kDestroyedTableReason = 49; // its further value names the table
constexpr int kLastReasonWithText = ReasonCodeCount - 1;
constexpr int kLastErrorWithText = ControllerErrorCount - 1;

// "CC 00 0C": written in place, a frame's data can be a few hundred bytes.
QString Hex(QByteArrayView bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        const quint8 b = quint8(bytes[i]);
        text += QLatin1Char(kDigits[b >> 4]);
        text += QLatin1Char(kDigits[b & 0x0F]);
    }
    return text;
}

QString LayoutFault(int function)
{
    return QStringLiteral("длина кадра не по формату функции %1").arg(function);
}

QString ValuesSizeFault(qsizetype got, int expected)
{
    return QStringLiteral("значений %1 байт, а полей на %2 байт").arg(got).arg(expected);
}

// The valve-refusal reason as the engine composes it, with the table of reason 49.
QString ReasonPhrase(int reason, int value)
{
    if (reason > kLastReasonWithText)
        return QStringLiteral("Код причины в ответе %1").arg(reason);
    QString text = ReasonText(reason);
    if (reason == kDestroyedTableReason && value >= 0)
        text += QLatin1Char(' ') + QString::number(value);
    return text;
}

class Decoder
{
public:
    Decoder(const QByteArray &bytes, FrameSide side, const FrameFacts *request)
        : bytes_(bytes), request_(request)
    {
        facts_.side = side;
    }

    FrameDecoding run();

private:
    int byteAt(int offset) const { return offset < usable_ ? quint8(frame_[offset]) : -1; }
    QByteArrayView span(int from, int to) const
    {
        from = std::min(from, usable_);
        return frame_.sliced(from, std::max(0, std::min(to, usable_) - from));
    }
    // The data: behind the function byte up to the CRC, as far as the frame holds them.
    QByteArrayView data() const { return span(kFrameHeaderSize, dataEnd()); }
    int dataEnd() const { return lengthValid() ? facts_.length - kCrcSize : usable_; }
    // A byte of the data part by its frame offset, -1 where the data do not reach.
    int dataByte(int offset) const { return offset < dataEnd() ? byteAt(offset) : -1; }
    bool lengthValid() const { return facts_.length >= MinFrameLength; }
    bool complete() const { return facts_.crc != CrcVerdict::Unchecked; }
    bool findStart();
    void measure();
    QString requestBody();
    QString tableRequestBody();
    QString otherRequestBody(int function);
    QString answerBody();
    QString refusalBody();
    QString tableAnswerBody();
    QString head() const;
    void fault(const QString &text) { faults_ << text; }

    const QByteArray &bytes_;
    const FrameFacts *request_;
    FrameFacts facts_;
    QStringList faults_;
    QByteArrayView frame_; // from the start symbol on
    int usable_ = 0;       // bytes of frame_ that belong to the frame
};

bool Decoder::findStart()
{
    const qsizetype n = bytes_.size();
    qsizetype at = 0;
    while (at < n && quint8(bytes_[at]) == PreambleByte)
        ++at;
    facts_.preambles = qint16(std::min<qsizetype>(at, SHRT_MAX));
    const auto startsHere = [this](qsizetype i) {
        const quint8 b = quint8(bytes_[i]);
        switch (facts_.side) {
        case FrameSide::Request:
            return b == RequestStartSymbol;
        case FrameSide::Answer:
            return b == AnswerStartSymbol;
        case FrameSide::Unknown:
            break;
        }
        return b == RequestStartSymbol || b == AnswerStartSymbol;
    };
    qsizetype start = at;
    // An answer to a known request starts where the engine's receiver takes it up.
    if (facts_.side == FrameSide::Answer && request_ && request_->address >= 0) {
        const AnswerSpan span =
            ScanForAnswer(QByteArrayView(bytes_).sliced(at), quint8(request_->address));
        start = span.start < 0 ? n : at + span.start;
    } else {
        while (start < n && !startsHere(start))
            ++start;
    }
    if (start == n) {
        if (facts_.side == FrameSide::Unknown)
            facts_.side = FrameSide::Answer;
        return false;
    }
    facts_.skipped = qint16(std::min<qsizetype>(start - at, SHRT_MAX));
    frame_ = QByteArrayView(bytes_).sliced(start);
    facts_.side = quint8(frame_[0]) == RequestStartSymbol ? FrameSide::Request : FrameSide::Answer;
    return true;
}

// Where the frame ends, and whether it is whole, too long and right.
void Decoder::measure()
{
    const int available = int(std::min<qsizetype>(frame_.size(), SHRT_MAX));
    usable_ = available;
    if (available > FrameOffset::Address)
        facts_.address = quint8(frame_[FrameOffset::Address]);
    if (available <= FrameOffset::Length) {
        fault(FrameFaultText::Cut());
        return;
    }
    facts_.length = quint8(frame_[FrameOffset::Length]);
    if (!lengthValid()) {
        fault(QStringLiteral("неверная длина кадра %1").arg(facts_.length));
        return;
    }
    if (available < facts_.length) {
        fault(FrameFaultText::Cut());
        return;
    }
    usable_ = facts_.length;
    facts_.extraBytes = qint16(available - facts_.length);
    const bool right = Crc16(reinterpret_cast<const quint8 *>(frame_.data()), facts_.length) == 0;
    facts_.crc = right ? CrcVerdict::Right : CrcVerdict::Wrong;
    if (!right)
        fault(FrameFaultText::BadCrc());
    if (facts_.extraBytes > 0)
        fault(QStringLiteral("лишние байты после кадра: %1").arg(facts_.extraBytes));
}

QString Decoder::requestBody()
{
    facts_.function = qint16(byteAt(FrameOffset::Function));
    if (facts_.function < 0)
        return {};
    if (facts_.function == TableFunctionCode)
        return tableRequestBody();
    return otherRequestBody(facts_.function);
}

// Function 29: the read or write form of the table request, and a write's new values.
QString Decoder::tableRequestBody()
{
    using namespace TableRequestOffset;
    const QByteArrayView d = data();
    const auto at = [&d](int offset) { return int(quint8(d[offset])); };
    TableRequest request;
    QByteArrayView values;
    if (d.size() > ReadCount && at(ReadCount) != 0) {
        facts_.access = TableAccess::Read;
        request = TableRequest::Read(at(ReadTable), at(ReadFirst), at(ReadCount));
        if (complete() && d.size() != TableRequest::ReadLength)
            fault(LayoutFault(TableFunctionCode));
    } else if (d.size() > WriteCount) {
        facts_.access = TableAccess::Write;
        request = TableRequest::Write(at(WriteTable), at(WriteFirst), at(WriteCount), {});
        values = d.sliced(Data);
    } else {
        if (complete())
            fault(LayoutFault(TableFunctionCode));
        return d.isEmpty() ? QString() : QStringLiteral("данные ") + Hex(d);
    }
    facts_.table = qint16(request.Table());
    facts_.first = qint16(request.First());
    facts_.count = qint16(request.Count());
    if (facts_.count == 0)
        fault(QStringLiteral("количество полей 0"));
    QString body = TransferStepText(request);
    if (const QString caption = QuotedCaption(facts_.table); !caption.isEmpty())
        body += QLatin1Char(' ') + caption;
    if (facts_.access == TableAccess::Write) {
        const int expected = facts_.count * TableFieldSize(facts_.table);
        if (complete() && TableLayoutKnown(facts_.table) && values.size() != expected)
            fault(ValuesSizeFault(values.size(), expected));
        // Values short of a whole field give no text: the fault says what is wrong with them.
        if (const QString text = TableValuesText(facts_.table, facts_.first, facts_.count, values);
            !text.isEmpty())
            body += QStringLiteral(" — ") + text;
    }
    return body;
}

// The layouts the engine can send besides function 29: credentials, extra byte, data.
QString Decoder::otherRequestBody(int function)
{
    const RequestLayout *layout = FindRequestLayout(quint8(function));
    if (!layout) {
        fault(QStringLiteral("неизвестный код функции %1").arg(function));
        const QByteArrayView d = data();
        return d.isEmpty() ? QString() : QStringLiteral("данные ") + Hex(d);
    }
    if (complete()) {
        const bool fits = layout->fixedData >= 0 ? facts_.length == layout->fixedLength
                                                 : facts_.length >= layout->frameOverhead;
        if (!fits)
            fault(LayoutFault(function));
    }
    QStringList parts;
    if (layout->credentials) {
        const QByteArrayView name =
            span(FrameOffset::UserName, FrameOffset::UserName + UserNameSize);
        const QByteArray trimmed = name.toByteArray().trimmed();
        if (!trimmed.isEmpty())
            parts << QStringLiteral("пользователь \"%1\"").arg(EscapedLineText(trimmed));
    }
    if (layout->extraAt >= 0 && dataByte(layout->extraAt) >= 0)
        parts << QStringLiteral("доп. байт %1").arg(dataByte(layout->extraAt));
    if (function == RequestIdentifierFunction && dataByte(FrameOffset::RequestIdentifier) >= 0)
        parts << QStringLiteral("идентификатор запроса %1")
                     .arg(dataByte(FrameOffset::RequestIdentifier) >> RequestIdentifierShift);
    if (const QByteArrayView d = span(layout->dataAt, dataEnd()); !d.isEmpty())
        parts << QStringLiteral("данные ") + Hex(d);
    return parts.join(QLatin1String(", "));
}

QString Decoder::answerBody()
{
    const int functionByte = byteAt(FrameOffset::Function);
    const int asked = request_ ? request_->function : -1;
    if (functionByte < 0) {
        facts_.function = qint16(asked);
        return {};
    }
    facts_.refusal = asked >= 0 ? functionByte != (asked | AnswerFunctionFlag)
                                : (functionByte & AnswerFunctionFlag) == 0;
    facts_.function = qint16(asked >= 0 ? asked : functionByte & kFunctionMask);
    if (facts_.refusal)
        return refusalBody();
    if (facts_.function == TableFunctionCode)
        return tableAnswerBody();
    QStringList parts;
    if (facts_.function == RequestIdentifierFunction &&
        dataByte(FrameOffset::EchoedIdentifier) >= 0)
        parts << QStringLiteral("идентификатор в ответе %1")
                     .arg(dataByte(FrameOffset::EchoedIdentifier) >> RequestIdentifierShift);
    if (const QByteArrayView d = data(); !d.isEmpty())
        parts << QStringLiteral("данные ") + Hex(d);
    return parts.join(QLatin1String(", "));
}

// The controller's error text; for error 24 the reason, for error 60 the destroyed table.
QString Decoder::refusalBody()
{
    facts_.error = qint16(dataByte(FrameOffset::ErrorCode));
    facts_.reason = qint16(dataByte(FrameOffset::Reason));
    facts_.errorValue = qint16(dataByte(FrameOffset::ErrorValue));
    const int error = facts_.error;
    if (error < 0)
        return complete() ? QStringLiteral("без кода ошибки") : QString();
    if (error < 1 || error > kLastErrorWithText)
        return QStringLiteral("Код ошибки = %1").arg(error);
    QString text = ControllerErrorText(error);
    if (error == ErrorValveSwitching && facts_.reason > kNoReason)
        text += QStringLiteral(": ") + ReasonPhrase(facts_.reason, facts_.errorValue);
    if (error == ErrorDestroyedTable && facts_.errorValue >= 0) {
        text += QLatin1Char(' ') + QString::number(facts_.errorValue);
        if (const QString caption = QuotedCaption(facts_.errorValue); !caption.isEmpty())
            text += QLatin1Char(' ') + caption;
    }
    return text;
}

// The answer repeats table, first field and count ahead of the values it delivers.
QString Decoder::tableAnswerBody()
{
    using namespace TableRequestOffset;
    const QByteArrayView d = data();
    if (d.size() <= ReadCount)
        return complete() ? QStringLiteral("ответ без заголовка таблицы") : QString();
    facts_.table = qint16(quint8(d[ReadTable]));
    facts_.first = qint16(quint8(d[ReadFirst]));
    facts_.count = qint16(quint8(d[ReadCount]));
    const QByteArrayView values = d.sliced(ReadCount + 1);
    const bool askedForTable = request_ && request_->function == TableFunctionCode;
    facts_.access = askedForTable      ? request_->access
                    : values.isEmpty() ? TableAccess::Write
                                       : TableAccess::Read;
    if (askedForTable && request_->access == TableAccess::Read &&
        (request_->table != facts_.table || request_->first != facts_.first ||
         request_->count != facts_.count))
        fault(FrameFaultText::WrongBlock());
    QString body = TableBlockText(facts_.table, facts_.first, facts_.count);
    if (facts_.access == TableAccess::Read) {
        const int expected = facts_.count * TableFieldSize(facts_.table);
        if (complete() && TableLayoutKnown(facts_.table) && values.size() != expected)
            fault(ValuesSizeFault(values.size(), expected));
    }
    if (!values.isEmpty()) {
        const QString text = TableValuesText(facts_.table, facts_.first, facts_.count, values);
        return text.isEmpty() ? body : body + QStringLiteral(" — ") + text;
    }
    return body + (facts_.access == TableAccess::Write ? QStringLiteral(", запись выполнена")
                                                       : QStringLiteral(", без значений"));
}

QString Decoder::head() const
{
    QString text = facts_.side == FrameSide::Request ? QStringLiteral("Запрос")
                   : facts_.refusal                  ? QStringLiteral("Отказ")
                                                     : QStringLiteral("Ответ");
    if (facts_.function >= 0)
        text += QStringLiteral(", функция ") + QString::number(facts_.function);
    if (facts_.address >= 0)
        text += QStringLiteral(", контроллер ") + QString::number(facts_.address);
    if (facts_.preambles > 0)
        text += QStringLiteral(", преамбул ") + QString::number(facts_.preambles);
    if (facts_.skipped > 0)
        text += QStringLiteral(", лишних байт перед кадром ") + QString::number(facts_.skipped);
    return text;
}

FrameDecoding Decoder::run()
{
    QString body;
    if (!findStart()) {
        fault(FrameFaultText::NoStartSymbol());
        const qsizetype rest = bytes_.size() - facts_.preambles;
        if (rest > 0)
            body = QStringLiteral("байт без кадра: %1").arg(rest);
    } else {
        measure();
        body = facts_.side == FrameSide::Request ? requestBody() : answerBody();
    }
    FrameDecoding decoding;
    decoding.summary = head();
    if (!body.isEmpty())
        decoding.summary += QStringLiteral(": ") + body;
    if (!faults_.isEmpty())
        decoding.summary += QStringLiteral("; ") + faults_.join(QStringLiteral("; "));
    decoding.facts = facts_;
    decoding.faults = faults_;
    return decoding;
}

} // namespace

namespace FrameFaultText {
QString BadCrc()
{
    return QStringLiteral("CRC неверна");
}
QString Cut()
{
    return QStringLiteral("кадр неполный");
}
QString NoStartSymbol()
{
    return QStringLiteral("нет стартового символа");
}
QString WrongBlock()
{
    return QStringLiteral("Несоответствие запрошенных и переданных данных");
}
} // namespace FrameFaultText

FrameDecoding DecodeFrame(const QByteArray &bytes, FrameSide side, const FrameFacts *request)
{
    return Decoder(bytes, side, request).run();
}

} // namespace ktv31
