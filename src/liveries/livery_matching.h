// The livery matching as the lifecycle and the traffic drive it: the choice
// of a title for an aircraft, the titles the simulator failed to create, the
// livery remembered per aircraft, the summary and the aircraft left without
// a match. The tables it reads: livery_tables.h.
//
// Until the matching ladder over the livery tables exists, the choice is a
// stand-in: every aircraft gets the title "<type> <airline>" (cargo flights
// "<type> <airline> cargo"), so that traffic reaches the simulator with a
// stable, recognisable title; a title that failed is never given again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/aircraft_records.h"

namespace ovr
{

// Model key texts of the aircraft for which no livery was found (main loop).
extern std::unordered_set<std::string> g_noMatch;

// The summary of the livery matching, to the log.
void gf_showLiveryMatchingSummary();
// "No match found for:" and every aircraft key without a livery match.
void gf_logNoMatches();
// Empties the set of aircraft keys without a match.
void lf_clearNoMatchSet();

// A live aircraft at its spawn: on return its title is set, or empty when no
// livery fits. Sets the reverse-thrust mark from the title.
void gf_matchLivery4SpawnedAc(AiAircraftRecord& record);
// An aircraft placed on a stand of the park airport; true when a title is
// set.
bool gf_matchLivery(AiAircraftRecord& record, std::string_view standName, bool cargoStand);

// The livery remembered for a key, unless its title has failed since (then
// the memory is dropped).
std::optional<std::string_view> gf_isFailedLivery(std::uint32_t key);
void gf_rememberLivery(std::uint32_t key, std::string_view title);
void gf_forgetLivery(std::uint32_t key);
void gf_forgetRememberedLiveries();
// The simulator refused to create the record's object: its title is never
// given again; the 20th failed title throws UserErrorException 81.
void gf_liveryNotCreated(const AiAircraftRecord& record);

} // namespace ovr
