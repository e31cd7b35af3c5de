// The user's park-airport list and the choice of the park airport near the
// user: the file's syntax, its rewriting, the order by distance and when an
// airport counts as in sight.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../app/app_fixture.h"
#include "app/main_loop_detail.h"
#include "airports/airport_list.h"
#include "airports/apf_reader.h"
#include "airports/apf_updates.h"
#include "airports/parking_state.h"
#include "airports/stand_list.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/user_on_ground.h"
#include "core/window_requests.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/user_aircraft.h"
#include "traffic/park_airport_file.h"
#include "traffic/park_airports.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;

class ParkAirportsTest : public AppTest
{
  protected:
    void SetUp() override
    {
        AppTest::SetUp();
        fs::create_directories("airports");
        g_airports = {Airport{IcaoCode("EDDF"), IataCode("FRA"), 50.0333, 8.5706, 364.0f, 0},
                      Airport{IcaoCode("EDDK"), IataCode("CGN"), 50.8659, 7.1427, 302.0f, 0},
                      Airport{IcaoCode("EGLL"), IataCode("LHR"), 51.4700, -0.4543, 83.0f, 0}};
        std::ranges::sort(g_airports, {}, [](const Airport& a) { return a.icao.text(); });
        lf_clearParkState();
    }

    void TearDown() override
    {
        lf_clearParkState();
        g_airports.clear();
        AppTest::TearDown();
    }

    static void lf_clearParkState()
    {
        {
            const std::scoped_lock lock(g_parkAirportsMutex);
            g_parkAirports.clear();
            g_parkAirport = Airport{};
            g_reservedStand.clear();
        }
        g_recalcPending = 0;
        g_parkingBusy.store(0);
        g_apfUpdates = 0;
        DESTINATION.setValue("");
    }

    static void writeFile(const std::string& text)
    {
        std::ofstream(g_myParkAirportsTxtPath, std::ios::binary) << text;
    }

