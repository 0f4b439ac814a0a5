// The connection dialog against the simulated controller on INI/COM1 of a program folder.
#include "modalscript.h"
#include "protocol/controllercodes.h"
#include "service/servicesession.h"
#include "sim/simulator.h"
#include "windows/connpar.h"
#include "windows/statusbar.h"
#include "windows/windowoperator.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace ktv31;
using ktv31::sim::Simulator;
using ktv31::test::ModalScript;

namespace {

struct Rig
{
    QTemporaryDir dir;
    QString programDir = dir.path() + QLatin1Char('/');
    ConnectionSettings settings = ConnectionSettings::Defaults();
    PanelStatusBar mainBar;
    WindowOperator op{nullptr, nullptr};
    ServiceSession service{settings, op, programDir};
    ModalScript script;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<TFormConnPar> form;

    Rig()
    {
        CreateProgramFolders(programDir);
        mainBar.setPanelWidths({180, 557, 80});
    }
    // The simulated controller at `speed` as COM1 of the program folder.
    bool startController(int speed)
    {
        sim::SimOptions options;
        options.speed = speed;
        sim = std::make_unique<Simulator>(options);
        return sim->start() && sim->placeLink(programDir + QStringLiteral("INI/COM1"));
    }
    TFormConnPar &open()
    {
        form = std::make_unique<TFormConnPar>(settings, programDir, ServiceLinkActions(service));
        QObject::connect(form.get(), &TFormConnPar::linkTextChanged, &mainBar,
                         [this](const QString &text) { mainBar.setPanelText(0, text); });
        form->show();
        return *form;
    }
    template <typename T> T *control(const char *name) const
    {
        return form->findChild<T *>(QLatin1String(name));
    }
    void press(const char *button) { control<QPushButton>(button)->click(); }
    QString lastMessage() const
    {
        return script.boxes.isEmpty() ? QString() : script.boxes.last().lines.join(u'|');
    }
};

using SettingsChange = std::function<void(ConnectionSettings &)>;

} // namespace

Q_DECLARE_METATYPE(SettingsChange)

class TestConnPar : public QObject
{
    Q_OBJECT
private slots:
    void storedValuesOutsideTheListsRefuse_data();
    void storedValuesOutsideTheListsRefuse();
    void telephoneFieldsCheckedOnlyWhenChosen();
    void lettersNeverEnterNumericEdits();
    void pickingPortOrSpeedRewritesMainPanel();
    void unavailablePortKeepsDialogOpen();
    void speedDetection_data();
    void speedDetection();
    void connectLoadsSessionAndSettings();
    void cancelChangesNothing();
};

void TestConnPar::storedValuesOutsideTheListsRefuse_data()
{
    QTest::addColumn<SettingsChange>("change");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("button");
    const struct
    {
        const char *name;
        SettingsChange change;
        const char *list;
    } cases[] = {
        {"speed 1000", [](ConnectionSettings &s) { s.setSpeed(1000); }, "ComboBox2"},
        {"port 0", [](ConnectionSettings &s) { s.setPortNumber(0); }, "ComboBox1"},
        {"port 17", [](ConnectionSettings &s) { s.setPortNumber(17); }, "ComboBox1"},
        {"attempts 6", [](ConnectionSettings &s) { s.setAttempts(6); }, "ComboBox3"},
    };
    for (const auto &c : cases)
        for (const char *button : {"BitBtn1", "BitBtn4"})
            QTest::addRow("%s, %s", c.name, button) << c.change << c.list << button;
}

void TestConnPar::storedValuesOutsideTheListsRefuse()
{
    QFETCH(SettingsChange, change);
    QFETCH(QString, list);
    QFETCH(QString, button);
    Rig rig;
    change(rig.settings);
    rig.open();
    QCOMPARE(rig.control<QComboBox>(qPrintable(list))->currentIndex(), -1);
    rig.press(qPrintable(button));
    QCOMPARE(rig.script.boxes.size(), 1);
    QCOMPARE(rig.script.boxes[0].caption, QStringLiteral("Ошибка ввода параметров"));
    QCOMPARE(rig.lastMessage(), QStringLiteral("Введены не все параметры"));
    QVERIFY(rig.form->isVisible());
    QVERIFY(!rig.form->accepted());
    QVERIFY(!rig.service.port());
}

