// Writing lines to the terminal, and the frame trace.
#include "cli/console.h"

#include "protocol/framing.h"
#include "shell/monoclock.h"

#include <cstdio>

namespace ktv31::cli {
namespace {

void Write(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The trace counts from the first use, which is before the first frame.
qint64 StartNs()
{
    static const qint64 start = NowNs();
    return start;
}

} // namespace

void PrintOut(const QString &line) { Write(stdout, line); }

void PrintError(const QString &line)
{
    std::fflush(stdout);
    Write(stderr, line);
    std::fflush(stderr);
}

void Complain(const QString &text) { PrintError(QStringLiteral("ktv31-cli: ") + text); }

QString TraceLine(double ms, FrameDirection direction, const QByteArray &bytes)
{
    return QStringLiteral("%1 ms %2 %3")
        .arg(ms, 10, 'f', 3)
        .arg(direction == FrameDirection::Sent ? QStringLiteral("TX") : QStringLiteral("RX"))
        .arg(QString::fromLatin1(HexBytes(bytes)));
}

FrameTap TraceTap()
{
    StartNs();
    return [](FrameDirection direction, const QByteArray &bytes) {
        PrintError(TraceLine(double(NowNs() - StartNs()) / 1e6, direction, bytes));
    };
}

} // namespace ktv31::cli
