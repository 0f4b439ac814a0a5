// An operator that answers from a script and records every message, status text and file choice.
#include "support/scriptedoperator.h"

namespace ktv31::test {

void ScriptedOperator::queueAnswers(std::initializer_list<bool> answers)
{
    for (bool answer : answers)
        answers_.enqueue(answer);
}

bool ScriptedOperator::ShowMessageBox(MessageBoxKind kind, const QString &line1,
                                      const QString &line2)
{
    bool answer = defaultAnswer;
    if (!answers_.isEmpty())
        answer = answers_.dequeue();
    else
        ++unscriptedMessages;
    messages.append({kind, line1, line2, answer});
    return answer;
}

void ScriptedOperator::SetStatusText(int panel, const QString &text)
{
    statusLog.append({panel, text});
    if (onStatusText)
        onStatusText(panel, text);
}

void ScriptedOperator::Note(const QString &text)
{
    notes.append(text);
    Operator::Note(text);
}

ProgressSink &ScriptedOperator::BeginWait(WaitKind kind)
{
    waits.append(kind);
    waitOpen = true;
    return waitProgress;
}

QString ScriptedOperator::ChooseOpenFile(const FileChoice &choice)
{
    openChoices.append(choice);
    return openFiles_.isEmpty() ? QString() : openFiles_.dequeue();
}

QString ScriptedOperator::ChooseSaveFile(const FileChoice &choice)
{
    saveChoices.append(choice);
    return saveFiles_.isEmpty() ? QString() : saveFiles_.dequeue();
}

QStringList ScriptedOperator::statusTexts(int panel, bool withEmpty) const
{
    QStringList texts;
    for (const StatusText &entry : statusLog)
        if (entry.panel == panel && (withEmpty || !entry.text.isEmpty()))
            texts.append(entry.text);
    return texts;
}

QString ScriptedOperator::currentStatus(int panel) const
{
    for (auto it = statusLog.crbegin(); it != statusLog.crend(); ++it)
        if (it->panel == panel)
            return it->text;
    return {};
}

QList<ScriptedOperator::Message> ScriptedOperator::messagesOfKind(MessageBoxKind kind) const
{
    QList<Message> found;
    for (const Message &message : messages)
        if (message.kind == kind)
            found.append(message);
    return found;
}

void ScriptedOperator::clearRecords()
{
    messages.clear();
    statusLog.clear();
    openChoices.clear();
    saveChoices.clear();
    notes.clear();
    waits.clear();
    unscriptedMessages = 0;
}

} // namespace ktv31::test
