// Windows hands the arguments over as UTF-16, which Qt takes unchanged and the file system gets
// back the same way; the narrow argv is a lossy copy not worth comparing with.
#include "cli/rawarguments.h"

namespace ktv31::cli {

int FirstUnfaithfulArgument(int, char *[])
{
    return -1;
}

} // namespace ktv31::cli
