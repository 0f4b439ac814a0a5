// The command line as the system handed it over, before its arguments became QStrings.
#pragma once

#include <QByteArray>
#include <QString>

namespace ktv31::cli {

// The index of the first argument (after the program's name) that would not come back from its
// QString byte for byte: a name not valid in the locale's encoding, which the file system would
// take for another file. -1 when there is none.
int FirstUnfaithfulArgument(int argc, char *argv[]);

// `bytes` with every byte outside printable ASCII as \xHH, so that the name can be shown.
QString EscapedBytes(const QByteArray &bytes);

} // namespace ktv31::cli
