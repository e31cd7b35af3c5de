// What the stand-in simulator is set up with: the simulator's identity and
// state, the user aircraft, the ground, the installed aircraft, other
// programs' aircraft, airport facility data and events scripted in time.
// Tests build it in C++; runs read it from JSON (scenario_json.h).
#pragma once

#include "platform/win/win_types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ovr::sim
{

// Where an aircraft is and how it moves. Angles in degrees, altitude in feet.
struct Pose
{
    double latDeg = 0.0;
    double lonDeg = 0.0;
    std::optional<double> altFt; // absent: standing on the terrain
    double pitchDeg = 0.0;
    double bankDeg = 0.0;
    double headingDeg = 0.0;
    double groundSpeedKt = 0.0;
    double airspeedKt = 0.0;
    double verticalSpeedFps = 0.0;
    bool onGround = true;
};

// One point of a scripted path; the pose between points is interpolated.
struct PathPoint
{
    std::int64_t atMs = 0;
    Pose pose;
};

struct UserAircraft
{
    DWORD objectId = 1;
    std::string title = "Airbus A320 Neo Asobo";
    std::string atcModel = "A20N";
    std::string atcId = "D-AVRA";
    Pose pose;
    std::uint32_t lights = 0; // LIGHT STATES bits
    std::vector<PathPoint> path;
};

struct ElevationDisc
{
    double latDeg = 0.0;
    double lonDeg = 0.0;
    double radiusM = 0.0;
    double elevationFt = 0.0;
};

// Flat ground, raised or lowered inside discs (the first disc that holds a
// point decides its elevation).
struct Terrain
{
    double elevationFt = 0.0;
    std::vector<ElevationDisc> discs;
};

struct InstalledTitle
{
    std::string title;
    std::string atcModel;
    double cgHeightFt = 8.0;
    double pitchDeg = 0.0;
};

// Aircraft titles the simulator can create. With acceptAll every title is
// created, those not listed with the default static values.
struct InstalledTitles
{
    bool acceptAll = true;
    std::vector<InstalledTitle> titles;
    double defaultCgHeightFt = 8.0;
    double defaultPitchDeg = 0.0;
};

// An aircraft put into the simulator by some other program.
struct ForeignAircraft
{
    std::optional<DWORD> objectId; // absent: the next free id
    std::string title = "Generic Airliner";
    std::string atcModel;
    std::string atcId;
    Pose pose;
};

struct TaxiParking
{
    std::int32_t type = 0; // parking type (gate, ramp, ...)
    std::int32_t taxiPointType = 0;
    std::int32_t name = 0; // name kind, e.g. GATE_A
    std::int32_t suffix = 0;
    DWORD number = 0;
    std::int32_t orientation = 0;
    float headingDeg = 0.0F;
    float radiusM = 0.0F;
    float biasXM = 0.0F; // metres east of the reference point
    float biasZM = 0.0F; // metres north of the reference point
};

struct Helipad
{
    double latDeg = 0.0;
    double lonDeg = 0.0;
    double altM = 0.0;
    float headingDeg = 0.0F;
    float lengthM = 0.0F;
    float widthM = 0.0F;
    std::int32_t surface = 0;
    std::int32_t type = 0;
};

struct AirportFacility
{
    std::string icao;
    std::string name;
    double latDeg = 0.0;
    double lonDeg = 0.0;
    double altM = 0.0;
    std::vector<TaxiParking> parkings;
    std::vector<Helipad> helipads;
};

// Scripted events. Each takes effect on the first frame at or after its time.
namespace script
{
struct Quit
{
};
struct Available
{
    bool value = true;
};
struct FlightLoaded
{
};
struct Running
{
    bool value = true;
};
struct Teleport
{
    Pose pose;
};
// Moves the user aircraft to the pose along a straight line.
struct Move
{
    Pose pose;
    std::int64_t durationMs = 0;
};
struct AddForeign
{
    ForeignAircraft aircraft;
};
struct RemoveForeign
{
    DWORD objectId = 0;
};
// The next `count` calls of the named function (e.g. "SimConnect_Open") fail.
struct FailCalls
{
    std::string call;
    int count = 1;
};
// An EXCEPTION message to the named client, or to every client when empty.
struct RaiseException
{
    DWORD exception = 0;
    DWORD sendId = 0;
    DWORD index = 0;
    std::string client;
};
// The simulator is busy for a while: no frames, no data, no answers, no
// objects created or removed; what was asked is answered afterwards.
struct Stall
{
    std::int64_t durationMs = 0;
};
} // namespace script

using ScriptedAction = std::variant<script::Quit, script::Available, script::FlightLoaded, script::Running,
                                    script::Teleport, script::Move, script::AddForeign, script::RemoveForeign,
                                    script::FailCalls, script::RaiseException, script::Stall>;

struct ScriptedEvent
{
    std::int64_t atMs = 0;
    ScriptedAction action;
};

// Where the stand-in is kinder than the real simulator by default, and how
// it behaves when it is not. The default is the kind stand-in; strict() is
// the real simulator's behaviour as its SDK documents it.
struct Strictness
{
    // "Sim" is sent on subscribing. The real simulator sends it only when
    // the state changes; the current state comes from
    // SimConnect_RequestSystemState("Sim").
    bool simOnSubscribe = true;
    // ATC IDs (tail numbers) are cut to this many characters.
    std::size_t atcIdChars = 31;
    // New objects get ids from here up, skipping taken ones (the user's
    // included), so that they may lie below the user's id; none: above it.
    std::optional<DWORD> firstAiObjectId;
    // Every n-th SimConnect_CallDispatch of a client fails once and delivers
    // nothing (0: never).
    int dispatchFailEvery = 0;
    // Position writes and client events on an AI object take effect only
    // once it was released from AI control, position writes only while it
    // is frozen in position, altitude and attitude as well.
    bool aiControl = false;
    // Frame events come at a varying rate (some frames send none).
    bool variableFrameRate = false;
    // How long the simulator stalls when a flight loads or the simulation
    // starts running again (0: never).
    std::int64_t loadStallMs = 0;

    static Strictness strict()
    {
        Strictness s;
        s.simOnSubscribe = false;
        s.atcIdChars = 12;
        s.firstAiObjectId = 3;
        s.dispatchFailEvery = 997;
        s.aiControl = true;
        s.variableFrameRate = true;
        s.loadStallMs = 3000;
        return s;
    }
};

// The user's object id that the strict scenario files get when they give
// none: high enough that AI ids lie on both sides of it.
constexpr DWORD kStrictUserObjectId = 1000;

struct Scenario
{
    Strictness strictness;
    bool available = true;
    std::string applicationName = "KittyHawk";
    std::array<DWORD, 4> version{1, 37, 19, 0};
    bool running = true;
    bool flightLoadedAsEvent = false; // the real simulator sends a file name
    std::string flightFile = "flights\\custom\\CustomFlight.FLT";
    UserAircraft user;
    Terrain terrain;
    InstalledTitles installed;
    std::size_t objectCap = 1000;
    int createDelayFrames = 3;
    int removeDelayFrames = 1;
    bool closeRemovesObjects = true;
    int zuluYear = 2024;
    int zuluDayOfYear = 152;
    double zuluSeconds = 36000.0;
    std::vector<ForeignAircraft> foreign;
    std::vector<AirportFacility> airports;
    std::vector<ScriptedEvent> events;
};

} // namespace ovr::sim
