// Deferred deletion of dropped ports: a port outlives every operation that is using it.
#include "link/serialport.h"

namespace ktv31 {

SerialPort::~SerialPort()
{
    // Deleting a port under a running operation is the fault this class exists to prevent.
    Q_ASSERT(uses_ == 0);
}

void SerialPort::drop()
{
    if (dropped_)
        return;
    dropped_ = true;
    close();
    if (uses_ > 0) {
        emit dropped();
        return;
    }
    delete this;
}

SerialPort::Use::Use(SerialPort *port) : port_(port)
{
    if (port_)
        ++port_->uses_;
}

SerialPort::Use::~Use()
{
    if (port_ && --port_->uses_ == 0 && port_->dropped_)
        delete port_;
}

} // namespace ktv31
