// The exit statuses of ktv31-cli, which scripts rely on.
#pragma once

#include "shell/interruptwatcher.h"

namespace ktv31::cli {

namespace ExitStatus {
constexpr int Done = 0;
constexpr int NoAnswer = 1; // the controller did not answer or refused, or the link failed
constexpr int BadUsage = 2;
constexpr int FileProblem = 3;    // unreadable, unwritable or not a configuration file; a
                                  // damaged settings file; standard output not written
constexpr int DeviceRejected = 4; // the device check refused the controller
// Ended by a signal, after hanging up and closing the line: 128 + the signal's number, as a
// shell reports a process the signal killed.
constexpr int Interrupted = ExitStatusOf(InterruptKind::Interrupt); // 130, SIGINT
constexpr int Terminated = ExitStatusOf(InterruptKind::Terminate);  // 143, SIGTERM
constexpr int HungUp = ExitStatusOf(InterruptKind::HangUp);         // 129, SIGHUP
} // namespace ExitStatus

} // namespace ktv31::cli
