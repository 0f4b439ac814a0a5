// Repeated reads over a paced pseudo-terminal, timed per exchange, for the engine and libmodbus.
#include "linebench.h"

#include "pacedresponder.h"
#include "protocols.h"

#include "config/tablerequest.h"
#include "connection/sessionload.h"
#include "link/comportfunctions.h"
#include "protocol/exchangeengine.h"
#include "shell/exchangefeed.h"
#include "shell/monoclock.h"
#include "shell/settings.h"
#include "sim/controllertables.h"
#include "sim/simulator.h"

#include <modbus.h>

#include <memory>
#include <vector>

namespace ktv31::bench {
namespace {

constexpr int kWarmUp = 5;

LineTiming Finish(std::vector<double> elapsedMs, int requestBytes, int answerBytes, int speed,
                  double fixedMs)
{
    LineTiming timing;
    timing.requestBytes = requestBytes;
    timing.answerBytes = answerBytes;
    timing.wireMs = WireMs(requestBytes + answerBytes, speed);
    timing.fixedMs = fixedMs;
    std::vector<double> overhead;
    overhead.reserve(elapsedMs.size());
    for (double e : elapsedMs)
        overhead.push_back(e - timing.wireMs - fixedMs);
    timing.overheadMs = Summarise(std::move(overhead));
    timing.ratio = (Summarise(elapsedMs).median - fixedMs) / timing.wireMs;
    return timing;
}

// Times `count` reads through the engine over whatever line `devicePath` leads to.
// With the responder at hand, also where the overhead arises.
LineTiming TimeEngineOn(const QString &devicePath, const LineSetup &setup, int table, int fields,
                        const PacedResponder *responder)
{
    LineTiming failed;
    PortPtr port = OpenDevice(devicePath, {setup.speed}).port;
    if (!port) {
        failed.failure = QStringLiteral("cannot open %1").arg(devicePath);
        return failed;
    }
    ExchangeSession session;
    InitExchangeSession(session, 0);
    // The waits an engineer's session runs with, as a connection loads them from the settings.
    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setSpeed(setup.speed);
    LoadExchangeSession(session, settings, port.get());
    session.Attempts = 1;
    int sent = 0;
    int received = 0;
    qint64 sentAt = 0;
    const ExchangeLineWatch frames([&](const ExchangeLine &line) {
        if (line.kind != LogLineKind::Sent && line.kind != LogLineKind::Received)
            return;
        (line.kind == LogLineKind::Sent ? sent : received) = int(line.bytes.size());
        if (line.kind == LogLineKind::Sent)
            sentAt = NowNs();
    });
    const QByteArray request =
        TableRequest::Read(table, 0, fields).toBytes().left(TableRequest::ReadLength);
    const auto *data = reinterpret_cast<const quint8 *>(request.constData());

    int failures = 0;
    QString firstFailure;
    std::vector<double> elapsed;
    std::vector<double> beforeSend;
    std::vector<double> afterAnswer;
    std::vector<double> requestSeen;
    elapsed.reserve(size_t(setup.count));
    for (int i = 0; i < kWarmUp + setup.count; ++i) {
        const qint64 start = NowNs();
        if (!Exchange(session, TableFunctionCode, data, int(request.size()), 0)) {
            if (failures++ == 0)
                firstFailure = QStringLiteral("exchange %1: %2").arg(i).arg(ResultText(session));
            continue;
        }
        const qint64 end = NowNs();
        if (i >= kWarmUp) {
            elapsed.push_back(double(end - start) / 1e6);
            beforeSend.push_back(double(sentAt - start) / 1e6 - kSendPauseMs);
            if (responder) {
                afterAnswer.push_back(double(end - responder->lastAnswerEndNs()) / 1e6);
                requestSeen.push_back(double(responder->lastRequestReadNs() - sentAt) / 1e6);
            }
        }
    }
    LineTiming timing = Finish(std::move(elapsed), sent, received, setup.speed,
                               setup.thinkUs / 1000.0 + kSendPauseMs);
    timing.beforeSendMs = Summarise(std::move(beforeSend));
    timing.afterAnswerMs = Summarise(std::move(afterAnswer));
    timing.requestSeenMs = Summarise(std::move(requestSeen));
    timing.failedExchanges = failures;
    timing.firstFailure = firstFailure;
    if (failures * 100 > setup.count)
        timing.failure = QStringLiteral("%1 of %2 exchanges failed, first %3")
                             .arg(failures)
                             .arg(setup.count)
                             .arg(firstFailure);
    return timing;
}

} // namespace

LineTiming TimeEngineReads(const LineSetup &setup, int table, int fields)
{
    sim::ControllerTables tables{sim::SimOptions{}};
    PacedResponder responder(setup.speed, setup.thinkUs, ControllerProtocol(tables));
    if (!responder.start()) {
        LineTiming failed;
        failed.failure = QStringLiteral("no pseudo-terminal");
        return failed;
    }
    LineTiming timing = TimeEngineOn(responder.devicePath(), setup, table, fields, &responder);
    timing.responderLateMs = double(responder.maxLatenessNs()) / 1e6;
    return timing;
}

LineTiming TimeEngineOverSimulator(const LineSetup &setup, int table, int fields)
{
    sim::SimOptions options;
    options.speed = setup.speed;
    options.pacing = true;
    options.thinkTimeMs = setup.thinkUs / 1000;
    sim::Simulator simulator(options);
    QString error;
    if (!simulator.start(&error)) {
        LineTiming failed;
        failed.failure = error;
        return failed;
    }
    LineSetup rounded = setup;
    rounded.thinkUs = options.thinkTimeMs * 1000;
    return TimeEngineOn(simulator.devicePath(), rounded, table, fields, nullptr);
}

LineTiming TimeModbusReads(const LineSetup &setup, int answerBytes)
{
    LineTiming failed;
    PacedResponder responder(setup.speed, setup.thinkUs, ModbusProtocol());
    if (!responder.start()) {
        failed.failure = QStringLiteral("no pseudo-terminal");
        return failed;
    }
    // Registers are two bytes each: the nearest answer size that Modbus can have.
    const int registers = std::max(1, (answerBytes - ModbusAnswerOverhead + 1) / 2);
    const QByteArray path = responder.devicePath().toLocal8Bit();
    modbus_t *context = modbus_new_rtu(path.constData(), setup.speed, 'N', 8, 1);
    if (!context || modbus_set_slave(context, ModbusSlave) != 0 || modbus_connect(context) != 0) {
        failed.failure = QStringLiteral("libmodbus cannot open %1").arg(responder.devicePath());
        if (context)
            modbus_free(context);
        return failed;
    }
    modbus_set_response_timeout(context, 2, 0);
    std::vector<uint16_t> values(static_cast<size_t>(registers));
    std::vector<double> elapsed;
    std::vector<double> afterAnswer;
    elapsed.reserve(size_t(setup.count));
    for (int i = 0; i < kWarmUp + setup.count; ++i) {
        const qint64 start = NowNs();
        if (modbus_read_registers(context, 0, registers, values.data()) != registers) {
            failed.failure = QStringLiteral("modbus read %1 failed: %2")
                                 .arg(i)
                                 .arg(QString::fromLocal8Bit(modbus_strerror(errno)));
            break;
        }
        const qint64 end = NowNs();
        if (i >= kWarmUp) {
            elapsed.push_back(double(end - start) / 1e6);
            afterAnswer.push_back(double(end - responder.lastAnswerEndNs()) / 1e6);
        }
    }
    modbus_close(context);
    modbus_free(context);
    if (!failed.failure.isEmpty())
        return failed;
    LineTiming timing =
        Finish(std::move(elapsed), ModbusRequestBytes, ModbusAnswerOverhead + 2 * registers,
               setup.speed, setup.thinkUs / 1000.0);
    timing.afterAnswerMs = Summarise(std::move(afterAnswer));
    return timing;
}

} // namespace ktv31::bench
