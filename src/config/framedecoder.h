// One frame of the controller protocol decoded: what it asks or answers, in the engineer's words.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ktv31 {

enum class FrameSide
{
    Unknown, // taken from the start symbol
    Request,
    Answer
};

enum class TableAccess : quint8
{
    None,
    Read,
    Write
};

enum class CrcVerdict : quint8
{
    Unchecked, // the frame is cut or its length byte is impossible
    Right,
    Wrong
};

// What a frame says, for machine-readable output; -1 where its bytes do not say it.
struct FrameFacts
{
    FrameSide side = FrameSide::Unknown;
    bool refusal = false;
    qint16 preambles = 0; // 0xFF bytes ahead of the start symbol
    qint16 skipped = 0;   // other bytes ahead of it
    qint16 address = -1;
    qint16 length = -1;   // the frame's length byte
    qint16 function = -1; // of a request, or of the request an answer or refusal is for
    TableAccess access = TableAccess::None;
    qint16 table = -1;
    qint16 first = -1;
    qint16 count = -1;
    qint16 error = -1; // a refusal's error code, reason and further value
    qint16 reason = -1;
    qint16 errorValue = -1;
    qint16 extraBytes = 0; // beyond the length the frame announces
    CrcVerdict crc = CrcVerdict::Unchecked;
};

struct FrameDecoding
{
    FrameFacts facts;
    QString summary; // one line, the fault texts at its end
    QStringList faults; // "CRC неверна", "кадр неполный", ...; a refusal is none of them
    bool fault() const { return facts.refusal || !faults.isEmpty(); }
};

// Decodes as far as the bytes go; never reads beyond them. `request` is the request the frame
// answers, when it is known: it tells a refusal for certain and whether the answer holds the
// block that was asked for.
FrameDecoding DecodeFrame(const QByteArray &bytes, FrameSide side,
                          const FrameFacts *request = nullptr);

// The fault texts a decoding may carry.
namespace FrameFaultText {
QString BadCrc();        // "CRC неверна"
QString Cut();           // "кадр неполный"
QString NoStartSymbol(); // "нет стартового символа"
QString WrongBlock();    // the program's own text for a read answered with another block
} // namespace FrameFaultText

} // namespace ktv31
