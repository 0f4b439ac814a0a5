// The in-memory scripted serial port used by the engine and dialogue tests.
#include "support/scriptedport.h"

#include "shell/monoclock.h"

namespace ktv31::test {

ScriptedPort::ScriptedPort(Script script, QObject *parent)
    : SerialPort(parent), script_(std::move(script))
{
}

void ScriptedPort::loseDevice()
{
    if (lost_)
        return;
    lost_ = true;
    input_.clear();
    emit deviceLost();
}

bool ScriptedPort::write(const QByteArray &bytes)
{
    if (lost_ || writeFails_)
        return false;
    events_.append({PortEvent::Write, NowNs(), bytes, 0});
    const int index = writeCount_++;
    if (!script_)
        return true;
    for (const Chunk &chunk : script_(index, bytes)) {
        if (chunk.delayMs <= 0 && chunk.bytes.isEmpty())
            continue;
        RunAfter(chunk.delayMs, this, [this, bytes = chunk.bytes] { deliver(bytes); });
    }
    return true;
}

void ScriptedPort::deliver(const QByteArray &bytes)
{
    if (lost_ || bytes.isEmpty())
        return;
    input_.append(bytes);
    events_.append({PortEvent::Arrive, NowNs(), bytes, 0});
    emit readyRead();
}

QByteArray ScriptedPort::read(int maxBytes)
{
    const QByteArray out = input_.left(maxBytes);
    input_.remove(0, out.size());
    return out;
}

bool ScriptedPort::setSpeed(int bitsPerSecond)
{
    speed_ = bitsPerSecond;
    events_.append({PortEvent::Speed, NowNs(), {}, bitsPerSecond});
    return true;
}

bool ScriptedPort::purge()
{
    input_.clear();
    events_.append({PortEvent::Purge, NowNs(), {}, 0});
    return !lost_;
}

bool ScriptedPort::setDtr(bool on)
{
    if (on)
        events_.append({PortEvent::DtrOn, NowNs(), {}, 0});
    return !lost_;
}

bool ScriptedPort::setRts(bool on)
{
    events_.append({on ? PortEvent::RtsOn : PortEvent::RtsOff, NowNs(), {}, 0});
    return !lost_;
}

QList<QByteArray> ScriptedPort::writes() const
{
    QList<QByteArray> out;
    for (const PortEvent &event : events_)
        if (event.kind == PortEvent::Write)
            out.append(event.bytes);
    return out;
}

} // namespace ktv31::test
