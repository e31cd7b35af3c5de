// vora-probe liveries DIR PACKAGES [--threads N]: runs the liveries scan in
// the working folder DIR as the start-up does (model database from
// input/dbase.enc, AI packages found in PACKAGES/Community by the default
// selection, at most N workers) and prints the files it wrote in a stable
// form: the date of the meta block and the packages folder masked.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gsl/gsl>

#include "captured_log.h"
#include "core/globals.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/paths.h"
#include "core/user_error.h"
#include "liveries/dbase_reader_detail.h"
#include "probe.h"
#include "scanners/package_scans.h"

namespace fs = std::filesystem;

namespace ovr::probe
{
namespace
{

void lf_printFile(const fs::path& file, const std::string& packages)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return;
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    // The meta block's date is the day of the scan.
    const std::string date = R"(name="date" value=")";
    if (const std::size_t at = text.find(date); at != std::string::npos)
    {
        const std::size_t from = at + date.size();
        const std::size_t to = text.find('"', from);
        if (to != std::string::npos)
            text.replace(from, to - from, "DATE");
    }
    // The packages folder differs from run to run.
    for (std::size_t at = text.find(packages); !packages.empty() && at != std::string::npos;
         at = text.find(packages, at))
        text.replace(at, packages.size(), "PACKAGES");
    fmt::print("== {}\n{}", file.generic_string(), text);
}

} // namespace

int liveriesCommand(std::span<const std::string_view> args)
{
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--threads"))
        throw std::invalid_argument("liveries: DIR PACKAGES [--threads N]");
    const fs::path packages = fs::absolute(fs::path(args[1]));
    const int threads = args.size() == 4 ? std::stoi(std::string(args[3])) : 2;
    fs::current_path(fs::path(args[0]));
    fs::create_directories(g_outputInfoPath);

    // The scan saves SCAN_LIVERIES; the probe keeps that out of the user's
    // own settings.
    const fs::path settings =
        fs::temp_directory_path() / fmt::format("vora-probe-{:08x}-parameters.xml", std::random_device{}());
    detail::setParametersFile(settings);
    auto removeSettings = gsl::finally(
        [&settings]
        {
            std::error_code ec;
            fs::remove(settings, ec);
        });
    g_simIs2020.store(1);
    g_simNumber.store(1);
    MSFS_INSTALL_PATH.setValue(packages.string());
    g_maxScanTasks.store(threads < 1 ? 1 : threads);
    g_runningScanTasks.store(0);

    CapturedLog log;
    if (!detail::readDbaseFrom("input/dbase.enc", "input/dbase.xml"))
    {
        log.flushTo(std::cerr);
        std::cerr << "reading data files failed!\n";
        return 1;
    }
    int code = 0;
    try
    {
        gf_scanLiveries();
    }
    catch (const UserErrorException& e)
    {
        fmt::print("user error {}: {}\n", e.code(), e.what());
        code = 1;
    }
    log.flushTo(std::cerr);
    for (const fs::path* file : {&g_liveriesScannedXmlPath, &g_invalidAirlineCodesTxtPath,
                                 &g_invalidAircraftCodesTxtPath, &g_fixesTxtPath, &g_invalidAircraftCfgFilesTxtPath,
                                 &g_incompleFltsimSectionsTxtPath, &g_aircraftCfgWithNoFltsimSectionTxtPath})
        lf_printFile(*file, packages.string());
    return code;
}

} // namespace ovr::probe
