// What the data replies carry, in the layouts and JSON types the program's
// decoders read.
#include "service_fixture.h"

#include "fake-rt/position_log.h"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace ovr::fakert::test
{
namespace
{

using nlohmann::json;

void expectLiveArray(const std::string& key, const json& a, double t)
{
    SCOPED_TRACE(key + ": " + a.dump());
    ASSERT_TRUE(a.is_array());
    ASSERT_EQ(a.size(), kLiveArraySize);
    EXPECT_EQ(a[0], key);
    for (std::size_t i : {1u, 2u, 3u, 5u, 10u})
    {
        EXPECT_TRUE(a[i].is_number()) << "position " << i;
    }
    EXPECT_TRUE(a[4].is_number_integer());
    EXPECT_TRUE(a[15].is_number_integer());
    for (std::size_t i : {8u, 9u, 11u, 12u, 13u, 17u, 28u})
    {
        EXPECT_TRUE(a[i].is_string()) << "position " << i;
    }
    EXPECT_TRUE(kBox.contains({a[1].get<double>(), a[2].get<double>()}));
    EXPECT_GE(a[10].get<double>(), t - 6.0);
    EXPECT_LE(a[10].get<double>(), t - 1.0);
    EXPECT_EQ(a[11].get<std::string>().size(), a[11] == "null" ? 4u : 3u);
    if (a[17] == "adsb_icao")
    {
        EXPECT_GT(a[25].get<double>(), 0.0);
        EXPECT_LE(a[25].get<double>(), 360.0);
    }
}

class Replies : public ServiceFixture
{
  protected:
    void SetUp() override
    {
        ServiceFixture::SetUp();
        m_guid = login(kProfessionalLicence);
    }
    std::string m_guid;
};

TEST_F(Replies, LiveTrafficMapsHexIdsTo48ElementArraysInTheBox)
{
    const json reply = traffic(m_guid);

    EXPECT_EQ(reply.at("status"), 200);
    EXPECT_EQ(reply.at("rrl"), 1000);
    const json& data = reply.at("data");
    ASSERT_TRUE(data.is_object());
    EXPECT_GE(data.size(), 15u);
    for (const auto& [key, a] : data.items())
    {
        expectLiveArray(key, a, kStartTime);
    }
    const std::vector<LogEntry> log = m_service->log("/v5/traffic");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].aircraft.size(), data.size());
}

// The flight check sets what the program flew against these lines.
TEST_F(Replies, EveryPositionSentGoesToThePositionLogWithItsIdentity)
{
    m_service->setBadEntries(3);
    const json data = traffic(m_guid).at("data");
    const std::vector<LogEntry> log = m_service->log("/v5/traffic");
    ASSERT_EQ(log.size(), 1u);
    const std::filesystem::path file = std::filesystem::path(testing::TempDir()) / "positions.jsonl";
    {
        PositionLog positions(file);
        positions.write(log[0].time, log[0].aircraft);
    }
    std::ifstream in(file);
    std::string line;
    std::size_t lines = 0;
    while (std::getline(in, line))
    {
        const json p = json::parse(line);
        SCOPED_TRACE(line);
        const json& a = data.at(p.at("key").get<std::string>());
        EXPECT_EQ(p.at("callsign"), a[13]);
        EXPECT_EQ(p.at("registration"), a[9]);
        EXPECT_DOUBLE_EQ(p.at("data_time").get<double>(), a[10].get<double>());
        EXPECT_DOUBLE_EQ(p.at("sent").get<double>(), log[0].time);
        EXPECT_EQ(p.at("on_ground").get<bool>(), a[14] == 1);
        // The true altitude, not the pressure altitude sent (QNH 1021 here).
        if (!p.at("on_ground").get<bool>())
        {
            EXPECT_NEAR(p.at("alt_ft").get<double>(), a[4].get<double>(), 250.0);
        }
        ++lines;
    }
    std::filesystem::remove(file);
    const auto flyable = std::count_if(log[0].aircraft.begin(), log[0].aircraft.end(),
                                       [](const SentAircraft& a) { return a.wellFormed; });
    EXPECT_LT(flyable, static_cast<std::ptrdiff_t>(log[0].aircraft.size()));
    EXPECT_EQ(static_cast<std::ptrdiff_t>(lines), flyable) << "entries no decoder takes are left out";
}

