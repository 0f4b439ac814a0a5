// An in-memory serial line for the fuzz targets: the far side's bytes arrive after the first write.
#pragma once

#include "link/serialport.h"

#include <algorithm>
#include <vector>

namespace ktv31::fuzz {

// Delivers `input` in chunks of the given sizes (cycling), one chunk per read. Once everything
// has been read the line counts as lost, so that a waiting reader ends at once instead of
// waiting out its deadline.
class MemoryPort final : public SerialPort
{
    Q_OBJECT
public:
    MemoryPort(QByteArray input, std::vector<int> chunkSizes)
        : input_(std::move(input)), chunkSizes_(std::move(chunkSizes))
    {
    }

    bool write(const QByteArray &bytes) override
    {
        if (isLost())
            return false;
        written_.append(bytes);
        if (!delivered_) {
            delivered_ = true;
            pending_ = input_;
        }
        return true;
    }
    QByteArray read(int maxBytes) override
    {
        const int chunk = chunkSizes_.empty() ? int(pending_.size())
                                              : chunkSizes_[next_++ % chunkSizes_.size()];
        const int n = std::min<int>({maxBytes, chunk, int(pending_.size())});
        const QByteArray out = pending_.left(n);
        pending_.remove(0, n);
        return out;
    }
    qint64 bytesAvailable() const override { return pending_.size(); }
    bool setSpeed(int bitsPerSecond) override
    {
        speed_ = bitsPerSecond;
        return true;
    }
    int speed() const override { return speed_; }
    bool purge() override
    {
        pending_.clear();
        return true;
    }
    bool setDtr(bool) override { return true; }
    bool setRts(bool) override { return true; }
    bool clearErrors() override { return true; }
    bool isLost() const override { return delivered_ && pending_.isEmpty(); }
    void close() override {}

    const QByteArray &written() const { return written_; }

private:
    QByteArray input_;
    QByteArray pending_;
    QByteArray written_;
    std::vector<int> chunkSizes_;
    size_t next_ = 0;
    int speed_ = 0;
    bool delivered_ = false;
};

} // namespace ktv31::fuzz
