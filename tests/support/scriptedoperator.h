// An operator that answers from a script and records every message, status text and file choice.
#pragma once

#include "shell/operatorseam.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

namespace ktv31::test {

class ScriptedOperator : public Operator
{
public:
    struct Message
    {
        MessageBoxKind kind = MessageBoxKind::Notice;
        QString line1;
        QString line2;
        bool answer = false;
    };
    struct StatusText
    {
        int panel = 0;
        QString text;
    };

    // Answers of the coming messages, in order; a message finding the queue empty gets
    // `defaultAnswer` (and counts in `unscriptedMessages`).
    void queueAnswers(std::initializer_list<bool> answers);
    // The paths the coming choosers return; an empty path, or an empty queue, cancels.
    void queueOpenFile(const QString &path) { openFiles_.enqueue(path); }
    void queueSaveFile(const QString &path) { saveFiles_.enqueue(path); }

    bool ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2) override;
    void SetStatusText(int panel, const QString &text) override;
    QString ChooseOpenFile(const FileChoice &choice) override;
    QString ChooseSaveFile(const FileChoice &choice) override;
    void Note(const QString &text) override;
    ProgressSink &BeginWait(WaitKind kind) override;
    void EndWait() override { waitOpen = false; }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    // Every text put on `panel`, in order (empty texts included when `withEmpty`).
    QStringList statusTexts(int panel, bool withEmpty = false) const;
    QString currentStatus(int panel) const;
    QList<Message> messagesOfKind(MessageBoxKind kind) const;
    void clearRecords();

    QList<Message> messages;
    QList<StatusText> statusLog;
    QList<FileChoice> openChoices;
    QList<FileChoice> saveChoices;
    QStringList notes;
    QList<WaitKind> waits; // every wait dialog shown, in order
    bool waitOpen = false;
    int busyDepth = 0;
    CountingProgress waitProgress;
    bool defaultAnswer = false;
    int unscriptedMessages = 0;
    // Called after each status text is recorded; lets a test act in the middle of an operation.
    std::function<void(int panel, const QString &text)> onStatusText;

private:
    QQueue<bool> answers_;
    QQueue<QString> openFiles_;
    QQueue<QString> saveFiles_;
};

} // namespace ktv31::test
