// The port seam: what the exchange engine and the modem dialogue need of a serial line.
#pragma once

#include <QByteArray>
#include <QObject>

namespace ktv31 {

// One open serial line. The real implementation drives a COM port; tests may script one.
// A port that has been lost (unplugged adapter, far side of a pseudo-terminal gone) stays a valid
// object: it reports isLost(), every later write fails and nothing more is read.
class SerialPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Writes all bytes, waiting at most 50 ms per byte plus 50 ms; false when they could not be sent.
    virtual bool write(const QByteArray &bytes) = 0;
    // Takes at most `maxBytes` of what has arrived, without waiting.
    virtual QByteArray read(int maxBytes) = 0;
    virtual qint64 bytesAvailable() const = 0;

    virtual bool setSpeed(int bitsPerSecond) = 0;
    virtual int speed() const = 0;
    // Drops pending output and input, in the driver and in any buffer of this object.
    virtual bool purge() = 0;
    virtual bool setDtr(bool on) = 0;
    virtual bool setRts(bool on) = 0;
    virtual bool clearErrors() = 0;

    virtual bool isLost() const = 0;
    virtual void close() = 0;

signals:
    void readyRead();
    // Emitted once, when the line goes away under the open port.
    void deviceLost();
};

} // namespace ktv31
