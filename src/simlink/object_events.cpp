#include "simlink/object_events.h"

namespace ovr
{

std::mutex g_objectEventsMutex;
std::vector<SimEvent> g_objectEvents;

void gf_pushSimEvent(const SimEvent& event)
{
    const std::lock_guard lock(g_objectEventsMutex);
    g_objectEvents.push_back(event);
}

} // namespace ovr
