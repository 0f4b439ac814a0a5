// The exchange log: frames, modem lines and result texts appended to a rotated file off the hot
// path.
#pragma once

#include "shell/exchangeline.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <memory>
#include <optional>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcExchangeLog)

class QFile;
class QThread;

namespace ktv31 {

// Why the log file is not being written; None while it is.
enum class ExchangeLogError
{
    None,
    CannotOpen,
    WriteFailed,
    Overflow
};
QString ExchangeLogErrorText(ExchangeLogError error);

// Lines are taken in memory with the time they happened and written by a thread of their own,
// in batches, so that an exchange never waits for the disk. A file that cannot be written
// costs only its lines: the error is reported once on lcExchangeLog and the exchange goes on.
// A file that would grow past RotateBytes becomes <path>.1, the older one <path>.2; the one
// before that is removed.
class ExchangeLog
{
public:
    static constexpr qint64 RotateBytes = 1024 * 1024;
    static constexpr int KeptOlderFiles = 2;

    // Opens nothing yet: the folder and the file are created with the first batch.
    explicit ExchangeLog(const QString &path);
    // Writes what has been taken, then stops the writer.
    ~ExchangeLog();
    ExchangeLog(const ExchangeLog &) = delete;
    ExchangeLog &operator=(const ExchangeLog &) = delete;

    // Frames and modem lines as bytes, results and notes as texts, stamped now or with the time
    // the line carries. Safe from any thread.
    void add(LogLineKind kind, const QByteArray &bytes);
    void add(LogLineKind kind, const QString &text);
    void add(const ExchangeLine &line);

    // Returns once every line taken so far is written (or lost to an error).
    void flush();
    ExchangeLogError error() const;
    QString path() const { return path_; }

    // One line as the file holds it, without its line break; `msSinceEpoch` is local time.
    static QByteArray FormatLine(qint64 msSinceEpoch, LogLineKind kind, const QByteArray &bytes,
                                 const QString &text);
    // The line back from what FormatLine made of it (CRs before the line break are dropped);
    // nothing for a line of another form.
    static std::optional<ExchangeLine> ParseLine(QByteArrayView line);

private:
    using Entry = ExchangeLine;

    void take(Entry entry);
    void writerLoop();
    void writeBatch(const std::vector<Entry> &batch, qint64 lost);
    bool ensureOpen();
    void writeChunk(const QByteArray &chunk);
    void rotate();
    void setError(ExchangeLogError error);

    const QString path_;

    mutable QMutex mutex_;
    QWaitCondition wake_;    // the writer: lines waiting, a flush or the end
    QWaitCondition written_; // flush(): a batch is out
    std::vector<Entry> pending_;
    qint64 pendingBytes_ = 0;
    qint64 taken_ = 0; // lines taken, lost ones included
    qint64 done_ = 0;  // lines written or lost
    qint64 lost_ = 0;  // lines dropped since the last batch because the memory bound was hit
    bool flushWanted_ = false;
    bool stopping_ = false;
    ExchangeLogError error_ = ExchangeLogError::None;

    // The writer's own; never touched by the adding side.
    std::unique_ptr<QFile> file_;
    qint64 fileSize_ = 0;

    std::unique_ptr<QThread> writer_;
};

// The log that the exchange engine and the modem dialogue feed (through PublishExchangeLine),
// one per process; null (the default) logs nothing. The log must outlive its installation; its
// destructor uninstalls it.
void SetExchangeLog(ExchangeLog *log);
ExchangeLog *CurrentExchangeLog();
// A log at `path`, installed for the process until it is destroyed.
std::unique_ptr<ExchangeLog> StartExchangeLog(const QString &path);
template <typename Line> void LogExchange(LogLineKind kind, const Line &line)
{
    PublishExchangeLine(kind, line);
}

} // namespace ktv31
