// The stand-in simulator that serves the SimConnect functions of
// simconnect.h in this process.
//
// A World runs on a manual clock (advance(ms), deterministic, for tests) or
// on its own thread that ticks at the frame rate (for runs). Every frame it
// fires due scripted events, finishes due creations and removals, answers
// the data and facility requests made since the last frame, sends the
// per-second data and the Frame events. Requests are answered on the next
// frame, never inside the call, as a real simulator answers later.
//
// The SimConnect functions serve the most recently constructed World that
// is still alive; when there is none, a world made once per process from
// VORA_SIM_SCENARIO (else a built-in scenario) on the real-time clock, with
// the trace VORA_SIM_TRACE when that is set.
#pragma once

#include "platform/simconnect/scenario.h"
#include "platform/simconnect/sim_object.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ovr::sim
{

namespace detail
{
class WorldCore;
WorldCore& currentCore();
} // namespace detail

constexpr int kFrameRate = 30;

struct WorldOptions
{
    bool realTime = false; // a thread ticks the world at the frame rate
    bool keepLogs = true;  // calls and records kept for calls() and messages()
    // Functions whose calls calls() does not keep (long runs that would
    // collect a position write per object and frame); the trace has them.
    std::vector<std::string> unloggedCalls;
    std::optional<std::filesystem::path> tracePath;
};

// What calls() and messages() return (world_records.h): they carry JSON,
// which most users of a World never look at.
struct CallRecord;
struct MessageRecord;

class World
{
  public:
    explicit World(Scenario scenario = {}, WorldOptions options = {});
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Manual clock: runs every frame due within the next ms milliseconds.
    void advance(std::int64_t ms);
    std::int64_t nowMs() const;

    // Scripted events, taking effect at once.
    void apply(const ScriptedAction& action);
    void quit() { apply(script::Quit{}); }
    void setAvailable(bool value) { apply(script::Available{value}); }
    void loadFlight() { apply(script::FlightLoaded{}); }
    void setRunning(bool value) { apply(script::Running{value}); }
    void teleportUser(const Pose& pose) { apply(script::Teleport{pose}); }
    void failNextCalls(const std::string& call, int count) { apply(script::FailCalls{call, count}); }
    void raiseException(DWORD exception, DWORD sendId, DWORD index, const std::string& client = {})
    {
        apply(script::RaiseException{exception, sendId, index, client});
    }
    // The new object's id.
    DWORD addForeign(const ForeignAircraft& aircraft);

    // Observation.
    std::vector<ObjectState> objects() const;
    std::optional<ObjectState> object(DWORD id) const;
    std::vector<CallRecord> calls() const;
    std::vector<MessageRecord> messages() const;
    void clearLogs();
    std::vector<std::string> clients() const;
    // Records queued for the named client and not yet dispatched.
    std::size_t queued(const std::string& client) const;
    bool available() const;
    bool running() const;

  private:
    friend detail::WorldCore& detail::currentCore();

    std::unique_ptr<detail::WorldCore> core_;
};

} // namespace ovr::sim
