// The airport scan's report: every finding of the walks, the reader and the
// generation as one line, written to output/info/AirportsScanLog.txt at the
// end of the scan and, as a progress save, at a few points on the way (so the
// file tells how far a scan came that did not end). Touched only by the
// thread that runs the scan.
#pragma once

#include <string>
#include <vector>

namespace ovr
{

extern std::vector<std::string> g_scanMessages;

// Appends one line.
void gf_reportScan(std::string line);

// Writes the report as it stands to output/info/AirportsScanLog.txt (its
// folder made when missing). False, with a warning in the log, when the file
// cannot be written.
bool gf_saveScanReport();

} // namespace ovr
