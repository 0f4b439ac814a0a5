// Tests of the result, controller error and reason texts and of the speed codes.
#include "protocol/controllercodes.h"
#include "shell/messagebox.h"

#include <QtTest>

#include <set>

using namespace ktv31;

namespace {

enum class Table
{
    Result,
    Error,
    Reason
};

QString textOf(Table table, int code)
{
    switch (table) {
    case Table::Result:
        return ResultCodeText(code);
    case Table::Error:
        return ControllerErrorText(code);
    case Table::Reason:
        return ReasonText(code);
    }
    return {};
}

int countOf(Table table)
{
    switch (table) {
    case Table::Result:
        return ResultCount;
    case Table::Error:
        return ControllerErrorCount;
    case Table::Reason:
        return ReasonCodeCount;
    }
    return 0;
}

// Codes whose text is empty by design; every other code inside its table has a text.
std::set<int> emptyCodes(Table table)
{
    switch (table) {
    case Table::Result:
        return {6, 8, 13, 14, 17};
    case Table::Error:
    case Table::Reason:
        return {0};
    }
    return {};
}

void addTableColumn()
{
    QTest::addColumn<int>("table");
}

void addTableRows()
{
    QTest::newRow("result") << int(Table::Result);
    QTest::newRow("error") << int(Table::Error);
    QTest::newRow("reason") << int(Table::Reason);
}

} // namespace

class TestControllerCodes : public QObject
{
    Q_OBJECT

private slots:
    void tableSizes();
    void textsPresentExactlyWhereExpected_data();
    void textsPresentExactlyWhereExpected();
    void outsideTablesEmpty_data();
    void outsideTablesEmpty();
    void blanksOnlyWhereIntended_data();
    void blanksOnlyWhereIntended();
    void exactTexts_data();
    void exactTexts();
    void speedConversions_data();
    void speedConversions();
    void speedRoundTrip();
    void messageKinds_data();
    void messageKinds();
};

void TestControllerCodes::tableSizes()
{
    QCOMPARE(ResultCount, 22);
    QCOMPARE(ControllerErrorCount, 65);
    QCOMPARE(ReasonCodeCount, 52);
    QCOMPARE(SpeedCodeCount, 22);
    QCOMPARE(int(SpeedTable().size()), SpeedCodeCount);
}

void TestControllerCodes::textsPresentExactlyWhereExpected_data()
{
    addTableColumn();
    addTableRows();
}

void TestControllerCodes::textsPresentExactlyWhereExpected()
{
    QFETCH(int, table);
    const Table t = Table(table);
    const std::set<int> empty = emptyCodes(t);
    for (int code = 0; code < countOf(t); ++code)
        QVERIFY2(textOf(t, code).isEmpty() == (empty.count(code) == 1),
                 qPrintable(QStringLiteral("code %1").arg(code)));
}

void TestControllerCodes::outsideTablesEmpty_data()
{
    addTableColumn();
    QTest::addColumn<int>("code");
    QTest::newRow("result -1") << int(Table::Result) << -1;
    QTest::newRow("result 22") << int(Table::Result) << 22;
    QTest::newRow("error -1") << int(Table::Error) << -1;
    QTest::newRow("error 65") << int(Table::Error) << 65;
    QTest::newRow("error 255") << int(Table::Error) << 255;
    QTest::newRow("reason -1") << int(Table::Reason) << -1;
    QTest::newRow("reason 52") << int(Table::Reason) << 52;
    QTest::newRow("reason huge") << int(Table::Reason) << (1 << 30);
}

void TestControllerCodes::outsideTablesEmpty()
{
    QFETCH(int, table);
    QFETCH(int, code);
    QVERIFY(textOf(Table(table), code).isEmpty());
}

// Trailing and doubled blanks are part of a few texts; anywhere else they are a slip.
void TestControllerCodes::blanksOnlyWhereIntended_data()
{
    addTableColumn();
    QTest::addColumn<QList<int>>("trailing");
    QTest::addColumn<QList<int>>("doubled");
    QTest::newRow("result") << int(Table::Result) << QList<int>{} << QList<int>{};
    QTest::newRow("error") << int(Table::Error) << QList<int>{33} << QList<int>{};
    QTest::newRow("reason") << int(Table::Reason) << QList<int>{2}
                            << QList<int>{3, 4, 5, 6, 7, 8, 9};
}

