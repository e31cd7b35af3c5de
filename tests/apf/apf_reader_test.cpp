// Reading the park airport's file: stands, options, the file's figures, the
// defaults of an airport without learned file, and the failures the caller
// shows.
#include "apf_test_support.h"

#include <cmath>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/apf_reader.h"
#include "airports/closest_stand_at_destination.h"
#include "airports/max_fit.h"
#include "airports/airport_settings.h"
#include "airports/park_airport_panel.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "core/user_error.h"
#include "liveries/model_database.h"
#include "traffic/park_airports.h"

namespace ovr::test
{
namespace
{

class ReadApf : public ApfTest
{
  protected:
    // Writes the local file and reads it.
    std::string read(std::string_view parameters, std::string_view parkpositions)
    {
        writeFile(kLocalFile, apfText(parameters, parkpositions));
        return gf_readApf(kLocalName, header, coverage, g_stands);
    }

    ApfHeader header;
    CoveragePair coverage;
};

struct StandCase
{
    std::string name;
    std::string attributes;
    std::uint16_t type;
    bool cargo;
    bool ramp;
    bool heli;
    double radiusNm;
    double heading;
};

class StandAttributes : public ReadApf, public ::testing::WithParamInterface<StandCase>
{
};

TEST_P(StandAttributes, AsStored)
{
    const StandCase& c = GetParam();
    ASSERT_EQ(read(kHead, R"(<parkpos id="1" latitude="50.0" longitude="8.0" )" + c.attributes + "/>"), "");
    ASSERT_EQ(g_stands.size(), 1u);
    const Stand& stand = g_stands[0];
    EXPECT_EQ(stand.type, c.type);
    EXPECT_EQ(stand.cargo, c.cargo ? 1 : 0);
    EXPECT_EQ(stand.ramp, c.ramp ? 1 : 0);
    EXPECT_EQ(stand.heli, c.heli ? 1 : 0);
    EXPECT_NEAR(stand.radius, c.radiusNm, 1e-12);
    EXPECT_NEAR(stand.heading, c.heading, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandAttributes,
    ::testing::Values(StandCase{"Type6IsCargoWhateverTheAttributeSays",
                                R"(type="6" cargo="false" ramp="true" radius="18.52")", 6, true, false, false,
                                0.01, 0.0},
                      StandCase{"Type3IsARamp", R"(type="3" cargo="true" radius="18.52")", 3, false, true, false,
                                0.01, 0.0},
                      StandCase{"Type0LeavesItToTheAttributes", R"(type="0" cargo="true" ramp="yes" radius="18.52")",
                                0, true, true, false, 0.01, 0.0},
                      StandCase{"NoTypeNoFlags", R"(radius="18.52")", 0, false, false, false, 0.01, 0.0},
                      StandCase{"RadiusInMetres", R"(radius="18.52")", 0, false, false, false, 0.01, 0.0},
                      StandCase{"HeadingInDegrees", R"(heading="90.0" radius="18.52")", 0, false, false, false,
                                0.01, 1.5707963267948966},
                      StandCase{"Helipad", R"(heli="true" type="0" radius="18.52")", 0, false, false, true, 0.01,
                                0.0}),
    caseName);

TEST_F(ReadApf, OptionsAsStored)
{
    g_dbase = {{"PH-BFA", dbaseKey("KLM", "B744")}};
    const std::string options =
        R"(<opt reg="D-AIBC" airl="DLH" type="A320" day="1" hh="3:5" cs="DLH12:DLH12X"/>)"
        R"(<opt reg="PHBFA" airl="DLH" type="A320" day="7" hh="7" cs="KLM1" soft="true" cpl="true"/>)"
        R"(<opt reg="NOHH" day="2" hh=""/>)"
        R"(<opt reg="NODAY" day="8" hh="1"/>)"
        R"(<opt reg="BADHH" day="2" hh="9:3"/>)"
        R"(<opt reg="N1" day="3" hh="1,4"/>)";
    ASSERT_EQ(read(kHead, parkposAt("A1", 0, 0, 20, "", options)), "");

    const std::vector<StandOption>& got = g_stands[0].options;
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].registration, "D-AIBC");
    EXPECT_EQ(got[0].callsign, "DLH12");
    EXPECT_EQ(got[0].callsign2, "DLH12X");
    EXPECT_EQ(got[0].hours, gf_slotRange(3, 5));
    EXPECT_EQ(g_airlineCodes.text(got[0].key.airline), "DLH");
    EXPECT_EQ(g_modelCodes.text(got[0].key.model), "A320");
    EXPECT_EQ(got[0].key.mark, 0);
    EXPECT_EQ((std::tuple{got[0].id, got[0].day, got[0].fromFile, got[0].real, got[0].cpl}),
              (std::tuple{1u, 1u, 1u, 1u, std::uint8_t{0}}));

