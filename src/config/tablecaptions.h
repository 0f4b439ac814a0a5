// Captions of the controller's configuration tables, indexed by table number.
#pragma once

#include "shell/configtables.h"

#include <QString>

#include <array>

namespace ktv31 {

// Tables 2 and 4 have no caption; table 7's ends with a blank, since the table-state view
// follows it with a table number.
const std::array<QString, ConfigTableCount> &Stringi();
// Empty for a table number outside 0..7.
QString TableCaption(int table);

} // namespace ktv31
