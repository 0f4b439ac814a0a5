// Decoding of the identification block: versions, build date, byte order, capabilities.
#include "connection/identdecode.h"

#include "config/configimage.h"
#include "config/identtexts.h"

namespace ktv31 {
namespace {

// The block has the layout of the image's first 17 bytes.
namespace Block {
using namespace ImageOffset;
constexpr int Month = BuildYear + 1;
constexpr int Day = BuildYear + 2;
constexpr int Hour = BuildYear + 3;
constexpr int Minute = BuildYear + 4;
constexpr int Second = BuildYear + 5;
constexpr int Year = BuildYear;
constexpr int Protocol = ProtocolVersion;
} // namespace Block

} // namespace

const std::array<QStringList, IdentLineCount> &IdentLabels()
{
    return IdentText::LabelParts();
}

std::array<IdentLine, IdentLineCount> DecodeIdentification(const quint8 *b, bool fromDevice)
{
    std::array<IdentLine, IdentLineCount> lines;
    for (int i = 0; i < IdentLineCount; ++i)
        lines[size_t(i)].label = IdentText::Label(IdentItem(i));
    lines[IdentType].value = QString::number(b[Block::TypeCode]);
    if (!fromDevice) {
        lines[IdentSoftware].value = IdentText::ReducedSoftware(b[Block::SoftwareVersion]);
        for (int i = 0; i < IdentLineCount; ++i)
            lines[size_t(i)].enabled = (i == IdentType || i == IdentSoftware);
        return lines;
    }
    lines[IdentHardware].value = QString::number(b[Block::HardwareVersion]);
    lines[IdentSoftware].value = IdentText::Software(b[Block::SoftwareVersion]);
    lines[IdentBuildDate].value =
        IdentText::BuildDate(b[Block::Day], b[Block::Month], b[Block::Year], b[Block::Hour],
                             b[Block::Minute], b[Block::Second]);
    const QString order = IdentText::ByteOrder(b[Block::ByteOrder]);
    lines[IdentByteOrder].value = order.isEmpty() ? QStringLiteral(" ? ") : order;
    const int destroyed = b[Block::DestroyedTable];
    lines[IdentDestroyed].value = IdentText::Destroyed(destroyed);
    lines[IdentDestroyed].alarm = destroyed != 0;
    lines[IdentSpeeds].value = IdentText::Speeds(b[Block::MultiSpeed]);
    lines[IdentAddress].value = IdentText::Address(b[Block::FixedAddress]);
    lines[IdentProtocol].value =
        IdentText::Protocol(b[Block::Protocol], b[Block::Protocol + 1], b[Block::Protocol + 2]);
    return lines;
}

} // namespace ktv31