    // The database knows the registration under another spelling: its key
    // wins over what the file says.
    EXPECT_EQ(got[1].key, dbaseKey("KLM", "B744"));
    EXPECT_EQ(got[1].callsign, "KLM1");
    EXPECT_EQ(got[1].callsign2, "");
    EXPECT_EQ((std::tuple{got[1].id, got[1].day, got[1].real, got[1].cpl}),
              (std::tuple{2u, 7u, 0u, std::uint8_t{1}}));

    EXPECT_EQ(got[2].registration, "N1");
    EXPECT_EQ(got[2].hours, gf_slotBit(1) | gf_slotBit(4));
    EXPECT_EQ(got[2].id, 3u);
}

TEST_F(ReadApf, StandsAreNumberedInFileOrderAndLinkedByTheirReach)
{
    // 100 m apart: 40 + 75 m reach across 1.1 x 100 m, 40 + 60 m do not.
    ASSERT_EQ(read(kHead, parkposAt("A", 0, 0, 40) + parkposAt("B", 100, 0, 75) + parkposAt("C", 0, 100, 60)),
              "");
    ASSERT_EQ(g_stands.size(), 3u);
    EXPECT_EQ((std::vector{g_stands[0].numericId, g_stands[1].numericId, g_stands[2].numericId}),
              (std::vector{1, 2, 3}));
    EXPECT_EQ(g_stands[0].adjacent, std::vector<std::int32_t>{2});
    EXPECT_EQ(g_stands[1].adjacent, std::vector<std::int32_t>{1});
    EXPECT_TRUE(g_stands[2].adjacent.empty());
}

// A stand with a radius or position that is not usable is dropped with one
// warning naming it; the others are read and linked as usual.
TEST_F(ReadApf, StandsWithoutAUsableRadiusOrPositionAreDropped)
{
    const std::string bad =
        R"(<parkpos id="Neg" latitude="50.0" longitude="8.0" radius="-100"/>)"
        R"(<parkpos id="NaN" latitude="50.0" longitude="8.0" radius="nan"/>)"
        R"(<parkpos id="Inf" latitude="50.0" longitude="8.0" radius="inf"/>)"
        R"(<parkpos id="North" latitude="95.0" longitude="8.0" radius="20"/>)"
        R"(<parkpos id="East" latitude="50.0" longitude="200.0" radius="20"/>)";
    ASSERT_EQ(read(kHead, parkposAt("A", 0, 0, 40) + bad + parkposAt("B", 100, 0, 75)), "");
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_EQ(g_stands[0].name, "A");
    EXPECT_EQ(g_stands[1].name, "B");
    EXPECT_EQ(g_stands[0].adjacent, std::vector<std::int32_t>{2});
    for (const char* name : {"Neg", "NaN", "Inf", "North", "East"})
        EXPECT_TRUE(logHas(fmt::format("==> stand {} has an invalid position or radius, dropped", name)))
            << name;
}

struct FailureCase
{
    std::string name;
    std::string parameters;
    std::string parkpositions;
    std::string message;
    std::size_t standsKept;
};

class ReadFailure : public ReadApf, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ReadFailure, IsTheUsersToMend)
{
    const FailureCase& c = GetParam();
    try
    {
        read(c.parameters, c.parkpositions);
        FAIL() << "no exception";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_STREQ(e.what(), c.message.c_str());
    }
    EXPECT_EQ(g_stands.size(), c.standsKept);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadFailure,
                         ::testing::Values(FailureCase{"NoAltitude", param("airport_name", "X"),
                                                       parkposAt("1", 0, 0, 20),
                                                       "65: Parameter altitude not found", 0},
                                           FailureCase{"SameIdWithBlanksAround", kHead,
                                                       parkposAt("A", 0, 0, 20) + parkposAt(" 12", 0, 0, 20) +
                                                           parkposAt("12 ", 0, 0, 20),
                                                       "94: Stand '12' appears more than once.", 2},
                                           FailureCase{"NoIdOnTheThird", kHead,
                                                       parkposAt("A", 0, 0, 20) + parkposAt("B", 0, 0, 20) +
                                                           R"(<parkpos latitude="50" longitude="8"/>)",
                                                       "93: Parking position #3 has no 'id' attribute.", 2},
                                           FailureCase{"BlankId", kHead, parkposAt(" \t\r\n", 0, 0, 20),
                                                       "93: Stand #1 has empty 'id' attribute.", 0}),
                         caseName);

