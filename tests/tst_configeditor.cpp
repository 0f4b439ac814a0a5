// The editors' rules without widgets: cell texts, offered speeds, storing, the table-state rows.
#include "config/configeditor.h"
#include "config/configtexts.h"
#include "config/recordconversion.h"
#include "config/tablestaterows.h"
#include "shell/settings.h"

#include <QtTest>

#include <functional>

using namespace ktv31;

namespace {

using RecordChange = std::function<void(ConfigRecord &)>;

ConfigRecord Generation(int version)
{
    ConfigRecord record;
    NewConfigRecord(record, 3);
    record.setU8(RecordOffset::SoftwareVersion, quint8(version));
    return record;
}

// Input that passes, as the editor shows a new record of generation 5.
EditorInput Valid()
{
    EditorInput input;
    input.speedCode = 2;
    input.priority = 1;
    input.calculatorPreambles = 0;
    input.retryDelay = 0;
    input.rtsControl = 0;
    input.answerPreambles = QStringLiteral("3");
    input.requestPreambles = QStringLiteral("5");
    input.answerWait = QStringLiteral("0");
    return input;
}

void SetEntry(ConfigRecord &record, int address, quint8 connected, quint8 port, quint8 speed)
{
    const int entry = LinkEntry::OffsetOf(address);
    record.setU8(entry + LinkEntry::Connected, connected);
    record.setU8(entry + LinkEntry::Port, port);
    record.setU8(entry + LinkEntry::SpeedCode, speed);
}

TableStateBuffer StateWithDestroyed(std::initializer_list<int> destroyed)
{
    TableStateBuffer state;
    for (const ConfigTableFlag &flag : ConfigTableFlags())
        state.setU8(TableStateOffset::Writable + flag.table, flag.writable);
    for (int table : destroyed)
        state.setU8(TableStateOffset::Destroyed + table, 1);
    return state;
}

} // namespace

Q_DECLARE_METATYPE(EditorInput)
Q_DECLARE_METATYPE(RecordChange)

class TestConfigEditor : public QObject
{
    Q_OBJECT
private slots:
    void offeredSpeeds();
    void calculatorCells_data();
    void calculatorCells();
    void storeInput_data();
    void storeInput();
    void unchangedRecordStaysUnchanged_data();
    void unchangedRecordStaysUnchanged();
    void disconnectAllKeepsAddressZero();
    void calculatorLinkCheck();
    void tableStateRows_data();
    void tableStateRows();
    void writeChoices();
};

void TestConfigEditor::offeredSpeeds()
{
    QCOMPARE(OfferedSpeedCodes(0x00000A00), (QList<int>{9, 11}));
    QCOMPARE(OfferedSpeedCodes(0xFFFFFFFF).size(), 22);
    QVERIFY(OfferedSpeedCodes(0).isEmpty());
    ConfigImage image;
    OfferEverySpeed(image);
    QCOMPARE(UpperSpeedMask(image), 0xFFFFFFFFu);
    QCOMPARE(CalculatorSpeedMask(image), 0xFFFFFFFFu);
}

void TestConfigEditor::calculatorCells_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QList<int>>("entry");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("connected on B at 9600")
        << 5 << QList<int>{1, 2, 11}
        << QStringList{"      5", "         Да", "         B", "        9600"};
    QTest::newRow("not connected")
        << 254 << QList<int>{0, 2, 11} << QStringList{"      254", "         Нет", "", ""};
    QTest::newRow("unknown port") << 17 << QList<int>{1, 7, 0}
                                  << QStringList{"      17", "         Да", "         ?",
                                                 "        300"};
}

void TestConfigEditor::calculatorCells()
{
    QFETCH(int, address);
    QFETCH(QList<int>, entry);
    QFETCH(QStringList, cells);
    ConfigRecord record;
    SetEntry(record, address, quint8(entry[0]), quint8(entry[1]), quint8(entry[2]));
    const auto shown = CalculatorCells(record, address);
    QCOMPARE(QStringList(shown.begin(), shown.end()), cells);
}

