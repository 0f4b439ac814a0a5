// The configuration editor, the calculator link editor and the table-state view, as forms.
#include "config/configeditor.h"
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "config/tablestaterows.h"
#include "config/tabletransfer.h"
#include "modalscript.h"
#include "protocol/controllercodes.h"
#include "service/linkoperations.h"
#include "service/servicesession.h"
#include "shell/settings.h"
#include "sim/simulator.h"
#include "support/ptypair.h"
#include "windows/config.h"
#include "windows/statusbar.h"
#include "windows/tableinfo.h"
#include "windows/tablestateseam.h"
#include "windows/vichpar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace ktv31;
using ktv31::test::ModalScript;

namespace {

template <typename T> T *Child(QWidget &form, const char *name)
{
    return form.findChild<T *>(QLatin1String(name));
}

QStringList Items(QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

void SetEntry(ConfigRecord &record, int address, quint8 connected, quint8 port, quint8 speed)
{
    quint8 *entry = record.data() + LinkEntry::OffsetOf(address);
    entry[LinkEntry::Connected] = connected;
    entry[LinkEntry::Port] = port;
    entry[LinkEntry::SpeedCode] = speed;
}

ConfigRecord Record(int version)
{
    ConfigRecord record;
    NewConfigRecord(record, 5);
    record.setU8(RecordOffset::SoftwareVersion, quint8(version));
    return record;
}

// An editor on `record` shown without a modal loop, so that the test presses its buttons.
struct Editor
{
    ConfigRecord record;
    ConfigImage image;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    std::unique_ptr<TFormConfig> form;

    explicit Editor(const ConfigRecord &r, bool deviceMode = false, quint32 mask = 0x3FFFFF)
        : record(r)
    {
        image.setU32(ImageOffset::UpperSpeedMask, mask);
        image.setU32(ImageOffset::CalculatorSpeedMask, mask);
        form = std::make_unique<TFormConfig>(record, image, settings);
        form->setDeviceMode(deviceMode);
    }
    void show() { form->show(); }
    template <typename T> T *child(const char *name) { return Child<T>(*form, name); }
    void accept() { child<QPushButton>(form->deviceMode() ? "BitBtn14" : "BitBtn5")->click(); }
    QString cell(int address, int column)
    {
        QTableView *grid = child<QTableView>("StringGrid1");
        return grid->model()->index(address - 1, column).data().toString();
    }
};

using EditorChange = std::function<void(Editor &)>;

} // namespace

Q_DECLARE_METATYPE(EditorChange)

class TestConfigForms : public QObject
{
    Q_OBJECT
private slots:
    void upperSpeedList_data();
    void upperSpeedList();
    void rtsListByVersion_data();
    void rtsListByVersion();
    void acceptReachesTheRecord_data();
    void acceptReachesTheRecord();
    void gridRowChangedAndBack();
    void disconnectAll_data();
    void disconnectAll();
    void linkEditor_data();
    void linkEditor();
    void tableStateView_data();
    void tableStateView();
    void procedureThroughTheWindows();
};

void TestConfigForms::upperSpeedList_data()
{
    QTest::addColumn<bool>("deviceMode");
    QTest::addColumn<bool>("telephone");
    QTest::addColumn<int>("recordCode");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("enabled");
    const QStringList offered{"7200", "9600"};
    QStringList all;
    for (int speed : SpeedTable())
        all << QString::number(speed);
    QTest::newRow("device, 9600 offered") << true << false << 11 << offered << "9600" << true;
    QTest::newRow("device, 1200 not offered") << true << false << 2 << offered << "" << true;
    QTest::newRow("device over telephone") << true << true << 11 << offered << "9600" << false;
    QTest::newRow("file: every speed") << false << false << 2 << all << "1200" << true;
}

void TestConfigForms::upperSpeedList()
{
    QFETCH(bool, deviceMode);
    QFETCH(bool, telephone);
    QFETCH(int, recordCode);
    QFETCH(QStringList, items);
    QFETCH(QString, selected);
    QFETCH(bool, enabled);
    ConfigRecord record = Record(5);
    record.setU8(RecordOffset::LinkParameters, quint8(recordCode));
    Editor editor(record, deviceMode, 0x00000A00);
    editor.settings.setLinkType(telephone ? 1 : 0);
    editor.show();
    QComboBox *speeds = editor.child<QComboBox>("ComboBox1");
    QCOMPARE(Items(speeds), items);
    QCOMPARE(speeds->currentText(), selected);
    QCOMPARE(speeds->isEnabled(), enabled);
    QCOMPARE(editor.child<QPushButton>("BitBtn14")->isVisible(), deviceMode);
    QCOMPARE(editor.child<QPushButton>("BitBtn5")->isVisible(), !deviceMode);
    // A file's calculators may take every speed; the session's image keeps the controller's.
    QCOMPARE(editor.form->calculatorSpeedMask(), deviceMode ? 0x00000A00u : EverySpeedMask);
    QCOMPARE(editor.image.u32(ImageOffset::CalculatorSpeedMask), 0x00000A00u);
    if (selected.isEmpty()) {
        ModalScript script;
        editor.accept();
        QCOMPARE(script.boxes.value(0).lines, QStringList{"Введены не все параметры"});
        QVERIFY(!editor.form->configAccepted());
    }
}

void TestConfigForms::rtsListByVersion_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("byte45");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("version 4: no such field") << 4 << 7 << false << -1 << true;
    QTest::newRow("version 6, a valid choice") << 6 << 1 << true << 1 << true;
    QTest::newRow("version 6, byte 45 = 5") << 6 << 5 << true << -1 << false;
}

