#include "scanners/scan_report.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include <fmt/format.h>

#include "core/log.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/text_lines.h"

namespace ovr
{

std::vector<std::string> g_scanMessages;

void gf_reportScan(std::string line)
{
    g_scanMessages.push_back(std::move(line));
}

bool gf_saveScanReport()
{
    std::error_code ec;
    std::filesystem::create_directories(g_airportsScanLogTxtPath.parent_path(), ec);
    if (gf_writeLines(g_scanMessages, g_airportsScanLogTxtPath))
        return true;
    gf_logWarning(fmt::format("Writing {} did not succeed", gf_pathToUtf8(g_airportsScanLogTxtPath)));
    return false;
}

} // namespace ovr
