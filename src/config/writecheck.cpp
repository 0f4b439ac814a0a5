// The checks of table 3, the modem string and the calculator links before they are written,
// each field by the rule its description gives.
#include "config/writecheck.h"

#include "config/recordfields.h"
#include "config/tablecaptions.h"

namespace ktv31 {
namespace {

WriteContentFault Fault(int table, const QString &what)
{
    return {table, QStringLiteral("Таблица %1 (%2): %3").arg(table).arg(TableCaption(table), what)};
}

// Whether `field` of `table` goes to the controller in this write.
bool Written(const RecordField &field, int table, int linkParameterCount,
             const std::function<bool(int)> &writtenLink)
{
    if (field.table != table)
        return false;
    if (table == ConfigTable::LinkParameters)
        return field.tableField < linkParameterCount;
    if (table == ConfigTable::Links)
        return !writtenLink || writtenLink(field.address);
    return true;
}

} // namespace

std::optional<WriteContentFault> CheckWriteContent(const ConfigRecord &record,
                                                   const QList<int> &tables, int linkParameterCount,
                                                   const std::function<bool(int)> &writtenLink)
{
    // In the order the tables are written.
    for (const int table : WritableTables()) {
        if (!tables.contains(table))
            continue;
        for (const RecordField &field : RecordFields()) {
            if (!Written(field, table, linkParameterCount, writtenLink))
                continue;
            if (const std::optional<QString> fault = StoredValueFault(record, field))
                return Fault(table, *fault);
        }
    }
    return std::nullopt;
}

std::optional<WriteContentFault> LinkParametersFault(const ConfigRecord &record)
{
    return CheckWriteContent(
        record, {ConfigTable::LinkParameters},
        ConfigImage::LinkParameterCountFor(record.u8(RecordOffset::SoftwareVersion)));
}

} // namespace ktv31
