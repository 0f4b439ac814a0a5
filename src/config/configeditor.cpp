// Cell texts, offered speeds and store rules of the configuration and calculator link editors.
#include "config/configeditor.h"

#include "config/configtexts.h"
#include "config/recordfields.h"
#include "protocol/controllercodes.h"
#include "shell/cp1251.h"

namespace ktv31 {
namespace {

constexpr int kMaxByteValue = 255;

// Empty counts as 0 where the editor allows it; anything else must be a number of 0..255.
std::optional<int> ByteValue(const QString &text, bool emptyIsZero)
{
    if (text.isEmpty())
        return emptyIsZero ? std::optional<int>(0) : std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    return (ok && value >= 0 && value <= kMaxByteValue) ? std::optional<int>(value) : std::nullopt;
}

InputFault OutOfRange(const QString &what)
{
    return {what, QStringLiteral("вне допустимого диапазона")};
}

} // namespace

QList<int> OfferedSpeedCodes(quint32 mask)
{
    QList<int> codes;
    for (int code = 0; code < SpeedCodeCount; ++code)
        if ((mask >> code) & 1u)
            codes.append(code);
    return codes;
}

quint32 UpperSpeedMask(const ConfigImage &image)
{
    return image.u32(ImageOffset::UpperSpeedMask);
}

quint32 CalculatorSpeedMask(const ConfigImage &image)
{
    return image.u32(ImageOffset::CalculatorSpeedMask);
}

void OfferEverySpeed(ConfigImage &image)
{
    image.fill(ImageOffset::UpperSpeedMask, 8, 0xFF);
}

std::array<QString, 4> CalculatorCells(const ConfigRecord &record, int address)
{
    const int entry = LinkEntry::OffsetOf(address);
    const bool connected = record.u8(entry + LinkEntry::Connected) != 0;
    std::array<QString, 4> cells;
    cells[0] = QStringLiteral("      %1").arg(address);
    cells[1] = connected ? QStringLiteral("         Да") : QStringLiteral("         Нет");
    if (!connected)
        return cells;
    const QString port = PortLetter(record.u8(entry + LinkEntry::Port));
    cells[2] = QStringLiteral("         ") + (port.isEmpty() ? QStringLiteral("?") : port);
    cells[3] =
        QStringLiteral("        %1").arg(CodeToSpeed(record.u8(entry + LinkEntry::SpeedCode)));
    return cells;
}

QString EditorModemString(const ConfigRecord &record)
{
    QString text = fieldText(record.data() + RecordOffset::ModemString, ModemStringSize);
    while (!text.isEmpty() && text.front().unicode() <= ' ')
        text.remove(0, 1);
    while (!text.isEmpty() && text.back().unicode() <= ' ')
        text.chop(1);
    return text;
}

bool RecordHasRtsField(const ConfigRecord &record)
{
    return HasRtsField(record.u8(RecordOffset::SoftwareVersion));
}

EditorInput EditorInputFrom(const ConfigRecord &record)
{
    using namespace LinkFieldOffset;
    EditorInput shown;
    shown.speedCode = record.u8(UpperSpeed);
    shown.priority = record.u8(Priority);
    shown.calculatorPreambles = record.u8(CalculatorPreambles);
    shown.retryDelay = record.u8(RetryDelay);
    shown.rtsControl = RecordHasRtsField(record) ? record.u8(RtsControl) : -1;
    shown.answerPreambles = QString::number(record.u8(AnswerPreambles));
    shown.requestPreambles = QString::number(record.u8(RequestPreambles));
    shown.answerWait = QString::number(record.u8(AnswerWait));
    shown.modemString = EditorModemString(record);
    return shown;
}

IdentificationBytes IdentificationBlock(const ConfigRecord &record)
{
    IdentificationBytes block{};
    for (int i = 0; i < IdentificationSize; ++i)
        block[size_t(i)] = record.u8(RecordOffset::Identification + i);
    return block;
}

IdentificationBytes IdentificationBlock(const ConfigImage &image)
{
    IdentificationBytes block{};
    for (int i = 0; i < IdentificationSize; ++i)
        block[size_t(i)] = image.u8(i); // the image begins with it
    return block;
}

bool IdentificationFromDevice(const ConfigRecord &record)
{
    return record.u8(RecordOffset::Marker) != 0;
}

CalculatorLink CalculatorLinkAt(const ConfigRecord &record, int address)
{
    const int at = LinkEntry::OffsetOf(address);
    return {record.u8(at + LinkEntry::Connected), record.u8(at + LinkEntry::Port),
            record.u8(at + LinkEntry::SpeedCode)};
}

void SetCalculatorLink(ConfigRecord &record, int address, const CalculatorLink &link)
{
    const int at = LinkEntry::OffsetOf(address);
    record.setU8(at + LinkEntry::Connected, link.connected);
    record.setU8(at + LinkEntry::Port, link.port);
    record.setU8(at + LinkEntry::SpeedCode, link.speedCode);
}

std::optional<InputFault> StoreEditorInput(const EditorInput &input, const EditorInput &shown,
                                           ConfigRecord &record)
{
    using namespace LinkFieldOffset;
    const quint8 version = record.u8(RecordOffset::SoftwareVersion);
    const bool rtsRequired = version == 5 || version == 6;
    if (input.speedCode < 0 || input.priority < 0 || input.calculatorPreambles < 0 ||
        input.retryDelay < 0 || input.answerWait.isEmpty() || (rtsRequired && input.rtsControl < 0))
        return NotAllEnteredFault();
    const std::optional<int> answerPreambles = ByteValue(input.answerPreambles, true);
    const std::optional<int> requestPreambles = ByteValue(input.requestPreambles, true);
    if (!answerPreambles || !requestPreambles)
        return OutOfRange(QStringLiteral("Количество преамбул"));
    const std::optional<int> answerWait = ByteValue(input.answerWait, false);
    if (!answerWait)
        return OutOfRange(QStringLiteral("Длительность ожидания ответа от вычислителя"));

    // What a control shows may not be all its byte holds (a modem string cut to the edit's
    // length, blanks trimmed): a value the person left as shown keeps its bytes as they were.
    const auto store = [&record](int offset, bool edited, int value) {
        if (edited)
            record.setU8(offset, quint8(value));
    };
    store(UpperSpeed, input.speedCode != shown.speedCode, input.speedCode);
    store(AnswerPreambles, input.answerPreambles != shown.answerPreambles, *answerPreambles);
    store(RequestPreambles, input.requestPreambles != shown.requestPreambles, *requestPreambles);
    store(AnswerWait, input.answerWait != shown.answerWait, *answerWait);
    store(Priority, input.priority != shown.priority, input.priority);
    store(CalculatorPreambles, input.calculatorPreambles != shown.calculatorPreambles,
          input.calculatorPreambles);
    store(RetryDelay, input.retryDelay != shown.retryDelay, input.retryDelay);
    // With no choice made (a version the editor knows no RTS rule for) the byte stays as it was
    // rather than taking the list's "nothing" as a value.
    store(RtsControl,
          HasRtsField(version) && input.rtsControl >= 0 && input.rtsControl != shown.rtsControl,
          input.rtsControl);

    if (input.modemString == shown.modemString)
        return std::nullopt;
    record.fill(RecordOffset::ModemString, ModemStringSize, 0);
    const QByteArray modem = toCp1251(input.modemString.left(MaxEditorModemStringLength));
    if (!modem.isEmpty()) {
        record.setSlice(RecordOffset::ModemString, int(modem.size()), modem);
        record.setU8(RecordOffset::ModemString + int(modem.size()), ModemStringEnd);
    }
    return std::nullopt;
}

void DisconnectAllCalculators(ConfigRecord &record)
{
    for (int address = FirstShownCalculator; address < CalculatorCount; ++address)
        record.setU8(LinkEntry::OffsetOf(address) + LinkEntry::Connected, 0);
}

std::optional<InputFault> CheckCalculatorLink(bool connected, bool portChosen, bool speedChosen)
{
    if (connected && (!portChosen || !speedChosen))
        return NotAllEnteredFault();
    return std::nullopt;
}

} // namespace ktv31
