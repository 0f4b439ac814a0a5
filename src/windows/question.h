// TFormQues: the one dialog of every message and yes/no question, sized to its texts.
#pragma once

#include "shell/messagebox.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFormQues;
}

namespace ktv31 {

class TFormQues : public QDialog
{
    Q_OBJECT
public:
    explicit TFormQues(QWidget *parent = nullptr);
    ~TFormQues() override;

    // What ShowMessageBox sets before showing: the caption, the three lines, the buttons.
    void Present(const MessageBoxLayout &layout);

    // True only after "Да"; false after "Нет", Esc, the close box or the glyph button.
    bool answer() const { return answer_; }

protected:
    void showEvent(QShowEvent *event) override;
    // Esc and the close box answer "Нет".
    void reject() override;

private slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

private:
    void FormShow();

    std::unique_ptr<Ui::TFormQues> ui;
    bool answer_ = false;
};

// Shows a message of `kind` modally over `parent` and returns the answer (true only for "Да").
// `resultText` is the composed result text that kind 8 shows first.
bool ShowMessageBox(QWidget *parent, MessageBoxKind kind, const QString &line1,
                    const QString &line2, const QString &resultText = {});

} // namespace ktv31