void TestConnPar::telephoneFieldsCheckedOnlyWhenChosen()
{
    Rig rig;
    QVERIFY(rig.startController(1200));
    rig.settings.setLinkType(1);
    rig.settings.setConnectWaitS(0); // out of range
    rig.settings.setPhoneNumber(QStringLiteral("123"));
    rig.open();
    rig.press("BitBtn1");
    QCOMPARE(rig.lastMessage(), QStringLiteral("Вводите значения|согласно допустимого диапазона"));
    QVERIFY(!rig.service.port());
    // A number that would end the dial command early is refused like any value out of range.
    rig.control<QLineEdit>("Edit6")->setText(QStringLiteral("50"));
    rig.control<QLineEdit>("Edit9")->setText(QStringLiteral("123;"));
    rig.press("BitBtn1");
    QCOMPARE(rig.lastMessage(), QStringLiteral("N телефона|Параметр вне допустимого диапазона"));
    QVERIFY(!rig.service.port());

    // With the direct link chosen at the press, the telephone fields are not looked at.
    auto *linkType = rig.control<QComboBox>("ComboBox4");
    linkType->setFocus();
    QTest::keyClick(linkType, Qt::Key_Up);
    QCOMPARE(linkType->currentIndex(), 0);
    QVERIFY(!rig.control<QLineEdit>("Edit6")->isEnabled());
    rig.press("BitBtn1");
    QVERIFY(rig.form->accepted());
    QCOMPARE(rig.form->workingSettings().LinkType(), 0);
    QCOMPARE(rig.script.boxes.size(), 2);
}

void TestConnPar::lettersNeverEnterNumericEdits()
{
    Rig rig;
    rig.settings.setLinkType(1);
    rig.open();
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit6", "Edit10"}) {
        auto *edit = rig.control<QLineEdit>(name);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("1a,-2 z"));
        QCOMPARE(edit->text(), QStringLiteral("12"));
        edit->insert(QStringLiteral("x")); // pasted text is held to the same rule
        QCOMPARE(edit->text(), QStringLiteral("12"));
    }
    auto *number = rig.control<QLineEdit>("Edit9");
    number->clear();
    QTest::keyClicks(number, QStringLiteral("(812) 12-34"));
    QCOMPARE(number->text(), QStringLiteral("(812) 12-34"));
}

void TestConnPar::pickingPortOrSpeedRewritesMainPanel()
{
    Rig rig;
    rig.open();
    QVERIFY(rig.mainBar.panelText(0).isEmpty()); // showing the dialog writes nothing
    auto *port = rig.control<QComboBox>("ComboBox1");
    port->setFocus();
    QTest::keyClick(port, Qt::Key_Down);
    QCOMPARE(rig.mainBar.panelText(0), QStringLiteral(" COM2,   1200 бит/с"));
    auto *speed = rig.control<QComboBox>("ComboBox2");
    speed->setFocus();
    QTest::keyClick(speed, Qt::Key_Down);
    QCOMPARE(rig.mainBar.panelText(0), QStringLiteral(" COM2,   2400 бит/с"));
    QVERIFY(port->itemData(1, Qt::ToolTipRole).toString().contains(QStringLiteral("ttyS1")));
}

void TestConnPar::unavailablePortKeepsDialogOpen()
{
    Rig rig;
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyUSB7"),
                        rig.programDir + QStringLiteral("INI/COM5")));
    rig.settings.setPortNumber(5);
    rig.open();
    rig.press("BitBtn1");
    QCOMPARE(rig.script.boxes.size(), 1);
    QCOMPARE(rig.script.boxes[0].caption, QStringLiteral("Ошибка"));
    QCOMPARE(rig.script.boxes[0].lines.value(0),
             QStringLiteral("Коммуникационный порт COM5 недоступен"));
    QVERIFY2(rig.script.boxes[0].lines.value(1).contains(QStringLiteral("не найдено")),
             qPrintable(rig.lastMessage()));
    QVERIFY(rig.form->isVisible());
    QVERIFY(!rig.service.port());
    QVERIFY(!rig.service.exchange().PortHandle);
}

