// COM port layer through real pseudo-terminals: naming, exclusive open, line format, data, loss.
#include "link/comportfunctions.h"
#include "support/cputime.h"
#include "support/ptypair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace ktv31;
using ktv31::test::PtyPair;

namespace {

PortPtr OpenAt(const QString &path, int speed = 9600)
{
    return test::OpenLine(path, speed);
}

const QSerialPort *DeviceOf(const PortPtr &port)
{
    auto *link = qobject_cast<QtSerialLink *>(port.get());
    return link ? link->device() : nullptr;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void comPortDevice_data();
    void comPortDevice();
    void openPortThroughLink();
    void openFailures_data();
    void openFailures();
    void secondOpenFails_data();
    void secondOpenFails();

    void exactSpeeds_data();
    void exactSpeeds();
    void speedClamps_data();
    void speedClamps();
    void lineFormat_data();
    void lineFormat();
    void lineFormatOnTheLine_data();
    void lineFormatOnTheLine();
    void nullPortHelpers();

    void bytesBothWays();
    void longAnswerBeyondInputQueue();
    void purgeDropsPendingInput();
    void modemLinesOnPtyAreHarmless();
    void writeTimesOutAndDropsUnsent();

    void farSideClosingIsLossWithoutStorm();
    void writeAfterHangUpFails();
    void stolenWakeUpIsNotLoss();

private:
    std::unique_ptr<QTemporaryDir> programDir_;
    QString programPath() const { return programDir_->path() + QLatin1Char('/'); }
};

void TestSerialPort::init()
{
    programDir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(programDir_->isValid());
    QVERIFY(QDir(programDir_->path()).mkdir(QStringLiteral("INI")));
}

void TestSerialPort::comPortDevice_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("linkTarget"); // "pty" for the pair's slave, empty for no link
    QTest::addColumn<QString>("expected");   // "pty" likewise

    QTest::newRow("COM3 linked to a pty") << 3 << "pty"
                                          << "pty";
    QTest::newRow("COM12 linked") << 12 << "pty"
                                  << "pty";
    QTest::newRow("COM12 without link") << 12 << ""
                                        << "/dev/ttyS11";
    QTest::newRow("COM1 without link") << 1 << ""
                                       << "/dev/ttyS0";
    QTest::newRow("dangling link keeps its target") << 4 << "/nonexistent/ttyUSB9"
                                                    << "/nonexistent/ttyUSB9";
}

void TestSerialPort::comPortDevice()
{
    QFETCH(int, portNumber);
    QFETCH(QString, linkTarget);
    QFETCH(QString, expected);
    PtyPair pair;
    QVERIFY(pair.isOpen());
    const QString link = programPath() + QStringLiteral("INI/COM%1").arg(portNumber);
    if (linkTarget == QLatin1String("pty"))
        QVERIFY(pair.linkAs(link));
    else if (!linkTarget.isEmpty())
        QVERIFY(QFile::link(linkTarget, link));
    if (expected == QLatin1String("pty"))
        expected = pair.slavePath();

    QCOMPARE(ComPortDevice(portNumber, programPath()), expected);
}

void TestSerialPort::openPortThroughLink()
{
    PtyPair pair;
    QVERIFY(pair.linkAs(programPath() + QStringLiteral("INI/COM3")));

    auto port = OpenPort(3, {19200}, programPath()).port;
    QVERIFY(port);
    QCOMPARE(pair.masterLineSpeed(), 19200);
    QVERIFY(port->write("ping"));
    QCOMPARE(pair.readMaster(4), QByteArray("ping"));
}

void TestSerialPort::openFailures_data()
{
    QTest::addColumn<QString>("linkTarget"); // where INI/COM5 points; empty: no link
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<PortOpenError>("reason");

    QTest::newRow("link to a missing device")
        << "/nonexistent/ttyUSB0" << 5 << PortOpenError::NoSuchDevice;
    QTest::newRow("link to a plain file") << "plain" << 5 << PortOpenError::NotConfigurable;
    QTest::newRow("no link, no such serial port") << "" << 250 << PortOpenError::NoSuchDevice;
    QTest::newRow("port number zero") << "" << 0 << PortOpenError::NoSuchDevice;
}

