// Modem dialogue tests over the scripted port: answer lines, classification, reset, dialling,
// cancel.
#include "link/connectmodem.h"
#include "shell/monoclock.h"
#include "shell/virtualclock.h"
#include "support/clockchoice.h"
#include "support/scriptedoperator.h"
#include "support/scriptedport.h"

#include <QtTest>

using namespace ktv31;
using ktv31::test::Chunk;
using ktv31::test::ScriptedOperator;
using ktv31::test::ScriptedPort;

namespace {

ModemTiming fastTiming()
{
    ModemTiming t;
    t.resetAnswerMs = 300;
    t.escapeGuardMs = 30;
    t.beforeInitMs = 30;
    t.afterAcceptMs = 20;
    t.hangUpPauseMs = 60;
    t.abortSettleMs = 10;
    t.msPerWaitSecond = 150;
    return t;
}

QByteArray line(const QByteArray &text)
{
    return "\r\n" + text + "\r\n";
}

// A Hayes modem as far as the dialogue sees it: echo until ATE0 (ATZ turns it back on), OK to
// every AT command, OK to "+++" only while online, one scripted answer per dial in turn.
struct FakeModem
{
    bool echo = true;
    bool online = false;
    bool absent = false;
    QList<QByteArray> dialAnswers{"CONNECT 9600"}; // empty text: silence; the last repeats
    QByteArray initAnswer = "OK";
    int dials = 0;

    QList<Chunk> answer(const QByteArray &written)
    {
        if (absent)
            return {};
        QList<Chunk> out;
        if (echo && !online)
            out.append({1, written});
        const QByteArray text = reply(written);
        if (!text.isEmpty())
            out.append({5, line(text)});
        return out;
    }

    QByteArray reply(const QByteArray &written)
    {
        if (written == "+++") {
            const bool wasOnline = online;
            online = false;
            return wasOnline ? "OK" : "";
        }
        if (online || !written.toUpper().startsWith("AT"))
            return {};
        if (written.startsWith("ATE0"))
            echo = false;
        if (written.startsWith("ATZ"))
            echo = true;
        if (written.startsWith("ATD")) {
            const QByteArray result =
                dialAnswers.value(std::min<qsizetype>(dials++, dialAnswers.size() - 1));
            online = result.startsWith("CONNECT");
            return result;
        }
        return written.startsWith("ATE0") || written.startsWith("ATV1") ? "OK" : initAnswer;
    }
};

struct Rig
{
    FakeModem modem;
    ScriptedPort port;
    ScriptedOperator op;
    DialCancel cancel;
    ModemTiming timing = fastTiming();
    StatusPanel panel{&op, 1};

    Rig()
    {
        port.setScript([this](int, const QByteArray &written) { return modem.answer(written); });
    }
    DialResult dial(const QString &number = QStringLiteral("7 123 45-67"),
                    const QString &init = QStringLiteral("ATZ^AT&F^ATS0=0"), int attempts = 1,
                    int waitS = 2)
    {
        return Dial(&port, number, init, &cancel, panel, attempts, waitS, timing);
    }
    // The writes after the reset, which ends with the first ATV1.
    QList<QByteArray> afterReset() const
    {
        const QList<QByteArray> all = port.writes();
        const qsizetype at = all.indexOf("ATV1\r");
        return at < 0 ? QList<QByteArray>{} : all.mid(at + 1);
    }
    // Calls cancel() `delayMs` after the first write that starts with `prefix`.
    void cancelAfterWrite(const QByteArray &prefix, int delayMs)
    {
        port.setScript([this, prefix, delayMs](int, const QByteArray &written) {
            if (written.startsWith(prefix) && !cancelArmed) {
                cancelArmed = true;
                RunAfter(delayMs, &cancel, [this] {
                    cancelledAtNs = NowNs();
                    cancel.cancel();
                });
            }
            return modem.answer(written);
        });
    }
    bool cancelArmed = false;
    qint64 cancelledAtNs = 0;
};

qint64 msSince(qint64 startNs)
{
    return (NowNs() - startNs) / 1000000;
}

} // namespace

