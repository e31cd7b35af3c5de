#include "app_fixture.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <thread>

#include "../params/parameters_fixture.h"
#include "app/main_loop.h"
#include "app/main_loop_detail.h"
#include "app/seams.h"
#include "app/start_up.h"
#include "app/start_up_detail.h"
#include "core/globals.h"
#include "core/log_detail.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "gui/app_window.h"
#include "gui/window_state.h"
#include "platform/win/test_support.h"
#include "service/rt_readers.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"

namespace fs = std::filesystem;

namespace ovr::test
{

namespace
{

std::vector<UINT> g_received; // the test thread's recorder window only

LRESULT CALLBACK lf_recorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP)
    {
        g_received.push_back(message);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND createTopLevelWindow(const wchar_t* className, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    return CreateWindowExW(0, className, className, WS_CAPTION | WS_SYSMENU, 400, 20, 880, 516, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

LoopClock::TimePoint FakeClock::now()
{
    return TimePoint(std::chrono::nanoseconds(nanos_.load()));
}

void FakeClock::sleepUntil(TimePoint deadline)
{
    const std::int64_t target = deadline.time_since_epoch().count();
    std::int64_t current = nanos_.load();
    while (target > current && !nanos_.compare_exchange_weak(current, target))
    {
    }
    if (recordDeadlines)
    {
        deadlines.push_back(deadline);
    }
    sleeps_.fetch_add(1);
    if (onSleep)
    {
        onSleep();
    }
    // Lets the program's other threads move while the waiting one spins.
    std::this_thread::yield();
}

void FakeClock::advance(std::chrono::nanoseconds by)
{
    nanos_.fetch_add(by.count());
}

void resetLifecycleState()
{
    resetParametersToDefaults();
    for (auto* flag :
         {&g_stop, &g_userClosed, &g_closeClicked, &g_firstSessionDone, &g_flightPaused, &g_rereadRequested,
          &g_flushStaticRequested, &g_csOidRequested, &g_noMatchListRequested, &g_blockListChanged,
          &g_followChanged, &g_parkingOptionChanged, &g_staticParkingArmed, &g_parkingUpdatePhase,
          &g_simRunning, &g_simConnectError, &g_userDataArrived, &g_rtProfessional, &g_timeShiftOn})
    {
        flag->store(0);
    }
    g_exitReason.store(kExitNotYetSet);
    g_restartDelay.store(0);
    g_quitCode.store(0);
    g_production.store(false);
    g_tick.store(0);
    g_clock.store(0);
    g_staticRenewMinutes.store(20);
    g_userPos = UserAcState{};
    detail::forgetThreadLeftRunning();
    detail::setThreadEndTimeout(std::chrono::milliseconds(0));
    gf_resetRtReaders();
    gf_resetStatusLine();
    gf_resetWindowState();
}

void AppTest::SetUp()
{
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("vora-app-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(dir_ / "appdata");
    previousFolder_ = fs::current_path();
    fs::current_path(dir_);
    platform_test::reset();
    g_received.clear();
    resetLifecycleState();
    detail::setParametersFile(parametersFile());
    // As after a start-up that read the settings; a test of a start that
    // failed earlier sets it back.
    detail::setParametersRead(true);
    detail::openLogAt(dir_ / "Log.txt");
    gf_setLoopClock(&clock);
    gf_connectSeams();
    window_ = createTopLevelWindow(L"AppTestRecorder", lf_recorderProc);
    g_hMainWnd.store(window_);
}

void AppTest::TearDown()
{
    g_hMainWnd.store(nullptr);
    gf_setLoopClock(nullptr);
    detail::closeLog();
    detail::setParametersFile({});
    detail::setParametersRead(false);
    resetLifecycleState();
    platform_test::reset();
    fs::current_path(previousFolder_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::vector<std::string> AppTest::logLines() const
{
    std::ifstream in(dir_ / "Log.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
    {
        lines.push_back(line);
    }
    return lines;
}

bool AppTest::logHas(const std::string& line) const
{
    return logCount(line) > 0;
}

std::size_t AppTest::logCount(const std::string& line) const
{
    const std::vector<std::string> lines = logLines();
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

std::vector<UINT> AppTest::postedMessages()
{
    platform_test::pumpUntilIdle();
    return g_received;
}

void AppTest::prepareWorkingFolder()
{
    fs::create_directories(dir_ / "docs");
    fs::create_directories(dir_ / "input");
    fs::create_directories(dir_ / "packages" / "Community");
    for (const char* name : {"airports.enc", "dbase.enc", "ICAO_airports.txt"})
    {
        fs::copy_file(fs::path(VORA_APP_FIXTURES) / name, dir_ / "input" / name);
    }
    // The demo's AI package, which the liveries scan of the first start finds
    // and whose result replaces the demo's scan result copied here (the
    // traffic tests build their tables from that without a start-up).
    fs::create_directories(dir_ / "output" / "info");
    fs::copy(fs::path(VORA_APP_FIXTURES) / "Community", dir_ / "packages" / "Community",
             fs::copy_options::recursive);
    fs::copy_file(fs::path(VORA_APP_FIXTURES) / "LiveriesScanned.xml", dir_ / "output" / "LiveriesScanned.xml");
    writeFile(parametersFile(),
              "<?xml version=\"1.0\"?>\n<root><parameters><parameter name=\"MSFS_INSTALL_PATH\" "
              "value=\"" +
                  (dir_ / "packages").string() + "\" /></parameters></root>\n");
}

} // namespace ovr::test
