// The operator of a terminal session: prints every message, answers every question at once.
#pragma once

#include "shell/operatorseam.h"

#include <QString>

namespace ktv31::cli {

// Messages go to standard error, one line each. The retry question of a failed transfer is
// answered "Да" up to `retries` times for that transfer, then "Нет"; every other question "Нет".
// Nothing ever waits for a keyboard, and no file is chosen here: the tool names its files.
class CliOperator : public Operator
{
public:
    CliOperator(int retries, bool verbose) : retries_(retries), verbose_(verbose) {}

    bool ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2) override;
    void SetStatusText(int panel, const QString &text) override;
    QString ChooseOpenFile(const FileChoice &) override { return {}; }
    QString ChooseSaveFile(const FileChoice &) override { return {}; }
    // A line of its own on standard error.
    void Note(const QString &text) override;

    // How often the retry question was asked in this run.
    int retryQuestions() const { return retryQuestions_; }

private:
    bool answerRetry();

    int retries_;
    bool verbose_;
    int retryQuestions_ = 0;
    int retriesOfTransfer_ = 0;
    QString askedStep_;
    // The last two texts of the step panel: a transfer shows its step, then why it failed.
    QString stepText_;
    QString failureText_;
};

// One line for a message of `kind`: its lines and the extra line the kind adds.
QString MessageLine(MessageBoxKind kind, const QString &line1, const QString &line2);

} // namespace ktv31::cli
