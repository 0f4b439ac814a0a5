// Exchange engine tests over the in-memory scripted port: frames, receiver rules, timing, retries.
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "shell/exchangefeed.h"
#include "shell/monoclock.h"
#include "shell/virtualclock.h"
#include "support/clockchoice.h"
#include "support/scriptedoperator.h"
#include "support/scriptedport.h"

#include <QtTest>

#include <optional>
#include <utility>

using namespace ktv31;
using ktv31::test::Chunk;
using ktv31::test::PortEvent;
using ktv31::test::ScriptedOperator;
using ktv31::test::ScriptedPort;

namespace {

const QByteArray kIdentRead = QByteArray::fromHex("000011000000");

QByteArray answerFrame(quint8 address, quint8 function, const QByteArray &data)
{
    FrameBuffer frame{};
    frame[0] = AnswerStartSymbol;
    frame[1] = address;
    frame[3] = function;
    std::copy(data.begin(), data.end(), frame.begin() + 4);
    const int length = int(data.size()) + 6;
    SealFrame(frame, length);
    return QByteArray(reinterpret_cast<const char *>(frame.data()), length);
}

QByteArray identAnswer()
{
    QByteArray data = QByteArray::fromHex("000011");
    data.append(QByteArray::fromHex("0008010519020304050601000000010203"));
    return answerFrame(0, 29 | 0x80, data);
}

QList<Chunk> whole(const QByteArray &bytes, int delayMs = 1)
{
    return {{delayMs, bytes}};
}

QList<Chunk> byteByByte(const QByteArray &bytes)
{
    QList<Chunk> chunks;
    for (int i = 0; i < bytes.size(); ++i)
        chunks.append({1 + i, bytes.mid(i, 1)});
    return chunks;
}

// When a wait ran out: the first-byte wait counts from the end of the request, the gap from the
// last byte that arrived.
qint64 TimedOutAfterNs(const ScriptedPort &port, Result result)
{
    qint64 from = 0;
    for (const PortEvent &e : port.events()) {
        if (result == Result::NoAnswer && e.kind == PortEvent::RtsOff)
            from = e.atNs;
        if (result == Result::AnswerIncomplete && e.kind == PortEvent::Arrive)
            from = e.atNs;
    }
    return NowNs() - from;
}

// Lateness allowed to a timeout on the machine's clock.
constexpr qint64 kRealMarginNs = MsToNs(25);

// What an exchange left: its answer, the bytes it wrote and what it traced.
struct LineOutcome
{
    bool ok = false;
    Result result = Result::Ok;
    QList<QByteArray> writes;
    QList<std::pair<LogLineKind, QByteArray>> trace;
    QByteArray rx;
    bool operator==(const LineOutcome &other) const
    {
        return ok == other.ok && result == other.result && writes == other.writes &&
               trace == other.trace && rx == other.rx;
    }
};

// An interrupted wait ended when it should: exactly on the virtual clock, soon after in real time.
bool EndedAt(qint64 elapsedNs, qint64 expectedNs, bool isVirtual)
{
    return isVirtual ? elapsedNs == expectedNs
                     : elapsedNs >= expectedNs && elapsedNs < expectedNs + kRealMarginNs;
}

struct Rig
{
    ScriptedPort port;
    ExchangeSession session;

    Rig()
    {
        InitExchangeSession(session, 0);
        session.PortHandle = &port;
        session.Speed = 115200;
        session.Attempts = 1;
        session.FirstByteWaitMs = 150;
        session.NextByteWaitMs = 40;
    }
    void answerAlways(const QList<Chunk> &chunks)
    {
        port.setScript([chunks](int, const QByteArray &) { return chunks; });
    }
    bool readIdent()
    {
        return Exchange(session, 29, reinterpret_cast<const quint8 *>(kIdentRead.constData()),
                        int(kIdentRead.size()), 0);
    }
    QByteArray rx(int length) const
    {
        return QByteArray(reinterpret_cast<const char *>(session.RxBuffer.data()), length);
    }
};

} // namespace

