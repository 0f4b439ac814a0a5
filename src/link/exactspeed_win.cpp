// Exact line speed of a terminal: not available on Windows.
#include "link/exactspeed.h"

namespace ktv31 {

int ReadExactLineSpeed(qintptr /*fd*/)
{
    return -1;
}

} // namespace ktv31
