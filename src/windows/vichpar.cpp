// TFormVichPar: the working copy of one calculator's link and its check.
#include "windows/vichpar.h"

#include "config/configeditor.h"
#include "config/configimage.h"
#include "config/recordfields.h"
#include "protocol/controllercodes.h"
#include "ui_vichpar.h"
#include "windows/captionfit.h"
#include "windows/glyphs.h"
#include "windows/listvalues.h"

namespace ktv31 {

TFormVichPar::TFormVichPar(const CalculatorLink &link, int address, quint32 speedMask,
                           QWidget *parent)
    : QDialog(parent), ui(new Ui::TFormVichPar), op_(this, nullptr), accepted_(link),
      address_(address), speedMask_(speedMask)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->BitBtn1->setIcon(Glyphs::Ok());
    ui->BitBtn2->setIcon(Glyphs::Cancel());
    // The port list's items carry their port numbers, 1 = A to 3 = C.
    const RecordField &ports = *FindField(QStringLiteral("calc.%1.port").arg(FirstShownCalculator));
    FillItems(ui->ComboBox1, ports, QStringLiteral("  "));
    ShowLabel(ui->Label1, ports);
    ShowLabel(ui->Label4, *FindField(QStringLiteral("calc.%1.speed").arg(FirstShownCalculator)));
    ui->CheckBox1->setText(
        FindField(QStringLiteral("calc.%1.connected").arg(FirstShownCalculator))->label());
    connect(ui->CheckBox1, &QCheckBox::clicked, this, &TFormVichPar::CheckBox1Click);
    connect(ui->ComboBox1, &QComboBox::activated, this, &TFormVichPar::ComboBox1Click);
    connect(ui->ComboBox2, &QComboBox::activated, this, &TFormVichPar::ComboBox2Change);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormVichPar::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormVichPar::BitBtn2Click);
    FitCaptions(*this);
}

TFormVichPar::~TFormVichPar() = default;

void TFormVichPar::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormVichPar::FormShow()
{
    setFixedSize(320, 262);
    connected_ = accepted_.connected;
    port_ = accepted_.port;
    speedCode_ = accepted_.speedCode;
    ui->ComboBox2->clear();
    speedPosition_ = -1;
    for (int code : OfferedSpeedCodes(speedMask_)) {
        if (code == speedCode_)
            speedPosition_ = ui->ComboBox2->count();
        ui->ComboBox2->addItem(QString::number(CodeToSpeed(code)), code);
    }
    ui->Label3->setText(QString::number(address_));
    ui->CheckBox1->setChecked(connected_ != 0);
    CheckBox1Click();
}

void TFormVichPar::CheckBox1Click()
{
    connected_ = ui->CheckBox1->isChecked() ? 1 : 0;
    const bool on = connected_ != 0;
    for (QWidget *control :
         {static_cast<QWidget *>(ui->Label1), static_cast<QWidget *>(ui->Label4),
          static_cast<QWidget *>(ui->ComboBox1), static_cast<QWidget *>(ui->ComboBox2)})
        control->setEnabled(on);
    // Unticked, the lists show nothing, but the working port and speed stay as they were.
    ui->ComboBox1->setCurrentIndex(on ? ui->ComboBox1->findData(port_) : -1);
    ui->ComboBox2->setCurrentIndex(on ? speedPosition_ : -1);
}

void TFormVichPar::ComboBox1Click(int index)
{
    if (index >= 0)
        port_ = quint8(ui->ComboBox1->itemData(index).toInt());
}

void TFormVichPar::ComboBox2Change(int index)
{
    if (index < 0)
        return;
    speedCode_ = quint8(ui->ComboBox2->itemData(index).toInt());
    speedPosition_ = index;
}

void TFormVichPar::BitBtn1Click()
{
    if (const auto fault = CheckCalculatorLink(connected_ != 0, ui->ComboBox1->currentIndex() >= 0,
                                               ui->ComboBox2->currentIndex() >= 0)) {
        op_.ShowMessageBox(MessageBoxKind::InputError, fault->line1, fault->line2);
        return;
    }
    accepted_ = {connected_, port_, speedCode_};
    accept();
}

void TFormVichPar::BitBtn2Click()
{
    reject();
}

} // namespace ktv31
