#include "platform/simconnect/scenario_json.h"

#include "platform/simconnect/geo.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <stdexcept>
#include <string_view>

namespace ovr::sim
{
namespace
{

using nlohmann::json;

using detail::kDegree;
using detail::kEarthRadiusM;

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    throw std::runtime_error(where + ": " + what);
}

// One JSON object of the scenario: values are taken by key, and finish()
// refuses keys that nothing took.
class Obj
{
  public:
    Obj(const json& j, std::string where) : j_(j), where_(std::move(where))
    {
        if (!j_.is_object())
        {
            fail(where_.empty() ? "the scenario" : where_, "expected an object");
        }
    }

    bool has(const char* key) const { return j_.contains(key); }

    const json* take(const char* key)
    {
        const auto it = j_.find(key);
        if (it == j_.end())
        {
            return nullptr;
        }
        taken_.insert(key);
        return &*it;
    }

    double number(const char* key, double fallback)
    {
        const json* v = take(key);
        if (v == nullptr)
        {
            return fallback;
        }
        if (!v->is_number() || !std::isfinite(v->get<double>()))
        {
            fail(at(key), "expected a number");
        }
        return v->get<double>();
    }

    std::int64_t integer(const char* key, std::int64_t fallback, std::int64_t min, std::int64_t max)
    {
        const json* v = take(key);
        if (v == nullptr)
        {
            return fallback;
        }
        if (!v->is_number_integer())
        {
            fail(at(key), "expected a whole number");
        }
        const auto n = v->get<std::int64_t>();
        if (n < min || n > max ||
            (v->is_number_unsigned() && v->get<std::uint64_t>() > static_cast<std::uint64_t>(max)))
        {
            fail(at(key), "out of range " + std::to_string(min) + ".." + std::to_string(max));
        }
        return n;
    }

    bool boolean(const char* key, bool fallback)
    {
        const json* v = take(key);
        if (v == nullptr)
        {
            return fallback;
        }
        if (!v->is_boolean())
        {
            fail(at(key), "expected true or false");
        }
        return v->get<bool>();
    }

    std::string text(const char* key, const std::string& fallback)
    {
        const json* v = take(key);
        if (v == nullptr)
        {
            return fallback;
        }
        if (!v->is_string())
        {
            fail(at(key), "expected a text");
        }
        return v->get<std::string>();
    }

    // An array of objects, each read by fn(Obj&).
    template <class Fn> void each(const char* key, Fn&& fn)
    {
        const json* v = take(key);
        if (v == nullptr)
        {
            return;
        }
        if (!v->is_array())
        {
            fail(at(key), "expected a list");
        }
        for (std::size_t i = 0; i < v->size(); ++i)
        {
            Obj item((*v)[i], at(key) + "[" + std::to_string(i) + "]");
            fn(item);
            item.finish();
        }
    }

    // A nested object read by fn(Obj&), when present.
    template <class Fn> void nested(const char* key, Fn&& fn)
    {
        const json* v = take(key);
        if (v == nullptr)
        {
            return;
        }
        Obj item(*v, at(key));
        fn(item);
        item.finish();
    }

    void finish() const
    {
        for (const auto& [key, value] : j_.items())
        {
            if (taken_.count(key) == 0)
            {
                fail(at(key.c_str()), "unknown key");
            }
        }
    }

    std::string at(const char* key) const { return where_.empty() ? key : where_ + "." + key; }

