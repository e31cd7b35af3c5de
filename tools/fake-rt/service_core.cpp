#include "fake-rt/service_core.h"

#include "fake-rt/seeded_random.h"
#include "fake-rt/strict_feed.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

namespace ovr::fakert
{

namespace
{

using nlohmann::json;

constexpr std::uint64_t kGuidStream = 0x6071D;
constexpr std::size_t kMaxStations = 5;
constexpr long long kMaxBufferCount = 10;
constexpr long long kMaxBufferTime = 60;
// The documented limits: at most 10 buffers of at most 10 s, an even number.
constexpr long long kStrictMaxBufferTime = 10;
// Concurrent sessions per licence kind in the documented service.
constexpr int kStandardSessions = 1;
constexpr int kProfessionalSessions = 2;

bool bufferTimeAllowed(long long seconds, bool strict)
{
    if (strict)
    {
        return seconds >= 2 && seconds <= kStrictMaxBufferTime && seconds % 2 == 0;
    }
    return seconds >= 1 && seconds <= kMaxBufferTime;
}

ServiceReply refusal(int status)
{
    return {json{{"status", status}, {"message", statusMessage(status)}}, {}};
}

ServiceReply parameterFault()
{
    return refusal(400);
}

ServiceReply unknownSession()
{
    return refusal(401);
}

std::optional<double> decimal(const FormFields& fields, std::string_view name)
{
    const std::optional<std::string> text = formValue(fields, name);
    if (!text || text->empty())
    {
        return std::nullopt;
    }
    double value = 0.0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
    {
        return std::nullopt;
    }
    return value;
}

std::optional<long long> integer(const FormFields& fields, std::string_view name)
{
    const std::optional<std::string> text = formValue(fields, name);
    if (!text || text->empty())
    {
        return std::nullopt;
    }
    long long value = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end)
    {
        return std::nullopt;
    }
    return value;
}

bool isLatitude(double v)
{
    return v >= -90.0 && v <= 90.0;
}

bool isLongitude(double v)
{
    return v >= -180.0 && v <= 180.0;
}

std::optional<long long> timeOffset(const FormFields& fields)
{
    const std::optional<long long> minutes = integer(fields, "toffset");
    if (!minutes || *minutes < 0 || *minutes > kMaxTimeOffsetMinutes)
    {
        return std::nullopt;
    }
    return minutes;
}

// The documented service tells a request too far back apart from a
// malformed one.
bool tooFarBack(const FormFields& fields, bool strict)
{
    const std::optional<long long> minutes = integer(fields, "toffset");
    return strict && minutes && *minutes > kMaxTimeOffsetMinutes;
}

// Every request that reaches the check counts as the previous one, refused
// or not; a refusal names the limit in the field the client reads it from.
std::optional<ServiceReply> rateLimit(std::optional<double>& last, double now, int limitMs, const char* field,
                                      std::string_view kind)
{
    const bool early = last && (now - *last) * 1000.0 < static_cast<double>(limitMs);
    last = now;
    if (!early)
    {
        return std::nullopt;
    }
    ServiceReply r = refusal(406);
    r.body["message"] = fmt::format("Too many requests, keep {} ms between {} requests", limitMs, kind);
    r.body[field] = limitMs;
    return r;
}

void documented(std::vector<LiveAircraft>& aircraft)
{
    for (LiveAircraft& a : aircraft)
    {
        if (a.array.is_array() && a.array.size() == kLiveArraySize)
        {
            toDocumentedLive(a.array, a.key);
        }
    }
}

// The members the documented traffic replies carry besides "data".
void addDocumentedFields(json& body, std::size_t fullCount, double t, const char* epochKey)
{
    body["full_count"] = fullCount;
    body["source"] = "MemoryDB";
    body[epochKey] = std::llround(t);
}

std::string textIn(const json& array, std::size_t position)
{
    return array.is_array() && position < array.size() && array[position].is_string()
               ? array[position].get<std::string>()
               : std::string();
}

std::vector<SentAircraft> describe(const std::vector<LiveAircraft>& aircraft, int buffer)
{
    // Where the registration and the callsign stand in an aircraft array.
    constexpr std::size_t kRegistration = 9;
    constexpr std::size_t kCallsign = 13;
    std::vector<SentAircraft> out;
    out.reserve(aircraft.size());
    for (const LiveAircraft& a : aircraft)
    {
        out.push_back({a.key, buffer, a.pos, a.dataTime, a.onGround, a.wellFormed, a.altitudeFt,
                       textIn(a.array, kCallsign), textIn(a.array, kRegistration)});
    }
    return out;
}

} // namespace

