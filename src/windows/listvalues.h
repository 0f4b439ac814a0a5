// Choice lists whose items carry the values they stand for, so that no code reads a value from
// an item's place or text.
#pragma once

#include "config/recordfields.h"

#include <QComboBox>
#include <QLabel>

namespace ktv31 {

// Each item carries `first` plus its place in the list: lists of numbers in order.
inline void NumberItems(QComboBox *list, int first)
{
    for (int item = 0; item < list->count(); ++item)
        list->setItemData(item, first + item);
}

// The list holds the field's items, each carrying its value; `padding` goes before each text.
inline void FillItems(QComboBox *list, const RecordField &field, const QString &padding = {})
{
    list->clear();
    for (const FieldItem &item : field.items)
        list->addItem(padding + item.text, item.value);
}

// The label shows the field's label, its lines one above the other.
inline void ShowLabel(QLabel *label, const RecordField &field)
{
    label->setText(field.labelParts.join(QLatin1Char('\n')));
}

// The value the list has selected, -1 for none.
inline int Selected(const QComboBox *list)
{
    return list->currentIndex() < 0 ? -1 : list->currentData().toInt();
}

} // namespace ktv31