  private:
    const json& j_;
    std::string where_;
    std::set<std::string> taken_;
};

constexpr std::int64_t kDwordMax = 0xFFFFFFFF;
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// The functions whose calls a scenario can make fail.
constexpr std::string_view kCalls[] = {
    "SimConnect_Open",
    "SimConnect_Close",
    "SimConnect_CallDispatch",
    "SimConnect_GetLastSentPacketID",
    "SimConnect_RequestSystemState",
    "SimConnect_SubscribeToSystemEvent",
    "SimConnect_MapClientEventToSimEvent",
    "SimConnect_AddClientEventToNotificationGroup",
    "SimConnect_SetNotificationGroupPriority",
    "SimConnect_TransmitClientEvent",
    "SimConnect_AddToDataDefinition",
    "SimConnect_RequestDataOnSimObject",
    "SimConnect_RequestDataOnSimObjectType",
    "SimConnect_SetDataOnSimObject",
    "SimConnect_AICreateNonATCAircraft",
    "SimConnect_AIRemoveObject",
    "SimConnect_AIReleaseControl",
    "SimConnect_AISetAircraftFlightPlan",
    "SimConnect_AddToFacilityDefinition",
    "SimConnect_RequestFacilityData",
};

std::int64_t toMs(double seconds)
{
    return std::llround(seconds * 1000.0);
}

Pose readPose(Obj& o, const Pose& fallback = {})
{
    Pose p = fallback;
    p.latDeg = o.number("lat", p.latDeg);
    p.lonDeg = o.number("lon", p.lonDeg);
    if (o.has("alt_ft"))
    {
        p.altFt = o.number("alt_ft", 0.0);
    }
    p.pitchDeg = o.number("pitch_deg", p.pitchDeg);
    p.bankDeg = o.number("bank_deg", p.bankDeg);
    p.headingDeg = o.number("heading_deg", p.headingDeg);
    p.groundSpeedKt = o.number("ground_speed_kt", p.groundSpeedKt);
    p.airspeedKt = o.number("airspeed_kt", p.airspeedKt);
    p.verticalSpeedFps = o.number("vertical_speed_fps", p.verticalSpeedFps);
    // An aircraft given an altitude is in the air unless it says otherwise.
    p.onGround = o.boolean("on_ground", !p.altFt.has_value());
    return p;
}

ForeignAircraft readForeign(Obj& o)
{
    ForeignAircraft f;
    if (o.has("object_id"))
    {
        f.objectId = static_cast<DWORD>(o.integer("object_id", 0, 1, kDwordMax));
    }
    f.title = o.text("title", f.title);
    f.atcModel = o.text("atc_model", f.atcModel);
    f.atcId = o.text("atc_id", f.atcId);
    f.pose = readPose(o);
    return f;
}

// A name from the simulator's list, or its number.
std::int32_t enumValue(Obj& o, const char* key, std::int32_t fallback,
                       const std::vector<std::pair<std::string, std::int32_t>>& names)
{
    const json* v = o.take(key);
    if (v == nullptr)
    {
        return fallback;
    }
    if (v->is_number_integer())
    {
        return static_cast<std::int32_t>(v->get<std::int64_t>());
    }
    if (v->is_string())
    {
        for (const auto& [name, value] : names)
        {
            if (name == v->get<std::string>())
            {
                return value;
            }
        }
    }
    fail(o.at(key), "expected a number or one of the simulator's names");
}

std::vector<std::pair<std::string, std::int32_t>> parkingNames()
{
    std::vector<std::pair<std::string, std::int32_t>> names{
        {"NONE", 0},      {"PARKING", 1},    {"N_PARKING", 2}, {"NE_PARKING", 3},
        {"E_PARKING", 4}, {"SE_PARKING", 5}, {"S_PARKING", 6}, {"SW_PARKING", 7},
        {"W_PARKING", 8}, {"NW_PARKING", 9}, {"GATE", 10},     {"DOCK", 11}};
    for (char c = 'A'; c <= 'Z'; ++c)
    {
        names.emplace_back(std::string("GATE_") + c, 12 + (c - 'A'));
    }
    return names;
}

const std::vector<std::pair<std::string, std::int32_t>>& parkingTypes()
{
    static const std::vector<std::pair<std::string, std::int32_t>> types{
        {"NONE", 0},          {"RAMP_GA", 1},     {"RAMP_GA_SMALL", 2},  {"RAMP_GA_MEDIUM", 3},
        {"RAMP_GA_LARGE", 4}, {"RAMP_CARGO", 5},  {"RAMP_MIL_CARGO", 6}, {"RAMP_MIL_COMBAT", 7},
        {"GATE_SMALL", 8},    {"GATE_MEDIUM", 9}, {"GATE_HEAVY", 10},    {"DOCK_GA", 11},
        {"FUEL", 12},         {"VEHICLES", 13},   {"RAMP_GA_EXTRA", 14}, {"GATE_EXTRA", 15}};
    return types;
}

TaxiParking readParking(Obj& o, const AirportFacility& airport)
{
    static const auto names = parkingNames();
    TaxiParking p;
    p.name = enumValue(o, "name", p.name, names);
    p.type = enumValue(o, "type", p.type, parkingTypes());
    p.number = static_cast<DWORD>(o.integer("number", 0, 0, kDwordMax));
    p.suffix = static_cast<std::int32_t>(o.integer("suffix", 0, kInt32Min, kInt32Max));
    p.taxiPointType = static_cast<std::int32_t>(o.integer("taxi_point_type", 0, kInt32Min, kInt32Max));
    p.orientation = static_cast<std::int32_t>(o.integer("orientation", 0, kInt32Min, kInt32Max));
    p.headingDeg = static_cast<float>(o.number("heading_deg", 0.0));
    p.radiusM = static_cast<float>(o.number("radius_m", 0.0));
    // A parking is placed either by its offsets from the airport's reference
    // point, as the simulator stores it, or by its position.
    if (o.has("lat") || o.has("lon"))
    {
        const double lat = o.number("lat", airport.latDeg);
        const double lon = o.number("lon", airport.lonDeg);
        p.biasXM = static_cast<float>((lon - airport.lonDeg) * kDegree * kEarthRadiusM *
                                      std::cos(airport.latDeg * kDegree));
        p.biasZM = static_cast<float>((lat - airport.latDeg) * kDegree * kEarthRadiusM);
    }
    else
    {
        p.biasXM = static_cast<float>(o.number("bias_x_m", 0.0));
        p.biasZM = static_cast<float>(o.number("bias_z_m", 0.0));
    }
    return p;
}

Helipad readHelipad(Obj& o)
{
    Helipad h;
    h.latDeg = o.number("lat", 0.0);
    h.lonDeg = o.number("lon", 0.0);
    h.altM = o.number("alt_m", 0.0);
    h.headingDeg = static_cast<float>(o.number("heading_deg", 0.0));
    h.lengthM = static_cast<float>(o.number("length_m", 0.0));
    h.widthM = static_cast<float>(o.number("width_m", 0.0));
    h.surface = static_cast<std::int32_t>(o.integer("surface", 0, kInt32Min, kInt32Max));
    h.type = static_cast<std::int32_t>(o.integer("type", 0, kInt32Min, kInt32Max));
    return h;
}

ScriptedAction readAction(Obj& o)
{
    const std::string kind = o.text("kind", "");
    if (kind == "quit")
    {
        return script::Quit{};
    }
    if (kind == "available")
    {
        return script::Available{o.boolean("value", true)};
    }
    if (kind == "flight_loaded")
    {
        return script::FlightLoaded{};
    }
    if (kind == "running")
    {
        return script::Running{o.boolean("value", true)};
    }
    if (kind == "teleport")
    {
        return script::Teleport{readPose(o)};
    }
    if (kind == "move")
    {
        const std::int64_t duration = toMs(o.number("duration_s", 0.0));
        return script::Move{readPose(o), duration};
    }
    if (kind == "add_foreign")
    {
        ForeignAircraft f;
        o.nested("aircraft", [&](Obj& a) { f = readForeign(a); });
        return script::AddForeign{f};
    }
    if (kind == "remove_foreign")
    {
        return script::RemoveForeign{static_cast<DWORD>(o.integer("object_id", 0, 0, kDwordMax))};
    }
    if (kind == "fail_calls")
    {
        const std::string call = o.text("call", "");
        if (std::find(std::begin(kCalls), std::end(kCalls), call) == std::end(kCalls))
        {
            fail(o.at("call"), "not a SimConnect function: '" + call + "'");
        }
        return script::FailCalls{call, static_cast<int>(o.integer("count", 1, 0, kInt32Max))};
    }
    if (kind == "stall")
    {
        return script::Stall{toMs(o.number("duration_s", 0.0))};
    }
    if (kind == "exception")
    {
        return script::RaiseException{static_cast<DWORD>(o.integer("exception", 0, 0, kDwordMax)),
                                      static_cast<DWORD>(o.integer("send_id", 0, 0, kDwordMax)),
                                      static_cast<DWORD>(o.integer("index", 0, 0, kDwordMax)),
                                      o.text("client", "")};
    }
    fail(o.at("kind"), "unknown event '" + kind + "'");
}

} // namespace

