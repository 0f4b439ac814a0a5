// Low latency on Windows is a setting of the adapter's driver, not of the program: nothing to ask.
#include "link/lowlatency.h"

namespace ktv31 {

LowLatencyMechanism RequestLowLatency(QSerialPort &)
{
    return LowLatencyMechanism::None;
}

} // namespace ktv31
