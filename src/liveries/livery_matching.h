// The livery of every aircraft the program puts into the simulator: the
// choice of a title from the livery tables (livery_tables.h), the titles the
// simulator failed to create, the livery remembered per live aircraft, and
// the diagnostics of the matching in the log. Main-loop thread only (the
// start-up thread before it becomes the main loop); no lock of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/aircraft_records.h"
#include "core/fnv1a.h"
#include "liveries/id_hash.h"

namespace ovr
{

using HashedTexts = std::unordered_set<std::string, Fnv1aHash, std::equal_to<>>;

// Model key texts (gf_modelKeyText) of the aircraft for which no livery was
// found; the traffic adds to it, the window's rematch request empties it.
extern HashedTexts g_noMatch;
// A live aircraft's key -> the title chosen for it, kept across its
// respawns. The titles are views of the title store, which outlives every
// rebuild of the tables.
extern std::unordered_map<std::uint32_t, std::string_view, AcKeyHash> g_rememberedLiveries;

// A live aircraft at its spawn: on return its title is set, or empty when no
// livery fits (the caller handles that). Counts the step and sets the
// reverse-thrust mark from the title.
void gf_matchLivery4SpawnedAc(AiAircraftRecord& record);
// An aircraft placed on a stand (its name for the log, its cargo flag): true
// when a title is set. A title already set is kept. Neither counts steps nor
// touches the reverse-thrust mark.
bool gf_matchLivery(AiAircraftRecord& record, std::string_view standName, bool cargoStand);

// The livery remembered for a key, unless its title has failed since (then
// the memory is dropped and the aircraft is matched afresh).
std::optional<std::string_view> gf_isFailedLivery(std::uint32_t key);
void gf_rememberLivery(std::uint32_t key, std::string_view title);
void gf_forgetLivery(std::uint32_t key);
// Once a day, at closing down and in the traffic reset before a restart.
void gf_forgetRememberedLiveries();
// The simulator refused to create the record's object: its title is never
// given again in this process. Throws UserErrorException 81 once 20 distinct
// titles have failed.
void gf_liveryNotCreated(const AiAircraftRecord& record);

// The summary of the livery matching, to the log (once a day, closing down).
void gf_showLiveryMatchingSummary();
// "No match found for:" and every aircraft key without a livery match.
void gf_logNoMatches();
// Empties the set of aircraft keys without a match.
void lf_clearNoMatchSet();

} // namespace ovr
