#include "service/traffic_filters.h"

#include "core/parameters.h"
#include "core/status_line.h"
#include "service/array_positions.h"
#include "service/reader_snapshots.h"
#include "service/traffic_filters_detail.h"
#include "service/traffic_reader.h"
#include "simlink/object_events.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

namespace ovr
{

std::string g_reportedBlockedCallsign;

namespace
{

constexpr std::size_t kAltitudePosition = 4;
constexpr std::size_t kCallsignPosition = 13;

constexpr double kStandardPressureHpa = 1013.25;
constexpr double kFeetPerHectopascal = 27.0;
// Near-ground bands apply below this corrected altitude.
constexpr double kNearGroundCeilingFt = 14000.0;
// Without a park airport no band can apply.
constexpr double kNoParkReferenceFt = -1000.0;
constexpr double kSlowGroundSpeedKt = 35.0;
constexpr double kAirborneOnlyMarginFt = 150.0;

struct GroundBand
{
    double heightFt; // above the park airport, up to
    double speedKt;  // ground speed, up to
};
constexpr std::array<GroundBand, 3> kGroundBands{{{42.0, 120.0}, {84.0, 80.0}, {108.0, 43.0}}};

constexpr std::array<std::string_view, 6> kTestCallsigns{"ERARMTR0", "ERARMTR1", "AIRPORT1",
                                                         "00000000", "TR852",    "TEST"};
constexpr std::array<std::string_view, 5> kRefusedEmitterCategories{"B1", "B2", "B4", "C1", "C2"};

bool lf_isTestCallsign(std::string_view callsign)
{
    return std::find(kTestCallsigns.begin(), kTestCallsigns.end(), callsign) != kTestCallsigns.end();
}

void lf_reportBlocked(const TrafficRecord& record, TrafficReader& reader, const std::string& blocked)
{
    if (reader.blockNoticeArmed)
    {
        reader.blockNoticeArmed = false;
        g_reportedBlockedCallsign = blocked;
        gf_pushSimEvent(SimEvent{0, record.hexId, 0, kSimEventBlockedCallsign, 0.0, 0.0});
        gf_setStatus(fmt::format("Live aircraft '{}' blocked", g_reportedBlockedCallsign), true);
    }
    else if (g_reportedBlockedCallsign != blocked)
    {
        // The user blocked another callsign since the last report: the next
        // record of it brings the report.
        reader.blockNoticeArmed = true;
        g_reportedBlockedCallsign.clear();
    }
}

} // namespace

bool gf_isNotAircraftType(std::string_view type)
{
    static const std::set<std::string, std::less<>> pseudoTypes{"BALL", "EMER", "GLID", "GRND", "GND",
                                                                "PARA", "SERV", "SHIP", "VENT", "TWR"};
    return type.size() > 4 || pseudoTypes.contains(type);
}

bool gf_acceptType(std::string_view type, std::string_view emitterCategory)
{
    if (type.empty() || type == "null")
    {
        return false;
    }
    if (std::find(kRefusedEmitterCategories.begin(), kRefusedEmitterCategories.end(), emitterCategory) !=
        kRefusedEmitterCategories.end())
    {
        return false;
    }
    return !gf_isNotAircraftType(type);
}

bool lf_checkAltitude(const LiveArray& array, TrafficRecord& record, const TrafficReader& reader)
{
    double a = gf_numberAt(array.at(kAltitudePosition));
    const double g = record.sample.groundSpeed;
    if (a <= 0.0)
    {
        a = 0.0;
    }
    else
    {
        a = (reader.readerQnh.load() - kStandardPressureHpa) * kFeetPerHectopascal + a;
        if (a < 0.0)
        {
            a = 0.0;
        }
        if (a > 0.0 && a < kNearGroundCeilingFt)
        {
            const double reference = reader.parkElevation.load().value_or(kNoParkReferenceFt);
            const double d = a - reference;
            const bool inBand =
                std::any_of(kGroundBands.begin(), kGroundBands.end(),
                            [&](const GroundBand& b) { return d <= b.heightFt && g <= b.speedKt; });
            if (d <= 0.0 || inBand)
            {
                a = 0.0;
            }
        }
        if (a > 0.0 && g <= kSlowGroundSpeedKt)
        {
            a = 0.0;
        }
    }
    record.sample.altitude = a;
    if (!AIRBORNE_ONLY.current.load())
    {
        return true;
    }
    const ParkSite park = gf_parkSiteSnapshot();
    const double parkAltitude = park.exists() ? static_cast<double>(park.airport.elevation) : 0.0;
    return a - parkAltitude > kAirborneOnlyMarginFt;
}

bool lf_checkCallsign(const LiveArray& array, TrafficRecord& record, TrafficReader& reader)
{
    record.callsign = gf_textAt(array.at(kCallsignPosition));
    if (record.callsign == "null" || record.callsign.find('@') != std::string::npos)
    {
        record.callsign.clear();
        return true;
    }
    if (lf_isTestCallsign(record.callsign))
    {
        return false;
    }
    const std::string blocked = BLOCK_CALLSIGN.value();
    if (!blocked.empty() && blocked == record.callsign)
    {
        lf_reportBlocked(record, reader, blocked);
        return false;
    }
    return true;
}

} // namespace ovr
