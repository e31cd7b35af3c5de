// Scripted events: the simulator quitting and coming back, flights loaded,
// the simulation stopped and run, the user aircraft moved, other programs'
// aircraft, failing calls and exceptions.
#include "platform/simconnect/world_core.h"

#include <cstring>

namespace ovr::sim::detail
{

void WorldCore::apply(const ScriptedAction& action)
{
    std::lock_guard lock(mutex_);
    applyLocked(action);
}

DWORD WorldCore::addForeign(const ForeignAircraft& aircraft)
{
    std::lock_guard lock(mutex_);
    return addForeignLocked(aircraft);
}

void WorldCore::applyLocked(const ScriptedAction& action)
{
    std::visit(
        Overloaded{
            [&](const script::Quit&)
            {
                for (auto& [key, client] : clients_)
                {
                    if (client->dead)
                    {
                        continue;
                    }
                    SIMCONNECT_RECV_QUIT* rec = nullptr;
                    queue(*client, Message::make(SIMCONNECT_RECV_ID_QUIT, rec),
                          [] { return nlohmann::json::object(); });
                    client->dead = true;
                    client->pending.clear();
                    client->periodic.clear();
                }
                available_ = false;
                running_ = false;
                creates_.clear();
                removes_.clear();
                removing_.clear();
                // The objects that programs created go with the simulator.
                for (const auto& [id, owner] : ownerOf_)
                {
                    objects_.erase(id);
                }
                ownerOf_.clear();
            },
            [&](const script::Available& a)
            {
                const bool returning = a.value && !available_;
                available_ = a.value;
                if (returning)
                {
                    // back as the scenario started: running or in the menu
                    applyLocked(script::Running{scenario_.running});
                }
            },
            [&](const script::FlightLoaded&)
            {
                stall(scenario_.strictness.loadStallMs);
                forSubscribers(
                    "flightloaded",
                    [&](Client& client, DWORD eventId)
                    {
                        if (scenario_.flightLoadedAsEvent)
                        {
                            sendEvent(client, SIMCONNECT_UNUSED, eventId, 0);
                            return;
                        }
                        SIMCONNECT_RECV_EVENT_FILENAME* rec = nullptr;
                        Message m = Message::make(SIMCONNECT_RECV_ID_EVENT_FILENAME, rec);
                        rec->uGroupID = SIMCONNECT_UNUSED;
                        rec->uEventID = eventId;
                        std::strncpy(rec->szFileName, scenario_.flightFile.c_str(),
                                     sizeof(rec->szFileName) - 1);
                        queue(
                            client, std::move(m),
                            [&] {
                                return nlohmann::json{{"event_id", eventId}, {"file", scenario_.flightFile}};
                            });
                    });
            },
            [&](const script::Running& r)
            {
                if (r.value == running_ || !available_)
                {
                    return;
                }
                running_ = r.value;
                if (running_)
                {
                    stall(scenario_.strictness.loadStallMs);
                }
                forSubscribers("sim", [&](Client& client, DWORD eventId)
                               { sendEvent(client, SIMCONNECT_UNUSED, eventId, running_ ? 1 : 0); });
            },
            [&](const script::Teleport& t)
            {
                userPath_.clear();
                place(user(), t.pose);
            },
            [&](const script::Move& mv)
            {
                if (mv.durationMs <= 0)
                {
                    userPath_.clear();
                    place(user(), mv.pose);
                    return;
                }
                userPath_ = {PathPoint{clockMs(), poseOf(user())},
                             PathPoint{clockMs() + mv.durationMs, mv.pose}};
            },
            [&](const script::AddForeign& f) { addForeignLocked(f.aircraft); },
            [&](const script::RemoveForeign& r)
            {
                if (ownerOf_.count(r.objectId) == 0)
                {
                    removeObjectNow(r.objectId);
                }
            },
            [&](const script::FailCalls& f) { failures_[f.call] += f.count; },
            [&](const script::Stall& st) { stall(st.durationMs); },
            [&](const script::RaiseException& e)
            {
                for (auto& [key, client] : clients_)
                {
                    if (!client->dead && (e.client.empty() || e.client == client->name))
                    {
                        sendException(*client, e.exception, e.sendId, e.index);
                    }
                }
            },
        },
        action);
}

} // namespace ovr::sim::detail
