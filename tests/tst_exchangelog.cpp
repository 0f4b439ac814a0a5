// Tests of the exchange log: what a telephone session leaves in it, rotation, and unwritable files.
#include "config/tablerequest.h"
#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "protocol/exchangeengine.h"
#include "shell/exchangelog.h"
#include "sim/simulator.h"
#include "support/filenodes.h"
#include "support/filesizelimit.h"
#include "support/ptypair.h"
#include "support/simmodem.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace ktv31;
using namespace ktv31::sim;

namespace {

// What stands where the log would go.
enum class Obstacle
{
    FileAsFolder,
    FifoAsLog,
    DiskFull
};

struct LogLine
{
    QDateTime time;
    QString label;
    QString payload;
};

// The lines of a log file without the notes, or a failure for a line of another form.
QList<LogLine> ReadLog(const QString &path, QString *failure)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}) "
                       "(TX|RX|MODEM>|MODEM<|RESULT|NOTE) (.*)$"));
    QList<LogLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *failure = QStringLiteral("cannot read ") + path;
        return lines;
    }
    for (const QString &text : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = form.match(text);
        if (!match.hasMatch()) {
            *failure = QStringLiteral("line of another form: ") + text;
            return lines;
        }
        if (match.captured(2) == QLatin1String("NOTE"))
            continue;
        lines.append(
            {QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
             match.captured(2), match.captured(3)});
    }
    return lines;
}

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program's side of a line to a simulated controller: its port and exchange session.
struct Line
{
    Simulator sim;
    PortPtr port;
    ExchangeSession session;

    explicit Line(const SimOptions &options) : sim(options) {}
    bool open(int speed)
    {
        if (!sim.start())
            return false;
        port = test::OpenLine(sim.devicePath(), speed);
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = speed;
        session.Attempts = 1;
        return port != nullptr;
    }
    bool exchange(const TableRequest &request, int length)
    {
        return Exchange(session, TableFunctionCode, request.data(), length, 0);
    }
    bool readIdentification()
    {
        return exchange(TableRequest::Read(0, 0, 17), TableRequest::ReadLength);
    }
};

} // namespace

class TestExchangeLog : public QObject
{
    Q_OBJECT

private slots:
    void telephoneSessionInOrder();
    void rotationKeepsTwoOlderFiles();
    void unwritableLogNeverFailsAnExchange_data();
    void unwritableLogNeverFailsAnExchange();
};

// A dial, a read, a refused write and the hang-up: every command and answer line, every frame as
// the controller saw it, every result, in the order they happened.
void TestExchangeLog::telephoneSessionInOrder()
{
    QTemporaryDir dir;
    const auto log = StartExchangeLog(dir.filePath(QStringLiteral("LOG/exchange.log")));
    Line line(test::SimModemOptions());
    QVERIFY(line.open(1200));

    QCOMPARE(Dial(line.port.get(), QStringLiteral("123"), QStringLiteral("ATS0=0"), nullptr, {}, 1,
                  1, test::SimModemTiming()),
             DialResult::Ok);
    QVERIFY(line.readIdentification());
    const QString readResult = ComposeResultText(line.session);
    FaultRule refusal;
    QVERIFY(ParseFaultRule(QStringLiteral("refuse=3"), refusal));
    line.sim.injectFault(refusal);
    const QByteArray modemString = QByteArray("AT&F\r").leftJustified(64, '\0');
    QVERIFY(!line.exchange(TableRequest::Write(5, 0, 1, modemString),
                           TableRequest::WriteLength(int(modemString.size()))));
    QCOMPARE(line.session.ResultCode, Result::Refused);
    const QString writeResult = ComposeResultText(line.session);
    HangUp(line.port.get(), test::SimModemTiming());
    log->flush();

    QList<QByteArray> requests;
    QList<QByteArray> answers;
    for (const FrameLogEntry &entry : line.sim.frameLog()) {
        if (entry.kind == LogKind::Request)
            requests.append(entry.bytes);
        if (entry.kind == LogKind::Answer)
            answers.append(entry.bytes);
    }
    QCOMPARE(requests.size(), 2);
    QCOMPARE(answers.size(), 2);
    const QStringList expected{"MODEM> ATE0\\r",
                               "MODEM< OK",
                               "MODEM> ATV1\\r",
                               "MODEM< OK",
                               "MODEM> ATS0=0\\r",
                               "MODEM< OK",
                               "MODEM> ATD123\\r",
                               "MODEM< CONNECT",
                               "RESULT " + DialResultText(DialResult::Ok),
                               "TX " + Hex(requests[0]),
                               "RX " + Hex(answers[0]),
                               "RESULT " + readResult,
                               "TX " + Hex(requests[1]),
                               "RX " + Hex(answers[1]),
                               "RESULT " + writeResult,
                               "MODEM> +++",
                               "MODEM> ath\\r\\x00"};
    QVERIFY(writeResult.contains(QStringLiteral("Неправильный пароль на запись")));

    QString failure;
    const QList<LogLine> lines = ReadLog(log->path(), &failure);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QStringList seen;
    for (const LogLine &logLine : lines)
        seen.append(logLine.label + u' ' + logLine.payload);
    QCOMPARE(seen.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        // Answer lines are the modem's own, with their line breaks: only their word is fixed.
        const bool answer = expected[i].startsWith(QLatin1String("MODEM<"));
        QVERIFY2(answer ? seen[i].startsWith(QLatin1String("MODEM< ")) &&
                              seen[i].contains(expected[i].mid(7))
                        : seen[i] == expected[i],
                 qPrintable(
                     QStringLiteral("line %1: %2, expected %3").arg(i).arg(seen[i], expected[i])));
        if (i > 0)
            QVERIFY(lines[i].time >= lines[i - 1].time);
    }
    QVERIFY(qAbs(lines.last().time.msecsTo(QDateTime::currentDateTime())) < 60000);
}

