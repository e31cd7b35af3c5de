// A three-part version number, read either from "major.minor.patch" text or
// from a JSON object with the members "major", "minor" and "patch".
#pragma once

#include <compare>
#include <cstdint>
#include <string_view>

namespace ovr
{

struct VersionData
{
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t patch = 0;

    VersionData() = default;
    // Never throws: a text that cannot be read is logged and gives 0.0.0.
    explicit VersionData(std::string_view text);

    friend auto operator<=>(const VersionData&, const VersionData&) = default;
};

} // namespace ovr
