// What the field commands print: the list of names, values by name, and what changed.
#pragma once

#include "config/recordfields.h"

#include <QList>

namespace ktv31::cli {

// Every field a script may name, in text grouped by calculator, or each in --json.
void PrintFieldList(bool json);
// The fields `get` prints when none is named: those the record holds, calculators 1..254.
QList<const RecordField *> ListedFields(const ConfigRecord &record);
// NAME=VALUE lines, or one JSON object of names and values.
void PrintFieldValues(const ConfigRecord &record, const QList<const RecordField *> &fields,
                      bool json);
// "calc.12.speed: 9600 -> 19200", one line a change; "Нет измененных данных" when none.
void PrintFieldChanges(const QList<FieldChange> &changes);

} // namespace ktv31::cli