void TestExchangeLog::rotationKeepsTwoOlderFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("exchange.log"));
    {
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("2000-01-01 00:00:00.000 NOTE an earlier run\n");
    }
    ExchangeLog log(path);
    log.add(LogLineKind::Result, QStringLiteral("first"));
    log.flush();
    QVERIFY(ReadAll(path).startsWith("2000-01-01 00:00:00.000 NOTE an earlier run\n"));

    // About three and a half files' worth, each line numbered.
    const QString padding(100, u'x');
    const int count = int(3.5 * ExchangeLog::RotateBytes / 140);
    for (int i = 0; i < count; ++i)
        log.add(LogLineKind::Result, QStringLiteral("%1 %2").arg(i).arg(padding));
    log.flush();

    QVERIFY(!QFileInfo::exists(path + QStringLiteral(".3")));
    int next = -1;
    for (const QString &file : {path + QStringLiteral(".2"), path + QStringLiteral(".1"), path}) {
        QVERIFY2(QFileInfo(file).size() <= ExchangeLog::RotateBytes, qPrintable(file));
        QString failure;
        const QList<LogLine> lines = ReadLog(file, &failure);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(!lines.isEmpty());
        if (file != path) // a rotated file was full: the next line would not have fitted
            QVERIFY(QFileInfo(file).size() > ExchangeLog::RotateBytes - 200);
        for (const LogLine &line : lines) {
            const int number = line.payload.section(u' ', 0, 0).toInt();
            if (next >= 0)
                QCOMPARE(number, next);
            next = number + 1;
        }
    }
    QCOMPARE(next, count);
}

void TestExchangeLog::unwritableLogNeverFailsAnExchange_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<ExchangeLogError>("error");
    QTest::newRow("folder cannot be made")
        << Obstacle::FileAsFolder << ExchangeLogError::CannotOpen;
#ifdef Q_OS_UNIX
    QTest::newRow("a FIFO as the log") << Obstacle::FifoAsLog << ExchangeLogError::CannotOpen;
    QTest::newRow("disk full") << Obstacle::DiskFull << ExchangeLogError::WriteFailed;
#endif
}

void TestExchangeLog::unwritableLogNeverFailsAnExchange()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(ExchangeLogError, error);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("LOG"));
    const bool diskFull = obstacle == Obstacle::DiskFull;
    if (obstacle == Obstacle::FileAsFolder) {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
#ifdef Q_OS_UNIX
    // Opening a FIFO for writing would wait for a reader for ever, and the program's close with it.
    if (obstacle == Obstacle::FifoAsLog)
        QVERIFY(QDir().mkpath(folder) &&
                test::MakeNode(test::NodeKind::Fifo, QFile::encodeName(folder + "/exchange.log")));
#endif
    const auto log = StartExchangeLog(folder + QStringLiteral("/exchange.log"));
    SimOptions options;
    options.speed = 19200;
    Line line(options);
    QVERIFY(line.open(19200));

    {
#ifdef Q_OS_UNIX
        std::optional<test::FileSizeLimit> limit;
        if (diskFull)
            limit.emplace(0);
#endif
        QVERIFY2(line.readIdentification(), qPrintable(ResultText(line.session)));
        log->flush();
        QCOMPARE(log->error(), error);
        QVERIFY2(line.readIdentification(), qPrintable(ResultText(line.session)));
        log->flush();
    }
    if (!diskFull)
        return;
    // Room again: the next lines are written.
    QVERIFY(line.readIdentification());
    log->flush();
    QCOMPARE(log->error(), ExchangeLogError::None);
    QString failure;
    const QList<LogLine> lines = ReadLog(log->path(), &failure);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].label, QStringLiteral("TX"));
}

QTEST_GUILESS_MAIN(TestExchangeLog)
#include "tst_exchangelog.moc"
