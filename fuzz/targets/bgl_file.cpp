// A scenery (BGL) file of an add-on airport, read as the airport scan reads
// it: the header probe, then the decode of every airport section with the
// sink asked to link (no) and given the stands. A word beyond the data is
// the reader's one way to fail (BglFormatError, which the scan reports and
// steps past); anything else thrown, and every sanitizer report, is a find.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "airports/airport_list.h"
#include "fuzz_support.h"
#include "scanners/bgl_reader.h"
#include "scanners/scan_report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    // The airports the seeds name are known, so their stands are decoded.
    static const bool known = []
    {
        for (const char* code : {"EDDF", "EDDL"})
        {
            Airport airport;
            airport.icao = IcaoCode{code};
            g_airports.push_back(airport);
            g_knownAirports.insert(airport.icao);
        }
        return true;
    }();
    (void)known;

    const std::filesystem::path file = "Community/maker-airport-eddf/scenery/global/airport.bgl";
    fuzz::writeFile(file, fuzz::asText(data, size));
    (void)lf_bglHasAirportSection(file);
    std::size_t stands = 0;
    BglAirportSink sink;
    sink.link = [](ScannedAirport&) { return false; };
    sink.write = [&stands](ScannedAirport& airport, std::uint32_t) { stands += airport.record.stands.size(); };
    try
    {
        lf_processBGLfile(file, sink);
    }
    catch (const BglFormatError&)
    {
    }
    g_scanMessages.clear();
    return 0;
}
