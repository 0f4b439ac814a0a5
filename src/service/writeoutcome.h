// The checks before a write and the telling of how a write went, shared by both kinds of write.
#pragma once

#include "config/configimage.h"
#include "service/outcome.h"

#include <QList>

#include <functional>
#include <optional>

namespace ktv31 {

class ServiceSession;
struct TransferContext;

// Nothing goes to the controller while `record` holds, in any of `tables`, a value the
// controller must not be given, nor a speed of its upper-level link it does not offer (by the
// image's table 1): the link would be lost. The person is told which value; nothing when all
// is well.
// `writtenLink`, when set, says which calculators' links are written.
std::optional<Outcome> RefuseToWrite(ServiceSession &session, const ConfigRecord &record,
                                     const QList<int> &tables,
                                     const std::function<bool(int address)> &writtenLink = {});

// How the write of `planned` through `context` went: confirmed by a note, or told with what
// each table came to (written and checked, not written, not known ...) when it did not end as
// asked. An interruption is told to nobody; the outcome's detail and tables say what was
// written in every case.
Outcome WriteOutcome(ServiceSession &session, const TransferContext &context,
                     const QList<int> &planned, bool written);

} // namespace ktv31
