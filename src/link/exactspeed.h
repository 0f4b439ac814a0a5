// The exact line speed of a terminal, also for rates outside the classic table.
#pragma once

#include <QtGlobal>

namespace ktv31 {

// Output speed in bit/s of the terminal open as `fd` (on Linux a pseudo-terminal master reports
// the speed set on its slave); -1 when it cannot be read on this platform.
int ReadExactLineSpeed(qintptr fd);

} // namespace ktv31
