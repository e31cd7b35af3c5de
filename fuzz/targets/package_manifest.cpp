// A package's manifest.json, as the airport scan meets it: found upward from
// a scenery file whose path and name give no airport code, read for its
// texts, asked for the publisher and for an airport code in its title. The
// reader's own throws (JSON syntax, keys of the wrong type) are its documented
// way to refuse; the search and the classifiers must swallow everything.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "airports/airport_list.h"
#include "fuzz_support.h"
#include "scanners/package_manifest.h"
#include "scanners/scan_report.h"
#include "scanners/scanned_airport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    namespace fs = std::filesystem;
    fuzz::countInput();
    fuzz::workFolder();
    static const bool known = []
    {
        Airport airport;
        airport.icao = IcaoCode{"EDDF"};
        g_airports.push_back(airport);
        g_knownAirports.insert(airport.icao);
        return true;
    }();
    (void)known;

    const fs::path package = "Community/some-package";
    const fs::path manifest = package / "manifest.json";
    const fs::path scenery = package / "scenery" / "global" / "x.bgl";
    fuzz::writeFile(manifest, fuzz::asText(data, size));
    fuzz::writeFile(scenery, "");
    try
    {
        (void)lf_readManifest(manifest);
    }
    catch (const nlohmann::json::exception&)
    {
    }
    (void)gf_searchManifest(scenery);

    ScannedAirport byTitle = gf_scannedAirportAt(scenery);
    bool unsupported = false;
    (void)gf_airportCodeFromBgl(byTitle, unsupported);
    ScannedAirport byMaker = gf_scannedAirportAt(scenery);
    lf_classifyPublisher(byMaker);
    gf_takeManifestDetails(byMaker);
    g_scanMessages.clear();
    return 0;
}
