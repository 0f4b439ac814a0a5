// The table requests a simulated controller received, read back from its frame log.
#pragma once

#include <QList>

namespace ktv31::sim {
class Simulator;
}

namespace ktv31::test {

struct SeenRequest
{
    bool write = false;
    int table = 0;
    int first = 0;
    int count = 0;
    bool operator==(const SeenRequest &o) const
    {
        return write == o.write && table == o.table && first == o.first && count == o.count;
    }
};

// Every table request so far, after the simulator has taken in all that was sent.
QList<SeenRequest> RequestsSeen(sim::Simulator &simulator);
QList<SeenRequest> WritesSeen(sim::Simulator &simulator);

} // namespace ktv31::test