class TestExchangeEngine : public QObject
{
    Q_OBJECT
    // The scripted line lives in memory: its timing, and every wait of the engine, play out on a
    // virtual clock, exactly and at once.
    VirtualClock clock_;
    ClockScope useClock_{clock_};

private slots:
    void crcCheckValues_data();
    void crcCheckValues();
    void workedExampleFrame();
    void requestLayouts_data();
    void requestLayouts();
    void unknownFunctionSendsNothing();
    void answerReceiving_data();
    void answerReceiving();
    void splitAtEveryBoundary();
    void refusalTexts_data();
    void refusalTexts();
    void preamblesAndTransmissionTime();
    void retriesCountedExactly();
    void noPortFailsEveryAttempt();
    void writeRequestWaitsLongerAndRestores();
    void abortFlagStopsWaitingExchange_data() { bothClocks(); }
    void abortFlagStopsWaitingExchange();
    void lostPortEndsExchangePromptly_data() { bothClocks(); }
    void lostPortEndsExchangePromptly();
    void secondExchangeIsRefusedWhileOneRuns();
    void requestIdentifier();
    void staleBytesDoNotPoisonNextAttempt();
    void resultTextComposition();

private:
    static void bothClocks()
    {
        QTest::addColumn<bool>("isVirtual");
        QTest::newRow("virtual clock") << true;
        QTest::newRow("machine clock") << false;
    }
};

void TestExchangeEngine::crcCheckValues_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("crc");
    QTest::newRow("123456789") << QByteArray("123456789") << 0x4B37;
    QTest::newRow("abc") << QByteArray("abc") << 0x5749;
    QTest::newRow("empty") << QByteArray() << 0xFFFF;
}

void TestExchangeEngine::crcCheckValues()
{
    QFETCH(QByteArray, input);
    QFETCH(int, crc);
    QCOMPARE(int(Crc16(input)), crc);
}

void TestExchangeEngine::workedExampleFrame()
{
    Rig rig;
    rig.session.FirstByteWaitMs = 5;
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.port.writes().size(), 1);
    QCOMPARE(rig.port.writes().first(), QByteArray::fromHex("CC000C1D000011000000"
                                                            "7D6C"));
}

void TestExchangeEngine::requestLayouts_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("dataLength");
    QTest::addColumn<int>("frameLength");
    QTest::newRow("29 read") << 29 << 6 << 12;
    QTest::newRow("29 full write") << 29 << 249 << 255;
    QTest::newRow("29 too long") << 29 << 250 << 0;
    QTest::newRow("1") << 1 << 3 << 10;
    QTest::newRow("1 short data") << 1 << 2 << 0;
    QTest::newRow("2") << 2 << 5 << 28;
    QTest::newRow("7") << 7 << 7 << 13;
    QTest::newRow("8") << 8 << 15 << 21;
    QTest::newRow("9") << 9 << 12 << 34;
    QTest::newRow("11") << 11 << 8 << 30;
    QTest::newRow("12") << 12 << 2 << 24;
    QTest::newRow("25") << 25 << 0 << 22;
    QTest::newRow("3") << 3 << 0 << 0;
}

