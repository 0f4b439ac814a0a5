// The faults the soak puts into answers and the result each must leave in the engine.
#pragma once

#include "protocol/controllercodes.h"
#include "sim/faultplan.h"

#include <QRandomGenerator>

#include <optional>

namespace ktv31::soak {

// About one exchange in this many meets a fault.
constexpr int FaultOneIn = 20;

struct PlannedFault
{
    sim::FaultRule rule;    // a "once" rule, set once for every attempt it is to strike
    int struckAttempts = 1; // the first attempts of the exchange that meet it
};

// A fault for about one exchange in FaultOneIn, striking some or all of its `attempts`.
std::optional<PlannedFault> ChooseFault(QRandomGenerator &random, int attempts);

// The result code an exchange of `attempts` attempts must end with when `fault` strikes it.
Result ExpectedResult(const std::optional<PlannedFault> &fault, int attempts);

// A read whose answer carries another table, first field or count: the exchange succeeds and
// the transfer must notice.
bool AnswersWrongBlock(const std::optional<PlannedFault> &fault, bool read);

// "stall=3@once on 2 attempt(s)"; the kind alone: "stall".
QString FaultText(const PlannedFault &fault);
QString FaultKindName(const sim::FaultRule &rule);

} // namespace ktv31::soak
