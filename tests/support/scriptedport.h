// An in-memory serial port for engine tests: records what is written and plays scripted answers.
// The answers come from timers of the installed clock, so the port keeps its timing under a
// virtual clock as under the real one.
#pragma once

#include "link/serialport.h"

#include <QList>

#include <functional>

namespace ktv31::test {

struct Chunk
{
    int delayMs = 0; // after the write that triggers it
    QByteArray bytes;
};

struct PortEvent
{
    enum Kind
    {
        Write,
        RtsOn,
        RtsOff,
        DtrOn,
        Purge,
        Speed,
        Arrive
    } kind;
    qint64 atNs = 0;
    QByteArray bytes;
    int value = 0;
};

class ScriptedPort : public SerialPort
{
    Q_OBJECT
public:
    // Given the n-th write (0-based) and its bytes, the chunks to deliver in answer.
    using Script = std::function<QList<Chunk>(int writeIndex, const QByteArray &written)>;

    explicit ScriptedPort(Script script = {}, QObject *parent = nullptr);

    void setScript(Script script) { script_ = std::move(script); }
    void setWriteFails(bool fails) { writeFails_ = fails; }
    // Simulates the line going away: emits deviceLost once, later writes fail.
    void loseDevice();

    bool write(const QByteArray &bytes) override;
    QByteArray read(int maxBytes) override;
    qint64 bytesAvailable() const override { return input_.size(); }
    bool setSpeed(int bitsPerSecond) override;
    int speed() const override { return speed_; }
    bool purge() override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    bool clearErrors() override { return true; }
    bool isLost() const override { return lost_; }
    void close() override {}

    QList<QByteArray> writes() const;
    const QList<PortEvent> &events() const { return events_; }

private:
    void deliver(const QByteArray &bytes);

    Script script_;
    QByteArray input_;
    QList<PortEvent> events_;
    int writeCount_ = 0;
    int speed_ = 0;
    bool writeFails_ = false;
    bool lost_ = false;
};

} // namespace ktv31::test
