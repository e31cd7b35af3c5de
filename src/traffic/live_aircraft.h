// The live aircraft in the simulator: the record of one aircraft that follows
// received positions, the lists the traffic logic keeps of them, and the
// small operations on one aircraft's simulator object. Main-loop thread only;
// the SimClient thread sees nothing of this but the queued requests.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "airports/parking_state.h"
#include "core/aircraft_records.h"
#include "service/traffic_record.h"
#include "traffic/motion_state.h"

namespace ovr
{

// Flight situations of a live aircraft; their texts appear in log lines.
inline constexpr std::uint32_t kSituationPushingBack = 0;
inline constexpr std::uint32_t kSituationPushedBack = 1;
inline constexpr std::uint32_t kSituationTaxi = 2;
inline constexpr std::uint32_t kSituationTakeOff = 3;
inline constexpr std::uint32_t kSituationFlying = 4;
inline constexpr std::uint32_t kSituationParking = 5;
inline constexpr std::uint32_t kSituationParked = 6;
inline constexpr std::uint32_t kSituationBirth = 7;

std::string_view gf_simStateText(std::uint32_t state);
std::string_view gf_situationText(std::uint32_t situation);

// The eight values of data definition 402, in its order: what goes to the
// simulator for the aircraft on every pass.
struct AcPosition
{
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double pitch = 0.0;     // radians, negative is nose up
    double bank = 0.0;      // radians
    double heading = 0.0;   // true, radians
    double altitude = 0.0;  // feet
    double verticalSpeed = 0.0; // feet per second
    double trueAirspeed = 0.0;  // knots
};

// What the intake judges a record of a live aircraft against: the newest
// received sample it took, and the last one it refused, kept until a record
// agrees with one of them (traffic/record_checks.h).
struct IntakeRefs
{
    PositionSample taken;
    PositionSample refused;
    double refusedTime = 0.0; // seconds, its data time
    std::uint8_t refusedHeld = 0;
};

struct LiveAc : StaticAc
{
    AcPosition cur;
    // Oldest first; the front is the sample being flown towards.
    std::deque<PositionSample> samples;
    double lastDataTime = 0.0; // seconds, of the newest received record
    // When it was put on a stand: loop-clock nanoseconds.
    std::int64_t parkedTime = 0;
    // 0 following received samples, above 0 on made-up ones, -1 ended.
    std::int32_t extrapolationCount = 0;
    std::int64_t extrapolationStart = 0;
    std::uint8_t extrapolated = 0;
    // The tick its creation was asked for (state adding2sim).
    std::int64_t addingSince = 0;
    std::uint32_t situation = kSituationBirth;
    std::uint32_t previousSituation = kSituationBirth;
    std::uint8_t groundMode = 0;
    std::uint8_t holdNearUser = 0;
    double pitchStep = 0.0;    // radians per tick
    double bankStep = 0.0;     // radians per tick
    double verticalStep = 0.0; // feet per tick
    double headingStep = 0.0;  // radians per tick
    double latitudeStep = 0.0; // degrees per tick
    double longitudeStep = 0.0;
    double course = 0.0;               // radians, of the running segment
    double segmentVerticalSpeed = 0.0; // feet per minute
    double segmentAirspeed = 0.0;      // knots
    std::int32_t slackEarly = 1000;    // ticks
    std::int32_t slackLate = 1000;
    std::int32_t attitudeTicks = 1;
    double aboveGround = 2500.0; // feet
    double touchdownHeading = 0.0;
    // Phase marks of the landing, take-off and towing sequences.
    std::uint8_t landingMark = 0;
    std::uint8_t touchdownMark = 0;
    std::uint8_t takeOffMark = 0;
    std::uint8_t towingMark = 0;
    std::uint8_t towedMark = 0;
    std::uint8_t parkedDurationMark = 0;
    std::uint8_t reportedAtStand = 0;
    std::uint8_t pullOutMark = 0;
    // The watch for a parked aircraft that starts to move: its first and
    // last distance from the stand (NM) and the steps out in a row.
    std::uint8_t pullOutWatching = 0;
    std::uint32_t pullOutSteps = 0;
    double pullOutFirstNm = 0.0;
    double pullOutLastNm = 0.0;
    std::uint8_t respawnMark = 0;
    double respawnHeading = 0.0;
    std::uint8_t airConfigDone = 0;
    // A flight-plan file exists for its object.
    std::uint8_t flightPlanSet = 0;
    // Where the last parking attempt looked.
    double lastParkLatitude = 0.0;
    double lastParkLongitude = 0.0;
    // Where the last look for static aircraft in its taxi path saw it.
    double pathCheckLatitude = 0.0;
    double pathCheckLongitude = 0.0;
    MotionState motion;
    IntakeRefs intake;
};

// The sample part of a received record, its roll and heading included.
PositionSample gf_sampleOf(const TrafficRecord& record);

// An aircraft record of a received flight: per-category values, the radius
// of its model, the given key.
AiAircraftRecord gf_makeAiRecord(const FlightBase& flight, std::uint32_t key);
// A live aircraft in state buffer and situation birth with one sample.
LiveAc gf_makeLiveAc(const PositionSample& sample, const AiAircraftRecord& record, double dataTime);
// A static aircraft in state buffer on a stand.
StaticAc gf_makeStaticAc(const AiAircraftRecord& record, std::uint32_t standId, double latitude,
                         double longitude, double heading, std::uint8_t standFlag);
void lf_copySimAc(AiAircraftRecord& target, const AiAircraftRecord& source);

// The list of live aircraft with the two look-ups the intake makes for every
// received record: the aircraft of a key, and whether a flight (callsign and
// model) already flies under another key. Every change of membership goes
// through the list, so both look-ups stay in step with it; a change of a
// member's callsign or model in place is announced with identityChanged().
class LiveAircraftList
{
  public:
    using iterator = std::vector<LiveAc>::iterator;
    using const_iterator = std::vector<LiveAc>::const_iterator;

