// Resynchronising frame assembly for the simulated controller's receive side.
#include "sim/requestassembler.h"

#include "protocol/framing.h"

namespace ktv31::sim {

QList<ReceivedFrame> RequestAssembler::feed(const QByteArray &bytes, qint64 arrivalNs)
{
    if (!held_.isEmpty() && arrivalNs - lastNs_ > staleNs_)
        held_.clear();
    lastNs_ = arrivalNs;
    held_.append(bytes);

    QList<ReceivedFrame> frames;
    for (;;) {
        const qsizetype start = held_.indexOf(char(RequestStartSymbol));
        if (start < 0) {
            held_.clear();
            break;
        }
        held_.remove(0, start);
        if (held_.size() <= FrameOffset::Length)
            break;
        const int length = quint8(held_[FrameOffset::Length]);
        if (length < MinFrameLength) {
            held_.remove(0, 1);
            continue;
        }
        if (held_.size() < length)
            break;
        ReceivedFrame frame;
        frame.bytes = held_.left(length);
        frame.crcOk = Crc16(frame.bytes) == 0;
        held_.remove(0, length);
        frames.append(frame);
    }
    return frames;
}

} // namespace ktv31::sim