void TestControllerCodes::blanksOnlyWhereIntended()
{
    QFETCH(int, table);
    QFETCH(QList<int>, trailing);
    QFETCH(QList<int>, doubled);
    const Table t = Table(table);
    QList<int> foundTrailing, foundDoubled;
    for (int code = 0; code < countOf(t); ++code) {
        const QString text = textOf(t, code);
        QVERIFY2(!text.startsWith(QLatin1Char(' ')), qPrintable(QString::number(code)));
        if (text.endsWith(QLatin1Char(' ')))
            foundTrailing << code;
        if (text.contains(QLatin1String("  ")))
            foundDoubled << code;
    }
    QCOMPARE(foundTrailing, trailing);
    QCOMPARE(foundDoubled, doubled);
}

void TestControllerCodes::exactTexts_data()
{
    addTableColumn();
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("result 0") << int(Table::Result) << 0 << QStringLiteral("Команда выполнена");
    QTest::newRow("result 12") << int(Table::Result) << 12
                               << QStringLiteral("Перестановка крана невозможна.");
    QTest::newRow("result 18") << int(Table::Result) << 18
                               << QStringLiteral(
                                      "Несоответствие идентификатора запроса в ответе(%d->%d)");
    QTest::newRow("result 19") << int(Table::Result) << 19
                               << QStringLiteral(
                                      "Обмен прерван по признаку завершения работы программы");
    QTest::newRow("error 1") << int(Table::Error) << 1 << QStringLiteral("Неизвестный код команды");
    QTest::newRow("error 33") << int(Table::Error) << 33
                              << QStringLiteral("Пользователь с таким именем уже есть ");
    QTest::newRow("error 38") << int(Table::Error) << 38
                              << QStringLiteral("Переход в режим работы \"Автомат\" невозможен");
    QTest::newRow("error 56") << int(Table::Error) << 56
                              << QStringLiteral(
                                     "Изменение параметров возможно только в режиме \"Настройка\"");
    QTest::newRow("error 60") << int(Table::Error) << 60 << QStringLiteral("Разрушена таблица");
    QTest::newRow("error 64") << int(Table::Error) << 64
                              << QStringLiteral("Программа разрушена или установлена перемычка");
    QTest::newRow("reason 1") << int(Table::Reason) << 1
                              << QStringLiteral(
                                     "Разрушена таблица, содержащая кол. подключенных КУС и КУК");
    QTest::newRow("reason 2") << int(Table::Reason) << 2
                              << QStringLiteral("Ошибочный код направления перестановки ");
    QTest::newRow("reason 3") << int(Table::Reason) << 3
                              << QStringLiteral("Обрыв цепи концевого выключателя  (\"Открыто\")");
    QTest::newRow("reason 4") << int(Table::Reason) << 4
                              << QStringLiteral("КЗ цепи концевого выключателя  (\"Открыто\")");
    QTest::newRow("reason 5") << int(Table::Reason) << 5
                              << QStringLiteral("Обрыв цепи концевого выключателя  (\"Закрыто\")");
    QTest::newRow("reason 6") << int(Table::Reason) << 6
                              << QStringLiteral("КЗ цепи концевого выключателя  (\"Закрыто\")");
    QTest::newRow("reason 7") << int(Table::Reason) << 7
                              << QStringLiteral("Обрыв цепи соленоида  (\"Открыть\")");
    QTest::newRow("reason 8") << int(Table::Reason) << 8
                              << QStringLiteral("Обрыв цепи соленоида  (\"Закрыть\")");
    QTest::newRow("reason 9") << int(Table::Reason) << 9
                              << QStringLiteral("Обрыв цепи соленоида  (\"Смазка\")");
    QTest::newRow("reason 18") << int(Table::Reason) << 18
                               << QStringLiteral("Ручное упр. в режиме \"Автомат\" не допускается");
    QTest::newRow("reason 33") << int(Table::Reason) << 33
                               << QStringLiteral("Активен вход \"Аварийный останов\"");
    QTest::newRow("reason 43") << int(Table::Reason) << 43
                               << QStringLiteral("КЗ цепи соленоида \"Открыть\"");
    QTest::newRow("reason 44") << int(Table::Reason) << 44
                               << QStringLiteral("КЗ цепи соленоида \"Закрыть\"");
    QTest::newRow("reason 45") << int(Table::Reason) << 45
                               << QStringLiteral("КЗ цепи соленоида \"Смазка\"");
    QTest::newRow("reason 51") << int(Table::Reason) << 51 << QStringLiteral("Агрегат отсутствует");
}

