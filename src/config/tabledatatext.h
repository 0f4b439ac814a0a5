// The field values of one block of a configuration table, in the words of the program's views.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace ktv31 {

// Bytes one field of `table` occupies: 4 for the speed masks of table 1, 64 for the modem
// string of table 5, 1 for every other.
int TableFieldSize(int table);
// Whether the decoder knows the fields of `table` (0, 1, 3, 5, 6 and 7).
bool TableLayoutKnown(int table);

// The values of fields first .. first + count - 1 of `table`, as far as `values` holds them:
// table 0 and table 3 field by field with the labels of the identification view and the
// configuration editor, table 1 as the speeds each mask offers, table 5 as the modem string
// with its control characters escaped, table 6 calculator by calculator ("адрес 12: порт C,
// 9600"), table 7 as the destroyed tables; other tables as hex bytes.
QString TableValuesText(int table, int first, int count, QByteArrayView values);

// "таблица 3 (поля 0-8) \"Параметры связи\"": the range ends one past the last field, as the
// program's step texts have it; the caption between double quotes when the table has one.
QString TableBlockText(int table, int first, int count);
// The caption between double quotes, or empty for a table without one.
QString QuotedCaption(int table);

} // namespace ktv31
