// Messages and questions of the core, answered for a terminal.
#include "cli/clioperator.h"

#include "cli/console.h"

#include <QStringList>

namespace ktv31::cli {
namespace {

QString Answer(bool yes)
{
    return yes ? QStringLiteral("Да") : QStringLiteral("Нет");
}

// The modem's commands and answers carry their CR and LF; a terminal line must not.
QString WithoutControls(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < ' '; });
    return text;
}

} // namespace

QString MessageLine(MessageBoxKind kind, const QString &line1, const QString &line2)
{
    QStringList parts;
    for (const QString &line : DressMessageBox(kind, line1, line2).lines)
        if (!line.trimmed().isEmpty())
            parts << line.trimmed();
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

bool CliOperator::ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2)
{
    bool answer = false;
    if (kind == MessageBoxKind::RetryQuestion) {
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

void CliOperator::Note(const QString &text)
{
    if (!text.isEmpty())
        PrintError(text);
}

void CliOperator::SetStatusText(int panel, const QString &text)
{
    if (panel == Panel::Step && !text.isEmpty()) {
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
    } else if (panel == Panel::Link && !text.isEmpty()) {
        Complain(QStringLiteral("связь программы теперь:%1 (файл настроек не изменён)").arg(text));
    }
}

} // namespace ktv31::cli
