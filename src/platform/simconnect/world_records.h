// The calls a World received and the records it sent, as its calls() and
// messages() keep them.
#pragma once

#include "platform/win/win_types.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace ovr::sim
{

// One SimConnect call as the simulator received it.
struct CallRecord
{
    std::int64_t atMs = 0;
    std::string client; // the client's name; for a failed open the name asked for
    std::string fn;     // e.g. "SimConnect_AICreateNonATCAircraft"
    nlohmann::json args;
    HRESULT result = 0;
    DWORD packetId = 0; // 0 when the call sent nothing
};

// One record sent to a client (logged when it is queued).
struct MessageRecord
{
    std::int64_t atMs = 0;
    std::string client;
    DWORD id = 0; // SIMCONNECT_RECV_ID
    nlohmann::json fields;
};

} // namespace ovr::sim
