// Reading the park airport's parking file into the stand list: the file is
// found by its name (apf_locate.h), downloaded when it is an archive
// file, checked, read, merged with its learned file, numbered and linked,
// and its figures are logged and shown. Main loop only.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "airports/quality_factors.h"
#include "airports/stand_list.h"

namespace ovr
{

// What the reader tells its caller of the file.
struct ApfHeader
{
    std::string airportName;
    std::string publisher;
    std::int32_t altitude = 0; // feet
    // The park airport's altitude in feet once the read went through (also
    // when it found no stands): the caller makes it the Traffic Reader's
    // parkElevation. None after an earlier failure.
    std::optional<double> parkElevation;
};

// The park airport's file is handmade (its learned file says so); such an
// airport's learned file holds all its stands and is written in full.
extern bool g_handmade;
// "RT_traffic_week" of the file; 0 when absent.
extern std::int32_t g_apfWeek;
// The park airport's coverage: from "Qf_real" and "Qf_soft", recomputed
// after a learned file was merged; (-1, -1) when nothing is known.
extern CoveragePair g_coverage;
// The learned file of the park airport's file; empty when it has none. The
// saver of the learned file writes here.
extern std::filesystem::path g_learnedApfPath;
// Set at the end of every read that went through (its settings may override
// the user's); the parking logic clears it when it leaves the park airport.
// Atomic like the parking-busy flag it goes with, so any thread may look.
extern std::atomic<std::uint8_t> g_learnedOverride;

// Reads the airport file `name` (an archive name or a local name) into the
// stand list, which is expected empty. The empty text on success, else the
// message to show. A UserErrorException (65 no altitude, 93 and 94 bad
// stand ids) passes on; other failures come back as "gf_readApf: <text>".
std::string gf_readApf(std::string_view name, ApfHeader& header, CoveragePair& coverage, StandList& stands);

} // namespace ovr
