// The small windows: the question dialog's geometry and answers, the wait and selection dialogs.
#include "config/recordconversion.h"
#include "modalscript.h"
#include "shell/settings.h"
#include "windows/about.h"
#include "windows/captionfit.h"
#include "windows/config.h"
#include "windows/connpar.h"
#include "windows/ident.h"
#include "windows/question.h"
#include "windows/select.h"
#include "windows/tableinfo.h"
#include "windows/vichpar.h"
#include "windows/wait.h"

#include <functional>
#include <memory>

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace ktv31;

namespace {

QPushButton *Button(QWidget &form, const char *name)
{
    return form.findChild<QPushButton *>(QLatin1String(name));
}

using MakeForm = std::function<std::shared_ptr<QWidget>()>;

} // namespace

Q_DECLARE_METATYPE(MakeForm)

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void everyFormIsSizedByItsInside_data();
    void everyFormIsSizedByItsInside();
    void questionGeometry_data();
    void questionGeometry();
    void questionAnswers_data();
    void questionAnswers();
    void noticeAfterYesAnswersFalse();
    void waitModes_data();
    void waitModes();
    void selectGeneration_data();
    void selectGeneration();
};

// One reading of the sizes for every form: the inside, where its controls are placed; the frame
// the desktop draws around it comes on top.
void TestDialogs::everyFormIsSizedByItsInside_data()
{
    QTest::addColumn<MakeForm>("make");
    QTest::addColumn<QSize>("size");
    static ConfigRecord record;
    static ConfigImage image;
    static TableStateBuffer state;
    static const ConnectionSettings settings = ConnectionSettings::Defaults();
    QTest::newRow("message, one line") << MakeForm([] {
        auto box = std::make_shared<TFormQues>();
        box->Present(DressMessageBox(MessageBoxKind::Notice, QStringLiteral("Нет"), QString()));
        return box;
    }) << QSize(196, 132);
    QTest::newRow("wait") << MakeForm([] { return std::make_shared<TFormWait>(); })
                          << QSize(322, 127);
    QTest::newRow("select") << MakeForm([] { return std::make_shared<TFormSelect>(); })
                            << QSize(480, 190);
    QTest::newRow("about") << MakeForm([] { return std::make_shared<TFormAbout>(); })
                           << QSize(530, 528);
    QTest::newRow("connection") << MakeForm([] {
        return std::make_shared<TFormConnPar>(settings, QString(), LinkActions{});
    }) << QSize(694, 404);
    QTest::newRow("identification")
        << MakeForm([] { return std::make_shared<TFormIdent>(); }) << QSize(492, 416);
    QTest::newRow("configuration") << MakeForm([] {
        NewConfigRecord(record, 5);
        return std::make_shared<TFormConfig>(record, image, settings);
    }) << QSize(808, 540);
    QTest::newRow("calculator link") << MakeForm([] {
        return std::make_shared<TFormVichPar>(CalculatorLinkAt(record, 1), 1, 0u);
    }) << QSize(320, 262);
    QTest::newRow("table state") << MakeForm([] {
        return std::make_shared<TFormTableInfo>(state, false);
    }) << QSize(706, 232);
}

void TestDialogs::everyFormIsSizedByItsInside()
{
    QFETCH(MakeForm, make);
    QFETCH(QSize, size);
    const std::shared_ptr<QWidget> form = make();
    form->show();
    QCOMPARE(form->size(), size);
    // Every caption is whole within its control's given width.
    for (const QWidget *control : form->findChildren<QWidget *>())
        QVERIFY2(CaptionOverflow(*control) <= 0, qPrintable(control->objectName()));
}

void TestDialogs::questionGeometry_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("buttonTop");
    const QString short18(18, u'я');
    QTest::newRow("one short line") << 6 << "Нет"
                                    << "" << 196 << 132 << 43;
    QTest::newRow("18 characters: the minimum") << 6 << short18 << "" << 196 << 132 << 43;
    QTest::newRow("19 characters") << 6 << QString(19, u'я') << "" << 201 << 132 << 43;
    QTest::newRow("60 characters") << 6 << QString(60, u'я') << "" << 570 << 132 << 43;
    QTest::newRow("two lines") << 1 << "а"
                               << "б" << 196 << 154 << 70;
    QTest::newRow("caption counts: 30 characters")
        << 5 << "а"
        << "" << 30 * 9 + 30 << 132 << 43; // "Результат обмена с устройством"
    QTest::newRow("a third line: the retry question") << 7 << "а"
                                                      << "б" << 196 << 194 << 100;
}

