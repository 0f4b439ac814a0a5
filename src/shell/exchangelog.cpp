// The exchange log: lines taken in memory, formatted and written in batches by a writer thread.
#include "shell/exchangelog.h"

#include "shell/cp1251.h"
#include "shell/hexbytes.h"
#include "shell/wholefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <iterator>

Q_LOGGING_CATEGORY(lcExchangeLog, "ktv31.exchangelog", QtInfoMsg)

namespace ktv31 {
namespace {

// A batch gathers this long before it is written, so a busy exchange costs one write a batch.
constexpr unsigned long kBatchMs = 200;
// Lines waiting beyond this much (a disk that stopped answering) are dropped and counted.
constexpr qint64 kMaxPendingBytes = 8 * 1024 * 1024;
constexpr qint64 kEntryOverhead = 64;

std::atomic<ExchangeLog *> g_log{nullptr};

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

constexpr LogLineKind kAllKinds[] = {LogLineKind::Sent,         LogLineKind::Received,
                                     LogLineKind::ModemCommand, LogLineKind::ModemAnswer,
                                     LogLineKind::Result,       LogLineKind::Note};

constexpr qsizetype kTimeLength = sizeof("yyyy-MM-dd HH:mm:ss.zzz") - 1;

// The time FormatLine writes, read field by field: a log of many thousand lines is read at once.
QDateTime ParseLocalTime(QByteArrayView text)
{
    // Where each field's digits stand, and the separator after it.
    struct Field
    {
        int at;
        int digits;
        char after;
    };
    constexpr Field kFields[] = {{0, 4, '-'},  {5, 2, '-'},  {8, 2, ' '},  {11, 2, ':'},
                                 {14, 2, ':'}, {17, 2, '.'}, {20, 3, '\0'}};
    int values[std::size(kFields)] = {};
    for (size_t f = 0; f < std::size(kFields); ++f) {
        const Field &field = kFields[f];
        for (int i = 0; i < field.digits; ++i) {
            const char c = text[field.at + i];
            if (c < '0' || c > '9')
                return {};
            values[f] = values[f] * 10 + (c - '0');
        }
        if (field.after && text[field.at + field.digits] != field.after)
            return {};
    }
    const QDate date(values[0], values[1], values[2]);
    const QTime time(values[3], values[4], values[5], values[6]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

const char *Label(LogLineKind kind)
{
    switch (kind) {
    case LogLineKind::Sent:
        return "TX";
    case LogLineKind::Received:
        return "RX";
    case LogLineKind::ModemCommand:
        return "MODEM>";
    case LogLineKind::ModemAnswer:
        return "MODEM<";
    case LogLineKind::Result:
        return "RESULT";
    case LogLineKind::Note:
        return "NOTE";
    }
    return "?";
}

QString OlderFile(const QString &path, int age)
{
    return path + QStringLiteral(".%1").arg(age);
}

} // namespace

QString ExchangeLogErrorText(ExchangeLogError error)
{
    switch (error) {
    case ExchangeLogError::None:
        return {};
    case ExchangeLogError::CannotOpen:
        return QStringLiteral("Журнал обмена не открывается");
    case ExchangeLogError::WriteFailed:
        return QStringLiteral("Журнал обмена не записывается");
    case ExchangeLogError::Overflow:
        return QStringLiteral("Журнал обмена не успевает записываться, строки пропущены");
    }
    return {};
}

ExchangeLog::ExchangeLog(const QString &path) : path_(path)
{
    writer_.reset(QThread::create([this] { writerLoop(); }));
    writer_->setObjectName(QStringLiteral("exchange log"));
    writer_->start();
    const QString program =
        QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
    add(LogLineKind::Note,
        QStringLiteral("%1 started, pid %2").arg(program).arg(QCoreApplication::applicationPid()));
}

ExchangeLog::~ExchangeLog()
{
    ExchangeLog *self = this;
    g_log.compare_exchange_strong(self, nullptr);
    {
        QMutexLocker lock(&mutex_);
        stopping_ = true;
        wake_.wakeAll();
    }
    writer_->wait();
}

void ExchangeLog::add(LogLineKind kind, const QByteArray &bytes)
{
    take(Entry{QDateTime::currentMSecsSinceEpoch(), kind, bytes, QString()});
}

void ExchangeLog::add(LogLineKind kind, const QString &text)
{
    take(Entry{QDateTime::currentMSecsSinceEpoch(), kind, QByteArray(), text});
}

void ExchangeLog::add(const ExchangeLine &line)
{
    take(line);
}

void ExchangeLog::take(Entry entry)
{
    const qint64 size = entry.bytes.size() + entry.text.size() * 2 + kEntryOverhead;
    QMutexLocker lock(&mutex_);
    ++taken_;
    if (pendingBytes_ + size > kMaxPendingBytes) {
        ++lost_;
        ++done_;
        return;
    }
    pendingBytes_ += size;
    pending_.push_back(std::move(entry));
    // Only the first line of a batch wakes the writer; the rest wait for the batch to close.
    if (pending_.size() == 1)
        wake_.wakeAll();
}

void ExchangeLog::flush()
{
    QMutexLocker lock(&mutex_);
    const qint64 target = taken_;
    flushWanted_ = true;
    wake_.wakeAll();
    while (done_ < target)
        written_.wait(&mutex_);
    flushWanted_ = false;
}

ExchangeLogError ExchangeLog::error() const
{
    QMutexLocker lock(&mutex_);
    return error_;
}

void ExchangeLog::writerLoop()
{
    QMutexLocker lock(&mutex_);
    for (;;) {
        while (pending_.empty() && lost_ == 0 && !stopping_)
            wake_.wait(&mutex_);
        if (!stopping_ && !flushWanted_)
            wake_.wait(&mutex_, kBatchMs);
        std::vector<Entry> batch;
        batch.swap(pending_);
        pendingBytes_ = 0;
        const qint64 lost = lost_;
        lost_ = 0;
        lock.unlock();
        writeBatch(batch, lost);
        lock.relock();
        done_ += qint64(batch.size());
        written_.wakeAll();
        if (stopping_ && pending_.empty() && lost_ == 0)
            return;
    }
}

QByteArray ExchangeLog::FormatLine(qint64 msSinceEpoch, LogLineKind kind, const QByteArray &bytes,
                                   const QString &text)
{
    QByteArray line = QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(kTimeFormat).toLatin1();
    line += ' ';
    line += Label(kind);
    line += ' ';
    switch (kind) {
    case LogLineKind::Sent:
    case LogLineKind::Received:
        line += HexBytes(bytes);
        break;
    case LogLineKind::ModemCommand:
    case LogLineKind::ModemAnswer:
        // Modem lines carry their CR and LF and may carry anything else: one log line each.
        line += EscapedLineText(bytes).toUtf8();
        break;
    case LogLineKind::Result:
    case LogLineKind::Note:
        line += text.toUtf8();
        break;
    }
    return line;
}

std::optional<ExchangeLine> ExchangeLog::ParseLine(QByteArrayView line)
{
    // A line break of another system; a text of the program never ends with a CR.
    while (line.endsWith('\r'))
        line.chop(1);
    if (line.size() < kTimeLength + 2 || line[kTimeLength] != ' ')
        return std::nullopt;
    const QDateTime time = ParseLocalTime(line.first(kTimeLength));
    if (!time.isValid())
        return std::nullopt;
    const QByteArrayView rest = line.sliced(kTimeLength + 1);
    const qsizetype blank = rest.indexOf(' ');
    if (blank < 0)
        return std::nullopt;
    const QByteArrayView label = rest.first(blank);
    const QByteArrayView payload = rest.sliced(blank + 1);
    ExchangeLine parsed;
    parsed.msSinceEpoch = time.toMSecsSinceEpoch();
    for (const LogLineKind kind : kAllKinds)
        if (label == Label(kind))
            parsed.kind = kind;
    if (label != Label(parsed.kind))
        return std::nullopt;
    bool ok = true;
    switch (parsed.kind) {
    case LogLineKind::Sent:
    case LogLineKind::Received: {
        const std::optional<QByteArray> bytes = ParseHexBytes(QString::fromLatin1(payload));
        ok = bytes.has_value();
        parsed.bytes = bytes.value_or(QByteArray());
        break;
    }
    case LogLineKind::ModemCommand:
    case LogLineKind::ModemAnswer:
        parsed.bytes = LineBytesFromEscaped(QString::fromUtf8(payload), &ok);
        break;
    case LogLineKind::Result:
    case LogLineKind::Note:
        parsed.text = QString::fromUtf8(payload);
        break;
    }
    if (!ok)
        return std::nullopt;
    return parsed;
}

// Lines are never split across files: a file is rotated before the line that would take it
// past the limit.
void ExchangeLog::writeBatch(const std::vector<Entry> &batch, qint64 lost)
{
    if (lost > 0)
        setError(ExchangeLogError::Overflow);
    if (!ensureOpen())
        return;
    QByteArray chunk;
    const auto put = [&](QByteArray line) {
        line += '\n';
        if (fileSize_ + chunk.size() + line.size() > RotateBytes && fileSize_ + chunk.size() > 0) {
            writeChunk(chunk);
            chunk.clear();
            rotate();
            if (!ensureOpen())
                return false;
        }
        chunk += line;
        return true;
    };
    if (lost > 0 && !put(FormatLine(QDateTime::currentMSecsSinceEpoch(), LogLineKind::Note, {},
                                    QStringLiteral("%1 lines lost").arg(lost))))
        return;
    for (const Entry &entry : batch)
        if (!put(FormatLine(entry.msSinceEpoch, entry.kind, entry.bytes, entry.text)))
            return;
    writeChunk(chunk);
}

bool ExchangeLog::ensureOpen()
{
    if (file_ && file_->isOpen())
        return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // A FIFO or a device in the log's place would hold the writer (and the program's close,
    // which waits for it) until something read it; only a file is appended to.
    if (CheckSaveTarget(path_) != FileFault::None) {
        setError(ExchangeLogError::CannotOpen);
        return false;
    }
    file_ = std::make_unique<QFile>(path_);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Append)) {
        setError(ExchangeLogError::CannotOpen);
        return false;
    }
    fileSize_ = file_->size();
    return true;
}

void ExchangeLog::writeChunk(const QByteArray &chunk)
{
    if (chunk.isEmpty() || !file_ || !file_->isOpen())
        return;
    if (file_->write(chunk) != chunk.size() || !file_->flush()) {
        setError(ExchangeLogError::WriteFailed);
        // Opened again with the next batch, in case the disk has room by then.
        file_->close();
        return;
    }
    fileSize_ += chunk.size();
    setError(ExchangeLogError::None);
}

void ExchangeLog::rotate()
{
    file_->close();
    QFile::remove(OlderFile(path_, KeptOlderFiles));
    for (int age = KeptOlderFiles - 1; age >= 1; --age)
        QFile::rename(OlderFile(path_, age), OlderFile(path_, age + 1));
    QFile::rename(path_, OlderFile(path_, 1));
    fileSize_ = 0;
}

void ExchangeLog::setError(ExchangeLogError error)
{
    QMutexLocker lock(&mutex_);
    if (error == error_)
        return;
    error_ = error;
    if (error != ExchangeLogError::None)
        qCWarning(lcExchangeLog).noquote() << ExchangeLogErrorText(error) << path_;
}

void SetExchangeLog(ExchangeLog *log)
{
    g_log.store(log);
}

ExchangeLog *CurrentExchangeLog()
{
    return g_log.load(std::memory_order_relaxed);
}

std::unique_ptr<ExchangeLog> StartExchangeLog(const QString &path)
{
    auto log = std::make_unique<ExchangeLog>(path);
    SetExchangeLog(log.get());
    return log;
}

} // namespace ktv31
