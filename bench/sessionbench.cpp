// ReadConfiguration against its floor with a heartbeat beside it, and the CPU cost of long waits.
#include "sessionbench.h"

#include "linebench.h"
#include "pacedresponder.h"
#include "protocols.h"

#include "config/tabletransfer.h"
#include "connection/sessionload.h"
#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "protocol/exchangeengine.h"
#include "shell/exchangefeed.h"
#include "shell/monoclock.h"
#include "shell/operatorseam.h"
#include "shell/settings.h"
#include "sim/controllertables.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace ktv31::bench {
namespace {

constexpr int kHeartbeatMs = 10;

// Gives up at the first question and remembers the last message.
class QuietOperator final : public Operator
{
public:
    bool ShowMessageBox(MessageBoxKind, const QString &line1, const QString &line2) override
    {
        last = line1 + QLatin1Char(' ') + line2;
        return false;
    }
    void SetStatusText(int, const QString &) override {}
    QString ChooseOpenFile(const FileChoice &) override { return {}; }
    QString ChooseSaveFile(const FileChoice &) override { return {}; }
    QString last;
};

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// A paced responder serving `tables` and an exchange session on its line at `speed`, counting
// the requests sent and every byte on the line.
struct PacedSession
{
    PacedSession(int speed, int thinkUs, sim::ControllerTables &tables)
        : responder(speed, thinkUs, ControllerProtocol(tables))
    {
        settings.setSpeed(speed);
        InitExchangeSession(session, 0);
        if (responder.start())
            port = OpenDevice(responder.devicePath(), {speed}).port;
        LoadExchangeSession(session, settings, port.get());
    }

    PacedResponder responder;
    PortPtr port;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    ExchangeSession session;
    qint64 lineBytes = 0;
    int exchanges = 0;
    const ExchangeLineWatch frames{[this](const ExchangeLine &line) {
        if (line.kind != LogLineKind::Sent && line.kind != LogLineKind::Received)
            return;
        lineBytes += line.bytes.size();
        if (line.kind == LogLineKind::Sent)
            ++exchanges;
    }};
};

} // namespace

ConfigTiming TimeReadConfiguration(int speed, int thinkUs, bool withHeartbeat)
{
    ConfigTiming timing;
    sim::ControllerTables tables{sim::SimOptions{}};
    PacedSession line(speed, thinkUs, tables);
    if (!line.port) {
        timing.failure = QStringLiteral("no line");
        return timing;
    }
    ExchangeSession &session = line.session;
    ConnectionSettings &settings = line.settings;
    ConfigImage image;
    QuietOperator op;
    CountingProgress progress;
    TransferContext context{session, image, settings, op};

    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    qint64 lastBeat = 0;
    double maxLate = 0;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = NowNs();
        maxLate = std::max(maxLate, double(now - lastBeat) / 1e6 - kHeartbeatMs);
        lastBeat = now;
        ++timing.heartbeats;
    });
    if (withHeartbeat) {
        lastBeat = NowNs();
        heartbeat.start(kHeartbeatMs);
    }
    const qint64 start = NowNs();
    const bool ok = ReadConfiguration(context, progress);
    const qint64 end = NowNs();
    timing.elapsedMs = double(end - start) / 1e6;
    heartbeat.stop();
    // A beat still due when the operation returns counts too: a wait at its very end that held
    // the timers back would otherwise go unseen.
    if (withHeartbeat)
        maxLate = std::max(maxLate, double(end - lastBeat) / 1e6 - kHeartbeatMs);
    if (!ok) {
        timing.failure = QStringLiteral("ReadConfiguration failed: %1").arg(op.last);
        return timing;
    }
    if (withHeartbeat)
        timing.heartbeatMaxLateMs = maxLate;
    timing.exchanges = line.exchanges;
    timing.floorMs = double(line.lineBytes) * kBitsPerByte * 1000.0 / speed +
                     timing.exchanges * (thinkUs / 1000.0 + kSendPauseMs) + context.closingWaitMs;
    return timing;
}

