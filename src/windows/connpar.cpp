// TFormConnPar: showing the settings, the checks in their order, the link and the detection.
#include "windows/connpar.h"

#include "link/comportfunctions.h"
#include "protocol/controllercodes.h"
#include "service/linkform.h"
#include "service/linkoperations.h"
#include "service/servicesession.h"
#include "shell/monoclock.h"
#include "ui_connpar.h"
#include "windows/captionfit.h"
#include "windows/digitsonly.h"
#include "windows/glyphs.h"
#include "windows/listvalues.h"
#include "windows/statusbar.h"

#include <QCloseEvent>

Q_LOGGING_CATEGORY(lcWindows, "ktv31.windows", QtWarningMsg)

namespace ktv31 {
namespace {

const QColor kEnabledEdit(254, 254, 254);
const QColor kDisabledEdit(211, 211, 211);

} // namespace

LinkActions ServiceLinkActions(ServiceSession &service)
{
    LinkActions actions;
    actions.open = [&service](const ConnectionSettings &link) {
        return OpenLink(service, link).ok();
    };
    actions.detectSpeed = [&service](const ConnectionSettings &link, const StatusPanel &panel) {
        return DetectControllerSpeed(service, link, panel);
    };
    return actions;
}

TFormConnPar::TFormConnPar(const ConnectionSettings &settings, const QString &programDir,
                           LinkActions actions, QWidget *parent)
    : QDialog(parent), ui(new Ui::TFormConnPar), settings_(settings), actions_(std::move(actions)),
      statusBar_(new PanelStatusBar(this)), op_(this, statusBar_)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setPanelWidths({435});
    statusBar_->setGeometry(0, 404 - 22, 694, 22);
    ui->BitBtn1->setIcon(Glyphs::Connect());
    ui->BitBtn4->setIcon(Glyphs::Search());
    ui->BitBtn2->setIcon(Glyphs::Cancel());

    // The speed list is the controller's speed table.
    ui->ComboBox2->clear();
    for (int speed : SpeedTable())
        ui->ComboBox2->addItem(QString::number(speed), speed);
    // Each list item carries the value it stands for.
    NumberItems(ui->ComboBox1, 1);
    for (int port = 1; port <= ui->ComboBox1->count(); ++port)
        ui->ComboBox1->setItemData(port - 1, ComPortDescription(port, programDir), Qt::ToolTipRole);
    NumberItems(ui->ComboBox3, 1);
    ui->ComboBox4->setItemData(0, DirectLink);
    ui->ComboBox4->setItemData(1, TelephoneLink);

    auto *digits = new DigitsOnly(this);
    for (QLineEdit *edit : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit6, ui->Edit10})
        digits->attach(edit);

    connect(ui->ComboBox4, &QComboBox::activated, this, &TFormConnPar::ComboBox4Click);
    connect(ui->ComboBox1, &QComboBox::activated, this, &TFormConnPar::ComboBox1Click);
    connect(ui->ComboBox2, &QComboBox::activated, this, &TFormConnPar::ComboBox2Click);
    connect(ui->Edit5, &QLineEdit::editingFinished, this, &TFormConnPar::Edit5Exit);
    connect(ui->Edit6, &QLineEdit::editingFinished, this, &TFormConnPar::Edit6Exit);
    connect(ui->Edit7, &QLineEdit::editingFinished, this, &TFormConnPar::Edit7Exit);
    connect(ui->Edit8, &QLineEdit::editingFinished, this, &TFormConnPar::Edit8Exit);
    connect(ui->Edit9, &QLineEdit::editingFinished, this, &TFormConnPar::Edit9Exit);
    connect(ui->Edit10, &QLineEdit::editingFinished, this, &TFormConnPar::Edit10Exit);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormConnPar::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormConnPar::BitBtn2Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TFormConnPar::BitBtn4Click);
    FitCaptions(*this);
}

TFormConnPar::~TFormConnPar() = default;

void TFormConnPar::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
    qCInfo(lcWindows) << "connection dialog shown";
}

void TFormConnPar::FormShow()
{
    setFixedSize(694, 404);
    WorkingSettings = settings_;
    const ConnectionSettings &s = WorkingSettings;
    ui->ComboBox1->setCurrentIndex(ui->ComboBox1->findData(s.PortNumber()));
    ui->ComboBox2->setCurrentIndex(ui->ComboBox2->findData(s.Speed()));
    ui->Edit1->setText(QString::number(s.FirstByteWaitS()));
    ui->Edit2->setText(QString::number(s.NextByteWaitMs()));
    ui->Edit4->setText(QString::number(s.RtsPauseMs()));
    ui->Edit3->setText(QString::number(s.PreambleCount()));
    ui->ComboBox3->setCurrentIndex(ui->ComboBox3->findData(s.Attempts()));
    ui->ComboBox4->setCurrentIndex(ui->ComboBox4->findData(s.LinkType()));
    ComboBox4Click();
}

