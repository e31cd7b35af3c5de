// What the lifecycle tests share: a clock that the test drives, a working
// folder, log and parameters file of each test's own, a window that records
// the program's own messages, and the lifecycle state back at its start.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/loop_clock.h"
#include "platform/win/user32.h"

namespace ovr::test
{

// Time passes only by sleeping (instantly) and by advance(); every sleep runs
// the hook, which a test uses to act "while the program waits".
class FakeClock : public LoopClock
{
  public:
    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;
    void advance(std::chrono::nanoseconds by);

    std::int64_t sleeps() const { return sleeps_.load(); }
    std::vector<TimePoint> deadlines; // only when recordDeadlines is set
    bool recordDeadlines = false;
    std::function<void()> onSleep;

  private:
    std::atomic<std::int64_t> nanos_{1'000'000'000};
    std::atomic<std::int64_t> sleeps_{0};
};

class AppTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path parametersFile() const { return dir_ / "appdata" / "parameters.xml"; }
    // The lines of the test's log so far.
    std::vector<std::string> logLines() const;
    bool logHas(const std::string& line) const;
    std::size_t logCount(const std::string& line) const;
    // The program's messages (WM_APP and above) that reached the window, after
    // pumping its queue.
    std::vector<UINT> postedMessages();
    // A working folder the start-up accepts: docs, the encrypted data files,
    // and a packages folder named in the parameters file.
    void prepareWorkingFolder();

    FakeClock clock;

  private:
    std::filesystem::path dir_;
    std::filesystem::path previousFolder_;
    HWND window_ = nullptr;
};

// Every lifecycle flag, counter and setting back to the program's start.
void resetLifecycleState();

// A top-level window of the main window's size with its own class.
HWND createTopLevelWindow(const wchar_t* className, WNDPROC procedure);

} // namespace ovr::test
