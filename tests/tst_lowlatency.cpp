// Tests of the low-latency decision for USB serial adapters against fake device-model trees.
#include "link/lowlatency.h"
#include "support/ptypair.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

using namespace ktv31;

Q_DECLARE_METATYPE(ktv31::LowLatencyMechanism)

namespace {

// Builds <root>/devices/<level>/... with a subsystem link on every level given as
// "name=subsystem" ("name=" has none), a driver link and optionally a latency_timer on the last
// level, and <root>/class/tty/<tty> pointing at the tty node whose device is that last level.
QString MakeFakeTty(const QString &root, const QString &tty, const QStringList &levels,
                    const QString &driver, bool latencyTimer)
{
    QString dir = root + QStringLiteral("/devices");
    QString lastSubsystem;
    for (const QString &level : levels) {
        const QStringList parts = level.split(QLatin1Char('='));
        dir += QLatin1Char('/') + parts[0];
        QDir().mkpath(dir);
        lastSubsystem = parts.value(1);
        if (!lastSubsystem.isEmpty()) {
            const QString bus = root + QStringLiteral("/bus/") + lastSubsystem;
            QDir().mkpath(bus);
            QFile::link(bus, dir + QStringLiteral("/subsystem"));
        }
    }
    if (!driver.isEmpty()) {
        const QString target =
            root + QStringLiteral("/bus/%1/drivers/%2").arg(lastSubsystem, driver);
        QDir().mkpath(target);
        QFile::link(target, dir + QStringLiteral("/driver"));
    }
    if (latencyTimer) {
        QFile timer(dir + QStringLiteral("/latency_timer"));
        timer.open(QIODevice::WriteOnly);
        timer.write("16\n");
    }
    const QString node = dir + QStringLiteral("/tty/") + tty;
    QDir().mkpath(node);
    if (!levels.isEmpty())
        QFile::link(dir, node + QStringLiteral("/device"));
    QDir().mkpath(root + QStringLiteral("/class/tty"));
    const QString classNode = root + QStringLiteral("/class/tty/") + tty;
    QFile::link(node, classNode);
    return classNode;
}

QString ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestLowLatency : public QObject
{
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
    void latencyTimer_data();
    void latencyTimer();
    void pseudoTerminalIsLeftAlone();
};

void TestLowLatency::decision_data()
{
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<bool>("latencyTimer");
    QTest::addColumn<bool>("onUsb");
    QTest::addColumn<LowLatencyMechanism>("expected");

    const QStringList usbPort{QStringLiteral("pci0000:00="), QStringLiteral("usb1=usb"),
                              QStringLiteral("1-1=usb"), QStringLiteral("1-1:1.0=usb"),
                              QStringLiteral("ttyUSB0=usb-serial")};
    QTest::newRow("ftdi adapter with latency timer")
        << usbPort << QStringLiteral("ftdi_sio") << true << true
        << LowLatencyMechanism::LatencyTimer;
    QTest::newRow("pl2303 adapter")
        << usbPort << QStringLiteral("pl2303") << false << true << LowLatencyMechanism::SerialFlag;
    QTest::newRow("cdc-acm modem")
        << QStringList{QStringLiteral("pci0000:00="), QStringLiteral("usb1=usb"),
                       QStringLiteral("1-2=usb"), QStringLiteral("1-2:1.0=usb")}
        << QStringLiteral("cdc_acm") << false << true << LowLatencyMechanism::SerialFlag;
    QTest::newRow("usb-serial port seen without its parents")
        << QStringList{QStringLiteral("ttyUSB3=usb-serial")} << QStringLiteral("ch341-uart")
        << false << false << LowLatencyMechanism::SerialFlag;
    QTest::newRow("on-board 8250")
        << QStringList{QStringLiteral("platform="), QStringLiteral("serial8250=platform")}
        << QStringLiteral("serial8250") << false << false << LowLatencyMechanism::None;
    QTest::newRow("pnp port of a newer kernel")
        << QStringList{QStringLiteral("pnp0="), QStringLiteral("00:00=pnp"),
                       QStringLiteral("00:00:0=serial-base")}
        << QStringLiteral("port") << false << false << LowLatencyMechanism::None;
    QTest::newRow("pci card with a latency attribute of its own")
        << QStringList{QStringLiteral("pci0000:00="), QStringLiteral("0000:03:00.0=pci")}
        << QStringLiteral("exar_serial") << true << false << LowLatencyMechanism::None;
    QTest::newRow("tty without a device")
        << QStringList{} << QString() << false << false << LowLatencyMechanism::None;
}

void TestLowLatency::decision()
{
    QFETCH(QStringList, levels);
    QFETCH(QString, driver);
    QFETCH(bool, latencyTimer);
    QFETCH(bool, onUsb);
    QFETCH(LowLatencyMechanism, expected);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString node =
        MakeFakeTty(root.path(), QStringLiteral("ttyX0"), levels, driver, latencyTimer);
    const TtyDeviceInfo info = ReadTtyDeviceInfo(node);
    QCOMPARE(info.driver, driver);
    QCOMPARE(info.onUsbBus, onUsb);
    QCOMPARE(!info.latencyTimerPath.isEmpty(), latencyTimer);
    QCOMPARE(ChooseLowLatency(info), expected);
}

void TestLowLatency::latencyTimer_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("after");

    QTest::newRow("default 16 ms lowered") << QByteArray("16\n") << QStringLiteral("1\n");
    QTest::newRow("already 1 ms kept") << QByteArray("1\n") << QStringLiteral("1\n");
    QTest::newRow("zero kept") << QByteArray("0\n") << QStringLiteral("0\n");
    QTest::newRow("unreadable value replaced") << QByteArray("fast\n") << QStringLiteral("1\n");
}

void TestLowLatency::latencyTimer()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("latency_timer"));
    WriteAll(path, content);
    QVERIFY(LowerLatencyTimer(path));
    QCOMPARE(ReadAll(path), after);
    QVERIFY(!LowerLatencyTimer(dir.filePath(QStringLiteral("missing"))));
}

void TestLowLatency::pseudoTerminalIsLeftAlone()
{
    test::PtyPair pty;
    QVERIFY(pty.isOpen());
    QSerialPort device(pty.slavePath());
    QVERIFY(device.open(QIODevice::ReadWrite));
    QCOMPARE(RequestLowLatency(device), LowLatencyMechanism::None);
    QVERIFY(pty.writeMaster("ok"));
    QVERIFY(device.waitForReadyRead(1000));
    QCOMPARE(device.readAll(), QByteArray("ok"));
}

QTEST_GUILESS_MAIN(TestLowLatency)
#include "tst_lowlatency.moc"
