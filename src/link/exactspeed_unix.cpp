// Reading the exact line speed through termios2 (Linux); kept apart since <asm/termbits.h>
// clashes with <termios.h>.
#include "link/exactspeed.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#else
#include <termios.h>
#endif

namespace ktv31 {

int ReadExactLineSpeed(qintptr fd)
{
#if defined(__linux__)
    struct termios2 settings
    {
    };
    if (::ioctl(int(fd), TCGETS2, &settings) != 0)
        return -1;
    return int(settings.c_ospeed);
#else
    // Elsewhere speed_t holds the rate in bit/s itself.
    struct termios settings
    {
    };
    if (::tcgetattr(int(fd), &settings) != 0)
        return -1;
    return int(::cfgetospeed(&settings));
#endif
}

} // namespace ktv31
