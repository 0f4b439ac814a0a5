// The request data of one table transfer (function 29), in its read and write forms.
#pragma once

#include "protocol/framing.h"
#include "shell/byterecord.h"

#include <QByteArray>

namespace ktv31 {

namespace TableRequestOffset {
constexpr int ReadTable = 0;
constexpr int ReadFirst = 1;
constexpr int ReadCount = 2; // non-zero marks a read
constexpr int WriteTable = 3;
constexpr int WriteFirst = 4;
constexpr int WriteCount = 5;
constexpr int Data = 6; // the new field values of a write
} // namespace TableRequestOffset

// Where the answer to a read repeats what it delivers, and where its field values begin.
namespace TableAnswerOffset {
constexpr int Table = 4;
constexpr int First = 5;
constexpr int Count = 6;
constexpr int Data = 7;
} // namespace TableAnswerOffset

constexpr int TableRequestSize = MaxTableRequestBytes;
constexpr int TableRequestHeaderSize = 6;
constexpr int MaxTableRequestData = TableRequestSize - TableRequestHeaderSize; // 243

class TableRequest : public ByteRecord<TableRequestSize>
{
public:
    static TableRequest Read(int table, int first, int count)
    {
        TableRequest r;
        r.setU8(TableRequestOffset::ReadTable, quint8(table));
        r.setU8(TableRequestOffset::ReadFirst, quint8(first));
        r.setU8(TableRequestOffset::ReadCount, quint8(count));
        return r;
    }
    // `data` beyond the 243 bytes a request carries is dropped.
    static TableRequest Write(int table, int first, int count, const QByteArray &data)
    {
        TableRequest r;
        r.setU8(TableRequestOffset::WriteTable, quint8(table));
        r.setU8(TableRequestOffset::WriteFirst, quint8(first));
        r.setU8(TableRequestOffset::WriteCount, quint8(count));
        r.setSlice(TableRequestOffset::Data, MaxTableRequestData, data);
        return r;
    }

    bool IsRead() const { return u8(TableRequestOffset::ReadCount) != 0; }
    int Table() const
    {
        return u8(IsRead() ? TableRequestOffset::ReadTable : TableRequestOffset::WriteTable);
    }
    int First() const
    {
        return u8(IsRead() ? TableRequestOffset::ReadFirst : TableRequestOffset::WriteFirst);
    }
    int Count() const
    {
        return u8(IsRead() ? TableRequestOffset::ReadCount : TableRequestOffset::WriteCount);
    }

    static constexpr int ReadLength = TableRequestHeaderSize;
    static constexpr int WriteLength(int dataBytes) { return TableRequestHeaderSize + dataBytes; }
};

} // namespace ktv31
