// The live-record decoder over one aircraft array at a time: which arrays
// become records and what the records hold.
#include "core/geometry.h"
#include "core/parameters.h"
#include "service/traffic_reader.h"
#include "service_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>

namespace ovr::test
{
namespace
{

using nlohmann::json;

constexpr double kRefLat = 50.0;
constexpr double kRefLon = 8.57;

// An airborne A320 on approach, 6 NM north of the reference position.
json baseLiveArray()
{
    json a = json::array();
    for (int i = 0; i < 48; ++i)
    {
        a.push_back(nullptr);
    }
    a[0] = "4ca7b2";
    a[1] = 50.1;
    a[2] = 8.57;
    a[3] = 250.0;
    a[4] = 3000;
    a[5] = 180.0;
    a[8] = "A320";
    a[9] = "D-AIZA";
    a[10] = 1750000000.5;
    a[11] = "FRA";
    a[12] = "LHR";
    a[13] = "DLH123";
    a[15] = -700;
    a[17] = "adsb_icao";
    a[20] = 200;
    a[23] = 5.0;
    a[25] = 252.0;
    a[28] = "A3";
    return a;
}

struct LiveCase
{
    const char* name;
    std::function<void(json&)> edit;
    bool accepted;
    std::function<void(const TrafficRecord&)> check = {};
    // Park airport at the reference position (for aircraft on the ground).
    bool parkAirport = false;
    LatLon ref{kRefLat, kRefLon};
};

void onGroundNear(json& a, double northNm)
{
    a[1] = kRefLat + northNm / 60.0;
    a[4] = 0;
    a[5] = 10.0;
}

const LiveCase kLiveCases[] = {
    {"plain_airborne_aircraft", [](json&) {}, true,
     [](const TrafficRecord& r)
     {
         EXPECT_EQ(r.hexId, 0x4ca7b2u);
         EXPECT_EQ(r.callsign, "DLH123");
         EXPECT_EQ(r.registration, "D-AIZA");
         EXPECT_EQ(r.origin.text(), "FRA");
         EXPECT_EQ(r.destination.text(), "LHR");
         EXPECT_DOUBLE_EQ(r.sample.altitude, 3000.0 - 0.25 * 27.0);
         EXPECT_EQ(r.sample.airborne, 1);
         EXPECT_EQ(r.sample.onGround, 0);
         EXPECT_DOUBLE_EQ(r.sample.trueAirspeed, 200.0);
         EXPECT_DOUBLE_EQ(r.sample.verticalRate, -700.0);
         EXPECT_DOUBLE_EQ(r.dataTime, 1750000000.5);
         EXPECT_EQ(r.sample.playMoment, 0);
     }},
    {"registration_of_12_characters_passes", [](json& a) { a[9] = "ABCDEFGHIJKL"; }, true},
    {"registration_of_13_characters_drops", [](json& a) { a[9] = "ABCDEFGHIJKLM"; }, false},
    {"registration_null_is_empty", [](json& a) { a[9] = "null"; }, true,
     [](const TrafficRecord& r) { EXPECT_EQ(r.registration, ""); }},
    {"extreme_corner_position_passes",
     [](json& a) { a[1] = -90.0, a[2] = 180.0; },
     true,
     {},
     false,
     LatLon{-90.0, 180.0}},
    {"latitude_beyond_90_drops", [](json& a) { a[1] = 90.5; }, false},
    {"no_position_drops",
     [](json& a) { a[1] = 0.00005, a[2] = -0.00005; },
     false,
     {},
     false,
     LatLon{0.0, 0.0}},
    {"near_zero_with_longitude_passes",
     [](json& a) { a[1] = 0.00005, a[2] = 0.01; },
     true,
     {},
     false,
     LatLon{0.0, 0.0}},
    {"beyond_range_drops", [](json& a) { a[1] = kRefLat + 41.0 / 60.0; }, false},
    {"hex_2710_is_10000_and_drops", [](json& a) { a[0] = "2710"; }, false},
    {"hex_2711_passes", [](json& a) { a[0] = "2711"; }, true,
     [](const TrafficRecord& r) { EXPECT_EQ(r.hexId, 10001u); }},
    {"hex_without_digits_drops", [](json& a) { a[0] = "zz"; }, false},
    {"hex_read_up_to_a_blank", [](json& a) { a[0] = "4ca7b2 x"; }, true,
     [](const TrafficRecord& r) { EXPECT_EQ(r.hexId, 5023666u); }},
    {"hex_overflowing_32_bits_drops", [](json& a) { a[0] = "123456789"; }, false},
    {"true_heading_zero_is_two_pi_and_fills_a_zero_track",
     [](json& a)
     {
         a[25] = 0;
         a[3] = 0;
     },
     true,
     [](const TrafficRecord& r)
     {
         ASSERT_TRUE(r.trueHeading);
         EXPECT_DOUBLE_EQ(*r.trueHeading, 6.283185307179586);
         EXPECT_EQ(r.sample.headingKnown, 1);
         EXPECT_DOUBLE_EQ(r.sample.track, 360.0);
     }},
    {"true_heading_ignored_from_another_source", [](json& a) { a[17] = "mlat"; }, true,
     [](const TrafficRecord& r)
     {
         EXPECT_FALSE(r.trueHeading);
         EXPECT_EQ(r.sample.headingKnown, 0);
     }},
    {"true_heading_above_360_drops", [](json& a) { a[25] = 360.5; }, false},
    {"negative_true_heading_is_none", [](json& a) { a[25] = -3.0; }, true,
     [](const TrafficRecord& r) { EXPECT_FALSE(r.trueHeading); }},
    {"four_letter_origin_drops", [](json& a) { a[11] = "FRAX"; }, false},
    {"origin_null_is_empty", [](json& a) { a[11] = "null"; }, true,
     [](const TrafficRecord& r) { EXPECT_TRUE(r.origin.empty()); }},
    {"roll_minus_one_is_no_bank", [](json& a) { a[23] = -1; }, true,
     [](const TrafficRecord& r) { EXPECT_FALSE(r.bank); }},
    {"roll_10_is_reversed_bank", [](json& a) { a[23] = 10; }, true,
     [](const TrafficRecord& r)
     {
         ASSERT_TRUE(r.bank);
         EXPECT_DOUBLE_EQ(*r.bank, -0.17453292519943295);
     }},
    {"roll_on_the_ground_is_ignored",
     [](json& a)
     {
         onGroundNear(a, 1.0);
         a[23] = 10;
     },
     true, [](const TrafficRecord& r) { EXPECT_FALSE(r.bank); }, true},
    {"airspeed_minus_one_from_the_table", [](json& a) { a[20] = -1, a[4] = 4000; }, true,
     [](const TrafficRecord& r) { EXPECT_DOUBLE_EQ(r.sample.trueAirspeed, 220.0); }},
    {"missing_airspeed_on_the_ground_is_180",
     [](json& a)
     {
         onGroundNear(a, 1.0);
         a[20] = "n/a";
     },
     true,
     [](const TrafficRecord& r)
     {
         EXPECT_DOUBLE_EQ(r.sample.altitude, 0.0);
         EXPECT_EQ(r.sample.airborne, 0);
         EXPECT_DOUBLE_EQ(r.sample.trueAirspeed, 180.0);
     },
     true},
    {"on_the_ground_4_9_nm_from_the_park_airport", [](json& a) { onGroundNear(a, 4.9); }, true, {}, true},
    {"on_the_ground_5_1_nm_from_the_park_airport", [](json& a) { onGroundNear(a, 5.1); }, false, {}, true},
    {"on_the_ground_without_a_park_airport", [](json& a) { onGroundNear(a, 1.0); }, false},
    {"neither_callsign_nor_registration", [](json& a) { a[13] = "null", a[9] = "null"; }, false},
    {"pseudo_type_drops", [](json& a) { a[8] = "GRND"; }, false},
    {"glider_category_drops", [](json& a) { a[28] = "B1"; }, false},
    {"test_callsign_drops", [](json& a) { a[13] = "TEST"; }, false},
    // The documented feed: a provider prefix on the source, a letter for
    // the provider, a text squawk and null for what it does not have.
    {"prefixed_source_makes_the_heading_valid",
     [](json& a)
     {
         a[17] = "X_adsb_icao";
         a[7] = "X";
         a[6] = "1000";
     },
     true,
     [](const TrafficRecord& r)
     {
         ASSERT_TRUE(r.trueHeading);
         EXPECT_DOUBLE_EQ(*r.trueHeading, 252.0 * 0.017453292519943295);
     }},
    {"source_with_id_prefix_makes_the_heading_valid", [](json& a) { a[17] = "T_ID_adsb_icao"; }, true,
     [](const TrafficRecord& r) { EXPECT_TRUE(r.trueHeading); }},
    {"other_prefixed_source_ignores_the_heading", [](json& a) { a[17] = "X_adsb_other"; }, true,
     [](const TrafficRecord& r) { EXPECT_FALSE(r.trueHeading); }},
    {"a_source_merely_ending_in_the_kind_ignores_it", [](json& a) { a[17] = "Xadsb_icao"; }, true,
     [](const TrafficRecord& r) { EXPECT_FALSE(r.trueHeading); }},
    {"null_heading_is_none_not_north",
     [](json& a)
     {
         a[17] = "X_adsb_icao";
         a[25] = nullptr;
     },
     true,
     [](const TrafficRecord& r)
     {
         EXPECT_FALSE(r.trueHeading);
         EXPECT_EQ(r.sample.headingKnown, 0);
         EXPECT_DOUBLE_EQ(r.sample.track, 250.0);
     }},
    {"null_airspeed_and_roll_are_missing",
     [](json& a)
     {
         a[20] = nullptr;
         a[23] = nullptr;
     },
     true,
     [](const TrafficRecord& r)
     {
         EXPECT_DOUBLE_EQ(r.sample.trueAirspeed, 220.0);
         EXPECT_FALSE(r.bank);
     }},
    {"null_latitude_drops", [](json& a) { a[1] = nullptr; }, false, {}, false, LatLon{0.0, 8.57}},
    {"null_longitude_drops", [](json& a) { a[2] = nullptr; }, false, {}, false, LatLon{50.1, 0.0}},
    {"null_data_time_drops", [](json& a) { a[10] = nullptr; }, false},
    {"number_as_text_reads_zero", [](json& a) { a[5] = "180", a[1] = kRefLat + 3.0 / 60.0; }, true,
     [](const TrafficRecord& r)
     {
         EXPECT_DOUBLE_EQ(r.sample.groundSpeed, 0.0);
         EXPECT_DOUBLE_EQ(r.sample.altitude, 0.0); // slow rule: at most 35 kt is on the ground
     },
     true},
};

class LiveRecordTest : public testing::TestWithParam<LiveCase>
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        setKnownModels({"A320"});
    }
    void TearDown() override { resetServiceState(); }

