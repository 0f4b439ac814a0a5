// Every difference between two configuration records, field by field.
#pragma once

#include "config/configimage.h"

#include <QList>
#include <QString>

namespace ktv31::cli {

struct Difference
{
    QString section; // the caption of the part of the configuration
    QString label;   // the field, "Адрес N: ..." for a calculator's
    QString name;    // the field's name ("calc.12.speed"); empty for bytes no field stands for
    QString first;   // the value in the first record
    QString second;  // the value in the second
};

// Empty exactly when the two records are equal byte for byte.
QList<Difference> DiffRecords(const ConfigRecord &a, const ConfigRecord &b);

} // namespace ktv31::cli
