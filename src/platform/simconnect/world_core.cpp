// The stand-in's clock and frames, the objects it holds and the scripted
// events. The SimConnect calls themselves are in world_calls.cpp.
#include "platform/simconnect/world_core.h"

#include "platform/simconnect/text_case.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <numbers>
#include <utility>

namespace ovr::sim::detail
{
namespace
{

constexpr double kEarthRadiusM = 6371000.0;
constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
// An AI aircraft this close above its resting height counts as on the ground.
constexpr double kOnGroundToleranceFt = 1.0;
constexpr std::size_t kAtcIdChars = 31;

double distanceM(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = (lat2 - lat1) * kDegree;
    const double dLon = (lon2 - lon1) * kDegree;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) + std::cos(lat1 * kDegree) *
                                                                   std::cos(lat2 * kDegree) *
                                                                   std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kEarthRadiusM * std::asin(std::min(1.0, std::sqrt(a)));
}

int daysInYear(int year)
{
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 366 : 365;
}

double lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

// The shorter way round between two headings.
double lerpHeading(double a, double b, double t)
{
    const double d = std::remainder(b - a, 360.0);
    double h = std::fmod(a + d * t, 360.0);
    return h < 0.0 ? h + 360.0 : h;
}

nlohmann::json toJson(const ObjectState& o)
{
    return {{"id", o.id},
            {"user", o.user},
            {"owner", o.owner},
            {"title", o.title},
            {"atc_model", o.atcModel},
            {"atc_id", o.atcId},
            {"lat", o.latDeg},
            {"lon", o.lonDeg},
            {"alt_ft", o.altFt},
            {"pitch_deg", o.pitchDeg},
            {"bank_deg", o.bankDeg},
            {"heading_deg", o.headingDeg},
            {"ground_speed_kt", o.groundSpeedKt},
            {"airspeed_kt", o.airspeedKt},
            {"vertical_speed_fps", o.verticalSpeedFps},
            {"on_ground", o.onGround},
            {"lights", o.lights},
            {"engines_running", o.enginesRunning},
            {"gear_down", o.gearDown},
            {"flaps_percent", o.flapsPercent},
            {"spoilers_percent", o.spoilersPercent},
            {"throttle_percent", o.throttlePercent},
            {"frozen", {o.frozenLatLon, o.frozenAltitude, o.frozenAttitude}},
            {"ai_released", o.aiReleased},
            {"flight_plan", o.flightPlan}};
}

template <class... Fs> struct Overloaded : Fs...
{
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace

WorldCore::WorldCore(Scenario scenario, WorldOptions options)
    : scenario_(std::move(scenario)), options_(std::move(options)), available_(scenario_.available),
      running_(scenario_.running), userId_(std::max<DWORD>(1, scenario_.user.objectId)), nextId_(userId_ + 1)
{
    if (options_.tracePath)
    {
        trace_ = std::make_unique<TraceWriter>(*options_.tracePath);
        if (!trace_->enabled())
        {
            trace_.reset();
        }
    }

    const UserAircraft& u = scenario_.user;
    ObjectState user;
    user.id = userId_;
    user.user = true;
    user.title = u.title;
    user.atcModel = u.atcModel;
    user.atcId = u.atcId;
    user.lights = u.lights;
    const InstalledTitle* installed = installedTitle(u.title);
    user.staticCgFt = installed ? installed->cgHeightFt : scenario_.installed.defaultCgHeightFt;
    user.staticPitchDeg = installed ? installed->pitchDeg : scenario_.installed.defaultPitchDeg;
    place(user, u.pose);
    objects_[userId_] = user;

    for (const ForeignAircraft& f : scenario_.foreign)
    {
        addForeignLocked(f);
    }
    userPath_ = u.path;
    std::stable_sort(scenario_.events.begin(), scenario_.events.end(),
                     [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.atMs < b.atMs; });

    if (options_.realTime)
    {
        ticker_ = std::jthread([this](std::stop_token stop) { tick(stop); });
    }
}

WorldCore::~WorldCore()
{
    if (ticker_.joinable())
    {
        ticker_.request_stop();
        ticker_.join();
    }
    if (trace_)
    {
        trace_->flush();
    }
}

// ---- objects and ground ----

ObjectState* WorldCore::findObject(DWORD objectId)
{
    const auto it = objects_.find(objectId == SIMCONNECT_OBJECT_ID_USER ? userId_ : objectId);
    return it == objects_.end() ? nullptr : &it->second;
}

const ObjectState* WorldCore::findObject(DWORD objectId) const
{
    const auto it = objects_.find(objectId == SIMCONNECT_OBJECT_ID_USER ? userId_ : objectId);
    return it == objects_.end() ? nullptr : &it->second;
}

double WorldCore::groundAt(double latDeg, double lonDeg) const
{
    for (const ElevationDisc& d : scenario_.terrain.discs)
    {
        if (distanceM(latDeg, lonDeg, d.latDeg, d.lonDeg) <= d.radiusM)
        {
            return d.elevationFt;
        }
    }
    return scenario_.terrain.elevationFt;
}

VarContext WorldCore::contextFor(const ObjectState& object) const
{
    VarContext c;
    c.groundFt = groundAt(object.latDeg, object.lonDeg);
    const double total = scenario_.zuluSeconds + static_cast<double>(clockUs_) / kMicrosPerSecond;
    const double days = std::floor(total / kSecondsPerDay);
    c.zuluSeconds = total - days * kSecondsPerDay;
    int day = scenario_.zuluDayOfYear + static_cast<int>(days);
    int year = scenario_.zuluYear;
    while (day > daysInYear(year))
    {
        day -= daysInYear(year);
        ++year;
    }
    c.zuluDayOfYear = day;
    c.zuluYear = year;
    return c;
}

// Titles are matched exactly: the simulator's container titles are case-sensitive.
const InstalledTitle* WorldCore::installedTitle(const std::string& title) const
{
    const auto& titles = scenario_.installed.titles;
    const auto it =
        std::find_if(titles.begin(), titles.end(), [&](const InstalledTitle& t) { return t.title == title; });
    return it == titles.end() ? nullptr : &*it;
}

void WorldCore::place(ObjectState& object, const Pose& pose) const
{
    object.latDeg = pose.latDeg;
    object.lonDeg = pose.lonDeg;
    object.altFt = pose.altFt.value_or(groundAt(pose.latDeg, pose.lonDeg) + object.staticCgFt);
    object.pitchDeg = pose.pitchDeg;
    object.bankDeg = pose.bankDeg;
    object.headingDeg = pose.headingDeg;
    object.groundSpeedKt = pose.groundSpeedKt;
    object.airspeedKt = pose.airspeedKt;
    object.verticalSpeedFps = pose.verticalSpeedFps;
    object.onGround = pose.altFt ? pose.onGround : true;
}

Pose WorldCore::poseOf(const ObjectState& o) const
{
    return Pose{o.latDeg,     o.lonDeg,        o.altFt,      o.pitchDeg,         o.bankDeg,
                o.headingDeg, o.groundSpeedKt, o.airspeedKt, o.verticalSpeedFps, o.onGround};
}

void WorldCore::settle(ObjectState& object) const
{
    object.onGround =
        object.altFt <= groundAt(object.latDeg, object.lonDeg) + object.staticCgFt + kOnGroundToleranceFt;
}

DWORD WorldCore::nextObjectId()
{
    while (objects_.count(nextId_) != 0)
    {
        ++nextId_;
    }
    return nextId_++;
}

DWORD WorldCore::addForeignLocked(const ForeignAircraft& aircraft)
{
    const bool idFree = aircraft.objectId && *aircraft.objectId != SIMCONNECT_OBJECT_ID_USER &&
                        objects_.count(*aircraft.objectId) == 0;
    const DWORD id = idFree ? *aircraft.objectId : nextObjectId();
    nextId_ = std::max(nextId_, id + 1);

    ObjectState o;
    o.id = id;
    o.title = aircraft.title;
    o.atcModel = aircraft.atcModel;
    o.atcId = aircraft.atcId.substr(0, kAtcIdChars);
    const InstalledTitle* installed = installedTitle(aircraft.title);
    o.staticCgFt = installed ? installed->cgHeightFt : scenario_.installed.defaultCgHeightFt;
    o.staticPitchDeg = installed ? installed->pitchDeg : scenario_.installed.defaultPitchDeg;
    place(o, aircraft.pose);
    objects_[id] = std::move(o);
    broadcastAddRemove("objectadded", id);
    return id;
}

void WorldCore::removeObjectNow(DWORD objectId)
{
    if (objectId == userId_ || objects_.erase(objectId) == 0)
    {
        return;
    }
    ownerOf_.erase(objectId);
    removing_.erase(objectId);
    broadcastAddRemove("objectremoved", objectId);
}

// ---- records ----

void WorldCore::sendException(Client& client, DWORD exception, DWORD sendId, DWORD index)
{
    SIMCONNECT_RECV_EXCEPTION* rec = nullptr;
    Message m = Message::make(SIMCONNECT_RECV_ID_EXCEPTION, rec);
    rec->dwException = exception;
    rec->dwSendID = sendId;
    rec->dwIndex = index;
    queue(client, std::move(m),
          [&] {
              return nlohmann::json{{"exception", exception}, {"send_id", sendId}, {"index", index}};
          });
}

void WorldCore::sendEvent(Client& client, DWORD groupId, DWORD eventId, DWORD data)
{
    SIMCONNECT_RECV_EVENT* rec = nullptr;
    Message m = Message::make(SIMCONNECT_RECV_ID_EVENT, rec);
    rec->uGroupID = groupId;
    rec->uEventID = eventId;
    rec->dwData = data;
    queue(client, std::move(m),
          [&] {
              return nlohmann::json{{"group_id", groupId}, {"event_id", eventId}, {"data", data}};
          });
}

void WorldCore::broadcastAddRemove(const char* systemEvent, DWORD objectId)
{
    forSubscribers(systemEvent,
                   [&](Client& client, DWORD eventId)
                   {
                       SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE* rec = nullptr;
                       Message m = Message::make(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE, rec);
                       rec->uGroupID = SIMCONNECT_UNUSED;
                       rec->uEventID = eventId;
                       rec->dwData = objectId;
                       rec->eObjType = SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT;
                       queue(client, std::move(m),
                             [&]
                             {
                                 return nlohmann::json{{"event", systemEvent},
                                                       {"event_id", eventId},
                                                       {"object_id", objectId},
                                                       {"obj_type", 2}};
                             });
                   });
}

// ---- frames ----

std::int64_t WorldCore::frameTimeUs(std::int64_t frame) const
{
    return frame * kMicrosPerSecond / kFrameRate;
}

void WorldCore::advance(std::int64_t ms)
{
    std::lock_guard lock(mutex_);
    advanceToLocked(clockUs_ + std::max<std::int64_t>(0, ms) * 1000);
}

std::int64_t WorldCore::nowMs() const
{
    std::lock_guard lock(mutex_);
    return clockMs();
}

void WorldCore::advanceToLocked(std::int64_t targetUs)
{
    while (frameTimeUs(frame_ + 1) <= targetUs)
    {
        ++frame_;
        clockUs_ = frameTimeUs(frame_);
        runFrame();
    }
    clockUs_ = std::max(clockUs_, targetUs);
}

void WorldCore::runFrame()
{
    fireScript();
    followUserPath();
    finishCreates();
    finishRemoves();
    for (auto& [key, client] : clients_)
    {
        if (client->dead)
        {
            continue;
        }
        const std::vector<PendingRequest> pending = std::exchange(client->pending, {});
        for (const PendingRequest& request : pending)
        {
            answer(*client, request);
        }
        sendPeriodic(*client);
    }
    if (running_)
    {
        forSubscribers("frame",
                       [&](Client& client, DWORD eventId)
                       {
                           SIMCONNECT_RECV_EVENT_FRAME* rec = nullptr;
                           Message m = Message::make(SIMCONNECT_RECV_ID_EVENT_FRAME, rec);
                           rec->uGroupID = SIMCONNECT_UNUSED;
                           rec->uEventID = eventId;
                           rec->fFrameRate = static_cast<float>(kFrameRate);
                           rec->fSimSpeed = 1.0F;
                           queue(client, std::move(m), [&] { return nlohmann::json{{"event_id", eventId}}; });
                       });
    }
    if (trace_ && frame_ % kFrameRate == 0)
    {
        snapshot();
    }
}

void WorldCore::fireScript()
{
    while (nextScript_ < scenario_.events.size() && scenario_.events[nextScript_].atMs * 1000 <= clockUs_)
    {
        applyLocked(scenario_.events[nextScript_++].action);
    }
}

void WorldCore::followUserPath()
{
    if (userPath_.empty())
    {
        return;
    }
    const std::int64_t now = clockMs();
    if (now >= userPath_.back().atMs)
    {
        place(user(), userPath_.back().pose);
        userPath_.clear();
        return;
    }
    if (now < userPath_.front().atMs)
    {
        return;
    }
    const auto next = std::upper_bound(userPath_.begin(), userPath_.end(), now,
                                       [](std::int64_t t, const PathPoint& p) { return t < p.atMs; });
    const Pose& a = std::prev(next)->pose;
    const Pose& b = next->pose;
    const double t = static_cast<double>(now - std::prev(next)->atMs) /
                     static_cast<double>(next->atMs - std::prev(next)->atMs);

    ObjectState& u = user();
    Pose p = a;
    p.latDeg = lerp(a.latDeg, b.latDeg, t);
    p.lonDeg = lerp(a.lonDeg, b.lonDeg, t);
    if (a.altFt || b.altFt)
    {
        const double altA = a.altFt.value_or(groundAt(a.latDeg, a.lonDeg) + u.staticCgFt);
        const double altB = b.altFt.value_or(groundAt(b.latDeg, b.lonDeg) + u.staticCgFt);
        p.altFt = lerp(altA, altB, t);
    }
    p.pitchDeg = lerp(a.pitchDeg, b.pitchDeg, t);
    p.bankDeg = lerp(a.bankDeg, b.bankDeg, t);
    p.headingDeg = lerpHeading(a.headingDeg, b.headingDeg, t);
    p.groundSpeedKt = lerp(a.groundSpeedKt, b.groundSpeedKt, t);
    p.airspeedKt = lerp(a.airspeedKt, b.airspeedKt, t);
    p.verticalSpeedFps = lerp(a.verticalSpeedFps, b.verticalSpeedFps, t);
    place(u, p);
}

void WorldCore::finishCreates()
{
    const auto due = std::stable_partition(creates_.begin(), creates_.end(),
                                           [&](const PendingCreate& c) { return c.dueFrame > frame_; });
    std::vector<PendingCreate> ready(std::make_move_iterator(due), std::make_move_iterator(creates_.end()));
    creates_.erase(due, creates_.end());

    for (const PendingCreate& c : ready)
    {
        const auto it = clients_.find(c.clientKey);
        if (it == clients_.end() || it->second->dead)
        {
            continue;
        }
        Client& client = *it->second;
        const InstalledTitle* installed = installedTitle(c.title);
        if (installed == nullptr && !scenario_.installed.acceptAll)
        {
            sendException(client, SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED, c.packetId, 2);
            continue;
        }
        if (objects_.size() - 1 >= scenario_.objectCap)
        {
            sendException(client, SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS, c.packetId, kUnknownIndex);
            continue;
        }

        ObjectState o;
        o.id = nextObjectId();
        o.owner = client.name;
        o.title = c.title;
        o.atcModel = installed ? installed->atcModel : std::string();
        o.atcId = c.tail.substr(0, kAtcIdChars);
        o.staticCgFt = installed ? installed->cgHeightFt : scenario_.installed.defaultCgHeightFt;
        o.staticPitchDeg = installed ? installed->pitchDeg : scenario_.installed.defaultPitchDeg;
        Pose pose;
        pose.latDeg = c.init.Latitude;
        pose.lonDeg = c.init.Longitude;
        if (c.init.OnGround == 0)
        {
            pose.altFt = c.init.Altitude;
        }
        pose.pitchDeg = c.init.Pitch;
        pose.bankDeg = c.init.Bank;
        pose.headingDeg = c.init.Heading;
        pose.airspeedKt = c.init.Airspeed;
        place(o, pose);
        settle(o);
        const DWORD id = o.id;
        objects_[id] = std::move(o);
        ownerOf_[id] = client.key;

        broadcastAddRemove("objectadded", id);
        SIMCONNECT_RECV_ASSIGNED_OBJECT_ID* rec = nullptr;
        Message m = Message::make(SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID, rec);
        rec->dwRequestID = c.requestId;
        rec->dwObjectID = id;
        queue(client, std::move(m),
              [&] {
                  return nlohmann::json{{"request_id", c.requestId}, {"object_id", id}};
              });
    }
}

void WorldCore::finishRemoves()
{
    const auto due = std::stable_partition(removes_.begin(), removes_.end(),
                                           [&](const PendingRemove& r) { return r.dueFrame > frame_; });
    std::vector<PendingRemove> ready(due, removes_.end());
    removes_.erase(due, removes_.end());
    for (const PendingRemove& r : ready)
    {
        removeObjectNow(r.objectId);
    }
}

void WorldCore::answer(Client& client, const PendingRequest& request)
{
    std::visit(
        Overloaded{
            [&](const DataRequest& r)
            {
                if (const ObjectState* o = findObject(r.objectId))
                {
                    sendObjectData(client, r, SIMCONNECT_RECV_ID_SIMOBJECT_DATA, *o, 1, 1);
                }
            },
            [&](const TypeRequest& r)
            {
                if (r.type != SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT)
                {
                    return;
                }
                const ObjectState& centre = user();
                std::vector<const ObjectState*> found{&centre};
                for (const auto& [id, o] : objects_)
                {
                    if (id != userId_ && r.radiusM > 0 &&
                        distanceM(centre.latDeg, centre.lonDeg, o.latDeg, o.lonDeg) <= r.radiusM)
                    {
                        found.push_back(&o);
                    }
                }
                const DataRequest data{r.requestId, r.defineId, 0, 0};
                const auto outOf = static_cast<DWORD>(found.size());
                for (DWORD i = 0; i < outOf; ++i)
                {
                    sendObjectData(client, data, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, *found[i], i + 1,
                                   outOf);
                }
            },
            [&](const FacilityRequest& r) { sendFacilityData(client, r); },
        },
        request);
}

void WorldCore::sendObjectData(Client& client, const DataRequest& request, SIMCONNECT_RECV_ID id,
                               const ObjectState& object, DWORD entry, DWORD outOf)
{
    const auto def = client.definitions.find(request.defineId);
    if (def == client.definitions.end())
    {
        return;
    }
    const std::vector<std::byte> block = serialise(def->second, object, contextFor(object));
    SIMCONNECT_RECV_SIMOBJECT_DATA* rec = nullptr;
    Message m = Message::withData(id, block, rec);
    rec->dwRequestID = request.requestId;
    rec->dwObjectID = object.id;
    rec->dwDefineID = request.defineId;
    rec->dwFlags = request.flags;
    rec->dwentrynumber = entry;
    rec->dwoutof = outOf;
    rec->dwDefineCount = static_cast<DWORD>(def->second.fields.size());
    queue(client, std::move(m),
          [&]
          {
              return nlohmann::json{{"request_id", request.requestId},
                                    {"object_id", object.id},
                                    {"define_id", request.defineId},
                                    {"entry", entry},
                                    {"out_of", outOf},
                                    {"bytes", block.size()}};
          });
}

void WorldCore::sendFacilityData(Client& client, const FacilityRequest& request)
{
    const auto& airports = scenario_.airports;
    const auto airport =
        std::find_if(airports.begin(), airports.end(),
                     [&](const AirportFacility& a) { return equalsNoCase(a.icao, request.icao); });
    const auto def = client.facilityDefinitions.find(request.defineId);
    if (airport == airports.end() || def == client.facilityDefinitions.end())
    {
        sendException(client, kExceptionError, request.packetId, 4);
        return;
    }

    const auto sendBlock = [&](SIMCONNECT_FACILITY_DATA_TYPE type, const std::vector<std::byte>& block,
                               DWORD parent, bool listItem, DWORD index, DWORD listSize)
    {
        const DWORD unique = nextFacilityUnique_++;
        SIMCONNECT_RECV_FACILITY_DATA* rec = nullptr;
        Message m = Message::withData(SIMCONNECT_RECV_ID_FACILITY_DATA, block, rec);
        rec->UserRequestId = request.requestId;
        rec->UniqueRequestId = unique;
        rec->ParentUniqueRequestId = parent;
        rec->Type = type;
        rec->IsListItem = listItem;
        rec->ItemIndex = index;
        rec->ListSize = listSize;
        queue(client, std::move(m),
              [&]
              {
                  return nlohmann::json{{"request_id", request.requestId},
                                        {"type", type},
                                        {"unique", unique},
                                        {"parent", parent},
                                        {"index", index},
                                        {"bytes", block.size()}};
              });
        return unique;
    };

    const FacilityDefinition& d = def->second;
    DWORD parent = 0;
    if (d.has(FacilityBlock::airport))
    {
        parent = sendBlock(SIMCONNECT_FACILITY_DATA_AIRPORT, d.airportBlock(*airport), 0, false, 0, 0);
    }
    if (d.has(FacilityBlock::taxiParking))
    {
        const auto n = static_cast<DWORD>(airport->parkings.size());
        for (DWORD i = 0; i < n; ++i)
        {
            sendBlock(SIMCONNECT_FACILITY_DATA_TAXI_PARKING, d.parkingBlock(airport->parkings[i]), parent,
                      true, i, n);
        }
    }
    if (d.has(FacilityBlock::helipad))
    {
        const auto n = static_cast<DWORD>(airport->helipads.size());
        for (DWORD i = 0; i < n; ++i)
        {
            sendBlock(SIMCONNECT_FACILITY_DATA_HELIPAD, d.helipadBlock(airport->helipads[i]), parent, true, i,
                      n);
        }
    }
    SIMCONNECT_RECV_FACILITY_DATA_END* end = nullptr;
    Message m = Message::make(SIMCONNECT_RECV_ID_FACILITY_DATA_END, end);
    end->RequestId = request.requestId;
    queue(client, std::move(m), [&] { return nlohmann::json{{"request_id", request.requestId}}; });
}

// Periodic data flows while the simulation runs.
void WorldCore::sendPeriodic(Client& client)
{
    if (!running_)
    {
        return;
    }
    for (PeriodicRequest& p : client.periodic)
    {
        if (frame_ < p.nextFrame)
        {
            continue;
        }
        p.nextFrame = frame_ + kFrameRate;
        if (const ObjectState* o = findObject(p.request.objectId))
        {
            sendObjectData(client, p.request, SIMCONNECT_RECV_ID_SIMOBJECT_DATA, *o, 1, 1);
        }
    }
}

void WorldCore::snapshot()
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& [id, o] : objects_)
    {
        list.push_back(toJson(o));
    }
    trace_->write(clockMs(), "objects", {{"objects", std::move(list)}});
    trace_->flush();
}

