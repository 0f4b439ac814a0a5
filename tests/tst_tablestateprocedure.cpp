// The table-state procedure against the simulated controller, with a scripted view and review.
#include "config/recordconversion.h"
#include "protocol/controllercodes.h"
#include "service/tablestateprocedure.h"
#include "shell/operation.h"
#include "support/servicerig.h"

#include <QtTest>

#include <functional>
#include <memory>

using namespace ktv31;
using namespace ktv31::sim;

namespace {

using Request = test::SeenRequest;

class ScriptedSeam : public TableStateSeam
{
public:
    TableStateChoice choice = TableStateChoice::None;
    QList<int> ticked;
    bool acceptReview = true;
    std::function<void(ConfigRecord &)> edit;
    int reviews = 0;
    bool operationRunningInView = false;

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
};

struct Rig : test::ServiceRig
{
    ScriptedSeam seam;
    QString file;

    bool start(QList<int> destroyed)
    {
        SimOptions options;
        options.destroyedTables = std::move(destroyed);
        if (!ServiceRig::start(options) || !connect())
            return false;
        // The file to write from: generation 5, another modem string than the controller's.
        ConfigRecord record;
        NewConfigRecord(record, 5);
        record.setU8(RecordOffset::LinkParameters, quint8(SpeedToCode(settings.Speed())));
        record.setSlice(RecordOffset::ModemString, 7, QByteArray("ATS0=1\r"));
        file = writeFile(QStringLiteral("station.cnf"), record);
        forget();
        return !file.isEmpty();
    }
    void run()
    {
        op.queueOpenFile(file);
        RunTableStateProcedure(*service, seam);
    }
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
    void fileValueTheEditorCannotShowIsNamed();
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
        QVERIFY(rig.op.waits.isEmpty());
        return;
    }
    QCOMPARE(rig.op.waits, QList<WaitKind>{WaitKind::WritingTables});
    QVERIFY(!rig.op.waitOpen);
    QCOMPARE(rig.op.busyDepth, 0);
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

// RTS 200 has no item in the editor's list: the file is refused naming the field and the value
// before the editor would have said only that not everything was entered.
void TestTableStateProcedure::fileValueTheEditorCannotShowIsNamed()
{
    Rig rig;
    QVERIFY(rig.start({3}));
    ConfigRecord record;
    NewConfigRecord(record, 5);
    record.setU8(LinkFieldOffset::RtsControl, 200);
    rig.file = rig.writeFile(QStringLiteral("bad.cnf"), record);
    rig.seam.choice = TableStateChoice::All;
    rig.run();
    QCOMPARE(rig.seam.reviews, 0);
    QVERIFY(rig.writes().isEmpty());
    const auto notices = rig.op.messagesOfKind(MessageBoxKind::Notice);
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].line2.contains(QStringLiteral("= 200, допустимо 0...1")),
             qPrintable(notices[0].line2));
}

QTEST_GUILESS_MAIN(TestTableStateProcedure)
#include "tst_tablestateprocedure.moc"
