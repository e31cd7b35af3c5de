#include "core/upgrade.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/path_exists.h"
#include "core/paths.h"

#include <fmt/format.h>

#include <filesystem>
#include <system_error>

namespace ovr
{

namespace
{

namespace fs = std::filesystem;

std::string lf_versionText(const VersionData& v)
{
    return fmt::format("{}.{}.{}", v.major, v.minor, v.patch);
}

void lf_removeFile(const fs::path& file)
{
    if (!gf_pathExists(file))
    {
        return;
    }
    std::error_code ec;
    if (!fs::remove(file, ec) && ec)
    {
        throw fs::filesystem_error("remove", file, ec);
    }
}

void lf_removeFolder(const fs::path& folder)
{
    if (!gf_pathExists(folder))
    {
        return;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (ec)
    {
        throw fs::filesystem_error("remove_all", folder, ec);
    }
}

void lf_switchScanOn(BoolParameter& scan)
{
    scan.current = true;
    gf_saveBoolSetting(scan);
    gf_showParameterCheck(scan);
}

} // namespace

void lf_convertOldParameters()
{
    if (gf_readParameters())
    {
        lf_switchScanOn(SCAN_LIVERIES);
        lf_switchScanOn(SCAN_AIRPORTS);
        return;
    }
    lf_copyOldVersionFiles();
}

void lf_copyOldVersionFiles()
{
    const std::string running = lf_versionText(g_version);
    if (PROGRAM_VERSION.value() == PROGRAM_VERSION.defaultText())
    {
        gf_setParameter(PROGRAM_VERSION, running);
        return;
    }
    for (const fs::path* plain : {&g_airportsXmlPath, &g_aigRegcodesXmlPath, &g_dbaseXmlPath})
    {
        lf_removeFile(*plain);
    }

    const VersionData stored(PROGRAM_VERSION.value());
    if (stored != g_version)
    {
        gf_setParameter(PROGRAM_VERSION, running);
    }
    // 0.0.0 is what an unreadable text gives: it is no evidence of an old
    // installation, and the data files it would remove may be current.
    if (stored == VersionData{} || stored >= g_version)
    {
        return;
    }
    gf_log(fmt::format("This is a version update from {} -> {}", lf_versionText(stored), running));
    VersionData firstWithCurrentDataFiles;
    firstWithCurrentDataFiles.major = 12;
    if (stored < firstWithCurrentDataFiles)
    {
        for (const fs::path* enc : {&g_airportsEncPath, &g_aigRegcodesEncPath, &g_dbaseEncPath})
        {
            lf_removeFile(*enc);
        }
    }
    lf_removeFolder(g_newVersionPath);
}

} // namespace ovr
