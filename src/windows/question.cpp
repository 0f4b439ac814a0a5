// TFormQues: layout by the lines present and the longest text, and the three answers.
#include "windows/question.h"

#include "ui_question.h"
#include "windows/glyphs.h"

#include <QPointer>

#include <algorithm>

namespace ktv31 {
namespace {

constexpr int kPixelsPerCharacter = 9;
constexpr int kTextMargin = 30;
constexpr int kButtonGapSum = 60;
constexpr int kLineInset = 8;

struct Rows
{
    int height;
    int buttonTop;
};

// By which lines are present: one, two or three.
Rows RowsFor(bool secondLine, bool thirdLine)
{
    if (thirdLine)
        return {194, 100};
    if (secondLine)
        return {154, 70};
    return {132, 43};
}

} // namespace

TFormQues::TFormQues(QWidget *parent) : QDialog(parent), ui(new Ui::TFormQues)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->BitBtn3->setIcon(Glyphs::Ok());
    ui->BitBtn1->setIcon(Glyphs::Ok());
    ui->BitBtn2->setIcon(Glyphs::Cancel());
    for (QLabel *label : {ui->Label1, ui->Label2, ui->Label3}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormQues::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormQues::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TFormQues::BitBtn3Click);
    answer_ = false;
}

TFormQues::~TFormQues() = default;

void TFormQues::Present(const MessageBoxLayout &layout)
{
    setWindowTitle(layout.caption);
    // A screen reader announces the dialog by what it says first, by its kind when it says
    // nothing.
    const QString first = layout.lines[0].trimmed();
    setAccessibleName(first.isEmpty() ? layout.caption : first);
    ui->Label1->setText(layout.lines[0]);
    ui->Label2->setText(layout.lines[1]);
    ui->Label3->setText(layout.lines[2]);
    const bool question = layout.buttons == MessageButtons::YesNo;
    ui->BitBtn1->setVisible(question);
    ui->BitBtn2->setVisible(question);
    ui->BitBtn3->setVisible(!question);
    ui->BitBtn1->setDefault(question);
    ui->BitBtn3->setDefault(!question);
}

void TFormQues::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormQues::FormShow()
{
    const Rows rows = RowsFor(!ui->Label2->text().isEmpty(), !ui->Label3->text().isEmpty());
    const qsizetype longest = std::max({windowTitle().size(), ui->Label1->text().size(),
                                        ui->Label2->text().size(), ui->Label3->text().size()});
    const int yes = ui->BitBtn1->width();
    const int no = ui->BitBtn2->width();
    const int width =
        std::max(int(longest) * kPixelsPerCharacter + kTextMargin, yes + no + kButtonGapSum);
    // As every form: the size is that of the inside, where the controls are placed; the frame
    // around it is the desktop's.
    setFixedSize(width, rows.height);
    for (QLabel *label : {ui->Label1, ui->Label2, ui->Label3})
        label->setGeometry(kLineInset / 2, label->y(), width - 2 * kLineInset, label->height());

    if (ui->BitBtn3->isVisibleTo(this)) {
        ui->BitBtn3->move((width - ui->BitBtn3->width()) / 2, rows.buttonTop);
        ui->BitBtn3->setFocus();
        return;
    }
    // "Нет" always stands left of "Да".
    const int gap = (width - yes - no) / 3 - 3;
    ui->BitBtn2->move(gap, rows.buttonTop);
    ui->BitBtn1->move(gap + no + gap, rows.buttonTop);
    ui->BitBtn1->setFocus();
}

void TFormQues::BitBtn1Click()
{
    answer_ = true;
    accept();
}

void TFormQues::BitBtn2Click()
{
    answer_ = false;
    reject();
}

void TFormQues::BitBtn3Click()
{
    accept();
}

void TFormQues::reject()
{
    answer_ = false;
    QDialog::reject();
}

bool ShowMessageBox(QWidget *parent, MessageBoxKind kind, const QString &line1,
                    const QString &line2, const QString &resultText)
{
    // Guarded: whatever closes the parent while the box waits takes the box with it.
    QPointer<TFormQues> box = new TFormQues(parent);
    box->Present(DressMessageBox(kind, line1, line2, resultText));
    box->exec();
    const bool answer = box && box->answer();
    delete box;
    return answer;
}

} // namespace ktv31
