#include "app/start_up.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "app/main_loop.h"
#include "app/start_up_detail.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/loop_clock.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/path_exists.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/upgrade.h"
#include "core/user_error.h"
#include "gui/app_window.h"
#include "gui/option_helpers.h"
#include "gui/setting_control_windows.h"
#include "gui/setting_controls.h"
#include "gui/updater.h"
#include "gui/window_state.h"
#include "liveries/livery_tables.h"
#include "liveries/model_database.h"
#include "scanners/package_scans.h"
#include "simlink/sim_detection.h"
#include "traffic/flight_plans.h"
#include "traffic/park_airports.h"

namespace fs = std::filesystem;

namespace ovr
{

std::atomic<std::uint8_t> g_firstSessionDone{0};
std::atomic<bool> g_production{false};
std::jthread g_startUpThread;

namespace
{

constexpr std::int32_t kServiceIntervalSeconds = 2;
constexpr std::int32_t kParkingPercentageAtStart = 30;

// The model database is read once per process.
bool g_dbaseRead = false;

void lf_throwUnlessMissing(const char* what, const fs::path& path, const std::error_code& ec)
{
    if (ec && ec != std::errc::no_such_file_or_directory)
    {
        throw fs::filesystem_error(what, path, ec);
    }
}

bool lf_isDirectory(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    lf_throwUnlessMissing("status", path, ec);
    return fs::is_directory(status);
}

void lf_checkWorkingFolder()
{
    if (!lf_isDirectory(g_docsPath))
    {
        throw UserErrorException(
            41, fmt::format("{} must be run from the {} folder!", g_programShortName, g_programShortName));
    }
}

StringParameter& lf_packagesPathSetting()
{
    return g_simIs2020.load() != 0 ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH;
}

void lf_startTimeShift()
{
    for (IntListParameter* parameter : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        lf_fillListCombo(*parameter);
    }
    lf_enableSettingControl(KEEP_SIM_TIME_PAR);
    if (SIM_TIME.current.load())
    {
        gf_applySimTimeSetting();
    }
    else if (TIME_SHIFT_DAYS.current.load() != TIME_SHIFT_DAYS.defaultValue ||
             TIME_SHIFT_HOURS.current.load() != TIME_SHIFT_HOURS.defaultValue ||
             TIME_SHIFT_MINS.current.load() != TIME_SHIFT_MINS.defaultValue)
    {
        gf_timeShift((TIME_SHIFT_DAYS.current.load() * 24 + TIME_SHIFT_HOURS.current.load()) * 60 +
                         TIME_SHIFT_MINS.current.load(),
                     true);
    }
    for (IntListParameter* parameter : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        lf_enableSettingControl(*parameter);
    }
    lf_enableSettingControl(SIM_TIME);
}

void lf_showPackagesPath()
{
    ALL_INSTALL_PATH.setValue(lf_packagesPathSetting().value());
    lf_enableSettingControl(ALL_INSTALL_PATH);
    gf_showParameterText(ALL_INSTALL_PATH);
}

void lf_countAddonFolders()
{
    g_mySimaddonCount.store(gf_countFolderEntries(g_mySimaddonPath));
    gf_repaintRect(kTopPanelRect);
    g_myThirdpartyCount.store(gf_countFolderEntries(g_myThirdpartyPath));
    gf_repaintRect(kTopPanelRect);
}

void lf_applyDestination()
{
    const std::string destination = DESTINATION.value();
    if (destination.empty())
    {
        return;
    }
    const IcaoCode code{destination};
    const auto it =
        std::ranges::find_if(g_airports, [&](const Airport& a) { return a.icao.bytes() == code.bytes(); });
    if (it != g_airports.end())
    {
        gf_setDestination(destination, *it);
    }
}

// A stop check of the start-up: a stop seen here ends the session before it
// started, as the user's close.
bool lf_stopSeen()
{
    if (!gf_stopRequested())
    {
        return false;
    }
    gf_requestUserClose();
    return true;
}

void lf_runStartUp()
{
    lf_checkWorkingFolder();
    if (!lf_readDataFiles())
    {
        return;
    }
    for (const fs::path* plain : {&g_airportsXmlPath, &g_dbaseXmlPath, &g_aigRegcodesXmlPath})
    {
        gf_removeFileWarn(*plain);
    }
    const unsigned threads = std::thread::hardware_concurrency();
    g_maxScanTasks.store(threads == 0 ? 2 : static_cast<std::int32_t>(threads));
    g_runningScanTasks.store(0);
    if (SCAN_LIVERIES.current.load() || !gf_pathExists(g_liveriesScannedXmlPath))
    {
        gf_scanLiveries();
    }
    // A stop set during the scan (a settings change) means a restart: the
    // tables are built from the next scan, not from what this one left.
    if (lf_stopSeen())
    {
        return;
    }
    gf_processScannedLiveries();
    if (lf_stopSeen())
    {
        return;
    }
    detail::holdForService();
    if (lf_stopSeen())
    {
        return;
    }
    lf_countAddonFolders();
    if (lf_stopSeen())
    {
        return;
    }
    gf_createFlightPlanFolder();
    gf_readParkAirports();
    gf_enableRereadButton(true);
    lf_applyDestination();
    SetWindowPos(g_hMainWnd.load(), ALWAYS_ON_TOP.current.load() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
    if (!lf_startSession())
    {
        gf_requestUserClose();
        return;
    }
    lf_mainLoop();
}

} // namespace

namespace detail
{

std::string trimCommunity(const std::string& path)
{
    static constexpr std::string_view kCommunity = "Community";
    if (path.size() < 10 || !path.ends_with(kCommunity))
    {
        return path;
    }
    const char separator = path[path.size() - kCommunity.size() - 1];
    if (separator != '\\' && separator != '/')
    {
        return path;
    }
    return path.substr(0, path.size() - kCommunity.size() - 1);
}

void holdForService()
{
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t elapsed = now - LAST_EPOCH_TIME.current.load();
    if (elapsed >= kServiceIntervalSeconds)
    {
        return;
    }
    const std::int64_t hold = elapsed <= 0 ? kServiceIntervalSeconds : kServiceIntervalSeconds - elapsed;
    gf_setStatus(fmt::format("Holding for {} seconds... (RT API cannot be revisited within {} seconds)", hold,
                             kServiceIntervalSeconds),
                 true);
    gf_waitUnlessStopped(std::chrono::seconds(hold));
}

} // namespace detail

void lf_housekeeping()
{
    for (const fs::path* folder :
         {&g_outputPath, &g_outputInfoPath, &g_outputErrorsPath, &g_airportsPath, &g_airportsLearnedPath,
          &g_learnedStockPath, &g_learnedSimaddonPath, &g_learnedThirdpartyPath, &g_mySimaddonPath,
          &g_myThirdpartyPath, &g_myRegcodesPath})
    {
        if (lf_isDirectory(*folder))
        {
            continue;
        }
        std::error_code ec;
        fs::create_directories(*folder, ec);
        if (ec)
        {
            throw fs::filesystem_error("create_directories", *folder, ec);
        }
    }
    std::error_code ec;
    fs::remove(g_objectIdListTxtPath, ec);
    lf_throwUnlessMissing("remove", g_objectIdListTxtPath, ec);
}

void lf_productionRun()
{
    try
    {
        gf_log("production");
        g_quitCode.store(0);
        gf_requestUserClose();
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("exception {}", e.what()));
        g_quitCode.store(1);
    }
}

bool lf_readDataFiles()
{
    lf_convertOldParameters();
    gf_repaintRect(kTopPanelRect);

    gf_setOptionControlsStartState();
    g_simIs2020.store(SIM_CHOICE.value() == "MSFS 2020" ? 1 : 0);
    g_simNumber.store(g_simIs2020.load() != 0 ? 1 : 2);
    parking_percentage.current.store(kParkingPercentageAtStart);
    gf_showParameterValue(parking_percentage);

    StringParameter& packages = lf_packagesPathSetting();
    const std::string trimmed = detail::trimCommunity(packages.value());
    if (trimmed != packages.value())
    {
        gf_setParameter(packages, trimmed);
    }
    lf_housekeeping();
    if (g_firstSessionDone.load() == 0 && !gf_checkForUpdates())
    {
        return false;
    }
    lf_startTimeShift();
    gf_setWeekdayHour();
    if (!g_dbaseRead)
    {
        if (!gf_readDbase())
        {
            throw std::runtime_error("reading data files failed!");
        }
        g_dbaseRead = true;
    }
    if (!gf_readAirports())
    {
        throw std::runtime_error(fmt::format("reading '{}' failed!", g_airportsEncPath.string()));
    }
    lf_showPackagesPath();
    if (ALL_INSTALL_PATH.value().empty())
    {
        if (!gf_findMsfsPackagesPath())
        {
            throw UserErrorException(150, "No install path detected. Type the full path to your Community "
                                          "folder above, then press Enter");
        }
        lf_showPackagesPath();
    }
    gf_repaintRect(kOptionsAreaRect);
    if (g_production.load())
    {
        lf_productionRun();
        return false;
    }
    return true;
}

// The previous session's thread posted this message as its last act, so
// joining it waits only for its return.
void lf_startStartUpThread()
{
    if (g_startUpThread.joinable())
    {
        g_startUpThread.join();
    }
    g_startUpThread = std::jthread(lf_startUpVora);
}

void lf_startUpVora()
{
    try
    {
        lf_runStartUp();
    }
    catch (const UserErrorException& e)
    {
        gf_setErrorStatus(e.what());
        g_exitReason.store(kExitSystemError);
    }
    catch (const fmt::format_error& e)
    {
        gf_setErrorStatus(fmt::format("std::format error: {}", e.what()));
        gf_setErrorStatus(e.what());
        gf_requestStop(kExitSystemError, 0);
    }
    catch (const std::bad_alloc& e)
    {
        gf_setErrorStatus(e.what());
        gf_requestStop(kExitSystemError, 0);
    }
    catch (const std::exception& e)
    {
        gf_setErrorStatus(e.what());
        gf_requestStop(kExitSystemError, 0);
    }
    catch (...)
    {
        gf_setErrorStatus("Unknown exception");
        g_exitReason.store(kExitSystemError);
    }
    lf_closingDown();
}

} // namespace ovr
