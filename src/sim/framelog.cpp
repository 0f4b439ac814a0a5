// Timestamped entries of the simulator's log, kept bounded in memory and written line by line.
#include "sim/framelog.h"

#include "protocol/framing.h"
#include "shell/hexbytes.h"
#include "shell/monoclock.h"

#include <QMutexLocker>

#include <cstdio>

namespace ktv31::sim {
namespace {

// A long-running simulator must not grow without bound; tests look at far fewer entries.
constexpr int kMaxEntries = 20000;

const char *kindName(LogKind kind)
{
    switch (kind) {
    case LogKind::Request:
        return "request";
    case LogKind::Answer:
        return "answer";
    case LogKind::ModemCommand:
        return "modem<";
    case LogKind::ModemAnswer:
        return "modem>";
    case LogKind::Note:
        return "note";
    }
    return "";
}

QString printable(const QByteArray &bytes)
{
    QString out;
    for (char c : bytes) {
        const quint8 b = quint8(c);
        if (b == '\r')
            out += QStringLiteral("\\r");
        else if (b == '\n')
            out += QStringLiteral("\\n");
        else if (b >= 0x20 && b < 0x7F)
            out += QChar(b);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}

} // namespace

QString FrameLogEntry::text() const
{
    QString line = QString::asprintf("%10.3f %-7s", ms, kindName(kind));
    if (!bytes.isEmpty()) {
        const bool modem = kind == LogKind::ModemCommand || kind == LogKind::ModemAnswer;
        line +=
            QLatin1Char(' ') + (modem ? printable(bytes) : QString::fromLatin1(HexBytes(bytes)));
    }
    if (!note.isEmpty())
        line += QStringLiteral("  # ") + note;
    return line;
}

FrameLog::FrameLog() : originNs_(MachineNowNs()) {}
FrameLog::~FrameLog() = default;

bool FrameLog::setSink(const QString &path, QString *error)
{
    auto file = std::make_unique<QFile>();
    bool ok = true;
    if (path == QLatin1String("-"))
        ok = file->open(stderr, QIODevice::WriteOnly | QIODevice::Text);
    else if (!path.isEmpty()) {
        file->setFileName(path);
        ok = file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    }
    if (!ok) {
        if (error)
            *error =
                QStringLiteral("cannot open the frame log %1: %2").arg(path, file->errorString());
        return false;
    }
    QMutexLocker lock(&mutex_);
    sink_ = path.isEmpty() ? nullptr : std::move(file);
    return true;
}

void FrameLog::restartClock()
{
    QMutexLocker lock(&mutex_);
    originNs_ = MachineNowNs();
}

void FrameLog::add(LogKind kind, const QByteArray &bytes, const QString &note)
{
    QMutexLocker lock(&mutex_);
    FrameLogEntry entry{double(MachineNowNs() - originNs_) / 1e6, kind, bytes, note};
    if (sink_) {
        sink_->write(entry.text().toUtf8() + '\n');
        sink_->flush();
    }
    if (entries_.size() >= kMaxEntries)
        entries_.removeFirst();
    entries_.append(std::move(entry));
}

QList<FrameLogEntry> FrameLog::snapshot() const
{
    QMutexLocker lock(&mutex_);
    return entries_;
}

QList<QByteArray> FrameLog::bytesOf(LogKind kind) const
{
    QMutexLocker lock(&mutex_);
    QList<QByteArray> out;
    for (const FrameLogEntry &entry : entries_)
        if (entry.kind == kind)
            out.append(entry.bytes);
    return out;
}

void FrameLog::clear()
{
    QMutexLocker lock(&mutex_);
    entries_.clear();
}

} // namespace ktv31::sim