std::string statusMessage(int status)
{
    switch (status)
    {
    case 200:
        return "OK";
    case 400:
        return "parameter fault";
    case 401:
        return "GUID not found or expired";
    case 402:
        return "License expired";
    case 403:
        return "Historical data needs a professional license";
    case 404:
        return "License not found";
    case 405:
        return "This license already has an active session";
    case 406:
        return "Too many requests";
    case 407:
        return "History too far back";
    case 500:
        return "Database connection error";
    default:
        return "error";
    }
}

ServiceCore::ServiceCore(Scenario scenario) : m_scenario(scenario), m_generator(std::move(scenario)) {}

void ServiceCore::setScenario(Scenario scenario)
{
    m_generator = TrafficGenerator(scenario);
    m_scenario = std::move(scenario);
}

std::vector<Session> ServiceCore::sessions() const
{
    std::vector<Session> out;
    for (const auto& [guid, s] : m_sessions)
    {
        out.push_back(s);
    }
    return out;
}

ServiceReply ServiceCore::handle(std::string_view path, const FormFields& fields, double now)
{
    expireSessions(now);
    if (path == kAuthPath)
    {
        return auth(fields, now);
    }
    if (path == kDeauthPath)
    {
        return deauth(fields, now);
    }
    if (path == kTrafficPath)
    {
        return traffic(fields, now);
    }
    if (path == kNearestMetarPath)
    {
        return nearestMetar(fields, now);
    }
    if (path == kWeatherPath)
    {
        return weather(fields, now);
    }
    return refusal(404);
}

void ServiceCore::expireSessions(double now)
{
    if (m_scenario.sessionTimeoutS <= 0.0)
    {
        return;
    }
    std::erase_if(m_sessions,
                  [&](const auto& entry) { return now - entry.second.lastUse > m_scenario.sessionTimeoutS; });
}

Session* ServiceCore::session(const FormFields& fields, double now)
{
    const std::optional<std::string> guid = formValue(fields, "GUID");
    if (!guid)
    {
        return nullptr;
    }
    const auto it = m_sessions.find(*guid);
    if (it == m_sessions.end())
    {
        return nullptr;
    }
    it->second.lastUse = now;
    return &it->second;
}

std::string ServiceCore::newGuid()
{
    SeededRandom r(m_scenario.traffic.seed, kGuidStream, ++m_guidCount);
    const std::uint64_t a = r.next();
    const std::uint64_t b = r.next();
    return fmt::format("{:08x}-{:04x}-4{:03x}-{:04x}-{:012x}", a >> 32, (a >> 16) & 0xFFFF, a & 0xFFF,
                       0x8000 | ((b >> 48) & 0x3FFF), b & 0xFFFFFFFFFFFFULL);
}

ServiceReply ServiceCore::auth(const FormFields& fields, double now)
{
    const std::optional<std::string> license = formValue(fields, "license");
    const std::optional<std::string> software = formValue(fields, "software");
    if (!license || license->empty() || !software || software->empty())
    {
        return parameterFault();
    }
    const auto account = std::find_if(m_scenario.accounts.begin(), m_scenario.accounts.end(),
                                      [&](const Account& a) { return a.license == *license; });
    if (account == m_scenario.accounts.end())
    {
        return refusal(404);
    }
    if (account->expiry < now)
    {
        return refusal(402);
    }
    int open = 0;
    for (const auto& [guid, s] : m_sessions)
    {
        open += s.license == *license ? 1 : 0;
    }
    const int allowed = m_scenario.strict && account->type == 2 ? kProfessionalSessions : kStandardSessions;
    if (open >= allowed)
    {
        return refusal(405);
    }
    Session s;
    s.guid = newGuid();
    s.license = *license;
    s.type = account->type;
    s.lastUse = now;
    s.began = now;
    m_sessions[s.guid] = s;
    return {json{{"status", 200},
                 {"GUID", s.guid},
                 {"type", account->type},
                 {"expiry", std::llround(account->expiry)},
                 {"rrl", m_scenario.rrl},
                 {"wrrl", m_scenario.wrrl},
                 {"server", account->server}},
            {}};
}

ServiceReply ServiceCore::deauth(const FormFields& fields, double now)
{
    const std::optional<std::string> guid = formValue(fields, "GUID");
    const auto it = guid ? m_sessions.find(*guid) : m_sessions.end();
    if (it == m_sessions.end())
    {
        return unknownSession();
    }
    const double began = it->second.began;
    m_sessions.erase(it);
    json reply{{"status", 200}, {"message", "Deauthenticated"}, {"server", m_scenario.server}};
    if (m_scenario.strict)
    {
        reply["session_length"] = std::llround(now - began);
    }
    return {std::move(reply), {}};
}