    static std::string fileText()
    {
        std::ifstream in(g_myParkAirportsTxtPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static std::vector<std::string> codes()
    {
        std::vector<std::string> out;
        for (const ParkAirportEntry& e : g_parkAirports)
        {
            out.push_back(e.reservedStand.empty() ? e.icao.text() : e.icao.text() + "," + e.reservedStand);
        }
        return out;
    }

    std::size_t logContaining(const std::string& text) const
    {
        const std::vector<std::string> lines = logLines();
        return static_cast<std::size_t>(std::ranges::count_if(
            lines, [&](const std::string& l) { return l.find(text) != std::string::npos; }));
    }
};

struct ReadCase
{
    const char* name;
    const char* text;
    bool result;
    std::vector<std::string> entries;
    const char* warning; // a log line part, or empty
};

TEST_F(ParkAirportsTest, ReadsTheFileLineByLine)
{
    const std::vector<ReadCase> cases{
        {"lower case folds", "eddf\n", true, {"EDDF"}, ""},
        {"reserved stand and crlf", "EDDF,V155\r\nEDDK\r\n", true, {"EDDF,V155", "EDDK"}, ""},
        {"byte-order mark", "\xEF\xBB\xBF" "EDDF\n", true, {"EDDF"}, ""},
        {"three fields", "EDDF,A1,x\nEDDK\n", false, {"EDDK"}, "my_park_airports.txt:EDDF,A1,x wrong syntax, skipped"},
        {"not a code", "ED!F\nEDDK\n", false, {"EDDK"}, "my_park_airports.txt:ED!F wrong syntax, skipped"},
        {"double", "EDDF,A1\nEDDF,B2\n", true, {"EDDF,A1"}, "my_park_airports.txt:EDDF double, skipped"},
        {"unknown airport", "ZZZZ\nEDDF\n", false, {"EDDF"}, "airport ZZZZ is unknown"},
        {"empty lines", "\n\nEDDF\n\n", true, {"EDDF"}, ""},
    };
    for (const ReadCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeFile(c.text);
        EXPECT_EQ(lf_readMyParkAirports(), c.result);
        EXPECT_EQ(codes(), c.entries);
        if (*c.warning != '\0')
        {
            EXPECT_GE(logContaining(c.warning), 1u);
        }
    }
}

TEST_F(ParkAirportsTest, AddsTheThirdpartyAirportsAndSkipsStrayFiles)
{
    writeFile("EDDK,B1\n");
    fs::create_directories(g_myThirdpartyPath);
    std::ofstream(g_myThirdpartyPath / "EDDF.txt") << "x";
    std::ofstream(g_myThirdpartyPath / "EDDK.txt") << "x";
    std::ofstream(g_myThirdpartyPath / "readme.txt") << "x";
    EXPECT_FALSE(lf_readMyParkAirports());
    EXPECT_EQ(codes(), (std::vector<std::string>{"EDDK,B1", "EDDF"}));
    EXPECT_EQ(logContaining("my_thirdparty:readme.txt wrong syntax, skipped"), 1u);
}

TEST_F(ParkAirportsTest, WarnsAboveThreeThousandAirports)
{
    for (const std::size_t count : {std::size_t{3000}, std::size_t{3001}})
    {
        SCOPED_TRACE(count);
        std::vector<Airport> many;
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
        {
            const std::string code = fmt::format("{}{:03}", static_cast<char>('A' + i / 1000), i % 1000);
            many.push_back(Airport{IcaoCode(code), IataCode("XXX"), 10.0, 10.0, 0.0f, 0});
            text += code + "\n";
        }
        std::ranges::sort(many, {}, [](const Airport& a) { return a.icao.text(); });
        g_airports = many;
        writeFile(text);
        const std::size_t before = logContaining("There are a lot of airports");
        EXPECT_TRUE(lf_readMyParkAirports());
        EXPECT_EQ(g_parkAirports.size(), count);
        EXPECT_EQ(logContaining("There are a lot of airports") - before, count > 3000 ? 1u : 0u);
    }
}

TEST_F(ParkAirportsTest, WritingReplacesTheLineOfTheCodeAndKeepsTheFileSorted)
{
    gf_setFirstParkAirport(IcaoCode("EDDK"), 50.8659, 7.1427);
    EXPECT_EQ(fileText(), "EDDK\n");
    EXPECT_EQ(logContaining("my_park_airports.txt created with EDDK"), 1u);

    writeFile("EGLL\nEDDF,A1\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    gf_setFirstParkAirport(IcaoCode("EDDF"), 0.0, 0.0);
    {
        const std::scoped_lock lock(g_parkAirportsMutex);
        g_parkAirports.front().reservedStand = "V155";
    }
    gf_addParkAirport();
    EXPECT_EQ(fileText(), "EDDF,V155\nEGLL\n");
    EXPECT_EQ(logContaining("my_park_airports.txt:EDDF,V155 updated stand"), 1u);

    gf_setFirstParkAirport(IcaoCode("EDDK"), 50.8659, 7.1427);
    EXPECT_EQ(fileText(), "EDDF,V155\nEDDK\nEGLL\n");
    EXPECT_EQ(codes().front(), "EDDK");
    // An entry already listed only moves to the front.
    gf_setFirstParkAirport(IcaoCode("EGLL"), 0.0, 0.0);
    EXPECT_EQ(codes().front(), "EGLL");
    EXPECT_EQ(fileText(), "EDDF,V155\nEDDK\nEGLL\n");
}

TEST_F(ParkAirportsTest, AFileThatCannotBeReadIsNotReplaced)
{
    fs::create_directories(g_myParkAirportsTxtPath / "inside");
    gf_setFirstParkAirport(IcaoCode("EDDK"), 50.8659, 7.1427);
    EXPECT_TRUE(fs::is_directory(g_myParkAirportsTxtPath / "inside"));
}

TEST_F(ParkAirportsTest, DistancesOrderTheListUnlessADestinationIsSet)
{
    writeFile("EGLL\nEDDF\nEDDK\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    lf_updateParkAirportDistances(50.9, 7.2); // near Cologne
    EXPECT_EQ(codes(), (std::vector<std::string>{"EDDK", "EDDF", "EGLL"}));
    EXPECT_LT(g_parkAirports.front().distance, 5.0);

    DESTINATION.setValue("EGLL");
    gf_setFirstParkAirport(IcaoCode("EGLL"), 0.0, 0.0);
    lf_updateParkAirportDistances(50.04, 8.57); // at Frankfurt
    EXPECT_EQ(codes().front(), "EGLL");
}

TEST_F(ParkAirportsTest, AnAirborneUserSeesTheFirstAirportOnlyWithinRangeAndHeight)
{
    writeFile("EDDF\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    const double range = AIRP_RANGE.current.load();
    const double height = AIRP_HEIGHT.current.load();
    // About range - 1 NM north of the airport.
    const double latitude = 50.0333 + (range - 1.0) / 60.0;
    lf_updateParkAirportDistances(latitude, 8.5706);

    lf_findParkAirport(latitude, 8.5706, height + 100.0, false, false);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_EQ(g_recalcPending, 0);

    lf_findParkAirport(latitude, 8.5706, height - 100.0, false, true);
    EXPECT_EQ(g_parkAirport.icao, IcaoCode("EDDF"));
    EXPECT_EQ(g_recalcPending, 1);
    EXPECT_EQ(g_parkingBusy.load(), 1);
    EXPECT_EQ(logContaining("EDDF in sight at"), 1u);
}

TEST_F(ParkAirportsTest, OnTheGroundTheParkAirportIsNotLeftByDistance)
{
    writeFile("EDDF\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    ASSERT_TRUE(lf_setParkAirport(IcaoCode("EDDF")));
    lf_checkParkAirportInSight(51.47, -0.45, 0.0, true);
    EXPECT_EQ(g_parkAirport.icao, IcaoCode("EDDF"));

    lf_checkParkAirportInSight(51.47, -0.45, 3000.0, false);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_EQ(logContaining("EDDF is out of sight"), 1u);
}

TEST_F(ParkAirportsTest, ANearerFirstParkAirportReplacesTheCurrentOne)
{
    g_airports.push_back(Airport{IcaoCode("EDFE"), IataCode("XXX"), 49.9608, 8.6436, 364.0f, 0});
    std::ranges::sort(g_airports, {}, [](const Airport& a) { return a.icao.text(); });
    writeFile("EDDF\nEDFE\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    ASSERT_TRUE(lf_setParkAirport(IcaoCode("EDDF")));
    // Both within AIRP_RANGE, EDFE nearer.
    const double latitude = 49.97;
    const double longitude = 8.64;
    lf_updateParkAirportDistances(latitude, longitude);
    ASSERT_EQ(codes().front(), "EDFE");
    lf_checkParkAirportInSight(latitude, longitude, AIRP_HEIGHT.current.load() + 100.0, false);
    EXPECT_TRUE(g_parkAirport.icao.empty()) << "too high: out of sight";
    ASSERT_TRUE(lf_setParkAirport(IcaoCode("EDDF")));
    lf_checkParkAirportInSight(latitude, longitude, 1000.0, false);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_EQ(logContaining("EDFE is in sight"), 1u);
    EXPECT_EQ(logContaining("parked aircraft at EDDF will be removed first"), 1u);
}

TEST_F(ParkAirportsTest, NoUserPositionDoesNothing)
{
    writeFile("EDDF\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    gf_handleParking(true);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_EQ(g_parkAirports.front().distance, 0.0);
}

TEST_F(ParkAirportsTest, AParkAirportWithoutFileIsResetWithTheReadersText)
{
    ASSERT_TRUE(lf_setParkAirport(IcaoCode("EGLL")));
    lf_beginParking(true);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_EQ(g_parkingBusy.load(), 0);
    EXPECT_EQ(logContaining("lf_readParkedFile EGLL not found"), 1u);
}

struct SaveCase
{
    const char* name;
    bool handmade;
    std::vector<std::string> written;
    std::vector<std::string> left;
    const char* logLine;
};

class LeaveSaveTest : public ParkAirportsTest, public ::testing::WithParamInterface<SaveCase>
{
};

// Leaving saves through the real saver. A learned file takes what was
// learned, options set aside by the static-parking search (id 0, their
// aircraft flying live) included, but not the airport file's options; a
// handmade file is the airport's whole file and keeps all of them.
TEST_P(LeaveSaveTest, LeavingWritesTheOptionsTheFileKeeps)
{
    const SaveCase& c = GetParam();
    ASSERT_TRUE(lf_setParkAirport(IcaoCode("EDDF")));
    const auto option = [](const char* callsign, std::uint32_t id, std::uint32_t fromFile)
    {
        StandOption o;
        o.callsign = callsign;
        o.registration = std::string("D-") + callsign;
        o.id = id;
        o.day = 1;
        o.hours = 3;
        o.fromFile = fromFile;
        return o;
    };
    Stand learned;
    learned.name = "A1";
    learned.numericId = 1;
    learned.latitude = 50.03;
    learned.longitude = 8.57;
    learned.radius = 20.0 * kNmPerMetre;
    learned.options = {option("FILE1", 1, 1), option("LEARN1", 2, 0), option("INUSE", 0, 0), option("INUSE2", 0, 1)};
    Stand plain;
    plain.name = "A2";
    plain.numericId = 2;
    plain.latitude = 50.031;
    plain.longitude = 8.57;
    plain.radius = 20.0 * kNmPerMetre;
    plain.options = {option("FILE2", 1, 1)};
    g_stands.push_back(learned);
    g_stands.push_back(plain);
    g_handmade = c.handmade;
    g_learnedApfPath = fs::path("airports") / "learned" / "stock" / "EDDF.xml";
    g_learnedOverride.store(1);

    gf_leaveParkAirport();

    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_TRUE(g_stands.empty());
    EXPECT_EQ(g_learnedOverride.load(), 0);
    std::ifstream in(g_learnedApfPath, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), {});
    for (const std::string& text : c.written)
        EXPECT_NE(xml.find(text), std::string::npos) << text;
    for (const std::string& text : c.left)
        EXPECT_EQ(xml.find(text), std::string::npos) << text;
    EXPECT_EQ(logContaining(c.logLine), 1u);
    g_learnedApfPath.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LeaveSaveTest,
    ::testing::Values(SaveCase{"learned",
                               false,
                               {"\"LEARN1\"", "\"INUSE\""},
                               {"FILE1", "INUSE2", "\"A2\""},
                               " 'airports/learned/stock/EDDF.xml' saved with 0 updates"},
                      SaveCase{"handmade",
                               true,
                               {"\"FILE1\"", "\"LEARN1\"", "\"INUSE\"", "\"INUSE2\"", "\"A2\"", "\"FILE2\""},
                               {},
                               " handmade 'airports/learned/stock/EDDF.xml' saved with 0 updates"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// A park airport of airports/my_thirdparty with stands A1 and A2, 200 m
// apart, near the listed EDDF; its publisher names its learned folder.
class VisitedParkAirport : public ParkAirportsTest
{
  protected:
    static constexpr double kA1Lat = 50.0333;
    static constexpr double kA1Lon = 8.5706;

    void SetUp() override
    {
        ParkAirportsTest::SetUp();
        // No parked traffic to wait for: the calculation follows the read.
        MAX_PARK_SEL.current.store(0);
        fs::create_directories(g_myThirdpartyPath);
        std::ofstream(g_myThirdpartyPath / "EDDF.xml", std::ios::binary)
            << R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta>
    <info name="author" value="Vora" />
    <info name="version" value="1.0.0" />
    <info name="copyright" value="Copyright (c) Voraflow. Data compiled for use with Vora only." />
    <info name="sim" value="1" />
  </meta>
  <parameters>
    <parameter name="icao" value="EDDF" />
    <parameter name="airport_name" value="Frankfurt/Main" />
    <parameter name="publisher" value="Test Pub" />
    <parameter name="altitude" value="364" />
  </parameters>
  <parkpositions>
    <parkpos id="A1" latitude="50.033300" longitude="8.570600" heading="90.0" radius="24.0" type="9" />
    <parkpos id="A2" latitude="50.035100" longitude="8.570600" heading="90.0" radius="24.0" type="9" />
  </parkpositions>
</root>
)";
    }

    void TearDown() override
    {
        g_userPos = UserAcState{};
        g_userOnGround.store(0);
        g_userOnGroundValid.store(0);
        gf_setUserStandText({});
        gf_clearStands();
        g_learnedApfPath.clear();
        g_learnedOverride.store(0);
        MAX_PARK_SEL.current.store(MAX_PARK_SEL.defaultValue);
        ParkAirportsTest::TearDown();
    }

    static void userAt(double latitude, double longitude, bool onGround, double aboveGroundFt = 0.0)
    {
        g_userPos.latitude = latitude;
        g_userPos.longitude = longitude;
        g_userPos.altitudeAboveGround = aboveGroundFt;
        g_userOnGround.store(onGround ? 1 : 0);
        g_userOnGroundValid.store(1);
    }

    static Stand* stand(std::string_view name)
    {
        for (Stand& s : g_stands)
        {
            if (s.name == name)
            {
                return &s;
            }
        }
        return nullptr;
    }
};

// What was learned at a park airport survives leaving it out of sight: the
// learned file is written where the next read of the airport's file looks,
// and that read merges the option and the changed cargo flag back.
TEST_F(VisitedParkAirport, OutOfSightTheLearnedFileIsWrittenAndTheNextVisitMergesIt)
{
    userAt(kA1Lat, kA1Lon, true);
    gf_handleParking(true);
    ASSERT_EQ(g_parkAirport.icao, IcaoCode("EDDF"));
    ASSERT_EQ(g_stands.size(), 2u);
    const fs::path learnedPath = g_learnedApfPath;
    EXPECT_EQ(learnedPath, g_learnedThirdpartyPath / "Test Pub" / "EDDF.xml");
    EXPECT_EQ(g_reservedStand, "A1");

    StandOption option;
    option.registration = "D-AIZB";
    option.callsign = "DLH4AB";
    option.day = 3;
    option.hours = HalfHourSet{1} << 20;
    option.id = static_cast<std::uint32_t>(stand("A2")->options.size() + 1);
    option.fromFile = 0;
    option.real = 1;
    stand("A2")->options.push_back(option);
    gf_countApfUpdate();
    stand("A2")->cargo = 1;
    stand("A2")->cargoChanged = 1;
    gf_countApfUpdate();

    // Airborne, far beyond AIRP_RANGE.
    userAt(51.0, 8.57, false, 3000.0);
    gf_handleParking(false);
    EXPECT_TRUE(g_parkAirport.icao.empty());
    EXPECT_TRUE(g_stands.empty());
    EXPECT_EQ(logContaining("EDDF is out of sight"), 1u);
    ASSERT_TRUE(fs::exists(learnedPath));
    EXPECT_EQ(logContaining("Test Pub/EDDF.xml' saved with 2 updates"), 1u);

    userAt(kA1Lat, kA1Lon, true);
    gf_handleParking(true);
    ASSERT_EQ(g_parkAirport.icao, IcaoCode("EDDF"));
    EXPECT_EQ(g_learnedApfPath, learnedPath);
    const Stand* a2 = stand("A2");
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(a2->cargo, 1);
    EXPECT_EQ(a2->cargoChanged, 1);
    const auto merged = std::ranges::find(a2->options, std::string("D-AIZB"), &StandOption::registration);
    ASSERT_NE(merged, a2->options.end());
    EXPECT_EQ(merged->fromFile, 0);
    EXPECT_EQ(merged->day, 3u);
    EXPECT_EQ(merged->hours, HalfHourSet{1} << 20);
    EXPECT_EQ(merged->callsign, "DLH4AB");
}

// The user's current stand is the one the window shows: standing on a stand,
// the reservation is kept; off any stand, a re-read moves it to the file's.
TEST_F(VisitedParkAirport, ARereadMovesTheReservedStandOnlyWhileTheUserShowsNoStand)
{
    userAt(kA1Lat, kA1Lon, true);
    gf_handleParking(true);
    ASSERT_EQ(g_reservedStand, "A1");
    writeFile("EDDF,A2\n");

    gf_setUserStandText("A1");
    std::string message;
    EXPECT_TRUE(gf_recheckParkAirports(true, message));
    EXPECT_EQ(message, "park airports and stands are okay");
    EXPECT_EQ(g_reservedStand, "A1");

    // Still at A1 by position, but the window shows no stand.
    gf_setUserStandText({});
    EXPECT_TRUE(gf_recheckParkAirports(true, message));
    EXPECT_EQ(message, "reserved stand changed from 'A1' to 'A2'");
    EXPECT_EQ(g_reservedStand, "A2");
    EXPECT_EQ(stand("A1")->reserved, 0);
    EXPECT_EQ(stand("A2")->reserved, 1);
}

// "Re-read" (the request the 5-second job runs) takes a reserved stand
// changed in the file over while the user stands on no stand.
TEST_F(VisitedParkAirport, TheRereadCommandTakesAChangedReservedStandOver)
{
    userAt(kA1Lat, kA1Lon, true);
    gf_handleParking(true);
    ASSERT_EQ(g_reservedStand, "A1");
    ASSERT_EQ(g_parkingBusy.load(), 0);
    writeFile("EDDF,A2\n");
    gf_setUserStandText({});

    g_rereadRequested.store(1);
    lf_every5Seconds();

    EXPECT_EQ(g_rereadRequested.load(), 0);
    EXPECT_EQ(g_reservedStand, "A2");
    EXPECT_EQ(stand("A1")->reserved, 0);
    EXPECT_EQ(stand("A2")->reserved, 1);
    EXPECT_GE(logContaining("reserved stand changed from 'A1' to 'A2'"), 1u);
}

} // namespace
} // namespace ovr::test
