// What sits at the far end of a simulated serial line: a controller, or a modem in front of one.
#pragma once

#include <QByteArray>
#include <QObject>

namespace ktv31::sim {

// A peer sees the bytes the program sent, with the moment they reached it, and answers by
// emitting transmit(); the line delivers those bytes (at the wire rate when pacing is on).
// lineSpeed is the speed the program has set on its side of the line at that moment.
class LinePeer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~LinePeer() override = default;

    virtual void receive(const QByteArray &bytes, qint64 arrivalNs, int lineSpeed) = 0;

signals:
    void transmit(const QByteArray &bytes);
    // The peer wants the line dropped from its side (a far side that closes mid-answer).
    void closeLine();
};

} // namespace ktv31::sim
