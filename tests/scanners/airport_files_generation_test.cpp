// Linking an airport to the archive's file, writing a generated airport
// file, and settling a scenery file's airport through the stand-in
// simulator's facility data.
#include "scan_test_support.h"

#include <chrono>

#include "airports/facility_reader.h"
#include "airports/facility_reader_detail.h"
#include "core/globals.h"
#include "core/paths.h"
#include "platform/simconnect/world.h"
#include "scanners/airport_file_counts.h"
#include "scanners/airport_files_generation.h"
#include "scanners/scan_report.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

class Generation : public ScanTest
{
  protected:
    ScannedAirport airportAt(const std::string& icao, const std::string& publisher)
    {
        ScannedAirport airport = gf_scannedAirportAt(folder() / "Community" / "pkg" / "x.bgl");
        airport.record.icao = IcaoCode(icao);
        airport.record.publisher = publisher;
        return airport;
    }
};

struct ArchiveCase
{
    std::string name;
    bool sim2020;
    std::string icao;
    std::string publisher;
    std::optional<std::string> version; // the manifest's; none: no manifest
    std::optional<std::string> archiveName;
    std::string reportLine;
};

class ArchiveName : public Generation, public ::testing::WithParamInterface<ArchiveCase>
{
};

TEST_P(ArchiveName, NamesTheListedFile)
{
    const ArchiveCase& c = GetParam();
    g_simIs2020.store(c.sim2020 ? 1 : 0);
    ScannedAirport airport = airportAt(c.icao, c.publisher);
    if (c.version)
        airport.manifest = PackageManifest{"t", *c.version, "m", "c"};
    const std::optional<std::string> name = c.publisher == "simaddon"
                                                ? lf_simaddonArchiveName(airport.record.icao)
                                                : lf_thirdpartyArchiveName(airport);
    EXPECT_EQ(name, c.archiveName);
    if (c.reportLine.empty())
        EXPECT_TRUE(report().empty());
    else
        EXPECT_EQ(report(), std::vector<std::string>{c.reportLine});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArchiveName,
    ::testing::Values(
        ArchiveCase{"Simaddon", true, "LFPG", "simaddon", std::nullopt, "archive/simaddon/LFPG.xml", ""},
        ArchiveCase{"SimaddonOfTheOtherSimulator", true, "EGLL", "simaddon", std::nullopt, std::nullopt,
                    "EGLL does not exist as simaddon"},
        ArchiveCase{"Simaddon2024", false, "EGLL", "simaddon", std::nullopt, "archive/simaddon/EGLL.xml", ""},
        ArchiveCase{"BlankInPublisher", true, "EHRD", "Some Developer", std::nullopt,
                    "archive/thirdparty/Some%20Developer/EHRD.xml", ""},
        ArchiveCase{"Versioned", true, "EDDL", "Some Developer", "2.0.1",
                    "archive/thirdparty/Some%20Developer/EDDL201.xml", ""},
        ArchiveCase{"VersionNotListed", true, "EHRD", "Some Developer", "1.0",
                    "archive/thirdparty/Some%20Developer/EHRD.xml", ""},
        ArchiveCase{"NotListed", true, "LOWI", "Some Developer", std::nullopt, std::nullopt,
                    "thirdparty Some Developer LOWI does not exist"},
        ArchiveCase{"ListedForTheOtherSimulator", false, "LOWI", "FlyLand", std::nullopt, std::nullopt,
                    "thirdparty FlyLand LOWI does not exist"}),
    caseName);

TEST_F(Generation, ALinkFileNamesTheArchivedFile)
{
    ScannedAirport thirdparty = airportAt("EHRD", "Some Developer");
    ASSERT_TRUE(lf_linkAirport(thirdparty));
    EXPECT_EQ(readFile(g_myThirdpartyPath / "EHRD.txt"), "archive/thirdparty/Some%20Developer/EHRD.xml\n");
    ScannedAirport simaddon = airportAt("LFPG", "simaddon");
    ASSERT_TRUE(lf_linkAirport(simaddon));
    EXPECT_EQ(readFile(g_mySimaddonPath / "LFPG.txt"), "archive/simaddon/LFPG.xml\n");
    EXPECT_EQ(report(),
              (std::vector<std::string>{
                  "thirdparty airport EHRD linked to archive/thirdparty/Some%20Developer/EHRD.xml\n",
                  "simaddon airport LFPG linked to archive/simaddon/LFPG.xml\n"}));
}

