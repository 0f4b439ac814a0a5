// What the commands print on standard output: text for people, --json for scripts.
#pragma once

#include "cli/configdiff.h"
#include "cli/configview.h"
#include "config/tablestate.h"

namespace ktv31::cli {

void PrintIdentification(const ConfigView &view, bool json);
void PrintConfiguration(const ConfigView &view, bool json);
void PrintDifferences(const QList<Difference> &differences, bool json);
void PrintTableState(const TableStateBuffer &state, bool json);
// `speed` 0: no speed answered.
void PrintDetectedSpeed(int speed, bool json);

// The identification as the view shows it: the nine lines of a block read from a controller,
// or only the lines a reduced view keeps.
QStringList IdentificationLines(const ConfigView &view);

} // namespace ktv31::cli
