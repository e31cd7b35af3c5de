// sim-probe: plays a stand-in simulator scenario for some seconds of world
// time as a small SimConnect client would see it (subscribed to the system
// events, asking for the user aircraft and the aircraft around it once a
// second), prints every record it receives, runs of Frame events as one line,
// and ends with the table of the simulator's objects.
//
//   sim-probe [--scenario FILE] [--seconds N]
//
// Without a scenario file it plays the built-in scenario. The world runs on
// the manual clock, so the output is the same on every run. VORA_SIM_TRACE
// names a file for the simulator's trace, as in a run of the program.
#include "platform/simconnect/scenario_json.h"
#include "platform/simconnect/simconnect.h"
#include "platform/simconnect/world.h"

#include <fmt/core.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

namespace
{

using namespace ovr::sim;

enum : DWORD
{
    kSim = 1,
    kObjectAdded,
    kObjectRemoved,
    kFlightLoaded,
    kFrame,
};
enum : DWORD
{
    kTitleDef = 1,
    kStateDef,
    kNearbyDef,
};
enum : DWORD
{
    kTitleReq = 1,
    kStateReq,
    kNearbyReq,
};
constexpr DWORD kNearbyRadiusM = 20000;
constexpr std::int64_t kStepMs = 100;

struct Probe
{
    World& world;
    HANDLE h = nullptr;
    int frames = 0; // a run of Frame events not yet printed
    bool quit = false;

    void flushFrames()
    {
        if (frames > 0)
        {
            fmt::print("{:9.3f}  Frame x{}\n", seconds(), frames);
            frames = 0;
        }
    }

    double seconds() const { return static_cast<double>(world.nowMs()) / 1000.0; }

    template <class... Args> void line(fmt::format_string<Args...> format, Args&&... args)
    {
        flushFrames();
        fmt::print("{:9.3f}  {}\n", seconds(), fmt::format(format, std::forward<Args>(args)...));
    }

    bool open()
    {
        if (SimConnect_Open(&h, "sim-probe", nullptr, 0, nullptr, 0) < 0)
        {
            line("open failed: the simulator is not available");
            h = nullptr;
            return false;
        }
        quit = false;
        SimConnect_SubscribeToSystemEvent(h, kSim, "Sim");
        SimConnect_SubscribeToSystemEvent(h, kObjectAdded, "ObjectAdded");
        SimConnect_SubscribeToSystemEvent(h, kObjectRemoved, "ObjectRemoved");
        SimConnect_SubscribeToSystemEvent(h, kFlightLoaded, "FlightLoaded");
        SimConnect_SubscribeToSystemEvent(h, kFrame, "Frame");
        SimConnect_AddToDataDefinition(h, kTitleDef, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV, 0.0F,
                                       SIMCONNECT_UNUSED);
        for (const char* var : {"PLANE LATITUDE", "PLANE LONGITUDE", "PLANE HEADING DEGREES TRUE"})
        {
            SimConnect_AddToDataDefinition(h, kStateDef, var, "degrees", SIMCONNECT_DATATYPE_FLOAT64, 0.0F,
                                           SIMCONNECT_UNUSED);
        }
        SimConnect_AddToDataDefinition(h, kStateDef, "PLANE ALTITUDE", "feet", SIMCONNECT_DATATYPE_FLOAT64,
                                       0.0F, SIMCONNECT_UNUSED);
        SimConnect_AddToDataDefinition(h, kStateDef, "SIM ON GROUND", "Bool", SIMCONNECT_DATATYPE_INT64, 0.0F,
                                       SIMCONNECT_UNUSED);
        SimConnect_AddToDataDefinition(h, kNearbyDef, "PLANE ALT ABOVE GROUND", "feet",
                                       SIMCONNECT_DATATYPE_FLOAT64, 0.0F, SIMCONNECT_UNUSED);
        SimConnect_AddToDataDefinition(h, kNearbyDef, "ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32, 0.0F,
                                       SIMCONNECT_UNUSED);
        SimConnect_RequestDataOnSimObject(h, kTitleReq, kTitleDef, SIMCONNECT_OBJECT_ID_USER,
                                          SIMCONNECT_PERIOD_ONCE, 0, 0, 0, 0);
        return true;
    }

