// The checks of table 3, the modem string and the calculator links before they are written.
#include "config/writecheck.h"

#include "config/configtexts.h"
#include "config/stringi.h"
#include "protocol/suplfunc.h"

namespace ktv31 {
namespace {

constexpr quint8 kDelete = 0x7F;
constexpr quint8 kUndefinedCp1251 = 0x98;
constexpr int kMaxPort = LinkByte::MaxPort;
constexpr int kMaxLinkByteSpeed = LinkByte::SpeedCodeMask; // what the link byte's bits can hold

WriteContentFault Fault(int table, const QString &what)
{
    return {table, QStringLiteral("Таблица %1 (%2): %3").arg(table).arg(TableCaption(table), what)};
}

std::optional<WriteContentFault> CheckLinkParameters(const ConfigRecord &record, int count)
{
    for (const LinkParameterField &field : LinkParameterFields()) {
        if (field.offset - RecordOffset::LinkParameters >= count)
            continue;
        const int value = record.u8(field.offset);
        int high = 255;
        if (field.offset == LinkFieldOffset::UpperSpeed)
            high = SpeedCodeCount - 1;
        else if (!field.items.isEmpty())
            high = int(field.items.size()) - 1;
        if (value > high)
            return Fault(ConfigTable::LinkParameters, QStringLiteral("%1 = %2, допустимо 0...%3")
                                                          .arg(PlainLabel(field))
                                                          .arg(value)
                                                          .arg(high));
    }
    return std::nullopt;
}

bool Printable(quint8 byte)
{
    return byte >= 0x20 && byte != kDelete && byte != kUndefinedCp1251;
}

std::optional<WriteContentFault> CheckModemString(const ConfigRecord &record)
{
    for (int i = 0; i < ModemStringSize; ++i) {
        const quint8 byte = record.u8(RecordOffset::ModemString + i);
        if (byte == ModemStringEnd || byte == 0)
            return std::nullopt;
        if (!Printable(byte))
            return Fault(ConfigTable::ModemString,
                         QStringLiteral("непечатаемый символ 0x%1 на месте %2")
                             .arg(byte, 2, 16, QLatin1Char('0'))
                             .arg(i + 1));
    }
    return Fault(
        ConfigTable::ModemString,
        QStringLiteral("строка не завершена символом CR в %1 байтах").arg(ModemStringSize));
}

std::optional<WriteContentFault> CheckLinks(const ConfigRecord &record,
                                            const std::function<bool(int)> &writtenLink)
{
    for (int address = 0; address < CalculatorCount; ++address) {
        if (writtenLink && !writtenLink(address))
            continue;
        const int at = LinkEntry::OffsetOf(address);
        const int connected = record.u8(at + LinkEntry::Connected);
        const int port = record.u8(at + LinkEntry::Port);
        const int speed = record.u8(at + LinkEntry::SpeedCode);
        QString what;
        if (connected > 1)
            what = QStringLiteral("признак подключения %1, допустимо 0 или 1").arg(connected);
        else if (connected && port > kMaxPort)
            what = QStringLiteral("порт %1, допустимо 0...%2").arg(port).arg(kMaxPort);
        else if (connected && speed >= SpeedCodeCount)
            what = QStringLiteral("код скорости %1, допустимо 0...%2")
                       .arg(speed)
                       .arg(SpeedCodeCount - 1);
        else if (speed > kMaxLinkByteSpeed)
            what = QStringLiteral("код скорости %1, допустимо 0...%2")
                       .arg(speed)
                       .arg(kMaxLinkByteSpeed);
        if (!what.isEmpty())
            return Fault(ConfigTable::Links, QStringLiteral("адрес %1: %2").arg(address).arg(what));
    }
    return std::nullopt;
}

} // namespace

std::optional<WriteContentFault> CheckWriteContent(const ConfigRecord &record,
                                                   const QList<int> &tables, int linkParameterCount,
                                                   const std::function<bool(int)> &writtenLink)
{
    // In the order the tables are written.
    for (const int table :
         {ConfigTable::LinkParameters, ConfigTable::ModemString, ConfigTable::Links}) {
        if (!tables.contains(table))
            continue;
        std::optional<WriteContentFault> fault;
        if (table == ConfigTable::LinkParameters)
            fault = CheckLinkParameters(record, linkParameterCount);
        else if (table == ConfigTable::ModemString)
            fault = CheckModemString(record);
        else if (table == ConfigTable::Links)
            fault = CheckLinks(record, writtenLink);
        if (fault)
            return fault;
    }
    return std::nullopt;
}

} // namespace ktv31
