// TFormAbout: the program's name, version and credits over a picture the program draws itself.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFormAbout;
}

namespace ktv31 {

class TFormAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAbout(QWidget *parent = nullptr);
    ~TFormAbout() override;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void BitBtn1Click();

private:
    std::unique_ptr<Ui::TFormAbout> ui;
};

// The 512 x 445 picture: a gas distribution station with its controller, the program's short
// name and the year written over it.
QPixmap AboutPicture();

} // namespace ktv31
