// Black-box tests of the ktv31-sim executable: help, device path, link, clean stop on signals.
#include "config/tablerequest.h"
#include "support/simprogramside.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using ktv31::test::SimProgramSide;

namespace {

QString simBinary()
{
    return QStringLiteral(KTV31_BIN_DIR "/ktv31-sim");
}

// Starts the tool and reads the device path it prints; empty when it did not come up.
QString startSim(QProcess &process, const QStringList &arguments)
{
    process.start(simBinary(), arguments);
    if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

QByteArray probe()
{
    return SimProgramSide::TableFrame(
        ktv31::TableRequest::Read(0, 0, 17).slice(0, ktv31::TableRequest::ReadLength));
}

} // namespace

class TestSimExe : public QObject
{
    Q_OBJECT

private slots:
    void helpListsEveryOption();
    void badOptionValuesAreRefused_data();
    void badOptionValuesAreRefused();
    void linkIsPlacedAndRemoved_data();
    void linkIsPlacedAndRemoved();
    void optionsReachTheController();
};

void TestSimExe::helpListsEveryOption()
{
    QProcess process;
    process.start(simBinary(), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const char *option : {"--link",        "--device",
                               "--address",     "--type",
                               "--firmware",    "--hardware",
                               "--build-date",  "--destroyed",
                               "--upper-mask",  "--calculator-mask",
                               "--speed",       "--config",
                               "--pacing",      "--think",
                               "--fault",       "--fault-seed",
                               "--modem",       "--no-modem-at-all",
                               "--modem-guard", "--modem-dial-delay",
                               "--modem-dial",  "--log",
                               "--no-log",      "refuse=E"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
}

void TestSimExe::badOptionValuesAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("speed the controller lacks") << QStringList{"--speed", "1000"};
    QTest::newRow("address out of range") << QStringList{"--address", "300"};
    QTest::newRow("bad fault") << QStringList{"--fault", "explode"};
    QTest::newRow("bad dial script") << QStringList{"--modem-dial", "ringing"};
    QTest::newRow("destroyed table 9") << QStringList{"--destroyed", "9"};
    QTest::newRow("missing config file") << QStringList{"--config", "/nonexistent/x.cnf"};
}

void TestSimExe::badOptionValuesAreRefused()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(simBinary(), arguments << QStringLiteral("--no-log"));
    QVERIFY(process.waitForFinished(5000));
    QVERIFY(process.exitCode() != 0);
    QVERIFY(process.readAllStandardOutput().isEmpty()); // no device path for a broken start
    QVERIFY(!process.readAllStandardError().isEmpty());
}

void TestSimExe::linkIsPlacedAndRemoved_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestSimExe::linkIsPlacedAndRemoved()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("INI/COM1"));
    QProcess process;
    const QString device =
        startSim(process, {QStringLiteral("--link"), link, QStringLiteral("--no-log")});
    QVERIFY(!device.isEmpty());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), device);
    {
        SimProgramSide side(link, 1200);
        QVERIFY(side.write(probe()));
        QCOMPARE(side.readAnswer().size(), 26);
    }

    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void TestSimExe::optionsReachTheController()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("frames.log"));
    QProcess process;
    const QString device = startSim(process, {QStringLiteral("--speed"), QStringLiteral("9600"),
                                              QStringLiteral("--firmware"), QStringLiteral("3"),
                                              QStringLiteral("--destroyed"), QStringLiteral("5"),
                                              QStringLiteral("--log"), log});
    QVERIFY(!device.isEmpty());
    SimProgramSide side(device, 9600);
    QVERIFY(side.write(probe()));
    const QByteArray answer = side.readAnswer();
    QCOMPARE(answer.size(), 26);
    QCOMPARE(quint8(answer[7]), quint8(5));  // destroyed table
    QCOMPARE(quint8(answer[10]), quint8(3)); // firmware
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(5000));

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("request CC 00 0C 1D 00 00 11"));
}

QTEST_GUILESS_MAIN(TestSimExe)
#include "tst_simexe.moc"
