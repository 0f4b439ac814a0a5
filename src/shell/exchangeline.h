// One line of the exchange: a frame, a modem line, a result or a note, with the time it happened.
#pragma once

#include <QByteArray>
#include <QString>

namespace ktv31 {

enum class LogLineKind
{
    Sent,
    Received,
    ModemCommand,
    ModemAnswer,
    Result,
    Note
};

struct ExchangeLine
{
    qint64 msSinceEpoch = 0;
    LogLineKind kind = LogLineKind::Note;
    QByteArray bytes; // frames and modem lines, as they were on the line
    QString text;     // results and notes

    bool operator==(const ExchangeLine &other) const
    {
        return msSinceEpoch == other.msSinceEpoch && kind == other.kind && bytes == other.bytes &&
               text == other.text;
    }
};

// Hands a line to the exchange log and to every installed sink (exchangefeed.h), stamped with
// the present time. Costs nothing when neither is there. Safe from any thread.
void PublishExchangeLine(LogLineKind kind, const QByteArray &bytes);
void PublishExchangeLine(LogLineKind kind, const QString &text);
// Whether anyone takes lines: callers skip composing a text nobody would see.
bool ExchangeLinesWanted();

} // namespace ktv31
