// The soak run: the operations, the fault of each exchange, and the checks after each.
#include "soakrun.h"

#include "config/tabletransfer.h"
#include "configedits.h"
#include "connection/controllerlink.h"
#include "connection/devicecheck.h"
#include "connection/sessionload.h"
#include "residentmemory.h"
#include "shell/monoclock.h"

#include <cstdio>
#include <cstdlib>

namespace ktv31::soak {
namespace {

constexpr qint64 kHangMarginNs = MsToNs(1000);
// An exchange this far past its hang limit will not return: the watchdog ends the run.
constexpr qint64 kStuckGraceNs = MsToNs(10000);
constexpr int kResidentBaseAfter = 1000;
constexpr int kDetailedMismatches = 20;
constexpr int kBitsPerByte = 10;
constexpr int kTableFrameOverhead = FrameOffset::Data + 2; // the header before the data, the CRC
constexpr int kThinkTimeMs = 1;
constexpr int kMostAttempts = 3;
constexpr int kMostPreambles = 3;
constexpr int kReadConfigurationExchanges = 6; // tables 0, 3, 5, 6 twice and 1
constexpr int kWriteSelectedExchanges = 5;     // tables 3, 5, 6 twice and the identification
// A write that failed is read back in at most two requests before the operation ends.
constexpr int kMostArrivalReads = 2;
constexpr int kTablesFrom = ImageOffset::LinkParameters; // what the writes change: tables 3, 5, 6
constexpr int kTablesSize = ImageSize - kTablesFrom;
// The shortest first-byte wait the connection dialog offers.
constexpr int kFirstByteWaitS = 1;

const char *OperationName(int operation)
{
    static const char *const names[] = {"identify", "read-config", "table-state", "write-changed",
                                        "write-selected"};
    return names[operation];
}

qint64 WireNs(int bytes, int speed)
{
    return qint64(bytes) * kBitsPerByte * 1000000000 / speed;
}

// The longest an exchange may take by the engine's own waits: for every attempt the RTS pause,
// the request and the longest answer on the wire, the first-byte wait and one gap between bytes.
qint64 ExchangeBudgetNs(const ExchangeSession &s)
{
    const int requestBytes = s.PreambleCount + s.TxBuffer[FrameOffset::Length] + 1;
    const qint64 attempt = MsToNs(s.RtsPauseMs) + WireNs(requestBytes, s.Speed) +
                           MsToNs(s.FirstByteWaitMs) + MsToNs(s.NextByteWaitMs) +
                           WireNs(MaxFrameLength, s.Speed);
    return std::max<int>(s.Attempts, 1) * attempt;
}

sim::SimOptions SimulatorOptions(const SoakOptions &options)
{
    sim::SimOptions sim;
    sim.speed = options.speed;
    sim.pacing = true;
    sim.thinkTimeMs = kThinkTimeMs;
    sim.faultSeed = options.seed;
    return sim;
}

ConnectionSettings SoakSettings(int speed)
{
    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setLinkType(DirectLink);
    settings.setSpeed(speed);
    settings.setFirstByteWaitS(kFirstByteWaitS);
    return settings;
}

int Between(QRandomGenerator &random, int low, int high)
{
    return low + int(random.bounded(quint32(high - low + 1)));
}

// What the table-state procedure writes after a configuration file was chosen: every table the
// controller lets the program write.
TableStateBuffer EveryWritableTable()
{
    TableStateBuffer state;
    for (const ConfigTableFlag &flag : ConfigTableFlags())
        if (flag.writable)
            state.setWriteChosen(flag.table, true);
    return state;
}

} // namespace

QString SummaryLine(const SoakTally &tally, qint64 residentGrowthKb)
{
    return QStringLiteral("%1 exchanges, %2 faults injected, %3 mismatches, %4 hangs, "
                          "RSS growth %5 KB")
        .arg(tally.exchanges.load())
        .arg(tally.faults.load())
        .arg(tally.mismatches.load())
        .arg(tally.hangs.load())
        .arg(residentGrowthKb);
}

SoakRun::SoakRun(const SoakOptions &options, SoakTally &tally)
    : options_(options), tally_(tally), random_(options.seed), sim_(SimulatorOptions(options)),
      operator_(*this), settings_(SoakSettings(options.speed)), watchdog_([this] { stuck(); })
{
    InitExchangeSession(session_, ControllerAddress);
    session_.StatusPanel = StatusPanel{&operator_, Panel::Exchange};
}

SoakRun::~SoakRun()
{
    session_.PortHandle = nullptr;
    port_.reset();
    sim_.stop();
}

bool SoakRun::start(QString *error)
{
    elapsed_.start();
    if (!sim_.start(error))
        return false;
    // What the controller holds is where the changed-only writes start from.
    image_ = sim_.image();
    return connect(error);
}

bool SoakRun::connect(QString *error)
{
    session_.PortHandle = nullptr;
    port_.reset();
    // The simulator replaces a dropped line before it lets go of this call.
    sim_.settle();
    linePath_ = sim_.devicePath();
    PortOpenResult opened = OpenControllerPort(settings_, QString(), linePath_);
    if (!opened.port) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(linePath_, PortOpenErrorText(opened));
        return false;
    }
    port_ = std::move(opened.port);
    LoadExchangeSession(session_, settings_, port_.get());
    RaiseDtrAndSettle(port_.get());
    return true;
}

