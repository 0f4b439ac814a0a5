// The connection dialog's form as one check: what "Связаться" runs before the port opens.
#pragma once

#include "connection/linkparameters.h"

#include <functional>
#include <optional>

namespace ktv31 {

class ConnectionSettings;

// For a telephone link its own fields first, then the selections, then every value stored into
// `working`; the first fault ends it, and what passed before it stays stored. `selectionsPassed`
// runs between the selections and the values (the dialog clears its link panel there).
std::optional<LinkFault> CheckAndStoreLinkForm(const LinkForm &form, ConnectionSettings &working,
                                               const std::function<void()> &selectionsPassed = {});

} // namespace ktv31
