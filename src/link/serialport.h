// The port seam: what the exchange engine and the modem dialogue need of a serial line.
#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

namespace ktv31 {

// One open serial line. The real implementation drives a COM port; tests may script one.
// A port that has been lost (unplugged adapter, far side of a pseudo-terminal gone) stays a valid
// object: it reports isLost(), every later write fails and nothing more is read.
//
// Lifetime: the engine and the dialler wait in nested event loops, where any handler (a window
// closing, a hang-up button, a deviceLost receiver) may let go of the port. So an owner never
// deletes a port; it drops it (PortPtr does that), which closes the line at once and deletes the
// object only when the last operation using it has let go. Operations hold a SerialPort::Use for
// as long as they touch the port and check isGone() after every wait.
class SerialPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override;

    // Writes all bytes, waiting at most 50 ms per byte plus 50 ms for them to drain; false when
    // they could not be sent in time, the line was lost or the write was interrupted.
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
    // Ends a write that is waiting for its bytes to drain (an abort); that write fails.
    virtual void interruptWrite() {}

    // Closes the line and deletes this object now, or when the last Use ends.
    void drop();
    bool isDropped() const { return dropped_; }
    // Lost or dropped: nothing more can be done with the line.
    bool isGone() const { return dropped_ || isLost(); }

    // Keeps a port object alive for an operation; null ports are allowed.
    class Use
    {
    public:
        explicit Use(SerialPort *port);
        ~Use();
        Use(const Use &) = delete;
        Use &operator=(const Use &) = delete;

    private:
        SerialPort *port_;
    };

signals:
    void readyRead();
    // Emitted once, when the line goes away under the open port.
    void deviceLost();
    // Emitted when the port is dropped while an operation still uses it, so that its waits end.
    void dropped();

private:
    int uses_ = 0;
    bool dropped_ = false;
};

// Owners hold ports through this; resetting it drops the port.
struct PortDropper
{
    void operator()(SerialPort *port) const
    {
        if (port)
            port->drop();
    }
};
using PortPtr = std::unique_ptr<SerialPort, PortDropper>;

// True for a null port as well.
inline bool IsGone(const SerialPort *port)
{
    return !port || port->isGone();
}

} // namespace ktv31
