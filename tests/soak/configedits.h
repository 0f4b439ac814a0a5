// Random edits of the configuration, as an engineer makes them before a changed-only write.
#pragma once

#include "config/configimage.h"

#include <QRandomGenerator>

namespace ktv31::soak {

// The most requests an edit below costs the changed-only write: the link parameters, the modem
// string and two runs of calculator links.
constexpr int MostWriteExchanges = 4;

// `image` with at least one of: a link parameter other than the speed, the modem string, one or
// two short runs of calculator links, every changed link a valid one that differs from before.
// The speed stays: a write of another one moves the controller to it even when its answer is
// lost, and the line would be gone for every later exchange.
ConfigImage EditForWrite(const ConfigImage &image, QRandomGenerator &random);

} // namespace ktv31::soak
