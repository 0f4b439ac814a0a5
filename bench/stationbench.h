// Station rounds: a 24-station round over 1, 2 and 4 simulated modem lines, and a large book.
#pragma once

namespace ktv31::bench {

class Report;

void ReportStationBook(Report &report);
void ReportStationRounds(Report &report);

} // namespace ktv31::bench