struct MessageCase
{
    std::string name;
    std::string fileName;
    std::string content; // written to kLocalFile when not empty
    bool parkAirport;
    std::string message;
};

class ReadMessage : public ReadApf, public ::testing::WithParamInterface<MessageCase>
{
};

TEST_P(ReadMessage, ForTheCallerToShow)
{
    const MessageCase& c = GetParam();
    if (!c.content.empty())
        writeFile(kLocalFile, c.content);
    if (!c.parkAirport)
        g_parkAirport = Airport{};
    EXPECT_EQ(gf_readApf(c.fileName, header, coverage, g_stands), c.message);
    EXPECT_EQ(g_learnedOverride.load(), 0);
    // Only a read that went through gives its caller the elevation for the
    // Traffic Reader, also when it found no stands.
    EXPECT_EQ(header.parkElevation.has_value(), c.message == "no stands found");
}

const std::string kNoCopyright = R"(<root><meta><info name="sim" value="1"/></meta>)"
                                 R"(<parameters><parameter name="altitude" value="1"/></parameters></root>)";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadMessage,
    ::testing::Values(
        MessageCase{"EmptyName", "", "", true, "gf_readApf: xml is empty"},
        MessageCase{"NoParkAirport", std::string(kLocalName), "", false, "gf_readApf: no park airport set"},
        MessageCase{"MissingFile", std::string(kLocalName), "", true,
                    std::string(kLocalName) + ": could not load file: airports/my_simaddon/EDDF.xml"},
        MessageCase{"NoCopyright", std::string(kLocalName), kNoCopyright, true,
                    std::string(kLocalName) + ": refused to load"},
        MessageCase{"NoPositions", std::string(kLocalName),
                    apfText(kHead, R"(<parkpos id="1"/><parkpos id="2" latitude="0" longitude="0"/>)"), true,
                    "no stands found"}),
    caseName);

