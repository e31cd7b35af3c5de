// The steps of the livery matching and its bookkeeping, for the tests and
// the probe.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/aircraft_records.h"
#include "core/flight_key.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_tables.h"

namespace ovr
{

// Matches per step code 0..6, for the life of the process.
extern std::array<std::uint32_t, 7> g_matchSteps;
// Titles the simulator failed to create (own copies: they outlive any
// rebuild of the tables), and "<type> <airline>" of their aircraft.
extern HashedTexts g_failedTitles;
extern HashedTexts g_failedKeys;

// From the 20th distinct failed title on, every failure is error 81.
inline constexpr std::size_t kMostFailedTitles = 20;

bool gf_isFailedTitle(std::string_view title);
// Forgets what the matching derived from the tables; called when they are
// emptied.
void lf_clearMatchingCaches();

// The word of an operating airline's code looked for in titles, "not found"
// for a code without one.
std::string_view lf_operatorWord(std::string_view code);
// The registration up to and including its first '-'; its first character
// when it has none or begins with one.
std::string_view lf_registrationPrefix(std::string_view registration);
// Appends the candidates whose livery registration begins with the prefix
// (failed titles left out).
void lf_filterByRegPrefix(const TitleViews& candidates, std::string_view prefix, TitleViews& out);
// A uniformly random candidate that has not failed, avoiding bound titles
// while it can; true when a title was set.
bool lf_pickRandomTitle(AiAircraftRecord& record, const TitleViews& candidates);
// The steps; each sets the title and returns true when it found one.
bool lf_matchByRegistration(AiAircraftRecord& record);
bool lf_matchAirlineModel(AiAircraftRecord& record, const FlightKey& key);
bool lf_matchBySubstituteModel(AiAircraftRecord& record, const FlightKey& key);
bool lf_matchByModel(AiAircraftRecord& record, std::uint16_t model);
void lf_matchByCategory(AiAircraftRecord& record, bool cargo, int& step);

} // namespace ovr
