#include "virtual_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <utility>

#include "airports/apf_updates.h"
#include "app/main_loop.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/random_detail.h"
#include "core/range.h"
#include "core/stop_request.h"
#include "core/time_detail.h"
#include "core/user_on_ground.h"
#include "fake-rt/form_body.h"
#include "fake-rt/service_core.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_tables.h"
#include "liveries/model_database.h"
#include "service/traffic_handover.h"
#include "service/traffic_reader.h"
#include "simlink/object_events.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_link_reset.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/flight_plans.h"
#include "traffic/live_aircraft.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{

namespace
{

constexpr const char* kLicence = "virtual-session-licence";
constexpr std::int64_t kPassMs = 10;

std::atomic<std::int64_t> g_virtualMs{0};

std::int64_t lf_virtualUtc()
{
    return kSessionEpoch + g_virtualMs.load() / 1000;
}

// The records of the live batch the main loop has yet to take.
std::size_t lf_handedOverCount()
{
    const std::scoped_lock lock(g_trafficMutex);
    return g_trafficHandover.size();
}

// The CPU time of the calling thread.
std::chrono::nanoseconds lf_threadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

double lf_virtualSeconds()
{
    return static_cast<double>(kSessionEpoch) + static_cast<double>(g_virtualMs.load()) / 1000.0;
}

void lf_readModelDatabaseOnce()
{
    static bool read = false;
    if (!read)
    {
        read = gf_readDbase();
    }
}

} // namespace

sim::Scenario airborneUser(double latitude, double longitude, double altitudeFt)
{
    sim::Scenario s;
    s.user.objectId = 1;
    s.user.pose.latDeg = latitude;
    s.user.pose.lonDeg = longitude;
    s.user.pose.altFt = altitudeFt;
    s.user.pose.onGround = false;
    s.user.pose.headingDeg = 90.0;
    s.user.pose.groundSpeedKt = 0.0;
    s.terrain.elevationFt = 0.0;
    return s;
}

std::string argText(const sim::CallRecord& r, const char* key)
{
    return r.args.is_object() && r.args.contains(key) && r.args.at(key).is_string()
               ? r.args.at(key).get<std::string>()
               : std::string();
}

std::uint64_t argNumber(const sim::CallRecord& r, const char* key)
{
    return r.args.is_object() && r.args.contains(key) && r.args.at(key).is_number()
               ? r.args.at(key).get<std::uint64_t>()
               : 0;
}

fakert::Scenario trackScenario(std::vector<fakert::Track> tracks)
{
    fakert::Scenario s;
    s.name = "virtual";
    s.traffic.aircraft = 0;
    s.traffic.parkedGenerated = 0;
    s.accounts.push_back(fakert::Account{kLicence, 1, static_cast<double>(kSessionEpoch) + 86400.0 * 30, "rt-fake-1"});
    s.tracks = std::move(tracks);
    s.tracksEpoch = static_cast<double>(kSessionEpoch);
    return s;
}

fakert::Track straightTrack(std::string hex, std::string callsign, std::string type, std::string registration,
                            std::pair<double, double> from, std::pair<double, double> to, double altitudeFt,
                            double speedKt, double startS, double seconds)
{
    fakert::Track t;
    t.hex = std::move(hex);
    t.callsign = std::move(callsign);
    t.type = std::move(type);
    t.registration = std::move(registration);
    t.points.push_back(fakert::TrackPoint{startS, {from.first, from.second}, altitudeFt, speedKt});
    t.points.push_back(fakert::TrackPoint{startS + seconds, {to.first, to.second}, altitudeFt, speedKt});
    return t;
}