TEST_F(ReadApf, AFileRead)
{
    const std::string parameters = kHead + param("version", "1.2") + param("Facilities", "true") +
                                   param("RT_traffic_week", "33") + param("Qf_real", "63") +
                                   param("Qf_soft", "0");
    ASSERT_EQ(read(parameters, parkposAt("A", 0, 0, 20) + parkposAt("B", 0, 60, 20)), "");

    EXPECT_EQ(header.airportName, "Frankfurt");
    EXPECT_EQ(header.publisher, "");
    EXPECT_EQ(header.altitude, 364);
    EXPECT_EQ(g_parkAirport.elevation, 364.0f);
    EXPECT_EQ(g_apfWeek, 33);
    EXPECT_EQ((std::pair{coverage.real, coverage.soft}), (std::pair{63, 0}));
    EXPECT_EQ(g_learnedOverride.load(), 1);
    EXPECT_EQ(header.parkElevation, std::optional<double>(364.0));
    EXPECT_EQ(g_learnedApfPath, fs::path("airports/learned/simaddon/EDDF.xml"));

    const ParkAirportPanel panel = gf_parkAirportPanel();
    EXPECT_EQ(panel.fileText, " (1.2)");
    EXPECT_FALSE(panel.handmade);
    EXPECT_EQ(panel.qualityText, "63");
    EXPECT_EQ(panel.standCount, 2);
    EXPECT_EQ(panel.trafficWeek, 33);
    EXPECT_TRUE(panel.controlEnabled);

    EXPECT_TRUE(logHas("learned 'airports/learned/simaddon/EDDF.xml' does not exist"));
    EXPECT_TRUE(logHas("Airport file read from 'airports\\my_simaddon\\EDDF.xml' for Frankfurt"));
    EXPECT_TRUE(logMentions("num_parkpos             : 2"));
    EXPECT_TRUE(logMentions("altitude                : 364 ft"));
    EXPECT_TRUE(logMentions("Facilities              : true"));
    EXPECT_TRUE(logMentions("quality factor          : 63"));
    EXPECT_TRUE(logMentions("RT traffic week         : 33"));
}

TEST_F(ReadApf, NoFiguresInTheFileLeaveNoneOfTheAirportReadBefore)
{
    ASSERT_EQ(read(kHead + param("Qf_real", "63") + param("Qf_soft", "5"), parkposAt("A", 0, 0, 20)), "");
    gf_clearStands();
    ASSERT_EQ(read(kHead + param("Qf_real", "70"), parkposAt("A", 0, 0, 20)), "");
    EXPECT_EQ((std::pair{coverage.real, coverage.soft}), (std::pair{-1, -1}));
}

TEST_F(ReadApf, WithoutStandsTheSettingsGoBackAndNothingIsToBeLearned)
{
    writeFile("airports/learned/simaddon/EDDF.xml",
              apfText(param("RANGE", "10") + param("WEEK", "true"), parkposAt("A", 0, 0, 20)));
    EXPECT_EQ(read(kHead, R"(<parkpos id="A"/>)"), "no stands found");
    EXPECT_EQ(RANGE.current.load(), RANGE.defaultValue);
    EXPECT_EQ(WEEK.current.load(), WEEK.defaultValue);
    EXPECT_EQ(g_learnedOverride.load(), 0);
}

TEST_F(ReadApf, ADocumentWithoutRootStillHasStands)
{
    writeFile(kLocalFile, R"(<meta><info name="copyright" value="c"/><info name="MSFS" value=""/></meta>)"
                          R"(<parameters><parameter name="altitude" value="3"/></parameters>)"
                          R"(<parkpositions><parkpos id="1" latitude="50" longitude="8" radius="20"/></parkpositions>)");
    EXPECT_EQ(gf_readApf(kLocalName, header, coverage, g_stands), "");
    EXPECT_EQ(g_stands.size(), 1u);
}

TEST_F(ReadApf, AnArchiveFileIsDownloadedFirst)
{
    DownloadServer server;
    server.put("/downloads/MSFS/archive/stock/EDDF.xml",
               apfText(kHead + param("publisher", "stock"), parkposAt("A", 0, 0, 20)));
    EXPECT_EQ(gf_readApf("archive/stock/EDDF.xml", header, coverage, g_stands), "");
    EXPECT_EQ(g_stands.size(), 1u);
    EXPECT_TRUE(fs::exists("airports/park_airport.xml"));
    EXPECT_EQ(g_learnedApfPath, fs::path("airports/learned/stock/EDDF.xml"));

    gf_clearStands();
    EXPECT_EQ(gf_readApf("archive/stock/EDDX.xml", header, coverage, g_stands),
              "failed to download: '" + server.base() + "MSFS/archive/stock/EDDX.xml'");
    EXPECT_FALSE(fs::exists("airports/park_airport.xml"));
}

