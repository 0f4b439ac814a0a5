// The controller's configuration tables as the program knows them: how many, which it writes.
#pragma once

#include <QList>

#include <array>

namespace ktv31 {

// Tables 0..7; table 7 reports which of them the controller holds destroyed.
constexpr int ConfigTableCount = 8;

// The tables the program reads or writes, by number.
namespace ConfigTable {
constexpr int Identification = 0;
constexpr int SpeedAvailability = 1;
constexpr int LinkParameters = 3;
constexpr int ModemString = 5;
constexpr int Links = 6;
constexpr int TableState = 7;
} // namespace ConfigTable

// The link parameters (3), the modem command string (5) and the calculator links (6).
bool IsWritableTable(int table);
// The writable tables in the order every write takes them.
const QList<int> &WritableTables();

// Which configuration tables the program writes (and so lists in the table-state view).
struct ConfigTableFlag
{
    quint8 table;
    quint8 writable;
};
std::array<ConfigTableFlag, ConfigTableCount> ConfigTableFlags();
int WritableTableCount();

} // namespace ktv31
