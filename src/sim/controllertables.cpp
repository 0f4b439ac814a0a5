// Defaults, reads and writes of the simulated controller's tables 0, 1, 3, 5, 6 and 7.
#include "sim/controllertables.h"

#include "config/recordconversion.h"
#include "config/tablerequest.h"
#include "protocol/controllercodes.h"
#include "protocol/framing.h"

#include <algorithm>

namespace ktv31::sim {
namespace {

// Answer data: three header bytes and the values, inside one 255-byte frame.
constexpr int kMaxAnswerValues = MaxFrameLength - MinFrameLength - 3;
constexpr int kSpeedCode1200 = 2;

constexpr quint8 kByteOrderLowFirst = 1;
constexpr quint8 kProtocolVersion[3] = {2, 1, 0};
constexpr quint8 kDefaultLinkParameters[LinkParameterCountLong] = {
    kSpeedCode1200, 3, 5, 1, 0, 0, 50, 0};
constexpr char kDefaultModemString[] = "ATE0V1S0=1\r";

struct DefaultLink
{
    int address;
    quint8 port;
    quint8 speedCode;
};
constexpr DefaultLink kDefaultLinks[] = {{1, 1, 11}, {2, 1, 11}, {3, 2, 6}, {10, 3, 15}};

} // namespace

std::optional<TableShape> ShapeOfTable(int table, quint8 firmwareVersion)
{
    switch (table) {
    case 0:
        return TableShape{IdentificationSize, 1, false};
    case 1:
        return TableShape{2, 4, false};
    case 3:
        return TableShape{ConfigImage::LinkParameterCountFor(firmwareVersion), 1, true};
    case 5:
        return TableShape{1, ModemStringSize, true};
    case 6:
        return TableShape{CalculatorCount, 1, true};
    case 7:
        return TableShape{TableCount, 1, false};
    default:
        return std::nullopt;
    }
}

ControllerTables::ControllerTables(const SimOptions &options)
{
    const QDate date = options.buildDate.date();
    const QTime time = options.buildDate.time();
    image_.setU8(ImageOffset::TypeCode, options.typeCode);
    image_.setU8(ImageOffset::HardwareVersion, options.hardwareVersion);
    image_.setU8(ImageOffset::SoftwareVersion, options.firmwareVersion);
    const int stamp[6] = {date.year() % 100, date.month(),  date.day(),
                          time.hour(),       time.minute(), time.second()};
    for (int i = 0; i < 6; ++i)
        image_.setU8(ImageOffset::BuildYear + i, quint8(std::max(0, stamp[i])));
    image_.setU8(ImageOffset::ByteOrder, kByteOrderLowFirst);
    image_.setU8(ImageOffset::MultiSpeed, 1);
    for (int i = 0; i < 3; ++i)
        image_.setU8(ImageOffset::ProtocolVersion + i, kProtocolVersion[i]);
    image_.setU32(ImageOffset::UpperSpeedMask, options.upperSpeedMask);
    image_.setU32(ImageOffset::CalculatorSpeedMask, options.calculatorSpeedMask);

    for (int i = 0; i < LinkParameterCountLong; ++i)
        image_.setU8(ImageOffset::LinkParameters + i, kDefaultLinkParameters[i]);
    image_.setSlice(ImageOffset::ModemString, ModemStringSize, QByteArray(kDefaultModemString));
    for (const DefaultLink &link : kDefaultLinks)
        image_.setLinkByteAt(link.address, LinkByte::Make(link.port, link.speedCode));

    setDestroyed(options.destroyedTables);
}

void ControllerTables::loadRecord(const ConfigRecord &record)
{
    RecordToImage(record, image_);
}

void ControllerTables::setDestroyed(const QList<int> &tables)
{
    destroyed_.fill(0);
    rebuiltUpTo_.fill(0);
    for (int table : tables)
        if (table > 0 && table < TableCount)
            destroyed_[table] = 1;
    refreshDestroyedNumber();
}

void ControllerTables::refreshDestroyedNumber()
{
    quint8 number = 0;
    for (int table = TableCount - 1; table > 0; --table)
        if (destroyed_[table])
            number = quint8(table);
    image_.setU8(ImageOffset::DestroyedTable, number);
}

int ControllerTables::imageOffset(int table, int field) const
{
    switch (table) {
    case 0:
        return field;
    case 1:
        return ImageOffset::UpperSpeedMask + 4 * field;
    case 3:
        return ImageOffset::LinkParameters + field;
    case 5:
        return ImageOffset::ModemString;
    case 6:
        return ImageOffset::Links + field;
    default:
        return -1;
    }
}

TableOutcome ControllerTables::serve(const QByteArray &request)
{
    if (request.size() < TableRequestHeaderSize)
        return {ControllerError::BadRequestLength, 0, {}, -1};
    const auto at = [&request](int offset) { return int(quint8(request[offset])); };
    if (at(TableRequestOffset::ReadCount) != 0)
        return read(at(TableRequestOffset::ReadTable), at(TableRequestOffset::ReadFirst),
                    at(TableRequestOffset::ReadCount));
    return write(at(TableRequestOffset::WriteTable), at(TableRequestOffset::WriteFirst),
                 at(TableRequestOffset::WriteCount), request.mid(TableRequestOffset::Data));
}

TableOutcome ControllerTables::read(int table, int first, int count)
{
    const auto shape = ShapeOfTable(table, firmwareVersion());
    if (!shape)
        return {ControllerError::NoSuchTable, 0, {}, -1};
    if (first + count > shape->fields)
        return {ControllerError::NoSuchField, 0, {}, -1};
    const int bytes = count * shape->fieldSize;
    if (bytes > kMaxAnswerValues)
        return {ControllerError::BadParameters, 0, {}, -1};
    // The identification and the table of destroyed tables stay readable: they tell about it.
    if (table != 0 && table != 7 && destroyed_[table])
        return {ControllerError::DestroyedTable, quint8(table), {}, -1};

    TableOutcome out;
    out.data.append(char(table));
    out.data.append(char(first));
    out.data.append(char(count));
    if (table == 7)
        out.data.append(reinterpret_cast<const char *>(destroyed_.data()) + first, count);
    else
        out.data.append(image_.slice(imageOffset(table, first), bytes));
    return out;
}

TableOutcome ControllerTables::write(int table, int first, int count, const QByteArray &values)
{
    const auto shape = ShapeOfTable(table, firmwareVersion());
    if (!shape)
        return {ControllerError::NoSuchTable, 0, {}, -1};
    if (!shape->writable)
        return {ControllerError::WriteNotAllowed, 0, {}, -1};
    if (count == 0)
        return {ControllerError::BadParameters, 0, {}, -1};
    if (first + count > shape->fields)
        return {ControllerError::WriteBeyondTable, 0, {}, -1};
    if (values.size() != count * shape->fieldSize)
        return {ControllerError::BadRequestLength, 0, {}, -1};
    if (destroyed_[table] && first != rebuiltUpTo_[table])
        return {ControllerError::DestroyedTableWriteOrder, quint8(table), {}, -1};
    if (const quint8 error = checkValues(table, first, values))
        return {error, 0, {}, -1};

    image_.setSlice(imageOffset(table, first), int(values.size()), values);
    noteRebuilt(table, first, count, shape->fields);

    TableOutcome out;
    out.data.append(char(table));
    out.data.append(char(first));
    out.data.append(char(count));
    if (table == 3 && first == 0)
        out.newSpeedCode = quint8(values[0]);
    return out;
}

quint8 ControllerTables::checkValues(int table, int first, const QByteArray &values) const
{
    if (table == 3 && first == 0) {
        const int code = quint8(values[0]);
        const bool available =
            code < SpeedCodeCount && (image_.u32(ImageOffset::UpperSpeedMask) >> code) & 1;
        return available ? 0 : ControllerError::BadParameters;
    }
    if (table == 6) {
        for (char value : values) {
            const quint8 link = quint8(value);
            if (LinkByte::Port(link) > 3 || LinkByte::SpeedCode(link) >= SpeedCodeCount)
                return ControllerError::BadParameters;
        }
    }
    return 0;
}

void ControllerTables::noteRebuilt(int table, int first, int count, int fields)
{
    if (!destroyed_[table])
        return;
    rebuiltUpTo_[table] = first + count;
    if (rebuiltUpTo_[table] >= fields) {
        destroyed_[table] = 0;
        rebuiltUpTo_[table] = 0;
        refreshDestroyedNumber();
    }
}

} // namespace ktv31::sim
