// QtSerialLink and the opening of COM ports: line format, exclusive use, loss of the device.
#include "link/comportfunctions.h"
#include "link/lowlatency.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QSet>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "ktv31.link", QtInfoMsg)

namespace ktv31 {
namespace {

constexpr qint64 kWriteMsPerByte = 50;
constexpr qint64 kWriteMsFixed = 50;
// Empty reads in a row that a line still up may give before it counts as lost anyway.
constexpr int kMaxTransientErrors = 100;

// Devices held open by this process. The operating system's own exclusion does not stop a
// second open by a privileged user, nor one through another name of the same device.
QMutex heldDevicesMutex;
QSet<QString> heldDevices;

bool ClaimDevice(const QString &canonicalPath)
{
    QMutexLocker lock(&heldDevicesMutex);
    if (heldDevices.contains(canonicalPath))
        return false;
    heldDevices.insert(canonicalPath);
    return true;
}

void ReleaseDevice(const QString &canonicalPath)
{
    QMutexLocker lock(&heldDevicesMutex);
    heldDevices.remove(canonicalPath);
}

// Hardware and software handshake stay off: RTS and DTR are driven by the program itself.
bool ApplyLineFormat(QSerialPort &device, int speed, const LineFormat &format)
{
    return device.setBaudRate(ClampPortSpeed(speed)) && device.setDataBits(format.dataBits)
           && device.setParity(format.parity) && device.setStopBits(format.stopBits)
           && device.setFlowControl(QSerialPort::NoFlowControl);
}

// A pseudo-terminal has no modem lines; failing to set one is not a fault of the line.
void SetModemLine(QSerialPort &device, bool dtrLine, bool on)
{
    const bool ok =
        dtrLine ? device.setDataTerminalReady(on) : device.setRequestToSend(on);
    if (!ok)
        device.clearError();
}

} // namespace

// Keeps the device open while a call on it runs; a loss noticed meanwhile closes it on the way out.
class QtSerialLink::CallScope
{
public:
    explicit CallScope(QtSerialLink &link) : link_(link) { ++link_.callDepth_; }
    ~CallScope()
    {
        if (--link_.callDepth_ == 0 && link_.lost_)
            link_.closeDevice();
    }
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;

private:
    QtSerialLink &link_;
};

QtSerialLink::QtSerialLink(std::unique_ptr<QSerialPort> device, QString heldPath, int speed,
                           QObject *parent)
    : SerialPort(parent), device_(std::move(device)), heldPath_(std::move(heldPath)),
      speed_(speed)
{
    connect(device_.get(), &QSerialPort::errorOccurred, this, &QtSerialLink::onDeviceError);
    connect(device_.get(), &QSerialPort::readyRead, this, &QtSerialLink::onDeviceReadyRead);
}

QtSerialLink::~QtSerialLink()
{
    closeDevice();
}

bool QtSerialLink::write(const QByteArray &bytes)
{
    if (!isOpen() || lost_)
        return false;
    if (bytes.isEmpty())
        return true;
    CallScope scope(*this);
    if (device_->write(bytes) == bytes.size()
        && waitUntilWritten(kWriteMsPerByte * bytes.size() + kWriteMsFixed))
        return true;
    if (isOpen() && !lost_) {
        // What could not be sent in time must not trail into the next exchange.
        device_->clear(QSerialPort::Output);
        device_->clearError();
    }
    return false;
}

bool QtSerialLink::waitUntilWritten(qint64 timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (device_->bytesToWrite() > 0) {
        if (lost_ || deadline.hasExpired()
            || !device_->waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1))))
            return false;
    }
    return !lost_;
}

QByteArray QtSerialLink::read(int maxBytes)
{
    if (!isOpen() || maxBytes <= 0)
        return {};
    return device_->read(maxBytes);
}

qint64 QtSerialLink::bytesAvailable() const
{
    return isOpen() ? device_->bytesAvailable() : 0;
}

bool QtSerialLink::setSpeed(int bitsPerSecond)
{
    if (!isOpen())
        return false;
    CallScope scope(*this);
    const int speed = ClampPortSpeed(bitsPerSecond);
    if (!device_->setBaudRate(speed)) {
        device_->clearError();
        return false;
    }
    speed_ = speed;
    return true;
}

bool QtSerialLink::purge()
{
    if (!isOpen())
        return false;
    CallScope scope(*this);
    return device_->clear(QSerialPort::AllDirections);
}

bool QtSerialLink::setDtr(bool on)
{
    if (!isOpen())
        return false;
    CallScope scope(*this);
    const bool ok = device_->setDataTerminalReady(on);
    if (!ok && !lost_)
        device_->clearError();
    return ok;
}

bool QtSerialLink::setRts(bool on)
{
    if (!isOpen())
        return false;
    CallScope scope(*this);
    const bool ok = device_->setRequestToSend(on);
    if (!ok && !lost_)
        device_->clearError();
    return ok;
}

bool QtSerialLink::clearErrors()
{
    if (!isOpen())
        return false;
    device_->clearError();
    return true;
}

