// Decoding one live aircraft array of the service (48 elements read by
// position) into a TrafficRecord. The order of the steps is fixed: the data
// time is kept even for an aircraft that is dropped later, and the collected
// identities include aircraft that the ground rule drops afterwards.
#include "core/code_pool.h"
#include "core/geometry.h"
#include "core/log.h"
#include "core/text.h"
#include "core/parameters.h"
#include "service/array_positions.h"
#include "service/reader_snapshots.h"
#include "service/traffic_filters.h"
#include "service/traffic_filters_detail.h"
#include "service/traffic_reader.h"

#include <fmt/format.h>

#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace ovr
{

namespace
{

// Positions of the live aircraft array.
constexpr std::size_t kHexId = 0;
constexpr std::size_t kLatitude = 1;
constexpr std::size_t kLongitude = 2;
constexpr std::size_t kTrack = 3;
constexpr std::size_t kGroundSpeed = 5;
constexpr std::size_t kType = 8;
constexpr std::size_t kRegistration = 9;
constexpr std::size_t kDataTime = 10;
constexpr std::size_t kOrigin = 11;
constexpr std::size_t kDestination = 12;
constexpr std::size_t kCallsignText = 13;
constexpr std::size_t kVerticalRate = 15;
constexpr std::size_t kSource = 17;
constexpr std::size_t kTrueAirspeed = 20;
constexpr std::size_t kRoll = 23;
constexpr std::size_t kTrueHeading = 25;
constexpr std::size_t kEmitterCategory = 28;

constexpr std::size_t kMaxRegistrationLength = 12;
// No text that a live record is read for comes near this length: a longer
// one marks a broken or hostile record, which is refused whole.
constexpr std::size_t kMaxFieldLength = 64;
constexpr std::uint32_t kLowestLiveHexId = 10000; // and below: not a live aircraft
constexpr double kNoPositionDegrees = 0.0001;
constexpr double kGroundRadiusNm = 5.0;
constexpr double kTwoPi = 6.283185307179586;

struct AirspeedBand
{
    double altitudeFt; // up to
    double airspeedKt;
};
constexpr std::array<AirspeedBand, 4> kAirspeedBands{
    {{2000.0, 180.0}, {5000.0, 220.0}, {10000.0, 250.0}, {20000.0, 350.0}}};
constexpr double kHighAirspeedKt = 430.0;

// A drop without a log line.
[[noreturn]] void lf_drop()
{
    throw std::runtime_error("dropped");
}

bool lf_outOfRange(double lat, double lon)
{
    return lat < -90.0 || lat > 90.0 || lon < -180.0 || lon > 180.0 ||
           (std::abs(lat) <= kNoPositionDegrees && std::abs(lon) <= kNoPositionDegrees);
}

IataCode lf_airportCode(const LiveArray& array, std::size_t position)
{
    const std::string_view text = gf_textAt(array.at(position));
    return text.empty() || text == "null" ? IataCode{} : IataCode{text};
}

double lf_tableAirspeed(double altitude)
{
    for (const AirspeedBand& band : kAirspeedBands)
    {
        if (band.altitudeFt >= altitude)
        {
            return band.airspeedKt;
        }
    }
    return kHighAirspeedKt;
}

// The service names the source with a provider prefix ("X_adsb_icao",
// "T_ID_adsb_icao"); an older feed sends the bare kind.
bool lf_isAdsbIcao(std::string_view source)
{
    constexpr std::string_view kKind = "adsb_icao";
    return source == kKind || (source.size() > kKind.size() && source.ends_with(kKind) &&
                               source[source.size() - kKind.size() - 1] == '_');
}

// Decodes the array; false when a rule drops it. Range errors throw
// std::runtime_error (silent), bad codes other exceptions (logged).
bool lf_decode(const LiveArray& a, TrafficRecord& r, TrafficReader& reader)
{
    for (const std::size_t position :
         {kHexId, kType, kRegistration, kOrigin, kDestination, kCallsignText, kSource, kEmitterCategory})
    {
        if (a.at(position).isText() && a.at(position).text().size() > kMaxFieldLength)
        {
            lf_drop();
        }
    }
    // A position without its time cannot be played; null is no time at all.
    const std::optional<double> dataTime = gf_optionalNumberAt(a.at(kDataTime));
    if (!dataTime)
    {
        lf_drop();
    }
    r.dataTime = *dataTime;
    reader.dataTime.store(r.dataTime);

    const std::string_view registration = gf_textAt(a.at(kRegistration));
    if (registration.size() > kMaxRegistrationLength)
    {
        return false;
    }
    r.registration = registration == "null" ? std::string{} : std::string(registration);

    r.key = FlightKey{};
    const std::string_view type = gf_textAt(a.at(kType));
    if (!gf_acceptType(type, gf_textAt(a.at(kEmitterCategory))))
    {
        return false;
    }
    r.key.model = gf_modelId(type);

    const std::optional<double> latitude = gf_optionalNumberAt(a.at(kLatitude));
    const std::optional<double> longitude = gf_optionalNumberAt(a.at(kLongitude));
    if (!latitude || !longitude)
    {
        // a missing half of the position is not the equator or the meridian
        lf_drop();
    }
    r.sample.latitude = *latitude;
    r.sample.longitude = *longitude;
    if (lf_outOfRange(r.sample.latitude, r.sample.longitude))
    {
        lf_drop();
    }
    const LatLon position{r.sample.latitude, r.sample.longitude};
    if (gf_distanceNm(reader.refPos.load(), position) > g_rangeNm.load())
    {
        return false;
    }

    r.trueHeading.reset();
    r.sample.headingKnown = 0;
    const std::optional<double> heading = gf_optionalNumberAt(a.at(kTrueHeading));
    if (lf_isAdsbIcao(gf_textAt(a.at(kSource))) && heading)
    {
        // null is no heading, not north
        const double h = *heading;
        if (h > 360.0)
        {
            lf_drop();
        }
        if (h >= 0.0)
        {
            r.trueHeading = h == 0.0 ? kTwoPi : h * kDegToRad;
            r.sample.headingKnown = 1;
        }
    }

    r.hexId = gf_leadingHex(gf_textAt(a.at(kHexId)));
    if (r.hexId <= kLowestLiveHexId)
    {
        return false;
    }

    r.sample.groundSpeed = gf_numberAt(a.at(kGroundSpeed));
    if (!lf_checkAltitude(a, r, reader))
    {
        return false;
    }
    r.sample.airborne = r.sample.altitude > 0.0 ? 1 : 0;
    if (!lf_checkCallsign(a, r, reader))
    {
        return false;
    }
    if (r.callsign.empty() && r.registration.empty())
    {
        return false;
    }

    {
        // Under the lock that takeCollected holds, so no insert runs while
        // the sets are taken.
        const std::scoped_lock lock(reader.collectedMutex);
        if (reader.collecting.load())
        {
            if (!r.callsign.empty())
            {
                reader.seenCallsigns.insert(r.callsign);
            }
            reader.seenIds.insert(r.hexId);
        }
    }

    if (r.sample.airborne == 0)
    {
        const ParkSite park = gf_parkSiteSnapshot();
        if (!park.exists() ||
            gf_distanceNm(LatLon{park.airport.latitude, park.airport.longitude}, position) > kGroundRadiusNm)
        {
            return false;
        }
    }

    r.sample.track = gf_numberAt(a.at(kTrack));
    if (r.sample.track == 0.0 && r.trueHeading)
    {
        r.sample.track = *r.trueHeading * kRadToDeg;
    }
    r.sample.verticalRate = gf_numberAt(a.at(kVerticalRate));
    r.origin = lf_airportCode(a, kOrigin);
    r.destination = lf_airportCode(a, kDestination);

    r.bank.reset();
    if (r.sample.airborne != 0)
    {
        const std::optional<double> roll = gf_optionalNumberAt(a.at(kRoll));
        if (roll && *roll != 0.0 && *roll != -1.0)
        {
            r.bank = -*roll * kDegToRad;
        }
    }

    const std::optional<double> airspeed = gf_optionalNumberAt(a.at(kTrueAirspeed));
    r.sample.trueAirspeed = airspeed && *airspeed != -1.0 ? *airspeed : lf_tableAirspeed(r.sample.altitude);
    r.sample.onGround = 0;
    return true;
}

} // namespace

void TrafficReader::processLine(const LiveArray& array)
{
    try
    {
        TrafficRecord record;
        if (lf_decode(array, record, *this))
        {
            liveRecords.push_back(std::move(record));
        }
    }
    catch (const std::runtime_error&)
    {
        // an out-of-range value: the aircraft is dropped without a word
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("{}: {}", "processLine", gf_shownText(e.what())));
    }
}

CollectedIdentities TrafficReader::takeCollected()
{
    const std::scoped_lock lock(collectedMutex);
    collecting.store(false);
    CollectedIdentities taken{std::move(seenCallsigns), std::move(seenIds)};
    seenCallsigns.clear();
    seenIds.clear();
    return taken;
}

} // namespace ovr
