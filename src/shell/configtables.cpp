// Which configuration tables the program writes.
#include "shell/configtables.h"

namespace ktv31 {

const QList<int> &WritableTables()
{
    static const QList<int> tables{ConfigTable::LinkParameters, ConfigTable::ModemString,
                                   ConfigTable::Links};
    return tables;
}

bool IsWritableTable(int table)
{
    return WritableTables().contains(table);
}

std::array<ConfigTableFlag, ConfigTableCount> ConfigTableFlags()
{
    std::array<ConfigTableFlag, ConfigTableCount> flags{};
    for (int table = 0; table < ConfigTableCount; ++table)
        flags[table] = {quint8(table), quint8(IsWritableTable(table) ? 1 : 0)};
    return flags;
}

int WritableTableCount()
{
    return int(WritableTables().size());
}

} // namespace ktv31
