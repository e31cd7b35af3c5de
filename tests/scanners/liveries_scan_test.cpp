// The liveries scan: aircraft.cfg files and sections into liveries, the IVAO
// layout, the walk with its workers, the outputs and the user errors.
#include <atomic>
#include <chrono>
#include <list>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "core/encoding.h"
#include "core/globals.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/user_error.h"
#include "liveries/dont_use_titles.h"
#include "liveries/livery_data.h"
#include "liveries/model_database.h"
#include "liveries_fixture.h"
#include "scan_test_support.h"
#include "scanners/aircraft_cfg.h"
#include "scanners/liveries_scan.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"

namespace ovr::test
{
namespace
{

// ---- one section ----

TEST_F(LiveriesScanTest, SectionWithAirlineAndRegistration)
{
    const auto result = section({"[fltsim.0]", "title=A320 Lufthansa", "icao_airline=DLH", "atc_id=D-ABCD;old",
                                 "atc_parking_types=RAMP_CARGO", "", "// end"});
    EXPECT_EQ(describe(result), (std::vector<std::string>{"DLH||A320|1|A320 Lufthansa|D-ABCD|1"}));
    EXPECT_TRUE(g_incompleteFltsimSections.empty());
}

struct CargoCase
{
    const char* name;
    const char* parking;
    int cargo;
};

class CargoFlag : public LiveriesScanTest, public ::testing::WithParamInterface<CargoCase>
{
};

TEST_P(CargoFlag, NeedsCargoWithoutGate)
{
    const auto result = section({"[fltsim.0]", "title=T", "icao_airline=DLH", std::string("atc_parking_types=") +
                                                                                  GetParam().parking});
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(result.front().key.cargo, GetParam().cargo);
}

INSTANTIATE_TEST_SUITE_P(Values, CargoFlag,
                         ::testing::Values(CargoCase{"GateHeavyCargo", "GATE_HEAVY,CARGO", 0},
                                           CargoCase{"RampCargoGate", "ramp_cargo, gate", 0},
                                           CargoCase{"RampCargo", "RAMP_CARGO", 1}, CargoCase{"Lower", "cargo", 1}),
                         caseName);

struct AtcCase
{
    const char* name;
    const char* line;
    const char* registration;
    bool entry;
};

class AtcId : public LiveriesScanTest, public ::testing::WithParamInterface<AtcCase>
{
};

TEST_P(AtcId, GivesTheRegistration)
{
    const auto result = section({"[fltsim.0]", "title=T", "icao_airline=DLH", GetParam().line});
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(result.front().registration, GetParam().registration);
    EXPECT_EQ(!g_incompleteFltsimSections.empty(), GetParam().entry) << testing::PrintToString(lines(g_incompleteFltsimSections));
}

INSTANTIATE_TEST_SUITE_P(Values, AtcId,
                         ::testing::Values(AtcCase{"Cut", "atc_id=D-ABCD;old", "D-ABCD", false},
                                           AtcCase{"Two", "atc_id=D-ABCD,D-ABCE", "", false},
                                           AtcCase{"TwoWithBlank", "atc_id=D-ABCD, D-ABCE", "", false},
                                           AtcCase{"TrailingComma", "atc_id=D-ABCD,", "", true},
                                           AtcCase{"Star", "atc_id=D-AB*C", "", true},
                                           AtcCase{"Thirteen", "atc_id=ABCDEFGHIJKLM", "", true},
                                           AtcCase{"Twelve", "atc_id=ABCDEFGHIJKL", "ABCDEFGHIJKL", false}),
                         caseName);

TEST_F(LiveriesScanTest, InvalidAtcIdEntryNamesValueAndTitle)
{
    section({"[fltsim.0]", "title=T", "icao_airline=DLH", "atc_id=D-ABCD,"});
    EXPECT_EQ(lines(g_incompleteFltsimSections), (std::vector<std::string>{"invalid atc_id=D-ABCD, in: T"}));
}

TEST_F(LiveriesScanTest, AirlineCodesAreCutAndChecked)
{
    auto result = section({"[fltsim.0]", "title=T1", "icao_airline=DLHX"});
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(codeOf(g_airlineCodes, result.front().key.airline), "DLH");
    result = section({"[fltsim.1]", "title=T2", "icao_airline=UPSC"});
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(codeOf(g_airlineCodes, result.front().key.airline), "UPS");
    // An unknown code is listed and the section goes on as one without airline.
    result = section({"[fltsim.2]", "title=T3", "icao_airline=ABCD"});
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(codeOf(g_airlineCodes, result.front().key.airline), "PVT");
    EXPECT_EQ(lines(g_invalidAirlineCodes), (std::vector<std::string>{"ABCD         in pkg/aircraft.cfg [fltsim.2]"}));
    EXPECT_EQ(lines(g_incompleteFltsimSections),
              (std::vector<std::string>{"pkg/aircraft.cfg [fltsim.2] icao_airline is missing, or it has invalid info "}));
}

TEST_F(LiveriesScanTest, FenixTitleDropsSilentlyOnlyAfterTheAirline)
{
    EXPECT_TRUE(section({"[fltsim.0]", "title=FenixA320 X", "icao_airline=DLH"}).empty());
    EXPECT_EQ(lines(g_incompleteFltsimSections),
              (std::vector<std::string>{"pkg/aircraft.cfg [fltsim.0] icao_airline is missing, or it has invalid info "}));
    lf_clearScanLists();
    EXPECT_TRUE(section({"[fltsim.0]", "icao_airline=DLH", "title=FenixA320 X"}).empty());
    EXPECT_TRUE(g_incompleteFltsimSections.empty());
}

TEST_F(LiveriesScanTest, DuplicateKeysDropTheSection)
{
    const struct
    {
        std::vector<std::string> lines;
        std::string entry;
    } cases[] = {
        {{"[fltsim.0]", "title=A", "icao_airline=DLH", "title=B"}, "pkg [fltsim.0] has more than one title key"},
        {{"[fltsim.0]", "title=A", "icao_airline=DLH", "//icao_airline=BAW", "x=1"},
         "pkg [fltsim.0] has more than one icao_airline key"},
        {{"[fltsim.0]", "title=A", "icao_airline=DLH", "atc_parking_types=GATE", "atc_parking_types=RAMP"},
         "pkg [fltsim.0] has more than one atc_parking_types key"},
        {{"[fltsim.0]", "title=A", "icao_airline=DLH", "atc_id=D-ABCD", "//atc_id=D-ABCE", "x=1"},
         "pkg, [fltsim.0], has more than one atc_id key"},
    };
    for (const auto& c : cases)
    {
        lf_clearScanLists();
        EXPECT_TRUE(section(c.lines).empty()) << c.entry;
        EXPECT_EQ(lines(g_incompleteFltsimSections), (std::vector<std::string>{c.entry}));
    }
    // The same comment as the last line is trimmed away first.
    lf_clearScanLists();
    EXPECT_EQ(section({"[fltsim.0]", "title=A", "icao_airline=DLH", "atc_id=D-ABCD", "//atc_id=D-ABCE"}).size(), 1U);
}

TEST_F(LiveriesScanTest, RulesWithoutAirline)
{
    // Heavy without registration: rejected.
    EXPECT_TRUE(section({"[fltsim.0]", "title=Heavy"}, "B744").empty());
    EXPECT_EQ(g_incompleteFltsimSections.back(), "'pkg' '[fltsim.0]' has no airline and no regcode info");
    // Heavy with a registration the database does not know.
    EXPECT_TRUE(section({"[fltsim.1]", "title=Heavy2", "atc_id=N999ZZ"}, "B744").empty());
    EXPECT_EQ(g_incompleteFltsimSections.back(), "'pkg' '[fltsim.1]' has no airline and regcode not in dbase");
    // A large type becomes PVT; the database keyword in the title is its registration.
    auto result = section({"[fltsim.2]", "title=Private N123X"});
    EXPECT_EQ(describe(result), (std::vector<std::string>{"CLH||A320|0|Private N123X|N123X|1"}));
    result = section({"[fltsim.3]", "title=Private plain"});
    EXPECT_EQ(describe(result), (std::vector<std::string>{"PVT||A320|0|Private plain||1"}));
}

TEST_F(LiveriesScanTest, DatabaseRegistrationReplacesTheKey)
{
    const auto result = section({"[fltsim.0]", "title=Reg", "icao_airline=BAW", "atc_id=D-AIZZ",
                                 "atc_parking_types=CARGO"},
                                "B738");
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(describe(result.front()), "DLH||A320|0|Reg|D-AIZZ|1");
    EXPECT_EQ(result.front().key.mark, 1);
}

TEST_F(LiveriesScanTest, StubAndUnknownAirlineLoseTheRegistration)
{
    auto result = section({"[fltsim.0]", "title=Generic-STUB", "icao_airline=DLH", "atc_id=D-AIZZ"});
    EXPECT_EQ(describe(result), (std::vector<std::string>{"ZZZ||A320|0|Generic-STUB||1"}));
    result = section({"[fltsim.1]", "title=Zed", "icao_airline=ZZZZ", "atc_id=D-AIZZ"});
    EXPECT_EQ(describe(result), (std::vector<std::string>{"ZZZ||A320|0|Zed||1"}));
}

TEST_F(LiveriesScanTest, TitlesTakenOnceAndSkipped)
{
    EXPECT_EQ(section({"[fltsim.0]", "title=Same", "icao_airline=DLH"}).size(), 1U);
    EXPECT_TRUE(section({"[fltsim.1]", "title=Same", "icao_airline=BAW"}).empty());
    EXPECT_EQ(lines(g_incompleteFltsimSections), (std::vector<std::string>{"pkg [fltsim.1] title 'Same' already exists"}));
    EXPECT_TRUE(section({"[fltsim.2]", "title=A Fictional one", "icao_airline=DLH"}).empty());
    g_dontUseTitles = {"Never"};
    EXPECT_TRUE(section({"[fltsim.3]", "title=Never", "icao_airline=DLH"}).empty());
    EXPECT_EQ(g_incompleteFltsimSections.size(), 1U);
    EXPECT_TRUE(section({"[fltsim.4]", "icao_airline=DLH"}).empty());
    EXPECT_EQ(g_incompleteFltsimSections.back(), "pkg [fltsim.4] misses title");
}

TEST_F(LiveriesScanTest, DatabaseKeyWithoutModelIsReported)
{
    EXPECT_TRUE(section({"[fltsim.0]", "title=NoModel", "atc_id=G-NOMO"}).empty());
    EXPECT_EQ(g_incompleteFltsimSections.back(), "pkg [fltsim.0] title 'NoModel' has no airline or model");
}

// ---- one file ----

TEST_F(LiveriesScanTest, FileYieldsItsSectionsInOrder)
{
    const auto result = readFile("p/aircraft.cfg", "[General]\r\nicao_type_designator=b738\r\n\r\n"
                                                   "[FLTSIM.1]\r\ntitle=One\r\nicao_airline=DLH\r\n"
                                                   "  [Other]\r\ntitle=Lost\r\n"
                                                   "[fltsim.0]\r\nabcdef[x]\r\ntitle=Two\r\nicao_airline=BAW\r\n");
    EXPECT_EQ(describe(result), (std::vector<std::string>{"DLH||B738|0|One||1", "BAW||B738|0|Two||1"}));
    EXPECT_EQ(g_runningScanTasks.load(), 0);
}

TEST_F(LiveriesScanTest, FileChecks)
{
    EXPECT_TRUE(readFile("a/aircraft.cfg", "[General]\nicao_type_designator=XXXX\n").empty());
    EXPECT_EQ(lines(g_cfgFilesWithoutFltsim), (std::vector<std::string>{"a/aircraft.cfg"}));
    EXPECT_EQ(lines(g_invalidModelCodes), (std::vector<std::string>{"XXXX             in a/aircraft.cfg"}));

    EXPECT_TRUE(readFile("b/aircraft.cfg", "icao_type_designator=A320\n[fltsim.0]\ntitle=B0\nicao_airline=DLH\n"
                                           "[fltsim.10001]\ntitle=B1\n")
                    .empty());
    EXPECT_EQ(lines(g_invalidAircraftCfgFiles),
              (std::vector<std::string>{"b/aircraft.cfg contains a [fltsim.x] section with a number < 0 or > 10000"}));

    EXPECT_TRUE(readFile("c/aircraft.cfg", "icao_type_designator=A320\n[fltsim.99999999999]\ntitle=C\n").empty());
    EXPECT_TRUE(logMentions("fltsim num 99999999999 incorrect"));
    EXPECT_EQ(g_invalidAircraftCfgFiles.size(), 1U);

    EXPECT_EQ(readFile("d/aircraft.cfg", "[fltsim.5] // spare\ntitle=D\nicao_airline=DLH\nicao_type_designator=A320\n")
                  .size(),
              1U);

    EXPECT_TRUE(readFile("pmdg-aircraft-737/aircraft.cfg", "[fltsim.0]\ntitle=E\n").empty());
    EXPECT_EQ(g_invalidAircraftCfgFiles.size(), 1U);
    EXPECT_TRUE(readFile("f/aircraft.cfg", "[fltsim.0]\ntitle=F\n").empty());
    EXPECT_EQ(g_invalidAircraftCfgFiles.back(), "Line icao_type_designator= is missing in [General] section of f/aircraft.cfg");

    EXPECT_EQ(readFile("g/aircraft.cfg", "icao_type_designator=B38M\n[fltsim.0]\ntitle=G0\nicao_airline=DLH\n"
                                         "[fltsim.1]\ntitle=G1\nicao_airline=DLH\n")
                  .size(),
              2U);
    EXPECT_EQ(g_scanFixes, (std::vector<std::string>{"Model fix: B38M found in g/aircraft.cfg changed into B738"}));
    EXPECT_EQ(g_runningScanTasks.load(), 0);
}

TEST_F(LiveriesScanTest, TwoHeadersInARow)
{
    EXPECT_EQ(readFile("h/aircraft.cfg", "icao_type_designator=A320\n[fltsim.0]\n[fltsim.1]\ntitle=H\nicao_airline=DLH\n")
                  .size(),
              1U);
    EXPECT_EQ(lines(g_incompleteFltsimSections),
              (std::vector<std::string>{"h/aircraft.cfg [fltsim.0] icao_airline is missing, or it has invalid info ",
                                        "h [fltsim.0] misses title"}));
}

TEST_F(LiveriesScanTest, Encodings)
{
    const std::string body = "icao_type_designator=A320\r\n[fltsim.0]\r\ntitle=Caf\xc3\xa9\r\nicao_airline=DLH\r\n";
    std::string utf16 = "\xff\xfe";
    for (char c : std::string("icao_type_designator=A320\r\n[fltsim.0]\r\ntitle=Caf"))
    {
        utf16.push_back(c);
        utf16.push_back('\0');
    }
    utf16 += std::string("\xe9\0", 2);
    for (char c : std::string("\r\nicao_airline=DLH\r\n"))
    {
        utf16.push_back(c);
        utf16.push_back('\0');
    }
    const std::string ansi = "icao_type_designator=A320\r\n[fltsim.0]\r\ntitle=Caf\xe9\r\nicao_airline=DLH\r\n";
    for (const auto& [name, content] : {std::pair{"utf8", body}, std::pair{"utf16", utf16}, std::pair{"ansi", ansi}})
    {
        lf_clearScanLists();
        const auto result = readFile(fs::path(name) / "aircraft.cfg", content);
        ASSERT_EQ(result.size(), 1U) << name;
        EXPECT_EQ(result.front().title, "Caf\xc3\xa9") << name;
    }
}

// The 4 KB boundary, in both encodings: a UTF-8 character that straddles it,
// a Windows-1252 byte just after 4 KB of ASCII. The title reaches
// LiveriesScanned.xml as UTF-8.
struct BoundaryCase
{
    const char* name;
    std::string city;   // the title's city in the file's encoding
    std::size_t offset; // of its first byte that is not ASCII
};

class EncodingBoundary : public LiveriesScanTest, public ::testing::WithParamInterface<BoundaryCase>
{
};

TEST_P(EncodingBoundary, TitleReadWhole)
{
    const std::string head = "[General]\nicao_type_designator=A320\n[fltsim.0]\nicao_airline=DLH\n// ";
    const std::string title = "\ntitle=K";
    const std::size_t pad = GetParam().offset - head.size() - title.size();
    const std::string content = head + std::string(pad, 'x') + title + GetParam().city + "\n";
    ASSERT_EQ(content.find(GetParam().city), GetParam().offset);
    writeFile(folder() / "enc" / "pkg" / "aircraft.cfg", content);
    std::vector<fs::path> folders{folder() / "enc"};
    ASSERT_TRUE(lf_scanLiveryFolders(folders));
    const std::string xml = ovr::test::readFile(g_liveriesScannedXmlPath);
    EXPECT_TRUE(gf_isValidUtf8(xml));
    EXPECT_NE(xml.find("t=\"K\xC3\xB6ln\""), std::string::npos) << xml;
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodingBoundary,
                         ::testing::Values(BoundaryCase{"Utf8", "\xC3\xB6ln", 4095},
                                           BoundaryCase{"Windows1252", "\xF6ln", 4096}),
                         caseName);

// A file without a type of its own takes the type of its stock container.
TEST_F(LiveriesScanTest, StockBaseContainerGivesTheType)
{
    g_knownModels.insert("C172");
    const auto result = readFile("stock/aircraft.cfg",
                                 "[General]\n[fltsim.0]\ntitle=Club C172\nicao_airline=DLH\n"
                                 "[VARIATION]\nbase_container=..\\Asobo_C172sp_classic\n");
    ASSERT_EQ(result.size(), 1U);
    EXPECT_EQ(describe(result.front()), "DLH||C172|0|Club C172||1");
}

TEST_F(LiveriesScanTest, MissingAndGarbageFiles)
{
    g_runningScanTasks.store(1);
    EXPECT_TRUE(lf_searchLiveriesinFile(1, "nowhere/aircraft.cfg").empty());
    // A file that is gone is skipped without a word.
    EXPECT_FALSE(logMentions("nowhere"));
    std::string garbage;
    for (int i = 0; i < 70000; ++i)
        garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    EXPECT_TRUE(readFile("garbage/aircraft.cfg", garbage).empty());
    EXPECT_EQ(readFile("long/aircraft.cfg", "icao_type_designator=A320 [fltsim.0] " + std::string(1 << 20, 'x')).size(),
              0U);
    EXPECT_EQ(g_runningScanTasks.load(), 0);
}

// ---- IVAO ----

TEST_F(LiveriesScanTest, IvaoModelFromPath)
{
    EXPECT_EQ(lf_ivaoModelFromPath("C:\\x\\IVAO_MTL\\SimObjects\\Airplanes\\IVAO_B738WLfa\\aircraft.cfg"), "B738");
    EXPECT_EQ(lf_ivaoModelFromPath("/x/ivao_x-csl/SimObjects/Airplanes/IVAO_a320x/Aircraft.CFG"), "");
    EXPECT_EQ(lines(g_invalidModelCodes),
              (std::vector<std::string>{"a320             in /x/ivao_x-csl/SimObjects/Airplanes/IVAO_a320x/Aircraft.CFG"}));
    EXPECT_EQ(lf_ivaoModelFromPath("/x/IVAO_MTL/IVAO_B738/aircraft.cfg"), "");
    EXPECT_EQ(g_invalidModelCodes.back(), "                 in /x/IVAO_MTL/IVAO_B738/aircraft.cfg");
}

TEST_F(LiveriesScanTest, IvaoSections)
{
    const fs::path dir = folder() / "x" / "IVAO_MTL" / "SimObjects" / "Airplanes" / "IVAO_B738";
    fs::create_directories(dir / "texture.DLH");
    fs::create_directories(dir / "TEXTURE");
    writeFile(dir / "aircraft.cfg", "[fltsim.0]\ntitle=\"  B738 DLH Lufthansa  \"\ntexture=dlh\nui_variation=x\n"
                                    "[fltsim.1]\ntitle=B738BAW\n"
                                    "[fltsim.2]\ntitle=Boeing 738 UPS\ntexture=DLH\n"
                                    "[fltsim.3]\ntitle=B738 XYZ Test\n"
                                    "[fltsim.4]\ntitle=Reg only\natc_id=D-AIZZ\n"
                                    "[fltsim.5]\ntitle=B738 CLH\ntexture=missing\n"
                                    "[fltsim.6]\ntitle=B738 DLH again\nui=[x]\natc_parking_types=A\natc_parking_types=B\n");
    g_runningScanTasks.store(1);
    const auto result = lf_searchLiveriesinIVAOFile(2, dir / "aircraft.cfg");
    EXPECT_EQ(describe(result), (std::vector<std::string>{"DLH||B738|0|B738 DLH Lufthansa||2", "BAW||B738|0|B738BAW||2",
                                                          "DLH||A320|0|Reg only|D-AIZZ|2",
                                                          "DLH||B738|0|B738 DLH again||2"}));
    EXPECT_TRUE(logMentions("removed spaces around title '  B738 DLH Lufthansa  ' --> 'B738 DLH Lufthansa'"));
    const std::string F = dir.string();
    EXPECT_EQ(lines(g_incompleteFltsimSections),
              (std::vector<std::string>{F + " [fltsim.2] misses airlinecode in title: Boeing 738 UPS, and no regcode",
                                        (dir / "texture.missing").string() + " [fltsim.5] does not exist"}));
    EXPECT_EQ(lines(g_invalidAirlineCodes),
              (std::vector<std::string>{"XYZ          in " + (dir / "aircraft.cfg").string() + " [fltsim.3]"}));
    EXPECT_EQ(g_runningScanTasks.load(), 0);
}

TEST_F(LiveriesScanTest, IvaoMarkedFolderWantsW)
{
    const fs::path dir = folder() / "x" / "IVAO_MTL" / "SimObjects" / "Airplanes" / "IVAO_B738WLfa";
    fs::create_directories(dir / "texture");
    writeFile(dir / "aircraft.cfg", "[fltsim.0]\ntitle=B738W DLH\n[fltsim.1]\ntitle=B738 BAW\n");
    g_runningScanTasks.store(1);
    const auto result = lf_searchLiveriesinIVAOFile(1, dir / "aircraft.cfg");
    EXPECT_EQ(describe(result), (std::vector<std::string>{"DLH||B738|0|B738W DLH||1"}));
    EXPECT_EQ(g_incompleteFltsimSections.size(), 1U);
}

// ---- the scan ----


TEST_F(LiveriesScanTest, AutomaticScanWritesTheFileAndTurnsItselfOff)
{
    writeFile(community() / "aig-aitraffic-oci-beta" / "SimObjects" / "Airplanes" / "A" / "aircraft.cfg",
              cfg("A320", {{"AIG DLH", "DLH"}, {"AIG BAW", "BAW"}}));
    writeFile(community() / "user-aitraffic-x" / "B" / "AIRCRAFT.CFG", cfg("B738", {{"User DLH", "DLH"}}));
    writeFile(community() / "user-aitraffic-x" / "B" / "aircraft.cfg.bak", cfg("B738", {{"Bak", "DLH"}}));
    writeFile(community() / "user-aitraffic-x" / "airport-x" / "aircraft.cfg", cfg("B738", {{"Airport", "DLH"}}));
    writeFile(community() / "user-aitraffic-x" / "C" / "aircraft.cfg", "[General]\nicao_type_designator=A320\n");
    gf_scanLiveries();
    const std::string xml = ovr::test::readFile(g_liveriesScannedXmlPath);
    EXPECT_NE(xml.find("<l a=\"BAW\" m=\"A320\" t=\"AIG BAW\" />"), std::string::npos) << xml;
    EXPECT_LT(xml.find("AIG BAW"), xml.find("AIG DLH"));
    EXPECT_LT(xml.find("AIG DLH"), xml.find("User DLH"));
    EXPECT_EQ(xml.find("Bak"), std::string::npos);
    EXPECT_EQ(xml.find("Airport"), std::string::npos);
    EXPECT_FALSE(SCAN_LIVERIES.current.load());
    EXPECT_NE(ovr::test::readFile("parameters.xml").find(R"(name="SCAN_LIVERIES" value="false")"), std::string::npos);
    EXPECT_TRUE(comboLastEnabled());
    EXPECT_TRUE(logHas("2 liveries found in " + (community() / "aig-aitraffic-oci-beta").string()));
    EXPECT_TRUE(logHas("1 liverie found in " + (community() / "user-aitraffic-x").string()));
    EXPECT_TRUE(logHas("3 in total"));
    EXPECT_TRUE(logHas("No errors"));
    EXPECT_TRUE(logHas("Information:"));
    EXPECT_EQ(ovr::test::readFile(g_aircraftCfgWithNoFltsimSectionTxtPath),
              (community() / "user-aitraffic-x" / "C" / "aircraft.cfg").string() + "\n");
    EXPECT_FALSE(fs::exists(g_outputErrorsPath));
    EXPECT_TRUE(g_liveries.empty());
    EXPECT_TRUE(g_scanTitles.empty());
}

TEST_F(LiveriesScanTest, SelectorOrderAndCvt)
{
    for (const char* name : {"aig-aitraffic-oci_CVT_", "aig-aitraffic-oci-beta", "aig-aitraffic-oci-z", "IVAO_MTL",
                             "user-aitraffic-x", "fsltl-traffic-base.zip"})
        fs::create_directories(community() / name);
    AI_PACKAGE_SELECTOR.setValue("MTL, AIG");
    std::vector<fs::path> folders;
    lf_findAIPackagesAutomatically(community(), folders);
    EXPECT_EQ(folders, (std::vector<fs::path>{community() / "IVAO_MTL", community() / "aig-aitraffic-oci-beta",
                                              community() / "user-aitraffic-x"}));
    AI_PACKAGE_SELECTOR.setValue("nonsense");
    EXPECT_THROW(lf_findAIPackagesAutomatically(community(), folders), std::runtime_error);
}

TEST_F(LiveriesScanTest, UserErrors)
{
    auto codeOfScan = [] {
        try
        {
            gf_scanLiveries();
        }
        catch (const UserErrorException& e)
        {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(codeOfScan(), 43);
    EXPECT_TRUE(comboLastEnabled());
    fs::create_directories(community() / "user-aitraffic-empty");
    EXPECT_EQ(codeOfScan(), 143);
    EXPECT_TRUE(comboLastEnabled());
    EXPECT_TRUE(SCAN_LIVERIES.current.load());

    LIG_AUTOMATIC.current.store(false);
    EXPECT_EQ(codeOfScan(), 48);
    EXPECT_FALSE(comboLastEnabled());
    lfolder4.setValue((community() / "user-aitraffic-empty").string());
    EXPECT_EQ(codeOfScan(), 53);
    EXPECT_FALSE(comboLastEnabled());
    lfolder2.setValue((folder() / "missing").string());
    EXPECT_EQ(codeOfScan(), 243);
    EXPECT_TRUE(logMentions("lfolder2: '" + (folder() / "missing").string() + "' does not exist"));
    EXPECT_TRUE(SCAN_LIVERIES.current.load());
}

TEST_F(LiveriesScanTest, PrioritizeAndDuplicates)
{
    const fs::path one = folder() / "one";
    const fs::path two = folder() / "two";
    writeFile(one / "a" / "aircraft.cfg", cfg("A320", {{"One DLH", "DLH"}}));
    writeFile(two / "a" / "aircraft.cfg", cfg("A320", {{"Two DLH", "DLH"}, {"Two BAW", "BAW"}}));
    std::vector<fs::path> folders{one, folder() / "missing", two};
    LIG_PRIORITIZE.current.store(true);
    ASSERT_TRUE(lf_scanLiveryFolders(folders));
    std::string xml = ovr::test::readFile(g_liveriesScannedXmlPath);
    EXPECT_EQ(xml.find("Two DLH"), std::string::npos);
    EXPECT_NE(xml.find("Two BAW"), std::string::npos);
    EXPECT_TRUE(logHas((folder() / "missing").string() + " does not exist, skipped!"));
    EXPECT_TRUE(logHas("3 in total"));
    LIG_PRIORITIZE.current.store(false);
    ASSERT_TRUE(lf_scanLiveryFolders(folders));
    xml = ovr::test::readFile(g_liveriesScannedXmlPath);
    EXPECT_NE(xml.find("Two DLH"), std::string::npos);

    LiveryData a;
    a.title = "T";
    a.key.airline = gf_airlineId("DLH");
    a.key.model = gf_modelId("A320");
    LiveryData cargo = a;
    cargo.key.cargo = 1;
    LiveryData reg = a;
    reg.registration = "D-ABCD";
    g_liveries = {a, cargo, reg};
    EXPECT_EQ(lf_removeDuplicateLiveries(), 1U);
    ASSERT_EQ(g_liveries.size(), 2U);
    EXPECT_EQ(g_liveries[0].key.cargo, 0);
    g_liveries.clear();
}

TEST_F(LiveriesScanTest, ErrorListsAreSortedAndSummarised)
{
    g_invalidAirlineCodes = {"b", "B"};
    g_incompleteFltsimSections = {"x", "x", "x"};
    g_scanFixes = {"z", "a"};
    lf_writeScanErrors();
    EXPECT_EQ(ovr::test::readFile(g_invalidAirlineCodesTxtPath), "B\nb\n");
    EXPECT_EQ(ovr::test::readFile(g_incompleFltsimSectionsTxtPath), "x\n");
    EXPECT_EQ(ovr::test::readFile(g_fixesTxtPath), "z\na\n");
    EXPECT_TRUE(logHas("    2 invalid airline codes, see output/errors/InvalidAirlineCodes.txt"));
    EXPECT_TRUE(logHas("    3 incomplete [fltsim.x] sections, see output/errors/IncompleFltsimSections.txt"));
    EXPECT_TRUE(logHas("    2 fixes, see output/errors/Fixes.txt"));
    // A user's own file in output/errors keeps the folder.
    writeFile(g_outputErrorsPath / "mine.txt", "x");
    lf_removeScanOutputs();
    EXPECT_TRUE(logMentions("problems with removing previous files: "));
    EXPECT_FALSE(fs::exists(g_invalidAirlineCodesTxtPath));
}

// When output/errors cannot be made, the summary names no file.
TEST_F(LiveriesScanTest, ErrorListsThatCannotBeWrittenAreNotNamed)
{
    writeFile(g_outputErrorsPath, "a file where the folder belongs");
    g_invalidAirlineCodes = {"b"};
    g_invalidModelCodes = {"X"};
    g_scanFixes = {"z"};
    lf_writeScanErrors();
    EXPECT_TRUE(logHas("    1 invalid airline code"));
    EXPECT_TRUE(logHas("    1 invalid model code"));
    EXPECT_TRUE(logHas("    1 fixes"));
    EXPECT_FALSE(logMentions(", see output/errors/"));
    lf_clearScanLists();
}

TEST_F(LiveriesScanTest, WalkRules)
{
    const fs::path root = folder() / "walk";
    writeFile(root / "airport" / "aircraft.cfg", cfg("A320", {{"Skipped", "DLH"}}));
    writeFile(root / "Ok" / "Aircraft.CFG", cfg("A320", {{"Taken", "DLH"}}));
    writeFile(root / "ok" / "aircraft_old.cfg", cfg("A320", {{"Old", "DLH"}}));
    lf_scanFolder4Liveries(1, root);
    ASSERT_EQ(g_liveries.size(), 1U);
    EXPECT_EQ(g_liveries.front().title, "Taken");
    g_liveries.clear();
    // A scanned folder whose own path holds "airport" gives only its own files.
    writeFile(folder() / "my-airport" / "aircraft.cfg", cfg("A320", {{"Top", "DLH"}}));
    writeFile(folder() / "my-airport" / "sub" / "aircraft.cfg", cfg("A320", {{"Below", "DLH"}}));
    lf_scanFolder4Liveries(1, folder() / "my-airport");
    ASSERT_EQ(g_liveries.size(), 1U);
    EXPECT_EQ(g_liveries.front().title, "Top");
    g_liveries.clear();
}

// A folder whose path is one byte short of the limit is entered; one of the
// limit's length is not.
TEST_F(LiveriesScanTest, WalkPathLimit)
{
    const fs::path root = folder() / "limit";
    const auto named = [&](char first, std::size_t bytes) {
        const std::size_t used = gf_pathToUtf8(root / std::string(1, first)).size();
        return root / (std::string(1, first) + std::string(bytes - used, 'd'));
    };
    const fs::path shorter = named('a', kMaxWalkPathBytes - 1);
    const fs::path limit = named('b', kMaxWalkPathBytes);
    ASSERT_EQ(gf_pathToUtf8(shorter).size(), kMaxWalkPathBytes - 1);
    ASSERT_EQ(gf_pathToUtf8(limit).size(), kMaxWalkPathBytes);
    writeFile(shorter / "aircraft.cfg", cfg("A320", {{"Entered", "DLH"}}));
    writeFile(limit / "aircraft.cfg", cfg("A320", {{"Not entered", "DLH"}}));
    lf_scanFolder4Liveries(1, root);
    ASSERT_EQ(g_liveries.size(), 1U);
    EXPECT_EQ(describe(g_liveries.front()), "DLH||A320|0|Entered||1");
    g_liveries.clear();
}

// Links to folders are followed, but each real folder is read once: links
// back to a parent end, and a folder linked from elsewhere in the package
// gives its liveries once.
struct LinkedTreeCase
{
    const char* name;
    std::vector<std::pair<const char*, const char*>> links; // link path -> target, both under the root
    std::vector<std::string> titles;
};

class LinkedTrees : public LiveriesScanTest, public ::testing::WithParamInterface<LinkedTreeCase>
{
};

TEST_P(LinkedTrees, EachFolderOnce)
{
    const fs::path root = folder() / "pkg";
    writeFile(root / "SimObjects" / "A" / "aircraft.cfg", cfg("A320", {{"A", "DLH"}}));
    writeFile(root / "SimObjects" / "B" / "aircraft.cfg", cfg("B738", {{"B", "CLH"}}));
    for (const auto& [link, target] : GetParam().links)
    {
        fs::create_directories((root / link).parent_path());
        fs::create_directory_symlink(root / target, root / link);
    }
    lf_scanFolder4Liveries(1, root);
    std::vector<std::string> titles;
    for (const LiveryData& livery : g_liveries)
        titles.push_back(livery.title);
    EXPECT_EQ(titles, GetParam().titles);
    EXPECT_TRUE(g_incompleteFltsimSections.empty());
    g_liveries.clear();
}

// Long link names keep the walk of today's loops short enough to end when
// the guard is missing, so the case fails instead of hanging.
#define LONG_LINK "linked-back-to-the-package-folder-for-a-test-of-loops"
INSTANTIATE_TEST_SUITE_P(
    Cases, LinkedTrees,
    ::testing::Values(
        LinkedTreeCase{"NoLinks", {}, {"A", "B"}},
        LinkedTreeCase{"LinkToParent", {{"SimObjects/A/" LONG_LINK, "SimObjects"}}, {"A", "B"}},
        LinkedTreeCase{"TwoLinksToParent",
                       {{"SimObjects/A/" LONG_LINK "1", "."}, {"SimObjects/A/" LONG_LINK "2", "."}},
                       {"A", "B"}},
        LinkedTreeCase{"LinkToSibling", {{"SimObjects/A/toB", "SimObjects/B"}}, {"A", "B"}},
        LinkedTreeCase{"LinkToItself", {{"SimObjects/A/self", "SimObjects/A/self"}}, {"A", "B"}}),
    caseName);
#undef LONG_LINK

TEST_F(LiveriesScanTest, AStoppedScanStaysDue)
{
    writeFile(community() / "user-aitraffic-x" / "a" / "aircraft.cfg", cfg("A320", {{"S", "DLH"}}));
    g_stop.store(1);
    gf_scanLiveries();
    g_stop.store(0);
    EXPECT_TRUE(SCAN_LIVERIES.current.load());
    EXPECT_FALSE(fs::exists(g_liveriesScannedXmlPath));
    EXPECT_TRUE(comboLastEnabled());
}

TEST_F(LiveriesScanTest, StopBetweenFoldersWritesNothing)
{
    writeFile(folder() / "s" / "a" / "aircraft.cfg", cfg("A320", {{"S", "DLH"}}));
    std::vector<fs::path> folders{folder() / "s"};
    g_stop.store(1);
    EXPECT_TRUE(lf_scanLiveryFolders(folders));
    EXPECT_FALSE(fs::exists(g_liveriesScannedXmlPath));
    g_stop.store(0);
}

} // namespace
} // namespace ovr::test