Scenario scenarioFromJson(const json& j)
{
    Scenario s;
    Obj root(j, "");
    s.available = root.boolean("available", s.available);
    root.nested(
        "application",
        [&](Obj& a)
        {
            s.applicationName = a.text("name", s.applicationName);
            if (const json* v = a.take("version"))
            {
                if (!v->is_array() || v->size() != 4 ||
                    !std::all_of(v->begin(), v->end(), [](const json& n) { return n.is_number_unsigned(); }))
                {
                    fail(a.at("version"), "expected four whole numbers");
                }
                for (std::size_t i = 0; i < 4; ++i)
                {
                    s.version[i] = static_cast<DWORD>((*v)[i].get<std::uint64_t>());
                }
            }
        });
    s.running = root.boolean("running", s.running);
    // "strict": true is the real simulator's behaviour; an object starts
    // from it and changes single items.
    bool strict = false;
    if (const json* v = root.take("strict"))
    {
        if (v->is_boolean())
        {
            strict = v->get<bool>();
            if (strict)
            {
                s.strictness = Strictness::strict();
            }
        }
        else
        {
            strict = true;
            s.strictness = Strictness::strict();
            Obj st(*v, "strict");
            Strictness& t = s.strictness;
            t.simOnSubscribe = st.boolean("sim_on_subscribe", t.simOnSubscribe);
            t.atcIdChars = static_cast<std::size_t>(
                st.integer("atc_id_chars", static_cast<std::int64_t>(t.atcIdChars), 1, 31));
            const std::int64_t first =
                st.integer("first_ai_object_id", t.firstAiObjectId.value_or(0), 0, kDwordMax);
            t.firstAiObjectId = first > 0 ? std::optional<DWORD>(static_cast<DWORD>(first)) : std::nullopt;
            t.dispatchFailEvery =
                static_cast<int>(st.integer("dispatch_fail_every", t.dispatchFailEvery, 0, kInt32Max));
            t.aiControl = st.boolean("ai_control", t.aiControl);
            t.variableFrameRate = st.boolean("variable_frame_rate", t.variableFrameRate);
            t.loadStallMs = toMs(st.number("load_stall_s", static_cast<double>(t.loadStallMs) / 1000.0));
            st.finish();
        }
    }
    if (const std::string as = root.text("flight_loaded_as", "filename"); as == "event" || as == "filename")
    {
        s.flightLoadedAsEvent = as == "event";
    }
    else
    {
        fail("flight_loaded_as", "expected \"filename\" or \"event\"");
    }
    s.flightFile = root.text("flight_file", s.flightFile);

    bool userIdGiven = false;
    root.nested("user",
                [&](Obj& u)
                {
                    userIdGiven = u.has("object_id");
                    s.user.objectId =
                        static_cast<DWORD>(u.integer("object_id", s.user.objectId, 1, kDwordMax));
                    s.user.title = u.text("title", s.user.title);
                    s.user.atcModel = u.text("atc_model", s.user.atcModel);
                    s.user.atcId = u.text("atc_id", s.user.atcId);
                    s.user.lights =
                        static_cast<std::uint32_t>(u.integer("lights", s.user.lights, 0, kDwordMax));
                    u.each("path",
                           [&](Obj& p)
                           {
                               const std::int64_t at = toMs(p.number("t_s", 0.0));
                               s.user.path.push_back(PathPoint{at, readPose(p)});
                           });
                    s.user.pose = readPose(u);
                });
    if (strict && s.strictness.firstAiObjectId && !userIdGiven)
    {
        s.user.objectId = kStrictUserObjectId;
    }
    for (std::size_t i = 1; i < s.user.path.size(); ++i)
    {
        if (s.user.path[i].atMs <= s.user.path[i - 1].atMs)
        {
            fail("user.path", "the times must increase");
        }
    }

    root.nested("terrain",
                [&](Obj& t)
                {
                    s.terrain.elevationFt = t.number("elevation_ft", 0.0);
                    t.each("discs",
                           [&](Obj& d)
                           {
                               s.terrain.discs.push_back(
                                   ElevationDisc{d.number("lat", 0.0), d.number("lon", 0.0),
                                                 d.number("radius_m", 0.0), d.number("elevation_ft", 0.0)});
                           });
                });

    root.nested("installed",
                [&](Obj& in)
                {
                    s.installed.acceptAll = in.boolean("accept_all", s.installed.acceptAll);
                    s.installed.defaultCgHeightFt =
                        in.number("default_cg_height_ft", s.installed.defaultCgHeightFt);
                    s.installed.defaultPitchDeg = in.number("default_pitch_deg", s.installed.defaultPitchDeg);
                    in.each("titles",
                            [&](Obj& t)
                            {
                                InstalledTitle title;
                                title.title = t.text("title", "");
                                title.atcModel = t.text("atc_model", "");
                                title.cgHeightFt = t.number("cg_height_ft", s.installed.defaultCgHeightFt);
                                title.pitchDeg = t.number("pitch_deg", s.installed.defaultPitchDeg);
                                s.installed.titles.push_back(title);
                            });
                });

    s.objectCap = static_cast<std::size_t>(
        root.integer("object_cap", static_cast<std::int64_t>(s.objectCap), 0, kInt32Max));
    s.createDelayFrames =
        static_cast<int>(root.integer("create_delay_frames", s.createDelayFrames, 1, kInt32Max));
    s.removeDelayFrames =
        static_cast<int>(root.integer("remove_delay_frames", s.removeDelayFrames, 1, kInt32Max));
    s.closeRemovesObjects = root.boolean("close_removes_objects", s.closeRemovesObjects);

    root.nested("zulu",
                [&](Obj& z)
                {
                    s.zuluYear = static_cast<int>(z.integer("year", s.zuluYear, 1, 9999));
                    s.zuluDayOfYear = static_cast<int>(z.integer("day_of_year", s.zuluDayOfYear, 1, 366));
                    s.zuluSeconds = z.number("seconds", s.zuluSeconds);
                    if (s.zuluSeconds < 0.0 || s.zuluSeconds >= 86400.0)
                    {
                        fail("zulu.seconds", "out of range 0..86399");
                    }
                });

    root.each("foreign", [&](Obj& f) { s.foreign.push_back(readForeign(f)); });

    root.each("airports",
              [&](Obj& a)
              {
                  AirportFacility airport;
                  airport.icao = a.text("icao", "");
                  airport.name = a.text("name", "");
                  airport.latDeg = a.number("lat", 0.0);
                  airport.lonDeg = a.number("lon", 0.0);
                  airport.altM = a.number("alt_m", 0.0);
                  if (airport.icao.empty())
                  {
                      fail(a.at("icao"), "missing");
                  }
                  a.each("parkings", [&](Obj& p) { airport.parkings.push_back(readParking(p, airport)); });
                  a.each("helipads", [&](Obj& h) { airport.helipads.push_back(readHelipad(h)); });
                  s.airports.push_back(std::move(airport));
              });

    root.each("events",
              [&](Obj& e)
              {
                  const std::int64_t at = toMs(e.number("at_s", 0.0));
                  s.events.push_back(ScriptedEvent{at, readAction(e)});
              });

    root.finish();
    return s;
}

Scenario loadScenarioFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        throw std::runtime_error("scenario " + path.string() + ": cannot be read");
    }
    try
    {
        return scenarioFromJson(json::parse(in));
    }
    catch (const std::exception& e)
    {
        throw std::runtime_error("scenario " + path.string() + ": " + e.what());
    }
}

} // namespace ovr::sim
