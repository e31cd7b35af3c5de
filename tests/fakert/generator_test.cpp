// The traffic generator: deterministic, moving like real traffic around the
// scenario airport, and honest about which of its entries a decoder keeps.
#include "service_fixture.h"

#include "fake-rt/flight_path.h"
#include "fake-rt/registration_pattern.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

namespace ovr::fakert::test
{
namespace
{

using nlohmann::json;

// What a decoder that follows the live-record rules keeps of one value,
// leaving out its range, ground and settings filters.
bool decodable(const json& v)
{
    if (!v.is_array() || v.size() != kLiveArraySize)
    {
        return false;
    }
    const auto number = [&](std::size_t i) { return v[i].is_number() ? v[i].get<double>() : 0.0; };
    const auto text = [&](std::size_t i)
    { return v[i].is_string() ? v[i].get<std::string>() : std::string(); };
    std::string registration = text(9);
    if (registration.size() > 12)
    {
        return false;
    }
    const std::string type = text(8);
    static const std::set<std::string> refusedCategories{"B1", "B2", "B4", "C1", "C2"};
    static const std::set<std::string> pseudoTypes{"BALL", "EMER", "GLID", "GRND", "GND",
                                                   "PARA", "SERV", "SHIP", "VENT", "TWR"};
    if (type.empty() || type == "null" || refusedCategories.contains(text(28)) || type.size() > 4 ||
        pseudoTypes.contains(type))
    {
        return false;
    }
    const double lat = number(1);
    const double lon = number(2);
    if (lat < -90 || lat > 90 || lon < -180 || lon > 180 ||
        (std::fabs(lat) <= 0.0001 && std::fabs(lon) <= 0.0001))
    {
        return false;
    }
    if (text(17) == "adsb_icao" && number(25) > 360.0)
    {
        return false;
    }
    const std::string hex = text(0);
    std::size_t digits = 0;
    while (digits < hex.size() && digits < 8 && std::isxdigit(static_cast<unsigned char>(hex[digits])))
    {
        ++digits;
    }
    if (digits == 0 || std::stoul(hex.substr(0, digits), nullptr, 16) <= 10000)
    {
        return false;
    }
    std::string callsign = text(13);
    static const std::set<std::string> testCallsigns{"ERARMTR0", "ERARMTR1", "AIRPORT1",
                                                     "00000000", "TR852",    "TEST"};
    if (callsign == "null" || callsign.find('@') != std::string::npos)
    {
        callsign.clear();
    }
    else if (testCallsigns.contains(callsign))
    {
        return false;
    }
    if (registration == "null")
    {
        registration.clear();
    }
    if (callsign.empty() && registration.empty())
    {
        return false;
    }
    for (std::size_t i : {11, 12})
    {
        const std::string code = text(i);
        if (!code.empty() && code != "null" &&
            (code.size() != 3 ||
             !std::all_of(code.begin(), code.end(), [](unsigned char c) { return std::isalnum(c) != 0; })))
        {
            return false;
        }
    }
    return true;
}

class Generator : public testing::Test
{
  protected:
    Scenario m_scenario = demoScenario();
    TrafficGenerator m_generator{m_scenario};
};

TEST_F(Generator, SameSeedAndTimeGiveTheSameFeedAndAnotherSeedAnother)
{
    const json a = TrafficGenerator::toData(m_generator.liveTraffic(kStartTime, kBox, 5));
    const json b = TrafficGenerator::toData(TrafficGenerator(m_scenario).liveTraffic(kStartTime, kBox, 5));
    EXPECT_EQ(a.dump(), b.dump());

    Scenario other = m_scenario;
    other.traffic.seed += 1;
    EXPECT_NE(TrafficGenerator::toData(TrafficGenerator(other).liveTraffic(kStartTime, kBox, 5)).dump(),
              a.dump());
}

TEST_F(Generator, EveryAircraftHasItsOwnAddressAndRegistration)
{
    for (double t = kStartTime; t < kStartTime + 3600.0; t += 97.0)
    {
        const std::vector<LiveAircraft> all = m_generator.liveTraffic(t);
        // slots whose aircraft stands at a stand with its transponder off are empty
        EXPECT_LE(all.size(), static_cast<std::size_t>(m_scenario.traffic.aircraft));
        EXPECT_GE(all.size() * 2, static_cast<std::size_t>(m_scenario.traffic.aircraft));
        std::set<std::string> keys;
        std::set<std::string> registrations;
        for (const LiveAircraft& a : all)
        {
            EXPECT_TRUE(keys.insert(a.key).second) << a.key;
            EXPECT_TRUE(registrations.insert(a.array[9].get<std::string>()).second) << a.array.dump();
            EXPECT_EQ(a.array[0], a.key);
            EXPECT_TRUE(decodable(a.array)) << a.array.dump();
            EXPECT_GE(t - a.dataTime, 1.0);
            EXPECT_LE(t - a.dataTime, 6.0);
        }
    }
}

TEST_F(Generator, AircraftMoveOnSmoothlyBetweenRequests)
{
    std::size_t kept = 0;
    std::size_t total = 0;
    for (double t = kStartTime; t < kStartTime + 1800.0; t += 60.0)
    {
        std::map<std::string, LiveAircraft> before;
        for (LiveAircraft& a : m_generator.liveTraffic(t))
        {
            before.emplace(a.key, std::move(a));
        }
        for (const LiveAircraft& a : m_generator.liveTraffic(t + 2.0))
        {
            ++total;
            const auto it = before.find(a.key);
            if (it == before.end())
            {
                continue;
            }
            ++kept;
            // at most 7 s between the two data times, at most 500 kt
            EXPECT_LE(distanceNm(it->second.pos, a.pos), 1.0) << a.key;
            EXPECT_EQ(it->second.array[13], a.array[13]) << "a flight keeps its callsign";
        }
    }
    EXPECT_GE(kept * 100, total * 97);
}

TEST_F(Generator, FliesWhatRealTrafficFliesAroundTheAirport)
{
    const LatLon airport = m_scenario.airport.pos;
    int onFinal = 0;
    int climbing = 0;
    int taxiing = 0;
    int cruising = 0;
    for (double t = kStartTime; t < kStartTime + 3 * 3600.0; t += 61.0)
    {
        for (const LiveAircraft& a : m_generator.liveTraffic(t))
        {
            const double gs = a.array[5].get<double>();
            const double vs = a.array[15].get<double>();
            const double track = a.array[3].get<double>();
            const double fromAirport = distanceNm(airport, a.pos);
            SCOPED_TRACE(a.array.dump());
            if (a.onGround)
            {
                EXPECT_LE(fromAirport, 3.0);
                EXPECT_LE(gs, 156.0);
                EXPECT_EQ(a.array[14], 1);
                taxiing += (gs > 5.0 && gs <= 16.0) ? 1 : 0;
                continue;
            }
            EXPECT_EQ(a.array[14], 0);
            switch (a.role)
            {
            case FlightRole::Arrival:
                EXPECT_LE(vs, 0.0);
                EXPECT_LE(a.altitudeFt, 364.0 + 8500.0);
                EXPECT_LE(fromAirport, 35.0);
                for (const char* name : {"25R", "25L"})
                {
                    const Runway& rw = *m_scenario.runway(name);
                    onFinal +=
                        (distanceNm(rw.threshold, a.pos) < 8.0 && std::fabs(track - rw.headingTrue) < 1.0 &&
                         a.altitudeFt < rw.elevationFt + 2600.0)
                            ? 1
                            : 0;
                }
                break;
            case FlightRole::Departure:
                EXPECT_GE(vs, 0.0);
                EXPECT_LE(fromAirport, 50.0);
                climbing += vs > 1000.0 ? 1 : 0;
                break;
            case FlightRole::Overflight:
                EXPECT_GE(gs, 400.0);
                EXPECT_GE(a.altitudeFt, 6000.0);
                cruising += a.altitudeFt >= 30000.0 ? 1 : 0;
                break;
            default:
                ADD_FAILURE() << "airborne ground movement";
            }
        }
    }
    EXPECT_GT(onFinal, 10);
    EXPECT_GT(climbing, 10);
    EXPECT_GT(taxiing, 10);
    EXPECT_GT(cruising, 10);
}

TEST_F(Generator, AirborneOnlyLeavesTheGroundOut)
{
    m_scenario.traffic.airborneOnly = true;
    const TrafficGenerator airborne(m_scenario);
    const std::vector<LiveAircraft> all = m_generator.liveTraffic(kStartTime, kBox, 0);
    const std::vector<LiveAircraft> air = airborne.liveTraffic(kStartTime, kBox, 0);
    const auto grounded =
        std::count_if(all.begin(), all.end(), [](const LiveAircraft& a) { return a.onGround; });
    ASSERT_GT(grounded, 0);
    EXPECT_EQ(air.size(), all.size() - static_cast<std::size_t>(grounded));
    EXPECT_TRUE(std::none_of(air.begin(), air.end(), [](const LiveAircraft& a) { return a.onGround; }));
}

TEST_F(Generator, BadEntriesAreMarkedAsADecoderTreatsThem)
{
    const std::vector<std::string> kinds = TrafficGenerator::defectKinds();
    const std::vector<LiveAircraft> feed =
        m_generator.liveTraffic(kStartTime, kBox, static_cast<int>(kinds.size()));
    std::size_t wellFormed = 0;
    std::size_t good = 0;
    std::set<std::string> seen;
    for (const LiveAircraft& a : feed)
    {
        EXPECT_EQ(decodable(a.array), a.wellFormed) << a.defect << ": " << a.array.dump();
        wellFormed += a.wellFormed ? 1 : 0;
        if (a.role == FlightRole::Defective)
        {
            seen.insert(a.defect);
            EXPECT_TRUE(kBox.contains(a.pos));
        }
        else
        {
            ++good;
        }
    }
    EXPECT_EQ(seen.size(), kinds.size());
    EXPECT_EQ(wellFormed, good + 6); // the tolerated defects
    EXPECT_EQ(TrafficGenerator::toData(feed).size(), feed.size());
}

TEST_F(Generator, ParkedAircraftStandAtTheirStandsSeenAtTheirTimes)
{
    const std::vector<ParkedEntry> parked = m_generator.parkedTraffic(kStartTime, kBox);
    ASSERT_EQ(parked.size(), m_scenario.parked.size() + 15u);
    std::set<std::string> keys;
    std::set<std::string> stands;
    for (const ParkedEntry& p : parked)
    {
        EXPECT_TRUE(keys.insert(p.key).second);
        const std::string stand = p.array[2].get<std::string>();
        EXPECT_TRUE(stands.insert(stand).second) << stand;
        const Stand* s = m_scenario.stand(stand);
        ASSERT_NE(s, nullptr);
        EXPECT_NEAR(p.array[0].get<double>(), s->pos.lat, 1e-6);
        const double age = kStartTime - p.array[5].get<double>();
        EXPECT_GE(age, 0.0);
        EXPECT_LE(age, 20 * 3600.0 + 1.0);
    }
    const json data = TrafficGenerator::toData(parked);
    EXPECT_EQ(data.at("a8c123"),
              json::parse(R"([50.048542, 8.57621, "C14", "B763", "N667UA", 1749991000, "UAL933"])"));
}

TEST(FlightPath, TurnsAroundTheRightCentreAtTheRightSpeed)
{
    const double radius = 2000.0;
    FlightPath p({0.0, 0.0}, 0.0, 5000.0, 200.0, false);
    p.turn(radius, 90.0, 5000.0, 200.0).straight(1000.0, 4000.0, 100.0);

    const PathState endOfTurn = p.at(radius * 3.14159265358979 / 2.0 / (200.0 * kMetresPerSecondPerKnot));
    EXPECT_NEAR(endOfTurn.pos.x, radius, 0.5);
    EXPECT_NEAR(endOfTurn.pos.y, radius, 0.5);
    EXPECT_NEAR(endOfTurn.trackDeg, 90.0, 0.01);

    const PathState inTurn = p.at(10.0);
    EXPECT_GT(inTurn.rollDeg, 20.0);
    EXPECT_LT(inTurn.rollDeg, 35.0);
    EXPECT_NEAR(std::hypot(inTurn.pos.x - radius, inTurn.pos.y), radius, 0.5);

    // decelerating 200 -> 100 kt over 1000 m takes 1000 m / 150 kt
    const double legTime = 1000.0 / (150.0 * kMetresPerSecondPerKnot);
    EXPECT_NEAR(p.duration() - legTime, radius * 3.14159265358979 / 2.0 / (200.0 * kMetresPerSecondPerKnot),
                1e-6);
    const PathState end = p.at(p.duration());
    EXPECT_NEAR(end.groundSpeedKt, 100.0, 1e-6);
    EXPECT_NEAR(end.altitudeFt, 4000.0, 1e-6);
    EXPECT_NEAR(end.pos.x, radius + 1000.0, 0.5);
    EXPECT_LT(p.at(p.duration() - 1.0).verticalRateFpm, 0.0);
}

TEST(FlightPath, LegsBetweenStandstillsStillMove)
{
    FlightPath p({0.0, 0.0}, 0.0, 300.0, 0.0, true);
    p.stop(10.0).to({0.0, 100.0}, 300.0, 0.0);
    EXPECT_NEAR(p.at(5.0).pos.y, 0.0, 1e-9);
    EXPECT_GT(p.duration(), 10.0);
    EXPECT_NEAR(p.at(p.duration()).pos.y, 100.0, 1e-6);
    EXPECT_GT(p.at(10.0 + (p.duration() - 10.0) / 2.0).pos.y, 10.0);
}

struct PatternCase
{
    const char* pattern;
    unsigned long long count;
    unsigned long long index;
    const char* registration;
};

class RegistrationPatterns : public testing::TestWithParam<PatternCase>
{
};

TEST_P(RegistrationPatterns, FillTheVariablePlaces)
{
    const PatternCase& c = GetParam();
    EXPECT_TRUE(isRegistrationPattern(c.pattern));
    EXPECT_EQ(registrationCount(c.pattern), c.count);
    EXPECT_EQ(fillRegistration(c.pattern, c.index), c.registration);
}

INSTANTIATE_TEST_SUITE_P(FakeService, RegistrationPatterns,
                         testing::Values(PatternCase{"D-AI[PQUZ]?", 104, 0, "D-AIPA"},
                                         PatternCase{"D-AI[PQUZ]?", 104, 103, "D-AIZZ"},
                                         PatternCase{"D-AI[PQUZ]?", 104, 104 + 27, "D-AIQB"},
                                         PatternCase{"N6##UA", 100, 42, "N642UA"},
                                         PatternCase{"A6-E[DEOU]?", 104, 26, "A6-EEA"},
                                         PatternCase{"9V-SMF", 1, 5, "9V-SMF"}));

TEST(RegistrationPatterns, RefuseWhatCannotBeARegistration)
{
    for (const char* bad : {"", "D-AI[PQ?", "D-AI[]A", "D_AIZA", "D-ABCDEFGHIJK?", "D-AIZ ?"})
    {
        EXPECT_FALSE(isRegistrationPattern(bad)) << bad;
    }
}

TEST(AddressBlocks, FollowTheRegistrationsCountry)
{
    EXPECT_EQ(hexAddressFor("D-AIZA") >> 18, 0x3C0000u >> 18);
    EXPECT_EQ(hexAddressFor("A6-EDB") >> 12, 0x896u);
    EXPECT_EQ(hexAddressFor("G-EUYA") >> 18, 0x400000u >> 18);
    EXPECT_GE(hexAddressFor("N667UA"), 0xA00000u);
    EXPECT_LT(hexAddressFor("N667UA"), 0xAE0000u);
    EXPECT_EQ(hexAddressFor("D-AIZA"), hexAddressFor("D-AIZA"));
}

} // namespace
} // namespace ovr::fakert::test