ServiceReply ServiceCore::traffic(const FormFields& fields, double now)
{
    Session* s = session(fields, now);
    if (s == nullptr)
    {
        return unknownSession();
    }
    const std::optional<std::string> query = formValue(fields, "querytype");
    const std::optional<double> top = decimal(fields, "top");
    const std::optional<double> bottom = decimal(fields, "bottom");
    const std::optional<double> left = decimal(fields, "left");
    const std::optional<double> right = decimal(fields, "right");
    const std::optional<long long> minutes = timeOffset(fields);
    if (tooFarBack(fields, m_scenario.strict))
    {
        return refusal(407);
    }
    if (!query || (*query != "locationtraffic" && *query != "parkedtraffic") || !top || !bottom || !left ||
        !right || !minutes || !isLatitude(*top) || !isLatitude(*bottom) || *top < *bottom ||
        !isLongitude(*left) || !isLongitude(*right))
    {
        return parameterFault();
    }
    const bool parked = *query == "parkedtraffic";
    const std::optional<std::string> countText = formValue(fields, "buffercount");
    const std::optional<std::string> timeText = formValue(fields, "buffertime");
    const std::optional<long long> bufferCount = integer(fields, "buffercount");
    const std::optional<long long> bufferTime = integer(fields, "buffertime");
    const bool buffered = countText.has_value() || timeText.has_value();
    if (buffered && (parked || !bufferCount || !bufferTime || *bufferCount < 1 ||
                     *bufferCount > kMaxBufferCount || !bufferTimeAllowed(*bufferTime, m_scenario.strict)))
    {
        return parameterFault();
    }
    if (*minutes > 0 && s->type != 2)
    {
        return refusal(403);
    }
    if (std::optional<ServiceReply> refused =
            rateLimit(s->lastTraffic, now, m_scenario.rrl, "rrl", "traffic"))
    {
        return *refused;
    }

    const Box box{*top, *bottom, *left, *right};
    const double t = now - static_cast<double>(*minutes) * 60.0;
    ServiceReply reply;
    reply.body = json{{"status", 200}, {"rrl", m_scenario.rrl}};
    const bool strict = m_scenario.strict;
    if (parked)
    {
        std::vector<ParkedEntry> entries = m_generator.parkedTraffic(t, box);
        if (strict)
        {
            std::erase_if(entries,
                          [&](const ParkedEntry& e) {
                              return !e.array[5].is_number() || !parkedInWindow(e.array[5].get<double>(), t);
                          });
            for (ParkedEntry& e : entries)
            {
                toDocumentedParked(e.array, e.key, m_scenario.airport.icao);
            }
        }
        reply.body["data"] = TrafficGenerator::toData(entries);
        if (strict)
        {
            addDocumentedFields(reply.body, entries.size(), t, "dataepoch");
        }
        return reply;
    }
    const int bad = m_scenario.traffic.badEntries;
    if (!buffered)
    {
        std::vector<LiveAircraft> aircraft = m_generator.liveTraffic(t, box, bad);
        if (strict)
        {
            documented(aircraft);
        }
        reply.body["data"] = TrafficGenerator::toData(aircraft);
        reply.aircraft = describe(aircraft, -1);
        if (strict)
        {
            addDocumentedFields(reply.body, m_generator.liveTraffic(t).size(), t, "dataepoch");
        }
        return reply;
    }
    json data = json::object();
    for (long long k = 0; k < *bufferCount; ++k)
    {
        std::vector<LiveAircraft> aircraft =
            m_generator.liveTraffic(t - static_cast<double>(k * *bufferTime), box, bad);
        if (strict)
        {
            documented(aircraft);
        }
        data[fmt::format("buffer_{}", k)] = TrafficGenerator::toData(aircraft);
        std::vector<SentAircraft> sent = describe(aircraft, static_cast<int>(k));
        reply.aircraft.insert(reply.aircraft.end(), sent.begin(), sent.end());
    }
    reply.body["data"] = std::move(data);
    if (strict)
    {
        addDocumentedFields(reply.body, m_generator.liveTraffic(t).size(), t, "endepoch");
    }
    return reply;
}