void TFormConnPar::ComboBox4Click()
{
    const bool telephone = LinkKind::OfType(Selected(ui->ComboBox4)).telephone();
    ui->BitBtn4->setEnabled(!telephone);
    setTelephoneControlsEnabled(telephone);
    if (!telephone)
        return;
    ui->Edit5->setText(WorkingSettings.ModemCommand());
    ui->Edit6->setText(QString::number(WorkingSettings.ConnectWaitS()));
    ui->Edit10->setText(QString::number(WorkingSettings.ConnectAttempts()));
    ui->Edit7->setText(WorkingSettings.CountryCode());
    ui->Edit8->setText(WorkingSettings.CityCode());
    ui->Edit9->setText(WorkingSettings.PhoneNumber());
}

void TFormConnPar::setTelephoneControlsEnabled(bool enabled)
{
    for (QWidget *label : {ui->Label9, ui->Label10, ui->Label10u, ui->Label11, ui->Label12,
                           ui->Label13, ui->Label14})
        label->setEnabled(enabled);
    for (QLineEdit *edit : {ui->Edit5, ui->Edit6, ui->Edit10, ui->Edit7, ui->Edit8, ui->Edit9}) {
        edit->setEnabled(enabled);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, enabled ? kEnabledEdit : kDisabledEdit);
        edit->setPalette(palette);
    }
}

void TFormConnPar::ComboBox1Click(int index)
{
    if (index < 0)
        return;
    WorkingSettings.setPortNumber(quint8(ui->ComboBox1->itemData(index).toInt()));
    showLinkText();
}

void TFormConnPar::ComboBox2Click(int index)
{
    if (index < 0)
        return;
    WorkingSettings.setSpeed(ui->ComboBox2->itemData(index).toInt());
    showLinkText();
}

void TFormConnPar::showLinkText()
{
    emit linkTextChanged(
        LinkText(ComPortName(WorkingSettings.PortNumber()), WorkingSettings.Speed()));
}

void TFormConnPar::Edit5Exit()
{
    WorkingSettings.setModemCommand(ui->Edit5->text());
}

void TFormConnPar::Edit6Exit()
{
    if (!ui->Edit6->text().isEmpty())
        WorkingSettings.setConnectWaitS(ui->Edit6->text().toInt());
}

void TFormConnPar::Edit7Exit()
{
    WorkingSettings.setCountryCode(ui->Edit7->text());
}
void TFormConnPar::Edit8Exit()
{
    WorkingSettings.setCityCode(ui->Edit8->text());
}
void TFormConnPar::Edit9Exit()
{
    WorkingSettings.setPhoneNumber(ui->Edit9->text());
}

void TFormConnPar::Edit10Exit()
{
    if (!ui->Edit10->text().isEmpty())
        WorkingSettings.setConnectAttempts(ui->Edit10->text().toInt());
}

LinkForm TFormConnPar::form() const
{
    LinkForm f;
    f.linkType = Selected(ui->ComboBox4);
    f.port = Selected(ui->ComboBox1);
    f.speed = Selected(ui->ComboBox2);
    f.attempts = Selected(ui->ComboBox3);
    f.firstByteWaitS = ui->Edit1->text();
    f.nextByteWaitMs = ui->Edit2->text();
    f.preambles = ui->Edit3->text();
    f.rtsPauseMs = ui->Edit4->text();
    f.modemCommand = ui->Edit5->text();
    f.connectWaitS = ui->Edit6->text();
    f.countryCode = ui->Edit7->text();
    f.cityCode = ui->Edit8->text();
    f.phoneNumber = ui->Edit9->text();
    f.connectAttempts = ui->Edit10->text();
    return f;
}

bool TFormConnPar::ApplyLinkParameters()
{
    const auto fault = CheckAndStoreLinkForm(form(), WorkingSettings, [this] {
        statusBar_->setPanelText(0, QString());
        PumpEvents();
    });
    if (fault)
        op_.ShowMessageBox(MessageBoxKind::InputError, fault->line1, fault->line2);
    return !fault;
}

void TFormConnPar::BitBtn1Click()
{
    if (!ApplyLinkParameters() || !actions_.open || !actions_.open(WorkingSettings))
        return;
    accepted_ = true;
    accept();
}

void TFormConnPar::BitBtn2Click()
{
    reject();
}

void TFormConnPar::reject()
{
    if (!detecting_)
        QDialog::reject();
}

void TFormConnPar::closeEvent(QCloseEvent *event)
{
    if (detecting_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TFormConnPar::setDetecting(bool detecting)
{
    detecting_ = detecting;
    for (QWidget *button : {ui->BitBtn1, ui->BitBtn2, ui->BitBtn4})
        button->setEnabled(!detecting);
}

void TFormConnPar::BitBtn4Click()
{
    statusBar_->setPanelText(0, QString());
    if (!ApplyLinkParameters() || !actions_.detectSpeed)
        return;
    setDetecting(true);
    const int speed = actions_.detectSpeed(WorkingSettings, StatusPanel{&op_, 0});
    if (speed) {
        WorkingSettings.setSpeed(speed);
        ui->ComboBox2->setCurrentIndex(ui->ComboBox2->findData(speed));
    }
    setDetecting(false);
}

} // namespace ktv31
