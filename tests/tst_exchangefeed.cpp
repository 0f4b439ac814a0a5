// Tests of the live feed of exchange lines: what a monitor receives, and when, with or without a
// log file.
#include "protocol/exchangeengine.h"
#include "shell/exchangefeed.h"
#include "shell/exchangelog.h"
#include "shell/virtualclock.h"
#include "support/scriptedport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using namespace ktv31;
using ktv31::test::Chunk;
using ktv31::test::ScriptedPort;

namespace {

const QByteArray kIdentRead = QByteArray::fromHex("000011000000");

QByteArray IdentAnswer()
{
    FrameBuffer frame{};
    const QByteArray data =
        QByteArray::fromHex("000011") + QByteArray::fromHex("0008010519020304050601000000010203");
    frame[FrameOffset::Start] = AnswerStartSymbol;
    frame[FrameOffset::Function] = 29 | AnswerFunctionFlag;
    std::copy(data.begin(), data.end(), frame.begin() + FrameOffset::Data);
    const int length = int(data.size()) + MinFrameLength;
    SealFrame(frame, length);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), length);
}

struct Received
{
    ExchangeLine line;
    bool duringExchange;
};

} // namespace

class TestExchangeFeed : public QObject
{
    Q_OBJECT

private slots:
    void linesArriveWhileTheExchangeRuns_data();
    void linesArriveWhileTheExchangeRuns();
    void aConsumerThatFallsBehindLosesTheOldestLines();
    void linesFromOtherThreadsAllArriveInOrder();
};

void TestExchangeFeed::linesArriveWhileTheExchangeRuns_data()
{
    QTest::addColumn<bool>("withLogFile");
    QTest::newRow("no log kept") << false;
    QTest::newRow("beside the log file") << true;
}

// The request reaches the subscriber while the exchange still waits for the answer; then the
// answer and the result, the same lines (time included) that the log file gets.
void TestExchangeFeed::linesArriveWhileTheExchangeRuns()
{
    QFETCH(bool, withLogFile);
    VirtualClock clock;
    ClockScope scope(clock);
    QTemporaryDir dir;
    std::unique_ptr<ExchangeLog> log;
    if (withLogFile)
        log = StartExchangeLog(dir.filePath(QStringLiteral("exchange.log")));
    QCOMPARE(CurrentExchangeLog() != nullptr, withLogFile);

    ScriptedPort port;
    const QByteArray answer = IdentAnswer();
    port.setScript([&answer](int, const QByteArray &) {
        QList<Chunk> chunks;
        for (int i = 0; i < answer.size(); ++i)
            chunks.append({5 + i, answer.mid(i, 1)});
        return chunks;
    });
    ExchangeSession session;
    InitExchangeSession(session, 0);
    session.PortHandle = &port;
    session.Speed = 115200;
    session.Attempts = 1;

    ExchangeFeed feed;
    QList<Received> received;
    connect(&feed, &ExchangeFeed::linesWaiting, this, [&] {
        for (ExchangeLine &line : feed.takeLines().lines)
            received.append({std::move(line), ExchangeRunning(session)});
    });
    QVERIFY(Exchange(session, 29, reinterpret_cast<const quint8 *>(kIdentRead.constData()),
                     int(kIdentRead.size()), 0));
    QVERIFY(received.size() >= 1);
    QVERIFY2(received.front().duringExchange, "the request arrived only after the exchange");
    clock.processPending();

    QCOMPARE(received.size(), 3);
    QCOMPARE(received[0].line.kind, LogLineKind::Sent);
    QCOMPARE(received[0].line.bytes, port.writes().front());
    QCOMPARE(received[1].line.kind, LogLineKind::Received);
    QCOMPARE(received[1].line.bytes, answer);
    QCOMPARE(received[2].line.kind, LogLineKind::Result);
    QCOMPARE(received[2].line.text, ComposeResultText(session));
    if (!withLogFile)
        return;
    log->flush();
    QFile file(log->path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<ExchangeLine> logged;
    for (const QByteArray &text : file.readAll().split('\n'))
        if (const auto line = ExchangeLog::ParseLine(text); line && line->kind != LogLineKind::Note)
            logged.append(*line);
    QCOMPARE(logged.size(), received.size());
    for (int i = 0; i < logged.size(); ++i)
        QCOMPARE(logged[i], received[i].line);
}

// Nothing ever holds the publisher: a consumer that does not take keeps only the newest lines,
// is told how many it lost, and is notified once until it takes.
void TestExchangeFeed::aConsumerThatFallsBehindLosesTheOldestLines()
{
    SetExchangeLog(nullptr);
    auto feed = std::make_unique<ExchangeFeed>(3);
    int notices = 0;
    connect(feed.get(), &ExchangeFeed::linesWaiting, this, [&notices] { ++notices; });
    QVERIFY(ExchangeLinesWanted());
    for (int i = 0; i < 5; ++i)
        PublishExchangeLine(LogLineKind::Note, QString::number(i));
    QCOMPARE(notices, 0); // posted, never run inside the publisher's call
    QCoreApplication::processEvents();
    QCOMPARE(notices, 1);

    ExchangeFeed::Batch batch = feed->takeLines();
    QCOMPARE(batch.lost, 2);
    QStringList texts;
    for (const ExchangeLine &line : batch.lines)
        texts << line.text;
    QCOMPARE(texts, (QStringList{"2", "3", "4"}));
    QVERIFY(feed->takeLines().lines.empty());

    PublishExchangeLine(LogLineKind::ModemCommand, QByteArray("ATZ\r"));
    QCoreApplication::processEvents();
    QCOMPARE(notices, 2);
    batch = feed->takeLines();
    QCOMPARE(batch.lost, 0);
    QCOMPARE(batch.lines.size(), size_t(1));
    QCOMPARE(batch.lines.front().bytes, QByteArray("ATZ\r"));

    feed.reset();
    QVERIFY(!ExchangeLinesWanted());
}

void TestExchangeFeed::linesFromOtherThreadsAllArriveInOrder()
{
    SetExchangeLog(nullptr);
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 2000;
    ExchangeFeed feed(kThreads * kLinesEach);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(QThread::create([t] {
            for (int i = 0; i < kLinesEach; ++i)
                PublishExchangeLine(LogLineKind::Note, QStringLiteral("%1 %2").arg(t).arg(i));
        }));
        threads.back()->start();
    }
    std::vector<int> next(kThreads, 0);
    int total = 0;
    QDeadlineTimer guard(60000);
    while (total < kThreads * kLinesEach && !guard.hasExpired()) {
        const ExchangeFeed::Batch batch = feed.takeLines();
        QCOMPARE(batch.lost, 0);
        for (const ExchangeLine &line : batch.lines) {
            const int thread = line.text.section(u' ', 0, 0).toInt();
            QCOMPARE(line.text.section(u' ', 1, 1).toInt(), next[size_t(thread)]);
            ++next[size_t(thread)];
            ++total;
        }
    }
    for (const auto &thread : threads)
        QVERIFY(thread->wait());
    QCOMPARE(total, kThreads * kLinesEach);
}

QTEST_GUILESS_MAIN(TestExchangeFeed)
#include "tst_exchangefeed.moc"