namespace ovr::fakert::test
{
namespace
{

// A track of 300 s due east at 6,000 ft and 300 kt, through the defects'
// members as a scenario file gives them.
Scenario defectiveTrackScenario(const nlohmann::json& defects)
{
    nlohmann::json track{{"hex", "3C6A01"},
                         {"callsign", "DLH401"},
                         {"type", "A20N"},
                         {"registration", "D-AINB"},
                         {"points",
                          {{{"t", 0}, {"lat", 50.0}, {"lon", 8.0}, {"alt_ft", 6000}, {"gs_kt", 300}},
                           {{"t", 300}, {"lat", 50.0}, {"lon", 8.0 + 25.0 / 60.0 / 0.6428}, {"alt_ft", 6000},
                            {"gs_kt", 300}}}}};
    track.update(defects);
    const nlohmann::json airport{{"icao", "EDDF"}, {"iata", "FRA"}, {"lat", 50.0}, {"lon", 8.0}};
    return parseScenario(nlohmann::json{{"airport", airport},
                                        {"tracks_epoch", "start"},
                                        {"traffic", {{"aircraft", 0}}},
                                        {"tracks", {track}}},
                         kStartTime);
}

std::optional<LiveAircraft> trackAt(const TrafficGenerator& g, double trackSecond)
{
    // Tracks report one second before the moment asked for.
    for (LiveAircraft& a : g.liveTraffic(kStartTime + trackSecond + 1.0))
    {
        if (a.key == "3C6A01")
            return a;
    }
    return std::nullopt;
}

TEST(TrackDefects, SparseReportsRepeatTheLastOneUntilTheNext)
{
    const TrafficGenerator g(defectiveTrackScenario({{"interval_s", 20}}));
    const std::optional<LiveAircraft> at25 = trackAt(g, 25.0);
    const std::optional<LiveAircraft> at39 = trackAt(g, 39.0);
    const std::optional<LiveAircraft> at40 = trackAt(g, 40.0);
    ASSERT_TRUE(at25 && at39 && at40);
    EXPECT_DOUBLE_EQ(at25->dataTime, kStartTime + 20.0);
    EXPECT_DOUBLE_EQ(at39->dataTime, kStartTime + 20.0);
    EXPECT_DOUBLE_EQ(at39->pos.lon, at25->pos.lon);
    EXPECT_DOUBLE_EQ(at40->dataTime, kStartTime + 40.0);
    EXPECT_GT(at40->pos.lon, at39->pos.lon);
}

TEST(TrackDefects, AGapTakesTheAircraftOutOfTheFeed)
{
    const TrafficGenerator g(defectiveTrackScenario({{"gaps", {{100, 190}}}}));
    EXPECT_TRUE(trackAt(g, 99.0).has_value());
    EXPECT_FALSE(trackAt(g, 100.0).has_value());
    EXPECT_FALSE(trackAt(g, 189.0).has_value());
    EXPECT_TRUE(trackAt(g, 190.0).has_value());
}

TEST(TrackDefects, AJumpPutsItsReportsToTheRightOfTheTrack)
{
    const TrafficGenerator g(defectiveTrackScenario({{"jumps", {{{"from", 150}, {"to", 152}, {"right_nm", 8}}}}}));
    const std::optional<LiveAircraft> before = trackAt(g, 149.0);
    const std::optional<LiveAircraft> jumped = trackAt(g, 150.0);
    const std::optional<LiveAircraft> after = trackAt(g, 152.0);
    ASSERT_TRUE(before && jumped && after);
    // Due east: the right is south.
    EXPECT_NEAR(distanceNm(before->pos, jumped->pos), 8.0, 0.1);
    EXPECT_LT(jumped->pos.lat, before->pos.lat - 0.1);
    EXPECT_NEAR(after->pos.lat, 50.0, 1e-6);
    EXPECT_NEAR(jumped->array[1].get<double>(), jumped->pos.lat, 1e-6) << "sent where it is said to be";
}

TEST(TrackDefects, WithoutVerticalRateADescentSendsNone)
{
    Scenario s = defectiveTrackScenario({{"vertical_rate", false}});
    s.tracks[0].points[1].altitudeFt = 2000.0;
    const std::optional<LiveAircraft> a = trackAt(TrafficGenerator(s), 100.0);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->array[15], 0);
    EXPECT_TRUE(a->array[26].is_null());
    EXPECT_LT(a->altitudeFt, 6000.0);
}

TEST(TrackDefects, PointsOnTheGroundAtTheFieldElevation)
{
    Scenario s = defectiveTrackScenario(nlohmann::json::object());
    for (TrackPoint& p : s.tracks[0].points)
    {
        p.altitudeFt = 364.0;
        p.groundSpeedKt = 20.0;
    }
    s.tracks[0].points[1].onGround = true;
    const TrafficGenerator g(s);
    EXPECT_FALSE(trackAt(g, 100.0)->onGround) << "between a point in the air and one on the ground";
    EXPECT_TRUE(trackAt(g, 300.0)->onGround);
    EXPECT_THROW(defectiveTrackScenario({{"points", {{{"t", 0}, {"lat", 50}, {"lon", 8}, {"on_ground", 1}},
                                                     {{"t", 1}, {"lat", 50}, {"lon", 8}}}}}),
                 std::runtime_error);
}

} // namespace
} // namespace ovr::fakert::test
