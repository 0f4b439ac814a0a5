// Pseudo-terminal and serial device handling of the simulator's line on POSIX systems.
#include "sim/simdevice.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace ktv31::sim {
namespace {

bool fail(QString *error, const QString &what)
{
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool makeRaw(int fd)
{
    struct termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

bool OpenPtyLine(LineHandle &line, QString *error)
{
    CloseLine(line);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        return fail(error, QStringLiteral("cannot open a pseudo-terminal"));
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        fail(error, QStringLiteral("cannot prepare the pseudo-terminal"));
        ::close(master);
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !makeRaw(slave)) {
        fail(error, QStringLiteral("cannot open %1").arg(QString::fromLocal8Bit(name)));
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return false;
    }
    line.fd = master;
    line.heldSlave = slave;
    line.path = QString::fromLocal8Bit(name);
    line.isPty = true;
    return true;
}

bool OpenSerialLine(const QString &path, int speed, LineHandle &line, QString *error)
{
    CloseLine(line);
    const int fd =
        ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(error, QStringLiteral("cannot open %1").arg(path));
    if (!makeRaw(fd) || !SetLineSpeedOf(fd, speed)) {
        fail(error, QStringLiteral("cannot set up %1 at %2 bit/s").arg(path).arg(speed));
        ::close(fd);
        return false;
    }
    line.fd = fd;
    line.path = path;
    line.isPty = false;
    return true;
}

void CloseLine(LineHandle &line)
{
    if (line.fd >= 0)
        ::close(line.fd);
    if (line.heldSlave >= 0)
        ::close(line.heldSlave);
    line = LineHandle{};
}

QByteArray ReadLineBytes(const LineHandle &line, bool &failed)
{
    failed = false;
    QByteArray bytes;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(line.fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        failed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        return bytes;
    }
}

qint64 WriteLineBytes(const LineHandle &line, const QByteArray &bytes)
{
    for (;;) {
        const ssize_t n = ::write(line.fd, bytes.constData(), size_t(bytes.size()));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

} // namespace ktv31::sim
