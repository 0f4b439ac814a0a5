// Runs a test body on the virtual clock or on the machine's, whatever clock was installed before.
#pragma once

#include "shell/clock.h"
#include "shell/virtualclock.h"

namespace ktv31::test {

struct ClockChoice
{
    explicit ClockChoice(bool isVirtual)
        : scope(isVirtual ? static_cast<Clock &>(clock) : MachineClock())
    {
    }
    VirtualClock clock;
    ClockScope scope;
};

} // namespace ktv31::test