void TestExchangeEngine::requestLayouts()
{
    QFETCH(int, function);
    QFETCH(int, dataLength);
    QFETCH(int, frameLength);
    QByteArray data(qMax(dataLength, 1), '\x5A');
    const quint8 user[UserNameSize] = {'U', 'S', 'E', 'R', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    const quint8 pass[PasswordSize] = {'1', '2', '3', '4'};
    RequestParts parts{7,
                       quint8(function),
                       reinterpret_cast<const quint8 *>(data.constData()),
                       dataLength,
                       0xE1,
                       user,
                       pass};
    FrameBuffer tx{};
    QCOMPARE(BuildRequestFrame(parts, tx), frameLength);
    if (frameLength == 0)
        return;
    QCOMPARE(tx[0], RequestStartSymbol);
    QCOMPARE(int(tx[1]), 7);
    QCOMPARE(int(tx[2]), frameLength);
    QCOMPARE(int(tx[3]), function);
    QCOMPARE(int(Crc16(tx.data(), frameLength)), 0);
    const bool credentials = QList<int>{2, 9, 11, 12, 25}.contains(function);
    if (credentials) {
        QCOMPARE(tx[4], quint8('U'));
        QCOMPARE(tx[16], quint8('1'));
    }
    if (function == 1)
        QCOMPARE(int(tx[4]), 0xE1);
    if (function == 2)
        QCOMPARE(int(tx[20]), 0xE1);
}

void TestExchangeEngine::unknownFunctionSendsNothing()
{
    Rig rig;
    const quint8 data[6] = {};
    QVERIFY(!Exchange(rig.session, 3, data, 6, 0));
    QCOMPARE(rig.session.ResultCode, Result::BadFunctionCode);
    QVERIFY(rig.port.events().isEmpty());
}

void TestExchangeEngine::answerReceiving_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Result>("result");
    const QByteArray good = identAnswer();
    QByteArray corrupted = good;
    corrupted[10] = char(corrupted[10] ^ 0x01);
    QTest::newRow("clean answer") << good << Result::Ok;
    QTest::newRow("garbage before start")
        << QByteArray::fromHex("00FFCC1233") + QByteArray(1, 0x07) + good << Result::Ok;
    QTest::newRow("33 33 00 takes second start") << QByteArray(1, 0x33) + good << Result::Ok;
    QTest::newRow("33 05 restarts search") << QByteArray::fromHex("3305") + good << Result::Ok;
    QTest::newRow("length below 6 restarts") << QByteArray::fromHex("330005") + good << Result::Ok;
    QTest::newRow("one corrupted byte") << corrupted << Result::BadCrc;
    QTest::newRow("silence") << QByteArray() << Result::NoAnswer;
    QTest::newRow("garbage only") << QByteArray::fromHex("0102033301") << Result::NoAnswer;
    QTest::newRow("stall after start and address")
        << QByteArray::fromHex("3300") << Result::AnswerIncomplete;
    QTest::newRow("stall mid answer") << good.left(15) << Result::AnswerIncomplete;
    QTest::newRow("other address") << answerFrame(5, 29 | 0x80, kIdentRead) << Result::NoAnswer;
}

void TestExchangeEngine::answerReceiving()
{
    // Each line is played on the virtual clock and on the machine's: the same result, the same
    // bytes on the line and the same trace, the timeouts at their moment (exactly, or within a
    // margin in real time).
    QFETCH(QByteArray, line);
    QFETCH(Result, result);
    for (bool bytewise : {false, true}) {
        std::optional<LineOutcome> onVirtual;
        for (bool isVirtual : {true, false}) {
            test::ClockChoice choice(isVirtual);
            Rig rig;
            LineOutcome outcome;
            ExchangeLineWatch frames([&outcome](const ExchangeLine &seen) {
                if (seen.kind == LogLineKind::Sent || seen.kind == LogLineKind::Received)
                    outcome.trace.append({seen.kind, seen.bytes});
            });
            rig.answerAlways(line.isEmpty() ? QList<Chunk>{}
                             : bytewise     ? byteByByte(line)
                                            : whole(line));
            outcome.ok = rig.readIdent();
            outcome.result = rig.session.ResultCode;
            outcome.writes = rig.port.writes();
            outcome.rx = rig.rx(int(identAnswer().size()));
            QCOMPARE(outcome.ok, result == Result::Ok);
            QCOMPARE(outcome.result, result);
            if (result == Result::Ok)
                QCOMPARE(outcome.rx, identAnswer());
            if (result == Result::NoAnswer || result == Result::AnswerIncomplete) {
                const qint64 wait = MsToNs(result == Result::NoAnswer ? rig.session.FirstByteWaitMs
                                                                      : rig.session.NextByteWaitMs);
                const qint64 waited = TimedOutAfterNs(rig.port, result);
                const qint64 margin = isVirtual ? MsToNs(1) : kRealMarginNs;
                QVERIFY2(waited > wait && waited < wait + margin,
                         qPrintable(QString::number(waited)));
            }
            if (!onVirtual)
                onVirtual = outcome;
            else
                QVERIFY(outcome == *onVirtual);
        }
    }
}

