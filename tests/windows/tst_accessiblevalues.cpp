// What a screen reader reads of the windows' values: the value as the name, the caption as the
// description, whatever it changes to. Read through QAccessible, as assistive technology
// reads it, not through the widgets.
#include "config/recordconversion.h"
#include "programrig.h"
#include "windows/config.h"
#include "windows/ident.h"
#include "windows/tableinfo.h"
#include "windows/vichpar.h"

#include <QAccessible>
#include <QLabel>
#include <QtTest>

#include <array>
#include <functional>
#include <memory>

using namespace ktv31;

namespace {

// The window under test, shown, and the widget in it that shows the value.
struct Shown
{
    std::shared_ptr<QWidget> window;
    QWidget *widget = nullptr;
};
using Show = std::function<Shown()>;

Shown Find(std::shared_ptr<QWidget> window, const char *name)
{
    window->show();
    return {window, window->findChild<QWidget *>(QLatin1String(name))};
}

} // namespace

Q_DECLARE_METATYPE(Show)

class TestAccessibleValues : public QObject
{
    Q_OBJECT
private slots:
    void valuesAreReadAsValues_data();
    void valuesAreReadAsValues();
    void aChangedValueIsReadAgain();
};

void TestAccessibleValues::valuesAreReadAsValues_data()
{
    QTest::addColumn<Show>("show");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // of a label; of an edit or a list, its value
    QTest::addColumn<QString>("labelledBy");  // the label a reader names an edit or a list by
    static QTemporaryDir dir;
    const QString programDir = dir.path() + QLatin1Char('/');
    const auto mainWindow = [programDir] {
        auto main = std::make_shared<TFormMain>(programDir);
        main->TimerStart()->stop();
        return main;
    };
    QTest::newRow("status panel 1") << Show([=] {
        auto main = mainWindow();
        main->StatusBar1()->setPanelText(0, QStringLiteral(" COM1,   1200 бит/с"));
        return Find(main, "Panel0");
    }) << " COM1,   1200 бит/с"
                                    << "Панель состояния 1" << QString();
    QTest::newRow("status panel 2") << Show([=] {
        auto main = mainWindow();
        main->StatusBar1()->setPanelText(1, QStringLiteral("Чтение из таблицы 0 (поля 0-17)"));
        return Find(main, "Panel1");
    }) << "Чтение из таблицы 0 (поля 0-17)"
                                    << "Панель состояния 2" << QString();
    QTest::newRow("call duration") << Show([=] {
        auto main = mainWindow();
        main->findChild<QLabel *>(QStringLiteral("pntime"))->setText(QStringLiteral("01:02:03"));
        return Find(main, "pntime");
    }) << "01:02:03"
                                   << "Продолжительность связи по телефону" << QString();
    static const std::array<quint8, 17> block{0, 8, 2, 5, 26, 12, 8, 14, 30,
                                              0, 1, 1, 0, 17, 2,  1, 3};
    QTest::newRow("identification: type code") << Show([] {
        auto ident = std::make_shared<TFormIdent>();
        ident->setBlock(block, true);
        return Find(ident, "ValueLine1");
    }) << "8"
                                               << "Код типа контроллера" << QString();
    static ConfigRecord record;
    QTest::newRow("calculator's address") << Show([] {
        return Find(std::make_shared<TFormVichPar>(CalculatorLink{}, 12, 0x3FFFFFu), "Label3");
    }) << "12"
                                          << "Адрес" << QString();
    const auto editor = [] {
        record = ConfigRecord();
        NewConfigRecord(record, 5);
        static ConfigImage image;
        static ConnectionSettings settings = ConnectionSettings::Defaults();
        return std::make_shared<TFormConfig>(record, image, settings);
    };
    const QString preambles = QStringLiteral("Количество преамбул\nпри ответе ВУ (0...255)");
    QTest::newRow("editor: a number")
        << Show([=] { return Find(editor(), "Edit2"); }) << preambles << "3" << preambles;
    QTest::newRow("editor: a list")
        << Show([=] { return Find(editor(), "ComboBox2"); }) << " Низкий"
        << " Низкий"
        << "Приоритет";
    static TableStateBuffer state;
    QTest::newRow("table state") << Show([] {
        for (const ConfigTableFlag &flag : ConfigTableFlags())
            state.setU8(TableStateOffset::Writable + flag.table, flag.writable);
        return Find(std::make_shared<TFormTableInfo>(state, false), "pw1");
    }) << "Нет"
                                 << "Разрушена: Табл.  3.  Параметры связи" << QString();
}

void TestAccessibleValues::valuesAreReadAsValues()
{
    QFETCH(Show, show);
    QFETCH(QString, name);
    QFETCH(QString, description);
    const Shown shown = show();
    QVERIFY(shown.widget);
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(shown.widget);
    QVERIFY(reader);
    QCOMPARE(reader->text(QAccessible::Name), name);
    const bool label = qobject_cast<QLabel *>(shown.widget);
    QCOMPARE(reader->text(label ? QAccessible::Description : QAccessible::Value), description);
    QFETCH(QString, labelledBy);
    if (labelledBy.isEmpty())
        return;
    QStringList labels;
    for (const auto &relation : reader->relations(QAccessible::Label))
        labels << relation.first->text(QAccessible::Name);
    QVERIFY2(labels.contains(labelledBy), qPrintable(labels.join(u'|')));
}

// A reader asking again hears the new value: nothing fixed stands in for it.
void TestAccessibleValues::aChangedValueIsReadAgain()
{
    QTemporaryDir dir;
    TFormMain main(dir.path() + QLatin1Char('/'));
    main.TimerStart()->stop();
    main.show();
    QAccessibleInterface *panel =
        QAccessible::queryAccessibleInterface(main.findChild<QWidget *>(QStringLiteral("Panel1")));
    QVERIFY(panel);
    for (const QString &text : {QStringLiteral("Запись в таблицу 6 (поле 12)"), QString()}) {
        main.StatusBar1()->setPanelText(1, text);
        QCOMPARE(panel->text(QAccessible::Name), text);
    }
}

QTEST_MAIN(TestAccessibleValues)
#include "tst_accessiblevalues.moc"