WriteTiming TimeChangedWrite(int speed, int thinkUs, int calculators, bool readBack)
{
    WriteTiming timing;
    sim::ControllerTables tables{sim::SimOptions{}};
    PacedSession line(speed, thinkUs, tables);
    if (!line.port) {
        timing.failure = QStringLiteral("no line");
        return timing;
    }
    ConfigImage image = tables.image();
    const ConfigImage before = image;
    // Every other calculator at most, so that each change is a run of its own.
    const int step = std::max(2, CalculatorCount / std::max(1, calculators));
    for (int i = 0; i < calculators; ++i) {
        const int address = 1 + i * step;
        image.setLinkByteAt(address, quint8(before.LinkByteAt(address) ^ LinkByte::Make(1, 0)));
    }
    QuietOperator op;
    TransferContext context{line.session, image, line.settings, op, 0};
    context.verifyWrites = readBack;
    const qint64 start = NowNs();
    const bool ok = WriteChangedConfiguration(context, before);
    timing.elapsedMs = double(NowNs() - start) / 1e6;
    timing.exchanges = line.exchanges;
    timing.lineBytes = line.lineBytes;
    if (!ok)
        timing.failure = QStringLiteral("WriteChangedConfiguration failed: %1").arg(op.last);
    return timing;
}

CpuCost CostOfSilentWait(int waitMs)
{
    CpuCost cost;
    int master = -1;
    int slave = -1;
    termios raw{};
    ::cfmakeraw(&raw);
    char name[128] = {};
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        cost.failure = QStringLiteral("no pseudo-terminal");
        return cost;
    }
    {
        PortPtr port = OpenDevice(QString::fromLocal8Bit(name), {19200}).port;
        ExchangeSession session;
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = 19200;
        session.Attempts = 1;
        session.FirstByteWaitMs = waitMs;
        const quint8 request[6] = {0, 0, 17, 0, 0, 0};
        const double cpu = CpuMs();
        const qint64 start = NowNs();
        Exchange(session, TableFunctionCode, request, 6, 0);
        cost.wallMs = double(NowNs() - start) / 1e6;
        cost.cpuMs = CpuMs() - cpu;
        if (session.ResultCode != Result::NoAnswer)
            cost.failure = QStringLiteral("result %1 instead of no answer")
                               .arg(ResultNumber(session.ResultCode));
    }
    ::close(slave);
    ::close(master);
    return cost;
}

CpuCost CostOfDialling(int dialDelayMs)
{
    CpuCost cost;
    // The modem runs in a process of its own, so that only the program's own CPU is counted.
    QProcess modem;
    modem.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ktv31-sim"),
                {QStringLiteral("--modem"), QStringLiteral("--modem-guard"), QStringLiteral("100"),
                 QStringLiteral("--modem-dial-delay"), QString::number(dialDelayMs),
                 QStringLiteral("--speed"), QStringLiteral("9600"), QStringLiteral("--no-log")});
    if (!modem.waitForStarted(5000) || !modem.waitForReadyRead(5000)) {
        cost.failure = QStringLiteral("ktv31-sim did not start");
        return cost;
    }
    const QString path = QString::fromLocal8Bit(modem.readLine().trimmed());
    PortPtr port = OpenDevice(path, {9600}).port;
    if (!port) {
        cost.failure = QStringLiteral("cannot open %1").arg(path);
        return cost;
    }
    ModemTiming timing;
    timing.escapeGuardMs = 200;
    timing.beforeInitMs = 200;
    timing.afterAcceptMs = 50;
    const double cpu = CpuMs();
    const qint64 start = NowNs();
    const DialResult result = Dial(port.get(), QStringLiteral("5551234"), QString(), nullptr,
                                   StatusPanel{}, 1, 30, timing);
    cost.wallMs = double(NowNs() - start) / 1e6;
    cost.cpuMs = CpuMs() - cpu;
    if (result != DialResult::Ok)
        cost.failure = QStringLiteral("dial result %1 (%2)")
                           .arg(DialResultNumber(result))
                           .arg(DialResultText(result));
    port.reset();
    modem.terminate();
    modem.waitForFinished(3000);
    return cost;
}

} // namespace ktv31::bench
