// Opening COM ports as SerialPort objects over QSerialPort, and the naming of ports on each
// platform.
#pragma once

#include "link/serialport.h"

#include <QLoggingCategory>
#include <QSerialPort>
#include <QString>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcLink)

namespace ktv31 {

constexpr int kMinPortSpeed = 110;
constexpr int kMaxPortSpeed = 256000;

// A COM port driven through QSerialPort. When the line goes away (hang-up, read or resource
// error) the device is closed at once, before the error can repeat, and deviceLost() follows
// through the event loop. Incoming bytes are gathered while the event loop runs; readyRead()
// is never emitted from inside a call on this object.
class QtSerialLink final : public SerialPort
{
    Q_OBJECT
public:
    // Takes an open, configured device; `heldPath` is its canonical path, claimed by the caller
    // and released here when the device closes.
    QtSerialLink(std::unique_ptr<QSerialPort> device, QString heldPath, int speed,
                 QObject *parent = nullptr);
    ~QtSerialLink() override;

    bool write(const QByteArray &bytes) override;
    QByteArray read(int maxBytes) override;
    qint64 bytesAvailable() const override;

    bool setSpeed(int bitsPerSecond) override;
    int speed() const override { return speed_; }
    bool purge() override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    bool clearErrors() override;

    bool isLost() const override { return lost_; }
    void close() override;
    void interruptWrite() override;

    QString devicePath() const { return heldPath_; }
    // The underlying device while it is open, for inspection of its settings; null afterwards.
    const QSerialPort *device() const;

private:
    class CallScope;

    bool isOpen() const { return device_ && device_->isOpen(); }
    void onDeviceError(QSerialPort::SerialPortError error);
    void onDeviceReadyRead();
    void markLost(QSerialPort::SerialPortError error);
    void closeDevice();
    bool waitUntilWritten(qint64 timeoutMs);

    std::unique_ptr<QSerialPort> device_;
    bool writeInterrupted_ = false;
    QString heldPath_;
    bool claimHeld_ = true;
    int speed_;
    bool lost_ = false;
    int callDepth_ = 0;
    int transientErrors_ = 0;
    bool readyReadQueued_ = false;
};

int ClampPortSpeed(int bitsPerSecond);

struct LineFormat
{
    QSerialPort::DataBits dataBits;
    QSerialPort::Parity parity;
    QSerialPort::StopBits stopBits;
};
// Data bits are clamped; parity 0/1/2/other = none/even/odd/none; stop bits 0/1/2/other =
// 1/1.5/2/1.
LineFormat LineFormatFor(int dataBits, int paritySelector, int stopBitsSelector);

// "COM<n>".
QString ComPortName(int portNumber);
// The name the person knows a port by: the device the program was given, or else COM<n>.
QString PortName(int portNumber, const QString &devicePath);
// The link text of the main window's status bar: " COM1,   1200 бит/с"; `portName` as ComPortName
// gives it, or a device path.
QString LinkText(const QString &portName, int speed);

// The device that COM port `portNumber` stands for. `programDir` is the program folder
// (ProgramDir(), or a test's own), ending with '/'.
// Unix: the target of the link <programDir>INI/COM<n> when it exists, else /dev/ttyS<n-1>.
// Windows: \\.\COM<n>.
QString ComPortDevice(int portNumber, const QString &programDir);
// What COM port `portNumber` stands for on this machine, for a tooltip: the device and whether
// it is there.
QString ComPortDescription(int portNumber, const QString &programDir);
// One spelling per device, so that two names of the same device are recognised as one.
QString CanonicalDevicePath(const QString &devicePath);
// True when the open device has been hung up or has failed.
bool DeviceHungUp(const QSerialPort &device);

// The line format of an open; the defaults are the program's own link to the controller: 8 data
// bits, no parity, one stop bit, queues of 1000 bytes, DTR control on, RTS driven by the engine.
struct PortOpenSettings
{
    int speed = 1200;
    int dataBits = 8;
    int parity = 0;   // selector: 0/1/2/other = none/even/odd/none
    int stopBits = 0; // selector: 0/1/2/other = 1/1.5/2/1
    int inputQueue = 1000;
    int outputQueue = 1000;
    bool dtr = true;
    bool rts = false;
};

// Why a port did not open.
enum class PortOpenError
{
    None,
    NoSuchDevice,   // nothing at that name, or a COM number outside the naming
    Busy,           // held by another program, or already by this one
    NoPermission,   // the user may not open it; `group` names the group that may
    NotConfigurable // opened, but it is no serial line or refused the line format
};

struct PortOpenResult
{
    PortPtr port; // null when the open failed
    PortOpenError error = PortOpenError::None;
    QString device; // the device that was tried
    QString group;  // NoPermission: the group owning the device, when known
};

// Opens COM port `portNumber` (named by ComPortDevice) or a device path exclusively.
PortOpenResult OpenPort(int portNumber, const PortOpenSettings &settings,
                        const QString &programDir);
PortOpenResult OpenDevice(const QString &devicePath, const PortOpenSettings &settings);
// A line for the operator saying why the port did not open; empty for PortOpenError::None.
QString PortOpenErrorText(const PortOpenResult &result);
// The platform's reading of a failed open of an existing `devicePath`.
PortOpenError ClassifyOpenFailure(const QString &devicePath, QSerialPort::SerialPortError error,
                                  QString *group);

// Both false for a null port.
bool SetPortSpeed(SerialPort *port, int speed);
bool ClearPortErrors(SerialPort *port);

} // namespace ktv31
