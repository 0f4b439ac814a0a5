// Choice lists whose items carry the values they stand for, so that no code reads a value from
// an item's place or text.
#pragma once

#include <QComboBox>

namespace ktv31 {

// Each item carries `first` plus its place in the list: lists of numbers in order.
inline void NumberItems(QComboBox *list, int first)
{
    for (int item = 0; item < list->count(); ++item)
        list->setItemData(item, first + item);
}

// The value the list has selected, -1 for none.
inline int Selected(const QComboBox *list)
{
    return list->currentIndex() < 0 ? -1 : list->currentData().toInt();
}

} // namespace ktv31
