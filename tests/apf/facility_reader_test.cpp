// Stands from the stand-in simulator's facility data, over the second
// client.
#include "apf_test_support.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "airports/apf_writer.h"
#include "airports/facility_reader.h"
#include "airports/facility_reader_detail.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/user_error.h"
#include "platform/simconnect/world.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

constexpr double kRefLat = 50.033333;
constexpr double kRefLon = 8.570556;

sim::AirportFacility frankfurt()
{
    sim::AirportFacility eddf;
    eddf.icao = "EDDF";
    eddf.name = "Frankfurt/Main International Airport"; // longer than its 32-byte field
    eddf.latDeg = kRefLat;
    eddf.lonDeg = kRefLon;
    eddf.altM = 111.9;
    // type, taxi point type, name, suffix, number, orientation, heading, radius, bias x, bias z
    eddf.parkings = {sim::TaxiParking{8, 0, 12, 0, 12, 0, 90.0F, 24.0F, 10.0F, -20.0F},
                     sim::TaxiParking{13, 0, 1, 0, 7, 0, 0.0F, 5.0F, 0.0F, 0.0F},
                     sim::TaxiParking{9, 0, 12, 0, 12, 0, 180.0F, 30.0F, -100.0F, 50.0F},
                     sim::TaxiParking{0, 0, 1, 0, 8, 0, 0.0F, 5.0F, 0.0F, 0.0F},
                     sim::TaxiParking{0x10000 | 12, 0, 12, 0, 12, 0, 0.0F, 10.0F, 0.0F, 0.0F},
                     sim::TaxiParking{5, 0, 12, 0, 3, 0, 0.0F, 40.0F, 200.0F, 0.0F}};
    eddf.helipads = {sim::Helipad{50.04, 8.58, 111.0, 45.0F, 20.0F, 20.0F, 1, 2},
                     sim::Helipad{50.05, 8.59, 111.0, 0.0F, 20.0F, 20.0F, 1, 3}};
    return eddf;
}

sim::Scenario scenario()
{
    sim::Scenario s;
    s.airports = {frankfurt()};
    sim::AirportFacility other;
    other.icao = "EDDL";
    other.name = "Duesseldorf";
    other.latDeg = 51.28;
    other.lonDeg = 6.76;
    other.parkings = {sim::TaxiParking{8, 0, 12, 0, 1, 0, 0.0F, 20.0F, 0.0F, 0.0F}};
    s.airports.push_back(other);
    return s;
}

sim::WorldOptions realTime()
{
    sim::WorldOptions options;
    options.realTime = true;
    return options;
}

class FacilityReader : public ApfTest
{
  protected:
    void TearDown() override
    {
        detail::setFacilityWait(30s);
        ApfTest::TearDown();
    }

    AirportStands record;
    std::uint32_t helipads = 99;
};

TEST_F(FacilityReader, TheAirportsStandsNamedAndPlaced)
{
    sim::World world(scenario(), realTime());
    ASSERT_TRUE(gf_readFacility("eddf", record, helipads));

    EXPECT_EQ(record.icao, IcaoCode("EDDF"));
    EXPECT_EQ(record.sourceKind, 1);
    EXPECT_EQ(record.name, "Frankfurt/Main International Ai");
    EXPECT_EQ(record.elevation, 367) << "111.9 m is 367.13 ft";
    EXPECT_EQ(helipads, 2u);

    std::vector<std::string> names;
    for (const Stand& stand : record.stands)
        names.push_back(stand.name);
    EXPECT_EQ(names, (std::vector<std::string>{"12", "12a", "12b", "3", "helipad1", "helipad2"}));

    const Stand& biased = record.stands[0];
    const LatLon ref{kRefLat, kRefLon};
    const LatLon east{kRefLat, biased.longitude};
    EXPECT_NEAR(gf_distanceNm(ref, east) * 1852.0, 10.0, 0.1);
    EXPECT_GT(biased.longitude, kRefLon);
    EXPECT_NEAR(gf_distanceNm(east, {biased.latitude, biased.longitude}) * 1852.0, 20.0, 0.1);
    EXPECT_LT(biased.latitude, kRefLat);
    EXPECT_EQ((std::tuple{biased.numericId, biased.type, biased.cargo, biased.heli}),
              (std::tuple{12, std::uint16_t{8}, std::uint8_t{0}, std::uint8_t{0}}));
    EXPECT_NEAR(biased.heading, kPi / 2.0, 1e-6);
    EXPECT_NEAR(biased.radius * 1852.0, 24.0, 1e-6);

    EXPECT_EQ(record.stands[2].type, 12) << "the type's low 16 bits";
    const Stand& square = record.stands[4];
    EXPECT_EQ((std::tuple{square.heli, square.numericId, square.type}),
              (std::tuple{std::uint8_t{1}, 0, std::uint16_t{0}}));
    EXPECT_NEAR(square.radius * 1852.0, 14.0, 1e-6);
    EXPECT_NEAR(record.stands[5].radius * 1852.0, 10.0, 1e-6);
    EXPECT_DOUBLE_EQ(square.latitude, 50.04);
}

TEST_F(FacilityReader, TheRecordIsSavedAsAThirdpartyAirportFile)
{
    sim::World world(scenario(), realTime());
    ASSERT_TRUE(gf_readFacility("EDDF", record, helipads));
    record.publisher = "Some Pub";
    const fs::path file = fs::path("airports/my_thirdparty") / "EDDF.xml";
    ASSERT_TRUE(gf_writeAirportFile(record, file, kApfFullMode, false, 1));
    expectGolden(file, "facility_EDDF.xml");
}