void TestConfigEditor::storeInput_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<EditorInput>("input");
    QTest::addColumn<QString>("fault"); // both lines joined by "|"; empty: stored
    const auto with = [](std::function<void(EditorInput &)> change) {
        EditorInput input = Valid();
        change(input);
        return input;
    };
    const QString notAll = QStringLiteral("Введены не все параметры|");
    const QString preambles = QStringLiteral("Количество преамбул|вне допустимого диапазона");
    const QString wait =
        QStringLiteral("Длительность ожидания ответа от вычислителя|вне допустимого диапазона");
    QTest::newRow("valid") << 5 << Valid() << QString();
    QTest::newRow("speed not offered")
        << 5 << with([](EditorInput &i) { i.speedCode = -1; }) << notAll;
    QTest::newRow("no priority") << 5 << with([](EditorInput &i) { i.priority = -1; }) << notAll;
    QTest::newRow("no retry delay")
        << 5 << with([](EditorInput &i) { i.retryDelay = -1; }) << notAll;
    QTest::newRow("answer wait empty")
        << 5 << with([](EditorInput &i) { i.answerWait.clear(); }) << notAll;
    QTest::newRow("version 6 without RTS")
        << 6 << with([](EditorInput &i) { i.rtsControl = -1; }) << notAll;
    QTest::newRow("version 4 without RTS")
        << 4 << with([](EditorInput &i) { i.rtsControl = -1; }) << QString();
    QTest::newRow("preambles empty count as 0")
        << 5 << with([](EditorInput &i) { i.answerPreambles.clear(); }) << QString();
    QTest::newRow("answer preambles 256")
        << 5 << with([](EditorInput &i) { i.answerPreambles = QStringLiteral("256"); })
        << preambles;
    QTest::newRow("request preambles 256, wait 256: preambles first")
        << 5 << with([](EditorInput &i) {
               i.requestPreambles = QStringLiteral("256");
               i.answerWait = QStringLiteral("256");
           })
        << preambles;
    QTest::newRow("wait 256") << 5
                              << with([](EditorInput &i) { i.answerWait = QStringLiteral("256"); })
                              << wait;
    QTest::newRow("wait 255") << 5
                              << with([](EditorInput &i) { i.answerWait = QStringLiteral("255"); })
                              << QString();
}

void TestConfigEditor::storeInput()
{
    QFETCH(int, version);
    QFETCH(EditorInput, input);
    QFETCH(QString, fault);
    ConfigRecord record = Generation(version);
    record.setU8(LinkFieldOffset::RtsControl, 0x5A);
    input.modemString = QStringLiteral("ABC");
    const ConfigRecord before = record;
    // Shown as nothing the controls could hold: every value counts as the person's own.
    EditorInput nothing;
    nothing.answerPreambles = nothing.requestPreambles = nothing.answerWait = nothing.modemString =
        QStringLiteral("?");
    const std::optional<InputFault> result = StoreEditorInput(input, nothing, record);
    if (!fault.isEmpty()) {
        QVERIFY(result);
        QCOMPARE(result->line1 + u'|' + result->line2, fault);
        QCOMPARE(record.toBytes(), before.toBytes()); // nothing stored
        return;
    }
    QVERIFY(!result);
    QCOMPARE(int(record.u8(LinkFieldOffset::UpperSpeed)), input.speedCode);
    QCOMPARE(int(record.u8(LinkFieldOffset::AnswerPreambles)), input.answerPreambles.toInt());
    QCOMPARE(int(record.u8(LinkFieldOffset::AnswerWait)), input.answerWait.toInt());
    QCOMPARE(int(record.u8(LinkFieldOffset::Priority)), input.priority);
    const bool rtsStored = version != 3 && version != 4 && input.rtsControl >= 0;
    QCOMPARE(int(record.u8(LinkFieldOffset::RtsControl)), rtsStored ? input.rtsControl : 0x5A);
    QCOMPARE(record.slice(RecordOffset::ModemString, ModemStringSize),
             QByteArray("ABC\r") + QByteArray(60, '\0'));
    QCOMPARE(EditorModemString(record), QStringLiteral("ABC"));
}

void TestConfigEditor::unchangedRecordStaysUnchanged_data()
{
    QTest::addColumn<QByteArray>("modem"); // as stored in the record
    QTest::addColumn<QString>("typed");    // what the person typed over it; empty: left alone
    QTest::addColumn<QByteArray>("stored");
    const QByteArray sixtyThree = QByteArray(63, 'A') + '\r';
    QTest::newRow("in the editor's own form")
        << QByteArray("ATZ\r") << QString() << QByteArray("ATZ\r");
    QTest::newRow("without its CR") << QByteArray("ATZ") << QString() << QByteArray("ATZ");
    QTest::newRow("with blanks") << QByteArray(" ATZ \r") << QString() << QByteArray(" ATZ \r");
    QTest::newRow("longer than the edit takes") << sixtyThree << QString() << sixtyThree;
    QTest::newRow("empty") << QByteArray() << QString() << QByteArray();
    QTest::newRow("typed over") << QByteArray(" ATZ \r") << QStringLiteral("ATM0")
                                << QByteArray("ATM0\r");
}

