// The table-state buffer: writable, destroyed and chosen-for-writing flags of tables 0..7.
#pragma once

#include "shell/byterecord.h"
#include "shell/configtables.h"

namespace ktv31 {

namespace TableStateOffset {
constexpr int Writable = 0;     // 8 flags, from the program's table flags
constexpr int Destroyed = 8;    // table 7 fields 0..7 as the controller reports them
constexpr int WriteChoice = 16; // 8 flags, set by the table-state view
} // namespace TableStateOffset

class TableStateBuffer : public ByteRecord<24>
{
public:
    bool Writable(int table) const { return flag(TableStateOffset::Writable, table); }
    bool Destroyed(int table) const { return flag(TableStateOffset::Destroyed, table); }
    bool WriteChosen(int table) const { return flag(TableStateOffset::WriteChoice, table); }
    void setWriteChosen(int table, bool chosen)
    {
        if (table >= 0 && table < ConfigTableCount)
            setU8(TableStateOffset::WriteChoice + table, chosen ? 1 : 0);
    }
    int WriteChoiceCount() const
    {
        int count = 0;
        for (int table = 0; table < ConfigTableCount; ++table)
            count += WriteChosen(table) ? 1 : 0;
        return count;
    }

private:
    bool flag(int base, int table) const
    {
        return table >= 0 && table < ConfigTableCount && u8(base + table) != 0;
    }
};

} // namespace ktv31
