// Low latency for USB serial adapters: which mechanism a device takes, and asking its driver for
// it.
#pragma once

#include <QString>

class QSerialPort;

namespace ktv31 {

// USB serial adapters hold short answers back for their latency timer (16 ms on common chips),
// which alone would multiply the time of an exchange at high speeds.
enum class LowLatencyMechanism
{
    None,         // not a USB adapter, or nothing could be asked
    LatencyTimer, // the driver exposes its latency timer (ftdi_sio)
    SerialFlag,   // ASYNC_LOW_LATENCY through TIOCSSERIAL
};

// What the device model says about the device behind a tty.
struct TtyDeviceInfo
{
    QString subsystem;        // of the tty's device: "usb-serial", "usb", "platform", "pnp" ...
    QString driver;           // "ftdi_sio", "pl2303", "cdc_acm", "serial8250" ...
    bool onUsbBus = false;    // the device or one of its parents is a USB device
    QString latencyTimerPath; // the driver's latency_timer attribute, when it has one
};

// Reads the node of a tty in the device model (<sysfs>/class/tty/<name> or
// <sysfs>/dev/char/<major>:<minor>); empty when the tty has no device (pseudo-terminals).
TtyDeviceInfo ReadTtyDeviceInfo(const QString &ttyNode);
LowLatencyMechanism ChooseLowLatency(const TtyDeviceInfo &info);

// Sets the latency timer attribute at `path` to 1 ms unless it is already that low; false when
// it cannot be read or written.
bool LowerLatencyTimer(const QString &path);

// Asks the driver of the open device for low latency when it is a USB serial adapter. Refusal is
// silently ignored: the line works as before, only slower. Returns what was granted.
LowLatencyMechanism RequestLowLatency(QSerialPort &device);

} // namespace ktv31