void TestExchangeEngine::splitAtEveryBoundary()
{
    const QByteArray answer = identAnswer();
    for (int cut = 1; cut < answer.size(); ++cut) {
        Rig rig;
        rig.answerAlways({{1, answer.left(cut)}, {3, answer.mid(cut)}});
        QVERIFY2(rig.readIdent(), qPrintable(QString::number(cut)));
        QCOMPARE(rig.rx(int(answer.size())), answer);
    }
}

void TestExchangeEngine::refusalTexts_data()
{
    QTest::addColumn<QByteArray>("refusal");
    QTest::addColumn<Result>("result");
    QTest::addColumn<QString>("resultText");
    QTest::addColumn<QString>("reasonText");
    QTest::newRow("error 3") << QByteArray::fromHex("03") << Result::Refused
                             << "Команда 29.  Неправильный пароль на запись" << QString();
    QTest::newRow("error 70") << QByteArray::fromHex("46") << Result::Refused
                              << "Команда 29.  Код ошибки = 70" << QString();
    QTest::newRow("error 0") << QByteArray::fromHex("00") << Result::Refused
                             << "Команда 29.  Код ошибки = 0" << QString();
    QTest::newRow("error 12 no number")
        << QByteArray::fromHex("0C0005") << Result::Refused
        << "Команда 29.  Запись в таблицу не допускается" << QString();
    QTest::newRow("error 60 table 5") << QByteArray::fromHex("3C0005") << Result::Refused
                                      << "Команда 29.  Разрушена таблица 5" << QString();
    QTest::newRow("valve reason 5") << QByteArray::fromHex("180500") << Result::ValveRefused
                                    << "Команда 29.  Перестановка крана невозможна."
                                    << "Обрыв цепи концевого выключателя  (\"Закрыто\")";
    QTest::newRow("valve reason 49") << QByteArray::fromHex("183106") << Result::ValveRefused
                                     << "Команда 29.  Перестановка крана невозможна."
                                     << "Разрушена таблица";
    QTest::newRow("valve reason 60") << QByteArray::fromHex("183C00") << Result::ValveRefused
                                     << "Команда 29.  Перестановка крана невозможна."
                                     << "Код причины в ответе 60";
}

void TestExchangeEngine::refusalTexts()
{
    QFETCH(QByteArray, refusal);
    QFETCH(Result, result);
    QFETCH(QString, resultText);
    QFETCH(QString, reasonText);
    Rig rig;
    rig.answerAlways(whole(answerFrame(0, 29, refusal)));
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.session.ResultCode, result);
    QCOMPARE(ResultText(rig.session), resultText);
    if (!reasonText.isEmpty())
        QCOMPARE(rig.session.Messages.result(Result::ReasonText), reasonText);
}

void TestExchangeEngine::preamblesAndTransmissionTime()
{
    Rig rig;
    rig.session.PreambleCount = 3;
    rig.session.Speed = 1200;
    rig.answerAlways(whole(identAnswer()));
    QVERIFY(rig.readIdent());
    const QByteArray sent = rig.port.writes().first();
    QCOMPARE(sent.left(4), QByteArray::fromHex("FFFFFFCC"));
    QCOMPARE(int(sent[5]), 12);
    qint64 writeAt = 0, rtsOffAt = 0;
    for (const PortEvent &e : rig.port.events()) {
        if (e.kind == PortEvent::Write)
            writeAt = e.atNs;
        if (e.kind == PortEvent::RtsOff && writeAt)
            rtsOffAt = e.atNs;
    }
    // 3 preambles + 12 frame bytes + 1, ten bits each at 1200 bit/s.
    const qint64 transmission = MsToNs(16 * 10 * 1000 / 1200);
    QVERIFY(rtsOffAt - writeAt >= transmission - MsToNs(1));
    QVERIFY(rtsOffAt - writeAt < transmission + MsToNs(1));
    // The request leaves the RTS pause after it is raised.
    const auto firstAt = [&](PortEvent::Kind kind) {
        for (const PortEvent &e : rig.port.events())
            if (e.kind == kind)
                return e.atNs;
        return qint64(0);
    };
    const qint64 pause = firstAt(PortEvent::Write) - firstAt(PortEvent::RtsOn);
    QVERIFY(pause >= MsToNs(rig.session.RtsPauseMs) && pause < MsToNs(rig.session.RtsPauseMs + 1));
}

