// What a write would put into the controller's tables, checked against the values they may hold.
#pragma once

#include "config/configimage.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace ktv31 {

struct WriteContentFault
{
    int table = 0;
    QString text; // "Таблица 5 (Командная строка модема): ...", naming the field and the value
};

// The first value of `tables` (any of 3, 5, 6) in `record` that the controller must not be given:
// in table 3 (its first `linkParameterCount` fields) a speed code outside the speed table or a
// choice outside its list; in table 5 a modem string that is not printable characters ended by
// its carriage return (or a zero); in table 6 a connected flag other than 0 and 1, or for a
// connected calculator a port above 3 or a speed code outside the speed table. A disconnected
// calculator keeps whatever speed the controller held, as long as it fits its five bits.
// `writtenLink` says which calculators' links go to the controller; unset, all of them.
std::optional<WriteContentFault>
CheckWriteContent(const ConfigRecord &record, const QList<int> &tables, int linkParameterCount,
                  const std::function<bool(int address)> &writtenLink = {});

// The first table-3 value of `record` that the editor's lists cannot show and no controller may
// be given (a file's RTS 200, a speed code 30): told when the file is opened, before the editor.
std::optional<WriteContentFault> LinkParametersFault(const ConfigRecord &record);

} // namespace ktv31
