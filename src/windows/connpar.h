// TFormConnPar: the link parameters, the opening of the port and the detection of the speed.
#pragma once

#include "connection/linkparameters.h"
#include "shell/settings.h"
#include "windows/windowoperator.h"

#include <QDialog>
#include <QLoggingCategory>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcWindows)

namespace Ui {
class TFormConnPar;
}

namespace ktv31 {

struct ProgramState;
class PanelStatusBar;

class TFormConnPar : public QDialog
{
    Q_OBJECT
public:
    explicit TFormConnPar(ProgramState &state, QWidget *parent = nullptr);
    ~TFormConnPar() override;

    // Set by the caller: panel 0 of it follows the port and speed the operator picks.
    PanelStatusBar *MainStatusBar = nullptr;
    // True after "Связаться": the port is open, the session loaded, the settings stored.
    bool Accepted = false;
    ConnectionSettings WorkingSettings;

    PanelStatusBar *StatusBar1() const { return statusBar_; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private slots:
    void ComboBox4Click();
    void ComboBox1Click(int index);
    void ComboBox2Click(int index);
    void Edit5Exit();
    void Edit6Exit();
    void Edit7Exit();
    void Edit8Exit();
    void Edit9Exit();
    void Edit10Exit();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn4Click();

private:
    void FormShow();
    bool CheckTelephoneParameters();
    bool ApplyLinkParameters();
    LinkForm form() const;
    void showLinkText();
    void setTelephoneControlsEnabled(bool enabled);
    void setDetecting(bool detecting);

    std::unique_ptr<Ui::TFormConnPar> ui;
    ProgramState &state_;
    PanelStatusBar *statusBar_;
    WindowOperator op_;
    bool detecting_ = false;
};

} // namespace ktv31
