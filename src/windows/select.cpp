// TFormSelect: two radio buttons, accept and cancel.
#include "windows/select.h"

#include "ui_select.h"
#include "windows/captionfit.h"
#include "windows/glyphs.h"

#include <QPointer>

namespace ktv31 {

TFormSelect::TFormSelect(QWidget *parent) : QDialog(parent), ui(new Ui::TFormSelect)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->BitBtn1->setIcon(Glyphs::Ok());
    ui->BitBtn2->setIcon(Glyphs::Cancel());
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormSelect::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormSelect::BitBtn2Click);
    selectedGeneration_ = 0;
    FitCaptions(*this);
}

TFormSelect::~TFormSelect() = default;

void TFormSelect::showEvent(QShowEvent *event)
{
    setFixedSize(480, 190);
    QDialog::showEvent(event);
}

void TFormSelect::BitBtn1Click()
{
    selectedGeneration_ = ui->RadioButton1->isChecked() ? 3 : 5;
    accept();
}

void TFormSelect::BitBtn2Click()
{
    selectedGeneration_ = 0;
    reject();
}

int ChooseGeneration(QWidget *parent)
{
    QPointer<TFormSelect> form = new TFormSelect(parent);
    form->exec();
    const int generation = form ? form->selectedGeneration() : 0;
    delete form;
    return generation;
}

} // namespace ktv31