bool SoakRun::lineDropped() const
{
    return IsGone(port_.get()) || sim_.devicePath() != linePath_;
}

bool SoakRun::run(QString *error)
{
    while (tally_.exchanges < options_.exchanges) {
        runOperation(chooseOperation(options_.exchanges - tally_.exchanges));
        noteResidentBase();
        if (lineDropped() && !connect(error))
            return false;
    }
    return true;
}

SoakRun::Operation SoakRun::chooseOperation(int remaining)
{
    const int pick = int(random_.bounded(100));
    const Operation operation = pick < 20   ? Operation::Identify
                                : pick < 45 ? Operation::ReadConfiguration
                                : pick < 60 ? Operation::ReadTableState
                                : pick < 90 ? Operation::WriteChanged
                                            : Operation::WriteSelected;
    // The run ends on its count exactly: the last operations are the short ones.
    const int most = operation == Operation::ReadConfiguration ? kReadConfigurationExchanges
                     : operation == Operation::WriteChanged ? MostWriteExchanges + kMostArrivalReads
                     : operation == Operation::WriteSelected
                         ? kWriteSelectedExchanges + kMostArrivalReads
                         : 1;
    return most <= remaining ? operation : Operation::Identify;
}

void SoakRun::runOperation(Operation operation)
{
    operation_ = operation;
    ++operations_;
    expectedMessages_ = 0;
    gaveUp_ = false;
    arrivalCheck_.reset();
    const int messagesBefore = operator_.messageCount();
    settings_.setAttempts(quint8(Between(random_, 1, kMostAttempts)));
    settings_.setPreambleCount(quint8(Between(random_, 0, kMostPreambles)));
    LoadExchangeSession(session_, settings_, port_.get());

    bool succeeded = false;
    switch (operation) {
    case Operation::Identify:
        succeeded = identify();
        break;
    case Operation::ReadConfiguration:
        succeeded = readConfiguration();
        break;
    case Operation::ReadTableState:
        succeeded = readTableState();
        break;
    case Operation::WriteChanged:
        succeeded = writeChanged();
        break;
    case Operation::WriteSelected:
        succeeded = writeSelected();
        break;
    }
    checkOperation(succeeded, messagesBefore);
}

TransferContext SoakRun::transferContext()
{
    return TransferContext{session_, image_, settings_, operator_, 0};
}

bool SoakRun::identify()
{
    TransferContext context = transferContext();
    if (!ReadIdentification(context))
        return false;
    if (!CheckDevice(image_).accepted)
        mismatch(QStringLiteral("the simulated controller is not accepted"));
    checkSameAsController(0, IdentificationSize, QStringLiteral("identification"));
    return true;
}

bool SoakRun::readConfiguration()
{
    TransferContext context = transferContext();
    CountingProgress progress;
    if (!ReadConfiguration(context, progress))
        return false;
    checkSameAsController(0, ImageSize, QStringLiteral("configuration read"));
    return true;
}

bool SoakRun::readTableState()
{
    TransferContext context = transferContext();
    TableStateBuffer state;
    if (!ReadTableState(context, state))
        return false;
    const sim::DestroyedFlags flags = sim_.destroyed();
    const QByteArray expected(reinterpret_cast<const char *>(flags.data()), int(flags.size()));
    if (state.slice(TableStateOffset::Destroyed, ConfigTableCount) != expected)
        mismatch(QStringLiteral("table state read differs from the controller's"));
    return true;
}

bool SoakRun::writeChanged()
{
    const ConfigImage before = image_;
    image_ = EditForWrite(before, random_);
    TransferContext context = transferContext();
    const bool written = WriteChangedConfiguration(context, before);
    followController(written);
    return written;
}

