// The SimConnect calls as the stand-in serves them. A call that cannot even
// be sent (unknown or closed handle, missing pointer, a scripted failure)
// returns E_FAIL at once; a call that reaches the simulator gets a packet id
// and returns S_OK, and what is wrong with it comes back later as an
// EXCEPTION record carrying that packet id and the 1-based index of the
// offending argument (the handle being argument 1).
#include "platform/simconnect/world_core.h"

#include "platform/simconnect/text_case.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace ovr::sim::detail
{
namespace
{

// Handles are unique in the process, so a handle of a closed connection or of
// an earlier world never reaches another connection.
std::atomic<DWORD> g_nextClientKey{0x100};

constexpr std::size_t kApplicationNameBytes = 256;

constexpr std::array<const char*, 5> kSystemEvents{"sim", "objectadded", "objectremoved", "flightloaded",
                                                   "frame"};

nlohmann::json textArg(const char* s)
{
    return s != nullptr ? nlohmann::json(s) : nlohmann::json(nullptr);
}

HANDLE handleOf(DWORD key)
{
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(key));
}

bool fileExists(const std::filesystem::path& p)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

} // namespace

WorldCore::Client* WorldCore::findClient(HANDLE h)
{
    const auto key = reinterpret_cast<std::uintptr_t>(h);
    const auto it = clients_.find(static_cast<DWORD>(key));
    return (key > 0xFFFFFFFFu || it == clients_.end()) ? nullptr : it->second.get();
}

bool WorldCore::logsCall(const char* fn) const
{
    if (trace_ != nullptr)
    {
        return true;
    }
    return options_.keepLogs &&
           std::find(options_.unloggedCalls.begin(), options_.unloggedCalls.end(), fn) == options_.unloggedCalls.end();
}

HRESULT WorldCore::finish(Call& call, HRESULT result)
{
    if (call.logged)
    {
        CallRecord record{clockMs(), call.client ? call.client->name : call.openName,
                          call.fn,   std::move(call.args),
                          result,    call.packet};
        if (trace_)
        {
            trace_->write(record.atMs, "call",
                          {{"client", record.client},
                           {"fn", record.fn},
                           {"args", record.args},
                           {"result", record.result},
                           {"packet", record.packetId}});
        }
        if (options_.keepLogs && std::find(options_.unloggedCalls.begin(), options_.unloggedCalls.end(),
                                           record.fn) == options_.unloggedCalls.end())
        {
            calls_.push_back(std::move(record));
        }
    }
    return result;
}

void WorldCore::except(Call& call, DWORD exception, DWORD index)
{
    sendException(*call.client, exception, call.packet, index);
}

// The user aircraft is no AI object, and a client acts on the AI objects it
// created only.
ObjectState* WorldCore::ownAiObject(Call& call, DWORD objectId)
{
    if (objectId == SIMCONNECT_OBJECT_ID_USER || objectId == userId_)
    {
        except(call, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE, 2);
        return nullptr;
    }
    const auto owner = ownerOf_.find(objectId);
    if (owner == ownerOf_.end() || owner->second != call.client->key)
    {
        except(call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 2);
        return nullptr;
    }
    return &objects_.at(objectId);
}

HRESULT WorldCore::open(HANDLE* out, const char* name)
{
    std::lock_guard lock(mutex_);
    Call call{"SimConnect_Open", logsCall("SimConnect_Open")};
    call.openName = name != nullptr ? name : "";
    if (call.logged)
    {
        call.args = {{"name", textArg(name)}};
    }
    if (out == nullptr || name == nullptr || consumeFailure(call.fn) || !available_)
    {
        return finish(call, E_FAIL);
    }

    auto client = std::make_unique<Client>();
    client->key = g_nextClientKey++;
    client->name = name;
    Client& c = *client;
    clients_[c.key] = std::move(client);
    call.client = &c;

    SIMCONNECT_RECV_OPEN* rec = nullptr;
    Message m = Message::make(SIMCONNECT_RECV_ID_OPEN, rec);
    std::strncpy(rec->szApplicationName, scenario_.applicationName.c_str(), kApplicationNameBytes - 1);
    rec->dwApplicationVersionMajor = scenario_.version[0];
    rec->dwApplicationVersionMinor = scenario_.version[1];
    rec->dwApplicationBuildMajor = scenario_.version[2];
    rec->dwApplicationBuildMinor = scenario_.version[3];
    rec->dwSimConnectVersionMajor = 11;
    rec->dwSimConnectVersionMinor = 0;
    rec->dwSimConnectBuildMajor = 62651;
    rec->dwSimConnectBuildMinor = 3;
    queue(c, std::move(m),
          [&] {
              return nlohmann::json{{"name", scenario_.applicationName}, {"version", scenario_.version}};
          });
    *out = handleOf(c.key);
    return finish(call, S_OK);
}

