// Standard output for data, standard error for messages and traces, both UTF-8.
#pragma once

#include "shell/exchangefeed.h"

#include <QString>

#include <memory>

namespace ktv31::cli {

void PrintOut(const QString &line);   // one line on standard output
void PrintError(const QString &line); // one line on standard error, flushed at once
// The tool's own complaints: "ktv31-cli: <text>".
void Complain(const QString &text);
// Flushes standard output; false, after saying why on standard error, when anything written
// there since the start was lost (a full disk, a closed pipe).
bool FinishOutput();

// Every frame on standard error while the watch lives: milliseconds since the tool started,
// direction, hex bytes.
std::unique_ptr<ExchangeLineWatch> StartTrace();
QString TraceLine(double ms, LogLineKind kind, const QByteArray &bytes);

} // namespace ktv31::cli