void TestConnPar::speedDetection_data()
{
    QTest::addColumn<int>("controllerSpeed");
    QTest::addColumn<QString>("message");
    QTest::newRow("9600") << 9600
                          << QStringLiteral(
                                 "Получен ответ на запрос|при скорости обмена - 9600 бит/с");
    QTest::newRow("300 is never probed") << 300 << QStringLiteral("Связь не установлена");
}

void TestConnPar::speedDetection()
{
    QFETCH(int, controllerSpeed);
    QFETCH(QString, message);
    Rig rig;
    QVERIFY(rig.startController(controllerSpeed));
    rig.open();
    bool buttonsDisabledDuringRun = false;
    QString probeShown;
    bool hourglass = false;
    rig.script.onBox = [&](const ModalScript::Box &) {
        buttonsDisabledDuringRun = !rig.control<QPushButton>("BitBtn1")->isEnabled() &&
                                   !rig.control<QPushButton>("BitBtn2")->isEnabled() &&
                                   !rig.control<QPushButton>("BitBtn4")->isEnabled();
        probeShown = rig.form->StatusBar1()->panelText(0);
        hourglass = QGuiApplication::overrideCursor() != nullptr;
    };
    rig.press("BitBtn4");
    QCOMPARE(rig.script.boxes.size(), 1);
    QCOMPARE(rig.script.boxes[0].caption, QStringLiteral("Результат обмена с устройством"));
    QCOMPARE(rig.lastMessage(), message);
    QVERIFY(buttonsDisabledDuringRun);
    // An answer is told while the speed that gave it stands on the panel, from inside the run.
    const bool found = controllerSpeed == 9600;
    QCOMPARE(probeShown, found ? QStringLiteral("Скорость обмена:  9600") : QString());
    QCOMPARE(hourglass, found);
    QVERIFY(rig.form->StatusBar1()->panelText(0).isEmpty());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(rig.control<QPushButton>("BitBtn1")->isEnabled());
    // The port is closed and nothing points at it any more.
    QVERIFY(!rig.service.port());
    QVERIFY(!rig.service.exchange().PortHandle);
    const QString shown = rig.control<QComboBox>("ComboBox2")->currentText();
    QCOMPARE(shown, controllerSpeed == 9600 ? QStringLiteral("9600") : QStringLiteral("1200"));
    QCOMPARE(rig.form->workingSettings().Speed(), controllerSpeed == 9600 ? 9600 : 1200);
    QCOMPARE(rig.settings.Speed(), 1200); // confirmed only by "Связаться"
}

void TestConnPar::connectLoadsSessionAndSettings()
{
    Rig rig;
    QVERIFY(rig.startController(1200));
    rig.open();
    rig.control<QLineEdit>("Edit2")->setText(QStringLiteral("250"));
    rig.control<QLineEdit>("Edit1")->setText(QStringLiteral("7"));
    rig.press("BitBtn1");
    QVERIFY(rig.form->accepted());
    QVERIFY(!rig.form->isVisible());
    QVERIFY(rig.service.port());
    QCOMPARE(rig.service.exchange().PortHandle, rig.service.port());
    QCOMPARE(rig.service.exchange().NextByteWaitMs, 250);
    QCOMPARE(rig.service.exchange().FirstByteWaitMs, 7000);
    QCOMPARE(rig.form->workingSettings().NextByteWaitMs(), 250);
    QCOMPARE(rig.form->workingSettings().FirstByteWaitS(), 7);
    QVERIFY(rig.script.boxes.isEmpty());
}

void TestConnPar::cancelChangesNothing()
{
    Rig rig;
    QVERIFY(rig.startController(1200));
    const ConnectionSettings before = rig.settings;
    rig.open();
    rig.control<QLineEdit>("Edit2")->setText(QStringLiteral("250"));
    QTest::keyClick(rig.form.get(), Qt::Key_Escape);
    QVERIFY(!rig.form->isVisible());
    QVERIFY(!rig.form->accepted());
    QVERIFY(rig.settings == before);
    QVERIFY(!rig.service.port());
}

QTEST_MAIN(TestConnPar)
#include "tst_connpar.moc"
