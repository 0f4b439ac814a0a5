// The commands of ktv31-cli; each returns its exit status.
#pragma once

#include "cli/cliargs.h"

namespace ktv31::cli {

// show, diff, new: configuration files without a controller.
int RunFileCommand(const CliOptions &options);
// fields, get, set: named fields of configuration files.
int RunFieldCommand(const CliOptions &options);
// decode, decode-log: frames and exchange logs, without a link.
int RunDecodeCommand(const CliOptions &options);
// identify, detect-speed, read-config, write-config, table-state: over a link.
int RunControllerCommand(const CliOptions &options);
// stations backup|apply|history: rounds over a station book.
int RunStationsCommand(const CliOptions &options);
// station-visit BOOK NAME PORT: one station on one line, for a round's worker process.
int RunStationVisit(const CliOptions &options);

} // namespace ktv31::cli
