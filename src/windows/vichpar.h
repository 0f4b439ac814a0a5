// TFormVichPar: whether one calculator is polled, on which port and at which speed.
#pragma once

#include "config/configeditor.h"
#include "windows/windowoperator.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFormVichPar;
}

namespace ktv31 {

class TFormVichPar : public QDialog
{
    Q_OBJECT
public:
    // `link` is the calculator's link as the record holds it; `speedMask` the calculator speeds
    // the controller offers (table 1 field 1).
    TFormVichPar(const CalculatorLink &link, int address, quint32 speedMask,
                 QWidget *parent = nullptr);
    ~TFormVichPar() override;

    // The link as the operator accepted it (as given while the form has not been accepted).
    CalculatorLink link() const { return accepted_; }

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void CheckBox1Click();
    void ComboBox1Click(int index);
    void ComboBox2Change(int index);
    void BitBtn1Click();
    void BitBtn2Click();

private:
    void FormShow();

    std::unique_ptr<Ui::TFormVichPar> ui;
    WindowOperator op_;
    CalculatorLink accepted_;
    int address_;
    quint32 speedMask_;
    // The working copy: connected flag, port (1 A, 2 B, 3 C), speed code, and where that
    // speed stands in the list (-1: not offered).
    quint8 connected_ = 0;
    quint8 port_ = 0;
    quint8 speedCode_ = 0;
    int speedPosition_ = -1;
};

} // namespace ktv31
