// Conversions between the configuration image and the configuration record, and the new record.
#include "config/recordconversion.h"

#include "protocol/controllercodes.h"

namespace ktv31 {

void ImageToRecord(const ConfigImage &image, ConfigRecord &record)
{
    record.setSlice(RecordOffset::Identification, IdentificationSize,
                    image.slice(ImageOffset::DestroyedTable, IdentificationSize));
    record.setU8(RecordOffset::Marker, 1);

    const int linkParameters = image.LinkParameterCount();
    record.setSlice(RecordOffset::LinkParameters, linkParameters,
                    image.slice(ImageOffset::LinkParameters, linkParameters));
    record.setSlice(RecordOffset::ModemString, ModemStringSize,
                    image.slice(ImageOffset::ModemString, ModemStringSize));

    for (int address = 0; address < CalculatorCount; ++address) {
        const quint8 link = image.LinkByteAt(address);
        const quint8 port = LinkByte::Port(link);
        const int entry = LinkEntry::OffsetOf(address);
        record.setU8(entry + LinkEntry::Connected, (port >= 1 && port <= 3) ? 1 : 0);
        record.setU8(entry + LinkEntry::Port, port);
        record.setU8(entry + LinkEntry::SpeedCode, LinkByte::SpeedCode(link));
    }
}

quint8 LinkByteFromEntry(quint8 connected, quint8 port, quint8 speedCode)
{
    // The speed code keeps to its five bits: a bad code in a file must not change the port.
    return LinkByte::Make(connected != 0 ? port : 0, speedCode);
}

void RecordToImage(const ConfigRecord &record, ConfigImage &image)
{
    image.setSlice(ImageOffset::LinkParameters, LinkParameterCountLong,
                   record.slice(RecordOffset::LinkParameters, LinkParameterCountLong));
    image.setSlice(ImageOffset::ModemString, ModemStringSize,
                   record.slice(RecordOffset::ModemString, ModemStringSize));
    for (int address = 0; address < CalculatorCount; ++address) {
        const int entry = LinkEntry::OffsetOf(address);
        image.setLinkByteAt(address, LinkByteFromEntry(record.u8(entry + LinkEntry::Connected),
                                                       record.u8(entry + LinkEntry::Port),
                                                       record.u8(entry + LinkEntry::SpeedCode)));
    }
}

bool LinkEntryChanged(const ConfigRecord &a, const ConfigRecord &b, int address)
{
    const int at = LinkEntry::OffsetOf(address);
    return a.slice(at, LinkEntrySize) != b.slice(at, LinkEntrySize);
}

void ApplyRecordEdits(const ConfigRecord &asRead, const ConfigRecord &edited, ConfigImage &image)
{
    for (int i = 0; i < LinkParameterCountLong; ++i) {
        const quint8 value = edited.u8(RecordOffset::LinkParameters + i);
        if (value != asRead.u8(RecordOffset::LinkParameters + i))
            image.setU8(ImageOffset::LinkParameters + i, value);
    }
    const QByteArray modem = edited.slice(RecordOffset::ModemString, ModemStringSize);
    if (modem != asRead.slice(RecordOffset::ModemString, ModemStringSize))
        image.setSlice(ImageOffset::ModemString, ModemStringSize, modem);
    for (int address = 0; address < CalculatorCount; ++address) {
        if (!LinkEntryChanged(asRead, edited, address))
            continue;
        const int entry = LinkEntry::OffsetOf(address);
        image.setLinkByteAt(address, LinkByteFromEntry(edited.u8(entry + LinkEntry::Connected),
                                                       edited.u8(entry + LinkEntry::Port),
                                                       edited.u8(entry + LinkEntry::SpeedCode)));
    }
}

bool NewConfigRecord(ConfigRecord &record, int generation,
                     const GenerationChooser &chooseGeneration)
{
    if (generation == 0) {
        generation = chooseGeneration ? chooseGeneration() : 0;
        if (generation == 0)
            return false;
    }
    record = ConfigRecord();
    record.setU8(RecordOffset::TypeCode, ServedTypeCode);
    record.setU8(RecordOffset::SoftwareVersion, quint8(generation));
    const int lp = RecordOffset::LinkParameters;
    record.setU8(lp + 0, NewRecordDefaults::UpperSpeedCode);
    record.setU8(lp + 1, NewRecordDefaults::AnswerPreambles);
    record.setU8(lp + 2, NewRecordDefaults::RequestPreambles);
    record.setU8(lp + 3, NewRecordDefaults::LowPriority);
    return true;
}

bool UpperSpeedOffered(const ConfigImage &image, quint8 speedCode)
{
    return speedCode < SpeedCodeCount &&
           ((image.u32(ImageOffset::UpperSpeedMask) >> speedCode) & 1u);
}

} // namespace ktv31