class TestConnectModem : public QObject
{
    Q_OBJECT
    // The scripted modem lives in memory: the dialogue's waits play out on a virtual clock.
    VirtualClock clock_;
    ClockScope useClock_{clock_};

private slots:
    void classification_data();
    void classification();
    void containsText_data();
    void containsText();
    void stripDialSeparators_data();
    void stripDialSeparators();
    void splitInitString_data();
    void splitInitString();
    void answerLine_data();
    void answerLine();
    void statusTextsShowCommandAndAnswer();
    void resetStateMachine_data();
    void resetStateMachine();
    void dialsComposedNumberAfterInitCommands();
    void echoAfterAtzStillGivesRightAnswers();
    void dialOutcomes_data();
    void dialOutcomes();
    void fixedPausesAreKept();
    void overlongInitStringIsShortenedAndSaid();
    void cancelEndsEveryPhasePromptly_data();
    void cancelEndsEveryPhasePromptly();
    void cancelAfterConnectHangsUp();
    void noModemTakesTheFullResetWaits();
    void lostPortEndsWaitAtOnce();
    void hangUpSendsEscapeThenAth();
    void resultTexts();
};

void TestConnectModem::classification_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<DialResult>("code");
    QTest::newRow("OK") << line("OK") << DialResult::Ok;
    QTest::newRow("CONNECT 9600") << line("CONNECT 9600") << DialResult::Ok;
    QTest::newRow("no dialtone") << line("no dialtone") << DialResult::NoDialTone;
    QTest::newRow("BUSY") << line("BUSY") << DialResult::Busy;
    QTest::newRow("ERROR") << line("ERROR") << DialResult::Error;
    QTest::newRow("Time") << line("Time out") << DialResult::TimeUsedUp;
    QTest::newRow("Escape") << QByteArray("Escape...") << DialResult::Cancelled;
    QTest::newRow("ERROR beats all")
        << line("BUSY NO CARRIER DIAL Time error") << DialResult::Error;
    QTest::newRow("Time beats DIAL") << line("DIAL Time") << DialResult::TimeUsedUp;
    QTest::newRow("DIAL beats NO CARRIER") << line("NO CARRIER DIAL") << DialResult::NoDialTone;
    QTest::newRow("NO CARRIER beats BUSY") << line("BUSY NO CARRIER") << DialResult::NoCarrier;
    QTest::newRow("BUSY beats ANSWER") << line("NO ANSWER BUSY") << DialResult::Busy;
    QTest::newRow("mixed case is no match") << line("Busy Error TIME") << DialResult::Ok;
}

void TestConnectModem::classification()
{
    QFETCH(QByteArray, answer);
    QFETCH(DialResult, code);
    QCOMPARE(ClassifyModemAnswer(answer), code);
}

void TestConnectModem::containsText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("contains");
    QTest::newRow("empty text") << QByteArray() << QByteArray("OK") << false;
    QTest::newRow("shorter than pattern") << QByteArray("O") << QByteArray("OK") << false;
    QTest::newRow("equal") << QByteArray("OK") << QByteArray("OK") << true;
    QTest::newRow("at the end") << QByteArray("\r\nOK") << QByteArray("OK") << true;
    QTest::newRow("case differs") << QByteArray("\r\nOk\r") << QByteArray("OK") << false;
    QTest::newRow("behind a zero byte") << QByteArray("\0\0OK", 4) << QByteArray("OK") << true;
}

void TestConnectModem::containsText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, contains);
    QCOMPARE(ContainsText(text, pattern), contains);
}

void TestConnectModem::stripDialSeparators_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("composed") << "7 123 45-67"
                              << "71234567";
    QTest::newRow("empty codes") << "  45-67"
                                 << "4567";
    QTest::newRow("parentheses and plus") << "+7 (812) 555-12-34"
                                          << "+78125551234";
    QTest::newRow("other characters stay") << "8W,123*#"
                                           << "8W,123*#";
}

void TestConnectModem::stripDialSeparators()
{
    QFETCH(QString, number);
    QFETCH(QString, stripped);
    QCOMPARE(StripDialSeparators(number), stripped);
}

