// Fixed-size byte records with named little-endian accessors, for layouts that go to files or
// devices.
#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>

namespace ktv31 {

// Four bytes of a little-endian value at `at`. ByteRecord stores through this pointer rather than
// by index: after inlining, GCC 12 warns, wrongly, that indexed stores fall outside the record
// (-Warray-bounds), and CI treats warnings as errors.
inline void StoreLittleEndian32(quint8 *at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = quint8(value >> (8 * i));
}

// A packed record of N bytes. Multi-byte values are little-endian and may start at any offset;
// nothing is ever read or written outside the N bytes, whatever offset a caller passes.
template <int N> class ByteRecord
{
public:
    static constexpr int Size = N;

    ByteRecord() { bytes_.fill(0); }

    quint8 u8(int offset) const { return inRange(offset, 1) ? bytes_[offset] : 0; }
    void setU8(int offset, quint8 value)
    {
        if (inRange(offset, 1))
            bytes_[offset] = value;
    }

    qint32 i32(int offset) const
    {
        if (!inRange(offset, 4))
            return 0;
        quint32 v = quint32(bytes_[offset]) | quint32(bytes_[offset + 1]) << 8 |
                    quint32(bytes_[offset + 2]) << 16 | quint32(bytes_[offset + 3]) << 24;
        return qint32(v);
    }
    void setI32(int offset, qint32 value)
    {
        if (!inRange(offset, 4))
            return;
        StoreLittleEndian32(bytes_.data() + offset, quint32(value));
    }

    quint32 u32(int offset) const { return quint32(i32(offset)); }
    void setU32(int offset, quint32 value) { setI32(offset, qint32(value)); }

    QByteArray slice(int offset, int size) const
    {
        if (!inRange(offset, size))
            return {};
        return QByteArray(reinterpret_cast<const char *>(bytes_.data()) + offset, size);
    }
    // Copies as much of `data` as fits into [offset, offset + size); the rest of the span is kept.
    void setSlice(int offset, int size, const QByteArray &data)
    {
        if (!inRange(offset, size))
            return;
        const int n = std::min<int>(size, int(data.size()));
        std::copy_n(reinterpret_cast<const quint8 *>(data.constData()), n, bytes_.begin() + offset);
    }
    void fill(int offset, int size, quint8 value)
    {
        if (inRange(offset, size))
            std::fill_n(bytes_.begin() + offset, size, value);
    }

    QByteArray toBytes() const { return slice(0, N); }
    // Takes the first N bytes; a shorter source leaves the remaining bytes as they were.
    void assign(const QByteArray &data) { setSlice(0, N, data); }

    quint8 *data() { return bytes_.data(); }
    const quint8 *data() const { return bytes_.data(); }

    bool operator==(const ByteRecord &other) const { return bytes_ == other.bytes_; }
    bool operator!=(const ByteRecord &other) const { return bytes_ != other.bytes_; }

private:
    static bool inRange(int offset, int size)
    {
        return offset >= 0 && size >= 0 && offset + size <= N;
    }
    std::array<quint8, N> bytes_;
};

} // namespace ktv31
