// One soak run: operations of every kind against the simulated controller on a pseudo-terminal,
// the result of every exchange checked against the fault it met.
#pragma once

#include "config/configimage.h"
#include "config/tabletransfer.h"
#include "faultchoice.h"
#include "hangwatchdog.h"
#include "link/serialport.h"
#include "protocol/exchangeengine.h"
#include "shell/settings.h"
#include "sim/simulator.h"
#include "soakoperator.h"

#include <QElapsedTimer>
#include <QMap>
#include <QRandomGenerator>

#include <atomic>
#include <optional>

namespace ktv31::soak {

struct SoakOptions
{
    int exchanges = 10000;
    quint32 seed = 1;
    int speed = 115200;
    bool verbose = false; // the simulator's log of every mismatch, figures by fault kind
};

// The figures, read by the watchdog's thread too when an exchange is stuck.
struct SoakTally
{
    std::atomic<int> exchanges{0};
    std::atomic<int> faults{0};
    std::atomic<int> mismatches{0};
    std::atomic<int> hangs{0};
};

// "N exchanges, F faults injected, M mismatches, H hangs, RSS growth K KB"
QString SummaryLine(const SoakTally &tally, qint64 residentGrowthKb);

class SoakRun final : public ExchangeObserver
{
public:
    SoakRun(const SoakOptions &options, SoakTally &tally);
    ~SoakRun() override;
    SoakRun(const SoakRun &) = delete;
    SoakRun &operator=(const SoakRun &) = delete;

    // Starts the simulator and opens its line; false with the reason when either fails.
    bool start(QString *error);
    // Runs operations until the count of exchanges is reached; false with the reason when the
    // line could not be opened again after the controller dropped it.
    bool run(QString *error);

    // Resident memory now less what it was after the first thousand exchanges (or half of a
    // shorter run); 0 where it is not measured.
    qint64 residentGrowthKb() const;
    // Faults injected by kind, operations run, seconds taken.
    QString figuresByKind() const;

    void exchangeStarted() override;
    void exchangeFinished() override;

private:
    enum class Operation
    {
        Identify,
        ReadConfiguration,
        ReadTableState,
        WriteChanged,
        WriteSelected
    };

    struct RunningExchange
    {
        std::optional<PlannedFault> fault;
        int attempts = 1;
        bool read = true;
        QByteArray request; // the table request's data: which fields, and a write's values
        qint64 startNs = 0;
        qint64 deadlineNs = 0;
    };

    bool connect(QString *error);
    bool lineDropped() const;
    Operation chooseOperation(int remaining);
    void runOperation(Operation operation);
    // The operations run without the closing pause: the soak measures exchanges, not settling.
    TransferContext transferContext();
    bool identify();
    bool readConfiguration();
    bool readTableState();
    bool writeChanged();
    bool writeSelected();
    void followController(bool written);
    void checkOperation(bool succeeded, int messagesBefore);
    void checkResult();
    void checkArrivalRead(Result result);
    void askedAndGaveUp();
    void checkSameAsController(int offset, int size, const QString &what);
    void mismatch(const QString &what);
    void noteResidentBase();
    [[noreturn]] void stuck();

    SoakOptions options_;
    SoakTally &tally_;
    QRandomGenerator random_;
    sim::Simulator sim_;
    SoakOperator operator_;
    ConnectionSettings settings_;
    ExchangeSession session_;
    ConfigImage image_;
    PortPtr port_;
    QString linePath_;
    HangWatchdog watchdog_;

    Operation operation_ = Operation::Identify;
    RunningExchange exchange_;
    int expectedMessages_ = 0;
    bool gaveUp_ = false;
    // A write that failed without a refusal is read back before anyone is asked: its request,
    // while the reads that follow it are that check.
    std::optional<QByteArray> arrivalCheck_;

    std::atomic<qint64> residentBaseKb_{-1}; // read by stuck() on the watchdog's thread
    QMap<QString, int> faultsByKind_;
    int operations_ = 0;
    QElapsedTimer elapsed_;
};

} // namespace ktv31::soak
