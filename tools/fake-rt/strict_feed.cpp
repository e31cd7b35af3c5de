#include "fake-rt/strict_feed.h"

#include <cmath>

namespace ovr::fakert
{

namespace
{

constexpr std::size_t kProvider = 7;
constexpr std::size_t kSource = 17;
constexpr std::size_t kTrueAirspeed = 20;
constexpr std::size_t kRoll = 23;
constexpr std::size_t kOnGround = 14;
constexpr std::size_t kSquawk = 6;
constexpr std::size_t kParkedStand = 2;
constexpr std::size_t kParkedEpoch = 5;

constexpr double kParkedNewestS = 10.0 * 60.0;
constexpr double kParkedOldestS = 24.0 * 3600.0;

unsigned hashOf(std::string_view text)
{
    unsigned h = 2166136261U;
    for (const char c : text)
    {
        h = (h ^ static_cast<unsigned char>(c)) * 16777619U;
    }
    return h;
}

} // namespace

char providerOf(std::string_view hex)
{
    return (hashOf(hex) & 1U) != 0 ? 'T' : 'X';
}

void toDocumentedLive(nlohmann::json& a, std::string_view hex)
{
    if (!a.is_array() || a.size() <= kTrueAirspeed + 8)
    {
        return;
    }
    const char provider = providerOf(hex);
    a[kProvider] = std::string(1, provider);
    if (a[kSource].is_string())
    {
        std::string kind = a[kSource].get<std::string>();
        if (provider == 'T' && kind == "adsb_icao")
        {
            kind = "adsb";
        }
        // some sources carry the identity marker as well
        const bool marked = (hashOf(hex) & 6U) == 6U;
        a[kSource] = std::string(1, provider) + (marked ? "_ID_" : "_") + kind;
    }
    if (a[kTrueAirspeed].is_number() && a[kTrueAirspeed].get<double>() == -1.0)
    {
        a[kTrueAirspeed] = nullptr;
    }
    if (a[kOnGround].is_number() && a[kOnGround].get<int>() == 1 && a[kRoll].is_number())
    {
        a[kRoll] = nullptr;
    }
    if (a[kSquawk].is_number())
    {
        a[kSquawk] = a[kSquawk].dump();
    }
}

void toDocumentedParked(nlohmann::json& a, std::string_view hex, const std::string& airportIcao)
{
    if (!a.is_array() || a.size() <= kParkedEpoch)
    {
        return;
    }
    if (a[kParkedStand].is_string())
    {
        a[kParkedStand] = airportIcao + "_" + a[kParkedStand].get<std::string>();
    }
    if (a[kParkedEpoch].is_number())
    {
        // fractions of a second, fixed per aircraft
        const double fraction = static_cast<double>(hashOf(hex) % 1000U) / 1000.0;
        a[kParkedEpoch] = std::floor(a[kParkedEpoch].get<double>()) + fraction;
    }
}

bool parkedInWindow(double seenAt, double now)
{
    const double age = now - seenAt;
    return age >= kParkedNewestS && age <= kParkedOldestS;
}

} // namespace ovr::fakert