void TestConnectModem::splitInitString_data()
{
    QTest::addColumn<QString>("init");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("three") << "ATZ^AT&F^ATS0=0" << QStringList{"ATZ\r", "AT&F\r", "ATS0=0\r"}
                           << false;
    QTest::newRow("empty") << "" << QStringList{} << false;
    QTest::newRow("no AT") << "hello^world" << QStringList{} << false;
    QTest::newRow("junk between") << "xx^^at&f^junk^aTx1" << QStringList{"at&f\r", "aTx1\r"}
                                  << false;
    QStringList thirty;
    for (int i = 0; i < MaxInitCommands; ++i)
        thirty.append(QStringLiteral("AT%1\r").arg(i));
    QString many;
    for (int i = 0; i < MaxInitCommands + 5; ++i)
        many += QStringLiteral("AT%1^").arg(i);
    QTest::newRow("35 commands") << many << thirty << true;
    const QString longCommand = "AT" + QString(400, u'1');
    QTest::newRow("overlong command")
        << longCommand + "^ATZ"
        << QStringList{longCommand.left(MaxInitCommandLength) + "\r", "ATZ\r"} << true;
}

void TestConnectModem::splitInitString()
{
    QFETCH(QString, init);
    QFETCH(QStringList, commands);
    QFETCH(bool, shortened);
    const InitCommands split = SplitInitString(init);
    QCOMPARE(split.commands, commands);
    QCOMPARE(split.shortened, shortened);
}

void TestConnectModem::answerLine_data()
{
    QTest::addColumn<QByteArray>("arriving");
    QTest::addColumn<bool>("byteByByte");
    QTest::addColumn<DialResult>("code");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("verbal OK") << line("OK") << false << DialResult::Ok << QByteArray("\r\nOK\r");
    QTest::newRow("echo dropped") << "ATE0\r" + line("OK") << true << DialResult::Ok
                                  << QByteArray("\r\r\nOK\r");
    QTest::newRow("numeric 0 is too short")
        << QByteArray("0\r") << false << DialResult::AnswerTimeout << QByteArray("\r");
    QTest::newRow("line break alone is no line")
        << QByteArray("\r\n\r") << false << DialResult::AnswerTimeout << QByteArray("\r\n\r");
    QTest::newRow("unterminated") << QByteArray("\r\nOK") << false << DialResult::AnswerTimeout
                                  << QByteArray("\r\nOK");
    QTest::newRow("no line break at all")
        << QByteArray("OK OK OK") << false << DialResult::AnswerTimeout << QByteArray();
    const QByteArray longLine = "\n" + QByteArray(300, 'x');
    QTest::newRow("255 bytes make a line")
        << longLine << false << DialResult::Ok << longLine.left(255);
    QTest::newRow("classified") << "AT\r" + line("BUSY") << true << DialResult::Busy
                                << QByteArray("\r\r\nBUSY\r");
}

void TestConnectModem::answerLine()
{
    QFETCH(QByteArray, arriving);
    QFETCH(bool, byteByByte);
    QFETCH(DialResult, code);
    QFETCH(QByteArray, answer);
    ScriptedPort port([&](int, const QByteArray &) {
        QList<Chunk> chunks;
        for (int i = 0; byteByByte && i < arriving.size(); ++i)
            chunks.append({1 + i, arriving.mid(i, 1)});
        return byteByByte ? chunks : QList<Chunk>{{2, arriving}};
    });
    QByteArray got;
    const qint64 start = NowNs();
    QCOMPARE(SendModemCommand(&port, "ATE0\r", got, 300, nullptr, {}), code);
    QCOMPARE(got, answer);
    QVERIFY(got.size() <= MaxAnswerLength);
    if (code == DialResult::AnswerTimeout)
        QVERIFY(msSince(start) >= 290);
}

