// TFormConnPar: the link parameters the person chooses, checked in the dialog's order.
#pragma once

#include "connection/linkparameters.h"
#include "shell/settings.h"
#include "windows/windowoperator.h"

#include <QDialog>
#include <QLoggingCategory>

#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcWindows)

namespace Ui {
class TFormConnPar;
}

namespace ktv31 {

class PanelStatusBar;
class ServiceSession;
struct StatusPanel;

// What the dialog has its caller do with the values the person entered.
struct LinkActions
{
    // Opens the link with these values; false when it did not open (the person has been told).
    std::function<bool(const ConnectionSettings &)> open;
    // The controller's speed found on these values' port, 0 when none answered; each speed
    // probed is shown on the panel given.
    std::function<int(const ConnectionSettings &, const StatusPanel &)> detectSpeed;
};
// The program's operations as the dialog's actions.
LinkActions ServiceLinkActions(ServiceSession &service);

class TFormConnPar : public QDialog
{
    Q_OBJECT
public:
    // Shows `settings`; `programDir` names the devices behind the COM ports.
    TFormConnPar(const ConnectionSettings &settings, const QString &programDir, LinkActions actions,
                 QWidget *parent = nullptr);
    ~TFormConnPar() override;

    // True after "Связаться": the link is open with the working settings, which the caller
    // keeps.
    bool accepted() const { return accepted_; }
    const ConnectionSettings &workingSettings() const { return WorkingSettings; }

    PanelStatusBar *StatusBar1() const { return statusBar_; }

signals:
    // The person picked a port or a speed: the text for the main window's link panel.
    void linkTextChanged(const QString &text);

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
    // The form checked in its order and stored into WorkingSettings; false at the first fault,
    // which has been told.
    bool ApplyLinkParameters();
    LinkForm form() const;
    void showLinkText();
    void setTelephoneControlsEnabled(bool enabled);
    void setDetecting(bool detecting);

    std::unique_ptr<Ui::TFormConnPar> ui;
    const ConnectionSettings settings_;
    // What the form shows and the checks store into, from the settings it was given.
    ConnectionSettings WorkingSettings;
    bool accepted_ = false;
    const LinkActions actions_;
    PanelStatusBar *statusBar_;
    WindowOperator op_;
    bool detecting_ = false;
};

} // namespace ktv31
