// Writing lines to the terminal, and the frame trace.
#include "cli/console.h"

#include "protocol/framing.h"
#include "shell/hexbytes.h"
#include "shell/monoclock.h"

#include <cerrno>
#include <cstdio>

namespace ktv31::cli {
namespace {

// The first failure of standard output: data lost there must not end in a status of success.
int g_outputErrno = 0;

void NoteOutputFailure()
{
    if (!g_outputErrno)
        g_outputErrno = errno ? errno : EIO;
}

void Write(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (stream == stdout && written != size_t(bytes.size()))
        NoteOutputFailure();
}

void FlushOutput()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        NoteOutputFailure();
}

QString OutputErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("нет места на устройстве");
    case EPIPE:
        return QStringLiteral("читающая сторона закрыта");
    case EBADF:
        return QStringLiteral("стандартный вывод закрыт");
    default:
        return QStringLiteral("ошибка ввода-вывода (errno %1)").arg(error);
    }
}

// The trace counts from the first use, which is before the first frame.
qint64 StartNs()
{
    static const qint64 start = NowNs();
    return start;
}

} // namespace

void PrintOut(const QString &line)
{
    Write(stdout, line);
}

void PrintError(const QString &line)
{
    FlushOutput();
    Write(stderr, line);
    std::fflush(stderr);
}

bool FinishOutput()
{
    FlushOutput();
    if (!g_outputErrno)
        return true;
    Complain(
        QStringLiteral("стандартный вывод не записан: %1").arg(OutputErrorText(g_outputErrno)));
    return false;
}

void Complain(const QString &text)
{
    PrintError(QStringLiteral("ktv31-cli: ") + text);
}

QString TraceLine(double ms, LogLineKind kind, const QByteArray &bytes)
{
    return QStringLiteral("%1 ms %2 %3")
        .arg(ms, 10, 'f', 3)
        .arg(kind == LogLineKind::Sent ? QStringLiteral("TX") : QStringLiteral("RX"))
        .arg(QString::fromLatin1(HexBytes(bytes)));
}

std::unique_ptr<ExchangeLineWatch> StartTrace()
{
    StartNs();
    return std::make_unique<ExchangeLineWatch>([](const ExchangeLine &line) {
        if (line.kind == LogLineKind::Sent || line.kind == LogLineKind::Received)
            PrintError(TraceLine(double(NowNs() - StartNs()) / 1e6, line.kind, line.bytes));
    });
}

} // namespace ktv31::cli
