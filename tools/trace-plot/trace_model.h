// What trace-plot reads: the objects of a stand-in simulator trace (its
// once-a-second object tables and its EXCEPTION records), the stands of a
// parking file or scenario, and the program's Log.txt lines that tell of
// parking and of errors.
#pragma once

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace ovr::traceplot
{

// Our objects are told apart by their tail number: a static parked aircraft
// carries a callsign ending in '*', a live one does not. Objects that the
// program did not create are the user's aircraft and those of other programs.
enum class ObjectKind
{
    user,
    other,
    live,
    parkedStatic,
};

struct Sample
{
    double tMs = 0.0;
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0;
    bool onGround = false;
    double headingDeg = 0.0;
    bool gearDown = false;
    double flapsPercent = 0.0;
    double groundFt = 0.0; // the ground under it
};

struct TracedObject
{
    long long id = 0;
    ObjectKind kind = ObjectKind::other;
    std::string callsign;
    std::string title;
    std::vector<Sample> samples;

    // Seen in the air and later on the ground.
    bool landed() const;
};

struct Trace
{
    // In the order of first appearance. An object id that comes back with
    // another tail number is another object.
    std::vector<TracedObject> objects;
    int objectTables = 0;
    // The time of the last object table before the program closed its
    // connection, which removes its objects: what was there at the end.
    double lastTableMs = 0.0;
    int exceptions = 0;
    // UTC (epoch ms) at the trace's time 0, when the stand-in ran on the
    // wall clock and said so.
    std::optional<double> epochMsAtZero;
};

// Lines that are not JSON or not of the kinds read are skipped.
Trace readTrace(std::istream& in);

struct StandPoint
{
    std::string name;
    double lat = 0.0;
    double lon = 0.0;
};

// Stands of an airport parking file (.xml, its parkpos elements), of a fake
// service scenario (.json, "stands") or of a stand-in simulator scenario
// (.json, "airports" with their "parkings"). Throws std::runtime_error when
// the file cannot be read or holds none of these.
std::vector<StandPoint> readStands(const std::filesystem::path& file);

// What the program's log says about the run.
struct LogCounts
{
    int parkedOnCreation = 0; // "<stand>: <callsign> parks"
    int arrivedAtStand = 0;   // "<stand>: <callsign> arrived at stand"
    int noLivery = 0;         // aircraft listed under "No match found for:"
    std::vector<std::string> errors;
    // Lines about the download service, which the demo does not have.
    int downloadLines = 0;
    std::string exitReason; // the text after "Exiting: "
};

LogCounts readLog(std::istream& in);

// The few lines printed at the end of a run.
std::string summaryText(const Trace& trace, const LogCounts& log);

} // namespace ovr::traceplot
