// The link options of the tool, each tied to the connection parameter it sets.
#pragma once

#include "connection/linkparameters.h"

#include <QString>

namespace ktv31::cli {

struct LinkParameter
{
    const char *option; // without the leading "--"
    const LinkLimit &limit;
};

namespace LinkParameters {
extern const LinkParameter Port;
extern const LinkParameter Speed;
extern const LinkParameter Preambles;
extern const LinkParameter Attempts;
extern const LinkParameter FirstByteWait;
extern const LinkParameter NextByteWait;
extern const LinkParameter RtsPause;
extern const LinkParameter ConnectWait;
extern const LinkParameter ConnectAttempts;
extern const LinkParameter LinkType;
} // namespace LinkParameters

constexpr int MaxPhoneLength = LinkTextLength::PhoneNumber;
constexpr int MaxModemInitLength = LinkTextLength::ModemCommand;

inline bool InRange(const LinkParameter &parameter, qint64 value)
{
    return ktv31::InRange(parameter.limit, value);
}
// The option that sets the parameter `limit` stands for, or null for one without a number option
// (the telephone number and the modem command are texts).
const LinkParameter *LinkParameterOf(const LinkLimit &limit);

// "<name>: Параметр вне допустимого диапазона (low...high)"; for the speed, why it is refused.
QString OutOfRangeText(const LinkParameter &parameter);

} // namespace ktv31::cli