ServiceReply ServiceCore::nearestMetar(const FormFields& fields, double now)
{
    Session* s = session(fields, now);
    if (s == nullptr)
    {
        return unknownSession();
    }
    if (tooFarBack(fields, m_scenario.strict))
    {
        return refusal(407);
    }
    const std::optional<double> lat = decimal(fields, "lat");
    const std::optional<double> lon = decimal(fields, "lon");
    const std::optional<long long> minutes = timeOffset(fields);
    if (!lat || !lon || !minutes || !isLatitude(*lat) || !isLongitude(*lon))
    {
        return parameterFault();
    }
    const LatLon here{*lat, *lon};
    std::vector<std::pair<double, const MetarStation*>> near;
    for (const MetarStation& st : m_scenario.stations)
    {
        const double d = distanceNm(here, st.pos);
        if (d <= m_scenario.metarRadiusNm)
        {
            near.emplace_back(d, &st);
        }
    }
    std::sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const double t = now - static_cast<double>(*minutes) * 60.0;
    json data = json::array();
    for (std::size_t i = 0; i < near.size() && i < kMaxStations; ++i)
    {
        const MetarStation& st = *near[i].second;
        data.push_back(json{{"ICAO", st.icao},
                            {"Dist", std::round(near[i].first * 10.0) / 10.0},
                            {"BrgTo", std::round(bearingDeg(here, st.pos))},
                            {"METAR", metar(st.icao, t)}});
    }
    if (!m_scenario.strict)
    {
        return {json{{"status", 200}, {"data", std::move(data)}}, {}};
    }
    // Documented: rate-limited together with the weather, and a message.
    if (std::optional<ServiceReply> refused =
            rateLimit(s->lastWeather, now, m_scenario.wrrl, "wrrl", "weather"))
    {
        return *refused;
    }
    return {json{{"status", 200}, {"message", "OK"}, {"wrrl", m_scenario.wrrl}, {"data", std::move(data)}},
            {}};
}

ServiceReply ServiceCore::weather(const FormFields& fields, double now)
{
    Session* s = session(fields, now);
    if (s == nullptr)
    {
        return unknownSession();
    }
    const std::optional<double> lat = decimal(fields, "lat");
    const std::optional<double> lon = decimal(fields, "lon");
    const std::optional<long long> alt = integer(fields, "alt");
    const std::optional<long long> minutes = timeOffset(fields);
    const std::optional<std::string> airports = formValue(fields, "airports");
    if (tooFarBack(fields, m_scenario.strict))
    {
        return refusal(407);
    }
    if (formValue(fields, "querytype") != "locwx" || !lat || !lon || !alt || *alt < 0 || !minutes ||
        !airports || !isLatitude(*lat) || !isLongitude(*lon))
    {
        return parameterFault();
    }
    if (std::optional<ServiceReply> refused =
            rateLimit(s->lastWeather, now, m_scenario.wrrl, "wrrl", "weather"))
    {
        return *refused;
    }
    const double t = now - static_cast<double>(*minutes) * 60.0;
    json data{{"ICAO", *airports}, {"QNH", json::parse(m_scenario.qnhJson)}};
    if (!airports->empty())
    {
        data["METAR"] = metar(*airports, t);
    }
    return {json{{"status", 200}, {"wrrl", m_scenario.wrrl}, {"data", std::move(data)}}, {}};
}

std::string ServiceCore::metar(const std::string& icao, double time) const
{
    // reports are issued at 20 and 50 minutes past the hour
    using namespace std::chrono;
    sys_time<minutes> at{minutes{static_cast<long long>(std::floor(time / 60.0))}};
    const auto sinceHour = (at - floor<hours>(at)).count();
    at -= minutes{sinceHour >= 50 ? sinceHour - 50 : (sinceHour >= 20 ? sinceHour - 20 : sinceHour + 10)};
    const sys_days day = floor<days>(at);
    const hh_mm_ss clock{at - day};
    const unsigned dayOfMonth = static_cast<unsigned>(year_month_day{day}.day());
    const auto temperature = [](double c)
    {
        const long v = std::lround(c);
        return v < 0 ? fmt::format("M{:02}", -v) : fmt::format("{:02}", v);
    };
    const long qnh = std::lround(std::floor(qnhHectopascal(json::parse(m_scenario.qnhJson))));
    return fmt::format("{} {:02}{:02}{:02}Z {:03}{:02}KT 9999 FEW035 {}/{} Q{:04} NOSIG", icao, dayOfMonth,
                       clock.hours().count(), clock.minutes().count(), std::lround(m_scenario.windDir) % 360,
                       std::lround(m_scenario.windKt), temperature(m_scenario.temperatureC),
                       temperature(m_scenario.temperatureC - 6.0), qnh);
}

} // namespace ovr::fakert
