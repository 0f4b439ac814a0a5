// Names and ranges of the link parameters, and the texts that refuse a value.
#include "cli/linkparameters.h"

#include "protocol/suplfunc.h"

namespace ktv31::cli {

namespace LinkParameters {
const LinkParameter Port{"port", "Порт подключения", 1, 16};
const LinkParameter Speed{"speed", "Скорость обмена", 0, 0};
const LinkParameter Preambles{"preambles", "Количество преамбул в запросе", 0, 255};
const LinkParameter Attempts{"attempts", "Количество попыток обмена", 1, 5};
const LinkParameter FirstByteWait{"first-byte-wait", "Время ожидания первого байта ответа", 1,
                                  120};
const LinkParameter NextByteWait{"next-byte-wait", "Время ожидания следующих байтов ответа", 55,
                                 5000};
const LinkParameter RtsPause{"rts-pause", "Пауза после установки RTS", 2, 1000};
const LinkParameter ConnectWait{"connect-wait", "Ожидание соединения", 1, 360};
const LinkParameter ConnectAttempts{"connect-attempts", "Кол. попыток соединения", 1, 10};
const LinkParameter LinkType{"direct", "Тип связи", 0, 1};
} // namespace LinkParameters

bool InRange(const LinkParameter &parameter, qint64 value)
{
    if (&parameter == &LinkParameters::Speed)
        return value >= 0 && value <= 0x7FFFFFFF && SpeedToCode(int(value)) >= 0;
    return value >= parameter.low && value <= parameter.high;
}

QString OutOfRangeText(const LinkParameter &parameter)
{
    const QString name = QString::fromUtf8(parameter.name);
    if (&parameter == &LinkParameters::Speed)
        return QStringLiteral("%1: not a speed of the speed table (300...230400 bit/s)").arg(name);
    return QStringLiteral("%1: Параметр вне допустимого диапазона (%2...%3)")
        .arg(name)
        .arg(parameter.low)
        .arg(parameter.high);
}

} // namespace ktv31::cli