    LiveAircraftList();
    ~LiveAircraftList();
    LiveAircraftList(const LiveAircraftList&) = delete;
    LiveAircraftList& operator=(const LiveAircraftList&) = delete;
    // The list becomes these aircraft (tests set it whole).
    LiveAircraftList& operator=(std::vector<LiveAc> aircraft);

    iterator begin() { return m_aircraft.begin(); }
    iterator end() { return m_aircraft.end(); }
    const_iterator begin() const { return m_aircraft.begin(); }
    const_iterator end() const { return m_aircraft.end(); }
    std::size_t size() const { return m_aircraft.size(); }
    bool empty() const { return m_aircraft.empty(); }
    LiveAc& operator[](std::size_t i) { return m_aircraft[i]; }
    const LiveAc& operator[](std::size_t i) const { return m_aircraft[i]; }
    LiveAc& front() { return m_aircraft.front(); }
    LiveAc& back() { return m_aircraft.back(); }
    const std::vector<LiveAc>& all() const { return m_aircraft; }
    operator const std::vector<LiveAc>&() const { return m_aircraft; }

    void reserve(std::size_t count) { m_aircraft.reserve(count); }
    void push_back(LiveAc aircraft);
    void clear();
    // Removes the aircraft at index i, the last one taking its place.
    void swapErase(std::size_t i);
    template <class Pred> std::size_t eraseIf(Pred pred)
    {
        const std::size_t erased = std::erase_if(m_aircraft, pred);
        if (erased != 0)
            m_stale = true;
        return erased;
    }

    // The first aircraft with that key, or none.
    LiveAc* find(std::uint32_t key);
    // An aircraft with this (non-empty) callsign and model is in the list.
    bool hasFlight(std::string_view callsign, std::uint16_t model);
    // An aircraft with this (non-empty) callsign is in the list.
    bool hasCallsign(std::string_view callsign);
    // A member's callsign or model was changed in place.
    void identityChanged() { m_stale = true; }

  private:
    void rebuild();
    void index(std::size_t i);
    static std::string flightName(std::string_view callsign, std::uint16_t model);

    std::vector<LiveAc> m_aircraft;
    std::unordered_map<std::uint32_t, std::size_t> m_byKey;
    // Flights with a callsign, and how many aircraft fly each.
    std::unordered_map<std::string, std::size_t> m_flights;
    // Callsigns, and how many aircraft carry each.
    std::unordered_map<std::string, std::size_t> m_callsigns;
    bool m_stale = false;
};

extern LiveAircraftList g_liveAircraft;
// Keys of live aircraft that wait for their first-time initialisation (the
// per-second step takes one a second).
extern std::deque<std::uint32_t> g_pendingInit;

// The live aircraft with that key, or none.
LiveAc* gf_findLiveAc(std::uint32_t key);

// Ends an aircraft's presence in the simulator by its state: a buffered one
// is only marked, a queued creation taken back, a created object queued for
// removal (once).
void removeAircraftFromSim(StaticAc& aircraft);
// Clears the live-occupied flag of the aircraft's stand when the flag is its
// own: it stands parked there and has not pulled out.
void gf_releaseStandOf(const LiveAc& aircraft);
// Client events of one aircraft; each takes g_simConnectMutex for its push.
void gf_setSpoilers(StaticAc& aircraft, bool on);
void gf_setFlaps(StaticAc& aircraft, std::uint32_t index);
void gf_setGear(StaticAc& aircraft, bool down);
void gf_setThrottle(StaticAc& aircraft, std::uint32_t index);
void gf_setParkedConfig(StaticAc& aircraft);

// The static parked aircraft that conflict with a live aircraft go.
void lf_removeStaticsFor(const LiveAc& aircraft);

} // namespace ovr
