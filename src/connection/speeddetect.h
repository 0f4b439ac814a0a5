// Finding the controller's exchange speed by probing every speed with an identification read.
#pragma once

#include "shell/operatorseam.h"

#include <QString>

namespace ktv31 {

struct ExchangeSession;

// The probe timing; the caller's link settings are reloaded when the operator connects.
constexpr int ProbeNextByteWaitMs = 100;
constexpr int ProbeFirstByteWaitMs = 300;

// Probes 600 ... 230400 bit/s in ascending order (300 is not probed), one attempt each, and
// returns the first speed that gave a valid answer, or 0. Each speed is shown on `panel` before
// its probe; the panel is cleared when none answered, and keeps the speed that did. The session
// keeps the probe timing and the last probed speed afterwards.
int DetectSpeed(ExchangeSession &session, const StatusPanel &panel);

QString SpeedFoundLine1();
QString SpeedFoundLine2(int speed);
QString NoLinkText();

} // namespace ktv31