void TestDialogs::questionGeometry()
{
    QFETCH(int, kind);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, buttonTop);
    TFormQues box;
    box.Present(DressMessageBox(MessageBoxKind(kind), line1, line2));
    box.show();
    QCOMPARE(QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Name), line1);
    QCOMPARE(box.size(), QSize(width, height));
    for (const char *name : {"Label1", "Label2", "Label3"})
        QCOMPARE(box.findChild<QLabel *>(QLatin1String(name))->width(), width - 16);
    QPushButton *yes = Button(box, "BitBtn1");
    QPushButton *no = Button(box, "BitBtn2");
    QPushButton *glyph = Button(box, "BitBtn3");
    if (IsQuestion(MessageBoxKind(kind))) {
        QVERIFY(yes->isVisible() && no->isVisible() && !glyph->isVisible());
        const int gap = (width - 68 - 68) / 3 - 3;
        QCOMPARE(no->pos(), QPoint(gap, buttonTop));
        QCOMPARE(yes->pos(), QPoint(gap + 68 + gap, buttonTop));
        QCOMPARE(box.focusWidget(), yes);
    } else {
        QVERIFY(!yes->isVisible() && !no->isVisible() && glyph->isVisible());
        QCOMPARE(glyph->pos(), QPoint((width - 68) / 2, buttonTop));
        QCOMPARE(box.focusWidget(), glyph);
        QVERIFY(!glyph->accessibleName().isEmpty());
    }
}

void TestDialogs::questionAnswers_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("action"); // a button name, or "Esc"
    QTest::addColumn<bool>("answer");
    QTest::newRow("Да") << 7 << "BitBtn1" << true;
    QTest::newRow("Нет") << 7 << "BitBtn2" << false;
    QTest::newRow("Esc answers no") << 3 << "Esc" << false;
    QTest::newRow("a notice acknowledged") << 6 << "BitBtn3" << false;
    QTest::newRow("a notice closed by Esc") << 1 << "Esc" << false;
}

void TestDialogs::questionAnswers()
{
    QFETCH(int, kind);
    QFETCH(QString, action);
    QFETCH(bool, answer);
    TFormQues box;
    box.Present(DressMessageBox(MessageBoxKind(kind), QStringLiteral("а"), QString()));
    box.show();
    if (action == QLatin1String("Esc"))
        QTest::keyClick(&box, Qt::Key_Escape);
    else
        Button(box, qPrintable(action))->click();
    QVERIFY(!box.isVisible());
    QCOMPARE(box.answer(), answer);
}

void TestDialogs::noticeAfterYesAnswersFalse()
{
    test::ModalScript script;
    script.queueAnswers({true, true});
    QVERIFY(ShowMessageBox(nullptr, MessageBoxKind::Question, QStringLiteral("а"), QString()));
    QVERIFY(!ShowMessageBox(nullptr, MessageBoxKind::Notice, QStringLiteral("б"), QString()));
    QCOMPARE(script.boxes.size(), 2);
    QVERIFY(script.boxes[0].question && !script.boxes[1].question);
}

void TestDialogs::waitModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<QString>("line3");
    QTest::newRow("writing") << 2 << "Выполняется запись параметров"
                             << "конфигурации в контроллер";
    QTest::newRow("reading") << 3 << "Выполняется чтение"
                             << "таблиц параметров конфигурации";
}

void TestDialogs::waitModes()
{
    QFETCH(int, mode);
    QFETCH(QString, line2);
    QFETCH(QString, line3);
    TFormWait wait;
    wait.setMode(TFormWait::WaitMode(mode));
    wait.show();
    QCOMPARE(wait.size(), QSize(322, 127));
    QCOMPARE(wait.findChild<QLabel *>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Ожидайте..."));
    QCOMPARE(wait.findChild<QLabel *>(QStringLiteral("Label2"))->text(), line2);
    QCOMPARE(wait.findChild<QLabel *>(QStringLiteral("Label3"))->text(), line3);
    // Only its transfer ends it: neither Esc nor the window's close takes it away.
    QTest::keyClick(&wait, Qt::Key_Escape);
    wait.close();
    QVERIFY(wait.isVisible());
}

void TestDialogs::selectGeneration_data()
{
    QTest::addColumn<QString>("choice"); // the radio button to tick, then how to leave
    QTest::addColumn<QString>("leave");
    QTest::addColumn<int>("generation");
    QTest::newRow("3 or 4") << "RadioButton1"
                            << "BitBtn1" << 3;
    QTest::newRow("5 or 6") << "RadioButton2"
                            << "BitBtn1" << 5;
    QTest::newRow("cancelled") << "RadioButton2"
                               << "BitBtn2" << 0;
    QTest::newRow("close box") << "RadioButton2"
                               << "close" << 0;
}

void TestDialogs::selectGeneration()
{
    QFETCH(QString, choice);
    QFETCH(QString, leave);
    QFETCH(int, generation);
    TFormSelect form;
    form.show();
    QCOMPARE(form.size(), QSize(480, 190));
    QVERIFY(form.findChild<QRadioButton *>(QStringLiteral("RadioButton1"))->isChecked());
    form.findChild<QRadioButton *>(choice)->click();
    if (leave == QLatin1String("close"))
        form.close();
    else
        Button(form, qPrintable(leave))->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.selectedGeneration(), generation);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
