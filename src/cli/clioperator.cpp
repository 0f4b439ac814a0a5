// Messages and questions of the core, answered for a terminal.
#include "cli/clioperator.h"

#include "cli/console.h"

#include <QStringList>

namespace ktv31::cli {
namespace {

constexpr int kLinkPanel = 0;
constexpr int kStepPanel = 1;

QString Answer(bool yes) { return yes ? QStringLiteral("Да") : QStringLiteral("Нет"); }

// The modem's commands and answers carry their CR and LF; a terminal line must not.
QString WithoutControls(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < ' '; });
    return text;
}

bool IsQuestion(int kind)
{
    return kind == MessageBoxKinds::Question || kind == MessageBoxKinds::RetryQuestion ||
           kind == MessageBoxKinds::CorrectQuestion;
}

} // namespace

QString MessageLine(int kind, const QString &line1, const QString &line2)
{
    QStringList parts;
    for (const QString &line : {line1, line2})
        if (!line.trimmed().isEmpty())
            parts << line.trimmed();
    if (kind == MessageBoxKinds::StateNotice)
        parts << QStringLiteral("(см. текущее состояние контроллера)");
    if (kind == MessageBoxKinds::RetryQuestion)
        parts << QStringLiteral("Повторить попытку?");
    if (kind == MessageBoxKinds::CorrectQuestion)
        parts << QStringLiteral("Выполнить корректировку сейчас?");
    return parts.join(QLatin1Char(' '));
}

bool CliOperator::answerRetry()
{
    ++retryQuestions_;
    // A repeat shows the same step text again; another step is another transfer.
    if (stepText_ != askedStep_)
        retriesOfTransfer_ = 0;
    askedStep_ = stepText_;
    if (retriesOfTransfer_ >= retries_)
        return false;
    ++retriesOfTransfer_;
    return true;
}

bool CliOperator::ShowMessageBox(int kind, const QString &line1, const QString &line2)
{
    bool answer = false;
    if (kind == MessageBoxKinds::RetryQuestion) {
        if (!verbose_ && !failureText_.isEmpty())
            PrintError(failureText_);
        answer = answerRetry();
    }
    QString line = MessageLine(kind, line1, line2);
    if (IsQuestion(kind))
        line += QLatin1Char(' ') + Answer(answer);
    PrintError(line);
    return answer;
}

void CliOperator::SetStatusText(int panel, const QString &text)
{
    if (panel == kStepPanel && !text.isEmpty()) {
        if (verbose_)
            PrintError(WithoutControls(text));
        // A step text is followed by its failure (or by nothing); keep both.
        if (text.startsWith(QStringLiteral("Чтение из таблицы")) ||
            text.startsWith(QStringLiteral("Запись в таблицу"))) {
            stepText_ = text;
            failureText_.clear();
        } else {
            failureText_ = text;
        }
    } else if (panel == kLinkPanel && !text.isEmpty()) {
        Complain(QStringLiteral("the program's link is now%1 (the settings file is not changed)")
                     .arg(text));
    }
}

} // namespace ktv31::cli
