#include "airports/apf_format.h"

#include <cmath>
#include <exception>

#include <gsl/gsl>

#include "core/code_pool.h"
#include "core/text.h"
#include "liveries/registration_lookup.h"

namespace ovr
{

namespace
{

constexpr std::uint16_t kCargoRamp = 5;
constexpr std::uint16_t kMilitaryCargoRamp = 6;
constexpr std::uint16_t kGaRampExtra = 14;

bool lf_isGaRamp(std::uint16_t type)
{
    return (type >= 1 && type <= 4) || type == kGaRampExtra;
}

} // namespace

pugi::xml_node gf_parkpositionsOf(const pugi::xml_document& document)
{
    const pugi::xml_node root = document.child("root");
    return (root ? root : static_cast<pugi::xml_node>(document)).child("parkpositions");
}

std::string gf_standIdOf(pugi::xml_node parkpos)
{
    return gf_trim(parkpos.attribute("id").value());
}

std::uint16_t gf_standTypeOf(pugi::xml_node parkpos)
{
    const unsigned type = parkpos.attribute("type").as_uint(0);
    return type > 0xFFFFu ? std::uint16_t{0} : static_cast<std::uint16_t>(type);
}

StandKind gf_standKindOf(std::uint16_t type, pugi::xml_node parkpos)
{
    if (type == 0)
        return {parkpos.attribute("cargo").as_bool(false), parkpos.attribute("ramp").as_bool(false)};
    return {type == kCargoRamp || type == kMilitaryCargoRamp, lf_isGaRamp(type)};
}

FlightKey gf_keyFromAirlType(pugi::xml_node opt)
{
    FlightKey key;
    key.airline = gf_airlineId(opt.attribute("airl").value());
    key.model = gf_modelId(opt.attribute("type").value());
    return key;
}

OptionIdentity lf_readOptionIdentity(pugi::xml_node opt)
{
    OptionIdentity identity;
    try
    {
        const std::string_view cs = opt.attribute("cs").value();
        const std::size_t colon = cs.find(':');
        identity.callsign = std::string(cs.substr(0, colon));
        if (colon != std::string_view::npos)
            identity.callsign2 = std::string(cs.substr(colon + 1));

        const std::optional<FlightKey> known = gf_findRegistrationKey(opt.attribute("reg").value());
        identity.key = known ? *known : gf_keyFromAirlType(opt);
    }
    catch (const std::exception&)
    {
        // An option is worth more with the parts that could be read than not
        // at all; its key then stays empty.
    }
    return identity;
}

StandOption gf_optionOf(pugi::xml_node opt, HalfHourSet hours, std::uint32_t fromFile)
{
    OptionIdentity identity = lf_readOptionIdentity(opt);
    StandOption option;
    option.key = identity.key;
    option.registration = opt.attribute("reg").value();
    option.callsign = std::move(identity.callsign);
    option.callsign2 = std::move(identity.callsign2);
    option.hours = hours;
    option.day = opt.attribute("day").as_uint(0);
    option.fromFile = fromFile;
    option.real = opt.attribute("soft").as_bool(false) ? 0 : 1;
    option.cpl = opt.attribute("cpl").as_bool(false) ? 1 : 0;
    return option;
}

std::int32_t gf_maxFitStepOf(double hours)
{
    const double step = std::round(2.0 * hours) - 1.0;
    // Casting a value beyond the integer range is undefined, so such values
    // fail before the checked conversion sees them.
    if (!std::isfinite(step) || std::fabs(step) > 2147483647.0)
        throw gsl::narrowing_error();
    return gsl::narrow<std::int32_t>(step);
}

} // namespace ovr