    LogCapture m_log;
};

TEST_P(LiveRecordTest, DecodesOrDrops)
{
    const LiveCase& c = GetParam();
    TrafficReader reader;
    reader.refPos = c.ref;
    if (c.parkAirport)
    {
        Airport park = frankfurt();
        park.latitude = c.ref.lat;
        park.longitude = c.ref.lon;
        setParkAirport(park);
    }
    json a = baseLiveArray();
    c.edit(a);
    reader.processLine(reader.replies.liveArray(json(a).dump()));
    ASSERT_EQ(reader.liveRecords.size(), c.accepted ? 1u : 0u);
    if (c.accepted && c.check)
    {
        c.check(reader.liveRecords.front());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LiveRecordTest, testing::ValuesIn(kLiveCases), caseName<LiveCase>);

class LiveRecordLogTest : public testing::Test
{
  protected:
    void SetUp() override { resetServiceState(); }
    void TearDown() override { resetServiceState(); }
    LogCapture m_log;
    TrafficReader m_reader;
};

TEST_F(LiveRecordLogTest, BadOriginIsLoggedAndRangeErrorsAreNot)
{
    m_reader.refPos = LatLon{kRefLat, kRefLon};
    json a = baseLiveArray();
    a[11] = "FRAX";
    m_reader.processLine(m_reader.replies.liveArray(json(a).dump()));
    a = baseLiveArray();
    a[1] = 95.0;
    m_reader.processLine(m_reader.replies.liveArray(json(a).dump()));
    EXPECT_TRUE(m_reader.liveRecords.empty());
    const std::string log = m_log.text();
    EXPECT_NE(log.find("processLine: 'FRAX' FixedCode: invalid string (length/charset)\n"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("==> "), std::string::npos) << log;
    EXPECT_EQ(log.find("95"), std::string::npos) << log;
}

TEST_F(LiveRecordLogTest, DataTimeIsKeptEvenForADroppedAircraft)
{
    m_reader.refPos = LatLon{kRefLat, kRefLon};
    json a = baseLiveArray();
    a[9] = "ABCDEFGHIJKLM";
    a[10] = 1750000123.0;
    m_reader.processLine(m_reader.replies.liveArray(json(a).dump()));
    EXPECT_TRUE(m_reader.liveRecords.empty());
    EXPECT_DOUBLE_EQ(m_reader.dataTime.load(), 1750000123.0);
}

TEST_F(LiveRecordLogTest, CollectsIdentitiesOnlyWhileCollecting)
{
    m_reader.refPos = LatLon{kRefLat, kRefLon};
    m_reader.processLine(m_reader.replies.liveArray(json(baseLiveArray()).dump()));
    EXPECT_TRUE(m_reader.seenIds.empty());

    m_reader.collecting.store(true);
    json noCallsign = baseLiveArray();
    noCallsign[0] = "3c6444";
    noCallsign[13] = "null";
    for (const json& a : {baseLiveArray(), noCallsign})
    {
        m_reader.processLine(m_reader.replies.liveArray(json(a).dump()));
    }
    const CollectedIdentities taken = m_reader.takeCollected();
    EXPECT_FALSE(m_reader.collecting.load());
    EXPECT_EQ(taken.callsigns, (std::unordered_set<std::string>{"DLH123"}));
    EXPECT_EQ(taken.ids, (std::unordered_set<std::uint32_t>{0x4ca7b2u, 0x3c6444u}));
    EXPECT_TRUE(m_reader.seenCallsigns.empty());
    EXPECT_TRUE(m_reader.seenIds.empty());
}

} // namespace
} // namespace ovr::test