void TestConnectModem::statusTextsShowCommandAndAnswer()
{
    Rig rig;
    rig.modem.echo = false;
    QByteArray answer;
    QCOMPARE(SendModemCommand(&rig.port, "AT&F\r", answer, 300, nullptr, rig.panel),
             DialResult::Ok);
    QCOMPARE(rig.op.statusTexts(1),
             (QStringList{"Установление связи по телефону. Команда AT&F\r.",
                          "Установление связи по телефону. Команда AT&F\r.  Ответ \r\nOK\r"}));
}

void TestConnectModem::resetStateMachine_data()
{
    QTest::addColumn<int>("modemKind");
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<DialResult>("code");
    enum
    {
        Echoing,
        Online,
        Absent,
        Unrecognised,
        Refusing
    };
    QTest::newRow("echoing, command state")
        << int(Echoing) << QByteArrayList{"ATE0\r", "ATV1\r"} << DialResult::Ok;
    QTest::newRow("online: escape first")
        << int(Online) << QByteArrayList{"ATE0\r", "+++", "ATE0\r"} << DialResult::Ok;
    QTest::newRow("no modem") << int(Absent) << QByteArrayList{"ATE0\r", "+++"}
                              << DialResult::NoModem;
    QTest::newRow("unrecognised answers, two tries")
        << int(Unrecognised)
        << QByteArrayList{"ATE0\r", "+++", "ATE0\r", "ATV1\r", "+++", "ATE0\r", "ATV1\r"}
        << DialResult::Ok;
    QTest::newRow("ERROR ends the reset")
        << int(Refusing) << QByteArrayList{"ATE0\r"} << DialResult::Error;
}

void TestConnectModem::resetStateMachine()
{
    QFETCH(int, modemKind);
    QFETCH(QByteArrayList, writes);
    QFETCH(DialResult, code);
    Rig rig;
    rig.modem.online = modemKind == 1;
    rig.modem.absent = modemKind == 2;
    if (modemKind == 3 || modemKind == 4) {
        const QByteArray reply = modemKind == 3 ? "\rHUH?\r" : line("ERROR");
        rig.port.setScript([reply](int, const QByteArray &) { return QList<Chunk>{{2, reply}}; });
    }
    QCOMPARE(ResetModem(&rig.port, rig.panel, &rig.cancel, rig.timing), code);
    QCOMPARE(rig.port.writes(), writes);
}

void TestConnectModem::dialsComposedNumberAfterInitCommands()
{
    Rig rig;
    QCOMPARE(rig.dial(), DialResult::Ok);
    QCOMPARE(rig.afterReset(), (QByteArrayList{"ATZ\r", "AT&F\r", "ATS0=0\r", "ATD71234567\r"}));
    QVERIFY(rig.op.statusTexts(1).contains(
        "Установление связи по телефону. Команда ATD71234567\r.  Ответ \r\r\nCONNECT 9600\r"));
}

void TestConnectModem::echoAfterAtzStillGivesRightAnswers()
{
    // ATZ brings the echo back, and the LF behind each answer's CR is still on its way: neither
    // may be taken for the answer to the next command.
    Rig rig;
    QCOMPARE(rig.dial("1", "ATZ^AT&F^ATZ^ATS0=0", 1), DialResult::Ok);
    QCOMPARE(rig.modem.dials, 1);
}

void TestConnectModem::dialOutcomes_data()
{
    QTest::addColumn<QByteArrayList>("dialAnswers");
    QTest::addColumn<QByteArray>("initAnswer");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<DialResult>("code");
    QTest::addColumn<int>("dials");
    QTest::newRow("BUSY then CONNECT")
        << QByteArrayList{"BUSY", "CONNECT 2400"} << QByteArray("OK") << 3 << DialResult::Ok << 2;
    QTest::newRow("OK is no CONNECT")
        << QByteArrayList{"OK"} << QByteArray("OK") << 2 << DialResult::NotConnected << 2;
    QTest::newRow("init ERROR, retried")
        << QByteArrayList{"CONNECT"} << QByteArray("ERROR") << 2 << DialResult::Error << 0;
    QTest::newRow("init without OK")
        << QByteArrayList{"CONNECT"} << QByteArray("READY") << 1 << DialResult::NotConnected << 0;
}

