// The in-memory picture of the controller's tables and the 1247-byte configuration record.
#pragma once

#include "shell/byterecord.h"
#include "shell/configtables.h"

#include <array>

namespace ktv31 {

constexpr int CalculatorCount = 255; // link settings for addresses 0..254
constexpr int ModemStringSize = 64;
constexpr quint8 ModemStringEnd = 13; // the carriage return that ends the modem string
constexpr int IdentificationSize = 17;
// The identification block as the controller sends it (image bytes 0..16) and a file keeps it.
using IdentificationBytes = std::array<quint8, IdentificationSize>;

// The only device type the program serves, and the type byte of every configuration file.
constexpr quint8 ServedTypeCode = 8;

// Where each controller table lands in the image.
namespace ImageOffset {
constexpr int DestroyedTable = 0;  // table 0 field 0
constexpr int TypeCode = 1;        // table 0 field 1
constexpr int HardwareVersion = 2; // table 0 field 2
constexpr int SoftwareVersion = 3; // table 0 field 3: decides the size of table 3
constexpr int BuildYear = 4;       // fields 4..9: year, month, day, hour, minute, second
constexpr int ByteOrder = 10;
constexpr int MultiSpeed = 11;
constexpr int FixedAddress = 13;
constexpr int ProtocolVersion = 14;     // three bytes
constexpr int UpperSpeedMask = 17;      // table 1 field 0, 32 bits
constexpr int CalculatorSpeedMask = 21; // table 1 field 1, 32 bits
constexpr int LinkParameters = 25;      // table 3 fields 0..7
constexpr int UpperSpeedCode = 25;      // table 3 field 0
constexpr int ModemString = 33;         // table 5 field 0, 64 bytes
constexpr int Links = 97;               // table 6 fields 0..254, one LinkByte each
} // namespace ImageOffset

constexpr int ImageSize = 352;
constexpr int LinkParameterCountShort = 7; // software versions 3 and 4
constexpr int LinkParameterCountLong = 8;

class ConfigImage : public ByteRecord<ImageSize>
{
public:
    quint8 SoftwareVersion() const { return u8(ImageOffset::SoftwareVersion); }
    // Table 3 has 7 fields on software versions 3 and 4, 8 on any other.
    int LinkParameterCount() const { return LinkParameterCountFor(SoftwareVersion()); }
    static int LinkParameterCountFor(quint8 softwareVersion)
    {
        return (softwareVersion == 3 || softwareVersion == 4) ? LinkParameterCountShort
                                                              : LinkParameterCountLong;
    }
    quint8 LinkByteAt(int address) const { return u8(ImageOffset::Links + address); }
    void setLinkByteAt(int address, quint8 value) { setU8(ImageOffset::Links + address, value); }
};

// One calculator's link in the image: port in bits 7..5 (0 none, 1 A, 2 B, 3 C), speed code
// in 4..0.
struct LinkByte
{
    static constexpr quint8 MaxPort = 3;
    static constexpr quint8 SpeedCodeMask = 0x1F;
    static quint8 Port(quint8 link) { return quint8(link >> 5); }
    static quint8 SpeedCode(quint8 link) { return quint8(link & SpeedCodeMask); }
    static quint8 Make(quint8 port, quint8 speedCode)
    {
        return quint8((port << 5) | (speedCode & SpeedCodeMask));
    }
};

namespace RecordOffset {
constexpr int Marker = 0;         // 1 = bytes 1..17 hold an identification block read from a device
constexpr int Identification = 1; // 17 bytes, layout of image bytes 0..16
constexpr int TypeCode = 2;       // must be 8 in every valid file
constexpr int SoftwareVersion = 4;
constexpr int LinkParameters = 38; // table 3, 8 bytes
constexpr int Links = 63;          // 255 LinkEntry of 3 bytes
constexpr int ModemString = 1083;  // 64 bytes
} // namespace RecordOffset

// Table 3 in the record, field by field.
namespace LinkFieldOffset {
constexpr int UpperSpeed = 38;
constexpr int AnswerPreambles = 39;
constexpr int RequestPreambles = 40;
constexpr int Priority = 41;
constexpr int CalculatorPreambles = 42;
constexpr int RetryDelay = 43;
constexpr int AnswerWait = 44;
constexpr int RtsControl = 45; // only for software versions other than 3 and 4
} // namespace LinkFieldOffset

constexpr int FirstShownCalculator = 1; // address 0 is never shown or edited
constexpr int ShownCalculatorCount = 254;
constexpr int MaxEditorModemStringLength = 62; // leaves room for the CR and a zero

constexpr int RecordSize = 1247;
constexpr int LinkEntrySize = 3;

// One calculator's link in the record: connected flag, port (1 A, 2 B, 3 C), speed code.
namespace LinkEntry {
constexpr int Connected = 0;
constexpr int Port = 1;
constexpr int SpeedCode = 2;
inline int OffsetOf(int address)
{
    return RecordOffset::Links + LinkEntrySize * address;
}
} // namespace LinkEntry

class ConfigRecord : public ByteRecord<RecordSize>
{
};

} // namespace ktv31