struct DefaultsCase
{
    std::string name;
    std::string figures;
    std::int32_t listedStands; // -1: not listed
    bool parkSoft;
    bool week;
    float fitHours;
    std::int32_t percentage;
};

class AirportDefaults : public ReadApf, public ::testing::WithParamInterface<DefaultsCase>
{
};

TEST_P(AirportDefaults, WithoutLearnedFile)
{
    const DefaultsCase& c = GetParam();
    if (c.listedStands >= 0)
        g_airports.push_back(Airport{IcaoCode("EDDF"), IataCode("FRA"), 50.0, 8.0, 364.0f, c.listedStands});
    PARK_SOFT.current = true;
    WEEK.current = true;
    MAX_FIT_FL.current = 2.0f;
    ASSERT_EQ(read(kHead + c.figures, parkposAt("A", 0, 0, 20)), "");
    EXPECT_EQ(PARK_SOFT.current.load(), c.parkSoft);
    EXPECT_EQ(WEEK.current.load(), c.week);
    EXPECT_EQ(MAX_FIT_FL.current.load(), c.fitHours);
    EXPECT_EQ(parking_percentage.current.load(), c.percentage);
    EXPECT_TRUE(logMentions(fmt::format("parking_percentage      : {}%", c.percentage)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AirportDefaults,
    ::testing::Values(DefaultsCase{"OneListedStand", "", 1, true, true, 2.0f, 100},
                      DefaultsCase{"TwoListedStands", "", 2, true, true, 2.0f, 50},
                      DefaultsCase{"NoListedStands", "", 0, true, true, 2.0f, 30},
                      DefaultsCase{"FiveListedStands", "", 5, true, true, 2.0f, 30},
                      DefaultsCase{"NotListed", "", -1, true, true, 2.0f, 30},
                      DefaultsCase{"LittleRealNoSoft", param("Qf_real", "2") + param("Qf_soft", "0"), 2, true,
                                   true, 2.0f, 50},
                      DefaultsCase{"OnlySoft", param("Qf_real", "2") + param("Qf_soft", "1"), 2, true, true,
                                   24.0f, 50},
                      DefaultsCase{"WellCovered", param("Qf_real", "46") + param("Qf_soft", "0"), 2, false,
                                   false, 2.0f, 50}),
    caseName);

TEST_F(ApfTest, OnlySoftCoverageSwitchesSoftAndWeekOn)
{
    writeFile(kLocalFile,
              apfText(kHead + param("Qf_real", "0") + param("Qf_soft", "3"), parkposAt("A", 0, 0, 20)));
    ApfHeader header;
    CoveragePair coverage;
    ASSERT_EQ(gf_readApf(kLocalName, header, coverage, g_stands), "");
    EXPECT_TRUE(PARK_SOFT.current.load());
    EXPECT_TRUE(WEEK.current.load());
    const std::vector<std::string> keys = shown();
    EXPECT_NE(std::find(keys.begin(), keys.end(), "PARK_SOFT"), keys.end());
    EXPECT_NE(std::find(keys.begin(), keys.end(), "parking_percentage"), keys.end());
}

// Leaving a soft-only airport puts the fit window back in both units; after
// that, and after a read that failed, nothing of an earlier airport is put
// back.
TEST_F(ApfTest, TheFitWindowGoesBackAndAFailedReadRestoresNothing)
{
    MAX_FIT.current = 5;
    gf_setMaxFit();
    ASSERT_EQ(MAX_FIT_FL.current.load(), 3.0f);
    writeFile(kLocalFile,
              apfText(kHead + param("Qf_real", "0") + param("Qf_soft", "3"), parkposAt("A", 0, 0, 20)));
    ApfHeader header;
    CoveragePair coverage;
    ASSERT_EQ(gf_readApf(kLocalName, header, coverage, g_stands), "");
    EXPECT_EQ(MAX_FIT_FL.current.load(), 24.0f);
    gf_restoreAirportSettings();
    EXPECT_EQ(MAX_FIT.current.load(), 5);
    EXPECT_EQ(MAX_FIT_FL.current.load(), 3.0f);

    // The next airport's read fails before it keeps anything: the values of
    // the first airport's read are not put back over the user's.
    WEEK.current = true;
    ASSERT_EQ(gf_readApf(kLocalName, header, coverage, g_stands), "");
    WEEK.current = false;
    EXPECT_NE(gf_readApf("airports\\my_simaddon\\NONE.xml", header, coverage, g_stands), "");
    gf_restoreAirportSettings();
    EXPECT_FALSE(WEEK.current.load());
    gf_restoreAirportSettings();
    EXPECT_FALSE(WEEK.current.load());
}

// Coverage figures are percentages whatever a file says.
TEST_F(ApfTest, CoverageFiguresAreHeldToPercentages)
{
    writeFile(kLocalFile,
              apfText(kHead + param("Qf_real", "250") + param("Qf_soft", "-7"), parkposAt("A", 0, 0, 20)));
    ApfHeader header;
    CoveragePair coverage;
    ASSERT_EQ(gf_readApf(kLocalName, header, coverage, g_stands), "");
    EXPECT_EQ(coverage.real, 100);
    EXPECT_EQ(coverage.soft, 0);
}

// One file cannot fill the code pools for every later reader.
TEST_F(ApfTest, OneFileAddsABoundedNumberOfNewCodes)
{
    std::string options;
    for (int i = 0; i < 2300; ++i)
    {
        const std::string airline{static_cast<char>('A' + i / 676 % 26), static_cast<char>('A' + i / 26 % 26),
                                  static_cast<char>('A' + i % 26)};
        options += fmt::format(R"(<opt reg="D-A{}" airl="{}" day="1" hh="1"/>)", i, airline);
    }
    writeFile(kLocalFile, apfText(kHead, parkposAt("A", 0, 0, 20, "", options)));
    const std::size_t before = g_airlineCodes.size();
    ApfHeader header;
    CoveragePair coverage;
    ASSERT_EQ(gf_readApf(kLocalName, header, coverage, g_stands), "");
    EXPECT_LE(g_airlineCodes.size() - before, CodeBudget::kCodesPerFile);
    EXPECT_TRUE(logMentions("holds more new codes than any real file"));
}

TEST_F(ApfTest, ClosestStandAtADestination)
{
    std::string stand = "left over";
    EXPECT_EQ(gf_readDestApfForClosestStand(IcaoCode("EDDF"), 50.0, 8.0, stand), 100.0);
    EXPECT_EQ(stand, "");

    writeFile(kLocalFile, apfText(kHead, parkposAt("A", 300, 0, 20) + parkposAt("B", 100, 0, 20)));
    EXPECT_NEAR(gf_readDestApfForClosestStand(IcaoCode("EDDF"), 50.0, 8.0, stand) * 1852.0, 100.0, 0.01);
    EXPECT_EQ(stand, "B");

    // A stand 200 NM away is no stand.
    writeFile(kLocalFile, apfText(kHead, R"(<parkpos id="Far" latitude="53.4" longitude="8.0"/>)"));
    EXPECT_EQ(gf_readDestApfForClosestStand(IcaoCode("EDDF"), 50.0, 8.0, stand), 100.0);
    EXPECT_EQ(stand, "");
}

TEST_F(ApfTest, ClosestStandOfAnArchiveFileLeavesNoCopy)
{
    DownloadServer server;
    g_airports.push_back(Airport{IcaoCode("EDDL"), IataCode("DUS"), 51.0, 7.0, 100.0f, 10});
    server.put("/downloads/MSFS/archive/stock/EDDL.xml", apfText(kHead, parkposAt("A", 0, 0, 20)));
    std::string stand;
    EXPECT_LT(gf_readDestApfForClosestStand(IcaoCode("EDDL"), 50.0, 8.0, stand), 0.001);
    EXPECT_EQ(stand, "A");
    EXPECT_FALSE(fs::exists("airport.xml"));
}

} // namespace
} // namespace ovr::test
