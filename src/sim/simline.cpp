// Paced reception and transmission of the simulator's line, and its replacement after a drop.
#include "sim/simline.h"

#include "shell/monoclock.h"
#include "sim/framelog.h"
#include "sim/linepeer.h"

#include <QSocketNotifier>

#include <algorithm>

namespace ktv31::sim {
namespace {
constexpr int kBitsPerByte = 10; // start bit, 8 data bits, stop bit
}

SimLine::SimLine(FrameLog &log, QObject *parent) : QObject(parent), log_(log)
{
    for (QTimer *timer : {&rxTimer_, &txTimer_}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&rxTimer_, &QTimer::timeout, this, &SimLine::deliverDue);
    connect(&txTimer_, &QTimer::timeout, this, &SimLine::flushDue);
}

SimLine::~SimLine()
{
    close();
}

bool SimLine::open(const QString &devicePath, int speed, QString *error)
{
    close();
    ownSpeed_ = speed;
    const bool ok = devicePath.isEmpty() ? OpenPtyLine(handle_, error)
                                         : OpenSerialLine(devicePath, speed, handle_, error);
    if (ok)
        attachNotifiers();
    return ok;
}

void SimLine::close()
{
    releaseNotifiers();
    rxTimer_.stop();
    txTimer_.stop();
    incoming_.clear();
    outgoing_.clear();
    outgoingDue_.clear();
    dropWhenSent_ = false;
    CloseLine(handle_);
}

void SimLine::attachNotifiers()
{
    readNotifier_ = std::make_unique<QSocketNotifier>(handle_.fd, QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &SimLine::onReadable);
    writeNotifier_ = std::make_unique<QSocketNotifier>(handle_.fd, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this, &SimLine::onWritable);
}

void SimLine::releaseNotifiers()
{
    readNotifier_.reset();
    writeNotifier_.reset();
}

void SimLine::setPeer(LinePeer *peer)
{
    if (peer_)
        disconnect(peer_, nullptr, this, nullptr);
    peer_ = peer;
    if (!peer_)
        return;
    connect(peer_, &LinePeer::transmit, this, &SimLine::send);
    connect(peer_, &LinePeer::closeLine, this, &SimLine::dropLine);
}

void SimLine::followSpeed(int speed)
{
    ownSpeed_ = speed;
    if (handle_.isOpen() && !handle_.isPty && outgoing_.isEmpty())
        SetLineSpeedOf(handle_.fd, speed);
}

int SimLine::lineSpeed() const
{
    const int speed = LineSpeedOf(handle_.fd);
    return speed > 0 ? speed : ownSpeed_;
}

qint64 SimLine::wireNs(qint64 bytes, int speed)
{
    return bytes * kBitsPerByte * 1000000000LL / std::max(speed, 1);
}

void SimLine::onReadable()
{
    bool failed = false;
    const QByteArray bytes = ReadLineBytes(handle_, failed);
    if (failed) {
        // Only a real port can go away under us; the pseudo-terminal's far side is held open.
        log_.note(QStringLiteral("line lost: %1").arg(handle_.path));
        releaseNotifiers();
        emit this->failed(QStringLiteral("the line %1 went away").arg(handle_.path));
        return;
    }
    if (bytes.isEmpty())
        return;
    const qint64 now = MachineNowNs();
    const int speed = lineSpeed();
    if (!pacing_) {
        if (peer_)
            peer_->receive(bytes, now, speed);
        return;
    }
    rxWireFreeNs_ = std::max(rxWireFreeNs_, now) + wireNs(bytes.size(), speed);
    incoming_.append({bytes, rxWireFreeNs_, speed});
    armTimer(rxTimer_, incoming_.first().dueNs);
}

void SimLine::deliverDue()
{
    const qint64 now = MachineNowNs();
    while (!incoming_.isEmpty() && incoming_.first().dueNs <= now) {
        const Chunk chunk = incoming_.takeFirst();
        if (peer_)
            peer_->receive(chunk.bytes, chunk.dueNs, chunk.speed);
    }
    if (!incoming_.isEmpty())
        armTimer(rxTimer_, incoming_.first().dueNs);
}

void SimLine::send(const QByteArray &bytes)
{
    if (!handle_.isOpen() || bytes.isEmpty())
        return;
    const qint64 now = MachineNowNs();
    const qint64 perByte = pacing_ ? wireNs(1, lineSpeed()) : 0;
    qint64 due = std::max(txWireFreeNs_, now);
    for (int i = 0; i < bytes.size(); ++i) {
        due += perByte;
        outgoingDue_.append(due);
    }
    txWireFreeNs_ = due;
    outgoing_.append(bytes);
    flushDue();
}

void SimLine::flushDue()
{
    const qint64 now = MachineNowNs();
    qsizetype ready = 0;
    while (ready < outgoingDue_.size() && outgoingDue_[ready] <= now)
        ++ready;
    if (ready > 0) {
        const qint64 written = WriteLineBytes(handle_, outgoing_.left(ready));
        if (written < 0) {
            log_.note(QStringLiteral("write failed on %1").arg(handle_.path));
            outgoing_.clear();
            outgoingDue_.clear();
        } else {
            outgoing_.remove(0, written);
            outgoingDue_.remove(0, written);
            if (written < ready && writeNotifier_)
                writeNotifier_->setEnabled(true); // the far side's buffer is full
        }
    }
    if (!outgoingDue_.isEmpty() && !(writeNotifier_ && writeNotifier_->isEnabled()))
        armTimer(txTimer_, outgoingDue_.first());
    if (outgoing_.isEmpty()) {
        if (!handle_.isPty && handle_.isOpen() && LineSpeedOf(handle_.fd) != ownSpeed_)
            SetLineSpeedOf(handle_.fd, ownSpeed_);
        if (dropWhenSent_)
            reopen();
    }
}

void SimLine::onWritable()
{
    writeNotifier_->setEnabled(false);
    flushDue();
}

void SimLine::armTimer(QTimer &timer, qint64 dueNs)
{
    const qint64 remaining = dueNs - MachineNowNs();
    timer.start(remaining <= 0 ? 0 : int((remaining + 999999) / 1000000));
}

void SimLine::dropLine()
{
    dropWhenSent_ = true;
    if (outgoing_.isEmpty())
        reopen();
}

void SimLine::reopen()
{
    // The new line is opened before the old one closes, so that it gets another name and a
    // program still holding the old one cannot mistake it for the new one.
    LineHandle fresh;
    QString error;
    const bool ok = handle_.isPty ? OpenPtyLine(fresh, &error)
                                  : OpenSerialLine(handle_.path, ownSpeed_, fresh, &error);
    const QString oldPath = handle_.path;
    const bool pty = handle_.isPty;
    close();
    log_.note(QStringLiteral("line %1 dropped").arg(oldPath));
    if (!ok && !pty)
        OpenSerialLine(oldPath, ownSpeed_, fresh, &error); // a real port reopens once closed
    if (!fresh.isOpen()) {
        emit failed(error);
        return;
    }
    handle_ = fresh;
    attachNotifiers();
    log_.note(QStringLiteral("new line %1").arg(handle_.path));
    emit deviceChanged(handle_.path);
}

} // namespace ktv31::sim