void TestSerialPort::openFailures()
{
    QFETCH(QString, linkTarget);
    QFETCH(int, portNumber);
    QFETCH(PortOpenError, reason);
    if (linkTarget == QLatin1String("plain")) {
        linkTarget = programPath() + QStringLiteral("plain.txt");
        QFile file(linkTarget);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (!linkTarget.isEmpty())
        QVERIFY(QFile::link(linkTarget, programPath() + QStringLiteral("INI/COM5")));
    if (linkTarget.isEmpty() && portNumber > 0)
        QVERIFY(!QFileInfo::exists(ComPortDevice(portNumber, programPath())));

    const PortOpenResult result = OpenPort(portNumber, {9600}, programPath());
    QVERIFY(!result.port);
    QCOMPARE(result.error, reason);
    QVERIFY(!PortOpenErrorText(result).isEmpty());
}

void TestSerialPort::secondOpenFails_data()
{
    QTest::addColumn<bool>("firstThroughLink");
    QTest::addColumn<bool>("secondThroughLink");

    QTest::newRow("same path twice") << false << false;
    QTest::newRow("link twice") << true << true;
    QTest::newRow("target, then link") << false << true;
    QTest::newRow("link, then target") << true << false;
}

void TestSerialPort::secondOpenFails()
{
    QFETCH(bool, firstThroughLink);
    QFETCH(bool, secondThroughLink);
    PtyPair pair;
    const QString link = programPath() + QStringLiteral("INI/COM7");
    QVERIFY(pair.linkAs(link));

    auto first = OpenAt(firstThroughLink ? link : pair.slavePath());
    QVERIFY(first);
    const PortOpenResult second = OpenDevice(secondThroughLink ? link : pair.slavePath(), {9600});
    QVERIFY(!second.port);
    QCOMPARE(second.error, PortOpenError::Busy);

    first->close();
    QVERIFY2(OpenAt(secondThroughLink ? link : pair.slavePath()), "closing frees the device");
}

void TestSerialPort::exactSpeeds_data()
{
    QTest::addColumn<int>("speed");
    for (int speed : {300,  600,   1200,  2400,  3200,  3600,  4800,  5760,  6400,  7200,   7680,
                      9600, 11520, 12800, 14400, 19200, 23040, 28800, 38400, 57600, 115200, 230400})
        QTest::addRow("%d", speed) << speed;
}

void TestSerialPort::exactSpeeds()
{
    QFETCH(int, speed);
    PtyPair pair;
    auto port = OpenAt(pair.slavePath(), speed);
    QVERIFY(port);
    QCOMPARE(pair.masterLineSpeed(), speed);

    // Switching between classic and non-classic rates in both directions.
    QVERIFY(SetPortSpeed(port.get(), 4800));
    QCOMPARE(pair.masterLineSpeed(), 4800);
    QVERIFY(SetPortSpeed(port.get(), speed));
    QCOMPARE(pair.masterLineSpeed(), speed);
    QCOMPARE(port->speed(), speed);
}

void TestSerialPort::speedClamps_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("applied");

    QTest::newRow("100") << 100 << 110;
    QTest::newRow("110") << 110 << 110;
    QTest::newRow("0") << 0 << 110;
    QTest::newRow("256000") << 256000 << 256000;
    QTest::newRow("300000") << 300000 << 256000;
}

void TestSerialPort::speedClamps()
{
    QFETCH(int, requested);
    QFETCH(int, applied);
    PtyPair pair;
    auto port = OpenAt(pair.slavePath(), requested);
    QVERIFY(port);
    QCOMPARE(pair.masterLineSpeed(), applied);

    QVERIFY(SetPortSpeed(port.get(), 9600));
    QVERIFY(SetPortSpeed(port.get(), requested));
    QCOMPARE(pair.masterLineSpeed(), applied);
    QCOMPARE(port->speed(), applied);
}

void TestSerialPort::lineFormat_data()
{
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("expectedDataBits");
    QTest::addColumn<int>("expectedParity");
    QTest::addColumn<int>("expectedStopBits");

    const int none = QSerialPort::NoParity;
    const int even = QSerialPort::EvenParity;
    const int odd = QSerialPort::OddParity;
    const int one = QSerialPort::OneStop;
    QTest::newRow("8N1") << 8 << 0 << 0 << 8 << none << one;
    QTest::newRow("data bits 2 -> lowest") << 2 << 0 << 0 << 5 << none << one;
    QTest::newRow("data bits 4 -> lowest") << 4 << 0 << 0 << 5 << none << one;
    QTest::newRow("data bits 7") << 7 << 0 << 0 << 7 << none << one;
    QTest::newRow("data bits 9 -> 8") << 9 << 0 << 0 << 8 << none << one;
    QTest::newRow("parity 1 even") << 8 << 1 << 0 << 8 << even << one;
    QTest::newRow("parity 2 odd") << 8 << 2 << 0 << 8 << odd << one;
    QTest::newRow("parity 5 none") << 8 << 5 << 0 << 8 << none << one;
    QTest::newRow("parity -1 none") << 8 << -1 << 0 << 8 << none << one;
    QTest::newRow("stop 1 -> 1.5") << 8 << 0 << 1 << 8 << none << int(QSerialPort::OneAndHalfStop);
    QTest::newRow("stop 2") << 8 << 0 << 2 << 8 << none << int(QSerialPort::TwoStop);
    QTest::newRow("stop 7 -> 1") << 8 << 0 << 7 << 8 << none << one;
}

