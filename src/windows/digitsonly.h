// Numeric edit boxes: only digits and backspace get in, typed or pasted.
#pragma once

#include <QObject>

class QLineEdit;

namespace ktv31 {

// Installed on each numeric edit of a form; EditIntKeyPress is the forms' shared key handler.
class DigitsOnly : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void attach(QLineEdit *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True when the key must be discarded: a printable character other than a digit.
    static bool EditIntKeyPress(QEvent *event);
};

} // namespace ktv31