// Runs one piece of work at a time for a thread that waits for it.
class VirtualSession::Helper
{
  public:
    Helper()
        : thread_(
              [this]
              {
                  detail::seedRandom(2);
                  std::unique_lock lock(mutex_);
                  for (;;)
                  {
                      wake_.wait(lock, [this] { return work_ != nullptr || stop_; });
                      if (work_ == nullptr)
                      {
                          return;
                      }
                      try
                      {
                          (*work_)();
                      }
                      catch (...)
                      {
                          failure_ = std::current_exception();
                      }
                      work_ = nullptr;
                      wake_.notify_all();
                  }
              })
    {
    }
    ~Helper()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void run(const std::function<void()>& work)
    {
        std::unique_lock lock(mutex_);
        work_ = &work;
        wake_.notify_all();
        wake_.wait(lock, [this] { return work_ == nullptr; });
        if (failure_)
        {
            std::rethrow_exception(std::exchange(failure_, nullptr));
        }
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    const std::function<void()>* work_ = nullptr;
    std::exception_ptr failure_;
    bool stop_ = false;
    std::thread thread_; // last: it starts on the members above
};

VirtualSession::VirtualSession() = default;
VirtualSession::~VirtualSession() = default;

void VirtualSession::betweenPassesOnOwnThread()
{
    if (!helper_)
    {
        helper_ = std::make_unique<Helper>();
    }
}

void VirtualSession::SetUp()
{
    AppTest::SetUp();
    g_virtualMs.store(0);
    detail::setUtcSource(&lf_virtualUtc);
    detail::seedRandom(1);
    gf_clearTrafficState();
    gf_resetSimLinkForRestart();
    gf_resetSimQueues();
    gf_forgetRememberedLiveries();
    g_simIs2020.store(1);
}

void VirtualSession::TearDown()
{
    gf_clearTrafficState();
    // A session that learned at its stands counted updates of the park
    // airport's file; the next test starts with none.
    g_apfUpdates = 0;
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_simConnect = nullptr;
    }
    lf_closeSimConnect(h_);
    world_.reset();
    positions_.reset();
    tracePath_.reset();
    gf_resetSimLinkForRestart();
    gf_setReceivedTaker(nullptr);
    detail::setUtcSource(nullptr);
    AppTest::TearDown();
}

void VirtualSession::start(sim::Scenario simScenario, fakert::Scenario service, std::vector<std::string> unlogged)
{
    prepareWorkingFolder();
    std::filesystem::create_directories(g_outputInfoPath);
    gf_createFlightPlanFolder();
    lf_readModelDatabaseOnce();
    // The livery tables of the demo fleet (output/LiveriesScanned.xml), built
    // once per process as the start-up does.
    gf_processScannedLiveries();

    sim::WorldOptions options;
    options.unloggedCalls = std::move(unlogged);
    options.tracePath = tracePath_;
    world_ = std::make_unique<sim::World>(std::move(simScenario), options);
    service_ = std::make_unique<fakert::ServiceCore>(std::move(service));

    ASSERT_GE(SimConnect_Open(&h_, "Vora", nullptr, 0, nullptr, 0), 0);
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_simConnect = h_;
    }
    lf_setupSimConnect();
    {
        const std::lock_guard lock(g_simConnectMutex);
        SimConnect_RequestDataOnSimObject(g_simConnect, kReqUserOnGround, kDefUserOnGround,
                                          SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND, 0, 0, 0, 0);
    }
    // The user aircraft's data, as the session start waits for them.
    for (int i = 0; i < 40 && !gf_positionKnown(g_userPos.latitude, g_userPos.longitude); ++i)
    {
        gf_requestUserAcPosition(g_userPos);
        world_->advance(50);
        g_virtualMs.store(world_->nowMs());
        lf_dispatchPending(h_);
    }
    ASSERT_TRUE(gf_positionKnown(g_userPos.latitude, g_userPos.longitude));
    gf_setRange(RANGE.current.load());

    // The login and the buffered request, as the Traffic Reader makes them.
    const fakert::ServiceReply auth = service_->handle(
        fakert::kAuthPath, fakert::parseFormBody(fmt::format("license={}&software=Vora", kLicence)),
        lf_virtualSeconds());
    ASSERT_EQ(auth.body.value("status", 0), 200) << auth.body.dump();
    g_trafficReader.guid = auth.body.at("GUID").get<std::string>();
    g_trafficReader.refPos.store(LatLon{g_userPos.latitude, g_userPos.longitude});
    gf_updateTrafficBox();
    const fakert::ServiceReply buffered = service_->handle(
        fakert::kTrafficPath, fakert::parseFormBody(g_trafficReader.trafficRequestBody(true)), lf_virtualSeconds());
    if (positions_)
    {
        positions_->write(lf_virtualSeconds(), buffered.aircraft);
    }
    std::int32_t status = 0;
    g_trafficReader.takeBufferedReply(buffered.body.dump(), status);
    nextLiveMs_ = world_->nowMs() + g_trafficReader.rrl.load();
}

void VirtualSession::recordTo(std::filesystem::path trace, std::filesystem::path positions)
{
    tracePath_ = std::move(trace);
    positions_ = std::make_unique<fakert::PositionLog>(positions);
}

