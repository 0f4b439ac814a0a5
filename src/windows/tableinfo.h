// TFormTableInfo: which writable tables the controller reports destroyed, and which to rewrite.
#pragma once

#include "config/tablestate.h"
#include "windows/windowoperator.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;

namespace Ui {
class TFormTableInfo;
}

namespace ktv31 {

class TFormTableInfo : public QDialog
{
    Q_OBJECT
public:
    // The form shows a copy of `state` and sets the write flags of its own copy on a write
    // choice; the owner takes them with chosenState().
    TFormTableInfo(const TableStateBuffer &state, bool telephone, QWidget *parent = nullptr);
    ~TFormTableInfo() override;

    // 0 closed without a choice, 1 write the ticked tables, 2 write every writable table.
    int tableStateResult() const { return tableStateResult_; }
    // The state shown, with the write flags of the choice made.
    const TableStateBuffer &chosenState() const { return state_; }

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

private:
    void FormShow();

    std::unique_ptr<Ui::TFormTableInfo> ui;
    int tableStateResult_ = 0;
    TableStateBuffer state_;
    bool telephone_;
    WindowOperator op_;
    // The controls of each table's row, by table number; null for tables without a row.
    std::array<QLabel *, ConfigTableCount> captions_{};
    std::array<QLabel *, ConfigTableCount> states_{};
    std::array<QCheckBox *, ConfigTableCount> boxes_{};
};

} // namespace ktv31
