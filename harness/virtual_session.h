// A whole traffic session in virtual time, on the test's thread: the main
// loop runs on the lifecycle tests' clock, and every pass (10 ms) advances
// the stand-in simulator by the same 10 ms, dispatches what it sent and lets
// the fake service answer the Traffic Reader's requests at that virtual
// moment. No SimClient or reader thread runs; the replies go through the
// reader's own decoding and hand-over. Minutes of traffic take about a
// second, and every run of a test is the same run: the UTC clock and the
// random draws follow the virtual time and a fixed seed.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/app/app_fixture.h"
#include "fake-rt/position_log.h"
#include "fake-rt/scenario.h"
#include "platform/simconnect/world.h"

namespace ovr::fakert
{
class ServiceCore; // service_core.h: its replies are JSON
} // namespace ovr::fakert

namespace ovr::test
{

// The virtual session's UTC at its start: Monday 1 June 2026, 10:00:00.
inline constexpr std::int64_t kSessionEpoch = 1780308000;

// The user aircraft high over the North Sea, far from any airport's ground
// traffic; the scenarios fly around it.
sim::Scenario airborneUser(double latitude = 52.5, double longitude = 3.0, double altitudeFt = 20000.0);

// A recorded call's argument `key`: its text (empty when it is no string) or
// its number (0 when it is none).
std::string argText(const sim::CallRecord& r, const char* key);
std::uint64_t argNumber(const sim::CallRecord& r, const char* key);

// A fake-service scenario with the given tracks and no generated traffic.
fakert::Scenario trackScenario(std::vector<fakert::Track> tracks);

// A straight track through `from` and `to` at a constant altitude and speed,
// starting `startS` after the session's start and lasting `seconds`.
fakert::Track straightTrack(std::string hex, std::string callsign, std::string type, std::string registration,
                            std::pair<double, double> from, std::pair<double, double> to, double altitudeFt,
                            double speedKt, double startS, double seconds);

class VirtualSession : public AppTest
{
  protected:
    VirtualSession();
    ~VirtualSession() override;
    void SetUp() override;
    void TearDown() override;

    // Starts the simulator and the service, opens the link as the SimClient
    // thread would, logs in and takes the buffered reply. `unlogged` names
    // calls that calls() need not keep.
    void start(sim::Scenario simScenario, fakert::Scenario service, std::vector<std::string> unlogged = {});
    // Before runFor(): the stand-in simulator, the dispatch of its records
    // and the fake service's replies run between the passes on a thread of
    // their own (the main loop waits for them), as they do in other threads
    // and processes beside the program. Their memory then comes from another
    // of the allocator's arenas, and a pass does not pay for what they freed
    // (a benchmark of the passes wants this; the random draws of that thread
    // are seeded apart).
    void betweenPassesOnOwnThread();
    // Before start(): the stand-in's trace goes to `trace` and every position
    // the service sends to `positions` (fake-rt/position_log.h), for the
    // flight check. The trace's time 0 is the session's start, kSessionEpoch.
    void recordTo(std::filesystem::path trace, std::filesystem::path positions);
    // Runs the main loop for the virtual duration; `perPass` runs after each
    // pass with the virtual milliseconds since the start.
    void runFor(std::chrono::milliseconds duration, const std::function<void(std::int64_t)>& perPass = {});

    sim::World& world() { return *world_; }
    fakert::ServiceCore& service() { return *service_; }
    std::int64_t nowMs() const;

    // Calls of the "Vora" client, optionally of one function only.
    std::vector<sim::CallRecord> calls(std::string_view fn = {}) const;
    // The client events transmitted with this event id.
    std::vector<sim::CallRecord> events(std::uint32_t eventId) const;
    // The lines of the log that contain the text.
    std::vector<std::string> logWith(std::string_view text) const;

    // With VORA_TRAFFIC_DUMP set, the log, the live aircraft and the
    // creations go to stderr (when a scenario needs looking into).
    void dumpIfAsked() const;

    // The number of traffic replies taken so far.
    int liveReplies() const { return liveReplies_; }
    // The number of parked-traffic replies taken so far.
    int parkedReplies() const { return parkedReplies_; }
    // Every parked-traffic request is answered with this status instead.
    void refuseParkedTraffic(int status) { parkedRefusal_ = status; }

    // Wall time spent between the main loop's passes (the stand-in
    // simulator, the dispatch, the service's replies and `perPass`), so that
    // a benchmark can take the passes alone.
    std::chrono::nanoseconds betweenPasses() const { return betweenPasses_; }
    // The wall time of each pass of the last runFor, the CPU time the main
    // thread spent in it (which a busy machine's other processes do not
    // stretch), and whether it took received records (the hand-over shrank
    // during it).
    struct PassTime
    {
        std::chrono::nanoseconds wall{0};
        bool tookRecords = false;
        std::chrono::nanoseconds cpu{0};
    };
    const std::vector<PassTime>& passTimes() const { return passTimes_; }

  private:
    class Helper;
    void feed();
    void stepOutsideThePasses();

    std::unique_ptr<sim::World> world_;
    std::unique_ptr<fakert::ServiceCore> service_;
    std::optional<std::filesystem::path> tracePath_;
    std::unique_ptr<fakert::PositionLog> positions_;
    HANDLE h_ = nullptr;
    std::int64_t nextLiveMs_ = 0;
    int liveReplies_ = 0;
    int parkedReplies_ = 0;
    std::optional<int> parkedRefusal_;
    std::chrono::nanoseconds betweenPasses_{0};
    std::vector<PassTime> passTimes_;
    std::unique_ptr<Helper> helper_;
};

} // namespace ovr::test
