#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "airports/apf_updates.h"
#include "airports/nearest_stand.h"
#include "airports/option_identity.h"
#include "airports/stand_find.h"
#include "airports/stand_learning.h"
#include "airports/stand_list.h"
#include "airports/weekday_hour.h"
#include "airports_test_support.h"
#include "core/code_pool.h"
#include "core/user_on_ground.h"
#include "liveries/model_lookups.h"
#include "liveries/registration_lookup.h"

namespace ovr::test
{
namespace
{

constexpr double kOneMetreNm = 1.0 / 1852.0;

struct AcceptCase
{
    std::uint16_t type;
    std::vector<std::int32_t> accepted;
};

class StandAcceptsClassTest : public ::testing::TestWithParam<AcceptCase>
{
};

TEST_P(StandAcceptsClassTest, FollowsTheParkingTypeTable)
{
    Stand stand;
    stand.type = GetParam().type;
    std::vector<std::int32_t> accepted;
    for (std::int32_t category = 0; category <= 5; ++category)
        if (gf_standAcceptsClass(stand, category))
            accepted.push_back(category);
    EXPECT_EQ(accepted, GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(ParkingTypes, StandAcceptsClassTest,
                         ::testing::Values(AcceptCase{0, {}}, AcceptCase{1, {0}}, AcceptCase{2, {0}},
                                           AcceptCase{3, {0, 1, 4}}, AcceptCase{4, {1, 2}},
                                           AcceptCase{5, {2, 3}}, AcceptCase{6, {2, 3}}, AcceptCase{7, {4}},
                                           AcceptCase{8, {1, 2}}, AcceptCase{9, {2}}, AcceptCase{10, {3}},
                                           AcceptCase{11, {0, 5}}, AcceptCase{12, {0, 1, 2, 3, 4, 5}},
                                           AcceptCase{13, {}}, AcceptCase{14, {0, 4}}, AcceptCase{15, {2, 3}},
                                           AcceptCase{16, {}}));

TEST(MakeStandTest, ConvertsTheRadiusToNauticalMiles)
{
    const Stand stand = gf_makeStand("12a", {}, 1.0, 2.0, 0.5, 18.52, 8, true, false, true);
    EXPECT_DOUBLE_EQ(stand.radius, 0.01);
    EXPECT_EQ(stand.name, "12a");
    EXPECT_EQ(stand.type, 8);
    EXPECT_EQ(stand.cargo, 1);
    EXPECT_EQ(stand.heli, 1);
    EXPECT_EQ(stand.numericId, 0);
    EXPECT_GE(stand.adjacent.capacity(), 8u);
    EXPECT_EQ(gf_standMessage("Stand #{} has empty '{}' attribute.", 3),
              "Stand #3 has empty 'id' attribute.");
}

class NearestStandTest : public ParkAirportTest
{
  protected:
    void SetUp() override
    {
        ParkAirportTest::SetUp();
        g_stands.push_back(makeTestStand("12", 1, 0.0, 0.0, 20.0));
        g_stands.push_back(makeTestStand("13", 2, 0.0, 110.0, 20.0));
    }
    static std::string nameAt(double north, double east)
    {
        const LatLon p = offsetMetres(north, east);
        return gf_nearestStandName(p.lat, p.lon);
    }
};

TEST_F(NearestStandTest, NamesTheNearestStandWithin55Metres)
{
    EXPECT_EQ(nameAt(0.0, 50.0), "12");
    EXPECT_EQ(nameAt(0.0, 60.0), "13");
    EXPECT_EQ(nameAt(60.0, 0.0), "");
}

TEST_F(NearestStandTest, AnswersTheSamePositionFromTheCache)
{
    EXPECT_EQ(nameAt(0.0, 50.0), "12");
    // Editing the stand in place is invisible to the cache; only a change of
    // the list forgets the answer.
    g_stands[0].name = "renamed";
    EXPECT_EQ(nameAt(0.0, 50.0), "12");
    g_stands.push_back(makeTestStand("14", 3, 500.0, 0.0, 20.0));
    EXPECT_EQ(nameAt(0.0, 50.0), "renamed");
}

TEST_F(NearestStandTest, ClearingTheListForgetsTheCachedName)
{
    EXPECT_EQ(nameAt(0.0, 50.0), "12");
    gf_clearStands();
    EXPECT_EQ(nameAt(0.0, 50.0), "");
    g_stands.push_back(makeTestStand("B7", 1, 0.0, 40.0, 20.0));
    EXPECT_EQ(nameAt(0.0, 50.0), "B7");
}

TEST_F(NearestStandTest, NoNameWhileTheUserIsAirborne)
{
    g_userOnGround.store(0);
    EXPECT_EQ(nameAt(0.0, 0.0), "");
}

// Finding a stand for a parking aircraft among typed and untyped stands.
class FindStandNearTest : public ParkAirportTest
{
  protected:
    AiAircraftRecord aircraftOf(std::string_view model, std::string_view callsign = "")
    {
        AiAircraftRecord ac;
        ac.key = FlightKey{gf_airlineId("KLM"), 0, gf_modelId(model), 0, 0};
        ac.category = static_cast<std::uint32_t>(gf_categoryOfModel(ac.key.model));
        ac.radius = gf_wingspanOf(ac.key.model);
        ac.callsign = std::string(callsign);
        return ac;
    }
    static std::string nameOf(const Stand* stand) { return stand ? stand->name : "none"; }
    std::string find(const AiAircraftRecord& ac, double north, double east, double maxMetres,
                     bool wide = false)
    {
        return nameOf(gf_findStandNear(offsetMetres(north, east), ac, maxMetres * kOneMetreNm, wide));
    }
};

TEST_F(FindStandNearTest, TakesTheNearestStandWhoseTypeAcceptsTheAircraft)
{
    g_stands.push_back(makeTestStand("GA", 1, 0.0, 0.0, 10.0, 2));
    g_stands.push_back(makeTestStand("G9", 2, 0.0, 60.0, 25.0, 9));
    g_stands.push_back(makeTestStand("G8", 3, 0.0, 55.0, 25.0, 8));
    EXPECT_EQ(find(aircraftOf("A320"), 0.0, 30.0, 100.0), "G8");
    EXPECT_EQ(find(aircraftOf("C172"), 0.0, 30.0, 100.0), "GA");
    EXPECT_EQ(g_apfUpdates, 0u);
}

TEST_F(FindStandNearTest, AnUntypedStandMustNearlyFitTheAircraft)
{
    const AiAircraftRecord a320 = aircraftOf("A320"); // 17.9 m half span
    g_stands.push_back(makeTestStand("small", 1, 0.0, 0.0, 16.0));
    EXPECT_EQ(find(a320, 0.0, 30.0, 100.0), "none");
    g_stands[0].radius = 16.2 * kOneMetreNm;
    EXPECT_EQ(find(a320, 0.0, 30.0, 100.0), "small");
}

TEST_F(FindStandNearTest, ATooSmallStandWithin20MetresIsWidenedOnce)
{
    const AiAircraftRecord heavy = aircraftOf("B744"); // 32.2 m half span
    g_stands.push_back(makeTestStand("GA", 1, 0.0, 0.0, 10.0, 2));
    EXPECT_EQ(find(heavy, 0.0, 15.0, 100.0), "GA");
    EXPECT_NEAR(g_stands[0].radius, heavy.radius - kOneMetreNm, 1e-12);
    EXPECT_EQ(g_stands[0].radiusChanged, 1);
    EXPECT_EQ(g_apfUpdates, 1u);

    // A smaller aircraft on the widened stand leaves it as wide as it is.
    const double widened = g_stands[0].radius;
    EXPECT_EQ(find(aircraftOf("A320"), 0.0, 15.0, 100.0), "GA");
    EXPECT_DOUBLE_EQ(g_stands[0].radius, widened);
    EXPECT_EQ(g_apfUpdates, 1u);
}

TEST_F(FindStandNearTest, HelipadsAreForRotorcraftOnly)
{
    Stand pad = makeTestStand("helipad1", 0, 0.0, 0.0, 15.0, 0);
    pad.heli = 1;
    g_stands.push_back(pad);
    g_stands.push_back(makeTestStand("R1", 1, 0.0, 100.0, 15.0, 11));
    EXPECT_EQ(find(aircraftOf("EC35"), 0.0, 5.0, 200.0), "helipad1");
    EXPECT_EQ(find(aircraftOf("C172"), 0.0, 5.0, 60.0), "none");
}

// The rule is part of what suits: a helipad beside the aircraft does not hide
// a fitting stand a little farther off, nor a stand beside a helicopter the
// helipad.
TEST_F(FindStandNearTest, TheNearestStandOfTheRightKindIsTaken)
{
    Stand pad = makeTestStand("helipad1", 0, 0.0, 0.0, 15.0, 0);
    pad.heli = 1;
    g_stands.push_back(pad);
    g_stands.push_back(makeTestStand("GA1", 1, 0.0, 40.0, 15.0, 2));
    EXPECT_EQ(find(aircraftOf("C172"), 0.0, 5.0, 100.0), "GA1");
    EXPECT_EQ(find(aircraftOf("EC35"), 0.0, 38.0, 100.0), "helipad1");
}

TEST_F(FindStandNearTest, TheReservedStandIsNeverGiven)
{
    g_stands.push_back(makeTestStand("mine", 1, 0.0, 0.0, 25.0, 9));
    g_stands.push_back(makeTestStand("next", 2, 0.0, 60.0, 25.0, 9));
    g_stands[0].reserved = 1;
    EXPECT_EQ(find(aircraftOf("A320"), 0.0, 5.0, 100.0), "next");
}

TEST_F(FindStandNearTest, TheWideSearchFindsAStandWhereTheAircraftWasSeen)
{
    g_stands.push_back(makeTestStand("seen", 1, 0.0, 70.0, 25.0, 9));
    StandOption option;
    option.id = 1;
    option.real = 1;
    option.callsign = "KLM77";
    g_stands[0].options.push_back(option);
    EXPECT_EQ(find(aircraftOf("A320", "KLM77"), 0.0, 0.0, 30.0, false), "none");
    EXPECT_EQ(find(aircraftOf("A320", "KLM77"), 0.0, 0.0, 30.0, true), "seen");
    EXPECT_EQ(find(aircraftOf("A320", ""), 0.0, 0.0, 30.0, true), "none");
    g_stands[0].options[0].real = 0;
    EXPECT_EQ(find(aircraftOf("A320", "KLM77"), 0.0, 0.0, 30.0, true), "none");
}

// Learning from a live aircraft that stands on stand 1.
class RealStandOptionTest : public ParkAirportTest
{
  protected:
    void SetUp() override
    {
        ParkAirportTest::SetUp();
        g_stands.push_back(makeTestStand("A1", 1, 0.0, 0.0, 25.0, 9));
        aircraft.registration = "PH-EZA_";
        aircraft.callsign = "KLM1234";
        aircraft.category = kCategoryLarge;
    }
    void seeAt(std::uint32_t day, std::uint32_t slot, std::int32_t mode = 0)
    {
        g_weekdayHour.store(gf_packWeekdayHour(day, slot));
        lf_addRealStandOption(1, aircraft, mode);
    }
    std::vector<StandOption>& options() { return g_stands[0].options; }

    AiAircraftRecord aircraft;
};

TEST_F(RealStandOptionTest, ExtendsTodaysOptionOverAShortGap)
{
    seeAt(3, 18);
    seeAt(3, 20);
    ASSERT_EQ(options().size(), 1u);
    EXPECT_EQ(options()[0].hours, gf_slotBit(18) | gf_slotBit(19) | gf_slotBit(20));
    EXPECT_EQ(options()[0].registration, "PH-EZA");
    EXPECT_EQ(aircraft.key, *gf_cachedNameVariants("PH-EZA"));
    EXPECT_EQ(g_apfUpdates, 2u);
}

TEST_F(RealStandOptionTest, ALongGapIsANewVisit)
{
    seeAt(3, 10);
    seeAt(3, 20);
    ASSERT_EQ(options().size(), 2u);
    EXPECT_EQ(options()[1].hours, gf_slotBit(20));
}

TEST_F(RealStandOptionTest, TheSameHalfHourOnlyMarksCpl)
{
    seeAt(3, 18);
    seeAt(3, 18, 2);
    ASSERT_EQ(options().size(), 1u);
    EXPECT_EQ(options()[0].cpl, 1);
    EXPECT_EQ(g_apfUpdates, 1u);
}

TEST_F(RealStandOptionTest, ACplOptionIsNotExtended)
{
    seeAt(3, 18, 3);
    seeAt(3, 19);
    ASSERT_EQ(options().size(), 2u);
    EXPECT_EQ(options()[0].hours, gf_slotBit(18));
    EXPECT_EQ(options()[1].hours, gf_slotBit(19));
}

TEST_F(RealStandOptionTest, AnAirportFileOptionWithoutTheHalfHourWins)
{
    StandOption fromFile;
    fromFile.id = 1;
    fromFile.registration = "PH-EZA";
    fromFile.day = 3;
    fromFile.real = 1;
    fromFile.fromFile = 1;
    fromFile.hours = gf_slotBit(30);
    options().push_back(fromFile);
    seeAt(3, 18);
    EXPECT_EQ(options().size(), 1u);
}

TEST_F(RealStandOptionTest, LearnsNothingWithoutAKnownRegistrationOrStand)
{
    aircraft.registration = "G-UNKN";
    seeAt(3, 18);
    aircraft.registration = "_";
    seeAt(3, 18);
    aircraft.registration = "PH-EZA";
    lf_addRealStandOption(7, aircraft, 0);
    lf_addRealStandOption(0, aircraft, 0);
    EXPECT_TRUE(options().empty());
}

TEST_F(RealStandOptionTest, ASlotOutsideTheDayIsLogged)
{
    seeAt(3, 48);
    EXPECT_TRUE(options().empty());
    EXPECT_TRUE(logHas("==> lf_addRealStandOption: hh_now: 48, half-hour slot 48 is outside 0..47"));
}

class TakeIdentityTest : public ParkAirportTest
{
  protected:
    void SetUp() override
    {
        ParkAirportTest::SetUp();
        g_stands.push_back(makeTestStand("A1", 1, 0.0, 0.0, 25.0, 9));
        StandOption option;
        option.id = 1;
        option.day = 4;
        option.key.airline = gf_airlineId("KLM");
        option.callsign = "KLM1234";
        option.callsign2 = "KLM1235";
        option.hours = gf_slotBit(30);
        g_stands[0].options.push_back(option);
        aircraft.key.airline = gf_airlineId("KLM");
    }
    AiAircraftRecord aircraft;
};

TEST_F(TakeIdentityTest, CopiesBothCallsignsOfAMatchingOption)
{
    aircraft.callsign = "KLM1235_";
    gf_takeIdentityFromOption(gf_packWeekdayHour(4, 21), aircraft);
    EXPECT_EQ(aircraft.secondCallsign, "KLM1234");
    EXPECT_EQ(aircraft.text, "KLM1235");
}

TEST_F(TakeIdentityTest, OnlyWithinTheWindowOfToday)
{
    aircraft.callsign = "KLM1234";
    gf_takeIdentityFromOption(gf_packWeekdayHour(4, 19), aircraft); // 11 half hours before
    gf_takeIdentityFromOption(gf_packWeekdayHour(5, 30), aircraft);
    EXPECT_EQ(aircraft.secondCallsign, "");
    aircraft.category = kCategoryHeavy;
    gf_takeIdentityFromOption(gf_packWeekdayHour(4, 17), aircraft);
    EXPECT_EQ(aircraft.secondCallsign, "KLM1234");
}

} // namespace
} // namespace ovr::test
