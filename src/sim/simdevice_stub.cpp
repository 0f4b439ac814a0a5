// The simulator's line on systems without pseudo-terminals: it reports that it cannot open.
#include <QtGlobal>

#if !defined(Q_OS_UNIX)
#include "sim/simdevice.h"

namespace ktv31::sim {
namespace {
bool unsupported(QString *error)
{
    if (error)
        *error = QStringLiteral("the simulator's line needs a POSIX system (pseudo-terminals)");
    return false;
}
} // namespace

bool OpenPtyLine(LineHandle &, QString *error)
{
    return unsupported(error);
}
bool OpenSerialLine(const QString &, int, LineHandle &, QString *error)
{
    return unsupported(error);
}
void CloseLine(LineHandle &line)
{
    line = LineHandle{};
}
QByteArray ReadLineBytes(const LineHandle &, bool &failed)
{
    failed = true;
    return {};
}
qint64 WriteLineBytes(const LineHandle &, const QByteArray &)
{
    return -1;
}
int LineSpeedOf(int)
{
    return 0;
}
bool SetLineSpeedOf(int, int)
{
    return false;
}

} // namespace ktv31::sim
#endif
