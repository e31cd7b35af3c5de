// The simulator link against the stand-in simulator. A test either plays the
// SimClient thread itself, on its own thread and with the world's manual
// clock (connect, then step: the world runs its frames and every record
// queued for "Vora" is dispatched), or runs the real SimClient thread and
// waits for what it does. Either way the test asserts on the stand-in's call
// log, the event queue, the log file and the flags.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "../support/test_files.h"
#include "platform/simconnect/world.h"
#include "simlink/object_events.h"
#include "simlink/sim_queues.h"

namespace ovr::test
{

inline constexpr std::int64_t kFrameMs = 34; // a little more than one frame at 30 Hz

// The simulator text of the window's top panel.
std::string simulatorText();

// The name of a table case in the test's name.
template <class Case> std::string caseLabel(const ::testing::TestParamInfo<Case>& c)
{
    return c.param.label;
}

// A user aircraft standing at Frankfurt, everything installed.
sim::Scenario baseScenario();

class LinkTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    void startWorld(sim::Scenario scenario = baseScenario());
    sim::World& world() { return *m_world; }

    // Opens "Vora" on this thread and registers the identifiers.
    void connect();
    // Runs the world for ms and dispatches what it sent.
    void step(std::int64_t ms = kFrameMs);
    void frames(int count);
    // The main loop's once-a-second request of the user aircraft, answered.
    void userTick();

    // Calls of the "Vora" client since the last clearCalls, optionally of one
    // function only.
    std::vector<sim::CallRecord> calls(std::string_view fn = {}) const;
    void clearCalls() { m_world->clearLogs(); }
    std::vector<SimEvent> takeEvents();

    std::vector<std::string> logLines() const;
    int logCount(std::string_view fragment) const;

    // Waits, advancing the world a frame at a time, until pred holds; false
    // after the timeout.
    bool waitUntil(const std::function<bool()>& pred,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));

    HANDLE h = nullptr;
    TempFolder scratch{"simlink"};

  private:
    std::unique_ptr<sim::World> m_world;
};

// Runs the real SimClient thread for the life of the object.
class ClientThread
{
  public:
    ClientThread();
    ~ClientThread();
    ClientThread(const ClientThread&) = delete;
    ClientThread& operator=(const ClientThread&) = delete;

    bool ended() const { return m_ended.load(); }
    void stop();

  private:
    std::atomic<bool> m_ended{false};
    std::jthread m_thread;
};

} // namespace ovr::test
