// The altitude, callsign and aircraft-type filters of the live records.
#include "core/parameters.h"
#include "core/status_line.h"
#include "service/traffic_filters.h"
#include "service/traffic_filters_detail.h"
#include "service/traffic_reader.h"
#include "service_test_support.h"
#include "simlink/object_events.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>

namespace ovr::test
{
namespace
{

using nlohmann::json;

// Read as the reader reads a reply's array; lives until the next call.
const LiveArray& arrayWith(std::size_t position, json value)
{
    static ReplyReader replies;
    json a = json::array();
    for (int i = 0; i < 48; ++i)
    {
        a.push_back(nullptr);
    }
    a[position] = std::move(value);
    return replies.liveArray(a.dump());
}

struct AltitudeCase
{
    const char* name;
    std::int32_t qnh;
    json reported; // position 4
    double groundSpeed;
    std::optional<double> parkElevation;
    std::optional<float> parkAirportAltitude; // a park airport exists
    bool airborneOnly;
    bool accepted;
    double altitude;
};

const AltitudeCase kAltitudeCases[] = {
    {"qnh_above_standard_raises", 1023, 3000, 250.0, {}, {}, false, true, 3263.25},
    {"negative_result_becomes_ground", 1003, 100, 250.0, {}, {}, false, true, 0.0},
    {"standard_qnh_lowers_by_6_75", 1013, 5000, 250.0, {}, {}, false, true, 4993.25},
    {"reported_zero_is_ground", 1013, 0, 250.0, {}, {}, false, true, 0.0},
    {"text_reads_as_ground", 1013, "3000", 250.0, {}, {}, false, true, 0.0},
    {"band_84_not_for_100_kt", 1013, 126.75, 100.0, 50.0, {}, false, true, 120.0},
    {"band_84_for_75_kt", 1013, 126.75, 75.0, 50.0, {}, false, true, 0.0},
    {"band_42_for_120_kt", 1013, 98.75, 120.0, 50.0, {}, false, true, 0.0},
    {"band_108_for_43_kt", 1013, 164.75, 43.0, 50.0, {}, false, true, 0.0},
    {"below_park_elevation_is_ground", 1013, 40, 200.0, 50.0, {}, false, true, 0.0},
    {"no_band_above_14000", 1013, 14100, 200.0, 14000.0, {}, false, true, 14093.25},
    {"no_park_airport_no_band", 1013, 56.75, 100.0, {}, {}, false, true, 50.0},
    {"slow_rule_at_any_altitude", 1013, 30000, 35.0, {}, {}, false, true, 0.0},
    {"airborne_only_1650_over_1500_refused", 1013, 1656.75, 200.0, {}, 1500.0f, true, false, 1650.0},
    {"airborne_only_1651_over_1500_accepted", 1013, 1657.75, 200.0, {}, 1500.0f, true, true, 1651.0},
    {"airborne_only_without_park_airport_150", 1013, 156.75, 200.0, {}, {}, true, false, 150.0},
    {"airborne_only_without_park_airport_151", 1013, 157.75, 200.0, {}, {}, true, true, 151.0},
    {"airborne_only_refuses_ground", 1013, -20, 200.0, {}, {}, true, false, 0.0},
};

class AltitudeFilterTest : public testing::TestWithParam<AltitudeCase>
{
  protected:
    void SetUp() override { resetServiceState(); }
    void TearDown() override { resetServiceState(); }
    LogCapture m_log;
};

TEST_P(AltitudeFilterTest, CorrectsAndDecides)
{
    const AltitudeCase& c = GetParam();
    TrafficReader reader;
    reader.readerQnh.store(c.qnh);
    reader.parkElevation = c.parkElevation;
    if (c.parkAirportAltitude)
    {
        Airport park = frankfurt();
        park.elevation = *c.parkAirportAltitude;
        setParkAirport(park);
    }
    AIRBORNE_ONLY.current.store(c.airborneOnly);
    TrafficRecord record;
    record.sample.groundSpeed = c.groundSpeed;
    EXPECT_EQ(lf_checkAltitude(arrayWith(4, c.reported), record, reader), c.accepted);
    EXPECT_DOUBLE_EQ(record.sample.altitude, c.altitude);
}

INSTANTIATE_TEST_SUITE_P(Cases, AltitudeFilterTest, testing::ValuesIn(kAltitudeCases),
                         caseName<AltitudeCase>);

struct CallsignCase
{
    const char* name;
    json reported; // position 13
    bool accepted;
    const char* callsign;
};

const CallsignCase kCallsignCases[] = {
    {"plain", "DLH4AB", true, "DLH4AB"},
    {"null_is_empty", "null", true, ""},
    {"at_sign_is_empty", "DLH@4", true, ""},
    {"not_a_text_is_empty", 42, true, ""},
    {"test_refused", "TEST", false, "TEST"},
    {"test_with_digit_accepted", "TEST1", true, "TEST1"},
    {"lower_case_test_accepted", "test", true, "test"},
    {"test_transmitter_refused", "ERARMTR1", false, "ERARMTR1"},
    {"zeros_refused", "00000000", false, "00000000"},
};

class CallsignFilterTest : public testing::TestWithParam<CallsignCase>
{
  protected:
    void SetUp() override { resetServiceState(); }
    void TearDown() override { resetServiceState(); }
    LogCapture m_log;
};

TEST_P(CallsignFilterTest, CleansOrRefuses)
{
    const CallsignCase& c = GetParam();
    TrafficReader reader;
    TrafficRecord record;
    EXPECT_EQ(lf_checkCallsign(arrayWith(13, c.reported), record, reader), c.accepted);
    EXPECT_EQ(record.callsign, c.callsign);
}

INSTANTIATE_TEST_SUITE_P(Cases, CallsignFilterTest, testing::ValuesIn(kCallsignCases),
                         caseName<CallsignCase>);

class BlockedCallsignTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        g_reportedBlockedCallsign.clear();
        gf_resetStatusLine();
        lf_takeEvents();
    }
    void TearDown() override
    {
        resetServiceState();
        g_reportedBlockedCallsign.clear();
        lf_takeEvents();
    }

