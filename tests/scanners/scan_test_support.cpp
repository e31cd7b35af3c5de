#include "scan_test_support.h"

#include <algorithm>

#include "airports/airport_list.h"
#include "airports/airport_list_detail.h"
#include "airports/apf_writer_detail.h"
#include "airports/facility_reader.h"
#include "airports/supported_airports.h"
#include "core/globals.h"
#include "core/library_init.h"
#include "core/log_detail.h"
#include "core/parameter_controls.h"
#include "core/parameters_file_detail.h"
#include "core/paths.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/model_database.h"
#include "scanners/airport_file_counts.h"
#include "scanners/scan_report.h"
#include "scanners/scan_written_files.h"

namespace ovr::test
{

namespace
{

struct ListedAirport
{
    const char* icao;
    float elevation;
    bool supported;
};

// The airports the tests name; EGKK is known but not supported, ZZZZ and
// QQQQ are supported but unknown.
constexpr ListedAirport kAirports[] = {
    {"EDDF", 364.0F, true},  {"EDDL", 147.0F, true},  {"EHRD", -15.0F, true},
    {"KMCI", 1026.0F, true}, {"LFPG", 392.0F, true},  {"EGLL", 83.0F, true},
    {"KJFK", 13.0F, true},   {"LOWI", 1907.0F, true}, {"EGKK", 202.0F, false}};
constexpr const char* kSupportedOnly[] = {"ZZZZ", "QQQQ"};

void lf_setAirportList()
{
    detail::resetAirportList();
    for (const ListedAirport& listed : kAirports)
    {
        Airport airport;
        airport.icao = IcaoCode(listed.icao);
        airport.elevation = listed.elevation;
        g_airports.push_back(airport);
        g_knownAirports.insert(airport.icao);
        if (listed.supported)
            g_supportedAirports.insert(airport.icao);
    }
    for (const char* code : kSupportedOnly)
        g_supportedAirports.insert(IcaoCode(code));
    std::sort(g_airports.begin(), g_airports.end(),
              [](const Airport& a, const Airport& b) { return a.icao < b.icao; });
}

void lf_setModelDatabase()
{
    detail::clearDbase();
    g_simaddons20 = {"LFPG", "EDDL"};
    g_simaddons24 = {"EGLL"};
    g_publisherGroups = {{"Some Developer", "somedev"}, {"TropicalSim"}, {"FlyLand"}};
    g_thirdPartyIndex20["Some Developer"] = {"EHRD", "EDDL201"};
    g_thirdPartyIndex24["Some Developer"] = {"EHRD"};
    g_thirdPartyIndex20["FlyLand"] = {"LOWI"};
}

} // namespace

void writeBgl(const fs::path& file, const genbgl::Bytes& bytes)
{
    genbgl::writeFile(file, bytes);
}

sim::AirportFacility frankfurtFacility()
{
    sim::AirportFacility eddf;
    eddf.icao = "EDDF";
    eddf.name = "Frankfurt/Main";
    eddf.latDeg = 50.0333;
    eddf.lonDeg = 8.5705;
    eddf.altM = 111.0;
    eddf.parkings = {sim::TaxiParking{8, 0, 12, 0, 12, 0, 90.0F, 24.0F, 10.0F, -20.0F},
                     sim::TaxiParking{9, 0, 12, 0, 14, 0, 180.0F, 30.0F, -100.0F, 50.0F}};
    return eddf;
}

sim::WorldOptions realTimeWorld()
{
    sim::WorldOptions options;
    options.realTime = true;
    return options;
}

void ScanTest::SetUpTestSuite()
{
    gf_initLibraries();
}

void ScanTest::SetUp()
{
    FolderTest::SetUp();
    detail::setParametersFile(folder() / "parameters.xml");
    detail::setApfWriterDate(std::string(kFixedDate));
    g_simIs2020.store(1);
    g_simNumber.store(1);
    g_stop.store(0);
    g_userClosed.store(0);
    g_scanMessages.clear();
    g_supportedAirports.clear();
    lf_setAirportList();
    lf_setModelDatabase();
    // No test inherits another's airports written "in this scan".
    gf_clearScanWritten(g_mySimaddonPath);
    gf_clearScanWritten(g_myThirdpartyPath);
}

void ScanTest::TearDown()
{
    gf_closeFacilityReader();
    gf_setControlEnableHook(nullptr);
    g_scanMessages.clear();
    g_supportedAirports.clear();
    detail::resetAirportList();
    detail::clearDbase();
    g_stop.store(0);
    g_userClosed.store(0);
    g_mySimaddonCount.store(0);
    g_myThirdpartyCount.store(0);
    g_tbloCount.store(0);
    detail::setApfWriterDate(std::nullopt);
    detail::setParametersFile({});
    FolderTest::TearDown();
}

const std::vector<std::string>& ScanTest::report() const
{
    return g_scanMessages;
}

bool ScanTest::reported(std::string_view line) const
{
    return hasLine(g_scanMessages, line);
}

bool ScanTest::reportMentions(std::string_view text) const
{
    return mentions(g_scanMessages, text);
}

} // namespace ovr::test
