// One livery of an AI-traffic package as the liveries scan finds it and as
// output/LiveriesScanned.xml stores it, and the list of them that the start-up
// turns into the livery tables.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/flight_key.h"

namespace ovr
{

struct LiveryData
{
    std::string title;        // the title under which the simulator creates it
    std::string registration; // its ATC id; may be empty
    FlightKey key;            // airline, operating airline (0 = none), type, cargo, flag byte
    std::int16_t folder = 0;  // 1-based number of the scanned folder; lower is preferred
};

// The scanned liveries: filled by the liveries scan or by the reader of the
// scanned-liveries file, emptied again once the tables are built. Start-up
// thread only.
extern std::vector<LiveryData> g_liveries;

// The number of liveries shown on the status panel: written by the start-up
// (the tables' build and the liveries scan), read by the painter.
extern std::atomic<std::int64_t> g_liveriesCount;

// The order of the scanned liveries: airline code, operating-airline code,
// type code (each byte-wise through its code pool, a prefix first), then the
// title. Cargo flag and registration take no part.
bool lf_liveryLess(const LiveryData& x, const LiveryData& y);

// A livery without airline or without type cannot be matched.
bool lf_liveryIncomplete(const LiveryData& livery);

} // namespace ovr
