// Writing airport parking files from an AirportStands record, in two modes:
// full (the airport scan's airport files: every stand with its position, no
// options) and learned (the park airport's learned file: what was learned
// or made by hand, with the options, and the per-airport settings). A
// handmade airport's learned file is its whole airport file: every stand is
// written with its position, its changes and its options.
#pragma once

#include <cstdint>
#include <filesystem>

#include <pugixml.hpp>

#include "airports/stand.h"

namespace ovr
{

inline constexpr std::int32_t kApfLearnedMode = 0;
inline constexpr std::int32_t kApfFullMode = 1;

// Writes the file (its folder made when missing) and returns whether it was
// saved. The simulator number goes into the meta block.
bool gf_writeAirportFile(const AirportStands& record, const std::filesystem::path& path, std::int32_t mode,
                         bool handmade, std::int32_t simNumber);

// Appends the parameters block; false when it cannot be appended.
bool lf_writeApfParameters(pugi::xml_node root, const AirportStands& record, std::int32_t mode,
                           bool handmade);

} // namespace ovr
