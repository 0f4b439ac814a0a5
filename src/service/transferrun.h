// How a transfer of an operation runs and how it ends when it gave up.
#pragma once

#include "service/outcome.h"

#include <functional>

namespace ktv31 {

class ServiceSession;
struct TransferContext;

// How an operation whose transfer gave up ends: cut short by the program, or given up by the
// person after the transfer's own questions.
Outcome TransferGivenUp(ServiceSession &session);

// One transfer of the session under the hourglass, the status texts then left to clear: Done,
// or how it gave up.
Outcome RunTransfer(ServiceSession &session,
                    const std::function<bool(TransferContext &context)> &transfer);

} // namespace ktv31
