// An aircraft.cfg of an AI-traffic package, read by the liveries scan's
// per-file readers: as the file of an ordinary package, as the file of an
// IVAO package (with a texture folder beside it) and, cut at its headers,
// section by section. The scan's lists and titles are emptied after each
// input, as each scan empties them.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/text_lines.h"
#include "fuzz_support.h"
#include "scanners/aircraft_cfg.h"
#include "scanners/cfg_keys.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    namespace fs = std::filesystem;
    fuzz::countInput();
    fuzz::workFolder();
    const std::string_view text = fuzz::asText(data, size);
    const fs::path ordinary = "Community/user-aitraffic-fuzz/SimObjects/Airplanes/X/aircraft.cfg";
    const fs::path ivao = "Community/IVAO_MTL/SimObjects/Airplanes/IVAO_A320/aircraft.cfg";
    fuzz::writeFile(ordinary, text);
    fuzz::writeFile(ivao, text);
    fs::create_directories(ivao.parent_path() / "texture");
    g_runningScanTasks.store(2);
    lf_searchLiveriesinFile(1, ordinary);
    lf_searchLiveriesinIVAOFile(2, ivao);

    std::vector<std::string> lines;
    gf_splitLines(text, lines);
    std::vector<std::string> section;
    for (const std::string& line : lines)
    {
        if (!lf_fltsimNumber(line).empty() && !section.empty())
        {
            lf_procesFltSimSection(3, section, "A320", ordinary, ordinary.parent_path());
            section.clear();
        }
        section.push_back(line);
    }
    if (!section.empty())
        lf_procesFltSimSection(3, section, "B744", ordinary, ordinary.parent_path());
    lf_clearScanLists();
    return 0;
}