void WorldCore::tick(std::stop_token stop)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::mutex sleepMutex;
    std::condition_variable_any wake;
    while (!stop.stop_requested())
    {
        std::int64_t dueUs = 0;
        {
            std::lock_guard lock(mutex_);
            dueUs = frameTimeUs(frame_ + 1);
        }
        {
            std::unique_lock sleepLock(sleepMutex);
            wake.wait_until(sleepLock, stop, start + std::chrono::microseconds(dueUs), [] { return false; });
        }
        if (stop.stop_requested())
        {
            break;
        }
        const auto elapsedUs =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        std::lock_guard lock(mutex_);
        // After a stall (a debugger, a loaded machine) the world goes on from
        // the present rather than replaying every frame it missed.
        constexpr int kMaxCatchUpFrames = 5;
        if (elapsedUs - frameTimeUs(frame_ + 1) > frameTimeUs(kMaxCatchUpFrames))
        {
            frame_ = elapsedUs * kFrameRate / kMicrosPerSecond - 1;
        }
        advanceToLocked(elapsedUs);
    }
}

// ---- scripted events ----

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

bool WorldCore::consumeFailure(const char* fn)
{
    const auto it = failures_.find(fn);
    if (it == failures_.end() || it->second <= 0)
    {
        return false;
    }
    if (--it->second == 0)
    {
        failures_.erase(it);
    }
    return true;
}

// ---- observation ----

std::vector<ObjectState> WorldCore::objects() const
{
    std::lock_guard lock(mutex_);
    std::vector<ObjectState> out;
    out.reserve(objects_.size());
    for (const auto& [id, o] : objects_)
    {
        out.push_back(o);
    }
    return out;
}

std::optional<ObjectState> WorldCore::object(DWORD id) const
{
    std::lock_guard lock(mutex_);
    const ObjectState* o = findObject(id);
    return o ? std::optional(*o) : std::nullopt;
}

std::vector<CallRecord> WorldCore::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<MessageRecord> WorldCore::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

void WorldCore::clearLogs()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
    messages_.clear();
}

std::vector<std::string> WorldCore::clients() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& [key, client] : clients_)
    {
        out.push_back(client->name);
    }
    return out;
}

std::size_t WorldCore::queued(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& [key, client] : clients_)
    {
        if (client->name == name)
        {
            n += client->queue.size();
        }
    }
    return n;
}

bool WorldCore::available() const
{
    std::lock_guard lock(mutex_);
    return available_;
}

bool WorldCore::running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

} // namespace ovr::sim::detail