// The table-state procedure's write: whole tables, then the identification read again.
bool SoakRun::writeSelected()
{
    const ConfigImage before = image_;
    image_ = EditForWrite(before, random_);
    TransferContext context = transferContext();
    CountingProgress progress;
    const SelectedWriteOutcome outcome =
        WriteSelectedAndReidentify(context, EveryWritableTable(), progress);
    followController(outcome.written);
    if (outcome.identified && outcome.destroyedTable != 0)
        mismatch(QStringLiteral("table %1 reported destroyed").arg(outcome.destroyedTable));
    return outcome.written && outcome.identified;
}

// A failed write may have changed part of the tables: later edits start from what the
// controller holds.
void SoakRun::followController(bool written)
{
    if (written)
        checkSameAsController(kTablesFrom, kTablesSize, QStringLiteral("tables written"));
    else
        image_.setSlice(kTablesFrom, kTablesSize, sim_.image().slice(kTablesFrom, kTablesSize));
}

// One question for every failed step, the operation ends at it, and succeeds without one.
void SoakRun::checkOperation(bool succeeded, int messagesBefore)
{
    if (arrivalCheck_)
        mismatch(QStringLiteral("a failed write was not read back to its last field"));
    const int messages = operator_.messageCount() - messagesBefore;
    if (messages != expectedMessages_)
        mismatch(QStringLiteral("%1 message(s) instead of %2, the last \"%3\"")
                     .arg(messages)
                     .arg(expectedMessages_)
                     .arg(operator_.lastMessage()));
    if (succeeded == gaveUp_)
        mismatch(succeeded ? QStringLiteral("succeeded after a failed step")
                           : QStringLiteral("failed without a failed step"));
}

void SoakRun::checkSameAsController(int offset, int size, const QString &what)
{
    if (image_.slice(offset, size) != sim_.image().slice(offset, size))
        mismatch(QStringLiteral("%1 differs from the controller's tables").arg(what));
}

void SoakRun::exchangeStarted()
{
    sim_.clearLog();
    if (gaveUp_)
        mismatch(QStringLiteral("an exchange after the operator gave up"));
    exchange_ = RunningExchange{};
    exchange_.attempts = std::max<int>(session_.Attempts, 1);
    exchange_.read = session_.TxBuffer[FrameOffset::Data + TableRequestOffset::ReadCount] != 0;
    exchange_.request =
        QByteArray(reinterpret_cast<const char *>(session_.TxBuffer.data()) + FrameOffset::Data,
                   session_.TxBuffer[FrameOffset::Length] - kTableFrameOverhead);
    exchange_.fault = ChooseFault(random_, exchange_.attempts);
    if (exchange_.fault) {
        ++tally_.faults;
        ++faultsByKind_[FaultKindName(exchange_.fault->rule)];
        for (int i = 0; i < exchange_.fault->struckAttempts; ++i)
            sim_.injectFault(exchange_.fault->rule);
    }
    exchange_.startNs = NowNs();
    exchange_.deadlineNs = exchange_.startNs + ExchangeBudgetNs(session_);
    watchdog_.arm(exchange_.deadlineNs + kHangMarginNs + kStuckGraceNs);
}

void SoakRun::exchangeFinished()
{
    const qint64 now = NowNs();
    watchdog_.disarm();
    ++tally_.exchanges;
    if (exchange_.fault)
        sim_.clearFaults(); // the rules of attempts that never reached the controller
    if (now > exchange_.deadlineNs + kHangMarginNs) {
        ++tally_.hangs;
        std::fprintf(stderr, "hang: exchange %d took %.1f s, %.1f s allowed\n",
                     tally_.exchanges.load(), double(now - exchange_.startNs) / 1e9,
                     double(exchange_.deadlineNs - exchange_.startNs) / 1e9);
    }
    checkResult();
}

void SoakRun::checkResult()
{
    const Result result = session_.ResultCode;
    const Result expected = ExpectedResult(exchange_.fault, exchange_.attempts);
    if (result != expected)
        mismatch(QStringLiteral("result %1 (%2), expected %3")
                     .arg(ResultNumber(result))
                     .arg(ComposeResultText(session_))
                     .arg(ResultNumber(expected)));
    if (arrivalCheck_) {
        checkArrivalRead(result);
        return;
    }
    // Only a refusal or a lost line says for certain that a write did not arrive.
    if (!exchange_.read && result != Result::Ok && result != Result::Refused &&
        result != Result::ValveRefused && !IsGone(port_.get())) {
        arrivalCheck_ = exchange_.request;
        return;
    }
    // The transfer asks after a failed exchange and after the wrong block; "no" ends it.
    if (result != Result::Ok || AnswersWrongBlock(exchange_.fault, exchange_.read))
        askedAndGaveUp();
}

