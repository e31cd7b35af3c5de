// The parked-record decoder over one member of a parked-traffic reply.
#include "airports/stand_list.h"
#include "core/code_pool.h"
#include "core/parameters.h"
#include "core/user_on_ground.h"
#include "liveries/model_database.h"
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

// 2025-06-15 15:06:40 UTC: slot 30.
constexpr std::int64_t kSeenAt = 1750000000;
// 2025-06-15 10:29:30 UTC.
constexpr std::int64_t kSeenAt102930 = 1749983370;

json baseParkedArray()
{
    return json::array({50.0501, 8.5712, "A11", "A320", "D-AIZA", kSeenAt, "DLH4AB"});
}

struct ParkedCase
{
    const char* name;
    std::function<void(json&)> edit;
    bool accepted;
    std::function<void(const ParkedTrafficRecord&)> check = {};
    const char* key = "3c6444";
    std::function<void()> prepare = {};
};

const ParkedCase kParkedCases[] = {
    {"plain", [](json&) {}, true,
     [](const ParkedTrafficRecord& r)
     {
         EXPECT_EQ(r.hexId, 0x3c6444u);
         EXPECT_EQ(r.slot, 30);
         EXPECT_EQ(r.standName, "A11");
         EXPECT_EQ(r.callsign, "DLH4AB");
         EXPECT_EQ(r.registration, "D-AIZA");
         EXPECT_EQ(g_modelCodes.text(r.key.model), "A320");
         EXPECT_DOUBLE_EQ(r.latitude, 50.0501);
     }},
    {"member_2710_drops", [](json&) {}, false, {}, "2710"},
    {"member_2711_passes", [](json&) {}, true, {}, "2711"},
    {"seen_at_10_29_30_is_slot_21", [](json& a) { a[5] = kSeenAt102930; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.slot, 21); }},
    {"seen_at_10_29_29_is_slot_20", [](json& a) { a[5] = kSeenAt102930 - 1; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.slot, 20); }},
    {"seen_at_23_59_59_is_slot_47", [](json& a) { a[5] = 1750031999; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.slot, 47); }},
    {"float_time_rounds_half_away", [](json& a) { a[5] = static_cast<double>(kSeenAt102930) - 0.5; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.slot, 21); }},
    {"unconvertible_time_is_slot_minus_1", [](json& a) { a[5] = 40000000000LL; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.slot, -1); }},
    {"time_as_text_drops", [](json& a) { a[5] = "1750000000"; }, false},
    {"time_beyond_64_bits_drops", [](json& a) { a[5] = 1.0e30; }, false},
    {"b747_becomes_b744_without_the_known_test", [](json& a) { a[3] = "B747"; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(g_modelCodes.text(r.key.model), "B744"); }},
    {"unknown_type_drops", [](json& a) { a[3] = "Q400"; }, false},
    {"empty_type_drops", [](json& a) { a[3] = ""; }, false},
    {"integer_latitude_reads_zero", [](json& a) { a[0] = 52; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_DOUBLE_EQ(r.latitude, 0.0); }},
    {"integer_position_near_zero_drops", [](json& a) { a[0] = 52, a[1] = 0.00001; }, false},
    {"latitude_beyond_90_drops", [](json& a) { a[0] = 90.1; }, false},
    {"callsign_with_five_zeros_is_empty", [](json& a) { a[6] = "00000ABC"; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.callsign, ""); }},
    {"leading_full_stop_removed", [](json& a) { a[6] = ".ABC123"; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.callsign, "ABC123"); }},
    {"nine_character_callsign_is_empty", [](json& a) { a[6] = "ABCDEFGHI"; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.callsign, ""); }},
    {"registration_null_is_empty", [](json& a) { a[4] = "null"; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.registration, ""); }},
    {"registration_found_under_its_dashed_spelling",
     [](json& a)
     {
         a[4] = "DAIBC";
         a[6] = "null";
     },
     true,
     [](const ParkedTrafficRecord& r)
     {
         EXPECT_EQ(r.registration, "DAIBC");
         EXPECT_EQ(r.callsign, "DAIBC");
         EXPECT_EQ(g_airlineCodes.text(r.key.airline), "DLH");
         EXPECT_EQ(g_modelCodes.text(r.key.model), "A321");
     }},
    {"callsign_that_is_a_registration",
     [](json& a)
     {
         a[4] = "";
         a[6] = "DAIBC";
     },
     true,
     [](const ParkedTrafficRecord& r)
     {
         EXPECT_EQ(r.registration, "DAIBC");
         EXPECT_EQ(r.callsign, "DAIBC");
         EXPECT_EQ(g_airlineCodes.text(r.key.airline), "CLH");
     }},
    {"helicopter_with_helicopters_off",
     [](json& a) { a[3] = "EC35"; },
     false,
     {},
     "3c6444",
     [] { HELICOPTERS.current.store(false); }},
    {"helicopter_with_helicopters_on", [](json& a) { a[3] = "EC35"; }, true},
    {"light_aircraft_off",
     [](json& a) { a[3] = "C172"; },
     false,
     {},
     "3c6444",
     [] { LIGHT_AIRCRAFT.current.store(false); }},
    {"stand_not_a_text_drops", [](json& a) { a[2] = 11; }, false},
    {"reserved_stand_drops", [](json&) {}, false, {}, "3c6444", [] { setParkAirport(frankfurt(), "A11"); }},
    // The service prefixes the stand with the airport's code.
    {"reserved_stand_with_the_airport_prefix_drops", [](json& a) { a[2] = "EDDF_A11"; }, false, {}, "3c6444",
     [] { setParkAirport(frankfurt(), "A11"); }},
    {"prefixed_stand_keeps_its_name", [](json& a) { a[2] = "EDDF_A12"; }, true,
     [](const ParkedTrafficRecord& r) { EXPECT_EQ(r.standName, "EDDF_A12"); }, "3c6444",
     [] { setParkAirport(frankfurt(), "A11"); }},
    {"a_longer_prefix_is_another_stand", [](json& a) { a[2] = "XEDDF_A11"; }, true, {}, "3c6444",
     [] { setParkAirport(frankfurt(), "A11"); }},
    {"a_float_epoch_passes", [](json& a) { a[5] = 1750000000.75; }, true},
    {"prefixed_stand_the_user_stands_on_drops",
     [](json& a) { a[2] = "EDDF_A11"; },
     false,
     {},
     "3c6444",
     []
     {
         Stand a11;
         a11.name = "A11";
         a11.latitude = 50.048473;
         a11.longitude = 8.565095;
         a11.numericId = 1;
         g_stands.push_back(a11);
         setUserPosition(a11.latitude, a11.longitude, 364.0);
         g_userOnGround.store(1);
     }},
    {"empty_stand_while_the_user_is_at_none_drops", [](json& a) { a[2] = ""; }, false},
    {"stand_the_user_stands_on_drops",
     [](json&) {},
     false,
     {},
     "3c6444",
     []
     {
         Stand a11;
         a11.name = "A11";
         a11.latitude = 50.048473;
         a11.longitude = 8.565095;
         a11.numericId = 1;
         g_stands.push_back(a11);
         setUserPosition(a11.latitude, a11.longitude, 364.0);
         g_userOnGround.store(1);
     }},
};

