// The flight-quality check: what the program flew (the stand-in simulator's
// trace) against what the service sent (feed_positions.h), per live
// aircraft and overall, with the limits a pilot's eye sets.
//
// A live object is matched to the feed aircraft whose callsign it carries as
// its tail number (the simulator keeps 12 characters of it; a registration
// serves as well); of several with that callsign, the one it flew closest to.
// The program plays each report a fixed time after its data time (the
// buffering delay); the check estimates that delay as the one that fits the
// airborne aircraft best, unless it is given.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "feed_positions.h"
#include "trace_model.h"

namespace ovr::traceplot
{

// The limits.
inline constexpr int kMaxGroundWhileFeedAirborneS = 10; // per aircraft, feed above 500 ft AGL
inline constexpr double kMaxStepMps = 350.0;
inline constexpr double kMaxTouchdownSinkFpm = 900.0;   // over the last 10 s
inline constexpr double kMaxTouchdownDropFt = 20.0;     // in one second of the last 10 s
inline constexpr double kMaxCrabShare = 0.01;           // of the moving ground seconds
inline constexpr double kMaxSurgeShare = 0.03;          // of the airborne seconds; a new object's first counts
inline constexpr int kMaxGearDownHighS = 0;             // above 5,000 ft AGL
inline constexpr double kMaxAirborneMedianErrorM = 100.0;
inline constexpr double kMaxAirborneP90ErrorM = 400.0;

struct ErrorFigures
{
    std::size_t count = 0;
    double medianM = 0.0;
    double p90M = 0.0;
    double worstM = 0.0;
};

struct Touchdown
{
    double tMs = 0.0;
    double sinkFpm = 0.0;        // average over the last 10 s before it
    double largestDropFt = 0.0;  // the largest one-second drop in those 10 s
};

struct AircraftCheck
{
    long long id = 0;
    std::string callsign;
    std::string feedKey; // empty: no aircraft of the feed matched
    ErrorFigures airborne;
    ErrorFigures ground;
    ErrorFigures airborneAltitude; // in feet; no limit, it shows a stale descent
    // The delay that fits this aircraft alone, when enough of it is flown.
    std::optional<double> ownDelayS;
    double fastestStepMps = 0.0;
    double fastestStepAtMs = 0.0;
    int groundWhileFeedAirborneS = 0; // the feed above 500 ft AGL
    std::vector<Touchdown> touchdowns;
    int movingGroundS = 0; // faster than 3 kt, pushbacks left out
    int crabS = 0;         // of those, the nose more than 30 degrees off the track
    int gearDownHighS = 0; // above 5,000 ft AGL
    int flapsUpLowS = 0;   // descending below 1,000 ft AGL with the flaps up
    int airborneStepsS = 0; // one-second steps in the air, from the first that moves
    int surgeS = 0;         // of those, the speed more than 15 m/s off the step before
    double largestGroundChangeMps = 0.0; // of the speed from one 1-s step to the next, on the ground
    double largestGroundChangeAtMs = 0.0;
};

struct LimitCheck
{
    std::string limit;
    bool pass = true;
    std::string found; // the figure that decides, and whose it is
};

struct FlightCheck
{
    double delayS = 0.0;
    bool delayEstimated = true;
    std::vector<AircraftCheck> aircraft; // the live objects, in trace order
    ErrorFigures airborne;
    ErrorFigures ground;
    ErrorFigures airborneAltitude; // feet
    std::vector<LimitCheck> limits;

    bool passed() const;
};

struct CheckOptions
{
    // UTC (epoch ms) at the trace's time 0; the trace's own clock record
    // when not given.
    std::optional<double> epochMsAtZero;
    // The buffering delay in seconds; estimated when not given.
    std::optional<double> delayS;
};

// Throws std::runtime_error when the trace's time cannot be tied to UTC.
FlightCheck checkFlights(const Trace& trace, const std::vector<FeedAircraft>& feed, const CheckOptions& options = {});

// A table per aircraft, the overall figures and PASS or FAIL per limit.
std::string checkText(const FlightCheck& check);

} // namespace ovr::traceplot