// A read of the failed write's fields: a failed read or a value other than the one written
// leaves the write unconfirmed, and the person is asked; the write's last field read back as
// written means it went through, and the operation goes on without a question.
void SoakRun::checkArrivalRead(Result result)
{
    const QByteArray write = *arrivalCheck_;
    const QByteArray &read = exchange_.request;
    const auto at = [](const QByteArray &request, int offset) { return quint8(request[offset]); };
    const int writeFirst = at(write, TableRequestOffset::WriteFirst);
    const int writeEnd = writeFirst + at(write, TableRequestOffset::WriteCount);
    const int readFirst = at(read, TableRequestOffset::ReadFirst);
    const int readCount = at(read, TableRequestOffset::ReadCount);
    if (!exchange_.read ||
        at(read, TableRequestOffset::ReadTable) != at(write, TableRequestOffset::WriteTable) ||
        readFirst < writeFirst || readFirst + readCount > writeEnd) {
        mismatch(QStringLiteral("the read after a failed write is not of its fields"));
        arrivalCheck_.reset();
        return;
    }
    const int fieldBytes = int(write.size() - TableRequestOffset::Data) / (writeEnd - writeFirst);
    const QByteArray written = write.mid(
        TableRequestOffset::Data + (readFirst - writeFirst) * fieldBytes, readCount * fieldBytes);
    const QByteArray answer(reinterpret_cast<const char *>(session_.RxBuffer.data()) +
                                TableAnswerOffset::Data,
                            readCount * fieldBytes);
    if (result != Result::Ok || AnswersWrongBlock(exchange_.fault, exchange_.read) ||
        answer != written) {
        arrivalCheck_.reset();
        askedAndGaveUp();
    } else if (readFirst + readCount == writeEnd) {
        arrivalCheck_.reset();
    }
}

void SoakRun::askedAndGaveUp()
{
    ++expectedMessages_;
    gaveUp_ = true;
}

void SoakRun::mismatch(const QString &what)
{
    const int count = ++tally_.mismatches;
    if (count > kDetailedMismatches && !options_.verbose)
        return;
    const QString fault = exchange_.fault ? FaultText(*exchange_.fault) : QStringLiteral("none");
    std::fprintf(stderr, "mismatch at exchange %d (%s, %s, %d attempt(s), fault %s): %s\n",
                 tally_.exchanges.load(), OperationName(int(operation_)),
                 exchange_.read ? "read" : "write", exchange_.attempts, qPrintable(fault),
                 qPrintable(what));
    if (options_.verbose)
        for (const sim::FrameLogEntry &entry : sim_.frameLog())
            std::fprintf(stderr, "  sim %s\n", qPrintable(entry.text()));
}

void SoakRun::noteResidentBase()
{
    const int baseAt = std::min(kResidentBaseAfter, options_.exchanges / 2);
    if (residentBaseKb_ < 0 && tally_.exchanges >= baseAt)
        residentBaseKb_ = ResidentKb();
}

qint64 SoakRun::residentGrowthKb() const
{
    const qint64 base = residentBaseKb_;
    const qint64 now = ResidentKb();
    return (base < 0 || now < 0) ? 0 : now - base;
}

QString SoakRun::figuresByKind() const
{
    QStringList kinds;
    for (auto it = faultsByKind_.cbegin(); it != faultsByKind_.cend(); ++it)
        kinds << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    return QStringLiteral("faults: %1; %2 operations in %3 s")
        .arg(kinds.join(QStringLiteral(", ")))
        .arg(operations_)
        .arg(double(elapsed_.elapsed()) / 1000.0, 0, 'f', 1);
}

// Called on the watchdog's thread while the exchange still runs: the figures so far, then out.
void SoakRun::stuck()
{
    ++tally_.hangs;
    std::fprintf(stderr, "hang: exchange %d has not returned; giving up\n",
                 tally_.exchanges.load() + 1);
    std::printf("%s\n", qPrintable(SummaryLine(tally_, residentGrowthKb())));
    std::fflush(stdout);
    std::_Exit(1);
}

} // namespace ktv31::soak
