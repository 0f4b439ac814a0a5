// Answer frames of the simulated controller, sealed with the protocol's CRC.
#include "sim/answerframe.h"

#include "protocol/framing.h"

namespace ktv31::sim {

QByteArray AnswerFrame(quint8 address, quint8 functionByte, const QByteArray &data)
{
    const QByteArray body = data.left(MaxFrameLength - MinFrameLength);
    QByteArray frame;
    frame.append(char(AnswerStartSymbol));
    frame.append(char(address));
    frame.append(char(body.size() + MinFrameLength));
    frame.append(char(functionByte));
    frame.append(body);
    frame.append(2, '\0');
    Reseal(frame);
    return frame;
}

QByteArray RefusalFrame(quint8 address, quint8 requestFunction, quint8 errorCode, quint8 reason,
                        quint8 value)
{
    // Any function byte other than request + 0x80 marks a refusal; this one echoes the request.
    QByteArray data;
    data.append(char(errorCode));
    data.append(char(reason));
    data.append(char(value));
    return AnswerFrame(address, requestFunction, data);
}

void Reseal(QByteArray &frame)
{
    if (frame.size() < MinFrameLength)
        return;
    const quint16 crc =
        Crc16(reinterpret_cast<const quint8 *>(frame.constData()), int(frame.size()) - 2);
    frame[frame.size() - 2] = char(crc & 0xFF);
    frame[frame.size() - 1] = char(crc >> 8);
}

} // namespace ktv31::sim