TEST_F(FacilityReader, RepeatsOfANumberAreLettered)
{
    const std::vector<std::pair<std::uint32_t, std::string>> cases = {{1, "a"},   {2, "b"},    {26, "z"},
                                                                      {27, "aa"}, {28, "ab"},  {52, "az"},
                                                                      {53, "ba"}, {702, "zz"}, {703, "aaa"}};
    for (const auto& [n, suffix] : cases)
        EXPECT_EQ(detail::repeatSuffix(n), suffix) << n;
}

TEST_F(FacilityReader, AnAirportWithoutStands)
{
    sim::Scenario s;
    sim::AirportFacility empty;
    empty.icao = "EDXX";
    empty.name = "Nothing";
    s.airports = {empty};
    sim::World world(s, realTime());
    ASSERT_TRUE(gf_readFacility("EDXX", record, helipads));
    EXPECT_TRUE(record.stands.empty());
    EXPECT_EQ(helipads, 0u);
    EXPECT_TRUE(logHas("Fac: EDXX has no stands"));
}

TEST_F(FacilityReader, AnAnswerThatNeverComesEndsAfterTheWait)
{
    sim::World world(scenario()); // a manual clock nobody advances: no answer
    detail::setFacilityWait(200ms);
    EXPECT_FALSE(gf_readFacility("EDDF", record, helipads));
    EXPECT_TRUE(logHas("==> Fac: no answer for EDDF within 200 ms"));
    EXPECT_TRUE(record.stands.empty());
}

TEST_F(FacilityReader, ALateAnswerIsNotTakenForTheNextAirport)
{
    sim::World world(scenario());
    detail::setFacilityWait(100ms);
    ASSERT_FALSE(gf_readFacility("EDDF", record, helipads));
    world.advance(100); // Frankfurt's answer is queued now

    std::atomic<bool> running{true};
    std::thread clock(
        [&]
        {
            while (running)
            {
                world.advance(10);
                std::this_thread::sleep_for(2ms);
            }
        });
    detail::setFacilityWait(30s);
    const bool read = gf_readFacility("EDDL", record, helipads);
    running = false;
    clock.join();

    ASSERT_TRUE(read);
    EXPECT_EQ(record.name, "Duesseldorf");
    ASSERT_EQ(record.stands.size(), 1u);
    EXPECT_EQ(record.stands[0].name, "1");
}

TEST_F(FacilityReader, AStopEndsTheWait)
{
    sim::World world(scenario());
    g_stop = 1;
    EXPECT_FALSE(gf_readFacility("EDDF", record, helipads));
}

struct FailedCallCase
{
    std::string name;
    std::string call;
};

class FailedCall : public FacilityReader, public ::testing::WithParamInterface<FailedCallCase>
{
};

TEST_P(FailedCall, EndsTheReadAndTheNextReadOpensAgain)
{
    sim::World world(scenario(), realTime());
    world.failNextCalls(GetParam().call, 1);
    EXPECT_FALSE(gf_readFacility("EDDF", record, helipads));
    EXPECT_TRUE(logHas(fmt::format("==> {} (PARKING_DATA_RDR) FAILED hr=0x80004005", GetParam().call)));
    EXPECT_FALSE(g_parkingDataRdrOpen);
    EXPECT_TRUE(gf_readFacility("EDDF", record, helipads));
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedCall,
                         ::testing::Values(FailedCallCase{"Open", "SimConnect_Open"},
                                           FailedCallCase{"Dispatch", "SimConnect_CallDispatch"}),
                         caseName);

TEST_F(FacilityReader, ASimulatorExceptionAsksForARestart)
{
    sim::World world(scenario(), realTime());
    try
    {
        gf_readFacility("ZZZZ", record, helipads);
        FAIL() << "no exception";
    }
    catch (const UserErrorException& e)
    {
        EXPECT_STREQ(e.what(), "111: restart");
    }
    EXPECT_TRUE(logMentions("SimConnect EXCEPTION id="));
}

TEST_F(FacilityReader, NoIcaoCodeNoRequest)
{
    sim::World world(scenario(), realTime());
    EXPECT_FALSE(gf_readFacility("EDD", record, helipads));
    EXPECT_TRUE(logMentions("'EDD' FixedCode: invalid string (length/charset)"));
}

TEST_F(FacilityReader, BlocksShorterThanTheirLayoutAreDropped)
{
    sim::World world(scenario(), realTime());
    // A client whose definition lacks the parkings' last field.
    HANDLE handle = nullptr;
    ASSERT_EQ(SimConnect_Open(&handle, "PARKING_DATA_RDR", nullptr, 0, nullptr, 0), S_OK);
    for (const char* entry : detail::facilityDefinitionEntries())
        if (std::string_view(entry) != "BIAS_Z")
            SimConnect_AddToFacilityDefinition(handle, 1001, entry);
    g_parkingDataRdr = handle;
    g_parkingDataRdrOpen = true;

    ASSERT_TRUE(gf_readFacility("EDDF", record, helipads));
    EXPECT_EQ(record.stands.size(), 2u) << "the helipads only";
    EXPECT_TRUE(logHas("==> Fac: EDDF taxi parking block of 36 bytes is shorter than 40 bytes, dropped"));
}

} // namespace
} // namespace ovr::test