void TestExchangeEngine::retriesCountedExactly()
{
    Rig rig;
    rig.session.Attempts = 3;
    rig.session.FirstByteWaitMs = 20;
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.port.writes().size(), 3);
    QCOMPARE(rig.session.ResultCode, Result::NoAnswer);

    Rig second;
    second.session.Attempts = 3;
    second.session.FirstByteWaitMs = 20;
    second.port.setScript([](int index, const QByteArray &) {
        return index == 1 ? whole(identAnswer()) : QList<Chunk>{};
    });
    QVERIFY(second.readIdent());
    QCOMPARE(second.port.writes().size(), 2);
}

void TestExchangeEngine::noPortFailsEveryAttempt()
{
    Rig rig;
    rig.session.PortHandle = nullptr;
    rig.session.Attempts = 3;
    rig.session.FirstByteWaitMs = 2000;
    const qint64 start = NowNs();
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.session.ResultCode, Result::LineLost);
    QCOMPARE(NowNs(), start);

    Rig failing;
    failing.port.setWriteFails(true);
    failing.session.Attempts = 2;
    QVERIFY(!failing.readIdent());
    QCOMPARE(failing.session.ResultCode, Result::WriteFailed);
}

void TestExchangeEngine::writeRequestWaitsLongerAndRestores()
{
    const QByteArray write = QByteArray::fromHex("000000050001") + QByteArray(1, 'x');
    const QByteArray answer = answerFrame(0, 29 | 0x80, QByteArray::fromHex("050001"));
    for (bool isWrite : {true, false}) {
        Rig rig;
        rig.session.FirstByteWaitMs = 20;
        rig.answerAlways(whole(answer, 150));
        const QByteArray data = isWrite ? write : QByteArray::fromHex("050001000000");
        const bool ok =
            Exchange(rig.session, 29, reinterpret_cast<const quint8 *>(data.constData()),
                     int(data.size()), 0);
        QCOMPARE(ok, isWrite);
        QCOMPARE(rig.session.FirstByteWaitMs, 20);
    }
}

void TestExchangeEngine::abortFlagStopsWaitingExchange()
{
    QFETCH(bool, isVirtual);
    test::ClockChoice choice(isVirtual);
    Rig rig;
    rig.session.FirstByteWaitMs = 10000;
    RunAfter(30, nullptr, [&rig] { RequestAbort(rig.session); });
    const qint64 start = NowNs();
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.session.ResultCode, Result::Aborted);
    QVERIFY(!rig.session.abortPending());
    QVERIFY(EndedAt(NowNs() - start, MsToNs(30), isVirtual));

    // A flag raised between exchanges stops the next transaction before anything is sent.
    Rig idle;
    RequestAbort(idle.session);
    QVERIFY(!idle.readIdent());
    QCOMPARE(idle.session.ResultCode, Result::Aborted);
    QVERIFY(idle.port.writes().isEmpty());
}

void TestExchangeEngine::lostPortEndsExchangePromptly()
{
    QFETCH(bool, isVirtual);
    test::ClockChoice choice(isVirtual);
    Rig rig;
    rig.session.FirstByteWaitMs = 10000;
    rig.session.Attempts = 1;
    RunAfter(30, &rig.port, [&rig] { rig.port.loseDevice(); });
    const qint64 start = NowNs();
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.session.ResultCode, Result::LineLost);
    QVERIFY(EndedAt(NowNs() - start, MsToNs(30), isVirtual));
    QVERIFY(!rig.readIdent());
    QCOMPARE(rig.session.ResultCode, Result::LineLost);
}

