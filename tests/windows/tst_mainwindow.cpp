// The main window's frame: menu texts, the menu rule, the status bar, the call duration text.
#include "windows/main.h"
#include "windows/statusbar.h"

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace ktv31;

namespace {

QStringList VisibleTexts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        if (action->isVisible())
            texts << action->text();
    return texts;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void menuTreeAndRule_data();
    void menuTreeAndRule();
    void nothingVisibleBeforeStart();
    void formShowSizesPanelOne();
    void callDuration_data();
    void callDuration();

private:
    QTemporaryDir dir_;
};

void TestMainWindow::menuTreeAndRule_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("topLevel");
    QTest::addColumn<QStringList>("fileMenu");
    QTest::newRow("no device") << false
                               << QStringList{"Файл", "Связь с другим устройством", "Общее"}
                               << QStringList{"Файлы  конфигурации     ", "Выход"};
    QTest::newRow("accepted device")
        << true << QStringList{"Файл", "Параметры", "Связь с другим устройством", "Общее"}
        << QStringList{"Файлы  конфигурации     ", "Сохранение параметров конфигурации в файле   ",
                       "Выход"};
}

void TestMainWindow::menuTreeAndRule()
{
    QFETCH(bool, accepted);
    QFETCH(QStringList, topLevel);
    QFETCH(QStringList, fileMenu);
    TFormMain main(dir_.path() + QLatin1Char('/'));
    QCOMPARE(main.windowTitle(), QStringLiteral("Программа обслуживания контроллера  ktv31-ar"));
    main.StatusBar1()->setPanelText(0, QStringLiteral(" COM1,   1200 бит/с"));
    main.service().setDeviceAccepted(accepted);
    main.UpdateMenus();
    QCOMPARE(VisibleTexts(main.menuBar()->actions()), topLevel);
    QCOMPARE(VisibleTexts(main.menuBar()->actions().first()->menu()->actions()), fileMenu);
    QCOMPARE(VisibleTexts(main.findChild<QMenu *>(QStringLiteral("NCnf"))->actions()),
             (QStringList{"Создание нового файла конфигурации",
                          "Просмотр/Корректировка файла конфигурации"}));
    QCOMPARE(VisibleTexts(main.findChild<QMenu *>(QStringLiteral("NWorkPar"))->actions()),
             (QStringList{"Параметры идентификации", "Параметры конфигурации",
                          "Состояние таблиц параметров конфигурации"}));
    QCOMPARE(VisibleTexts(main.findChild<QMenu *>(QStringLiteral("NGeneral"))->actions()),
             (QStringList{"Журнал обмена", "О программе"}));
    QCOMPARE(main.StatusBar1()->panelText(0),
             accepted ? QStringLiteral(" COM1,   1200 бит/с") : QString());
    for (QAction *top : main.menuBar()->actions())
        QVERIFY2(!top->icon().isNull(), qPrintable(top->text()));
}

void TestMainWindow::nothingVisibleBeforeStart()
{
    TFormMain main(dir_.path() + QLatin1Char('/'));
    QVERIFY(VisibleTexts(main.menuBar()->actions()).isEmpty());
    QVERIFY(main.TimerStart()->isActive());
    QCOMPARE(main.TimerStart()->interval(), 100);
    QCOMPARE(main.TimerMessage()->interval(), 3000);
    QCOMPARE(main.TimerMoney()->interval(), 1000);
    QVERIFY(!main.TimerMessage()->isActive() && !main.TimerMoney()->isActive());
    QVERIFY(!main.findChild<QWidget *>(QStringLiteral("pnmodem"))->isVisible());
}

void TestMainWindow::formShowSizesPanelOne()
{
    TFormMain main(dir_.path() + QLatin1Char('/'));
    main.resize(725, 375);
    main.show();
    QCOMPARE(main.StatusBar1()->width(), 725);
    QCOMPARE(main.StatusBar1()->panelWidth(0), 180);
    QCOMPARE(main.StatusBar1()->panelWidth(1), 490);
    QCOMPARE(main.StatusBar1()->panelWidth(2), 80);
    QVERIFY(!main.StatusBar1()->isSizeGripEnabled());
}

void TestMainWindow::callDuration_data()
{
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << "00:00:00";
    QTest::newRow("1 h 2 min 3.9 s") << qint64((3600 + 120 + 3) * 1000 + 900) << "01:02:03";
    QTest::newRow("25 h: whole days dropped") << qint64(25 * 3600 * 1000) << "01:00:00";
}

void TestMainWindow::callDuration()
{
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, text);
    QCOMPARE(CallDurationText(elapsedMs), text);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