class ParkedRecordTest : public testing::TestWithParam<ParkedCase>
{
  protected:
    void SetUp() override
    {
        resetServiceState();
        setKnownModels({"A320", "A321", "B744", "EC35", "C172"});
        g_largeModels = {gf_modelId("A320"), gf_modelId("A321")};
        g_heavyModels = {gf_modelId("B744")};
        g_rotorcraftModels = {gf_modelId("EC35")};
        g_dbase = {DbaseRecord{
            "D-AIBC", FlightKey{gf_airlineId("DLH"), gf_airlineId("CLH"), gf_modelId("A321"), 0, 1}}};
        HELICOPTERS.current.store(true);
        LIGHT_AIRCRAFT.current.store(true);
        setUserPosition(50.1, 8.6, 3000.0);
        g_userOnGround.store(0);
    }
    void TearDown() override
    {
        g_dbase.clear();
        g_largeModels.clear();
        g_heavyModels.clear();
        g_rotorcraftModels.clear();
        HELICOPTERS.current.store(true);
        LIGHT_AIRCRAFT.current.store(true);
        g_userOnGround.store(0);
        gf_clearStands();
        resetServiceState();
    }
    LogCapture m_log;
};

TEST_P(ParkedRecordTest, DecodesOrDrops)
{
    const ParkedCase& c = GetParam();
    if (c.prepare)
    {
        c.prepare();
    }
    TrafficReader reader;
    json a = baseParkedArray();
    c.edit(a);
    reader.processParkedTrafficLine(c.key, reader.replies.parkedArray(json(a).dump()));
    ASSERT_EQ(reader.parkedBatch.size(), c.accepted ? 1u : 0u);
    if (c.accepted && c.check)
    {
        c.check(reader.parkedBatch.front());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParkedRecordTest, testing::ValuesIn(kParkedCases), caseName<ParkedCase>);

TEST(ParkedRecordLogTest, ATimeThatIsNoNumberIsWarnedAboutAndTheNextMemberStillDecodes)
{
    LogCapture log;
    resetServiceState();
    setKnownModels({"A320"});
    TrafficReader reader;
    json bad = baseParkedArray();
    bad[5] = "yesterday";
    reader.processParkedTrafficLine("3c6444", reader.replies.parkedArray(json(bad).dump()));
    reader.processParkedTrafficLine("3c6445", reader.replies.parkedArray(json(baseParkedArray()).dump()));
    ASSERT_EQ(reader.parkedBatch.size(), 1u);
    EXPECT_EQ(reader.parkedBatch[0].hexId, 0x3c6445u);
    EXPECT_TRUE(log.contains("==> processParkedTrafficLine: time must be a number, but is string"))
        << log.text();
    resetServiceState();
}

} // namespace
} // namespace ovr::test
