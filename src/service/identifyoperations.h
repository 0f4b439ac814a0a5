// Reading who the controller is, and whether the program serves it.
#pragma once

#include "service/outcome.h"

namespace ktv31 {

class ServiceSession;

// Reads the identification and judges the device, as every new link does. A device the program
// does not serve is told why (Rejected); an accepted one (Done) becomes the session's, and a
// table it reports destroyed is named on the progress panel and in the outcome.
Outcome IdentifyAndCheck(ServiceSession &session);
// The identification alone, into the image, under the hourglass.
Outcome ReadIdentificationBlock(ServiceSession &session);

} // namespace ktv31