void TestConnectModem::dialOutcomes()
{
    // Played on the virtual clock and on the machine's: the same result and the same bytes sent.
    QFETCH(QByteArrayList, dialAnswers);
    QFETCH(QByteArray, initAnswer);
    QFETCH(int, attempts);
    QFETCH(DialResult, code);
    QFETCH(int, dials);
    QByteArrayList onVirtual;
    for (bool isVirtual : {true, false}) {
        test::ClockChoice choice(isVirtual);
        Rig rig;
        rig.modem.dialAnswers = dialAnswers;
        rig.modem.initAnswer = initAnswer;
        QCOMPARE(rig.dial("7 123 45-67", "ATZ^AT&F", attempts, 1), code);
        QCOMPARE(rig.modem.dials, dials);
        // Every attempt starts again from the first initialisation command.
        const int attemptsMade = code == DialResult::Ok ? dials : attempts;
        const QByteArrayList sent = rig.afterReset();
        QCOMPARE(sent.count("ATZ\r"), attemptsMade);
        QCOMPARE(sent.count("AT&F\r"), initAnswer == "OK" ? attemptsMade : 0);
        if (isVirtual)
            onVirtual = rig.port.writes();
        else
            QCOMPARE(rig.port.writes(), onVirtual);
    }
}

void TestConnectModem::fixedPausesAreKept()
{
    Rig rig;
    rig.timing.beforeInitMs = 150;
    rig.timing.afterAcceptMs = 80;
    QCOMPARE(rig.dial("1", "ATZ^AT&F"), DialResult::Ok);
    const auto &events = rig.port.events();
    const auto writeAt = [&](const QByteArray &bytes) {
        for (const auto &event : events)
            if (event.kind == test::PortEvent::Write && event.bytes == bytes)
                return event.atNs;
        return qint64(0);
    };
    QVERIFY(writeAt("ATZ\r") - writeAt("ATV1\r") >= MsToNs(150));
    QVERIFY(writeAt("AT&F\r") - writeAt("ATZ\r") >= MsToNs(80));
    QVERIFY(writeAt("ATD1\r") - writeAt("AT&F\r") >= MsToNs(80));
}

void TestConnectModem::overlongInitStringIsShortenedAndSaid()
{
    Rig rig;
    QString init;
    for (int i = 0; i < 40; ++i)
        init += "AT^";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("shortened"));
    QCOMPARE(rig.dial("1", init), DialResult::Ok);
    QCOMPARE(rig.afterReset().count("AT\r"), MaxInitCommands);
    const QStringList texts = rig.op.statusTexts(1);
    QVERIFY(std::any_of(texts.begin(), texts.end(),
                        [](const QString &t) { return t.contains("первые 30 команд"); }));
}

void TestConnectModem::cancelEndsEveryPhasePromptly_data()
{
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("longField");
    QTest::addColumn<bool>("modemAbsent");
    QTest::addColumn<int>("delayMs");
    // The phase is made 10 s long; the cancel comes `delayMs` after the trigger write.
    QTest::newRow("reset answer wait") << QByteArray("ATE0") << 0 << true << 50;
    QTest::newRow("escape guard time") << QByteArray("ATE0") << 1 << true << 150;
    QTest::newRow("pause before init") << QByteArray("ATV1") << 2 << false << 50;
    QTest::newRow("pause after OK") << QByteArray("ATZ") << 3 << false << 50;
    QTest::newRow("dial wait") << QByteArray("ATD") << 4 << false << 50;
}

