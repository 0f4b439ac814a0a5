// What a screen reader reads of a label that shows a value.
#pragma once

#include <QString>
#include <QWidget>

namespace ktv31 {

// The label is read as the value it shows, announced whenever it changes (a label without an
// accessible name of its own is named by its text); its caption only describes it. A fixed
// accessible name would hide the value behind the caption.
inline void ReadAsValue(QWidget *label, const QString &caption)
{
    label->setAccessibleName(QString());
    label->setAccessibleDescription(caption);
}

} // namespace ktv31
