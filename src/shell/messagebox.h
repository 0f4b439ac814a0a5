// The kinds of the one message box and how each dresses its caption, lines and buttons.
#pragma once

#include <QString>

#include <array>

namespace ktv31 {

enum class MessageBoxKind : int
{
    Error = 1,      // "Ошибка", close button
    InputError = 2, // "Ошибка ввода параметров", close button
    Question = 3,   // "Да" / "Нет"
    StateNotice = 4, // "Сообщение" with "(см. текущее состояние контроллера)"
    ExchangeResult = 5,   // "Результат обмена с устройством"
    Notice = 6,           // no caption, close button
    RetryQuestion = 7,    // adds "Повторить попытку?", "Да" / "Нет"
    ResultTextNotice = 8, // composed result text first, the caller's lines below
    CorrectQuestion = 9, // adds "Выполнить корректировку сейчас?", "Да" / "Нет"
};

enum class MessageButtons
{
    Close, // the glyph button alone: a notice
    YesNo, // "Да" and "Нет": a question
};

struct MessageBoxLayout
{
    QString caption;
    std::array<QString, 3> lines; // an empty line counts as absent
    MessageButtons buttons = MessageButtons::Close;
};

// What the box shows for `kind`. `resultText` is the composed result text of the last exchange,
// which only kind 8 shows. A kind outside 1..9 shows the dialog's design texts.
MessageBoxLayout DressMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2,
                                 const QString &resultText = {});

bool IsQuestion(MessageBoxKind kind);

} // namespace ktv31