void TestConnectModem::cancelEndsEveryPhasePromptly()
{
    QFETCH(QByteArray, trigger);
    QFETCH(int, longField);
    QFETCH(bool, modemAbsent);
    QFETCH(int, delayMs);
    // A cancel wakes a wait on either clock; in real time within a margin.
    for (bool isVirtual : {true, false}) {
        test::ClockChoice choice(isVirtual);
        Rig rig;
        rig.modem.absent = modemAbsent;
        rig.timing.resetAnswerMs = 50;
        int *fields[] = {&rig.timing.resetAnswerMs, &rig.timing.escapeGuardMs,
                         &rig.timing.beforeInitMs, &rig.timing.afterAcceptMs,
                         &rig.timing.msPerWaitSecond};
        *fields[longField] = 10000;
        rig.modem.dialAnswers = {""};
        rig.cancelAfterWrite(trigger, delayMs);
        QCOMPARE(rig.dial("1", "ATZ^AT&F", 3, 1), DialResult::Cancelled);
        QVERIFY(rig.cancelledAtNs != 0);
        // Nothing waits after the cancel but the pause that lets the modem settle.
        const qint64 margin = isVirtual ? 0 : MsToNs(25);
        QVERIFY2(NowNs() - rig.cancelledAtNs <= MsToNs(rig.timing.abortSettleMs) + margin,
                 qPrintable(QString::number(msSince(rig.cancelledAtNs))));
        // Broken off and on hook, and no further attempt.
        QCOMPARE(rig.port.writes().mid(rig.port.writes().size() - 2),
                 (QByteArrayList{"\r", "ATH\r"}));
        QVERIFY(rig.modem.dials <= 1);
    }
}

void TestConnectModem::cancelAfterConnectHangsUp()
{
    Rig rig;
    rig.timing.afterAcceptMs = 300;
    rig.cancelAfterWrite("ATD", 50);
    QCOMPARE(rig.dial("1", ""), DialResult::Cancelled);
    const QByteArrayList writes = rig.port.writes();
    QCOMPARE(writes.mid(writes.size() - 2), (QByteArrayList{"+++", QByteArray("ath\r\0", 5)}));
}

void TestConnectModem::noModemTakesTheFullResetWaits()
{
    // The real timing: two unanswered waits of 5 s around the guard time, and no dialling.
    Rig rig;
    rig.modem.absent = true;
    rig.timing = ModemTiming{};
    const qint64 start = NowNs();
    QCOMPARE(rig.dial("123", "ATZ"), DialResult::NoModem);
    QCOMPARE(rig.port.writes(), (QByteArrayList{"ATE0\r", "+++"}));
    const qint64 waits = MsToNs(2 * rig.timing.resetAnswerMs + rig.timing.escapeGuardMs);
    QVERIFY2(NowNs() - start >= waits && NowNs() - start < waits + MsToNs(50),
             qPrintable(QString::number(msSince(start))));
    for (const QString &text : rig.op.statusTexts(1))
        QVERIFY2(!text.contains("ATD") && !text.contains("ATZ"), qPrintable(text));
}

void TestConnectModem::lostPortEndsWaitAtOnce()
{
    ScriptedPort port;
    RunAfter(50, &port, [&port] { port.loseDevice(); });
    QByteArray answer;
    const qint64 start = NowNs();
    QCOMPARE(SendModemCommand(&port, "ATE0\r", answer, 10000, nullptr, {}),
             DialResult::AnswerTimeout);
    QCOMPARE(NowNs() - start, MsToNs(50));
}

void TestConnectModem::hangUpSendsEscapeThenAth()
{
    ScriptedPort port;
    const qint64 start = NowNs();
    HangUp(&port, fastTiming());
    const auto &events = port.events();
    QCOMPARE(port.writes(), (QByteArrayList{"+++", QByteArray("ath\r\0", 5)}));
    const qint64 pause = MsToNs(fastTiming().hangUpPauseMs);
    QVERIFY(events.first().atNs - start >= pause);
    QVERIFY(events.last().atNs - events.first().atNs >= pause);
}

void TestConnectModem::resultTexts()
{
    QSet<QString> texts;
    for (int code = 0; code < DialResultCount; ++code)
        texts.insert(DialResultText(DialResult(code)));
    QCOMPARE(texts.size(), DialResultCount);
    QVERIFY(!texts.contains(QString()));
    QVERIFY(DialResultText(DialResult(DialResultCount)).isEmpty());
    QVERIFY(DialResultText(DialResult(-1)).isEmpty());
}

QTEST_GUILESS_MAIN(TestConnectModem)
#include "tst_connectmodem.moc"
