// The stand-in's clock and what happens on each frame: scripted events, the
// user aircraft's path, creations and removals, answers to the requests, the
// per-second data, the Frame events and the trace's object table.
#include "platform/simconnect/world_core.h"

#include "platform/simconnect/geo.h"
#include "platform/simconnect/text_case.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <utility>

namespace ovr::sim::detail
{
namespace
{

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

} // namespace

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
    if (stalled())
    {
        if (trace_ && frame_ % kFrameRate == 0)
        {
            snapshot();
        }
        return;
    }
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
    if (running_ && frameSent())
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
        o.atcId = c.tail.substr(0, std::min(kAtcIdChars, scenario_.strictness.atcIdChars));
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
            [&](const StateRequest& r) { sendSystemState(client, r); },
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

void WorldCore::sendSystemState(Client& client, const StateRequest& request)
{
    SIMCONNECT_RECV_SYSTEM_STATE* rec = nullptr;
    Message m = Message::make(SIMCONNECT_RECV_ID_SYSTEM_STATE, rec);
    rec->dwRequestID = request.requestId;
    std::string text;
    if (request.state == "sim")
    {
        rec->dwInteger = running_ ? 1 : 0;
    }
    else if (request.state == "flightloaded")
    {
        text = scenario_.flightFile;
    }
    else if (request.state == "aircraftloaded")
    {
        text = "SimObjects\\Airplanes\\" + user().title + "\\aircraft.cfg";
    }
    std::strncpy(rec->szString, text.c_str(), sizeof(rec->szString) - 1);
    queue(client, std::move(m),
          [&]
          {
              return nlohmann::json{{"request_id", request.requestId},
                                    {"state", request.state},
                                    {"integer", rec->dwInteger},
                                    {"string", text}};
          });
}

void WorldCore::stall(std::int64_t ms)
{
    if (ms > 0)
    {
        stallUntilUs_ = std::max(stallUntilUs_, clockUs_ + ms * 1000);
    }
}

// A fixed pattern that looks irregular: about one frame in four sends no
// Frame event, so the gaps between events are one, two or three frames.
bool WorldCore::frameSent() const
{
    if (!scenario_.strictness.variableFrameRate)
    {
        return true;
    }
    auto x = static_cast<std::uint64_t>(frame_) * 0x9E3779B97F4A7C15ULL;
    x ^= x >> 29;
    return (x & 3U) != 0;
}

bool WorldCore::acceptsEvents(const ObjectState& object) const
{
    return !scenario_.strictness.aiControl || object.user || object.aiReleased;
}

bool WorldCore::acceptsPosition(const ObjectState& object) const
{
    return !scenario_.strictness.aiControl || object.user ||
           (object.aiReleased && object.frozenLatLon && object.frozenAltitude && object.frozenAttitude);
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
        nlohmann::json entry = toJson(o);
        // The ground under it, so that a reader of the trace knows its
        // height above the ground without the scenario.
        entry["ground_ft"] = groundAt(o.latDeg, o.lonDeg);
        list.push_back(std::move(entry));
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

} // namespace ovr::sim::detail
