// The exchange engine over a real pseudo-terminal: a whole exchange, speed changes, a vanishing
// line.
#include "link/comportfunctions.h"
#include "link/serialport.h"
#include "protocol/exchangeengine.h"
#include "shell/monoclock.h"
#include "support/cputime.h"
#include "support/ptypair.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

using namespace ktv31;
using ktv31::test::PtyPair;

namespace {

QByteArray IdentAnswer()
{
    FrameBuffer frame{};
    const QByteArray data =
        QByteArray::fromHex("000011") + QByteArray::fromHex("0008010519020304050601000000010203");
    frame[0] = AnswerStartSymbol;
    frame[3] = 29 | AnswerFunctionFlag;
    std::copy(data.begin(), data.end(), frame.begin() + 4);
    SealFrame(frame, int(data.size()) + 6);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), int(data.size()) + 6);
}

// Plays the controller on the master side, inside the engine's own event loop.
class Responder : public QObject
{
public:
    enum Mode
    {
        Answer,
        Silent,
        HalfThenVanish
    };

    Responder(PtyPair &pty, Mode mode) : pty_(pty), mode_(mode)
    {
        notifier_ = new QSocketNotifier(pty.masterFd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { onReadable(); });
    }
    int requests = 0;
    int lineSpeedSeen = 0;

private:
    void onReadable()
    {
        char buffer[256];
        const ssize_t n = ::read(pty_.masterFd(), buffer, sizeof buffer);
        if (n <= 0)
            return;
        pending_.append(buffer, int(n));
        if (pending_.size() < 12)
            return;
        pending_.clear();
        ++requests;
        lineSpeedSeen = pty_.masterLineSpeed();
        const QByteArray answer = IdentAnswer();
        if (mode_ == Answer)
            pty_.writeMaster(answer);
        if (mode_ == HalfThenVanish) {
            pty_.writeMaster(answer.left(10));
            QTimer::singleShot(50, this, [this] {
                notifier_->setEnabled(false);
                pty_.closeMaster();
            });
        }
    }

    PtyPair &pty_;
    Mode mode_;
    QSocketNotifier *notifier_;
    QByteArray pending_;
};

struct Line
{
    PtyPair pty;
    PortPtr port;
    ExchangeSession session;

    explicit Line(int speed)
    {
        port = test::OpenLine(pty.slavePath(), speed);
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = speed;
        session.Attempts = 1;
    }
    bool readIdent()
    {
        const quint8 probe[6] = {0, 0, 17, 0, 0, 0};
        return Exchange(session, 29, probe, 6, 0);
    }
};

} // namespace

class TestExchangePty : public QObject
{
    Q_OBJECT
private slots:
    void completeExchangeAndSpeedChange();
    void silentControllerCostsNoCpu();
    void vanishingLineEndsPromptlyWithoutStorm();
};

void TestExchangePty::completeExchangeAndSpeedChange()
{
    Line line(9600);
    QVERIFY(line.port);
    Responder responder(line.pty, Responder::Answer);
    QVERIFY(line.readIdent());
    QCOMPARE(responder.lineSpeedSeen, 9600);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(line.session.RxBuffer.data()), 26),
             IdentAnswer());

    line.session.Speed = 7680; // a speed outside the usual termios list
    QVERIFY(line.readIdent());
    QCOMPARE(responder.lineSpeedSeen, 7680);
    QCOMPARE(responder.requests, 2);
}

void TestExchangePty::silentControllerCostsNoCpu()
{
    Line line(19200);
    Responder responder(line.pty, Responder::Silent);
    line.session.FirstByteWaitMs = 1000;
    const qint64 cpuBefore = test::CpuTimeUs();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!line.readIdent());
    QCOMPARE(line.session.ResultCode, Result::NoAnswer);
    QVERIFY(clock.elapsed() >= 1000);
    // Waiting a second for an answer must cost only a sliver of CPU (generous bound).
    QVERIFY2(test::CpuTimeUs() - cpuBefore < 100000,
             qPrintable(QString::number(test::CpuTimeUs() - cpuBefore)));
}

void TestExchangePty::vanishingLineEndsPromptlyWithoutStorm()
{
    Line line(9600);
    Responder responder(line.pty, Responder::HalfThenVanish);
    line.session.FirstByteWaitMs = 10000;
    line.session.NextByteWaitMs = 5000;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!line.readIdent());
    QCOMPARE(line.session.ResultCode, Result::LineLost);
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(line.port->isLost());

    const qint64 cpuBefore = test::CpuTimeUs();
    QTest::qWait(300);
    QVERIFY2(test::CpuTimeUs() - cpuBefore < 100000, "the lost line keeps the CPU busy");
    QVERIFY(!line.readIdent());
    QCOMPARE(line.session.ResultCode, Result::LineLost);
}

QTEST_GUILESS_MAIN(TestExchangePty)
#include "tst_exchangepty.moc"
