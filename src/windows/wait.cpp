// TFormWait: two lines by mode and a bar that the transfer operation drives.
#include "windows/wait.h"

#include "ui_wait.h"
#include "windows/captionfit.h"

#include <QCloseEvent>

namespace ktv31 {

TFormWait::TFormWait(QWidget *parent) : QDialog(parent), ui(new Ui::TFormWait)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // An empty bar until the operation sets its range; a 0..0 range would animate as "busy".
    ui->ProgressBar1->setRange(0, 1);
    ui->ProgressBar1->setValue(0);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormWait::BitBtn1Click);
    mode_ = 0;
    FitCaptions(*this);
}

void TFormWait::BitBtn1Click()
{
    // Asked once: the transfer ends at its next wait, and there is nothing more to ask for.
    if (!ui->BitBtn1->isEnabled())
        return;
    ui->BitBtn1->setEnabled(false);
    emit abortRequested();
}

TFormWait::~TFormWait() = default;

QProgressBar *TFormWait::ProgressBar1() const
{
    return ui->ProgressBar1;
}

void TFormWait::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormWait::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TFormWait::FormShow()
{
    setFixedSize(322, 127);
    switch (mode_) {
    case WritingTables:
        ui->Label2->setText(QStringLiteral("Выполняется запись параметров"));
        ui->Label3->setText(QStringLiteral("конфигурации в контроллер"));
        break;
    case ReadingTables:
        ui->Label2->setText(QStringLiteral("Выполняется чтение"));
        ui->Label3->setText(QStringLiteral("таблиц параметров конфигурации"));
        break;
    default:
        break;
    }
}

} // namespace ktv31
