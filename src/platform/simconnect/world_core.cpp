// The stand-in's objects, the ground under them, the records it sends and
// what tests observe. The clock and frames are in world_frames.cpp, the
// scripted events in world_script.cpp, the SimConnect calls in world_calls.cpp.
#include "platform/simconnect/world_core.h"

#include "platform/simconnect/geo.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace ovr::sim::detail
{
namespace
{

constexpr double kSecondsPerDay = 86400.0;
// An AI aircraft this close above its resting height counts as on the ground.
constexpr double kOnGroundToleranceFt = 1.0;

int daysInYear(int year)
{
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 366 : 365;
}

} // namespace

WorldCore::WorldCore(Scenario scenario, WorldOptions options)
    : scenario_(std::move(scenario)), options_(std::move(options)), available_(scenario_.available),
      running_(scenario_.running), userId_(std::max<DWORD>(1, scenario_.user.objectId)),
      nextId_(scenario_.strictness.firstAiObjectId.value_or(userId_ + 1))
{
    if (options_.tracePath)
    {
        trace_ = std::make_unique<TraceWriter>(*options_.tracePath);
        if (!trace_->enabled())
        {
            trace_.reset();
        }
        else if (options_.realTime)
        {
            // The wall clock at the world's time 0, so that the trace can be
            // set beside records of other programs that carry UTC.
            const auto epochMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count();
            trace_->write(0, "clock", {{"epoch_ms", epochMs}});
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
    // The user aircraft keeps its id, also when AI ids start below it.
    while (objects_.count(nextId_) != 0 || nextId_ == userId_)
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
    if (!scenario_.strictness.firstAiObjectId)
    {
        nextId_ = std::max(nextId_, id + 1);
    }

    ObjectState o;
    o.id = id;
    o.title = aircraft.title;
    o.atcModel = aircraft.atcModel;
    o.atcId = aircraft.atcId.substr(0, std::min(kAtcIdChars, scenario_.strictness.atcIdChars));
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
