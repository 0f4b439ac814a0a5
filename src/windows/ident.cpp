// TFormIdent: the lines that the core decodes, shown with their labels; a destroyed table in red.
#include "windows/ident.h"

#include "config/configimage.h"
#include "connection/identdecode.h"
#include "ui_ident.h"
#include "windows/accessiblevalue.h"
#include "windows/captionfit.h"
#include "windows/glyphs.h"

#include <QPointer>

#include <array>

namespace ktv31 {

TFormIdent::TFormIdent(QWidget *parent) : QDialog(parent), ui(new Ui::TFormIdent)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->BitBtn2->setIcon(Glyphs::Exit());
    for (int line = 1; line <= IdentLineCount; ++line) {
        captionLabel(line)->setText(IdentLabels()[size_t(line - 1)].join(QLatin1Char('\n')));
        ReadAsValue(valueLabel(line), IdentLabels()[size_t(line - 1)].join(QLatin1Char(' ')));
    }
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormIdent::BitBtn2Click);
    FitCaptions(*this);
}

TFormIdent::~TFormIdent() = default;

QLabel *TFormIdent::valueLabel(int line) const
{
    return findChild<QLabel *>(QStringLiteral("ValueLine%1").arg(line));
}

QLabel *TFormIdent::captionLabel(int line) const
{
    return findChild<QLabel *>(QStringLiteral("LabelLine%1").arg(line));
}

void TFormIdent::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormIdent::FormShow()
{
    setFixedSize(492, 416);
    const auto lines = DecodeIdentification(block_.data(), fromDevice_);
    for (int line = 1; line <= IdentLineCount; ++line) {
        const IdentLine &decoded = lines[size_t(line - 1)];
        captionLabel(line)->setEnabled(decoded.enabled);
        QLabel *value = valueLabel(line);
        value->setText(decoded.value);
        QPalette palette = value->palette();
        palette.setColor(QPalette::WindowText, decoded.alarm
                                                   ? QColor(255, 0, 0)
                                                   : this->palette().color(QPalette::WindowText));
        value->setPalette(palette);
    }
    ui->BitBtn2->setFocus();
}

void TFormIdent::BitBtn2Click()
{
    accept();
}

void TFormIdent::setBlock(const IdentificationBytes &block, bool fromDevice)
{
    block_ = block;
    fromDevice_ = fromDevice;
}

void ShowIdentification(QWidget *parent, const IdentificationBytes &block, bool fromDevice)
{
    QPointer<TFormIdent> form = new TFormIdent(parent);
    form->setBlock(block, fromDevice);
    form->exec();
    delete form;
}

} // namespace ktv31