// The connection goes with its queue and, unless the scenario says
// otherwise, with the objects it created.
HRESULT WorldCore::close(HANDLE h)
{
    std::lock_guard lock(mutex_);
    auto call = begin(
        h, "SimConnect_Close", [] { return nlohmann::json::object(); }, true);
    if (!call)
    {
        return E_FAIL;
    }
    const DWORD key = call->client->key;
    const HRESULT result = finish(*call, S_OK);
    clients_.erase(key);
    std::erase_if(creates_, [&](const PendingCreate& c) { return c.clientKey == key; });
    if (scenario_.closeRemovesObjects)
    {
        std::vector<DWORD> own;
        for (const auto& [id, owner] : ownerOf_)
        {
            if (owner == key)
            {
                own.push_back(id);
            }
        }
        for (const DWORD id : own)
        {
            removeObjectNow(id);
        }
        std::erase_if(removes_, [&](const PendingRemove& r) { return objects_.count(r.objectId) == 0; });
    }
    return result;
}

// Delivers the records queued when the call began, one at a time and with no
// lock held, so that the procedure may call the simulator or throw.
HRESULT WorldCore::callDispatch(HANDLE h, DispatchProc proc, void* context)
{
    std::size_t budget = 0;
    {
        std::lock_guard lock(mutex_);
        Client* client = findClient(h);
        if (client == nullptr || proc == nullptr || consumeFailure("SimConnect_CallDispatch"))
        {
            Call call{"SimConnect_CallDispatch", logsCall("SimConnect_CallDispatch"), client};
            return finish(call, E_FAIL);
        }
        const int failEvery = scenario_.strictness.dispatchFailEvery;
        if (failEvery > 0 && ++client->dispatchCalls % static_cast<std::uint64_t>(failEvery) == 0)
        {
            // a transient failure: the records wait for the next call
            Call call{"SimConnect_CallDispatch", logsCall("SimConnect_CallDispatch"), client};
            return finish(call, E_FAIL);
        }
        budget = client->queue.size();
        if (budget == 0)
        {
            return client->dead ? E_FAIL : S_OK;
        }
    }
    for (std::size_t i = 0; i < budget; ++i)
    {
        std::optional<Message> message;
        {
            std::lock_guard lock(mutex_);
            Client* client = findClient(h);
            if (client == nullptr || client->queue.empty())
            {
                break;
            }
            message.emplace(std::move(client->queue.front()));
            client->queue.pop_front();
        }
        proc(message->recv(), message->size(), context);
    }
    return S_OK;
}

HRESULT WorldCore::lastSentPacketId(HANDLE h, DWORD* out)
{
    std::lock_guard lock(mutex_);
    auto call = begin(h, "SimConnect_GetLastSentPacketID", [] { return nlohmann::json::object(); });
    if (!call)
    {
        return E_FAIL;
    }
    if (out == nullptr)
    {
        return finish(*call, E_FAIL);
    }
    *out = call->client->lastPacket;
    if (call->logged)
    {
        call->args["packet"] = *out;
    }
    return finish(*call, S_OK);
}