void TestConfigForms::rtsListByVersion()
{
    QFETCH(int, version);
    QFETCH(int, byte45);
    QFETCH(bool, enabled);
    QFETCH(int, index);
    QFETCH(bool, accepted);
    ConfigRecord record = Record(version);
    record.setU8(RecordOffset::LinkParameters + 7, quint8(byte45));
    Editor editor(record);
    editor.show();
    QComboBox *rts = editor.child<QComboBox>("ComboBox5");
    QCOMPARE(rts->isEnabled(), enabled);
    QCOMPARE(rts->currentIndex(), index);
    ModalScript script;
    editor.accept();
    QCOMPARE(editor.form->configAccepted(), accepted);
    QCOMPARE(int(editor.record.u8(RecordOffset::LinkParameters + 7)), byte45);
}

void TestConfigForms::acceptReachesTheRecord_data()
{
    QTest::addColumn<EditorChange>("change");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<bool>("changed");
    const auto text = [](const char *edit, const char *value) {
        return EditorChange([=](Editor &e) { e.child<QLineEdit>(edit)->setText(value); });
    };
    QTest::newRow("nothing changed") << EditorChange([](Editor &) {}) << "" << false;
    QTest::newRow("Edit2 empty is 0") << text("Edit2", "") << "" << true;
    QTest::newRow("Edit4 empty") << text("Edit4", "") << "Введены не все параметры" << false;
    QTest::newRow("preambles 256")
        << text("Edit3", "256") << "Количество преамбул|вне допустимого диапазона" << false;
    QTest::newRow("wait 256") << text("Edit4", "256")
                              << "Длительность ожидания ответа от вычислителя|вне допустимого "
                                 "диапазона"
                              << false;
    QTest::newRow("a priority chosen")
        << EditorChange([](Editor &e) { e.child<QComboBox>("ComboBox2")->setCurrentIndex(0); })
        << "" << true;
    QTest::newRow("three letters of modem string") << text("Edit1", "ATZ") << "" << true;
}

void TestConfigForms::acceptReachesTheRecord()
{
    QFETCH(EditorChange, change);
    QFETCH(QString, message);
    QFETCH(bool, changed);
    Editor editor(Record(5));
    editor.show();
    change(editor);
    ModalScript script;
    editor.accept();
    QCOMPARE(script.boxes.isEmpty() ? QString() : script.boxes[0].lines.join(u'|'), message);
    QCOMPARE(editor.form->configAccepted(), message.isEmpty());
    QCOMPARE(editor.form->configChanged(), changed);
    if (editor.child<QLineEdit>("Edit1")->text() == QLatin1String("ATZ")) {
        QCOMPARE(editor.record.slice(RecordOffset::ModemString, 64),
                 QByteArray("ATZ\r") + QByteArray(60, '\0'));
        Editor again(editor.record);
        again.show();
        QCOMPARE(again.child<QLineEdit>("Edit1")->text(), QStringLiteral("ATZ"));
    }
}

