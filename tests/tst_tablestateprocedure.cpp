// The table-state procedure against the simulated controller, with a scripted view and review.
#include "config/conffun.h"
#include "config/configfile.h"
#include "config/tablestateprocedure.h"
#include "config/tabletransfer.h"
#include "protocol/plcbox.h"
#include "protocol/suplfunc.h"
#include "shell/operation.h"
#include "shell/settings.h"
#include "sim/simulator.h"
#include "support/ptypair.h"
#include "support/scriptedoperator.h"
#include "support/simrequests.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace ktv31;
using namespace ktv31::sim;

namespace {

constexpr int kSpeed = 115200;

using Request = test::SeenRequest;

class ScriptedSeam : public TableStateSeam
{
public:
    TableStateChoice choice = TableStateChoice::None;
    QList<int> ticked;
    bool acceptReview = true;
    std::function<void(ConfigRecord &)> edit;
    int reviews = 0;
    int writeDialogs = 0;
    bool writeDialogOpen = false;
    bool operationRunningInView = false;
    CountingProgress progress;

    TableStateChoice ShowTableState(TableStateBuffer &state) override
    {
        operationRunningInView = OperationRunning();
        if (choice == TableStateChoice::Ticked)
            ChooseTickedTables(state, ticked);
        if (choice == TableStateChoice::All)
            ChooseAllTables(state);
        return choice;
    }
    bool ReviewRecord(ConfigRecord &record, bool &changed) override
    {
        ++reviews;
        const ConfigRecord before = record;
        if (edit)
            edit(record);
        changed = record.toBytes() != before.toBytes();
        return acceptReview;
    }
    ProgressSink &BeginWrite() override
    {
        ++writeDialogs;
        writeDialogOpen = true;
        return progress;
    }
    void EndWrite() override { writeDialogOpen = false; }
    void SetBusy(bool) override {}
    void ArmStatusTimer() override {}
    void UpdateMenus() override {}
};

struct Rig
{
    QTemporaryDir dir;
    std::unique_ptr<Simulator> sim;
    PortPtr port;
    ExchangeSession session;
    ConfigImage image;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    test::ScriptedOperator op;
    TransferContext context{session, image, settings, op, 0};
    ConfigFileContext files;
    ScriptedSeam seam;
    QString file;

    bool start(QList<int> destroyed)
    {
        SimOptions options;
        options.speed = kSpeed;
        options.destroyedTables = std::move(destroyed);
        sim = std::make_unique<Simulator>(options);
        if (!sim->start())
            return false;
        port = test::OpenLine(sim->devicePath(), kSpeed);
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = kSpeed;
        settings.setSpeed(kSpeed);
        session.Attempts = 1;
        session.FirstByteWaitMs = 300;
        files.programDir = dir.path() + QLatin1Char('/');
        // The file to write from: generation 5, another modem string than the controller's.
        ConfigRecord record;
        NewConfigRecord(record, 5);
        record.setU8(RecordOffset::LinkParameters, quint8(SpeedToCode(kSpeed)));
        record.setSlice(RecordOffset::ModemString, 7, QByteArray("ATS0=1\r"));
        file = dir.filePath(QStringLiteral("station.cnf"));
        return port && WriteConfigFile(file, record) == ConfigFileError::None;
    }
    void run()
    {
        op.queueOpenFile(file);
        RunTableStateProcedure(context, files, seam);
    }
    QList<Request> requests() const { return test::RequestsSeen(*sim); }
    QList<Request> writes() const { return test::WritesSeen(*sim); }
};

} // namespace

Q_DECLARE_METATYPE(TableStateChoice)

class TestTableStateProcedure : public QObject
{
    Q_OBJECT
private slots:
    void writesOnlyWhatWasChosen_data();
    void writesOnlyWhatWasChosen();
    void stillDestroyedAfterWriting();
};

void TestTableStateProcedure::writesOnlyWhatWasChosen_data()
{
    QTest::addColumn<TableStateChoice>("choice");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<bool>("acceptReview");
    QTest::addColumn<QList<Request>>("written");
    QTest::newRow("table 5 ticked")
        << TableStateChoice::Ticked << QList<int>{5} << true << QList<Request>{{true, 5, 0, 1}};
    QTest::newRow("all tables") << TableStateChoice::All << QList<int>{} << true
                                << QList<Request>{{true, 3, 0, 8},
                                                  {true, 5, 0, 1},
                                                  {true, 6, 0, 243},
                                                  {true, 6, 243, 12}};
    QTest::newRow("review cancelled")
        << TableStateChoice::All << QList<int>{} << false << QList<Request>{};
    QTest::newRow("view left") << TableStateChoice::None << QList<int>{} << true
                               << QList<Request>{};
}

void TestTableStateProcedure::writesOnlyWhatWasChosen()
{
    QFETCH(TableStateChoice, choice);
    QFETCH(QList<int>, ticked);
    QFETCH(bool, acceptReview);
    QFETCH(QList<Request>, written);
    Rig rig;
    QVERIFY(rig.start({5}));
    rig.seam.choice = choice;
    rig.seam.ticked = ticked;
    rig.seam.acceptReview = acceptReview;
    rig.run();

    QVERIFY(rig.seam.operationRunningInView);
    QCOMPARE(rig.writes(), written);
    const QList<Request> all = rig.requests();
    QCOMPARE(all.first(), (Request{false, 7, 0, 8}));
    const bool fileAsked = choice != TableStateChoice::None;
    QCOMPARE(rig.op.openChoices.size(), fileAsked ? 1 : 0);
    QCOMPARE(rig.seam.reviews, fileAsked ? 1 : 0);
    if (fileAsked) // the review offers the speeds the controller reports
        QCOMPARE(all.value(1), (Request{false, 1, 0, 2}));
    if (written.isEmpty()) {
        QCOMPARE(rig.seam.writeDialogs, 0);
        return;
    }
    QCOMPARE(rig.seam.writeDialogs, 1);
    QVERIFY(!rig.seam.writeDialogOpen);
    // Written from the file, then the identification is read again.
    QCOMPARE(rig.sim->image().slice(ImageOffset::ModemString, 7), QByteArray("ATS0=1\r"));
    QCOMPARE(all.last(), (Request{false, 0, 0, 17}));
    QVERIFY(rig.op.messagesOfKind(MessageBoxKind::Notice).isEmpty());
}

void TestTableStateProcedure::stillDestroyedAfterWriting()
{
    Rig rig;
    QVERIFY(rig.start({3}));
    rig.seam.choice = TableStateChoice::Ticked;
    rig.seam.ticked = {5}; // table 3 stays as it was
    rig.run();
    QCOMPARE(rig.writes(), (QList<Request>{{true, 5, 0, 1}}));
    const auto notices = rig.op.messagesOfKind(MessageBoxKind::Notice);
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices[0].line1, QStringLiteral("Разрушена таблица 3"));
}

QTEST_GUILESS_MAIN(TestTableStateProcedure)
#include "tst_tablestateprocedure.moc"
