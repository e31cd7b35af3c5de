// The livery matching as the lifecycle drives it: the tables built from the
// scanned liveries, their summary and the aircraft left without a match.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

// The scanned liveries have been made into tables in this process; a switch
// of the simulator clears it so that the next start-up builds them again.
extern std::atomic<std::uint8_t> g_scannedLiveriesProcessed;

// Liveries in the tables (shown in the status panel; "..." while 0).
extern std::atomic<std::uint64_t> g_liveriesCount;

// Builds the livery tables from the scanned-liveries file, once per run.
void gf_processScannedLiveries();
// Empties every livery-matching table.
void gf_clearLiveryMatching();
// The summary of the livery matching, to the log.
void gf_showLiveryMatchingSummary();
// "No match found for:" and every aircraft key without a livery match.
void gf_logNoMatches();
// Empties the set of aircraft keys without a match.
void lf_clearNoMatchSet();
// Room for the titles bound to registrations and the category fallbacks.
void gf_reserveMatchingContainers();

} // namespace ovr
