// An in-memory serial line for the fuzz targets: the far side's bytes arrive after the first write.
#pragma once

#include "link/serialport.h"
#include "shell/monoclock.h"

#include <algorithm>
#include <vector>

namespace ktv31::fuzz {

// After the first write, `input` arrives in chunks of the given sizes (cycling; all of it at once
// without sizes), one chunk a millisecond on the installed clock. Then the line goes quiet, as a
// controller that has said all it will; with `loseAtEnd` it is lost a millisecond later instead.
// Every moment that the timing rules measure from is kept.
class MemoryPort final : public SerialPort
{
    Q_OBJECT
public:
    static constexpr int ChunkGapMs = 1;

    MemoryPort(QByteArray input, std::vector<int> chunkSizes, bool loseAtEnd = false)
        : input_(std::move(input)), chunkSizes_(std::move(chunkSizes)), loseAtEnd_(loseAtEnd)
    {
    }

    bool write(const QByteArray &bytes) override
    {
        if (lost_)
            return false;
        written_.append(bytes);
        if (!started_) {
            started_ = true;
            writtenAtNs_ = NowNs();
            RunAfter(ChunkGapMs, this, [this] { deliverNext(); });
        }
        return true;
    }
    // What has arrived and is not read yet is the stretch of the input between the two offsets.
    // What is read refers to the input, which lives as long as the port, so reading allocates
    // nothing; a caller that kept the bytes past the port would show as a use after free.
    QByteArray read(int maxBytes) override
    {
        const qsizetype n = std::clamp<qsizetype>(maxBytes, 0, bytesAvailable());
        const QByteArray out = QByteArray::fromRawData(input_.constData() + read_, n);
        read_ += n;
        return out;
    }
    qint64 bytesAvailable() const override { return offset_ - read_; }
    bool setSpeed(int bitsPerSecond) override
    {
        speed_ = bitsPerSecond;
        return true;
    }
    int speed() const override { return speed_; }
    bool purge() override
    {
        read_ = offset_;
        return true;
    }
    bool setDtr(bool) override { return true; }
    bool setRts(bool on) override
    {
        if (!on)
            rtsOffAtNs_ = NowNs();
        return true;
    }
    bool clearErrors() override { return true; }
    bool isLost() const override { return lost_; }
    void close() override {}

    const QByteArray &written() const { return written_; }
    qint64 writtenAtNs() const { return writtenAtNs_; }
    qint64 rtsOffAtNs() const { return rtsOffAtNs_; }
    qint64 lastArrivalAtNs() const { return lastArrivalAtNs_; }
    qint64 lostAtNs() const { return lostAtNs_; }

private:
    void deliverNext()
    {
        const int size =
            chunkSizes_.empty() ? int(input_.size()) : chunkSizes_[next_++ % chunkSizes_.size()];
        const int n = std::min<int>(size, int(input_.size() - offset_));
        if (n > 0) {
            offset_ += n;
            lastArrivalAtNs_ = NowNs();
            emit readyRead();
        }
        if (offset_ < input_.size())
            RunAfter(ChunkGapMs, this, [this] { deliverNext(); });
        else if (loseAtEnd_)
            RunAfter(ChunkGapMs, this, [this] { loseLine(); });
    }
    void loseLine()
    {
        lost_ = true;
        lostAtNs_ = NowNs();
        read_ = offset_;
        emit deviceLost();
    }

    QByteArray input_;
    qsizetype offset_ = 0; // arrived
    qsizetype read_ = 0;
    QByteArray written_;
    std::vector<int> chunkSizes_;
    size_t next_ = 0;
    bool loseAtEnd_;
    int speed_ = 0;
    bool started_ = false;
    bool lost_ = false;
    qint64 writtenAtNs_ = 0;
    qint64 rtsOffAtNs_ = 0;
    qint64 lastArrivalAtNs_ = 0;
    qint64 lostAtNs_ = 0;
};

// A line that was still delivering when its port went leaves its next delivery on the clock.
// Letting that moment pass frees it now, so that every run frees what it took: libFuzzer runs
// an input again, looking for a leak, whenever its allocations and frees differ.
inline void LetLeftoverDeliveryGo()
{
    PauseWithEvents(MemoryPort::ChunkGapMs);
}

} // namespace ktv31::fuzz
