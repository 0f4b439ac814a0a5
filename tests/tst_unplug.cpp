// The far side of the line vanishing while the engine waits for an answer, and a replugged line.
#include "config/tablerequest.h"
#include "link/comportfunctions.h"
#include "protocol/exchangeengine.h"
#include "shell/monoclock.h"
#include "support/cputime.h"
#include "support/ptypair.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

#include <memory>

using namespace ktv31;
using ktv31::test::PtyPair;

namespace {

constexpr int kSpeed = 19200;
constexpr int kRequestLength = 12;
constexpr int kUnplugAfterMs = 200;
constexpr qint64 kPromptEndNs = MsToNs(500);
constexpr int kIdleWindowMs = 300;
// A storm of errors would burn the whole window; an idle port costs next to nothing.
constexpr qint64 kIdleCpuLimitUs = 60000;

QByteArray TableAnswer(const QByteArray &data)
{
    FrameBuffer frame{};
    frame[FrameOffset::Start] = AnswerStartSymbol;
    frame[FrameOffset::Function] = 29 | AnswerFunctionFlag;
    std::copy(data.begin(), data.end(), frame.begin() + FrameOffset::Data);
    const int length = int(data.size()) + MinFrameLength;
    SealFrame(frame, length);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), length);
}

// Answers every whole request on the master side, from the engine's own event loop.
class Answerer : public QObject
{
public:
    explicit Answerer(PtyPair &pty) : pty_(pty)
    {
        auto *notifier = new QSocketNotifier(pty.masterFd(), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    }
    int answered = 0;

private:
    void onReadable()
    {
        char buffer[256];
        const ssize_t n = ::read(pty_.masterFd(), buffer, sizeof buffer);
        if (n > 0)
            pending_.append(buffer, int(n));
        if (pending_.size() < kRequestLength)
            return;
        pending_.clear();
        ++answered;
        pty_.writeMaster(TableAnswer(QByteArray::fromHex("000003"
                                                         "0a0b0c")));
    }

    PtyPair &pty_;
    QByteArray pending_;
};

struct Line
{
    PtyPair pty;
    PortPtr port = test::OpenLine(pty.slavePath(), kSpeed);
};

bool ReadThreeFields(ExchangeSession &session)
{
    const quint8 request[6] = {0, 0, 3, 0, 0, 0};
    return Exchange(session, 29, request, 6, 0);
}

} // namespace

class TestUnplug : public QObject
{
    Q_OBJECT
private slots:
    void farSideClosesDuringFirstByteWait_data();
    void farSideClosesDuringFirstByteWait();
};

void TestUnplug::farSideClosesDuringFirstByteWait_data()
{
    QTest::addColumn<int>("attempts");
    QTest::addColumn<Result>("result");
    QTest::newRow("one attempt: the read fails") << 1 << Result::LineLost;
    // Further attempts find the port gone and fail at once on the write.
    QTest::newRow("three attempts: no further wait") << 3 << Result::LineLost;
}

void TestUnplug::farSideClosesDuringFirstByteWait()
{
    QFETCH(int, attempts);
    QFETCH(Result, result);

    auto line = std::make_unique<Line>();
    QVERIFY(line->port);
    ExchangeSession session;
    InitExchangeSession(session, 0);
    session.PortHandle = line->port.get();
    session.Speed = kSpeed;
    session.FirstByteWaitMs = 10000;
    session.Attempts = quint8(attempts);

    qint64 unpluggedAt = 0;
    QTimer::singleShot(kUnplugAfterMs, [&] {
        line->pty.closeMaster();
        unpluggedAt = NowNs();
    });
    QVERIFY(!ReadThreeFields(session));
    const qint64 endedAt = NowNs();
    QVERIFY2(unpluggedAt != 0, "the exchange ended before the line was unplugged");
    QCOMPARE(session.ResultCode, result);
    QVERIFY2(endedAt - unpluggedAt < kPromptEndNs,
             qPrintable(QStringLiteral("ended %1 ms after the unplug")
                            .arg(double(endedAt - unpluggedAt) / 1e6)));
    QVERIFY(line->port->isLost());

    const qint64 cpuBefore = test::CpuTimeUs();
    QTest::qWait(kIdleWindowMs);
    const qint64 idleCpu = test::CpuTimeUs() - cpuBefore;
    QVERIFY2(idleCpu < kIdleCpuLimitUs,
             qPrintable(QStringLiteral("%1 us of CPU in %2 ms after the unplug")
                            .arg(idleCpu)
                            .arg(kIdleWindowMs)));

    // The adapter comes back: the line is opened anew and the same session talks over it.
    auto replugged = std::make_unique<Line>();
    QVERIFY(replugged->port);
    Answerer answerer(replugged->pty);
    line.reset();
    session.PortHandle = replugged->port.get();
    QVERIFY2(ReadThreeFields(session), qPrintable(ResultText(session)));
    QCOMPARE(answerer.answered, 1);
    QCOMPARE(session.RxBuffer[TableAnswerOffset::Data], quint8(0x0a));
}

QTEST_GUILESS_MAIN(TestUnplug)
#include "tst_unplug.moc"
