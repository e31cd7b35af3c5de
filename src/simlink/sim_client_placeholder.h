// Stand-in for the simulator link until the real SimClient thread exists:
// the names, types and signatures are those the rest of the program calls.
// The placeholder thread reports a running simulation and the user
// aircraft's data once a second at a fixed position.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stop_token>

#include "platform/simconnect/simconnect.h"

namespace ovr {

// The user aircraft's data as the simulator delivers it once a second.
struct UserAcState
{
    double latitude = 0.0;         // degrees
    double longitude = 0.0;        // degrees
    double pitch = 0.0;            // radians
    double bank = 0.0;             // radians
    double heading = 0.0;          // true, radians
    double altitude = 0.0;         // feet
    double altitudeAboveGround = 0.0; // feet
    double groundSpeed = 0.0;      // knots
    std::int64_t zuluTime = 0;     // seconds of the day
    std::int64_t zuluDayOfYear = 0;
    std::int64_t zuluYear = 0;
    std::int64_t lightStates = 0;
    double temperature = 0.0; // degrees Rankine
};

// Guards every SimConnect call of the program's connection and the queues to
// the simulator.
extern std::mutex g_simConnectMutex;
extern HANDLE g_simConnect;

extern std::atomic<std::uint8_t> g_notYetConnected;
extern std::atomic<std::uint8_t> g_simRunning;
extern std::atomic<std::uint8_t> g_simConnectError;
// Set on every delivery of the user aircraft's data; the main loop exchanges it.
extern std::atomic<std::uint8_t> g_userDataArrived;

extern UserAcState g_userState; // last delivery, under g_simConnectMutex
extern UserAcState g_userPos;   // the main loop's copy
extern std::uint32_t g_userObjectId;

// The simulator-link thread of one session.
void SimClient(std::stop_token stop);

// Session start: room in the queues; clears the request-error flag and
// returns its previous value.
std::uint8_t gf_resetSimQueues();
// Asks for the user aircraft's position and copies the last delivery to out.
UserAcState& gf_requestUserAcPosition(UserAcState& out);
// Asks for the user aircraft's title and model.
void gf_requestUserAcTitleAndModel();
// A SimConnect request failed: "SIMCONNECT ERROR"; returns the previous flag.
std::uint8_t gf_onSimRequestError();

} // namespace ovr