void TestConfigForms::gridRowChangedAndBack()
{
    ConfigRecord record = Record(5);
    SetEntry(record, 5, 1, 2, 11);
    Editor editor(record);
    editor.show();
    QCOMPARE(editor.cell(5, 1), QStringLiteral("         Да"));
    ModalScript script;
    // The link editor, opened on row 5 by Enter: untick and accept, then tick again.
    bool tick = false;
    script.onDialog = [&](QDialog *dialog) {
        Child<QCheckBox>(*dialog, "CheckBox1")->click();
        QCOMPARE(Child<QCheckBox>(*dialog, "CheckBox1")->isChecked(), tick);
        Child<QPushButton>(*dialog, "BitBtn1")->click();
    };
    QTableView *grid = editor.child<QTableView>("StringGrid1");
    grid->selectRow(4);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(editor.cell(5, 1), QStringLiteral("         Нет"));
    QCOMPARE(editor.cell(5, 2), QString());
    tick = true;
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(editor.cell(5, 2), QStringLiteral("         B"));
    editor.accept();
    QVERIFY(editor.form->configAccepted());
    QVERIFY(!editor.form->configChanged());
}

void TestConfigForms::disconnectAll_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("Да") << true;
    QTest::newRow("Нет") << false;
}

void TestConfigForms::disconnectAll()
{
    QFETCH(bool, answer);
    ConfigRecord record = Record(5);
    for (int address = 0; address < CalculatorCount; ++address)
        SetEntry(record, address, 1, 1, 11);
    Editor editor(record);
    editor.show();
    QWidget *background = editor.child<QWidget>("Panel1");
    const QColor normal = background->palette().color(QPalette::Window);
    QCOMPARE(normal, QColor(210, 210, 210));
    ModalScript script;
    script.queueAnswers({answer});
    QColor whileAsked;
    script.onBox = [&](const ModalScript::Box &) {
        whileAsked = background->palette().color(QPalette::Window);
    };
    editor.child<QPushButton>("BitBtn4")->click();
    QCOMPARE(script.boxes.value(0).lines, (QStringList{"Вы действительно хотите удалить",
                                                       "все вычислители из списка подключенных?"}));
    QCOMPARE(whileAsked, QPalette().color(QPalette::Button));
    QCOMPARE(background->palette().color(QPalette::Window), normal);
    QCOMPARE(editor.cell(254, 1),
             answer ? QStringLiteral("         Нет") : QStringLiteral("         Да"));
    QCOMPARE(editor.record.u8(LinkEntry::OffsetOf(0) + LinkEntry::Connected), 1);
    QCOMPARE(editor.record.u8(LinkEntry::OffsetOf(254) + LinkEntry::Connected), answer ? 0 : 1);
}

void TestConfigForms::linkEditor_data()
{
    QTest::addColumn<QList<int>>("entry");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QString>(
        "steps"); // t tick, p<n> port, s<n> speed item, a accept, c cancel, e Esc
    QTest::addColumn<QString>("port"); // shown before the steps
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<bool>("refused");
    const quint32 codes2to11 = 0x0FFC;
    QTest::newRow("(0,0,0) ticked: no port, refused") << QList<int>{0, 0, 0} << 0x3FFFFFu << "ta"
                                                      << ""
                                                      << "" << QList<int>{0, 0, 0} << true;
    QTest::newRow("(0,0,0) ticked, port chosen") << QList<int>{0, 0, 0} << 0x3FFFFFu << "tp0a"
                                                 << ""
                                                 << "" << QList<int>{1, 1, 0} << false;
    QTest::newRow("(1,2,11) shown, cancelled") << QList<int>{1, 2, 11} << codes2to11 << "p2c"
                                               << "  B"
                                               << "9600" << QList<int>{1, 2, 11} << false;
    QTest::newRow("unticked and accepted") << QList<int>{1, 2, 11} << codes2to11 << "ta"
                                           << "  B"
                                           << "9600" << QList<int>{0, 2, 11} << false;
    QTest::newRow("speed not offered, refused") << QList<int>{1, 1, 15} << codes2to11 << "a"
                                                << "  A"
                                                << "" << QList<int>{1, 1, 15} << true;
    QTest::newRow("speed not offered, one chosen") << QList<int>{1, 1, 15} << codes2to11 << "s0a"
                                                   << "  A"
                                                   << "" << QList<int>{1, 1, 2} << false;
    QTest::newRow("Esc cancels") << QList<int>{1, 2, 11} << codes2to11 << "te"
                                 << "  B"
                                 << "9600" << QList<int>{1, 2, 11} << false;
}

