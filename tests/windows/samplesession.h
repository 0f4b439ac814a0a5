// A short exchange as the monitor receives it, for the window tests and the screenshots.
#pragma once

#include "shell/exchangeline.h"

#include <vector>

namespace ktv31::test {

// Identification read and answered; table 3 answered with a wrong CRC; a write to table 1
// refused with error 12; table 6 asked for and never answered. Eleven lines from `startMs`, the
// rows that are faults: the bad answer and its result (4, 5), the refusal and its result (7, 8),
// the silence's result (10).
std::vector<ExchangeLine> SampleSession(qint64 startMs);
constexpr int SampleSessionFaults[] = {4, 5, 7, 8, 10};

} // namespace ktv31::test
