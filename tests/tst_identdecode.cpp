// Identification view decoding and the device check, over hand-made identification blocks.
#include "config/configimage.h"
#include "connection/devicecheck.h"
#include "connection/identdecode.h"

#include <QtTest>

using namespace ktv31;

namespace {
using Block = std::array<quint8, IdentificationSize>;

Block blockWith(std::initializer_list<std::pair<int, int>> bytes)
{
    Block b{};
    for (auto [offset, value] : bytes)
        b[size_t(offset)] = quint8(value);
    return b;
}
} // namespace

class TestIdentDecode : public QObject
{
    Q_OBJECT
private slots:
    void allZeroFullView();
    void fullViewValues_data();
    void fullViewValues();
    void reducedView();
    void deviceCheck_data();
    void deviceCheck();
};

void TestIdentDecode::allZeroFullView()
{
    const Block zero{};
    const auto lines = DecodeIdentification(zero.data(), true);
    const QStringList expected = {"0",
                                  "0",
                                  "0",
                                  "**.**.00  00:00:00",
                                  "Мл. адрес - ст. байт",
                                  "Разрушенных таблиц нет",
                                  "Нет",
                                  "Есть",
                                  "0.0.0"};
    for (int i = 0; i < IdentLineCount; ++i)
        QCOMPARE(lines[size_t(i)].value, expected[i]);
    QVERIFY(!lines[5].alarm);
    QCOMPARE(
        lines[8].label,
        QString(
            "Номер последней версии протокола QRM-LD71-K, которая поддерживается контроллером"));
}

void TestIdentDecode::fullViewValues_data()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("value");
    QTest::newRow("version 3") << blockWith({{3, 3}}) << 2 << "3 (Чтение и запись)";
    QTest::newRow("version 4") << blockWith({{3, 4}}) << 2 << "4 (Только чтение)";
    QTest::newRow("version 6") << blockWith({{3, 6}}) << 2 << "6 (Только чтение)";
    QTest::newRow("version 9") << blockWith({{3, 9}}) << 2 << "9";
    QTest::newRow("valid date") << blockWith({{4, 26}, {5, 12}, {6, 8}, {7, 23}, {8, 59}, {9, 0}})
                                << 3 << "08.12.26  23:59:00";
    QTest::newRow("year 100") << blockWith({{4, 100}, {5, 1}, {6, 1}}) << 3 << "01.01.**  00:00:00";
    QTest::newRow("month 13 day 32") << blockWith({{5, 13}, {6, 32}}) << 3 << "**.**.00  00:00:00";
    QTest::newRow("hour 24 min 60 sec 60")
        << blockWith({{5, 1}, {6, 1}, {7, 24}, {8, 60}, {9, 60}}) << 3 << "01.01.00  **:**:**";
    QTest::newRow("byte order 1") << blockWith({{10, 1}}) << 4 << "Мл. адрес - мл. байт";
    QTest::newRow("byte order 2") << blockWith({{10, 2}}) << 4 << " ? ";
    QTest::newRow("destroyed 5") << blockWith({{0, 5}}) << 5 << "Разрушена таблица 5";
    QTest::newRow("multi speed") << blockWith({{11, 1}}) << 6 << "Есть";
    QTest::newRow("fixed address 17") << blockWith({{13, 17}}) << 7 << "Нет. Адрес = 17";
    QTest::newRow("protocol") << blockWith({{14, 1}, {15, 2}, {16, 30}}) << 8 << "1.2.30";
}

void TestIdentDecode::fullViewValues()
{
    QFETCH(Block, block);
    QFETCH(int, line);
    QFETCH(QString, value);
    const auto lines = DecodeIdentification(block.data(), true);
    QCOMPARE(lines[size_t(line)].value, value);
    QCOMPARE(lines[5].alarm, block[0] != 0);
}

void TestIdentDecode::reducedView()
{
    for (auto [version, text] : {std::pair{3, "3 или 4"}, {5, "5 или 6"}, {4, "4"}}) {
        const Block b = blockWith({{1, 8}, {3, version}, {4, 26}, {0, 2}});
        const auto lines = DecodeIdentification(b.data(), false);
        QCOMPARE(lines[0].value, QString("8"));
        QCOMPARE(lines[2].value, QString(text));
        for (int i : {1, 3, 4, 5, 6, 7, 8}) {
            QVERIFY(lines[size_t(i)].value.isEmpty());
            QVERIFY(!lines[size_t(i)].enabled);
        }
        QVERIFY(lines[0].enabled && lines[2].enabled);
    }
}

void TestIdentDecode::deviceCheck_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    const QString typeLine = "Программа не обслуживает устройства данного типа";
    const QString versionLine2 = "Программа обслуживает контроллеры с версией ПО от 3 до 6";
    QTest::newRow("type 7") << 7 << 5 << false << typeLine
                            << "(код типа подключенного устройства  7)";
    QTest::newRow("type 7 bad version")
        << 7 << 9 << false << typeLine << "(код типа подключенного устройства  7)";
    QTest::newRow("version 2") << 8 << 2 << false << "Версия ПО подключенного устройства 2."
                               << versionLine2;
    QTest::newRow("version 7") << 8 << 7 << false << "Версия ПО подключенного устройства 7."
                               << versionLine2;
    QTest::newRow("version 3") << 8 << 3 << true << QString() << QString();
    QTest::newRow("version 6") << 8 << 6 << true << QString() << QString();
}

void TestIdentDecode::deviceCheck()
{
    QFETCH(int, type);
    QFETCH(int, version);
    QFETCH(bool, accepted);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    ConfigImage image;
    image.setU8(ImageOffset::TypeCode, quint8(type));
    image.setU8(ImageOffset::SoftwareVersion, quint8(version));
    const DeviceVerdict verdict = CheckDevice(image);
    QCOMPARE(verdict.accepted, accepted);
    QCOMPARE(verdict.line1, line1);
    QCOMPARE(verdict.line2, line2);
}

QTEST_GUILESS_MAIN(TestIdentDecode)
#include "tst_identdecode.moc"
