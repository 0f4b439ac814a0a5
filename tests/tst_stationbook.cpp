// Tests of the station book: what a spreadsheet's CSV gives, and where a bad book is refused.
#include "connection/linkparameters.h"
#include "shell/cp1251.h"
#include "shell/settings.h"
#include "stations/stationbook.h"

#include <QtTest>

using namespace ktv31;

class TstStationBook : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatSpreadsheetsWrite_data();
    void readsWhatSpreadsheetsWrite();
    void refusesNamingLineAndColumn_data();
    void refusesNamingLineAndColumn();
    void stationSettingsOverlayTheBase();
};

void TstStationBook::readsWhatSpreadsheetsWrite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("phones");
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<QString>("lastInit");
    const QByteArray utf8 = QStringLiteral("name;phone;port\nГРС Заря;8-495-111;2\r\n").toUtf8();
    QTest::newRow("semicolons, UTF-8") << utf8 << QStringList{QStringLiteral("ГРС Заря")}
                                       << QStringList{"8-495-111"} << QList<int>{2} << QString();
    QTest::newRow("byte-order mark")
        << QByteArray("\xEF\xBB\xBF") + utf8 << QStringList{QStringLiteral("ГРС Заря")}
        << QStringList{"8-495-111"} << QList<int>{2} << QString();
    QTest::newRow("Windows-1251") << toCp1251(QStringLiteral("name;port\nГРС Заря;3\n"))
                                  << QStringList{QStringLiteral("ГРС Заря")} << QStringList{""}
                                  << QList<int>{3} << QString();
    QTest::newRow("commas, quotes, blank rows, any case")
        << QByteArray("Name,PHONE,modem-init\n\"a, b\",111,\"AT&F^ATS0=\"\"1\"\"\"\n,,\n"
                      "c,222,\"ATZ\nATE0\"\n")
        << QStringList{"a, b", "c"} << QStringList{"111", "222"} << QList<int>{0, 0}
        << QStringLiteral("ATZ\nATE0");
}

void TstStationBook::readsWhatSpreadsheetsWrite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QStringList, phones);
    QFETCH(QList<int>, ports);
    QFETCH(QString, lastInit);
    const StationBook book = ParseStationBook(bytes);
    QVERIFY2(book.ok(), qPrintable(book.fault ? book.fault->text() : QString()));
    QStringList gotNames, gotPhones;
    QList<int> gotPorts;
    for (const Station &s : book.stations) {
        gotNames << s.name;
        gotPhones << s.phone;
        gotPorts << s.port;
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotPhones, phones);
    QCOMPARE(gotPorts, ports);
    QCOMPARE(book.stations.last().modemInit.value_or(QString()), lastInit);
}

void TstStationBook::refusesNamingLineAndColumn_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("column");
    QTest::newRow("no header") << QByteArray("\n\n") << 1 << QString();
    QTest::newRow("no name column") << QByteArray("phone;port\n1;2\n") << 1 << "name";
    QTest::newRow("unknown column") << QByteArray("name;colour\na;red\n") << 1 << "colour";
    QTest::newRow("repeated column") << QByteArray("name;port;port\na;1;2\n") << 1 << "port";
    QTest::newRow("empty name") << QByteArray("name;phone\na;1\n;2\n") << 3 << "name";
    QTest::newRow("duplicate in another case")
        << QStringLiteral("name;phone\nЗаря;1\nb;2\nзаря;3\n").toUtf8() << 4 << "name";
    QTest::newRow("name that is no folder") << QByteArray("name;phone\n../x;1\n") << 2 << "name";
    QTest::newRow("direct without port") << QByteArray("name;phone\na;\n") << 2 << "port";
    QTest::newRow("port out of range") << QByteArray("name;port\na;17\n") << 2 << "port";
    QTest::newRow("speed not in table")
        << QByteArray("name;port;speed\na;1;1000\n") << 2 << "speed";
    QTest::newRow("attempts not a number")
        << QByteArray("name;port;attempts\na;1;x\n") << 2 << "attempts";
    QTest::newRow("number that ends the dial") << QByteArray("name;phone\na;123;ATH\n") << 2 << "3";
    QTest::newRow("quoted number that ends the dial")
        << QByteArray("name;phone\na;\"123;ATH\"\n") << 2 << "phone";
    QTest::newRow("modem string too long")
        << QByteArray("name;phone;modem_init\na;1;") + QByteArray(200, 'A') << 2 << "modem_init";
    QTest::newRow("open quote") << QByteArray("name;phone\na;1\n\"b;2\n") << 3 << QString();
}

void TstStationBook::refusesNamingLineAndColumn()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, column);
    const StationBook book = ParseStationBook(bytes);
    QVERIFY(!book.ok());
    QVERIFY(book.stations.isEmpty());
    QCOMPARE(book.fault->line, line);
    QCOMPARE(book.fault->column, column);
    QVERIFY(book.fault->text().startsWith(QStringLiteral("строка %1").arg(line)));
}

void TstStationBook::stationSettingsOverlayTheBase()
{
    const StationBook book = ParseStationBook(
        "name;phone;port;speed;connect_wait;modem_init\nt;8 (495) 1;;9600;30;ATZ\nd;;4;;;\n");
    QVERIFY(book.ok());
    ConnectionSettings base;
    base.setPortNumber(2);
    base.setModemCommand(QStringLiteral("AT&F"));
    const ConnectionSettings t = StationLinkSettings(book.stations[0], base);
    QCOMPARE(t.LinkType(), TelephoneLink);
    QCOMPARE(t.PortNumber(), 2);
    QCOMPARE(t.Speed(), 9600);
    QCOMPARE(t.ConnectWaitS(), 30);
    QCOMPARE(t.PhoneNumber(), QStringLiteral("8 (495) 1"));
    QCOMPARE(t.ModemCommand(), QStringLiteral("ATZ"));
    const ConnectionSettings d = StationLinkSettings(book.stations[1], base);
    QCOMPARE(d.LinkType(), DirectLink);
    QCOMPARE(d.PortNumber(), 4);
    QCOMPARE(d.Speed(), base.Speed());
    QCOMPARE(d.ModemCommand(), QStringLiteral("AT&F"));
}

QTEST_GUILESS_MAIN(TstStationBook)
#include "tst_stationbook.moc"
