// Answers the windows' modal dialogs from a script, as an operator would, and records them.
#pragma once

#include <QObject>
#include <QQueue>
#include <QStringList>

#include <functional>

class QDialog;
class QFileDialog;

namespace ktv31::test {

// Installed on the application: each TFormQues that is shown is recorded and answered with the
// next queued answer (true = "Да"; a notice is acknowledged with its glyph button; an empty queue
// answers "Нет"), each QFileDialog takes the next queued path (empty or none: cancelled), and
// any other dialog goes to `onDialog`, which must close it.
class ModalScript : public QObject
{
    Q_OBJECT
public:
    struct Box
    {
        QString caption;
        QStringList lines; // the non-empty lines
        bool question = false;
        bool answer = false;
        int width = 0;
        int height = 0;
    };

    ModalScript();
    ~ModalScript() override;

    void queueAnswers(std::initializer_list<bool> answers);
    void queueFile(const QString &path) { files_.enqueue(path); }

    QList<Box> boxes;
    QList<QString> fileTitles;
    std::function<void(QDialog *)> onDialog;
    // Runs right before a box is answered, while it is up.
    std::function<void(const Box &)> onBox;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answerBox(QDialog *box);
    void answerFile(QFileDialog *dialog);

    QQueue<bool> answers_;
    QQueue<QString> files_;
};

} // namespace ktv31::test
