// The two protocols the paced responder speaks: the controller's function 29 and Modbus RTU.
#pragma once

#include "pacedresponder.h"

namespace ktv31::sim {
class ControllerTables;
}

namespace ktv31::bench {

// Answers function 29 requests from the simulated controller's tables (which it may change).
ResponderProtocol ControllerProtocol(sim::ControllerTables &tables, quint8 address = 0);

constexpr quint8 ModbusSlave = 1;
constexpr int ModbusRequestBytes = 8;
constexpr int ModbusAnswerOverhead = 5; // slave, function, byte count, CRC
// A Modbus RTU slave that answers "read holding registers" (function 3).
ResponderProtocol ModbusProtocol();

} // namespace ktv31::bench