    static std::vector<SimEvent> lf_takeEvents()
    {
        const std::scoped_lock lock(g_objectEventsMutex);
        return std::exchange(g_objectEvents, {});
    }

    bool offer(const char* callsign, std::uint32_t hexId)
    {
        TrafficRecord record;
        record.hexId = hexId;
        return lf_checkCallsign(arrayWith(13, callsign), record, m_reader);
    }

    LogCapture m_log;
    TrafficReader m_reader;
};

TEST_F(BlockedCallsignTest, FirstRecordReportsOnceAndANewBlockReArmsFirst)
{
    BLOCK_CALLSIGN.setValue("DLH4AB");
    EXPECT_FALSE(offer("DLH4AB", 0x3c6444));
    std::vector<SimEvent> events = lf_takeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].objectId, 0u);
    EXPECT_EQ(events[0].key, 0x3c6444u);
    EXPECT_EQ(events[0].type, kSimEventBlockedCallsign);
    EXPECT_EQ(gf_statusTexts().status, "Live aircraft 'DLH4AB' blocked");
    EXPECT_TRUE(m_log.contains("Live aircraft 'DLH4AB' blocked"));

    gf_resetStatusLine();
    EXPECT_FALSE(offer("DLH4AB", 0x3c6444));
    EXPECT_TRUE(lf_takeEvents().empty());
    EXPECT_EQ(gf_statusTexts().status, "");
    EXPECT_TRUE(offer("BAW12", 0x400001));

    BLOCK_CALLSIGN.setValue("BAW12");
    EXPECT_FALSE(offer("BAW12", 0x400001));
    EXPECT_TRUE(lf_takeEvents().empty());
    EXPECT_FALSE(offer("BAW12", 0x400001));
    events = lf_takeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].key, 0x400001u);
    EXPECT_EQ(gf_statusTexts().status, "Live aircraft 'BAW12' blocked");
}

struct TypeCase
{
    const char* type;
    const char* category;
    bool accepted;
};

const TypeCase kTypeCases[] = {
    {"A320", "", true},  {"C172", "B1", false}, {"C172", "A1", true},  {"ZZZZZ", "", false},
    {"GND", "", false},  {"TWR", "", false},    {"GRND", "A3", false}, {"", "A3", false},
    {"null", "", false}, {"B738", "C2", false}, {"EC35", "A7", true},  {"BALL", "", false},
};

TEST(TypeFilterTest, RefusesWhatIsNoAircraft)
{
    for (const TypeCase& c : kTypeCases)
    {
        EXPECT_EQ(gf_acceptType(c.type, c.category), c.accepted) << c.type << " / " << c.category;
    }
}

} // namespace
} // namespace ovr::test
