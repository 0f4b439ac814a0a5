// Black-box test of a round of ktv31-cli over two lines of the simulator's telephone network.
#include "shell/settings.h"
#include "sim/simulator.h"
#include "sim/telephonenetwork.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace ktv31;
using namespace ktv31::sim;

namespace {

struct Round
{
    int status = -1;
    QHash<QString, QJsonObject> stations;
    QString err;
};

QStringList KeptFiles(const QString &programDir)
{
    QStringList files;
    QDirIterator it(programDir + QStringLiteral("CONFIG/stations"), {QStringLiteral("*.cnf")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class TstStationsCli : public QObject
{
    Q_OBJECT

private slots:
    void roundKeepsEachReachableStationOnce();

private:
    Round runRound(const QString &tool, const QStringList &arguments);
};

Round TstStationsCli::runRound(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KTV31_FAST_MODEM"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.start(tool, QStringList{QStringLiteral("--lines"), QStringLiteral("1,2"),
                                    QStringLiteral("--redial"), QStringLiteral("1"),
                                    QStringLiteral("--json"), QStringLiteral("--no-log")}
                            << arguments);
    Round round;
    if (!process.waitForFinished(60000)) {
        process.kill();
        return round;
    }
    round.status = process.exitCode();
    round.err = QString::fromUtf8(process.readAllStandardError());
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (!o.isEmpty())
            round.stations.insert(o.value(QStringLiteral("name")).toString(), o);
    }
    return round;
}

void TstStationsCli::roundKeepsEachReachableStationOnce()
{
    QTemporaryDir dir;
    const QString programDir = dir.path() + QLatin1Char('/');
    const QString tool = programDir + QStringLiteral("ktv31-cli");
    QVERIFY(QFile::copy(QStringLiteral(KTV31_BIN_DIR "/ktv31-cli"), tool));
    QVERIFY(QDir(programDir).mkdir(QStringLiteral("INI")));
    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setSpeed(115200);
    settings.setFirstByteWaitS(1);
    QVERIFY(SaveSettings(SettingsFilePath(programDir), settings));

    auto network = std::make_shared<TelephoneNetwork>();
    NetworkNumber sound;
    network->add(QStringLiteral("101"), sound);
    sound.controller.firmwareVersion = 3;
    network->add(QStringLiteral("102"), sound);
    NetworkNumber destroyed;
    destroyed.controller.destroyedTables = {5};
    network->add(QStringLiteral("103"), destroyed);
    NetworkNumber foreign;
    foreign.controller.typeCode = 7;
    network->add(QStringLiteral("104"), foreign);
    SimOptions line;
    line.modem.enabled = true;
    line.modem.guardTimeMs = 40; // well below the tool's shortened waits around "+++"
    line.modem.dialDelayMs = 20;
    line.modem.network = network;
    Simulator com1(line), com2(line);
    QVERIFY(com1.start() && com2.start());
    QVERIFY(com1.placeLink(programDir + QStringLiteral("INI/COM1")));
    QVERIFY(com2.placeLink(programDir + QStringLiteral("INI/COM2")));

    const QString book = programDir + QStringLiteral("book.csv");
    QFile file(book);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("name;phone\nЗаря;101\nРассвет;1-02\nРазрушенная;103\nЧужая;104\n"
                              "Мёртвая;109\n")
                   .toUtf8());
    file.close();

    const QStringList backup{QStringLiteral("stations"), QStringLiteral("backup"), book};
    const Round first = runRound(tool, backup);
    QCOMPARE(first.status, 1);
    QCOMPARE(first.stations.size(), 5);
    for (const char *name : {"Заря", "Рассвет"}) {
        const QJsonObject s = first.stations.value(QString::fromUtf8(name));
        QVERIFY2(s.value(QStringLiteral("ok")).toBool(), qPrintable(first.err));
        QVERIFY(QFile::exists(s.value(QStringLiteral("file")).toString()));
    }
    QCOMPARE(first.stations.value(QStringLiteral("Рассвет")).value(QStringLiteral("version")),
             QJsonValue(3));
    const QJsonObject broken = first.stations.value(QStringLiteral("Разрушенная"));
    QCOMPARE(broken.value(QStringLiteral("destroyed")).toArray(), QJsonArray{5});
    QVERIFY(broken.value(QStringLiteral("outcome"))
                .toString()
                .startsWith(QStringLiteral("Разрушена таблица № 5")));
    const QJsonObject other = first.stations.value(QStringLiteral("Чужая"));
    QVERIFY(!other.value(QStringLiteral("ok")).toBool());
    QVERIFY(other.value(QStringLiteral("outcome")).toString().contains(QLatin1Char('7')));
    QCOMPARE(first.stations.value(QStringLiteral("Мёртвая")).value(QStringLiteral("outcome")),
             QJsonValue(QStringLiteral("Потеря несущей")));
    QCOMPARE(KeptFiles(programDir).size(), 2);

    const Round second = runRound(tool, backup);
    QCOMPARE(second.status, 1);
    QCOMPARE(second.stations.value(QStringLiteral("Заря")).value(QStringLiteral("file")),
             QJsonValue());
    QCOMPARE(KeptFiles(programDir).size(), 2);

    // One change to every station: the reachable ones take it and keep it, named by field.
    const Round applied =
        runRound(tool, {QStringLiteral("stations"), QStringLiteral("apply"), book,
                        QStringLiteral("--set"), QStringLiteral("modem.init=ATZ")});
    QCOMPARE(applied.status, 1);
    const QJsonObject zarya = applied.stations.value(QStringLiteral("Заря"));
    QVERIFY2(zarya.value(QStringLiteral("ok")).toBool(), qPrintable(applied.err));
    QCOMPARE(zarya.value(QStringLiteral("changed")).toArray(),
             QJsonArray{QStringLiteral("modem.init")});
    QCOMPARE(KeptFiles(programDir).size(), 4);
}

QTEST_GUILESS_MAIN(TstStationsCli)
#include "tst_stationscli.moc"