TEST_F(Generation, APublisherThatStaysEmptyIsNeverLinked)
{
    ScannedAirport airport = airportAt("EHRD", "");
    EXPECT_FALSE(lf_linkAirport(airport));
    EXPECT_FALSE(fs::exists(g_myThirdpartyPath / "EHRD.txt"));
}

TEST_F(Generation, ALinkFileThatCannotBeWrittenIsReportedAndNotCounted)
{
    fs::create_directories(g_airportsPath);
    writeFile(g_myThirdpartyPath, "a file where the folder should be");
    ScannedAirport airport = airportAt("EHRD", "Some Developer");
    EXPECT_FALSE(lf_linkAirport(airport));
    EXPECT_EQ(report(),
              std::vector<std::string>{"===> Writing airports/my_thirdparty/EHRD.txt did not succeed"});
}

TEST_F(Generation, AGeneratedFileHasItsStandsSortedByName)
{
    ScannedAirport airport = airportAt("EHRD", "");
    airport.manifest = PackageManifest{"Rotterdam", "1.0", "Maker", "Me"};
    for (const char* name : {"g2", "helipad1", "g10", "A1"})
        airport.record.stands.push_back(
            gf_makeStand(name, {}, 51.95, 4.44, 1.0, 20.0, 8, false, false, false));
    lf_writeAirportFile(airport, 1);
    EXPECT_EQ(report(), std::vector<std::string>{"Generated EHRD.xml: 4 positions of which 1 helipad"});
    const std::string written = readFile(g_myThirdpartyPath / "EHRD.xml");
    const std::size_t a1 = written.find("id=\"A1\"");
    const std::size_t g10 = written.find("id=\"g10\"");
    const std::size_t g2 = written.find("id=\"g2\"");
    const std::size_t heli = written.find("id=\"helipad1\"");
    EXPECT_TRUE(a1 < g10 && g10 < g2 && g2 < heli) << written;
    EXPECT_NE(written.find(R"(<parameter name="version" value="1.0" />)"), std::string::npos) << written;
    EXPECT_NE(written.find(R"(<parameter name="manufacturer" value="Maker" />)"), std::string::npos);
    EXPECT_NE(written.find(R"(<parameter name="num_parkpos" value="4" />)"), std::string::npos);
}

TEST_F(Generation, ReportsCountPositionsAndHelipads)
{
    const std::vector<std::tuple<std::size_t, std::uint32_t, std::string>> cases = {
        {1, 0, "Generated LFPG.xml: 1 position"},
        {2, 2, "Generated LFPG.xml: 2 positions of which 2 helipads"},
        {45, 1, "Generated LFPG.xml: 45 positions of which 1 helipad"}};
    for (const auto& [stands, helipads, line] : cases)
    {
        g_scanMessages.clear();
        ScannedAirport airport = airportAt("LFPG", "simaddon");
        for (std::size_t i = 0; i < stands; ++i)
            airport.record.stands.push_back(
                gf_makeStand(fmt::format("s{}", i), {}, 49.0, 2.5, 1.0, 20.0, 8, false, false, false));
        lf_writeAirportFile(airport, helipads);
        EXPECT_EQ(report(), std::vector<std::string>{line});
        EXPECT_TRUE(fs::exists(g_mySimaddonPath / "LFPG.xml"));
    }
}

TEST_F(Generation, AnAirportWithoutStandsIsNotWritten)
{
    ScannedAirport airport = airportAt("EHRD", "");
    lf_writeAirportFile(airport, 0);
    EXPECT_EQ(report(), std::vector<std::string>{"EHRD has no stands"});
    EXPECT_FALSE(fs::exists(g_myThirdpartyPath / "EHRD.xml"));
}