void TestConfigForms::linkEditor()
{
    QFETCH(QList<int>, entry);
    QFETCH(quint32, mask);
    QFETCH(QString, steps);
    QFETCH(QString, port);
    QFETCH(QString, speed);
    QFETCH(QList<int>, after);
    QFETCH(bool, refused);
    TFormVichPar form({quint8(entry[0]), quint8(entry[1]), quint8(entry[2])}, 17, mask);
    form.show();
    QCOMPARE(form.size(), QSize(320, 262));
    QCOMPARE(Child<QLabel>(form, "Label3")->text(), QStringLiteral("17"));
    auto *ports = Child<QComboBox>(form, "ComboBox1");
    auto *speeds = Child<QComboBox>(form, "ComboBox2");
    QCOMPARE(ports->currentText(), port);
    QCOMPARE(speeds->currentText(), speed);
    QCOMPARE(speeds->count(), OfferedSpeedCodes(mask).size());
    ModalScript script;
    for (int i = 0; i < steps.size(); ++i) {
        const QChar step = steps[i];
        if (step == u't') {
            Child<QCheckBox>(form, "CheckBox1")->click();
            if (entry[0] == 0) // ticked anew: code 0 is 300 bit/s, offered by this mask
                QCOMPARE(speeds->currentText(), QStringLiteral("300"));
        } else if (step == u'p' || step == u's') {
            QComboBox *combo = step == u'p' ? ports : speeds;
            const int item = steps[++i].digitValue();
            combo->setCurrentIndex(item);
            emit combo->activated(item);
        } else if (step == u'a') {
            Child<QPushButton>(form, "BitBtn1")->click();
        } else if (step == u'c') {
            Child<QPushButton>(form, "BitBtn2")->click();
        } else if (step == u'e') {
            QTest::keyClick(&form, Qt::Key_Escape);
        }
    }
    const CalculatorLink link = form.link();
    QCOMPARE((QList<int>{link.connected, link.port, link.speedCode}), after);
    QCOMPARE(script.boxes.size(), refused ? 1 : 0);
    QCOMPARE(form.isVisible(), refused);
}

void TestConfigForms::tableStateView_data()
{
    QTest::addColumn<QList<int>>("destroyed");
    QTest::addColumn<bool>("telephone");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<int>>("written");
    QTest::newRow("table 6 destroyed, the ticked ones")
        << QList<int>{6} << false << "BitBtn3" << 1 << QList<int>{6};
    QTest::newRow("nothing destroyed, all tables")
        << QList<int>{} << false << "BitBtn1" << 2 << QList<int>{3, 5, 6};
    QTest::newRow("nothing ticked: stays open")
        << QList<int>{2} << false << "BitBtn3" << 0 << QList<int>{};
    QTest::newRow("telephone: only shown")
        << QList<int>{3, 6} << true << "BitBtn2" << 0 << QList<int>{};
}

