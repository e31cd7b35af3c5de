// The user aircraft: its data once a second (request 109), its on-ground
// state (request 108), its title and model once a session (requests 106 and
// 107), and what follows from them: a jump to another place ends the
// session, the stand it stands on, the simulator's UTC time, its half
// wingspan and category. Requests go out from the main-loop thread; the
// replies are handled on the SimClient thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace ovr
{

// The data block of definition 403, in its order.
struct UserAcState
{
    double latitude = 0.0;            // degrees
    double longitude = 0.0;           // degrees
    double pitch = 0.0;               // radians
    double bank = 0.0;                // radians
    double heading = 0.0;             // true, radians
    double altitude = 0.0;            // feet, never below 0
    double altitudeAboveGround = 0.0; // feet
    double groundSpeed = 0.0;         // knots
    std::int64_t zuluTime = 0;        // seconds of the day
    std::int64_t zuluDayOfYear = 0;   // 1..366
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0; // bit mask
    double temperature = 0.0;     // standard atmosphere, degrees Rankine
};

// The last reply, written on the SimClient thread under g_simConnectMutex.
extern UserAcState g_userState;
// The main thread's copy: written by gf_requestUserAcPosition under
// g_simConnectMutex, read by other threads under it.
extern UserAcState g_userPos;
// The user aircraft's object id; 2 until the simulator reports it.
extern std::atomic<std::uint32_t> g_userObjectId;
inline constexpr std::uint32_t kInitialUserObjectId = 2;
// Whether an object id may be an AI object: updated, removed or matched as
// a new object. Not the user's own id (nor 0, which names the user
// aircraft too); while the user's id is not known yet, none of the ids up
// to 2. AI ids are not always above the user's: the newer simulator hands
// out ids on both sides of it.
bool gf_isAiObjectId(std::uint32_t objectId);
// Set on every reply to request 108 (once a second); the main loop
// exchanges it with 0.
extern std::atomic<std::uint8_t> g_userDataArrived;
// The simulator's UTC time in seconds since 1970, kept only with a
// professional service account.
extern std::atomic<std::int64_t> g_simEpoch;
// Half the user aircraft's wingspan in nautical miles, with the flag that a
// value was stored; its category 0..5.
extern std::atomic<double> g_userHalfWingspan;
extern std::atomic<std::uint8_t> g_userHalfWingspanSet;
extern std::atomic<std::int32_t> g_userCategory;
// The model was deduced from the title.
extern std::atomic<std::uint8_t> g_userModelFromTitle;

// SimClient thread only: the last title (at most 48 characters) and the
// stand the user stands on.
extern std::string g_userTitle;
extern std::string g_userStandText;

// True when the absolute latitude or longitude is above 0.0001.
bool gf_positionKnown(double latitude, double longitude);

// Main-loop thread: asks for the user aircraft's data once (unless a request
// error is flagged) and copies the last reply, not the one just asked for,
// into out.
UserAcState& gf_requestUserAcPosition(UserAcState& out);
// Main-loop thread, once a session: asks for the title and the model.
void gf_requestUserAcTitleAndModel();
// On a flight load, a new flight file and the SimClient thread's end: when
// the user stands still on the ground at a stand of the park airport that is
// the first park-airport entry, that stand becomes the entry's reserved stand.
void gf_checkUserStand();
// What gf_checkUserStand does with the stand it found: the park-airport list
// is the traffic logic's, so the program sets this at start; unset, the stand
// is not recorded.
using UserStandHandler = void (*)(const std::string& standName);
void gf_setUserStandHandler(UserStandHandler handler);

} // namespace ovr
