// Speed detection over a scripted controller that answers at one speed only, on a virtual clock.
#include "config/tablerequest.h"
#include "connection/speeddetect.h"
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "protocol/framing.h"
#include "shell/monoclock.h"
#include "shell/virtualclock.h"
#include "sim/answerframe.h"
#include "support/scriptedoperator.h"
#include "support/scriptedport.h"

#include <QtTest>

using namespace ktv31;
using ktv31::test::Chunk;
using ktv31::test::PortEvent;
using ktv31::test::ScriptedOperator;
using ktv31::test::ScriptedPort;

class TestSpeedDetect : public QObject
{
    Q_OBJECT
    // A silent line costs every probe its whole first-byte wait: 21 of them take no time here.
    VirtualClock clock_;
    ClockScope useClock_{clock_};

private slots:
    void probesAscendingUntilAnAnswer_data();
    void probesAscendingUntilAnAnswer();
};

void TestSpeedDetect::probesAscendingUntilAnAnswer_data()
{
    QTest::addColumn<int>("controllerSpeed"); // 0: silent
    QTest::addColumn<int>("found");
    QTest::newRow("600, the first probe") << 600 << 600;
    QTest::newRow("9600") << 9600 << 9600;
    QTest::newRow("230400, the last probe") << 230400 << 230400;
    QTest::newRow("300 is never probed") << 300 << 0;
    QTest::newRow("silent") << 0 << 0;
}

void TestSpeedDetect::probesAscendingUntilAnAnswer()
{
    QFETCH(int, controllerSpeed);
    QFETCH(int, found);
    const QByteArray ident = sim::AnswerFrame(
        0, TableFunctionCode | AnswerFunctionFlag,
        QByteArray::fromHex("000011") + QByteArray::fromHex("0008010519020304050601000000010203"));
    ScriptedPort port;
    port.setScript([&](int, const QByteArray &) {
        return port.speed() == controllerSpeed ? QList<Chunk>{{5, ident}} : QList<Chunk>{};
    });
    ExchangeSession session;
    InitExchangeSession(session, 0);
    session.PortHandle = &port;
    session.Attempts = 3;
    session.FirstByteWaitMs = 2000;
    ScriptedOperator op;
    const qint64 start = NowNs();

    QCOMPARE(DetectSpeed(session, StatusPanel{&op, 0}), found);

    // One attempt per speed, from code 1 upwards, each shown before its probe.
    QList<int> probed;
    for (const PortEvent &e : port.events())
        if (e.kind == PortEvent::Speed)
            probed.append(e.value);
    const int probes = found ? SpeedToCode(found) : SpeedCodeCount - 1;
    QCOMPARE(probed.size(), probes);
    QStringList shown;
    for (int code = 1; code <= probes; ++code) {
        QCOMPARE(probed[code - 1], CodeToSpeed(code));
        shown.append(QStringLiteral("Скорость обмена:  %1").arg(CodeToSpeed(code)));
    }
    QCOMPARE(port.writes().size(), probes);
    QCOMPARE(op.statusTexts(0), shown);
    // The speed that answered stays shown for its message; nothing stays when none did.
    QCOMPARE(op.currentStatus(0), found ? shown.last() : QString());
    // Every probe that found nothing waited the probe's first-byte wait, not the session's; the
    // requests themselves take under half a second on the line all together.
    const qint64 silentWaits = (found ? probes - 1 : probes) * MsToNs(ProbeFirstByteWaitMs);
    const qint64 elapsed = NowNs() - start;
    QVERIFY2(elapsed >= silentWaits && elapsed < silentWaits + MsToNs(1000),
             qPrintable(QString::number(elapsed)));
    QCOMPARE(session.FirstByteWaitMs, ProbeFirstByteWaitMs);
    QCOMPARE(session.NextByteWaitMs, ProbeNextByteWaitMs);
    QCOMPARE(session.Attempts, quint8(1));
}

QTEST_GUILESS_MAIN(TestSpeedDetect)
#include "tst_speeddetect.moc"