void TestConfigForms::tableStateView()
{
    QFETCH(QList<int>, destroyed);
    QFETCH(bool, telephone);
    QFETCH(QString, button);
    QFETCH(int, result);
    QFETCH(QList<int>, written);
    TableStateBuffer state;
    for (const ConfigTableFlag &flag : ConfigTableFlags())
        state.setU8(TableStateOffset::Writable + flag.table, flag.writable);
    for (int table : destroyed)
        state.setU8(TableStateOffset::Destroyed + table, 1);
    TFormTableInfo form(state, telephone);
    form.show();
    QCOMPARE(form.size(), QSize(706, 232));
    const int tables[] = {3, 5, 6};
    for (int j = 1; j <= 3; ++j) {
        const int table = tables[j - 1];
        const bool isDestroyed = destroyed.contains(table);
        auto *shown = Child<QLabel>(form, qPrintable(QStringLiteral("pw%1").arg(j)));
        auto *box = Child<QCheckBox>(form, qPrintable(QStringLiteral("cb%1").arg(j)));
        QCOMPARE(shown->text(), isDestroyed ? QStringLiteral("Да") : QStringLiteral("Нет"));
        QCOMPARE(shown->palette().color(QPalette::WindowText) == QColor(255, 0, 0), isDestroyed);
        QCOMPARE(box->isChecked(), isDestroyed && !telephone);
        QCOMPARE(box->isEnabled(), !telephone);
    }
    QVERIFY(Child<QLabel>(form, "pn1")->text().startsWith(QStringLiteral(" Табл.  3.")));
    QVERIFY(!Child<QCheckBox>(form, "cb4")->isVisible() &&
            !Child<QCheckBox>(form, "cb5")->isVisible());
    QCOMPARE(Child<QPushButton>(form, "BitBtn1")->isEnabled(), !telephone);
    QCOMPARE(Child<QPushButton>(form, "BitBtn3")->isEnabled(), !telephone);

    ModalScript script;
    Child<QPushButton>(form, qPrintable(button))->click();
    QCOMPARE(form.tableStateResult(), result);
    QList<int> chosen;
    for (int table = 0; table < 8; ++table)
        if (form.chosenState().WriteChosen(table))
            chosen << table;
    QCOMPARE(chosen, written);
    // The form chose in its own copy: the state it was given is as it was.
    for (int table = 0; table < 8; ++table)
        QVERIFY(!state.WriteChosen(table));
    const bool refused = button == QLatin1String("BitBtn3") && written.isEmpty();
    QCOMPARE(form.isVisible(), refused);
    QCOMPARE(script.boxes.value(0).lines,
             refused ? QStringList{"Не заданы таблицы для записи"} : QStringList{});
}

// The procedure with the real forms: the view, the file chooser and the editor answered as an
// engineer would, table 5 alone written.
void TestConfigForms::procedureThroughTheWindows()
{
    QTemporaryDir dir;
    sim::SimOptions options;
    options.speed = 115200;
    options.destroyedTables = {5};
    sim::Simulator simulator(options);
    QVERIFY(simulator.start());
    PanelStatusBar bar;
    bar.setPanelWidths({180, 557, 80});
    WindowOperator op(nullptr, &bar);
    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setSpeed(115200);
    ServiceSession service(settings, op, dir.path() + QLatin1Char('/'));
    service.devicePath = simulator.devicePath();
    service.closingWaitMs = 0;
    QVERIFY(OpenLink(service, settings).ok());
    service.exchange().FirstByteWaitMs = 500;
    ConfigRecord file;
    NewConfigRecord(file, 5);
    file.setU8(RecordOffset::LinkParameters, quint8(SpeedToCode(115200)));
    file.setSlice(RecordOffset::ModemString, 5, QByteArray("ATM0\r"));
    const QString path = dir.filePath(QStringLiteral("station.cnf"));
    QCOMPARE(WriteConfigFile(path, file), ConfigFileError::None);

    ModalScript script;
    script.queueFile(path);
    QStringList dialogs;
    script.onDialog = [&](QDialog *dialog) {
        dialogs << dialog->metaObject()->className();
        if (qobject_cast<TFormTableInfo *>(dialog))
            Child<QPushButton>(*dialog, "BitBtn3")->click(); // table 5 is ticked already
        else if (qobject_cast<TFormConfig *>(dialog))
            Child<QPushButton>(*dialog, "BitBtn14")->click();
    };
    int menuUpdates = 0;
    WindowTableStateSeam seam(nullptr, service.image(), settings, [&] { ++menuUpdates; });
    simulator.clearLog();
    RunTableStateProcedure(service, seam);
    simulator.settle();

    QCOMPARE(dialogs, (QStringList{"ktv31::TFormTableInfo", "ktv31::TFormConfig"}));
    QCOMPARE(script.fileTitles, QStringList{"Выбор файла с параметрами конфигурации"});
    QList<int> writtenTables;
    for (const sim::FrameLogEntry &entry : simulator.frameLog())
        if (entry.kind == sim::LogKind::Request && entry.bytes[FrameOffset::Data + 2] == 0)
            writtenTables << quint8(entry.bytes[FrameOffset::Data + 3]);
    QCOMPARE(writtenTables, QList<int>{5});
    QCOMPARE(simulator.image().slice(ImageOffset::ModemString, 5), QByteArray("ATM0\r"));
    QCOMPARE(menuUpdates, 1);
}

QTEST_MAIN(TestConfigForms)
#include "tst_configforms.moc"
