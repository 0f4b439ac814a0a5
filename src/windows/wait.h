// TFormWait: the modeless "please wait" window with the progress bar of a long table transfer.
#pragma once

#include <QDialog>

#include <memory>

class QProgressBar;

namespace Ui {
class TFormWait;
}

namespace ktv31 {

class TFormWait : public QDialog
{
    Q_OBJECT
public:
    // What the window says it waits for.
    enum WaitMode : quint8
    {
        WritingTables = 2, // writing chosen configuration tables into the controller
        ReadingTables = 3, // reading the configuration tables
    };

    explicit TFormWait(QWidget *parent = nullptr);
    ~TFormWait() override;

    QProgressBar *ProgressBar1() const;

    // Set before showing.
    void setMode(WaitMode mode) { mode_ = mode; }
    quint8 mode() const { return mode_; }

signals:
    // "Прервать" or Esc: the transfer is to be cut short; the window stays until it has ended.
    void abortRequested();

protected:
    void showEvent(QShowEvent *event) override;
    // No title-bar buttons: the window lives exactly as long as its transfer.
    void closeEvent(QCloseEvent *event) override;
    void reject() override { BitBtn1Click(); }

private slots:
    void BitBtn1Click();

private:
    void FormShow();

    std::unique_ptr<Ui::TFormWait> ui;
    quint8 mode_ = 0;
};

} // namespace ktv31
