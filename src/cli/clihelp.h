// The help texts of ktv31-cli: the whole tool, and one command.
#pragma once

#include "cli/cliargs.h"

#include <QString>

namespace ktv31::cli {

QString GeneralHelp();
QString CommandHelp(Command command);
QString UsageHint(); // the line that follows a usage error

} // namespace ktv31::cli
