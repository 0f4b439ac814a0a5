// TFormIdent: the identification block of a controller or of a configuration file, decoded.
#pragma once

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

    // The 17 bytes to show (read only); all lines decoded when they come from a controller,
    // only the type and the generation for a configuration file without them.
    const quint8 *Block = nullptr;
    bool FromDevice = false;

    QLabel *valueLabel(int line) const; // lines 1..9
    QLabel *captionLabel(int line) const;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void BitBtn2Click();

private:
    void FormShow();

    std::unique_ptr<Ui::TFormIdent> ui;
};

// Shows `block` modally over `parent`.
void ShowIdentification(QWidget *parent, const quint8 *block, bool fromDevice);

} // namespace ktv31
