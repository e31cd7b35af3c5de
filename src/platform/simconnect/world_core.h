// The state and workings of the stand-in simulator behind World and the
// SimConnect functions. One mutex guards everything; the dispatch procedure
// of a client is called without it, one record at a time, so a procedure
// may call back into the simulator and may throw, leaving the records not
// yet delivered in the queue.
#pragma once

#include "platform/simconnect/data_definition.h"
#include "platform/simconnect/facility_definition.h"
#include "platform/simconnect/message.h"
#include "platform/simconnect/sim_events.h"
#include "platform/simconnect/simconnect.h"
#include "platform/simconnect/trace_writer.h"
#include "platform/simconnect/world.h"
#include "platform/simconnect/world_records.h"

#include <deque>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace ovr::sim::detail
{

// Exceptions the stand-in raises beyond those the program names.
constexpr DWORD kExceptionError = 1;
constexpr DWORD kExceptionNameUnrecognized = 7;
constexpr DWORD kExceptionInvalidDataType = 18;
constexpr DWORD kExceptionInvalidArray = 21;
constexpr DWORD kExceptionInvalidEnum = 27;
constexpr DWORD kExceptionOutOfBounds = 31;

// The largest radius of a by-type request, in metres.
constexpr DWORD kMaxRadiusM = 200000;

// dwIndex of an exception that no single argument caused.
constexpr DWORD kUnknownIndex = 0xFFFFFFFFu;

constexpr std::int64_t kMicrosPerSecond = 1'000'000;

// An ATC ID is a STRING32: 31 characters and a NUL.
constexpr std::size_t kAtcIdChars = 31;

// Visits a variant with one lambda per alternative.
template <class... Fs> struct Overloaded : Fs...
{
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

class WorldCore
{
  public:
    WorldCore(Scenario scenario, WorldOptions options);
    ~WorldCore();

    // The SimConnect calls (simconnect.cpp forwards each function here).
    HRESULT open(HANDLE* out, const char* name);
    HRESULT close(HANDLE h);
    HRESULT callDispatch(HANDLE h, DispatchProc proc, void* context);
    HRESULT lastSentPacketId(HANDLE h, DWORD* out);
    HRESULT requestSystemState(HANDLE h, DWORD requestId, const char* state);
    HRESULT subscribeToSystemEvent(HANDLE h, DWORD eventId, const char* name);
    HRESULT mapClientEvent(HANDLE h, DWORD eventId, const char* name);
    HRESULT addClientEventToGroup(HANDLE h, DWORD groupId, DWORD eventId, BOOL maskable);
    HRESULT setGroupPriority(HANDLE h, DWORD groupId, DWORD priority);
    HRESULT transmitClientEvent(HANDLE h, DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                DWORD flags);
    HRESULT addToDataDefinition(HANDLE h, DWORD defineId, const char* name, const char* units,
                                SIMCONNECT_DATATYPE type);
    HRESULT requestData(HANDLE h, DWORD requestId, DWORD defineId, DWORD objectId, SIMCONNECT_PERIOD period,
                        DWORD flags);
    HRESULT requestDataByType(HANDLE h, DWORD requestId, DWORD defineId, DWORD radiusM,
                              SIMCONNECT_SIMOBJECT_TYPE type);
    HRESULT setData(HANDLE h, DWORD defineId, DWORD objectId, DWORD flags, DWORD arrayCount, DWORD unitSize,
                    const void* data);
    HRESULT createAircraft(HANDLE h, const char* title, const char* tail,
                           const SIMCONNECT_DATA_INITPOSITION& init, DWORD requestId);
    HRESULT removeObject(HANDLE h, DWORD objectId, DWORD requestId);
    HRESULT releaseControl(HANDLE h, DWORD objectId, DWORD requestId);
    HRESULT setFlightPlan(HANDLE h, DWORD objectId, const char* path, DWORD requestId);
    HRESULT addToFacilityDefinition(HANDLE h, DWORD defineId, const char* field);
    HRESULT requestFacilityData(HANDLE h, DWORD defineId, DWORD requestId, const char* icao,
                                const char* region);

    // What World offers.
    void advance(std::int64_t ms);
    std::int64_t nowMs() const;
    void apply(const ScriptedAction& action);
    DWORD addForeign(const ForeignAircraft& aircraft);
    std::vector<ObjectState> objects() const;
    std::optional<ObjectState> object(DWORD id) const;
    std::vector<CallRecord> calls() const;
    std::vector<MessageRecord> messages() const;
    void clearLogs();
    std::vector<std::string> clients() const;
    std::size_t queued(const std::string& client) const;
    bool available() const;
    bool running() const;

  private:
    struct DataRequest
    {
        DWORD requestId;
        DWORD defineId;
        DWORD objectId;
        DWORD flags;
    };
    struct TypeRequest
    {
        DWORD requestId;
        DWORD defineId;
        DWORD radiusM;
        SIMCONNECT_SIMOBJECT_TYPE type;
    };
    struct StateRequest
    {
        DWORD requestId;
        std::string state; // lower case
        DWORD packetId;
    };
    struct FacilityRequest
    {
        DWORD defineId;
        DWORD requestId;
        std::string icao;
        DWORD packetId;
    };
    using PendingRequest = std::variant<DataRequest, TypeRequest, FacilityRequest, StateRequest>;

    struct PeriodicRequest
    {
        DataRequest request;
        std::int64_t nextFrame;
    };

    struct Client
    {
        DWORD key = 0;
        std::string name;
        bool dead = false; // the simulator quit: only the records left can be dispatched
        std::deque<Message> queue;
        DWORD lastPacket = 0;
        std::map<DWORD, std::string> systemEvents; // client event -> lower-case system event name
        std::map<DWORD, const SimEvent*> mappedEvents;
        std::map<DWORD, std::set<DWORD>> groups; // notification group -> client events
        std::map<DWORD, DWORD> groupPriority;
        std::map<DWORD, DataDefinition> definitions;
        std::map<DWORD, FacilityDefinition> facilityDefinitions;
        std::vector<PendingRequest> pending; // answered on the next frame
        std::vector<PeriodicRequest> periodic;
        std::uint64_t dispatchCalls = 0;
    };

    struct PendingCreate
    {
        DWORD clientKey;
        DWORD packetId;
        DWORD requestId;
        std::string title;
        std::string tail;
        SIMCONNECT_DATA_INITPOSITION init;
        std::int64_t dueFrame;
    };
    struct PendingRemove
    {
        DWORD objectId;
        std::int64_t dueFrame;
    };

    // One call being served: logged when it ends, with its packet id when it
    // reached the simulator.
    struct Call
    {
        Call(const char* name, bool logs, Client* c = nullptr) : fn(name), client(c), logged(logs) {}

        const char* fn;
        Client* client = nullptr;
        bool logged; // a record of it goes to the trace or to calls(): its args are worth building
        nlohmann::json args;
        DWORD packet = 0;
        std::string openName; // the name a failed open asked for
    };

    bool logging() const { return options_.keepLogs || trace_ != nullptr; }
    // Whether a call of fn ends up in the trace or in calls(). A long run
    // names its per-frame calls unlogged, and building a JSON record for
    // each of them only to drop it would be most of the stand-in's cost.
    bool logsCall(const char* fn) const;
    std::int64_t clockMs() const { return clockUs_ / 1000; }

    // Admits a call on a live connection (or, with allowDead, on one whose
    // simulator quit); a refused call is logged and yields nothing.
    template <class MakeArgs>
    std::optional<Call> begin(HANDLE h, const char* fn, MakeArgs&& makeArgs, bool allowDead = false);
    // Admits a call that goes to the simulator: its pointer arguments must
    // be there; it then gets its packet id.
    template <class MakeArgs>
    std::optional<Call> sendCall(HANDLE h, const char* fn, std::initializer_list<const void*> required,
                                 MakeArgs&& makeArgs);
    HRESULT finish(Call& call, HRESULT result);
    void except(Call& call, DWORD exception, DWORD index);
    // The caller's own AI object, or nullptr after the exception that says why not.
    ObjectState* ownAiObject(Call& call, DWORD objectId);
    bool consumeFailure(const char* fn);
    Client* findClient(HANDLE h);

    template <class MakeFields> void queue(Client& client, Message message, MakeFields&& makeFields);
    void sendException(Client& client, DWORD exception, DWORD sendId, DWORD index);
    void sendEvent(Client& client, DWORD groupId, DWORD eventId, DWORD data);
    // Every live client subscribed to the system event (lower-case name),
    // with its own event id.
    template <class Fn> void forSubscribers(const char* systemEvent, Fn&& fn);
    void broadcastAddRemove(const char* systemEvent, DWORD objectId);

    ObjectState* findObject(DWORD objectId); // 0 is the user aircraft
    const ObjectState* findObject(DWORD objectId) const;
    ObjectState& user() { return objects_.at(userId_); }
    double groundAt(double latDeg, double lonDeg) const;
    VarContext contextFor(const ObjectState& object) const;
    const InstalledTitle* installedTitle(const std::string& title) const;
    void place(ObjectState& object, const Pose& pose) const;
    Pose poseOf(const ObjectState& object) const;
    void settle(ObjectState& object) const;
    DWORD nextObjectId();

    // Frames.
    std::int64_t frameTimeUs(std::int64_t frame) const;
    void advanceToLocked(std::int64_t targetUs);
    void runFrame();
    void fireScript();
    void followUserPath();
    void finishCreates();
    void finishRemoves();
    void answer(Client& client, const PendingRequest& request);
    void sendObjectData(Client& client, const DataRequest& request, SIMCONNECT_RECV_ID id,
                        const ObjectState& object, DWORD entry, DWORD outOf);
    void sendFacilityData(Client& client, const FacilityRequest& request);
    void sendSystemState(Client& client, const StateRequest& request);
    // The simulator is busy loading: frames, answers and creations wait.
    bool stalled() const { return clockUs_ < stallUntilUs_; }
    void stall(std::int64_t ms);
    // Whether this frame sends a Frame event.
    bool frameSent() const;
    // What an AI object lets a client change (strict mode: little until it
    // is released, and frozen).
    bool acceptsEvents(const ObjectState& object) const;
    bool acceptsPosition(const ObjectState& object) const;
    void sendPeriodic(Client& client);
    void snapshot();
    void applyLocked(const ScriptedAction& action);
    DWORD addForeignLocked(const ForeignAircraft& aircraft);
    void removeObjectNow(DWORD objectId);
    void tick(std::stop_token stop);

    mutable std::mutex mutex_;
    Scenario scenario_;
    WorldOptions options_;
    std::unique_ptr<TraceWriter> trace_;

    bool available_;
    bool running_;
    std::int64_t clockUs_ = 0;
    std::int64_t frame_ = 0;
    std::int64_t stallUntilUs_ = 0;
    std::size_t nextScript_ = 0;

    DWORD userId_;
    DWORD nextId_;
    std::map<DWORD, ObjectState> objects_;
    std::map<DWORD, DWORD> ownerOf_; // object -> key of the client that created it
    std::set<DWORD> removing_;
    std::vector<PendingCreate> creates_;
    std::vector<PendingRemove> removes_;
    std::vector<PathPoint> userPath_;
    std::map<std::string, int> failures_;
    DWORD nextFacilityUnique_ = 1;

    std::map<DWORD, std::unique_ptr<Client>> clients_; // by key, in the order opened
    std::vector<CallRecord> calls_;
    std::vector<MessageRecord> messages_;

    std::jthread ticker_;
};

template <class MakeArgs>
std::optional<WorldCore::Call> WorldCore::begin(HANDLE h, const char* fn, MakeArgs&& makeArgs, bool allowDead)
{
    Call call{fn, logsCall(fn)};
    if (call.logged)
    {
        call.args = makeArgs();
    }
    call.client = findClient(h);
    if (call.client == nullptr || (call.client->dead && !allowDead) || consumeFailure(fn))
    {
        finish(call, E_FAIL);
        return std::nullopt;
    }
    return call;
}

template <class MakeArgs>
std::optional<WorldCore::Call> WorldCore::sendCall(HANDLE h, const char* fn,
                                                   std::initializer_list<const void*> required,
                                                   MakeArgs&& makeArgs)
{
    std::optional<Call> call = begin(h, fn, std::forward<MakeArgs>(makeArgs));
    if (!call)
    {
        return std::nullopt;
    }
    for (const void* p : required)
    {
        if (p == nullptr)
        {
            finish(*call, E_FAIL);
            return std::nullopt;
        }
    }
    call->packet = ++call->client->lastPacket;
    return call;
}

template <class MakeFields> void WorldCore::queue(Client& client, Message message, MakeFields&& makeFields)
{
    if (logging())
    {
        MessageRecord record{clockMs(), client.name, message.recv()->dwID, makeFields()};
        if (trace_)
        {
            trace_->write(record.atMs, "msg",
                          {{"client", record.client},
                           {"id", record.id},
                           {"record", recvName(record.id)},
                           {"fields", record.fields}});
        }
        if (options_.keepLogs)
        {
            messages_.push_back(std::move(record));
        }
    }
    client.queue.push_back(std::move(message));
}

template <class Fn> void WorldCore::forSubscribers(const char* systemEvent, Fn&& fn)
{
    for (auto& [key, client] : clients_)
    {
        if (client->dead)
        {
            continue;
        }
        for (const auto& [eventId, name] : client->systemEvents)
        {
            if (name == systemEvent)
            {
                fn(*client, eventId);
            }
        }
    }
}

} // namespace ovr::sim::detail
