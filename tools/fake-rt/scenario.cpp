#include "fake-rt/scenario.h"

#include "fake-rt/fault.h"
#include "fake-rt/fault_option.h"
#include "fake-rt/registration_pattern.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <stdexcept>

namespace ovr::fakert
{

namespace
{

using nlohmann::json;

[[noreturn]] void fail(std::string_view where, std::string_view what)
{
    throw std::runtime_error(fmt::format("scenario: {}: {}", where, what));
}

const json& member(const json& j, std::string_view where, const char* key)
{
    if (!j.is_object() || !j.contains(key))
    {
        fail(where, fmt::format("\"{}\" is missing", key));
    }
    return j.at(key);
}

double number(const json& j, std::string_view where, const char* key)
{
    const json& v = member(j, where, key);
    if (!v.is_number())
    {
        fail(where, fmt::format("\"{}\" must be a number", key));
    }
    return v.get<double>();
}

double number(const json& j, std::string_view where, const char* key, double fallback)
{
    return j.contains(key) ? number(j, where, key) : fallback;
}

int integer(const json& j, std::string_view where, const char* key, int fallback)
{
    if (!j.contains(key))
    {
        return fallback;
    }
    const json& v = j.at(key);
    if (!v.is_number_integer())
    {
        fail(where, fmt::format("\"{}\" must be an integer", key));
    }
    return v.get<int>();
}

std::string text(const json& j, std::string_view where, const char* key)
{
    const json& v = member(j, where, key);
    if (!v.is_string())
    {
        fail(where, fmt::format("\"{}\" must be a text", key));
    }
    return v.get<std::string>();
}

std::string text(const json& j, std::string_view where, const char* key, std::string fallback)
{
    return j.contains(key) ? text(j, where, key) : fallback;
}

std::vector<std::string> texts(const json& j, std::string_view where, const char* key)
{
    std::vector<std::string> out;
    if (!j.contains(key))
    {
        return out;
    }
    const json& v = j.at(key);
    if (!v.is_array())
    {
        fail(where, fmt::format("\"{}\" must be a list of texts", key));
    }
    for (const json& e : v)
    {
        if (!e.is_string())
        {
            fail(where, fmt::format("\"{}\" must be a list of texts", key));
        }
        out.push_back(e.get<std::string>());
    }
    return out;
}

const json& list(const json& j, const char* key)
{
    static const json empty = json::array();
    if (!j.contains(key))
    {
        return empty;
    }
    if (!j.at(key).is_array())
    {
        fail(key, "must be a list");
    }
    return j.at(key);
}

LatLon position(const json& j, std::string_view where)
{
    LatLon p{number(j, where, "lat"), number(j, where, "lon")};
    if (p.lat < -90.0 || p.lat > 90.0 || p.lon < -180.0 || p.lon > 180.0)
    {
        fail(where, "position out of range");
    }
    return p;
}

Airport readAirport(const json& j)
{
    Airport a;
    a.icao = text(j, "airport", "icao");
    a.iata = text(j, "airport", "iata");
    a.pos = position(j, "airport");
    a.elevationFt = number(j, "airport", "elevation_ft", 0.0);
    if (a.iata.size() != 3)
    {
        fail("airport", "\"iata\" must have three letters");
    }
    return a;
}

Operator readOperator(const json& j)
{
    Operator op;
    op.icao = text(j, "fleet", "icao");
    const std::string where = "fleet " + op.icao;
    op.iata = text(j, where, "iata", "");
    op.weight = number(j, where, "weight", 1.0);
    if (j.contains("flight_numbers"))
    {
        const json& range = j.at("flight_numbers");
        if (!range.is_array() || range.size() != 2 || !range[0].is_number_integer() ||
            !range[1].is_number_integer() || range[0].get<int>() < 1 ||
            range[1].get<int>() < range[0].get<int>() || range[1].get<int>() > 9999)
        {
            fail(where, "\"flight_numbers\" must be [first, last] within 1..9999");
        }
        op.firstFlightNumber = range[0].get<int>();
        op.lastFlightNumber = range[1].get<int>();
    }
    op.routes = texts(j, where, "routes");
    for (const std::string& r : op.routes)
    {
        if (r.size() != 3)
        {
            fail(where, fmt::format("route \"{}\" is not a three-letter code", r));
        }
    }
    if (op.routes.size() < 2)
    {
        fail(where, "needs at least two routes");
    }
    for (const json& a : list(j, "aircraft"))
    {
        FleetType t;
        t.type = text(a, where, "type");
        t.registration = text(a, where, "registration");
        t.category = text(a, where, "category", "A3");
        t.weight = number(a, where, "weight", 1.0);
        if (t.type.empty() || t.type.size() > 4)
        {
            fail(where, fmt::format("type \"{}\" is not a type designator", t.type));
        }
        if (!isRegistrationPattern(t.registration))
        {
            fail(where, fmt::format("registration pattern \"{}\"", t.registration));
        }
        op.aircraft.push_back(std::move(t));
    }
    if (op.aircraft.empty())
    {
        fail(where, "has no aircraft");
    }
    if (op.icao.size() != 3)
    {
        fail(where, "\"icao\" must have three letters");
    }
    return op;
}

} // namespace

Scenario::Scenario() = default;
Scenario::Scenario(const Scenario&) = default;
Scenario::Scenario(Scenario&&) noexcept = default;
Scenario& Scenario::operator=(const Scenario&) = default;
Scenario& Scenario::operator=(Scenario&&) noexcept = default;
Scenario::~Scenario() = default;

const Runway* Scenario::runway(std::string_view wanted) const
{
    for (const Runway& r : runways)
    {
        if (r.name == wanted)
        {
            return &r;
        }
    }
    return nullptr;
}

const Stand* Scenario::stand(std::string_view wanted) const
{
    for (const Stand& s : stands)
    {
        if (s.name == wanted)
        {
            return &s;
        }
    }
    return nullptr;
}

Scenario parseScenario(const json& j, double now)
{
    if (!j.is_object())
    {
        fail("file", "must hold a JSON object");
    }
    Scenario s;
    s.name = text(j, "scenario", "name", "");
    if (j.contains("strict"))
    {
        if (!j.at("strict").is_boolean())
        {
            fail("scenario", "\"strict\" must be true or false");
        }
        s.strict = j.at("strict").get<bool>();
    }
    if (s.strict)
    {
        s.sessionTimeoutS = kStrictSessionTimeoutS;
    }
    for (const json& f : list(j, "faults"))
    {
        try
        {
            s.faults.push_back(faultFromJson(f));
        }
        catch (const std::exception& e)
        {
            fail("faults", e.what());
        }
    }
    s.airport = readAirport(member(j, "scenario", "airport"));

    for (const json& r : list(j, "runways"))
    {
        Runway rw;
        rw.name = text(r, "runway", "name");
        const std::string where = "runway " + rw.name;
        rw.threshold = position(r, where);
        rw.headingTrue = number(r, where, "heading");
        rw.lengthM = number(r, where, "length_m");
        rw.elevationFt = number(r, where, "elevation_ft", s.airport.elevationFt);
        rw.noTypes = texts(r, where, "no_types");
        if (rw.lengthM < 500.0)
        {
            fail(where, "\"length_m\" below 500");
        }
        s.runways.push_back(std::move(rw));
    }
    if (j.contains("runways_in_use"))
    {
        const json& use = j.at("runways_in_use");
        s.arrivalRunways = texts(use, "runways_in_use", "arrivals");
        s.departureRunways = texts(use, "runways_in_use", "departures");
    }
    for (const std::string& name : s.arrivalRunways)
    {
        if (s.runway(name) == nullptr)
        {
            fail("runways_in_use", fmt::format("unknown runway \"{}\"", name));
        }
    }
    for (const std::string& name : s.departureRunways)
    {
        if (s.runway(name) == nullptr)
        {
            fail("runways_in_use", fmt::format("unknown runway \"{}\"", name));
        }
    }

    std::set<std::string> standNames;
    for (const json& st : list(j, "stands"))
    {
        Stand stand;
        stand.name = text(st, "stand", "name");
        stand.pos = position(st, "stand " + stand.name);
        stand.headingTrue = number(st, "stand " + stand.name, "heading", 0.0);
        if (!standNames.insert(stand.name).second)
        {
            fail("stands", fmt::format("stand \"{}\" twice", stand.name));
        }
        s.stands.push_back(std::move(stand));
    }

    if (j.contains("service"))
    {
        const json& svc = j.at("service");
        s.server = text(svc, "service", "server", s.server);
        s.rrl = integer(svc, "service", "rrl", s.rrl);
        s.wrrl = integer(svc, "service", "wrrl", s.wrrl);
        s.sessionTimeoutS = number(svc, "service", "session_timeout_s", s.sessionTimeoutS);
    }
    std::set<std::string> licences;
    for (const json& a : list(j, "accounts"))
    {
        Account acc;
        acc.license = text(a, "account", "license");
        acc.type = integer(a, "account", "type", 1);
        if (a.contains("expiry"))
        {
            acc.expiry = number(a, "account", "expiry");
        }
        else
        {
            acc.expiry = now + 86400.0 * number(a, "account", "expires_in_days", 365.0);
        }
        acc.server = text(a, "account", "server", s.server);
        if (acc.type != 1 && acc.type != 2)
        {
            fail("account", "\"type\" must be 1 or 2");
        }
        if (!licences.insert(acc.license).second)
        {
            fail("accounts", "a licence appears twice");
        }
        s.accounts.push_back(std::move(acc));
    }

    if (j.contains("weather"))
    {
        const json& w = j.at("weather");
        if (w.contains("qnh"))
        {
            s.qnhJson = w.at("qnh").dump();
        }
        s.windDir = number(w, "weather", "wind_dir", s.windDir);
        s.windKt = number(w, "weather", "wind_kt", s.windKt);
        s.temperatureC = number(w, "weather", "temperature_c", s.temperatureC);
        s.metarRadiusNm = number(w, "weather", "metar_radius_nm", s.metarRadiusNm);
        for (const json& st : list(w, "stations"))
        {
            const std::string icao = text(st, "station", "icao");
            s.stations.push_back({icao, position(st, "station " + icao)});
        }
    }

    for (const json& p : list(j, "parked"))
    {
        ParkedAircraft pa;
        pa.hex = text(p, "parked", "hex");
        const std::string where = "parked " + pa.hex;
        pa.stand = text(p, where, "stand");
        pa.type = text(p, where, "type");
        pa.registration = text(p, where, "registration", "");
        pa.callsign = text(p, where, "callsign", "");
        pa.seenMinutesAgo = number(p, where, "seen_minutes_ago", 0.0);
        if (s.stand(pa.stand) == nullptr)
        {
            fail(where, fmt::format("unknown stand \"{}\"", pa.stand));
        }
        s.parked.push_back(std::move(pa));
    }

    if (j.contains("traffic"))
    {
        const json& t = j.at("traffic");
        if (t.contains("seed"))
        {
            if (!t.at("seed").is_number_unsigned())
            {
                fail("traffic", "\"seed\" must be a non-negative integer");
            }
            s.traffic.seed = t.at("seed").get<std::uint64_t>();
        }
        s.traffic.aircraft = integer(t, "traffic", "aircraft", s.traffic.aircraft);
        s.traffic.parkedGenerated = integer(t, "traffic", "parked_generated", s.traffic.parkedGenerated);
        s.traffic.badEntries = integer(t, "traffic", "bad_entries", s.traffic.badEntries);
        if (t.contains("airborne_only"))
        {
            if (!t.at("airborne_only").is_boolean())
            {
                fail("traffic", "\"airborne_only\" must be true or false");
            }
            s.traffic.airborneOnly = t.at("airborne_only").get<bool>();
        }
    }
    for (const json& op : list(j, "fleet"))
    {
        s.fleet.push_back(readOperator(op));
    }
    s.tracksEpoch = j.contains("tracks_epoch") && j.at("tracks_epoch") == "start"
                        ? now
                        : number(j, "tracks_epoch", "tracks_epoch", 0.0);
    for (const json& tj : list(j, "tracks"))
    {
        Track tr;
        tr.hex = text(tj, "tracks", "hex");
        const std::string where = "track " + tr.hex;
        tr.callsign = text(tj, where, "callsign", "");
        tr.type = text(tj, where, "type");
        tr.registration = text(tj, where, "registration", "");
        tr.origin = text(tj, where, "origin", "");
        tr.destination = text(tj, where, "destination", "");
        tr.category = text(tj, where, "category", tr.category);
        for (const json& pj : list(tj, "points"))
        {
            TrackPoint point;
            point.t = number(pj, where, "t");
            point.pos = position(pj, where);
            point.altitudeFt = number(pj, where, "alt_ft", 0.0);
            point.groundSpeedKt = number(pj, where, "gs_kt", 0.0);
            point.onGround = point.altitudeFt <= 0.0;
            if (pj.contains("on_ground"))
            {
                if (!pj.at("on_ground").is_boolean())
                {
                    fail(where, "\"on_ground\" must be true or false");
                }
                point.onGround = pj.at("on_ground").get<bool>();
            }
            if (!tr.points.empty() && point.t <= tr.points.back().t)
            {
                fail(where, "points must follow each other in time");
            }
            tr.points.push_back(point);
        }
        if (tr.points.size() < 2)
        {
            fail(where, "a track needs two points");
        }
        tr.intervalS = number(tj, where, "interval_s", 0.0);
        if (tr.intervalS < 0.0)
        {
            fail(where, "\"interval_s\" must not be negative");
        }
        for (const json& gj : list(tj, "gaps"))
        {
            if (!gj.is_array() || gj.size() != 2 || !gj[0].is_number() || !gj[1].is_number())
            {
                fail(where, "a gap is [from, to] in seconds");
            }
            tr.gaps.emplace_back(gj[0].get<double>(), gj[1].get<double>());
        }
        for (const json& jj : list(tj, "jumps"))
        {
            tr.jumps.push_back(
                TrackJump{number(jj, where, "from"), number(jj, where, "to"), number(jj, where, "right_nm")});
        }
        if (tj.contains("vertical_rate"))
        {
            if (!tj.at("vertical_rate").is_boolean())
            {
                fail(where, "\"vertical_rate\" must be true or false");
            }
            tr.verticalRate = tj.at("vertical_rate").get<bool>();
        }
        s.tracks.push_back(std::move(tr));
    }
    if (s.traffic.aircraft > 0 || s.traffic.parkedGenerated > 0)
    {
        if (s.fleet.empty())
        {
            fail("fleet", "traffic needs at least one operator");
        }
        if (s.arrivalRunways.empty() || s.departureRunways.empty())
        {
            fail("runways_in_use", "traffic needs arrival and departure runways");
        }
        if (s.stands.size() < 2)
        {
            fail("stands", "traffic needs at least two stands");
        }
    }
    return s;
}

Scenario loadScenario(const std::filesystem::path& file, double now)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
    {
        throw std::runtime_error(fmt::format("scenario: cannot open {}", file.string()));
    }
    json j;
    try
    {
        j = json::parse(in);
    }
    catch (const json::exception& e)
    {
        throw std::runtime_error(fmt::format("scenario: {} is not valid JSON: {}", file.string(), e.what()));
    }
    return parseScenario(j, now);
}

double qnhHectopascal(const json& qnh)
{
    double value = 1013.25;
    if (qnh.is_number())
    {
        value = qnh.get<double>();
    }
    else if (qnh.is_string())
    {
        const std::string t = qnh.get<std::string>();
        std::size_t i = (!t.empty() && t[0] == '-') ? 1 : 0;
        const std::size_t digits = i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        {
            ++i;
        }
        if (i == digits || i - digits > 6)
        {
            return 1013.25;
        }
        value = std::stod(t.substr(0, i));
    }
    else
    {
        return 1013.25;
    }
    if (value >= 1101.0)
    {
        value *= 0.33865307;
    }
    return value;
}

} // namespace ovr::fakert
