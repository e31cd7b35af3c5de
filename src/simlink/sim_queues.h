// The queues between the traffic logic (main-loop thread) and the SimClient
// thread. The main thread appends creations, removals, client events and
// position updates under g_simConnectMutex; the SimClient thread sends them
// all on the next simulator frame, taking that mutex only with a try-lock.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/simconnect/simconnect.h"

namespace ovr
{

// One AI aircraft to create.
struct CreateRequest
{
    SIMCONNECT_DATA_INITPOSITION initPosition{};
    // Given to the simulator as the tail number; the new object is matched
    // by it.
    std::string callsign;
    // Owned by the livery data, which outlives the request.
    std::string_view liveryTitle;
    // Above 10000 a live aircraft, 10000 or below a static parked one.
    std::uint32_t key = 0;
};

// A create sent and not yet matched to a new object.
struct PendingCreate
{
    std::uint32_t sendId = 0; // packet id of the create call; 0 when it could not be learned
    std::uint32_t key = 0;
    std::string callsign;
    std::uint32_t requestId = 0; // of the create call
    // Assigned by the simulator to this create; 0 until then. The create
    // stays pending until the object's own ground data come back.
    std::uint32_t objectId = 0;
};

struct ClientEventCmd
{
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t data = 0;
};

// The first 64 bytes are the data block of definition 402.
struct PosUpdate
{
    double latitude = 0.0;      // degrees
    double longitude = 0.0;     // degrees
    double pitch = 0.0;         // radians
    double bank = 0.0;          // radians
    double heading = 0.0;       // true, radians
    double altitude = 0.0;      // feet
    double verticalSpeed = 0.0; // feet per second
    double trueAirspeed = 0.0;  // knots
    std::uint32_t objectId = 0;
};

// Guarded by g_simConnectMutex.
extern std::vector<CreateRequest> g_createRequests;
extern std::vector<ClientEventCmd> g_clientEvents;
extern std::vector<std::uint32_t> g_removeRequests;
// The position double buffer: the main thread fills the vector of the first
// pointer and swaps the pointers; the frame handler sends the vector of the
// second pointer and empties it.
extern std::vector<PosUpdate> g_posUpdateBufA;
extern std::vector<PosUpdate> g_posUpdateBufB;
extern std::array<std::vector<PosUpdate>*, 2> g_posUpdates;

// SimClient thread only (and gf_resetSimQueues before it starts).
extern std::vector<PendingCreate> g_pendingCreates;
extern std::vector<std::uint32_t> g_newObjectIds;
// The request id of the next create; counted afresh with each connection.
extern std::uint32_t g_nextCreateRequestId;

// Producers of the main-loop thread; each appends under g_simConnectMutex.
void gf_queueCreateAc(const CreateRequest& request);
void gf_engineShutdown(std::uint32_t object);
void gf_engineStart(std::uint32_t object);
// NAV, BEACON, LANDING, TAXI, STROBES, LOGO and CABIN, in this order.
void gf_setLights(std::uint32_t object, std::span<const std::uint32_t, 7> values);
void gf_setNavLights(std::uint32_t object, std::uint32_t on);
void gf_setCabinLights(std::uint32_t object, std::uint32_t on);

// Session start, before the SimClient thread starts: room for 256 elements
// in every queue; clears g_simConnectError and returns its previous value.
std::uint8_t gf_resetSimQueues();

} // namespace ovr
