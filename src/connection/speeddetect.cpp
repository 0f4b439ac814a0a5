// Speed detection: one identification probe per speed of the controller's speed table.
#include "connection/speeddetect.h"

#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "protocol/framing.h"
#include "shell/monoclock.h"
#include "shell/operation.h"

namespace ktv31 {
namespace {
// Read table 0 from field 0, 17 fields: the identification block.
constexpr quint8 kProbe[6] = {0, 0, 17, 0, 0, 0};
} // namespace

int DetectSpeed(ExchangeSession &session, const StatusPanel &panel)
{
    OperationScope operation;
    session.NextByteWaitMs = ProbeNextByteWaitMs;
    session.FirstByteWaitMs = ProbeFirstByteWaitMs;
    session.Attempts = 1;
    for (int code = 1; code < SpeedCodeCount; ++code) {
        const int speed = CodeToSpeed(code);
        panel.setText(QStringLiteral("Скорость обмена:  %1").arg(speed));
        PumpEvents();
        session.Speed = speed;
        if (Exchange(session, TableFunctionCode, kProbe, int(sizeof kProbe), 0))
            return speed; // the speed stays on the panel until the caller has told the answer
        if (session.ResultCode == Result::Aborted)
            break;
    }
    panel.setText(QString());
    return 0;
}

QString SpeedFoundLine1()
{
    return QStringLiteral("Получен ответ на запрос");
}
QString SpeedFoundLine2(int speed)
{
    return QStringLiteral("при скорости обмена - %1 бит/с").arg(speed);
}
QString NoLinkText()
{
    return QStringLiteral("Связь не установлена");
}

} // namespace ktv31
