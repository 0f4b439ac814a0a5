// The resident memory of this process, for telling a leak from a steady state.
#pragma once

#include <QtGlobal>

namespace ktv31::soak {

// Kilobytes of this process held in RAM; -1 where the platform does not say.
qint64 ResidentKb();

} // namespace ktv31::soak
