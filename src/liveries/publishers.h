// Scenery publishers: recognising the publisher of an add-on package from a
// text (package title, creator, path) and whether a publisher ships an
// airport.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ovr
{

// Whether the text contains the needle, ignoring the case of ASCII letters;
// true for an empty needle.
bool lf_matchesNoCase(std::string_view text, std::string_view needle);
bool lf_matchesNoCase(const std::filesystem::path& path, std::string_view needle);

// The name of the first publisher group (in the database's order) any of
// whose names occurs in the text, ignoring ASCII case; no value for the empty
// text or when none occurs.
std::optional<std::string> gf_findPublisher(std::string_view text);

// Whether the publisher's airport list for the simulator (true: MSFS 2020,
// false: MSFS 2024) holds the airport; publisher and code compare exactly.
bool gf_isThirdParty(bool sim2020, std::string_view publisher, std::string_view icao);

} // namespace ovr
