#include "scanners/package_scans.h"

#include <filesystem>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/paths.h"
#include "core/sim_data_path.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "liveries/livery_data.h"
#include "scanners/liveries_scan.h"
#include "scanners/scan_lists.h"
#include "scanners/scan_window.h"

namespace ovr
{

namespace fs = std::filesystem;

std::atomic<std::int32_t> g_maxScanTasks{2};
std::atomic<std::int32_t> g_runningScanTasks{0};

void gf_scanLiveries()
{
    const bool automatic = LIG_AUTOMATIC.current.load();
    gf_enableParameterControl(AI_PACKAGE_SELECTOR, false);
    gf_setStatus(fmt::format("Scanning {}for liveries ...", LIG_PRIORITIZE.current.load() ? "prioritized " : ""),
                 false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++",
                       automatic ? "automatic" : "manual"));
    // Whatever an earlier scan of this process left (a stopped one included)
    // must not leak into this one.
    lf_clearScanLists();
    g_liveriesCount.store(0);
    gf_repaintMainWindow();

    std::vector<fs::path> folders;
    folders.reserve(10);
    if (automatic)
    {
        const fs::path community = gf_simDataPath(g_communityPath);
        if (!community.empty())
            lf_findAIPackagesAutomatically(community, folders);
    }
    else
    {
        lf_checkLfolders(folders);
    }
    if (folders.empty())
    {
        if (automatic)
        {
            gf_enableParameterControl(AI_PACKAGE_SELECTOR, true);
            throw UserErrorException(kNoPackagesError, "Automatic scan has not found any AI packages, choose a "
                                                       "different selection (or go to Manual mode, see Manual 5.2)");
        }
        const ScanWindow& window = gf_scanWindow();
        if (window.openManual)
            window.openManual();
        if (window.openParametersFolder)
            window.openParametersFolder();
        throw UserErrorException(kNoLfoldersError, fmt::format("Exit {} first!   Then set one or more lfolder "
                                                               "parameters to your liveries, see Manual 5.2",
                                                               g_programShortName));
    }
    if (!lf_scanLiveryFolders(folders))
    {
        if (!automatic)
            throw UserErrorException(kNoManualLiveriesError, "no liveries found");
        gf_enableParameterControl(AI_PACKAGE_SELECTOR, true);
        throw UserErrorException(kNoAutomaticLiveriesError,
                                 "Automatic scan has not found any liveries, choose a different selection, or switch "
                                 "off automatic and set lfolder parameter(-s)");
    }
    if (gf_stopRequested())
    {
        // A stopped scan wrote nothing: the next start-up scans again.
        gf_enableParameterControl(AI_PACKAGE_SELECTOR, true);
        gf_log("liveries scan stopped");
        return;
    }
    SCAN_LIVERIES.current.store(false);
    gf_saveBoolSetting(SCAN_LIVERIES);
    gf_showParameterCheck(SCAN_LIVERIES);
    gf_repaintMainWindow();
    gf_enableParameterControl(AI_PACKAGE_SELECTOR, true);
    gf_log("\n++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++\n");
}

} // namespace ovr
