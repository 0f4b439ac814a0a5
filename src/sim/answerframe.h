// Building and resealing the answer frames the simulated controller sends.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace ktv31::sim {

// Start symbol 0x33, address, length, `functionByte`, `data` and the CRC. `data` is cut to what
// a 255-byte frame holds.
QByteArray AnswerFrame(quint8 address, quint8 functionByte, const QByteArray &data);
// The answer frame of a refusal of `requestFunction`: error code, reason (byte 5), value (byte 6).
QByteArray RefusalFrame(quint8 address, quint8 requestFunction, quint8 errorCode, quint8 reason,
                        quint8 value);
// Rewrites the CRC of a whole frame after its bytes were changed.
void Reseal(QByteArray &frame);

} // namespace ktv31::sim
