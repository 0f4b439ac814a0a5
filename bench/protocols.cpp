// Request framing and answers of the controller protocol and of a Modbus holding-register slave.
#include "protocols.h"

#include "protocol/framing.h"
#include "sim/answerframe.h"
#include "sim/controllertables.h"

namespace ktv31::bench {
namespace {
constexpr quint8 kReadHoldingRegisters = 3;
}

ResponderProtocol ControllerProtocol(sim::ControllerTables &tables, quint8 address)
{
    ResponderProtocol protocol;
    protocol.requestLength = [](const QByteArray &bytes) {
        if (quint8(bytes[0]) != RequestStartSymbol)
            return -1; // preambles and noise
        if (bytes.size() <= FrameOffset::Length)
            return 0;
        const int length = quint8(bytes[FrameOffset::Length]);
        if (length < MinFrameLength)
            return -1;
        return bytes.size() >= length ? length : 0;
    };
    protocol.answer = [&tables, address](const QByteArray &request) {
        if (Crc16(request) != 0 || quint8(request[FrameOffset::Address]) != address)
            return QByteArray();
        const quint8 function = quint8(request[FrameOffset::Function]);
        const QByteArray data = request.mid(FrameOffset::Data, request.size() - MinFrameLength);
        const sim::TableOutcome outcome = tables.serve(data);
        if (outcome.error != 0)
            return sim::RefusalFrame(address, function, outcome.error, 0, outcome.errorValue);
        return sim::AnswerFrame(address, quint8(function | AnswerFunctionFlag), outcome.data);
    };
    return protocol;
}

ResponderProtocol ModbusProtocol()
{
    ResponderProtocol protocol;
    protocol.requestLength = [](const QByteArray &bytes) {
        if (quint8(bytes[0]) != ModbusSlave)
            return -1;
        if (bytes.size() < 2)
            return 0;
        if (quint8(bytes[1]) != kReadHoldingRegisters)
            return -1;
        return bytes.size() >= ModbusRequestBytes ? ModbusRequestBytes : 0;
    };
    protocol.answer = [](const QByteArray &request) {
        if (Crc16(request) != 0)
            return QByteArray();
        const int count = (quint8(request[4]) << 8) | quint8(request[5]);
        QByteArray answer;
        answer.append(char(ModbusSlave));
        answer.append(char(kReadHoldingRegisters));
        answer.append(char(count * 2));
        for (int i = 0; i < count; ++i) {
            answer.append(char(i >> 8));
            answer.append(char(i));
        }
        const quint16 crc = Crc16(answer);
        answer.append(char(crc & 0xFF));
        answer.append(char(crc >> 8));
        return answer;
    };
    return protocol;
}

} // namespace ktv31::bench