void QtSerialLink::close()
{
    closeDevice();
}

const QSerialPort *QtSerialLink::device() const
{
    return isOpen() ? device_.get() : nullptr;
}

void QtSerialLink::onDeviceError(QSerialPort::SerialPortError error)
{
    if (lost_ || (error != QSerialPort::ReadError && error != QSerialPort::ResourceError))
        return;
    // A read that finds nothing looks the same whether the line was hung up or a purge took
    // the bytes between the wake-up and the read; only the line itself can tell them apart.
    if (DeviceHungUp(*device_) || ++transientErrors_ > kMaxTransientErrors) {
        markLost(error);
        return;
    }
    device_->clearError();
    if (error == QSerialPort::ResourceError) {
        char probe;
        device_->peek(&probe, 1); // QSerialPort stopped reading on this error; resume
    }
}

void QtSerialLink::onDeviceReadyRead()
{
    transientErrors_ = 0;
    if (callDepth_ == 0) {
        emit readyRead();
        return;
    }
    if (readyReadQueued_)
        return;
    readyReadQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            readyReadQueued_ = false;
            if (isOpen())
                emit readyRead();
        },
        Qt::QueuedConnection);
}

void QtSerialLink::markLost(QSerialPort::SerialPortError error)
{
    lost_ = true;
    qCInfo(lcLink) << "device lost:" << heldPath_ << error;
    // Closing at once stops the device from repeating the error in a tight loop.
    if (callDepth_ == 0)
        closeDevice();
    // Queued, so that a receiver may delete this port without pulling the device from under
    // the QSerialPort call that reported the error.
    QMetaObject::invokeMethod(this, [this] { emit deviceLost(); }, Qt::QueuedConnection);
}

void QtSerialLink::closeDevice()
{
    if (device_->isOpen()) {
        device_->close();
        qCDebug(lcLink) << "closed" << heldPath_;
    }
    if (claimHeld_) {
        claimHeld_ = false;
        ReleaseDevice(heldPath_);
    }
}

int ClampPortSpeed(int bitsPerSecond)
{
    return std::clamp(bitsPerSecond, kMinPortSpeed, kMaxPortSpeed);
}

LineFormat LineFormatFor(int dataBits, int paritySelector, int stopBitsSelector)
{
    LineFormat format{};
    // QSerialPort knows 5...8 data bits; a request for 4 gets the nearest it has.
    format.dataBits = static_cast<QSerialPort::DataBits>(std::clamp(dataBits, 5, 8));
    switch (paritySelector) {
    case 1:
        format.parity = QSerialPort::EvenParity;
        break;
    case 2:
        format.parity = QSerialPort::OddParity;
        break;
    default:
        format.parity = QSerialPort::NoParity;
        break;
    }
    switch (stopBitsSelector) {
    case 1:
        format.stopBits = QSerialPort::OneAndHalfStop;
        break;
    case 2:
        format.stopBits = QSerialPort::TwoStop;
        break;
    default:
        format.stopBits = QSerialPort::OneStop;
        break;
    }
    return format;
}

std::unique_ptr<SerialPort> OpenPort(int portNumber, int speed, int dataBits, int parity,
                                     int stopBits, int inputQueue, int outputQueue, bool dtr,
                                     bool rts, const QString &programDir)
{
    return OpenDevice(ComPortDevice(portNumber, programDir), speed, dataBits, parity, stopBits,
                      inputQueue, outputQueue, dtr, rts);
}

// The output queue has no counterpart in QSerialPort, whose write buffer grows as needed.
std::unique_ptr<SerialPort> OpenDevice(const QString &devicePath, int speed, int dataBits,
                                       int parity, int stopBits, int inputQueue,
                                       int /*outputQueue*/, bool dtr, bool rts)
{
    const QString path = CanonicalDevicePath(devicePath);
    if (path.isEmpty() || !ClaimDevice(path)) {
        qCInfo(lcLink) << "cannot open" << devicePath << "(no such device or already open)";
        return nullptr;
    }
    auto device = std::make_unique<QSerialPort>(path);
    if (!device->open(QIODevice::ReadWrite)) {
        qCInfo(lcLink) << "cannot open" << path << device->errorString();
        ReleaseDevice(path);
        return nullptr;
    }
    if (!ApplyLineFormat(*device, speed, LineFormatFor(dataBits, parity, stopBits))) {
        qCInfo(lcLink) << "cannot configure" << path << device->errorString();
        device->close();
        ReleaseDevice(path);
        return nullptr;
    }
    RequestLowLatency(*device);
    device->setReadBufferSize(std::max(inputQueue, 0));
    SetModemLine(*device, true, dtr);
    SetModemLine(*device, false, rts);
    qCDebug(lcLink) << "opened" << path << "at" << device->baudRate();
    return std::make_unique<QtSerialLink>(std::move(device), path, ClampPortSpeed(speed));
}

bool SetPortSpeed(SerialPort *port, int speed)
{
    return port && port->setSpeed(speed);
}

bool ClearPortErrors(SerialPort *port)
{
    return port && port->clearErrors();
}

} // namespace ktv31
