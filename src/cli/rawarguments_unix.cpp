// Unix hands the arguments over as bytes; QCoreApplication decodes them from the locale's
// encoding, turning any invalid sequence into U+FFFD.
#include "cli/rawarguments.h"

#include <QFile>

namespace ktv31::cli {

int FirstUnfaithfulArgument(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray typed(argv[i]);
        if (QFile::encodeName(QString::fromLocal8Bit(typed)) != typed)
            return i;
    }
    return -1;
}

} // namespace ktv31::cli
