// Terminal check on Windows.
#include "cli/terminal.h"

#include <cstdio>
#include <io.h>

namespace ktv31::cli {

bool StandardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace ktv31::cli
