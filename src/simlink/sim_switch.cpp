#include "simlink/sim_switch.h"

#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/time.h"
#include "liveries/livery_tables.h"

namespace ovr
{

namespace
{

void lf_switchOn(BoolParameter& parameter)
{
    parameter.current.store(true);
    gf_saveBoolSetting(parameter);
    gf_showParameterCheck(parameter);
}

void lf_selectSimChoice()
{
    if (const std::optional<std::size_t> index = gf_choiceIndex(SIM_CHOICE))
    {
        gf_selectParameterEntry(SIM_CHOICE, *index);
    }
}

} // namespace

void gf_switchSimVersion()
{
    std::error_code ec;
    std::filesystem::remove(g_liveriesScannedXmlPath, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
    {
        throw std::filesystem::filesystem_error("remove", g_liveriesScannedXmlPath, ec);
    }
    // This runs on the UI or the SimClient thread while the main loop may
    // still read the livery tables: only the flag is reset here, and the
    // next start-up empties and rebuilds them on its own thread.
    g_scannedLiveriesProcessed.store(0);
    lf_switchOn(SCAN_AIRPORTS);
    lf_switchOn(SCAN_LIVERIES);
    gf_setStatus(fmt::format("Switching MSFS version in {}", g_programShortName), true);
    ALL_INSTALL_PATH.setValue("");
    gf_showParameterText(ALL_INSTALL_PATH);
    if (SIM_CHOICE.value() == "MSFS 2024")
    {
        gf_setParameter(MYSIMADDON24_VERSION, "");
    }
    gf_requestStop(kExitNewSettings, kDelaySimVersionSwitch);
}

void gf_simDisconnected(bool versionSwitch)
{
    if (g_stop.load() != 0)
    {
        return;
    }
    if (versionSwitch)
    {
        gf_setParameter(SIM_CHOICE, g_simIs2020.load() != 0 ? "MSFS 2024" : "MSFS 2020");
        lf_selectSimChoice();
        gf_switchSimVersion();
        return;
    }
    gf_log(fmt::format("{} Flight Simulator no longer connected, {} will stop ...", gf_timeOfDayString(),
                       g_programShortName));
    gf_requestStop(kExitSimWasClosed, 0);
}

} // namespace ovr
