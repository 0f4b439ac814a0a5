// Reading and setting any line speed in bit/s, through termios2 where the system has it.
#include <QtGlobal>

#if defined(Q_OS_LINUX)
// termios2 carries the speed in bit/s, custom ones included; it cannot share a unit with
// <termios.h>, so this file holds only these two functions.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace ktv31::sim {

int LineSpeedOf(int fd)
{
    struct termios2 tio;
    if (fd < 0 || ioctl(fd, TCGETS2, &tio) != 0)
        return 0;
    return int(tio.c_ospeed);
}

bool SetLineSpeedOf(int fd, int speed)
{
    struct termios2 tio;
    if (fd < 0 || speed <= 0 || ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ispeed = tio.c_ospeed = speed_t(speed);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace ktv31::sim

#elif defined(Q_OS_UNIX)
#include <termios.h>

namespace ktv31::sim {
namespace {
struct Baud
{
    speed_t code;
    int speed;
};
constexpr Baud kBauds[] = {{B300, 300},     {B600, 600},       {B1200, 1200},    {B2400, 2400},
                           {B4800, 4800},   {B9600, 9600},     {B19200, 19200},  {B38400, 38400},
                           {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
} // namespace

// Without termios2 only the standard speeds can be told apart.
int LineSpeedOf(int fd)
{
    struct termios tio;
    if (fd < 0 || tcgetattr(fd, &tio) != 0)
        return 0;
    const speed_t code = cfgetospeed(&tio);
    for (const Baud &baud : kBauds)
        if (baud.code == code)
            return baud.speed;
    return int(code);
}

bool SetLineSpeedOf(int fd, int speed)
{
    struct termios tio;
    if (fd < 0 || tcgetattr(fd, &tio) != 0)
        return false;
    for (const Baud &baud : kBauds)
        if (baud.speed == speed)
            return cfsetspeed(&tio, baud.code) == 0 && tcsetattr(fd, TCSANOW, &tio) == 0;
    return false;
}

} // namespace ktv31::sim
#endif