void VirtualSession::feed()
{
    if (world_->nowMs() < nextLiveMs_)
    {
        return;
    }
    nextLiveMs_ += std::max(g_trafficReader.rrl.load(), 1);
    // A parked-traffic request takes the next request slot, as the reader
    // serves it between two live requests.
    if (g_trafficReader.parkedRequest.exchange(false))
    {
        std::uint64_t sequence = 0;
        const std::string body = g_trafficReader.parkedRequestBody(sequence);
        const std::string reply =
            parkedRefusal_ ? nlohmann::json{{"status", *parkedRefusal_}, {"message", "refused"}}.dump()
                           : service_->handle(fakert::kTrafficPath, fakert::parseFormBody(body), lf_virtualSeconds())
                                 .body.dump();
        g_trafficReader.takeParkedReply(reply, sequence);
        ++parkedReplies_;
        return;
    }
    const fakert::ServiceReply reply = service_->handle(
        fakert::kTrafficPath, fakert::parseFormBody(g_trafficReader.trafficRequestBody(false)), lf_virtualSeconds());
    if (positions_)
    {
        positions_->write(lf_virtualSeconds(), reply.aircraft);
    }
    g_trafficReader.takeLiveReply(reply.body.dump());
    ++liveReplies_;
}

void VirtualSession::stepOutsideThePasses()
{
    const std::function<void()> work = [this]
    {
        world_->advance(kPassMs);
        g_virtualMs.store(world_->nowMs());
        lf_dispatchPending(h_);
        feed();
    };
    if (helper_)
    {
        helper_->run(work);
    }
    else
    {
        work();
    }
}

void VirtualSession::runFor(std::chrono::milliseconds duration, const std::function<void(std::int64_t)>& perPass)
{
    const std::int64_t end = world_->nowMs() + duration.count();
    g_stop.store(0);
    passTimes_.clear();
    auto passStarted = std::chrono::steady_clock::now();
    std::chrono::nanoseconds cpuStarted = lf_threadCpu();
    std::size_t handedOver = lf_handedOverCount();
    clock.onSleep = [this, end, &perPass, &passStarted, &cpuStarted, &handedOver]
    {
        const std::chrono::nanoseconds cpuEnded = lf_threadCpu();
        const auto passEnded = std::chrono::steady_clock::now();
        const std::size_t left = lf_handedOverCount();
        passTimes_.push_back(PassTime{passEnded - passStarted, left < handedOver, cpuEnded - cpuStarted});
        stepOutsideThePasses();
        if (perPass)
        {
            perPass(world_->nowMs());
        }
        if (world_->nowMs() >= end)
        {
            g_stop.store(1);
        }
        handedOver = lf_handedOverCount();
        passStarted = std::chrono::steady_clock::now();
        cpuStarted = lf_threadCpu();
        betweenPasses_ += passStarted - passEnded;
    };
    lf_mainLoop();
    clock.onSleep = nullptr;
    g_stop.store(0);
    dumpIfAsked();
}

void VirtualSession::dumpIfAsked() const
{
    if (std::getenv("VORA_TRAFFIC_DUMP") == nullptr)
    {
        return;
    }
    for (const std::string& line : logLines())
    {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    for (const LiveAc& a : g_liveAircraft)
    {
        std::fprintf(stderr, "%s %.*s sz %zu\n", a.callsign.c_str(), static_cast<int>(gf_simStateText(a.simState).size()),
                     gf_simStateText(a.simState).data(), a.samples.size());
    }
    for (const sim::CallRecord& r : calls("SimConnect_AICreateNonATCAircraft"))
    {
        std::fprintf(stderr, "%lld %s\n", static_cast<long long>(r.atMs), r.args.dump().c_str());
    }
}

std::int64_t VirtualSession::nowMs() const
{
    return world_->nowMs();
}

std::vector<sim::CallRecord> VirtualSession::calls(std::string_view fn) const
{
    std::vector<sim::CallRecord> out;
    for (sim::CallRecord& c : world_->calls())
    {
        if (c.client == "Vora" && (fn.empty() || c.fn == fn))
        {
            out.push_back(std::move(c));
        }
    }
    return out;
}

std::vector<sim::CallRecord> VirtualSession::events(std::uint32_t eventId) const
{
    std::vector<sim::CallRecord> out;
    for (sim::CallRecord& c : calls("SimConnect_TransmitClientEvent"))
    {
        if (c.args.is_object() && c.args.value("event_id", 0u) == eventId)
        {
            out.push_back(std::move(c));
        }
    }
    return out;
}

std::vector<std::string> VirtualSession::logWith(std::string_view text) const
{
    std::vector<std::string> out;
    for (const std::string& line : logLines())
    {
        if (line.find(text) != std::string::npos)
        {
            out.push_back(line);
        }
    }
    return out;
}

} // namespace ovr::test
