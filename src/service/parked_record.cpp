// Decoding one member of a parked-traffic reply (name: the transponder
// address; value: [lat, lon, stand, type, registration, epoch, callsign])
// into a ParkedTrafficRecord. The model database completes the identity from
// the registration, or from a callsign that is really a registration.
#include "airports/nearest_stand.h"
#include "core/code_pool.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/time.h"
#include "liveries/model_lookups.h"
#include "liveries/registration_lookup.h"
#include "service/array_positions.h"
#include "service/reader_snapshots.h"
#include "service/traffic_reader.h"

#include <fmt/format.h>
#include <gsl/gsl>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace ovr
{

namespace
{

// Positions of the parked aircraft array.
constexpr std::size_t kLatitude = 0;
constexpr std::size_t kLongitude = 1;
constexpr std::size_t kStand = 2;

// The service writes a stand as the airport's code, an underscore and the
// stand's name ("YSSY_D112A"); the airport files name the stand alone. Both
// forms name the same stand.
bool lf_sameStand(std::string_view reported, std::string_view ours)
{
    if (reported == ours)
    {
        return true;
    }
    constexpr std::size_t kCodeLength = 4;
    if (reported.size() != ours.size() + kCodeLength + 1 || reported[kCodeLength] != '_' ||
        !reported.ends_with(ours))
    {
        return false;
    }
    return std::all_of(reported.begin(), reported.begin() + kCodeLength,
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}
constexpr std::size_t kType = 3;
constexpr std::size_t kRegistration = 4;
constexpr std::size_t kSeenAt = 5;
constexpr std::size_t kCallsign = 6;

constexpr std::size_t kMaxRegistrationLength = 12;
constexpr std::size_t kMaxCallsignLength = 8;
constexpr std::uint32_t kLowestLiveHexId = 10000;
constexpr double kNoPositionDegrees = 0.0001;

constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kTypeReplacements{
    {{"A380", "A388"}, {"B767", "B763"}, {"B747", "B744"}, {"B757", "B752"}}};

double lf_floatAt(const ParkedArray& array, std::size_t position)
{
    const ReplyValue& value = array.need(position);
    return value.kind == ReplyValue::Kind::floating ? value.floating() : 0.0;
}

std::int64_t lf_seenAt(const ParkedArray& array)
{
    const ReplyValue& value = array.need(kSeenAt);
    if (value.kind == ReplyValue::Kind::floating)
    {
        const double rounded = std::round(value.floating());
        // 2^63 itself is out of range; anything below converts exactly.
        constexpr double kLimit = 9223372036854775808.0;
        if (!(rounded >= -kLimit && rounded < kLimit))
        {
            throw gsl::narrowing_error{};
        }
        return static_cast<std::int64_t>(rounded);
    }
    if (value.kind == ReplyValue::Kind::bigUnsigned)
    {
        return gsl::narrow<std::int64_t>(value.unsignedValue());
    }
    if (value.kind != ReplyValue::Kind::integer)
    {
        throw std::invalid_argument(fmt::format("time must be a number, but is {}", value.typeName()));
    }
    return value.integer();
}

std::int32_t lf_slotOf(std::int64_t seenAt)
{
    const std::optional<UtcTime> utc = gf_utcTime(seenAt);
    if (!utc)
    {
        return -1;
    }
    const int secondHalf = utc->minute * 60 + utc->second >= 29 * 60 + 30 ? 1 : 0;
    return (2 * utc->hour + secondHalf) % 48;
}

std::string lf_cleanCallsign(std::string callsign)
{
    if (callsign == "null" || callsign.find('@') != std::string::npos ||
        (callsign.size() >= 5 && callsign.find("00000") != std::string::npos) ||
        callsign.size() > kMaxCallsignLength)
    {
        return {};
    }
    if (!callsign.empty() && callsign.front() == '.')
    {
        callsign.erase(0, 1);
    }
    return callsign;
}

bool lf_categoryWanted(int category)
{
    switch (category)
    {
    case kCategoryLight:
        return LIGHT_AIRCRAFT.current.load();
    case kCategoryBuzjet:
    case kCategoryLarge:
    case kCategoryHeavy:
        return true;
    case kCategoryHighPerformance:
        return HIGH_PERF_AIRCRAFT.current.load();
    case kCategoryRotorcraft:
        return HELICOPTERS.current.load();
    default:
        return false;
    }
}

// Decodes the array; false when a rule drops it. A position out of range
// throws std::runtime_error (silent), other faults other exceptions (logged).
bool lf_decode(const std::string& key, const ParkedArray& a, ParkedTrafficRecord& r)
{
    r.hexId = gf_leadingHex(key);
    if (r.hexId <= kLowestLiveHexId)
    {
        return false;
    }
    r.slot = lf_slotOf(lf_seenAt(a));

    const std::string_view registration = gf_textAt(a.at(kRegistration));
    r.registration = registration.size() > kMaxRegistrationLength || registration == "null"
                         ? std::string{}
                         : std::string(registration);

    const std::string_view type = gf_textAt(a.at(kType));
    if (type.empty())
    {
        return false;
    }
    const auto replacement = std::find_if(kTypeReplacements.begin(), kTypeReplacements.end(),
                                          [&](const auto& entry) { return entry.first == type; });
    if (replacement != kTypeReplacements.end())
    {
        r.key.model = gf_modelId(replacement->second);
    }
    else
    {
        if (!gf_isKnownModel(type))
        {
            return false;
        }
        r.key.model = gf_modelId(type);
    }

    r.latitude = lf_floatAt(a, kLatitude);
    r.longitude = lf_floatAt(a, kLongitude);
    if (r.latitude < -90.0 || r.latitude > 90.0 || r.longitude < -180.0 || r.longitude > 180.0 ||
        (std::abs(r.latitude) <= kNoPositionDegrees && std::abs(r.longitude) <= kNoPositionDegrees))
    {
        throw std::runtime_error("parked position out of range");
    }

    r.callsign = lf_cleanCallsign(std::string(gf_textAt(a.at(kCallsign))));

    if (!r.registration.empty())
    {
        if (const std::optional<FlightKey> known = gf_findRegistrationKey(r.registration))
        {
            r.key = *known;
            if (r.callsign.empty())
            {
                r.callsign = r.registration;
            }
        }
    }
    else if (!r.callsign.empty())
    {
        if (const std::optional<FlightKey> known = gf_findRegistrationKey(r.callsign))
        {
            r.key = *known;
            r.registration = r.callsign;
            if (r.key.secondAirline < g_airlineCodes.size() &&
                !g_airlineCodes.text(r.key.secondAirline).empty())
            {
                r.key.airline = r.key.secondAirline;
            }
        }
    }

    const std::string& model = g_modelCodes.text(r.key.model);
    if (!gf_isKnownModel(model) || !lf_categoryWanted(gf_categoryOfModel(gf_modelId(model))))
    {
        return false;
    }

    const ReplyValue& stand = a.need(kStand);
    if (!stand.isText())
    {
        return false;
    }
    r.standName = stand.text();

    if (lf_sameStand(r.standName, gf_parkSiteSnapshot().reservedStand))
    {
        return false;
    }
    const UserAcState user = gf_userStateSnapshot();
    return !lf_sameStand(r.standName, gf_nearestStandName(user.latitude, user.longitude));
}

} // namespace

void TrafficReader::processParkedTrafficLine(const std::string& key, const ParkedArray& value)
{
    try
    {
        ParkedTrafficRecord record;
        if (lf_decode(key, value, record))
        {
            parkedBatch.push_back(std::move(record));
        }
    }
    catch (const std::runtime_error&)
    {
        // a position out of range: the aircraft is dropped without a word
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "processParkedTrafficLine", e.what()));
    }
}

} // namespace ovr
