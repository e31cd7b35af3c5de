// The scenario file and the form bodies: what the fake reads before it can
// answer anything.
#include "service_fixture.h"

#include "fake-rt/form_body.h"

#include <cmath>
#include <fstream>

namespace ovr::fakert::test
{
namespace
{

using nlohmann::json;

TEST(DemoScenario, IsFrankfurtWithItsRunwaysStandsAndAccounts)
{
    const Scenario s = demoScenario();
    EXPECT_EQ(s.airport.icao, "EDDF");
    for (const char* name : {"07C", "25C", "07R", "25L", "07L", "25R", "18"})
    {
        ASSERT_NE(s.runway(name), nullptr) << name;
    }
    // opposite ends face each other along the runway
    for (auto [a, b] : {std::pair{"07C", "25C"}, std::pair{"07R", "25L"}, std::pair{"07L", "25R"}})
    {
        const Runway& one = *s.runway(a);
        const Runway& other = *s.runway(b);
        EXPECT_NEAR(std::fabs(one.headingTrue - other.headingTrue), 180.0, 0.2);
        EXPECT_NEAR(bearingDeg(one.threshold, other.threshold), one.headingTrue, 0.2);
        EXPECT_NEAR(distanceNm(one.threshold, other.threshold) * kMetresPerNm, one.lengthM, 15.0);
    }
    EXPECT_NEAR(s.runway("18")->headingTrue, 180.0, 0.5);
    for (const char* name : {"A22", "B44", "V155"})
    {
        ASSERT_NE(s.stand(name), nullptr) << name;
        EXPECT_LT(distanceNm(s.stand(name)->pos, s.airport.pos), 2.5);
    }
    ASSERT_GE(s.accounts.size(), 2u);
    EXPECT_EQ(s.accounts[0].type, 1);
    EXPECT_EQ(s.accounts[1].type, 2);
    EXPECT_GT(s.accounts[0].expiry, kStartTime);
}

struct BrokenScenario
{
    const char* name;
    const char* patch; // JSON merge patch over the demo scenario
    const char* complaint;
};

const BrokenScenario kBroken[] = {
    {"no_airport", R"({"airport": null})", "\"airport\" is missing"},
    {"unknown_runway_in_use", R"({"runways_in_use": {"arrivals": ["09"], "departures": ["18"]}})",
     "unknown runway \"09\""},
    {"account_of_a_third_type", R"({"accounts": [{"license": "X", "type": 3}]})", "\"type\" must be 1 or 2"},
    {"licence_twice", R"({"accounts": [{"license": "X"}, {"license": "X"}]})", "a licence appears twice"},
    {"parked_on_unknown_stand", R"({"parked": [{"hex": "3c0001", "stand": "Z99", "type": "A320"}]})",
     "unknown stand \"Z99\""},
    {"seed_as_text", R"({"traffic": {"seed": "42"}})", "\"seed\" must be a non-negative integer"},
    {"position_as_text", R"({"airport": {"icao": "EDDF", "iata": "FRA", "lat": "50.03", "lon": 8.57}})",
     "\"lat\" must be a number"},
    {"bad_registration_pattern",
     R"({"fleet": [{"icao": "DLH", "routes": ["MUC", "BER"], "aircraft": [{"type": "A320", "registration": "D-AI[PQ"}]}]})",
     "registration pattern"},
    {"traffic_without_fleet", R"({"fleet": []})", "traffic needs at least one operator"},
};

class BrokenScenarios : public testing::TestWithParam<BrokenScenario>
{
};

TEST_P(BrokenScenarios, AreRefusedWithTheReason)
{
    json j = json::parse(std::ifstream(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json"));
    j.merge_patch(json::parse(GetParam().patch));
    try
    {
        parseScenario(j, kStartTime);
        FAIL() << "accepted";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_NE(std::string(e.what()).find(GetParam().complaint), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(FakeService, BrokenScenarios, testing::ValuesIn(kBroken),
                         [](const testing::TestParamInfo<BrokenScenario>& p)
                         { return std::string(p.param.name); });

TEST(Scenario, MissingFileIsNamed)
{
    EXPECT_THROW(loadScenario("/nonexistent/scenario.json", kStartTime), std::runtime_error);
}

struct QnhReading
{
    json value;
    double hpa;
};

class QnhReadings : public testing::TestWithParam<QnhReading>
{
};

TEST_P(QnhReadings, MeanWhatAClientReads)
{
    EXPECT_NEAR(qnhHectopascal(GetParam().value), GetParam().hpa, 0.01);
}

INSTANTIATE_TEST_SUITE_P(FakeService, QnhReadings,
                         testing::Values(QnhReading{json(1021), 1021.0}, QnhReading{json(1013.5), 1013.5},
                                         QnhReading{json("1008"), 1008.0}, QnhReading{json("998 hPa"), 998.0},
                                         QnhReading{json(2992), 1013.25}, QnhReading{json("Q1013"), 1013.25},
                                         QnhReading{json(nullptr), 1013.25}));

struct FormCase
{
    const char* body;
    FormFields fields;
};

class FormBodies : public testing::TestWithParam<FormCase>
{
};

TEST_P(FormBodies, DecodeInOrder)
{
    EXPECT_EQ(parseFormBody(GetParam().body), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    FakeService, FormBodies,
    testing::Values(FormCase{"", {}}, FormCase{"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
                    FormCase{"b=2&a=1", {{"b", "2"}, {"a", "1"}}},
                    FormCase{"license=RT%2BDEMO%26PRO%3D0004&software=Vora_12.5.5",
                             {{"license", "RT+DEMO&PRO=0004"}, {"software", "Vora_12.5.5"}}},
                    FormCase{"q=a+b%20c", {{"q", "a b c"}}},
                    FormCase{"q=100%&r=%4", {{"q", "100%"}, {"r", "%4"}}},
                    FormCase{"q=%e2%82%ac", {{"q", "\xe2\x82\xac"}}},
                    FormCase{"a&&b=", {{"a", ""}, {"b", ""}}}, FormCase{"a=1&a=2", {{"a", "1"}, {"a", "2"}}},
                    FormCase{"x=a=b", {{"x", "a=b"}}}));

} // namespace
} // namespace ovr::fakert::test
