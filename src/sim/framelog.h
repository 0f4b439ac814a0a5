// The simulator's log of requests, answers, modem commands and notes: in memory and to a sink.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QString>

#include <memory>

namespace ktv31::sim {

enum class LogKind
{
    Request,
    Answer,
    ModemCommand,
    ModemAnswer,
    Note
};

struct FrameLogEntry
{
    double ms = 0; // since the simulator started
    LogKind kind = LogKind::Note;
    QByteArray bytes;
    QString note;

    QString text() const;
};

// Filled from the simulator's thread, read from any thread.
class FrameLog
{
public:
    FrameLog();
    ~FrameLog();

    // "-" = standard error, empty = memory only. False when the file cannot be opened.
    bool setSink(const QString &path, QString *error = nullptr);
    void restartClock();

    void add(LogKind kind, const QByteArray &bytes, const QString &note = {});
    void note(const QString &text) { add(LogKind::Note, {}, text); }

    QList<FrameLogEntry> snapshot() const;
    QList<QByteArray> bytesOf(LogKind kind) const;
    void clear();

private:
    mutable QMutex mutex_;
    QList<FrameLogEntry> entries_;
    std::unique_ptr<QFile> sink_;
    qint64 originNs_;
};

} // namespace ktv31::sim
