// TFormSelect: the firmware generation of a new configuration file.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFormSelect;
}

namespace ktv31 {

class TFormSelect : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSelect(QWidget *parent = nullptr);
    ~TFormSelect() override;

    // 3 (software versions 3 and 4) or 5 (5 and 6) after "Принять"; 0 when cancelled.
    int selectedGeneration() const { return selectedGeneration_; }

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void BitBtn1Click();
    void BitBtn2Click();

private:
    std::unique_ptr<Ui::TFormSelect> ui;
    int selectedGeneration_ = 0;
};

// Shows the choice modally; the generation, or 0 when the operator cancelled.
int ChooseGeneration(QWidget *parent);

} // namespace ktv31
