// The livery matching as the lifecycle drives it: its summary and the
// aircraft left without a match. The tables it reads: livery_tables.h.
#pragma once

namespace ovr
{

// The summary of the livery matching, to the log.
void gf_showLiveryMatchingSummary();
// "No match found for:" and every aircraft key without a livery match.
void gf_logNoMatches();
// Empties the set of aircraft keys without a match.
void lf_clearNoMatchSet();

} // namespace ovr
