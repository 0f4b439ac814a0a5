// The two lines of an input-error message, as the dialogs' checks report their first fault.
#pragma once

#include <QString>

namespace ktv31 {

struct InputFault
{
    QString line1;
    QString line2;
};

inline InputFault NotAllEnteredFault()
{
    return {QStringLiteral("Введены не все параметры"), QString()};
}

} // namespace ktv31