TEST_F(Replies, BufferedTrafficHoldsSnapshotsSixSecondsApartYoungestFirst)
{
    const json reply = traffic(m_guid, "locationtraffic", 0, "&buffercount=5&buffertime=6");

    const json& data = reply.at("data");
    ASSERT_EQ(data.size(), 5u);
    std::set<std::string> first;
    for (int k = 0; k < 5; ++k)
    {
        const json& buffer = data.at(fmt::format("buffer_{}", k));
        ASSERT_TRUE(buffer.is_object());
        ASSERT_FALSE(buffer.empty());
        std::set<std::string> keys;
        for (const auto& [key, a] : buffer.items())
        {
            expectLiveArray(key, a, kStartTime - 6.0 * k);
            keys.insert(key);
        }
        if (k == 0)
        {
            first = keys;
        }
        else
        {
            // the same aircraft, 6 s earlier: only flights ending or starting differ
            std::size_t common = 0;
            for (const std::string& key : keys)
            {
                common += first.count(key);
            }
            EXPECT_GE(common * 10, keys.size() * 8);
        }
    }
}

TEST_F(Replies, TimeOffsetMovesTheDataTimesBack)
{
    const json data = traffic(m_guid, "locationtraffic", 90).at("data");
    ASSERT_FALSE(data.empty());
    for (const auto& [key, a] : data.items())
    {
        expectLiveArray(key, a, kStartTime - 90 * 60.0);
    }
}

TEST_F(Replies, ParkedTrafficHas7ElementArraysWithFloatPositions)
{
    const json reply = traffic(m_guid, "parkedtraffic");

    EXPECT_EQ(reply.at("status"), 200);
    const json& data = reply.at("data");
    ASSERT_TRUE(data.is_object());
    EXPECT_EQ(data.size(), 14u + 3u); // the scenario's and the generated ones
    std::set<std::string> stands;
    for (const auto& [key, a] : data.items())
    {
        SCOPED_TRACE(key + ": " + a.dump());
        ASSERT_EQ(a.size(), 7u);
        EXPECT_TRUE(a[0].is_number_float());
        EXPECT_TRUE(a[1].is_number_float());
        EXPECT_TRUE(a[2].is_string());
        EXPECT_TRUE(a[3].is_string());
        EXPECT_TRUE(a[4].is_string());
        EXPECT_TRUE(a[5].is_number_integer());
        EXPECT_TRUE(a[6].is_string());
        EXPECT_TRUE(stands.insert(a[2].get<std::string>()).second) << "two aircraft on one stand";
    }
    EXPECT_EQ(data.at("3c4b26"),
              json::parse(R"([50.048913, 8.563248, "A22", "A320", "D-AIZB", 1749997900, "DLH4AB"])"));
    EXPECT_EQ(data.at("896101")[2], "B46");
}

TEST_F(Replies, ParkedTrafficOnlyInTheBox)
{
    const json data = post("/v5/traffic", fmt::format("GUID={}&top=50.05&bottom=50.04&left=8.56&right=8.57&"
                                                      "querytype=parkedtraffic&toffset=0",
                                                      m_guid))
                          .at("data");
    ASSERT_FALSE(data.empty());
    for (const auto& [key, a] : data.items())
    {
        EXPECT_TRUE((Box{50.05, 50.04, 8.56, 8.57}.contains({a[0].get<double>(), a[1].get<double>()})))
            << a.dump();
    }
}

TEST_F(Replies, NearestMetarListsStationsByDistanceAndNoneOverTheOcean)
{
    const json near =
        post("/v5/nearestmetar", fmt::format("GUID={}&toffset=0&lat=50.0333&lon=8.5705", m_guid));
    ASSERT_TRUE(near.at("data").is_array());
    ASSERT_GE(near.at("data").size(), 2u);
    EXPECT_EQ(near.at("data")[0].at("ICAO"), "EDDF");
    EXPECT_LE(near.at("data")[0].at("Dist").get<double>(), near.at("data")[1].at("Dist").get<double>());
    EXPECT_TRUE(near.at("data")[0].at("METAR").get<std::string>().starts_with("EDDF 151450Z 25009KT"));

    const json ocean =
        post("/v5/nearestmetar", fmt::format("GUID={}&toffset=0&lat=45.0000&lon=-30.0000", m_guid));
    EXPECT_EQ(ocean.at("status"), 200);
    EXPECT_EQ(ocean.at("data"), json::array());
}

