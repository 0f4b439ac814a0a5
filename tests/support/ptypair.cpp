// PtyPair: openpty-based pseudo-terminal pairs with helpers for the far side of the line.
#include "support/ptypair.h"

#include "link/comportfunctions.h"

#include "link/exactspeed.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace ktv31::test {
namespace {

bool WaitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return (entry.revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

PtyPair::PtyPair()
{
    termios raw{};
    ::cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(slave_, F_SETFL, ::fcntl(slave_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    for (const QString &link : std::as_const(links_)) {
        if (QFileInfo(link).symLinkTarget() == slavePath_)
            QFile::remove(link);
    }
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
}

int PtyPair::masterLineSpeed() const
{
    return master_ >= 0 ? ReadExactLineSpeed(master_) : -1;
}

unsigned PtyPair::masterLineFlags() const
{
    termios settings{};
    if (master_ < 0 || ::tcgetattr(master_, &settings) != 0)
        return 0;
    return unsigned(settings.c_cflag);
}

bool PtyPair::writeMaster(const QByteArray &bytes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype sent = 0;
    while (master_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        else if (n < 0 && errno == EAGAIN && !WaitFor(master_, POLLOUT, deadline))
            return false;
    }
    return sent == bytes.size();
}

QByteArray PtyPair::readMaster(int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray received;
    while (master_ >= 0 && received.size() < count && WaitFor(master_, POLLIN, deadline)) {
        char chunk[4096];
        const ssize_t n =
            ::read(master_, chunk, std::min<size_t>(sizeof chunk, count - received.size()));
        if (n > 0)
            received.append(chunk, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return received;
}

bool PtyPair::waitSlaveReadable(int timeoutMs)
{
    return slave_ >= 0 && WaitFor(slave_, POLLIN, QDeadlineTimer(timeoutMs));
}

qint64 PtyPair::fillTowardsMaster()
{
    // Writable again as soon as the kernel has moved bytes on, so until it stays full.
    const QByteArray filler(4096, 'f');
    qint64 filled = 0;
    pollfd slave{slave_, POLLOUT, 0};
    while (slave_ >= 0 && ::poll(&slave, 1, 50) > 0) {
        for (qsizetype chunk = filler.size(); chunk > 0; chunk /= 2) {
            ssize_t n;
            while ((n = ::write(slave_, filler.constData(), size_t(chunk))) > 0)
                filled += n;
        }
    }
    return filled;
}

void PtyPair::closeMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

bool PtyPair::linkAs(const QString &path)
{
    if (slavePath_.isEmpty())
        return false;
    QFile::remove(path);
    if (!QFile::link(slavePath_, path))
        return false;
    links_.append(path);
    return true;
}

PortPtr OpenLine(const QString &path, int speed)
{
    PortOpenSettings line;
    line.speed = speed;
    PortOpenResult opened = OpenDevice(path, line);
    return std::move(opened.port);
}

} // namespace ktv31::test
