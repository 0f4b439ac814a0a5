// A simulated Hayes modem with short guard times, and the program's modem timing that fits it.
#pragma once

#include "link/connectmodem.h"
#include "sim/simoptions.h"

namespace ktv31::test {

constexpr int kSimGuardMs = 50;

// A modem in front of the controller that answers each dial in turn as `script` says.
sim::SimOptions SimModemOptions(QList<sim::DialOutcome> script = {sim::DialOutcome::Connect});
// The dialogue's waits shortened, each still long enough for that modem's guard time.
ModemTiming SimModemTiming();

} // namespace ktv31::test
