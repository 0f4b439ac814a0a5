// Cuts the byte stream the program sends into request frames, as a controller on a bus would.
#pragma once

#include <QByteArray>
#include <QList>

namespace ktv31::sim {

struct ReceivedFrame
{
    QByteArray bytes; // start symbol to the last CRC byte
    bool crcOk = false;
};

class RequestAssembler
{
public:
    // A partial frame older than this is dropped when new bytes come: the sender gave up on it.
    explicit RequestAssembler(qint64 staleNs = 100'000'000) : staleNs_(staleNs) {}

    // Takes bytes that arrived at `arrivalNs`; returns the frames they completed. Preambles and
    // noise before a start symbol are skipped; a frame whose length byte is below 6 restarts
    // the search after its start symbol; a frame with a bad CRC is dropped whole.
    QList<ReceivedFrame> feed(const QByteArray &bytes, qint64 arrivalNs);
    void reset() { held_.clear(); }
    bool holdsPartialFrame() const { return !held_.isEmpty(); }

private:
    QByteArray held_;
    qint64 lastNs_ = 0;
    qint64 staleNs_;
};

} // namespace ktv31::sim
