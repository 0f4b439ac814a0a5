// The identification view: what each line shows, the red destroyed table, the reduced view.
#include "windows/ident.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <array>

using namespace ktv31;

using Block = std::array<quint8, 17>;
Q_DECLARE_METATYPE(Block)

class TestIdent : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
};

void TestIdent::lines_data()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<bool>("fromDevice");
    QTest::addColumn<QStringList>("values"); // lines 1..9
    QTest::addColumn<int>("redLine");        // 0: none
    const Block zeros{};
    QTest::newRow("all zeros") << zeros << true << QStringList{"0",
                                                               "0",
                                                               "0",
                                                               "**.**.00  00:00:00",
                                                               "Мл. адрес - ст. байт",
                                                               "Разрушенных таблиц нет",
                                                               "Нет",
                                                               "Есть",
                                                               "0.0.0"}
                               << 0;
    QTest::newRow("out-of-range date, byte order 2, table 5, address 17")
        << Block{5, 8, 2, 6, 100, 13, 32, 24, 60, 60, 2, 1, 0, 17, 2, 1, 3} << true
        << QStringList{"8",
                       "2",
                       "6 (Только чтение)",
                       "**.**.**  **:**:**",
                       " ? ",
                       "Разрушена таблица 5",
                       "Есть",
                       "Нет. Адрес = 17",
                       "2.1.3"}
        << 6;
    QTest::newRow("reduced view of a file")
        << Block{5, 8, 2, 5, 26, 12, 8, 14, 30, 0, 1, 1, 0, 17, 2, 1, 3} << false
        << QStringList{"8", "", "5 или 6", "", "", "", "", "", ""} << 0;
}

void TestIdent::lines()
{
    QFETCH(Block, block);
    QFETCH(bool, fromDevice);
    QFETCH(QStringList, values);
    QFETCH(int, redLine);
    TFormIdent form;
    form.setBlock(block, fromDevice);
    form.show();
    QCOMPARE(form.size(), QSize(492, 416));
    for (int line = 1; line <= 9; ++line) {
        QLabel *value = form.valueLabel(line);
        QCOMPARE(value->text(), values[line - 1]);
        const bool red = value->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
        QCOMPARE(red, line == redLine);
        // The reduced view greys out every label but the type and the generation.
        QCOMPARE(form.captionLabel(line)->isEnabled(), fromDevice || line == 1 || line == 3);
    }
    QCOMPARE(form.focusWidget(), form.findChild<QPushButton *>(QStringLiteral("BitBtn2")));
}

QTEST_MAIN(TestIdent)
#include "tst_ident.moc"
