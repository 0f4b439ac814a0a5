// A simulated Hayes modem with short guard times, and the program's modem timing that fits it.
#include "support/simmodem.h"

namespace ktv31::test {

sim::SimOptions SimModemOptions(QList<sim::DialOutcome> script)
{
    sim::SimOptions options;
    options.modem.enabled = true;
    options.modem.guardTimeMs = kSimGuardMs;
    options.modem.dialDelayMs = 30;
    options.modem.dialScript = std::move(script);
    return options;
}

ModemTiming SimModemTiming()
{
    ModemTiming t;
    t.resetAnswerMs = 500;
    t.escapeGuardMs = 3 * kSimGuardMs;
    t.beforeInitMs = 50;
    t.afterAcceptMs = 20;
    t.hangUpPauseMs = 3 * kSimGuardMs;
    t.abortSettleMs = 50;
    t.msPerWaitSecond = 400;
    return t;
}

} // namespace ktv31::test
