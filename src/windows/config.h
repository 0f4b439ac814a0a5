// TFormConfig: the configuration editor of a controller's or a file's configuration record.
#pragma once

#include "config/configeditor.h"
#include "config/configimage.h"
#include "windows/windowoperator.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFormConfig;
}

namespace ktv31 {

class CalculatorModel;
class ConnectionSettings;

class TFormConfig : public QDialog
{
    Q_OBJECT
public:
    // Edits `record` in place. `image` supplies the speeds the controller offers in device
    // mode (a file offers every speed); `settings` whether the link is a telephone one.
    TFormConfig(ConfigRecord &record, const ConfigImage &image, const ConnectionSettings &settings,
                QWidget *parent = nullptr);
    ~TFormConfig() override;

    // Set before showing: the record is the controller's (else a file's); the identification
    // button is hidden.
    void setDeviceMode(bool deviceMode) { deviceMode_ = deviceMode; }
    bool deviceMode() const { return deviceMode_; }
    void setHideIdentification(bool hide) { hideIdentification_ = hide; }
    // Read after the form has closed.
    bool configAccepted() const { return configAccepted_; }
    bool configChanged() const { return configChanged_; }
    // The speeds offered for the upper link and for the calculators.
    quint32 upperSpeedMask() const;
    quint32 calculatorSpeedMask() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void BitBtn14Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn24Click();
    void StringGrid1DblClick();

private:
    void FormShow();
    void fillUpperSpeeds();
    void showFieldLabels();
    // What the link-parameter controls and the modem string's edit hold now.
    EditorInput input() const;
    void setBackground(bool subDialogOpen);

    std::unique_ptr<Ui::TFormConfig> ui;
    ConfigRecord &record_;
    const ConfigImage &image_;
    bool deviceMode_ = false;
    bool hideIdentification_ = false;
    bool configAccepted_ = false;
    bool configChanged_ = false;
    const ConnectionSettings &settings_;
    ConfigRecord snapshot_;
    EditorInput shown_; // what the controls held when the form was shown
    CalculatorModel *model_;
    WindowOperator op_;
};

// Creates the editor on `record`, shows it modally and reports its two outputs.
struct EditorOutcome
{
    bool accepted = false;
    bool changed = false;
};
EditorOutcome EditConfiguration(QWidget *parent, ConfigRecord &record, const ConfigImage &image,
                                const ConnectionSettings &settings, bool deviceMode,
                                bool hideIdentification);

} // namespace ktv31