// Answered on the next frame, like every request.
HRESULT WorldCore::requestSystemState(HANDLE h, DWORD requestId, const char* state)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_RequestSystemState", {state},
                         [&] {
                             return nlohmann::json{{"request_id", requestId}, {"state", textArg(state)}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    const std::string lower = lowerCase(state);
    constexpr std::array<std::string_view, 4> kStates{"sim", "flightloaded", "aircraftloaded", "dialogmode"};
    if (std::find(kStates.begin(), kStates.end(), lower) == kStates.end())
    {
        except(*call, kExceptionNameUnrecognized, 2);
        return finish(*call, S_OK);
    }
    call->client->pending.emplace_back(StateRequest{requestId, lower, call->packet});
    return finish(*call, S_OK);
}

HRESULT WorldCore::subscribeToSystemEvent(HANDLE h, DWORD eventId, const char* name)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_SubscribeToSystemEvent", {name},
                         [&] {
                             return nlohmann::json{{"event_id", eventId}, {"name", textArg(name)}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    const std::string lower = lowerCase(name);
    if (std::find(kSystemEvents.begin(), kSystemEvents.end(), lower) == kSystemEvents.end())
    {
        except(*call, kExceptionNameUnrecognized, 3);
        return finish(*call, S_OK);
    }
    client.systemEvents[eventId] = lower;
    // The kind stand-in reports the running state on subscribing too; the
    // real simulator reports only changes.
    if (lower == "sim" && scenario_.strictness.simOnSubscribe)
    {
        sendEvent(client, SIMCONNECT_UNUSED, eventId, running_ ? 1 : 0);
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::mapClientEvent(HANDLE h, DWORD eventId, const char* name)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_MapClientEventToSimEvent", {name},
                         [&] {
                             return nlohmann::json{{"event_id", eventId}, {"name", textArg(name)}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    if (const SimEvent* event = findSimEvent(name))
    {
        call->client->mappedEvents[eventId] = event;
    }
    else
    {
        except(*call, kExceptionNameUnrecognized, 3);
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::addClientEventToGroup(HANDLE h, DWORD groupId, DWORD eventId, BOOL maskable)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(
        h, "SimConnect_AddClientEventToNotificationGroup", {},
        [&] {
            return nlohmann::json{{"group_id", groupId}, {"event_id", eventId}, {"maskable", maskable != 0}};
        });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    if (client.mappedEvents.count(eventId) == 0)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 3);
    }
    else
    {
        client.groups[groupId].insert(eventId);
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::setGroupPriority(HANDLE h, DWORD groupId, DWORD priority)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_SetNotificationGroupPriority", {},
                         [&] {
                             return nlohmann::json{{"group_id", groupId}, {"priority", priority}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    if (client.groups.count(groupId) == 0)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 2);
    }
    else
    {
        client.groupPriority[groupId] = priority;
    }
    return finish(*call, S_OK);
}

// The event acts on the object and is echoed to every client that has it in
// a notification group.
HRESULT WorldCore::transmitClientEvent(HANDLE h, DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                       DWORD flags)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_TransmitClientEvent", {},
                         [&]
                         {
                             return nlohmann::json{{"object_id", objectId},
                                                   {"event_id", eventId},
                                                   {"data", data},
                                                   {"group_id", groupId},
                                                   {"flags", flags}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& sender = *call->client;
    ObjectState* object = findObject(objectId);
    const auto mapped = sender.mappedEvents.find(eventId);
    if (object == nullptr)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 2);
        return finish(*call, S_OK);
    }
    if (mapped == sender.mappedEvents.end())
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 3);
        return finish(*call, S_OK);
    }
    const SimEvent* event = mapped->second;
    if (acceptsEvents(*object))
    {
        event->apply(*object, data);
    }
    for (auto& [key, client] : clients_)
    {
        if (client->dead)
        {
            continue;
        }
        for (const auto& [group, events] : client->groups)
        {
            for (const DWORD e : events)
            {
                const auto m = client->mappedEvents.find(e);
                if (m != client->mappedEvents.end() && m->second == event)
                {
                    sendEvent(*client, group, e, data);
                }
            }
        }
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::addToDataDefinition(HANDLE h, DWORD defineId, const char* name, const char* units,
                                       SIMCONNECT_DATATYPE type)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_AddToDataDefinition", {name},
                         [&]
                         {
                             return nlohmann::json{{"define_id", defineId},
                                                   {"name", textArg(name)},
                                                   {"units", textArg(units)},
                                                   {"type", type}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    int index = 0;
    const SimVariable* var = findVariable(name, index);
    if (var == nullptr)
    {
        except(*call, kExceptionNameUnrecognized, 3);
        return finish(*call, S_OK);
    }
    const std::optional<double> scale = unitScale(*var, units);
    if (!scale)
    {
        except(*call, kExceptionNameUnrecognized, 4);
        return finish(*call, S_OK);
    }
    DataField field{name, units != nullptr ? units : "", type, BoundVariable{var, index, *scale}};
    const bool known = type == SIMCONNECT_DATATYPE_INT64 || type == SIMCONNECT_DATATYPE_FLOAT64 ||
                       type == SIMCONNECT_DATATYPE_STRING32 || type == SIMCONNECT_DATATYPE_STRINGV;
    if (!known || !typeFits(type, field.var))
    {
        except(*call, kExceptionInvalidDataType, 5);
        return finish(*call, S_OK);
    }
    call->client->definitions[defineId].fields.push_back(std::move(field));
    return finish(*call, S_OK);
}

// A new request with the id of a running one takes its place.
HRESULT WorldCore::requestData(HANDLE h, DWORD requestId, DWORD defineId, DWORD objectId,
                               SIMCONNECT_PERIOD period, DWORD flags)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_RequestDataOnSimObject", {},
                         [&]
                         {
                             return nlohmann::json{{"request_id", requestId},
                                                   {"define_id", defineId},
                                                   {"object_id", objectId},
                                                   {"period", period},
                                                   {"flags", flags}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    if (client.definitions.count(defineId) == 0)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 3);
        return finish(*call, S_OK);
    }
    if (findObject(objectId) == nullptr)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 4);
        return finish(*call, S_OK);
    }
    if (period != SIMCONNECT_PERIOD_ONCE && period != SIMCONNECT_PERIOD_SECOND)
    {
        except(*call, kExceptionInvalidEnum, 5);
        return finish(*call, S_OK);
    }
    std::erase_if(client.periodic,
                  [&](const PeriodicRequest& p) { return p.request.requestId == requestId; });
    const DataRequest request{requestId, defineId, objectId, flags};
    if (period == SIMCONNECT_PERIOD_ONCE)
    {
        client.pending.emplace_back(request);
    }
    else
    {
        client.periodic.push_back(PeriodicRequest{request, frame_ + 1});
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::requestDataByType(HANDLE h, DWORD requestId, DWORD defineId, DWORD radiusM,
                                     SIMCONNECT_SIMOBJECT_TYPE type)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_RequestDataOnSimObjectType", {},
                         [&]
                         {
                             return nlohmann::json{{"request_id", requestId},
                                                   {"define_id", defineId},
                                                   {"radius_m", radiusM},
                                                   {"type", type}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    if (client.definitions.count(defineId) == 0)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 3);
    }
    else if (radiusM > kMaxRadiusM)
    {
        except(*call, kExceptionOutOfBounds, 4);
    }
    else
    {
        client.pending.emplace_back(TypeRequest{requestId, defineId, radiusM, type});
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::setData(HANDLE h, DWORD defineId, DWORD objectId, DWORD flags, DWORD arrayCount,
                           DWORD unitSize, const void* data)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_SetDataOnSimObject", {data},
                         [&]
                         {
                             return nlohmann::json{{"define_id", defineId},
                                                   {"object_id", objectId},
                                                   {"flags", flags},
                                                   {"array_count", arrayCount},
                                                   {"unit_size", unitSize}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    const auto def = client.definitions.find(defineId);
    ObjectState* object = findObject(objectId);
    if (def == client.definitions.end())
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 2);
    }
    else if (object == nullptr)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 3);
    }
    else if (arrayCount > 1)
    {
        except(*call, kExceptionInvalidArray, 5);
    }
    else if (def->second.variableSize() || unitSize != def->second.fixedSize())
    {
        except(*call, SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE, 6);
    }
    else if (acceptsPosition(*object))
    {
        applyBlock(def->second, *object, static_cast<const std::byte*>(data));
        if (!object->user)
        {
            settle(*object);
        }
    }
    return finish(*call, S_OK);
}

// The aircraft appears (or the creation fails) a few frames later.
HRESULT WorldCore::createAircraft(HANDLE h, const char* title, const char* tail,
                                  const SIMCONNECT_DATA_INITPOSITION& init, DWORD requestId)
{
    std::lock_guard lock(mutex_);
    auto call =
        sendCall(h, "SimConnect_AICreateNonATCAircraft", {title, tail},
                 [&]
                 {
                     return nlohmann::json{{"title", textArg(title)},    {"tail", textArg(tail)},
                                           {"lat", init.Latitude},       {"lon", init.Longitude},
                                           {"alt_ft", init.Altitude},    {"pitch_deg", init.Pitch},
                                           {"bank_deg", init.Bank},      {"heading_deg", init.Heading},
                                           {"on_ground", init.OnGround}, {"airspeed_kt", init.Airspeed},
                                           {"request_id", requestId}};
                 });
    if (!call)
    {
        return E_FAIL;
    }
    creates_.push_back(PendingCreate{call->client->key, call->packet, requestId, title, tail, init,
                                     frame_ + std::max(1, scenario_.createDelayFrames)});
    return finish(*call, S_OK);
}

HRESULT WorldCore::removeObject(HANDLE h, DWORD objectId, DWORD requestId)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_AIRemoveObject", {},
                         [&] {
                             return nlohmann::json{{"object_id", objectId}, {"request_id", requestId}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    if (ownAiObject(*call, objectId) != nullptr && removing_.insert(objectId).second)
    {
        removes_.push_back(PendingRemove{objectId, frame_ + std::max(1, scenario_.removeDelayFrames)});
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::releaseControl(HANDLE h, DWORD objectId, DWORD requestId)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_AIReleaseControl", {},
                         [&] {
                             return nlohmann::json{{"object_id", objectId}, {"request_id", requestId}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    if (ObjectState* object = ownAiObject(*call, objectId))
    {
        object->aiReleased = true;
    }
    return finish(*call, S_OK);
}

// The plan file may be named with or without its .pln extension.
HRESULT WorldCore::setFlightPlan(HANDLE h, DWORD objectId, const char* path, DWORD requestId)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_AISetAircraftFlightPlan", {path},
                         [&] {
                             return nlohmann::json{
                                 {"object_id", objectId}, {"path", textArg(path)}, {"request_id", requestId}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    const std::string plan = path;
    ObjectState* object = ownAiObject(*call, objectId);
    if (object == nullptr)
    {
        return finish(*call, S_OK);
    }
    if (!fileExists(plan) && !fileExists(plan + ".pln") && !fileExists(plan + ".PLN"))
    {
        except(*call, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED, 3);
    }
    else
    {
        object->flightPlan = plan;
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::addToFacilityDefinition(HANDLE h, DWORD defineId, const char* field)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_AddToFacilityDefinition", {field},
                         [&] {
                             return nlohmann::json{{"define_id", defineId}, {"field", textArg(field)}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    if (!call->client->facilityDefinitions[defineId].add(field))
    {
        except(*call, kExceptionNameUnrecognized, 3);
    }
    return finish(*call, S_OK);
}

HRESULT WorldCore::requestFacilityData(HANDLE h, DWORD defineId, DWORD requestId, const char* icao,
                                       const char* region)
{
    std::lock_guard lock(mutex_);
    auto call = sendCall(h, "SimConnect_RequestFacilityData", {icao},
                         [&]
                         {
                             return nlohmann::json{{"define_id", defineId},
                                                   {"request_id", requestId},
                                                   {"icao", textArg(icao)},
                                                   {"region", textArg(region)}};
                         });
    if (!call)
    {
        return E_FAIL;
    }
    Client& client = *call->client;
    if (client.facilityDefinitions.count(defineId) == 0)
    {
        except(*call, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, 2);
    }
    else
    {
        client.pending.emplace_back(FacilityRequest{defineId, requestId, icao, call->packet});
    }
    return finish(*call, S_OK);
}

} // namespace ovr::sim::detail
