// Small, hot lookups over the model database: the category of a type, its
// clearance radius, and whether a type or airline code is known. Valid once
// the database has been read; safe from any thread afterwards.
#pragma once

#include <cstdint>
#include <string_view>

#include "liveries/model_fixes.h"

namespace ovr
{

// Aircraft categories, from the class sets of the model database.
enum AircraftCategory : int
{
    kCategoryLight = 0,
    kCategoryBuzjet = 1,
    kCategoryLarge = 2,
    kCategoryHeavy = 3,
    kCategoryHighPerformance = 4,
    kCategoryRotorcraft = 5,
};

// The name of a category in log lines: "Light", "Buzjets", "Large", "Heavy",
// "HighPerf", "Rotorcraft"; the empty text outside 0..5.
std::string_view gf_categoryName(int category);

// The category 0..5 of a model id; 0 (light) for a type in no class set.
int gf_categoryOfModel(std::uint16_t model);
// The category of a type designator, interning the text when it is new.
int gf_categoryOfModelName(std::string_view model);

// Exact, case-sensitive membership; never true for the empty text.
bool gf_isKnownModel(std::string_view model);
bool gf_isKnownAirline(std::string_view airline);

// Half the wingspan in nautical miles; 0.0 for a type without a wingspan, so
// the caller falls back to g_maxWingSpan.
double gf_wingspanOf(std::uint16_t model);

} // namespace ovr
