// The exit statuses of ktv31-cli, which scripts rely on.
#pragma once

namespace ktv31::cli {

namespace ExitStatus {
constexpr int Done = 0;
constexpr int NoAnswer = 1;       // the controller did not answer or refused, or the link failed
constexpr int BadUsage = 2;
constexpr int FileProblem = 3;    // unreadable, unwritable or not a configuration file
constexpr int DeviceRejected = 4; // the device check refused the controller
} // namespace ExitStatus

} // namespace ktv31::cli
