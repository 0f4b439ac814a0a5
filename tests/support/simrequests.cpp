// Decoding the simulator's request log into read and write requests.
#include "support/simrequests.h"

#include "protocol/framing.h"
#include "sim/simulator.h"

namespace ktv31::test {

QList<SeenRequest> RequestsSeen(sim::Simulator &simulator)
{
    simulator.settle();
    QList<SeenRequest> out;
    for (const sim::FrameLogEntry &entry : simulator.frameLog()) {
        if (entry.kind != sim::LogKind::Request)
            continue;
        const auto at = [&](int i) { return int(quint8(entry.bytes[FrameOffset::Data + i])); };
        // A read carries its count in byte 2; a write has zeros there and its own header after.
        out.append(at(2) ? SeenRequest{false, at(0), at(1), at(2)}
                         : SeenRequest{true, at(3), at(4), at(5)});
    }
    return out;
}

QList<SeenRequest> WritesSeen(sim::Simulator &simulator)
{
    QList<SeenRequest> out;
    for (const SeenRequest &request : RequestsSeen(simulator))
        if (request.write)
            out.append(request);
    return out;
}

} // namespace ktv31::test