void TestSerialPort::lineFormat()
{
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(int, expectedDataBits);
    QFETCH(int, expectedParity);
    QFETCH(int, expectedStopBits);
    const LineFormat format = LineFormatFor(dataBits, parity, stopBits);
    QCOMPARE(int(format.dataBits), expectedDataBits);
    QCOMPARE(int(format.parity), expectedParity);
    QCOMPARE(int(format.stopBits), expectedStopBits);
}

// A Linux pseudo-terminal forces CS8 and clears PARENB whatever is asked; PARODD and CSTOPB do
// reach it, and a format it does not take fails the open.
void TestSerialPort::lineFormatOnTheLine_data()
{
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("oddParity");
    QTest::addColumn<bool>("twoStopBits");

    QTest::newRow("8N1") << 0 << 0 << true << false << false;
    QTest::newRow("odd parity") << 2 << 0 << true << true << false;
    QTest::newRow("two stop bits") << 0 << 2 << true << false << true;
    QTest::newRow("odd, stop selector 7") << 2 << 7 << true << true << false;
    QTest::newRow("even parity refused") << 1 << 0 << false << false << false;
}

void TestSerialPort::lineFormatOnTheLine()
{
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(bool, opens);
    QFETCH(bool, oddParity);
    QFETCH(bool, twoStopBits);
    PtyPair pair;
    PortOpenSettings format;
    format.speed = 9600;
    format.parity = parity;
    format.stopBits = stopBits;
    auto port = OpenDevice(pair.slavePath(), format).port;
    QCOMPARE(bool(port), opens);
    if (!opens) {
        QVERIFY2(OpenAt(pair.slavePath()), "a refused open leaves the device free");
        return;
    }
    QCOMPARE(DeviceOf(port)->flowControl(), QSerialPort::NoFlowControl);
    const unsigned flags = pair.masterLineFlags();
    QCOMPARE((flags & PARODD) != 0, oddParity);
    QCOMPARE((flags & CSTOPB) != 0, twoStopBits);
}

void TestSerialPort::nullPortHelpers()
{
    QVERIFY(!SetPortSpeed(nullptr, 9600));
    QVERIFY(!ClearPortErrors(nullptr));
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(ClearPortErrors(port.get()));
    port->close();
    QVERIFY(!SetPortSpeed(port.get(), 9600));
    QVERIFY(!port->write("x"));
    QVERIFY(!port->isLost());
}

void TestSerialPort::bytesBothWays()
{
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    const QByteArray request("\x01\x02\x00\xff\r\n", 6);
    QVERIFY(port->write(request));
    QCOMPARE(pair.readMaster(request.size()), request);

    QSignalSpy ready(port.get(), &SerialPort::readyRead);
    QVERIFY(pair.writeMaster(QByteArray("\x10\x00\x20", 3)));
    QVERIFY(ready.wait(1000));
    QCOMPARE(port->bytesAvailable(), qint64(3));
    QCOMPARE(port->read(1), QByteArray("\x10", 1));
    QCOMPARE(port->read(10), QByteArray("\x00\x20", 2));
    QCOMPARE(port->read(10), QByteArray());
}

// The engine takes answers a byte at a time; an answer longer than the input queue must still
// arrive whole.
void TestSerialPort::longAnswerBeyondInputQueue()
{
    PtyPair pair;
    PortOpenSettings smallQueues;
    smallQueues.speed = 9600;
    smallQueues.inputQueue = smallQueues.outputQueue = 100;
    auto port = OpenDevice(pair.slavePath(), smallQueues).port;
    QVERIFY(port);
    QByteArray answer;
    for (int i = 0; i < 1500; ++i)
        answer.append(char(i * 7));
    QByteArray collected;
    connect(port.get(), &SerialPort::readyRead, this, [&] {
        while (port->bytesAvailable() > 0)
            collected += port->read(1);
    });
    QSignalSpy ready(port.get(), &SerialPort::readyRead);
    QVERIFY(pair.writeMaster(answer));
    while (collected.size() < answer.size() && ready.wait(1000)) {
    }
    QCOMPARE(collected.size(), answer.size());
    QCOMPARE(collected, answer);
}