void TestControllerCodes::exactTexts()
{
    QFETCH(int, table);
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(textOf(Table(table), code), text);
}

void TestControllerCodes::speedConversions_data()
{
    QTest::addColumn<int>("bitsPerSecond");
    QTest::addColumn<int>("code");
    QTest::newRow("lowest") << 300 << 0;
    QTest::newRow("default 1200") << 1200 << 2;
    QTest::newRow("9600") << 9600 << 11;
    QTest::newRow("highest") << 230400 << 21;
}

void TestControllerCodes::speedConversions()
{
    QFETCH(int, bitsPerSecond);
    QFETCH(int, code);
    QCOMPARE(SpeedToCode(bitsPerSecond), code);
    QCOMPARE(CodeToSpeed(code), bitsPerSecond);
}

void TestControllerCodes::speedRoundTrip()
{
    for (int code = 0; code < SpeedCodeCount; ++code) {
        QVERIFY(CodeToSpeed(code) > 0);
        QCOMPARE(SpeedToCode(CodeToSpeed(code)), code);
        if (code > 0)
            QVERIFY(CodeToSpeed(code) > CodeToSpeed(code - 1));
    }
    QCOMPARE(SpeedToCode(1000), -1);
    QCOMPARE(SpeedToCode(0), -1);
    QCOMPARE(CodeToSpeed(22), 0);
    QCOMPARE(CodeToSpeed(-1), 0);
}

void TestControllerCodes::messageKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("question");
    const QString result = QStringLiteral("Результат обмена с устройством");
    const QStringList plain{"a", "b", ""};
    QTest::newRow("1") << 1 << QStringLiteral("Ошибка") << plain << false;
    QTest::newRow("2") << 2 << QStringLiteral("Ошибка ввода параметров") << plain << false;
    QTest::newRow("3") << 3 << QString() << plain << true;
    QTest::newRow("4") << 4 << QStringLiteral("Сообщение")
                       << QStringList{"a", "b",
                                      QStringLiteral("(см. текущее состояние контроллера)")}
                       << false;
    QTest::newRow("5") << 5 << result << plain << false;
    QTest::newRow("6") << 6 << QString() << plain << false;
    QTest::newRow("7") << 7 << QString()
                       << QStringList{"a", "b", QStringLiteral("Повторить попытку?")} << true;
    QTest::newRow("8: result text first") << 8 << result << QStringList{"R", "a", "b"} << false;
    QTest::newRow("9") << 9 << QString()
                       << QStringList{"a", "b", QStringLiteral("Выполнить корректировку сейчас?")}
                       << true;
    for (int unknown : {0, 10})
        QTest::addRow("unknown %d: design texts", unknown)
            << unknown << QString()
            << QStringList{QStringLiteral("Нет связи с устройством."),
                           QStringLiteral("Попробуйте установить параметры связи"), ""}
            << false;
}

void TestControllerCodes::messageKinds()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QStringList, lines);
    QFETCH(bool, question);
    const MessageBoxLayout layout = DressMessageBox(MessageBoxKind(kind), QStringLiteral("a"),
                                                    QStringLiteral("b"), QStringLiteral("R"));
    QCOMPARE(layout.caption, caption);
    QCOMPARE(QStringList(layout.lines.begin(), layout.lines.end()), lines);
    QCOMPARE(layout.buttons == MessageButtons::YesNo, question);
    QCOMPARE(IsQuestion(MessageBoxKind(kind)), question);
}

QTEST_APPLESS_MAIN(TestControllerCodes)
#include "tst_controllercodes.moc"
