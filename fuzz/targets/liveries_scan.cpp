// The whole liveries scan over a small package tree that the input builds:
// aircraft.cfg files at a few depths (one under an IVAO folder, one under a
// skipped "airport" folder) and links between the folders, loops among them.
// The input is a list of records separated by NUL bytes; a record's first
// byte says what it makes and where, the rest is the file's content. The
// scan must end, and LiveriesScanned.xml must be UTF-8.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/encoding.h"
#include "core/globals.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "fuzz_support.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "scanners/liveries_scan.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"

namespace
{

namespace fs = std::filesystem;

const fs::path kRoot = "fuzz-packages";

// The folders a record can name, relative to the root ("." is the root).
constexpr std::array<std::string_view, 8> kFolders = {".",
                                                      "pkg",
                                                      "pkg/SimObjects/A",
                                                      "pkg/SimObjects/A/deep",
                                                      "pkg/SimObjects/B",
                                                      "IVAO_MTL/SimObjects/IVAO_A320",
                                                      "pkg/airport-x",
                                                      "other"};

fs::path lf_folder(std::uint8_t byte)
{
    return kRoot / kFolders[byte % kFolders.size()];
}

void lf_setUpOnce()
{
    static const bool done = []
    {
        ovr::fuzz::workFolder();
        for (const char* type : {"A320", "B738", "C172"})
            ovr::g_knownModels.insert(type);
        for (const char* airline : {"DLH", "BAW", "ZZZ"})
            ovr::g_icaoAirlines.insert(airline);
        ovr::g_maxScanTasks.store(2);
        ovr::LIG_PRIORITIZE.current.store(true);
        return true;
    }();
    (void)done;
}

// Record kinds, by the first byte's low two bits: an aircraft.cfg in a
// folder (second byte), a link from one folder to another (second and third
// bytes), a file link to an aircraft.cfg, or an empty folder.
void lf_build(std::string_view input)
{
    std::size_t start = 0;
    int link = 0;
    while (start < input.size())
    {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string_view record = input.substr(start, end - start);
        start = end + 1;
        if (record.size() < 2)
            continue;
        const auto kind = static_cast<std::uint8_t>(record[0]) & 3u;
        const fs::path folder = lf_folder(static_cast<std::uint8_t>(record[1]));
        std::error_code ec;
        fs::create_directories(folder, ec);
        switch (kind)
        {
        case 0:
            ovr::fuzz::writeFile(folder / "aircraft.cfg", record.substr(2));
            break;
        case 1:
            if (record.size() >= 3)
                fs::create_directory_symlink(fs::absolute(lf_folder(static_cast<std::uint8_t>(record[2]))),
                                             folder / ("link" + std::to_string(link++)), ec);
            break;
        case 2:
            if (record.size() >= 3)
            {
                const fs::path holder = folder / ("linked" + std::to_string(link++));
                fs::create_directories(holder, ec);
                fs::create_symlink(
                    fs::absolute(lf_folder(static_cast<std::uint8_t>(record[2])) / "aircraft.cfg"),
                    holder / "aircraft.cfg", ec);
            }
            break;
        default:
            fs::create_directories(folder / "empty", ec);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    lf_setUpOnce();
    std::error_code ec;
    fs::remove_all(kRoot, ec);
    fs::create_directories("output/info", ec);
    lf_build(fuzz::asText(data, size));
    std::vector<fs::path> folders{kRoot, kRoot / "pkg"};
    g_runningScanTasks.store(0);
    (void)lf_scanLiveryFolders(folders);
    const std::string xml = []
    {
        std::ifstream in(g_liveriesScannedXmlPath, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }();
    if (!gf_isValidUtf8(xml))
        std::abort();
    lf_clearScanLists();
    return 0;
}
