// QtSerialLink and the opening of COM ports: line format, exclusive use, loss of the device.
#include "link/comportfunctions.h"
#include "link/lowlatency.h"
#include "shell/monoclock.h"

#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "ktv31.link", QtWarningMsg)

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
    return device.setBaudRate(ClampPortSpeed(speed)) && device.setDataBits(format.dataBits) &&
           device.setParity(format.parity) && device.setStopBits(format.stopBits) &&
           device.setFlowControl(QSerialPort::NoFlowControl);
}

// A pseudo-terminal has no modem lines; failing to set one is not a fault of the line.
void SetModemLine(QSerialPort &device, bool dtrLine, bool on)
{
    const bool ok = dtrLine ? device.setDataTerminalReady(on) : device.setRequestToSend(on);
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
    : SerialPort(parent), device_(std::move(device)), heldPath_(std::move(heldPath)), speed_(speed)
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
    // The drain wait runs the event loop, where this port may be dropped; it must outlive the call.
    Use self(this);
    CallScope scope(*this);
    writeInterrupted_ = false;
    if (device_->write(bytes) == bytes.size() &&
        waitUntilWritten(kWriteMsPerByte * bytes.size() + kWriteMsFixed))
        return true;
    if (isOpen() && !lost_) {
        // What could not be sent in time must not trail into the next exchange.
        device_->clear(QSerialPort::Output);
        device_->clearError();
    }
    return false;
}

// Waits in the event loop, as the reading side does, until the driver has taken every byte, the
// time is up, the line is lost, the port is dropped or the write is interrupted.
bool QtSerialLink::waitUntilWritten(qint64 timeoutMs)
{
    const auto drained = [this] { return !isOpen() || device_->bytesToWrite() == 0; };
    // Without an event loop the serial port's buffer goes out only through its blocking wait.
    if (!CurrentClock().runsEvents()) {
        const qint64 deadline = NowNs() + MsToNs(timeoutMs);
        while (
            !drained() && !lost_ && NowNs() < deadline &&
            device_->waitForBytesWritten(int(std::max<qint64>(1, (deadline - NowNs()) / 1000000))))
            ;
        return isOpen() && !lost_ && drained();
    }
    WakeSources wake;
    wake.when([&] { return drained() || lost_ || writeInterrupted_; });
    WaitUntil(NowNs() + MsToNs(timeoutMs), wake);
    return isOpen() && !lost_ && !writeInterrupted_ && device_->bytesToWrite() == 0;
}

void QtSerialLink::interruptWrite()
{
    writeInterrupted_ = true;
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
    // Queued, so that a receiver may drop this port without pulling the device from under the
    // QSerialPort call that reported the error.
    QMetaObject::invokeMethod(
        this, [this] { emit deviceLost(); }, Qt::QueuedConnection);
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

QString ComPortName(int portNumber)
{
    return QStringLiteral("COM%1").arg(portNumber);
}

QString PortName(int portNumber, const QString &devicePath)
{
    return devicePath.isEmpty() ? ComPortName(portNumber) : devicePath;
}

QString LinkText(const QString &portName, int speed)
{
    return QStringLiteral(" %1,   %2 бит/с").arg(portName).arg(speed);
}

QString ComPortDescription(int portNumber, const QString &programDir)
{
    const QString device = ComPortDevice(portNumber, programDir);
    const bool present = !CanonicalDevicePath(device).isEmpty();
    return present ? QStringLiteral("%1 (устройство есть)").arg(device)
                   : QStringLiteral("%1 (устройства нет)").arg(device);
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

PortOpenResult OpenPort(int portNumber, const PortOpenSettings &settings, const QString &programDir)
{
    return OpenDevice(ComPortDevice(portNumber, programDir), settings);
}

// The output queue has no counterpart in QSerialPort, whose write buffer grows as needed.
PortOpenResult OpenDevice(const QString &devicePath, const PortOpenSettings &settings)
{
    PortOpenResult result;
    result.device = devicePath;
    const QString path = CanonicalDevicePath(devicePath);
    if (path.isEmpty()) {
        qCDebug(lcLink) << "cannot open" << devicePath << "(no such device)";
        result.error = PortOpenError::NoSuchDevice;
        return result;
    }
    result.device = path;
    if (!ClaimDevice(path)) {
        qCDebug(lcLink) << "cannot open" << path << "(already open in this program)";
        result.error = PortOpenError::Busy;
        return result;
    }
    auto device = std::make_unique<QSerialPort>(path);
    if (!device->open(QIODevice::ReadWrite)) {
        qCDebug(lcLink) << "cannot open" << path << device->errorString();
        result.error = ClassifyOpenFailure(path, device->error(), &result.group);
        ReleaseDevice(path);
        return result;
    }
    const LineFormat format = LineFormatFor(settings.dataBits, settings.parity, settings.stopBits);
    if (!ApplyLineFormat(*device, settings.speed, format)) {
        qCDebug(lcLink) << "cannot configure" << path << device->errorString();
        device->close();
        ReleaseDevice(path);
        result.error = PortOpenError::NotConfigurable;
        return result;
    }
    RequestLowLatency(*device);
    device->setReadBufferSize(std::max(settings.inputQueue, 0));
    SetModemLine(*device, true, settings.dtr);
    SetModemLine(*device, false, settings.rts);
    qCDebug(lcLink) << "opened" << path << "at" << device->baudRate();
    result.port.reset(new QtSerialLink(std::move(device), path, ClampPortSpeed(settings.speed)));
    return result;
}

QString PortOpenErrorText(const PortOpenResult &result)
{
    switch (result.error) {
    case PortOpenError::None:
        return {};
    case PortOpenError::NoSuchDevice:
        return result.device.isEmpty()
                   ? QStringLiteral("Устройство не найдено")
                   : QStringLiteral("Устройство %1 не найдено").arg(result.device);
    case PortOpenError::Busy:
        return QStringLiteral("Порт %1 занят другой программой").arg(result.device);
    case PortOpenError::NoPermission:
        return result.group.isEmpty()
                   ? QStringLiteral("Нет прав доступа к %1").arg(result.device)
                   : QStringLiteral("Нет прав доступа к %1 (нужно членство в группе %2)")
                         .arg(result.device, result.group);
    case PortOpenError::NotConfigurable:
        return QStringLiteral("%1 не является последовательным портом").arg(result.device);
    }
    return {};
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
