#include "simlink/sim_detection.h"

#include <array>
#include <string>
#include <string_view>
#include <system_error>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/known_folders.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/text_convert.h"
#include "core/text_lines.h"

namespace ovr
{

namespace
{

namespace fs = std::filesystem;

constexpr std::string_view kInstalledPackagesKey = "InstalledPackagesPath";
// A line shorter than this cannot hold the key and a folder.
constexpr std::size_t kMinKeyLineChars = 21;
constexpr std::size_t kUserCfgLines = 32;

bool lf_is2020()
{
    return g_simIs2020.load() != 0;
}

fs::path lf_officialFolderName()
{
    return lf_is2020() ? "Official" : "Official2024";
}

fs::path lf_steamPackagesPath()
{
    const fs::path candidate = gf_appDataPath() / gf_msfsFolderName() / "Packages";
    if (!fs::exists(candidate))
    {
        return {};
    }
    gf_log(fmt::format("Steam packages: {}", gf_pathToUtf8(candidate)));
    return candidate;
}

fs::path lf_findUserCfgOpt()
{
    const fs::path local = gf_localAppDataPath();
    const std::array candidates{
        local / "Packages" / gf_msfsPackageFamily() / "LocalCache" / "UserCfg.opt",
        gf_appDataPath() / gf_msfsFolderName() / "UserCfg.opt",
        local / "Packages" / "Microsoft.FlightDashboard_8wekyb3d8bbwe" / "LocalCache" / "UserCfg.opt",
        local / "MSFSPackages" / "UserCfg.opt",
    };
    for (const fs::path& candidate : candidates)
    {
        if (fs::exists(candidate))
        {
            return candidate;
        }
        gf_log(fmt::format("MSFS detection, not found: {}", gf_pathToUtf8(candidate)));
    }
    return {};
}

// The folder between the first pair of double quotes; the whole line when
// it holds none.
std::string lf_quotedValue(const std::string& line)
{
    const std::size_t open = line.find('"');
    if (open == std::string::npos)
    {
        return line;
    }
    const std::size_t close = line.find('"', open + 1);
    if (close == std::string::npos)
    {
        return {};
    }
    return line.substr(open + 1, close - open - 1);
}

fs::path lf_installedPackagesPath()
{
    const fs::path file = lf_findUserCfgOpt();
    if (file.empty())
    {
        gf_log("No UserCfg.opt found?");
        return {};
    }
    LineFile cfg{file, {}};
    const LinesResult read = gf_readFileLines(cfg, kUserCfgLines);
    const std::string* found = nullptr;
    if (read)
    {
        for (const std::string& line : read.lines)
        {
            if (line.size() >= kMinKeyLineChars && line.find(kInstalledPackagesKey) != std::string::npos)
            {
                found = &line;
                break;
            }
        }
    }
    if (found == nullptr)
    {
        gf_log("UserCfg.opt: InstalledPackagesPath=???");
        return {};
    }
    const fs::path value = gf_utf8ToPath(lf_quotedValue(*found));
    gf_log(fmt::format("UserCfg.opt: InstalledPackagesPath={}", gf_pathToUtf8(value)));
    // The folder comes from a file: one the system cannot even look for (a
    // name too long, say) is not there, and the user is asked for it.
    std::error_code error;
    const bool exists = !value.empty() && fs::exists(value, error);
    if (error)
    {
        gf_log(fmt::format("UserCfg.opt: InstalledPackagesPath cannot be checked: {}", error.message()));
    }
    return exists ? value : fs::path();
}

bool lf_isPackagesPath(const fs::path& path)
{
    return !path.empty() && fs::is_directory(path) && fs::is_directory(path / "Community") &&
           fs::is_directory(path / lf_officialFolderName());
}

} // namespace

fs::path gf_msfsPackageFamily()
{
    return lf_is2020() ? "Microsoft.FlightSimulator_8wekyb3d8bbwe" : "Microsoft.Limitless_8wekyb3d8bbwe";
}

fs::path gf_msfsFolderName()
{
    return lf_is2020() ? "Microsoft Flight Simulator" : "Microsoft Flight Simulator 2024";
}

bool gf_findMsfsPackagesPath()
{
    fs::path candidate = lf_steamPackagesPath();
    if (!lf_isPackagesPath(candidate))
    {
        candidate = lf_installedPackagesPath();
        if (!lf_isPackagesPath(candidate))
        {
            return false;
        }
    }
    // The system code page is UTF-8 here.
    std::string text = gf_pathToUtf8(candidate);
    gf_setParameter(lf_is2020() ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH, text);
    ALL_INSTALL_PATH.setValue(std::move(text));
    gf_showParameterText(ALL_INSTALL_PATH);
    return true;
}

} // namespace ovr
