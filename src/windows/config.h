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
    // Edits `record` in place. `image` supplies the speeds the controller offers (and is told
    // that a file offers every speed); `settings` whether the link is a telephone one.
    TFormConfig(ConfigRecord &record, ConfigImage &image, const ConnectionSettings &settings,
                QWidget *parent = nullptr);
    ~TFormConfig() override;

    // Inputs, set before showing.
    bool DeviceMode = false;
    bool HideIdentification = false;
    // Outputs, read after the form has closed.
    bool ConfigAccepted = false;
    bool ConfigChanged = false;

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
    ConfigImage &image_;
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
EditorOutcome EditConfiguration(QWidget *parent, ConfigRecord &record, ConfigImage &image,
                                const ConnectionSettings &settings, bool deviceMode,
                                bool hideIdentification);

} // namespace ktv31
