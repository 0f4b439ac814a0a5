// The exchange as rows for the engineer: frames, modem lines, results and notes, decoded.
#pragma once

#include "config/framedecoder.h"
#include "shell/exchangeline.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace ktv31 {

enum class RowKind
{
    Request,
    Answer,
    ModemCommand,
    ModemAnswer,
    Result,
    Note
};

struct DecodedRow
{
    qint64 timeMs = -1;      // milliseconds since the epoch; -1 for bytes given without a time
    qint64 sinceLastMs = -1; // since the previous row; -1 for the first row or without a time
    RowKind kind = RowKind::Note;
    QString summary;    // one line, in Russian, with the fault texts at its end
    bool fault = false; // a refusal, a CRC or length fault, a cut frame, a failed result
    QByteArray bytes;   // the frame or the modem line as it was on the line
    FrameFacts frame;   // of a request or an answer
    QStringList faults; // the fault texts of the summary

    QString hex() const; // the bytes as "CC 00 0C ..."
};

// Decodes the lines of one exchange in order: each row knows the time since the row before,
// and an answer is decoded against the request it follows.
class ExchangeDecoder
{
public:
    DecodedRow decode(const ExchangeLine &line);
    void reset() { *this = ExchangeDecoder(); }

private:
    qint64 lastMs_ = -1;
    FrameFacts lastRequest_;
    bool haveRequest_ = false;
};

// One frame given without its line: request or answer by its start symbol, no time.
DecodedRow DecodeFrameBytes(const QByteArray &bytes);

// "TX", "RX", "MODEM>", "MODEM<", "RESULT", "NOTE": the labels of the exchange log.
QString RowKindLabel(RowKind kind);
// The line decode-log prints: time, time since the row before, label, a "!" for a fault, the
// summary and the bytes of a frame.
QString RowText(const DecodedRow &row);
QJsonObject RowJson(const DecodedRow &row);

} // namespace ktv31
