// The simulator connection "Vora": one thread, SimClient, waits until the
// simulator accepts a connection, registers this program's identifiers and
// then pumps the received messages every millisecond; every handler runs on
// that thread. Other threads reach the simulator only through the request
// functions, which hold g_simConnectMutex, and through the queues of
// sim_queues.h, which the Frame handler sends.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stop_token>

#include "platform/simconnect/simconnect.h"

namespace ovr
{

// Guards the SimConnect calls made outside the SimClient thread, the queues
// to the simulator and the user aircraft's data record.
extern std::mutex g_simConnectMutex;

// The open connection; 0 while not connected. Written only by SimClient,
// under g_simConnectMutex; other threads read it under that mutex.
extern HANDLE g_simConnect;

// 1 until the first successful open of a session.
extern std::atomic<std::uint8_t> g_notYetConnected;
// The simulation runs ("Sim" event); the main loop works only while it is set.
extern std::atomic<std::uint8_t> g_simRunning;
// A SimConnect request failed; the Frame handler then sends nothing.
extern std::atomic<std::uint8_t> g_simConnectError;

// The thread body of one session (a std::jthread); only its stop token ends
// a connected session.
void SimClient(std::stop_token stop);

// Called by every sender whose SimConnect request returned a negative result:
// "SimConnect request error" on the status line, the error flag set, and a
// stop with "SIMCONNECT ERROR" (restart after 9 s). Returns the flag's
// previous value.
std::uint8_t gf_onSimRequestError();

} // namespace ovr
