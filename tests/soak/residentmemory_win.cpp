// Resident memory is not measured on Windows: the soak's line is a pseudo-terminal of unix.
#include "residentmemory.h"

namespace ktv31::soak {

qint64 ResidentKb()
{
    return -1;
}

} // namespace ktv31::soak