void TestConfigEditor::unchangedRecordStaysUnchanged()
{
    QFETCH(QByteArray, modem);
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);
    ConfigRecord record = Generation(5);
    record.setSlice(RecordOffset::ModemString, int(modem.size()), modem);
    record.setU8(LinkFieldOffset::Priority, 7); // no such item: the list shows nothing of it
    const ConfigRecord snapshot = record;
    // The input exactly as the editor would show this record.
    EditorInput shown;
    shown.speedCode = record.u8(LinkFieldOffset::UpperSpeed);
    shown.answerPreambles = QString::number(record.u8(LinkFieldOffset::AnswerPreambles));
    shown.requestPreambles = QString::number(record.u8(LinkFieldOffset::RequestPreambles));
    shown.answerWait = QString::number(record.u8(LinkFieldOffset::AnswerWait));
    shown.priority = 0;
    shown.calculatorPreambles = record.u8(LinkFieldOffset::CalculatorPreambles);
    shown.retryDelay = record.u8(LinkFieldOffset::RetryDelay);
    shown.rtsControl = record.u8(LinkFieldOffset::RtsControl);
    shown.modemString = EditorModemString(record).left(MaxEditorModemStringLength);
    EditorInput input = shown;
    if (!typed.isEmpty())
        input.modemString = typed;
    QVERIFY(!StoreEditorInput(input, shown, record));
    QCOMPARE(record.slice(RecordOffset::ModemString, ModemStringSize),
             stored + QByteArray(ModemStringSize - int(stored.size()), '\0'));
    // Only what was typed differs from the record as it came.
    ConfigRecord expected = snapshot;
    expected.setSlice(RecordOffset::ModemString, ModemStringSize,
                      record.slice(RecordOffset::ModemString, ModemStringSize));
    QCOMPARE(record.toBytes(), expected.toBytes());
}

void TestConfigEditor::disconnectAllKeepsAddressZero()
{
    ConfigRecord record;
    for (int address = 0; address < CalculatorCount; ++address)
        SetEntry(record, address, 1, 3, 11);
    DisconnectAllCalculators(record);
    QCOMPARE(record.u8(LinkEntry::OffsetOf(0) + LinkEntry::Connected), 1);
    for (int address = 1; address < CalculatorCount; ++address) {
        QCOMPARE(record.u8(LinkEntry::OffsetOf(address) + LinkEntry::Connected), 0);
        QCOMPARE(record.u8(LinkEntry::OffsetOf(address) + LinkEntry::Port), 3);
    }
}

void TestConfigEditor::calculatorLinkCheck()
{
    QVERIFY(!CheckCalculatorLink(true, true, true));
    QVERIFY(!CheckCalculatorLink(false, false, false));
    QVERIFY(CheckCalculatorLink(true, false, true));
    QVERIFY(CheckCalculatorLink(true, true, false));
}

void TestConfigEditor::tableStateRows_data()
{
    QTest::addColumn<TableStateBuffer>("state");
    QTest::addColumn<bool>("telephone");
    QTest::addColumn<QList<int>>("ticked");
    QTest::newRow("table 6 destroyed") << StateWithDestroyed({6}) << false << QList<int>{6};
    QTest::newRow("table 2 has no row") << StateWithDestroyed({2}) << false << QList<int>{};
    QTest::newRow("telephone: nothing may be chosen")
        << StateWithDestroyed({3, 6}) << true << QList<int>{};
}

void TestConfigEditor::tableStateRows()
{
    QFETCH(TableStateBuffer, state);
    QFETCH(bool, telephone);
    QFETCH(QList<int>, ticked);
    const QList<TableStateRow> rows = TableStateRows(state, telephone);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].caption, QStringLiteral(" Табл.  3.  Параметры связи"));
    QCOMPARE(rows[1].caption, QStringLiteral(" Табл.  5.  Командная строка модема"));
    QList<int> seenTicked;
    for (const TableStateRow &row : rows) {
        QCOMPARE(row.destroyed, state.Destroyed(row.table));
        QCOMPARE(row.enabled, !telephone);
        if (row.ticked)
            seenTicked << row.table;
    }
    QCOMPARE(seenTicked, ticked);
}

void TestConfigEditor::writeChoices()
{
    TableStateBuffer state = StateWithDestroyed({});
    QVERIFY(!ChooseTickedTables(state, {}));
    QCOMPARE(state.WriteChoiceCount(), 0);
    QVERIFY(ChooseTickedTables(state, {5, 2})); // table 2 is not writable
    QCOMPARE(state.WriteChoiceCount(), 1);
    QVERIFY(state.WriteChosen(5));
    ChooseAllTables(state);
    QCOMPARE(state.WriteChoiceCount(), 3);
    QVERIFY(state.WriteChosen(3) && state.WriteChosen(5) && state.WriteChosen(6));
}

QTEST_APPLESS_MAIN(TestConfigEditor)
#include "tst_configeditor.moc"