    void everySecond()
    {
        if (h == nullptr || quit)
        {
            if (h != nullptr)
            {
                SimConnect_Close(h);
                h = nullptr;
            }
            open();
            return;
        }
        SimConnect_RequestDataOnSimObject(h, kStateReq, kStateDef, SIMCONNECT_OBJECT_ID_USER,
                                          SIMCONNECT_PERIOD_ONCE, 0, 0, 0, 0);
        SimConnect_RequestDataOnSimObjectType(h, kNearbyReq, kNearbyDef, kNearbyRadiusM,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }

    void dispatch()
    {
        if (h != nullptr)
        {
            SimConnect_CallDispatch(
                h,
                [](SIMCONNECT_RECV* r, DWORD size, void* self)
                { static_cast<Probe*>(self)->print(*r, size); },
                this);
        }
    }

    static std::string text(const char* p, std::size_t room) { return std::string(p, strnlen(p, room)); }

    static const char* eventName(DWORD id)
    {
        switch (id)
        {
        case kSim:
            return "Sim";
        case kObjectAdded:
            return "ObjectAdded";
        case kObjectRemoved:
            return "ObjectRemoved";
        case kFlightLoaded:
            return "FlightLoaded";
        default:
            return "event";
        }
    }

    void print(const SIMCONNECT_RECV& r, DWORD size)
    {
        constexpr std::size_t kDataAt = sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD);
        switch (r.dwID)
        {
        case SIMCONNECT_RECV_ID_EVENT_FRAME:
            ++frames;
            return;
        case SIMCONNECT_RECV_ID_OPEN:
        {
            const auto& o = static_cast<const SIMCONNECT_RECV_OPEN&>(r);
            line("OPEN {} {}.{}.{}.{}", text(o.szApplicationName, sizeof(o.szApplicationName)),
                 o.dwApplicationVersionMajor, o.dwApplicationVersionMinor, o.dwApplicationBuildMajor,
                 o.dwApplicationBuildMinor);
            return;
        }
        case SIMCONNECT_RECV_ID_QUIT:
            line("QUIT");
            quit = true;
            return;
        case SIMCONNECT_RECV_ID_EXCEPTION:
        {
            const auto& e = static_cast<const SIMCONNECT_RECV_EXCEPTION&>(r);
            line("EXCEPTION {} send id {} index {}", e.dwException, e.dwSendID, e.dwIndex);
            return;
        }
        case SIMCONNECT_RECV_ID_EVENT:
        {
            const auto& e = static_cast<const SIMCONNECT_RECV_EVENT&>(r);
            line("EVENT {} data {}", eventName(e.uEventID), e.dwData);
            return;
        }
        case SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE:
        {
            const auto& e = static_cast<const SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE&>(r);
            line("EVENT_OBJECT_ADDREMOVE {} object {} type {}", eventName(e.uEventID), e.dwData,
                 static_cast<DWORD>(e.eObjType));
            return;
        }
        case SIMCONNECT_RECV_ID_EVENT_FILENAME:
        {
            const auto& e = static_cast<const SIMCONNECT_RECV_EVENT_FILENAME&>(r);
            line("EVENT_FILENAME {} '{}'", eventName(e.uEventID), text(e.szFileName, sizeof(e.szFileName)));
            return;
        }
        case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
        case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
        {
            const auto& d = static_cast<const SIMCONNECT_RECV_SIMOBJECT_DATA&>(r);
            const auto* data = reinterpret_cast<const char*>(&r) + kDataAt;
            const std::size_t room = size - kDataAt;
            if (d.dwRequestID == kTitleReq)
            {
                line("user title '{}'", text(data, room));
            }
            else if (d.dwRequestID == kStateReq && room >= 40)
            {
                double v[4];
                std::int64_t onGround = 0;
                std::memcpy(v, data, sizeof(v));
                std::memcpy(&onGround, data + 32, sizeof(onGround));
                line("user object {} at {:.5f} {:.5f} heading {:.0f} altitude {:.0f} ft{}", d.dwObjectID,
                     v[0], v[1], v[2], v[3], onGround != 0 ? " on the ground" : "");
            }
            else if (d.dwRequestID == kNearbyReq && room >= 40)
            {
                double agl = 0.0;
                std::memcpy(&agl, data, sizeof(agl));
                line("nearby {}/{} object {} '{}' {:.0f} ft above ground", d.dwentrynumber, d.dwoutof,
                     d.dwObjectID, text(data + 8, 32), agl);
            }
            return;
        }
        default:
            line("record {} ({} bytes)", r.dwID, size);
        }
    }
};

void printObjects(const World& world)
{
    fmt::print("\n{:>6}  {:<4}  {:<12}  {:<32}  {:>10}  {:>10}  {:>7}  {:>4}  {}\n", "id", "user", "atc id",
               "title", "lat", "lon", "alt ft", "hdg", "owner");
    for (const ObjectState& o : world.objects())
    {
        fmt::print("{:>6}  {:<4}  {:<12}  {:<32}  {:>10.5f}  {:>10.5f}  {:>7.0f}  {:>4.0f}  {}\n", o.id,
                   o.user ? "yes" : "", o.atcId, o.title.substr(0, 32), o.latDeg, o.lonDeg, o.altFt,
                   o.headingDeg, o.owner);
    }
}

int usage()
{
    fmt::print(stderr, "usage: sim-probe [--scenario FILE] [--seconds N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string file;
    int seconds = 10;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view arg = argv[i];
        if (arg == "--scenario" && i + 1 < argc)
        {
            file = argv[++i];
        }
        else if (arg == "--seconds" && i + 1 < argc)
        {
            const std::string_view n = argv[++i];
            const auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), seconds);
            if (ec != std::errc{} || end != n.data() + n.size() || seconds < 1)
            {
                return usage();
            }
        }
        else
        {
            return usage();
        }
    }

    Scenario scenario;
    try
    {
        scenario = file.empty() ? builtInScenario() : loadScenarioFile(file);
    }
    catch (const std::exception& e)
    {
        fmt::print(stderr, "sim-probe: {}\n", e.what());
        return 1;
    }

    WorldOptions options;
    options.keepLogs = false;
    if (const char* trace = std::getenv("VORA_SIM_TRACE"); trace != nullptr && *trace != '\0')
    {
        options.tracePath = trace;
    }
    World world(std::move(scenario), options);
    Probe probe{world};
    probe.open();
    probe.dispatch();
    for (std::int64_t ms = 0; ms < seconds * 1000; ms += kStepMs)
    {
        if (ms % 1000 == 0)
        {
            probe.everySecond();
        }
        world.advance(kStepMs);
        probe.dispatch();
    }
    probe.flushFrames();
    if (probe.h != nullptr)
    {
        SimConnect_Close(probe.h);
    }
    printObjects(world);
    return 0;
}
