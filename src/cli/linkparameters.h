// The link parameters the tool accepts, with the names and ranges of the connection dialog.
#pragma once

#include <QString>

namespace ktv31::cli {

struct LinkParameter
{
    const char *option; // without the leading "--"
    const char *name;   // as the connection dialog names it
    int low;
    int high;
};

namespace LinkParameters {
extern const LinkParameter Port;
extern const LinkParameter Speed; // low/high unused: a speed must be one of the speed table
extern const LinkParameter Preambles;
extern const LinkParameter Attempts;
extern const LinkParameter FirstByteWait;
extern const LinkParameter NextByteWait;
extern const LinkParameter RtsPause;
extern const LinkParameter ConnectWait;
extern const LinkParameter ConnectAttempts;
extern const LinkParameter LinkType;
} // namespace LinkParameters

constexpr int MaxPhoneLength = 34;
constexpr int MaxModemInitLength = 199; // the settings field keeps its terminator

bool InRange(const LinkParameter &parameter, qint64 value);
// "<name>: Параметр вне допустимого диапазона (low...high)"; for the speed, why it is refused.
QString OutOfRangeText(const LinkParameter &parameter);

} // namespace ktv31::cli
