// The key filter and validator of the numeric edits.
#include "windows/digitsonly.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace ktv31 {

void DigitsOnly::attach(QLineEdit *edit)
{
    // The validator also holds pasted and dropped text to digits.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->installEventFilter(this);
}

bool DigitsOnly::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(watched))
        return EditIntKeyPress(event);
    return QObject::eventFilter(watched, event);
}

bool DigitsOnly::EditIntKeyPress(QEvent *event)
{
    const QString text = static_cast<QKeyEvent *>(event)->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false; // backspace, arrows and the like keep working
    return !(text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9');
}

} // namespace ktv31
