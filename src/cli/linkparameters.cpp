// The tool's link options and the texts that refuse a value.
#include "cli/linkparameters.h"

namespace ktv31::cli {

namespace LinkParameters {
const LinkParameter Port{"port", LinkLimits::Port};
const LinkParameter Speed{"speed", LinkLimits::Speed};
const LinkParameter Preambles{"preambles", LinkLimits::Preambles};
const LinkParameter Attempts{"attempts", LinkLimits::Attempts};
const LinkParameter FirstByteWait{"first-byte-wait", LinkLimits::FirstByteWait};
const LinkParameter NextByteWait{"next-byte-wait", LinkLimits::NextByteWait};
const LinkParameter RtsPause{"rts-pause", LinkLimits::RtsPause};
const LinkParameter ConnectWait{"connect-wait", LinkLimits::ConnectWait};
const LinkParameter ConnectAttempts{"connect-attempts", LinkLimits::ConnectAttempts};
const LinkParameter LinkType{"direct", LinkLimits::LinkType};
} // namespace LinkParameters

const LinkParameter *LinkParameterOf(const LinkLimit &limit)
{
    using namespace LinkParameters;
    for (const LinkParameter *parameter :
         {&LinkType, &Port, &Speed, &Attempts, &FirstByteWait, &NextByteWait, &Preambles, &RtsPause,
          &ConnectWait, &ConnectAttempts})
        if (&parameter->limit == &limit)
            return parameter;
    return nullptr;
}

QString OutOfRangeText(const LinkParameter &parameter)
{
    const QString name = QString::fromUtf8(parameter.limit.name);
    if (&parameter == &LinkParameters::Speed)
        return QStringLiteral("%1: такой скорости нет в таблице скоростей (300...230400 бит/с)")
            .arg(name);
    return QStringLiteral("%1: Параметр вне допустимого диапазона (%2...%3)")
        .arg(name)
        .arg(parameter.limit.low)
        .arg(parameter.limit.high);
}

} // namespace ktv31::cli
