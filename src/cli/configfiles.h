// Reading and writing configuration files for the commands, with the program's messages.
#pragma once

#include "config/configimage.h"

#include <QString>

namespace ktv31::cli {

// 0, or ExitStatus::FileProblem after printing why.
int ReadRecordFile(const QString &path, ConfigRecord &record);
int WriteRecordFile(const QString &path, const ConfigRecord &record);
// Whether a file could be written at `path` at all, asked before a long read from a controller.
int CheckWritableTarget(const QString &path);

} // namespace ktv31::cli
