// A raw program-side descriptor on a simulator line, with deadline-bounded reads.
#include "support/simprogramside.h"

#include "protocol/framing.h"
#include "shell/monoclock.h"
#include "sim/simdevice.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace ktv31::test {

SimProgramSide::SimProgramSide(const QString &devicePath, int speed)
{
    fd_ = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        return;
    struct termios tio;
    if (tcgetattr(fd_, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(fd_, TCSANOW, &tio);
    }
    setSpeed(speed);
}

SimProgramSide::~SimProgramSide()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool SimProgramSide::setSpeed(int speed)
{
    return sim::SetLineSpeedOf(fd_, speed);
}

bool SimProgramSide::write(const QByteArray &bytes)
{
    return fd_ >= 0 && ::write(fd_, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

bool SimProgramSide::readSome(int waitMs)
{
    if (fd_ < 0 || hungUp_)
        return false;
    struct pollfd p = {fd_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0)
        return false;
    char chunk[512];
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) {
        received_.append(chunk, int(n));
        return true;
    }
    if (n == 0 || (p.revents & (POLLHUP | POLLERR)))
        hungUp_ = true;
    return false;
}

QByteArray SimProgramSide::readAnswer(int timeoutMs)
{
    const qint64 deadline = MachineNowNs() + MsToNs(timeoutMs);
    for (;;) {
        const qsizetype start = received_.indexOf(char(AnswerStartSymbol));
        if (start >= 0 && received_.size() > start + FrameOffset::Length) {
            const int length = quint8(received_[start + FrameOffset::Length]);
            if (received_.size() >= start + length) {
                const QByteArray out = received_.left(start + length);
                received_.remove(0, start + length);
                return out;
            }
        }
        const qint64 left = (deadline - MachineNowNs()) / 1000000;
        if (left <= 0 || (!readSome(int(left)) && hungUp_))
            break;
    }
    const QByteArray out = received_;
    received_.clear();
    return out;
}

QByteArray SimProgramSide::readUntil(const QByteArray &pattern, int timeoutMs)
{
    const qint64 deadline = MachineNowNs() + MsToNs(timeoutMs);
    for (;;) {
        const qsizetype at = received_.indexOf(pattern);
        if (at >= 0) {
            const QByteArray out = received_.left(at + pattern.size());
            received_.remove(0, out.size());
            return out;
        }
        const qint64 left = (deadline - MachineNowNs()) / 1000000;
        if (left <= 0 || (!readSome(int(left)) && hungUp_))
            break;
    }
    const QByteArray out = received_;
    received_.clear();
    return out;
}

QByteArray SimProgramSide::readFor(int ms)
{
    const qint64 deadline = MachineNowNs() + MsToNs(ms);
    for (qint64 left = ms; left > 0 && !hungUp_; left = (deadline - MachineNowNs()) / 1000000)
        readSome(int(left));
    const QByteArray out = received_;
    received_.clear();
    return out;
}

QByteArray SimProgramSide::TableFrame(const QByteArray &requestData, quint8 address)
{
    FrameBuffer tx;
    RequestParts parts;
    parts.address = address;
    parts.function = TableFunctionCode;
    parts.data = reinterpret_cast<const quint8 *>(requestData.constData());
    parts.dataLength = int(requestData.size());
    const int length = BuildRequestFrame(parts, tx);
    return QByteArray(reinterpret_cast<const char *>(tx.data()), length);
}

} // namespace ktv31::test
