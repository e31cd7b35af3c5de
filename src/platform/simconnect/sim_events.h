// The simulator events that clients can map their events to, and what each
// does to the aircraft it is sent to.
#pragma once

#include "platform/simconnect/sim_object.h"

#include <string_view>

namespace ovr::sim::detail
{

struct SimEvent
{
    const char* name; // upper case, as the simulator names it
    void (*apply)(ObjectState& object, DWORD data);
};

// The event of a name such as "GEAR_SET" (case-blind), or nullptr.
const SimEvent* findSimEvent(std::string_view name);

} // namespace ovr::sim::detail
