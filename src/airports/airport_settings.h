// The nine per-airport settings: what a learned file may set for its airport
// (RANGE, AUTO_RANGE, WEEK, PARK_SOFT, parking_percentage, INITIAL_LOAD_ONLY,
// MAX_FIT, RT_PARKTRAFFIC_ONLY, MAX_LIVE_SEL). Their values from before the
// park airport's file was read are kept, and put back (and saved) when the
// park airport is left. While the airport is the park airport they change in
// memory only.
#pragma once

#include <cstdint>

#include <pugixml.hpp>

#include "airports/quality_factors.h"
#include "core/fixed_code.h"

namespace ovr
{

struct SavedApfParameters
{
    std::int32_t maxLiveSel = 0;
    std::int32_t maxFit = 0;
    float maxFitHours = 0.0f; // MAX_FIT_FL, which the airport defaults set alone
    std::int32_t range = 0;
    std::int32_t parkingPercentage = 0;
    bool autoRange = false;
    bool initialLoadOnly = false;
    bool rtParktrafficOnly = false;
    bool parkSoft = false;
    bool week = false;
    // Set once values were kept: before, there is nothing to put back.
    bool kept = false;
};

extern SavedApfParameters g_savedApfParameters;

// Keeps the nine current values.
void gf_saveApfParameters();

// Puts back, shows and saves each kept value that differs from the current
// one (MAX_FIT_FL too, which is shown but not stored); nothing when no values
// were kept yet. Afterwards nothing is kept: a later restore without a new
// read puts nothing back.
void gf_restoreAirportSettings();

// For an airport without a learned file: an airport known only from soft
// options parks soft over the week with the widest fit, a well covered one
// parks real sightings of the day; the parking percentage follows the
// airport list's number of stands (1: 100, 2: 50, else 30).
void gf_applyAirportDefaults(CoveragePair coverage, const IcaoCode& icao);

// The settings a learned file carries, each only when present (a missing
// parking_percentage sets 30), logged and shown.
void gf_applyLearnedSettings(pugi::xml_node document);

} // namespace ovr
