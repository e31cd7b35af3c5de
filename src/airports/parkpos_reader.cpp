#include "airports/parkpos_reader.h"

#include <unordered_set>
#include <vector>

#include <fmt/format.h>

#include "airports/apf_format.h"
#include "airports/half_hours.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/user_error.h"

namespace ovr
{

namespace
{

constexpr std::int32_t kErrorMissingId = 93;
constexpr std::int32_t kErrorDuplicateId = 94;
constexpr std::size_t kExpectedStands = 512;

// One opt as an option, or none when it has no half hours or no weekday.
std::optional<StandOption> lf_readOption(pugi::xml_node opt, std::uint32_t fromFile)
{
    const HalfHourSet hours = gf_hours2bitset(opt.attribute("hh").value());
    const int day = opt.attribute("day").as_int(0);
    if (hours == 0 || day < 1 || day > 7)
        return std::nullopt;
    return gf_optionOf(opt, hours, fromFile);
}

} // namespace

bool lf_readParkpos(const std::string& name, pugi::xml_node parkpos, std::uint32_t fromFile,
                    StandList& stands)
{
    const double latitude = parkpos.attribute("latitude").as_double(0.0);
    const double longitude = parkpos.attribute("longitude").as_double(0.0);
    if (latitude == 0.0 && longitude == 0.0)
    {
        gf_logWarning(fmt::format("stand {} has no valid lat/lon", name));
        return false;
    }
    const double radiusMetres = parkpos.attribute("radius").as_double(0.0);
    if (!gf_standGeometryValid(latitude, longitude, radiusMetres))
    {
        gf_logWarning(fmt::format("stand {} has an invalid position or radius, dropped", name));
        return false;
    }
    const std::uint16_t type = gf_standTypeOf(parkpos);
    StandKind kind = gf_standKindOf(type, parkpos);
    const bool cargoChanged = parkpos.attribute("cargo_change").as_bool(false);
    // A cargo flag changed by hand holds against the parking type.
    if (cargoChanged)
        kind.cargo = parkpos.attribute("cargo").as_bool(false);

    std::vector<StandOption> options;
    const auto opts = parkpos.children("opt");
    options.reserve(static_cast<std::size_t>(std::distance(opts.begin(), opts.end())));
    for (const pugi::xml_node opt : opts)
    {
        if (std::optional<StandOption> option = lf_readOption(opt, fromFile))
        {
            option->id = static_cast<std::uint32_t>(options.size() + 1);
            options.push_back(std::move(*option));
        }
    }
    options.shrink_to_fit();

    Stand stand = gf_makeStand(name, std::move(options), latitude, longitude,
                               parkpos.attribute("heading").as_double(0.0) * kDegToRad,
                               radiusMetres, type, kind.cargo, kind.ramp,
                               parkpos.attribute("heli").as_bool(false));
    // A handmade learned file carries its stands whole, with what was made
    // or changed by hand; reading it back keeps that.
    stand.manual = parkpos.attribute("manual").as_bool(false) ? 1 : 0;
    stand.radiusChanged = parkpos.attribute("radius_change").as_bool(false) ? 1 : 0;
    stand.cargoChanged = cargoChanged ? 1 : 0;
    stands.push_back(std::move(stand));
    return true;
}

void gf_readParkpositions(const pugi::xml_document& document, StandList& stands, std::uint32_t fromFile)
{
    const pugi::xml_node parkpositions = gf_parkpositionsOf(document);
    if (!parkpositions)
        return;
    std::unordered_set<std::string> seen;
    seen.reserve(kExpectedStands);
    std::int32_t ordinal = 0;
    for (const pugi::xml_node parkpos : parkpositions.children("parkpos"))
    {
        ++ordinal;
        if (!parkpos.attribute("id"))
            throw UserErrorException(kErrorMissingId,
                                     gf_standMessage("Parking position #{} has no '{}' attribute.", ordinal));
        std::string name = gf_standIdOf(parkpos);
        if (name.empty())
            throw UserErrorException(kErrorMissingId,
                                     gf_standMessage("Stand #{} has empty '{}' attribute.", ordinal));
        if (!seen.insert(name).second)
            throw UserErrorException(kErrorDuplicateId,
                                     fmt::format("Stand '{}' appears more than once.", name));
        lf_readParkpos(name, parkpos, fromFile, stands);
    }
}

} // namespace ovr