struct QnhCase
{
    const char* name;
    json qnh;
};

class WeatherQnh : public ServiceFixture, public testing::WithParamInterface<QnhCase>
{
  protected:
    void prepare(Scenario& s) override { s.qnhJson = GetParam().qnh.dump(); }
};

TEST_P(WeatherQnh, IsSentAsTheScenarioGivesIt)
{
    const std::string guid = login();
    const json reply =
        post("/v5/weather", fmt::format("GUID={}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705"
                                        "&alt=2500&airports=EDDF",
                                        guid));
    EXPECT_EQ(reply.at("status"), 200);
    EXPECT_EQ(reply.at("wrrl"), 1000);
    const json& qnh = reply.at("data").at("QNH");
    EXPECT_EQ(qnh, GetParam().qnh);
    EXPECT_EQ(qnh.is_number_integer(), GetParam().qnh.is_number_integer());
    EXPECT_EQ(qnh.is_number_float(), GetParam().qnh.is_number_float());
    EXPECT_EQ(qnh.is_string(), GetParam().qnh.is_string());
}

INSTANTIATE_TEST_SUITE_P(FakeService, WeatherQnh,
                         testing::Values(QnhCase{"integer", json(1013)}, QnhCase{"float", json(1013.5)},
                                         QnhCase{"text", json("1008")},
                                         QnhCase{"text_with_unit", json("998 hPa")},
                                         QnhCase{"inches_of_mercury", json(2992)},
                                         QnhCase{"letters", json("Q1013")}),
                         [](const testing::TestParamInfo<QnhCase>& p) { return std::string(p.param.name); });

TEST_F(Replies, QnhChangedWhileRunningReachesTheNextReplyAndTheAltitudes)
{
    const json before = traffic(m_guid).at("data");
    m_service->setQnh(json(1033));
    advance(1.0);
    const std::string weather = fmt::format(
        "GUID={}&querytype=locwx&toffset=0&lat=50.0333&lon=8.5705&alt=2500&airports=EDDF", m_guid);
    EXPECT_EQ(post("/v5/weather", weather).at("data").at("QNH"), 1033);

    // a higher QNH lowers the pressure altitude of the same true altitude
    const TrafficGenerator g = m_service->generator();
    const std::vector<LiveAircraft> later = g.liveTraffic(kStartTime, kBox, 0);
    int compared = 0;
    for (const LiveAircraft& a : later)
    {
        // below the transition the feed reports altitudes on the local QNH
        if (before.contains(a.key) && a.altitudeFt < 3900.0)
        {
            EXPECT_NEAR(before.at(a.key)[4].get<double>() - a.array[4].get<double>(), (1033 - 1021) * 27.0,
                        25.0);
            ++compared;
        }
    }
    EXPECT_GT(compared, 5);
}

TEST_F(Replies, BadEntriesOnRequestAreCountedInTheLog)
{
    m_service->setBadEntries(20);
    const json data = traffic(m_guid).at("data");

    const LogEntry entry = m_service->log("/v5/traffic").back();
    ASSERT_EQ(entry.aircraft.size(), data.size());
    std::size_t wellFormed = 0;
    std::size_t not48 = 0;
    for (const SentAircraft& a : entry.aircraft)
    {
        wellFormed += a.wellFormed ? 1 : 0;
        const json& v = data.at(a.key);
        not48 += (!v.is_array() || v.size() != kLiveArraySize) ? 1 : 0;
    }
    EXPECT_EQ(entry.aircraft.size() - wellFormed, 14u);
    EXPECT_EQ(not48, 3u); // short, long, not an array
}

} // namespace
} // namespace ovr::fakert::test
