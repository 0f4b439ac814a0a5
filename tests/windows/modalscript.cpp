// The scripted operator of the window tests: answers dialogs when they are shown.
#include "modalscript.h"

#include "windows/question.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace ktv31::test {

ModalScript::ModalScript()
{
    qApp->installEventFilter(this);
}

ModalScript::~ModalScript()
{
    qApp->removeEventFilter(this);
}

void ModalScript::queueAnswers(std::initializer_list<bool> answers)
{
    for (bool answer : answers)
        answers_.enqueue(answer);
}

bool ModalScript::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show)
        return false;
    auto *dialog = qobject_cast<QDialog *>(watched);
    if (!dialog || !dialog->isModal())
        return false;
    // Answered once the dialog's own loop runs, as a person would answer it.
    QPointer<QDialog> guarded = dialog;
    QMetaObject::invokeMethod(
        this,
        [this, guarded] {
            if (!guarded || !guarded->isVisible())
                return;
            if (qobject_cast<TFormQues *>(guarded))
                answerBox(guarded);
            else if (auto *files = qobject_cast<QFileDialog *>(guarded))
                answerFile(files);
            else if (onDialog)
                onDialog(guarded);
        },
        Qt::QueuedConnection);
    return false;
}

void ModalScript::answerBox(QDialog *box)
{
    Box seen;
    seen.caption = box->windowTitle();
    for (const char *name : {"Label1", "Label2", "Label3"}) {
        const QString text = box->findChild<QLabel *>(QLatin1String(name))->text();
        if (!text.isEmpty())
            seen.lines << text;
    }
    auto *yes = box->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    auto *no = box->findChild<QPushButton *>(QStringLiteral("BitBtn2"));
    auto *close = box->findChild<QPushButton *>(QStringLiteral("BitBtn3"));
    seen.question = yes->isVisible();
    seen.answer = seen.question && !answers_.isEmpty() && answers_.dequeue();
    seen.width = box->width();
    seen.height = box->height();
    boxes.append(seen);
    if (onBox)
        onBox(seen);
    (seen.question ? (seen.answer ? yes : no) : close)->click();
}

void ModalScript::answerFile(QFileDialog *dialog)
{
    fileTitles.append(dialog->windowTitle());
    const QString path = files_.isEmpty() ? QString() : files_.dequeue();
    if (path.isEmpty()) {
        dialog->reject();
        return;
    }
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");
}

} // namespace ktv31::test
