// TFormIdent: the identification block of a controller or of a configuration file, decoded.
#pragma once

#include "config/configimage.h"

#include <QDialog>

#include <memory>

class QLabel;

namespace Ui {
class TFormIdent;
}

namespace ktv31 {

class TFormIdent : public QDialog
{
    Q_OBJECT
public:
    explicit TFormIdent(QWidget *parent = nullptr);
    ~TFormIdent() override;

    // What to show, set before showing: all lines decoded when the block comes from a
    // controller, only the type and the generation for a configuration file without them.
    void setBlock(const IdentificationBytes &block, bool fromDevice);

    QLabel *valueLabel(int line) const; // lines 1..9
    QLabel *captionLabel(int line) const;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void BitBtn2Click();

private:
    void FormShow();

    std::unique_ptr<Ui::TFormIdent> ui;
    IdentificationBytes block_{};
    bool fromDevice_ = false;
};

// Shows `block` modally over `parent`.
void ShowIdentification(QWidget *parent, const IdentificationBytes &block, bool fromDevice);

} // namespace ktv31