void TestSerialPort::purgeDropsPendingInput()
{
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    QSignalSpy ready(port.get(), &SerialPort::readyRead);

    QVERIFY(pair.writeMaster("gathered"));
    QVERIFY(ready.wait(1000));
    QVERIFY(pair.writeMaster("in the driver"));
    QVERIFY(pair.waitSlaveReadable());

    QVERIFY(port->purge());
    QCOMPARE(port->bytesAvailable(), qint64(0));
    QVERIFY(pair.writeMaster("fresh"));
    QVERIFY(ready.wait(1000));
    QCOMPARE(port->read(100), QByteArray("fresh"));
}

void TestSerialPort::modemLinesOnPtyAreHarmless()
{
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    QSignalSpy lost(port.get(), &SerialPort::deviceLost);
    QVERIFY(!port->setRts(true));
    QVERIFY(!port->setRts(false));
    QVERIFY(!port->setDtr(true));
    QVERIFY(port->write("ok"));
    QCOMPARE(pair.readMaster(2), QByteArray("ok"));
    QVERIFY(!lost.wait(50));
    QVERIFY(!port->isLost());
}

void TestSerialPort::writeTimesOutAndDropsUnsent()
{
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    const qint64 filled = pair.fillTowardsMaster();
    QVERIFY(filled > 0);

    QElapsedTimer clock;
    clock.start();
    // The wait for the bytes to drain keeps the event loop running, as the read side does.
    bool timerFired = false;
    QTimer::singleShot(20, [&] { timerFired = true; });
    QVERIFY(!port->write("xy"));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 100 && elapsed < 1000, qPrintable(QString::number(elapsed)));
    QVERIFY(timerFired);
    QVERIFY(!port->isLost());

    // Whatever of the filler is still pending, nothing of the failed write may follow it.
    QTest::qWait(50);
    const QByteArray drained = pair.readMaster(int(filled) + 2, 200);
    QVERIFY(!drained.contains('x') && !drained.contains('y'));
    QVERIFY(port->write("z"));
    QCOMPARE(pair.readMaster(1), QByteArray("z"));
}

void TestSerialPort::farSideClosingIsLossWithoutStorm()
{
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    QSignalSpy lost(port.get(), &SerialPort::deviceLost);
    QVERIFY(port->write("request"));
    QCOMPARE(pair.readMaster(7), QByteArray("request"));
    pair.closeMaster();

    QVERIFY(lost.wait(1000));
    QVERIFY(port->isLost());
    QVERIFY(!port->write("again"));
    QCOMPARE(port->read(10), QByteArray());

    const qint64 cpuBefore = (test::CpuTimeUs() / 1000);
    QTest::qWait(300);
    const qint64 cpuUsed = (test::CpuTimeUs() / 1000) - cpuBefore;
    QVERIFY2(cpuUsed < 100, qPrintable(QStringLiteral("%1 ms of CPU").arg(cpuUsed)));
    QCOMPARE(lost.count(), 1);
}

void TestSerialPort::writeAfterHangUpFails()
{
    PtyPair pair;
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    QSignalSpy lost(port.get(), &SerialPort::deviceLost);
    pair.closeMaster();

    QVERIFY(!port->write("into the void"));
    QVERIFY(port->isLost());
    QVERIFY(lost.wait(1000));
    QCOMPARE(lost.count(), 1);
}

// Bytes taken away between the wake-up and the read (as by a purge in the same round of the
// event loop) leave the read with nothing; that is not a lost line.
void TestSerialPort::stolenWakeUpIsNotLoss()
{
    PtyPair pair;
    // Created before the port, so that it is woken first for the same bytes.
    auto thief = std::make_unique<QSocketNotifier>(pair.slaveFd(), QSocketNotifier::Read);
    connect(thief.get(), &QSocketNotifier::activated, this, [&] {
        char sink[64];
        while (::read(pair.slaveFd(), sink, sizeof sink) > 0) {
        }
    });
    auto port = OpenAt(pair.slavePath());
    QVERIFY(port);
    const QSerialPort *device = DeviceOf(port);
    QVERIFY(device);
    QSignalSpy errors(device, &QSerialPort::errorOccurred);
    QSignalSpy ready(port.get(), &SerialPort::readyRead);

    for (int round = 0; round < 20 && errors.isEmpty(); ++round) {
        QVERIFY(pair.writeMaster("x"));
        errors.wait(20);
    }
    thief.reset();
    if (errors.isEmpty())
        QSKIP("the event loop never woke the port for bytes already taken");
    QVERIFY(!port->isLost());

    port->read(100);
    ready.clear();
    QVERIFY(pair.writeMaster("after"));
    QVERIFY(ready.wait(1000));
    QCOMPARE(port->read(100), QByteArray("after"));
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