void TestExchangeEngine::secondExchangeIsRefusedWhileOneRuns()
{
    Rig rig;
    rig.answerAlways(whole(identAnswer(), 5));
    // The second exchange comes from a timer that fires while the first pumps the events after
    // its answer (when the activity panel is cleared), the worst moment for a shared session.
    ScriptedOperator op;
    rig.session.StatusPanel = StatusPanel{&op, 2};
    std::optional<Result> nestedCode;
    op.onStatusText = [&](int, const QString &text) {
        if (text.isEmpty() && !nestedCode)
            RunAfter(0, nullptr, [&] {
                nestedCode =
                    RunExchange(rig.session, 29,
                                reinterpret_cast<const quint8 *>(kIdentRead.constData()), 6, 0);
            });
    };
    QVERIFY(rig.readIdent());
    QCOMPARE(nestedCode, std::optional(Result::Busy));
    QCOMPARE(rig.session.ResultCode, Result::Ok);
    QCOMPARE(rig.rx(26), identAnswer());
    QCOMPARE(rig.port.writes().size(), 1);
}

void TestExchangeEngine::requestIdentifier()
{
    const QByteArray data = QByteArray::fromHex("0102030400") + QByteArray(10, '\0');
    auto answerWithId = [](int id) {
        QByteArray body = QByteArray::fromHex("0000");
        body.append(char(id << 6));
        return answerFrame(0, 8 | 0x80, body);
    };
    Rig rig;
    rig.session.Attempts = 2;
    rig.session.FirstByteWaitMs = 20;
    // The first attempt gets no answer, so the second carries identifier 1.
    rig.port.setScript([&](int index, const QByteArray &) {
        return index == 0 ? QList<Chunk>{} : whole(answerWithId(1));
    });
    QVERIFY(Exchange(rig.session, 8, reinterpret_cast<const quint8 *>(data.constData()), 15, 0));
    const auto writes = rig.port.writes();
    QCOMPARE(writes.size(), 2);
    QCOMPARE(quint8(writes[0][8]) >> 6, 0);
    QCOMPARE(quint8(writes[1][8]) >> 6, 1);
    QCOMPARE(int(Crc16(reinterpret_cast<const quint8 *>(writes[1].constData()), 21)), 0);

    Rig mismatch;
    mismatch.answerAlways(whole(answerWithId(2)));
    QVERIFY(
        !Exchange(mismatch.session, 8, reinterpret_cast<const quint8 *>(data.constData()), 15, 0));
    QCOMPARE(mismatch.session.ResultCode, Result::IdentifierMismatch);
    QCOMPARE(ResultText(mismatch.session),
             QString("Команда 8.  Несоответствие идентификатора запроса в ответе(0->2)"));
}

void TestExchangeEngine::staleBytesDoNotPoisonNextAttempt()
{
    // The first answer is corrupted and trails a complete, well-formed stale frame behind it;
    // the second attempt must take its own answer, not the stale frame.
    QByteArray corrupted = identAnswer();
    corrupted[12] = char(corrupted[12] ^ 0x10);
    QByteArray staleData = QByteArray::fromHex("000011") + QByteArray(17, '\x77');
    const QByteArray stale = answerFrame(0, 29 | 0x80, staleData);
    Rig rig;
    rig.session.Attempts = 2;
    rig.port.setScript([&](int index, const QByteArray &) {
        return index == 0 ? whole(corrupted + stale) : whole(identAnswer(), 5);
    });
    QVERIFY(rig.readIdent());
    QCOMPARE(rig.rx(int(identAnswer().size())), identAnswer());
}

void TestExchangeEngine::resultTextComposition()
{
    Rig rig;
    rig.answerAlways(whole(identAnswer()));
    QVERIFY(rig.readIdent());
    QCOMPARE(ResultText(rig.session), QString("Команда 29.  Команда выполнена"));

    rig.answerAlways(whole(answerFrame(0, 29, QByteArray::fromHex("3C0006"))));
    QVERIFY(!rig.readIdent());
    QCOMPARE(ResultText(rig.session), QString("Команда 29.  Разрушена таблица 6"));

    // The answer buffer still holds that refusal; a silent controller must not inherit its number.
    rig.answerAlways({});
    rig.session.FirstByteWaitMs = 10;
    QVERIFY(!rig.readIdent());
    QCOMPARE(ResultText(rig.session), QString("Команда 29.  Устройство не отвечает"));
}

QTEST_GUILESS_MAIN(TestExchangeEngine)
#include "tst_exchangeengine.moc"
