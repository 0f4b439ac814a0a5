// Terminal check on Unix.
#include "cli/terminal.h"

#include <unistd.h>

namespace ktv31::cli {

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace ktv31::cli