// The stand-in simulator's facility data for the scenery files' airports.
class Facilities : public Generation
{
  protected:
    static sim::Scenario scenario()
    {
        sim::Scenario s;
        sim::AirportFacility eddf = frankfurtFacility();
        eddf.helipads = {sim::Helipad{50.04, 8.58, 111.0, 45.0F, 20.0F, 20.0F, 1, 2}};
        s.airports = {eddf};
        return s;
    }

    fs::path sceneryFile(const std::string& package)
    {
        const fs::path file = folder() / "Community" / package / "scenery" / "a.bgl";
        writeFile(file, "");
        writeFile(folder() / "Community" / package / "manifest.json",
                  R"({"title": "t", "manufacturer": "Maker", "creator": "Me"})");
        return file;
    }
};

TEST_F(Facilities, AnsweredAirportIsGeneratedFromTheFacilityData)
{
    sim::World world(scenario(), realTimeWorld());
    EXPECT_TRUE(lf_airportFromFacilities(sceneryFile("maker-eddf")));
    EXPECT_TRUE(reported("Generated EDDF.xml: 3 positions of which 1 helipad"));
    const std::string written = readFile(g_myThirdpartyPath / "EDDF.xml");
    EXPECT_NE(written.find(R"(<parameter name="Facilities" value="true" />)"), std::string::npos) << written;
    EXPECT_NE(written.find(R"(<parameter name="airport_name" value="Frankfurt/Main" />)"), std::string::npos);
    EXPECT_EQ(g_myThirdpartyCount.load(), 1);
}

TEST_F(Facilities, ALinkedAirportAsksNoFacilityData)
{
    EXPECT_TRUE(lf_airportFromFacilities(sceneryFile("somedev-ehrd")));
    EXPECT_TRUE(fs::exists(g_myThirdpartyPath / "EHRD.txt"));
    EXPECT_FALSE(g_parkingDataRdrOpen);
    EXPECT_EQ(g_myThirdpartyCount.load(), 1);
}

struct FailureCase
{
    std::string name;
    bool failOpen;
    std::string icao; // an airport the stand-in does not know raises an exception
};

class FacilityFailure : public Facilities, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(FacilityFailure, IsReportedSavedAndLeavesTheFileToTheReader)
{
    sim::World world(scenario(), realTimeWorld());
    if (GetParam().failOpen)
        world.failNextCalls("SimConnect_Open", 1);
    const std::string package = fmt::format("maker-{}", GetParam().icao);
    EXPECT_FALSE(lf_airportFromFacilities(sceneryFile(package)));
    const std::string line = fmt::format(
        "Reading Facilites data for {} via SimConnect failed, is MSFS connected?", GetParam().icao);
    EXPECT_TRUE(reported(line));
    EXPECT_TRUE(logHas(line));
    EXPECT_NE(readFile(g_airportsScanLogTxtPath).find(line), std::string::npos);
    EXPECT_FALSE(fs::exists(g_myThirdpartyPath / (GetParam().icao + ".xml")));
}

INSTANTIATE_TEST_SUITE_P(Cases, FacilityFailure,
                         ::testing::Values(FailureCase{"NoConnection", true, "EDDF"},
                                           FailureCase{"SimulatorException", false, "KJFK"}),
                         caseName);

TEST_F(Facilities, AnUnsupportedCodeEndsTheFileAndNoCodeHandsItToTheReader)
{
    EXPECT_TRUE(lf_airportFromFacilities(sceneryFile("maker-zzzz")));
    EXPECT_FALSE(lf_airportFromFacilities(sceneryFile("maker-field")));
    EXPECT_FALSE(g_parkingDataRdrOpen) << "no facility request for either";
}

TEST_F(Facilities, APackageWithoutMakerAsksNoFacilityData)
{
    const fs::path file = folder() / "Community" / "pkg-eddf" / "a.bgl";
    writeFile(file, "");
    writeFile(folder() / "Community" / "pkg-eddf" / "manifest.json",
              R"({"manufacturer": "ab", "creator": ""})");
    EXPECT_FALSE(lf_airportFromFacilities(file));
    EXPECT_FALSE(reportMentions("Reading Facilites data"));
}

} // namespace
} // namespace ovr::test
