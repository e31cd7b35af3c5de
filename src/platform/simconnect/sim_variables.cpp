#include "platform/simconnect/sim_variables.h"

#include "platform/simconnect/text_case.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace ovr::sim::detail
{
namespace
{

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kFoot = 0.3048;
constexpr double kKnot = 1852.0 / 3600.0;
constexpr double kRankine = 5.0 / 9.0;
constexpr double kPercent = 0.01;

struct Unit
{
    const char* name; // lower case
    Dimension dimension;
    double toSi;
};

constexpr std::array kUnits{
    Unit{"degree", Dimension::angle, kDegree},
    Unit{"degrees", Dimension::angle, kDegree},
    Unit{"radian", Dimension::angle, 1.0},
    Unit{"radians", Dimension::angle, 1.0},
    Unit{"foot", Dimension::length, kFoot},
    Unit{"feet", Dimension::length, kFoot},
    Unit{"meter", Dimension::length, 1.0},
    Unit{"meters", Dimension::length, 1.0},
    Unit{"knot", Dimension::speed, kKnot},
    Unit{"knots", Dimension::speed, kKnot},
    Unit{"feet per second", Dimension::speed, kFoot},
    Unit{"meters per second", Dimension::speed, 1.0},
    Unit{"second", Dimension::time, 1.0},
    Unit{"seconds", Dimension::time, 1.0},
    Unit{"rankine", Dimension::temperature, kRankine},
    Unit{"kelvin", Dimension::temperature, 1.0},
    Unit{"number", Dimension::count, 1.0},
    Unit{"bool", Dimension::count, 1.0},
    Unit{"mask", Dimension::count, 1.0},
    Unit{"enum", Dimension::count, 1.0},
    Unit{"percent", Dimension::percent, kPercent},
    Unit{"percent over 100", Dimension::percent, 1.0},
};

// Standard atmosphere: a lapse of 6.5 K per km up to the tropopause at 11 km.
double standardTemperatureRankine(double altFt)
{
    const double kelvin = 288.15 - 0.0065 * std::min(altFt * kFoot, 11000.0);
    return kelvin / kRankine;
}

double aboveGround(const ObjectState& o, const VarContext& c)
{
    return std::max(0.0, o.altFt - c.groundFt);
}

std::string noText(const ObjectState&)
{
    return {};
}

// Accessors for the table below, so that each variable stays one entry.
#define OVR_GET(expr)                                                                                        \
    [](const ObjectState& o, const VarContext& c, int i) -> double                                           \
    {                                                                                                        \
        (void)o, (void)c, (void)i;                                                                           \
        return (expr);                                                                                       \
    }
#define OVR_SET(stmt)                                                                                        \
    [](ObjectState& o, double v, int i)                                                                      \
    {                                                                                                        \
        (void)i;                                                                                             \
        stmt;                                                                                                \
    }

const std::array kVariables{
    SimVariable{"TITLE", Dimension::text, 1.0, 0, nullptr, nullptr,
                [](const ObjectState& o) { return o.title; }, nullptr},
    SimVariable{"ATC MODEL", Dimension::text, 1.0, 0, nullptr, nullptr,
                [](const ObjectState& o) { return o.atcModel; }, nullptr},
    SimVariable{"ATC ID", Dimension::text, 1.0, 0, nullptr, nullptr,
                [](const ObjectState& o) { return o.atcId; },
                [](ObjectState& o, std::string v) { o.atcId = std::move(v); }},
    SimVariable{"SIM ON GROUND", Dimension::count, 1.0, 0, OVR_GET(o.onGround ? 1.0 : 0.0), nullptr, noText,
                nullptr},
    SimVariable{"PLANE LATITUDE", Dimension::angle, kDegree, 0, OVR_GET(o.latDeg), OVR_SET(o.latDeg = v),
                noText, nullptr},
    SimVariable{"PLANE LONGITUDE", Dimension::angle, kDegree, 0, OVR_GET(o.lonDeg), OVR_SET(o.lonDeg = v),
                noText, nullptr},
    SimVariable{"PLANE PITCH DEGREES", Dimension::angle, kDegree, 0, OVR_GET(o.pitchDeg),
                OVR_SET(o.pitchDeg = v), noText, nullptr},
    SimVariable{"PLANE BANK DEGREES", Dimension::angle, kDegree, 0, OVR_GET(o.bankDeg),
                OVR_SET(o.bankDeg = v), noText, nullptr},
    SimVariable{"PLANE HEADING DEGREES TRUE", Dimension::angle, kDegree, 0, OVR_GET(o.headingDeg),
                OVR_SET(o.headingDeg = v), noText, nullptr},
    SimVariable{"PLANE ALTITUDE", Dimension::length, kFoot, 0, OVR_GET(o.altFt), OVR_SET(o.altFt = v), noText,
                nullptr},
    SimVariable{"PLANE ALT ABOVE GROUND", Dimension::length, kFoot, 0, OVR_GET(aboveGround(o, c)), nullptr,
                noText, nullptr},
    SimVariable{"GROUND ALTITUDE", Dimension::length, kFoot, 0, OVR_GET(c.groundFt), nullptr, noText,
                nullptr},
    SimVariable{"VERTICAL SPEED", Dimension::speed, kFoot, 0, OVR_GET(o.verticalSpeedFps),
                OVR_SET(o.verticalSpeedFps = v), noText, nullptr},
    SimVariable{"AIRSPEED TRUE", Dimension::speed, kKnot, 0, OVR_GET(o.airspeedKt), OVR_SET(o.airspeedKt = v),
                noText, nullptr},
    SimVariable{"GROUND VELOCITY", Dimension::speed, kKnot, 0, OVR_GET(o.groundSpeedKt), nullptr, noText,
                nullptr},
    SimVariable{"ZULU TIME", Dimension::time, 1.0, 0, OVR_GET(c.zuluSeconds), nullptr, noText, nullptr},
    SimVariable{"ZULU DAY OF YEAR", Dimension::count, 1.0, 0, OVR_GET(c.zuluDayOfYear), nullptr, noText,
                nullptr},
    SimVariable{"ZULU YEAR", Dimension::count, 1.0, 0, OVR_GET(c.zuluYear), nullptr, noText, nullptr},
    SimVariable{"LIGHT STATES", Dimension::count, 1.0, 0, OVR_GET(o.lights), nullptr, noText, nullptr},
    SimVariable{"STANDARD ATM TEMPERATURE", Dimension::temperature, kRankine, 0,
                OVR_GET(standardTemperatureRankine(o.altFt)), nullptr, noText, nullptr},
    SimVariable{"STATIC CG TO GROUND", Dimension::length, kFoot, 0, OVR_GET(o.staticCgFt), nullptr, noText,
                nullptr},
    SimVariable{"STATIC PITCH", Dimension::angle, kDegree, 0, OVR_GET(o.staticPitchDeg), nullptr, noText,
                nullptr},
    SimVariable{"SPOILERS HANDLE POSITION", Dimension::percent, kPercent, 0, OVR_GET(o.spoilersPercent),
                OVR_SET(o.spoilersPercent = v), noText, nullptr},
    SimVariable{"GENERAL ENG THROTTLE LEVER POSITION", Dimension::percent, kPercent, 2,
                OVR_GET(o.throttlePercent[static_cast<std::size_t>(i - 1)]),
                OVR_SET(o.throttlePercent[static_cast<std::size_t>(i - 1)] = v), noText, nullptr},
};

#undef OVR_GET
#undef OVR_SET

} // namespace

void BoundVariable::write(ObjectState& o, double value) const
{
    if (var->set != nullptr)
    {
        var->set(o, value / scale, index);
    }
}

void BoundVariable::writeText(ObjectState& o, std::string value) const
{
    if (var->setText != nullptr)
    {
        var->setText(o, std::move(value));
    }
}

const SimVariable* findVariable(std::string_view name, int& index)
{
    index = 0;
    std::string_view base = name;
    if (const auto colon = name.rfind(':'); colon != std::string_view::npos)
    {
        base = name.substr(0, colon);
        const std::string_view digits = name.substr(colon + 1);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (ec != std::errc{} || end != digits.data() + digits.size() || index < 1)
        {
            return nullptr;
        }
    }
    for (const SimVariable& v : kVariables)
    {
        if (equalsNoCase(base, v.name))
        {
            const bool indexOk = v.maxIndex == 0 ? index == 0 : (index >= 1 && index <= v.maxIndex);
            return indexOk ? &v : nullptr;
        }
    }
    return nullptr;
}

std::optional<double> unitScale(const SimVariable& var, const char* units)
{
    if (var.dimension == Dimension::text)
    {
        return (units == nullptr || *units == '\0') ? std::optional(1.0) : std::nullopt;
    }
    if (units == nullptr || *units == '\0')
    {
        return 1.0;
    }
    for (const Unit& u : kUnits)
    {
        if (u.dimension == var.dimension && equalsNoCase(units, u.name))
        {
            return var.nativeToSi / u.toSi;
        }
    }
    return std::nullopt;
}

} // namespace ovr::sim::detail
