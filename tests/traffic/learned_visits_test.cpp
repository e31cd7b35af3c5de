// Leaving a park airport and coming back, three times, with a learned file
// seeded beforehand: every save keeps what the file held, option by option.
// A learned file's options of an aircraft that flies live meanwhile (the
// static-parking search sets them aside) stay, and a handmade file keeps the
// options it was read with.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "airports/airport_list.h"
#include "airports/apf_reader.h"
#include "airports/park_airport.h"
#include "airports/stand_list.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "traffic/live_aircraft.h"
#include "park_airport_session.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr double kVisitAirportLat = 50.0;
constexpr double kVisitAirportLon = 8.0;

struct VisitStand
{
    const char* name;
    double lon;
    const char* options; // the stand's <opt> elements in the seeded file
};

// Stands about 143 m apart on one row; the user stands on U1. Most options
// hold Monday 09:00-11:29, around the session's start (Monday 10:00); those
// of D-AIQX, which flies live meanwhile, the search sets aside.
const std::vector<VisitStand> kVisitStands{
    {"U1", 8.000, ""},
    {"S1", 8.002, R"(<opt reg="D-AIQX" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH4Q" />)"},
    {"S2", 8.004, R"(<opt reg="D-AIQX" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH4Q" />)"},
    {"S3", 8.006,
     R"(<opt reg="D-AIQX" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH4Q" /><opt reg="D-AIQX" airl="DLH" type="A320" day="2" hh="30:33" cs="DLH4Q" />)"},
    {"S4", 8.008, R"(<opt reg="D-AIQX" airl="DLH" type="A320" day="1" hh="18:22" cs="DLH4Q" />)"},
    {"S5", 8.010, R"(<opt reg="G-EUUA" airl="BAW" type="A320" day="1" hh="18:22" cs="BAW21" />)"},
    {"S6", 8.012, R"(<opt reg="F-HBNA" airl="AFR" type="E190" day="3" hh="10:12" cs="AFR31" soft="true" />)"},
};

const fs::path& learnedFile()
{
    static const fs::path path = g_learnedThirdpartyPath / "Test" / "EDDF.xml";
    return path;
}

// The airport file holds the stands without options; the learned file
// beside it holds the options (a handmade one the whole airport).
void writeFiles(bool handmade)
{
    std::vector<ParkposLine> lines;
    for (const VisitStand& s : kVisitStands)
        lines.push_back(ParkposLine{s.name, kVisitAirportLat, s.lon, 90.0, 20.0, ""});
    writeParkingFile("Visits", "Test", 0.0, lines);

    fs::create_directories(learnedFile().parent_path());
    std::ofstream out(learnedFile(), std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n" << kParkingFileMeta << "  <parameters>\n"
        << "    <parameter name=\"icao\" value=\"EDDF\" />\n"
        << "    <parameter name=\"airport_name\" value=\"Visits\" />\n";
    if (handmade)
        out << "    <parameter name=\"handmade\" value=\"true\" />\n";
    out << "  </parameters>\n  <parkpositions>\n";
    for (const VisitStand& s : kVisitStands)
    {
        if (handmade)
            out << fmt::format(
                       R"(    <parkpos id="{}" latitude="{:.6f}" longitude="{:.6f}" heading="90.0" radius="20.0" type="0" cargo="false" ramp="false">{}</parkpos>)",
                       s.name, kVisitAirportLat, s.lon, s.options)
                << "\n";
        else if (*s.options != '\0')
            out << fmt::format(R"(    <parkpos id="{}">{}</parkpos>)", s.name, s.options) << "\n";
    }
    out << "  </parkpositions>\n</root>\n";
}

// The options of a learned file, one text per option: stand, registration,
// day, half hours, callsigns and whether it is soft; sorted.
std::vector<std::string> optionsOf(const fs::path& file)
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(file.c_str())) << file;
    std::vector<std::string> out;
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos"))
        for (const pugi::xml_node opt : parkpos.children("opt"))
            out.push_back(fmt::format("{} {} day {} hh {} cs {}{}", parkpos.attribute("id").value(),
                                      opt.attribute("reg").value(), opt.attribute("day").value(),
                                      opt.attribute("hh").value(), opt.attribute("cs").value(),
                                      opt.attribute("soft").as_bool() ? " soft" : ""));
    std::ranges::sort(out);
    return out;
}

fakert::Scenario serviceAtTheAirport()
{
    // D-AIQX flies over the airport the whole time.
    fakert::Scenario s = trackScenario({straightTrack("3c6a55", "DLH4Q", "A320", "D-AIQX", {49.95, 7.9},
                                                      {50.05, 8.1}, 6000.0, 8.0, 0.0, 7200.0)});
    s.airport = fakert::Airport{"EDDF", "FRA", {kVisitAirportLat, kVisitAirportLon}, 0.0};
    for (const VisitStand& stand : kVisitStands)
        s.stands.push_back(fakert::Stand{stand.name, {kVisitAirportLat, stand.lon}, 90.0});
    return s;
}

sim::Pose onTheStand()
{
    sim::Pose pose;
    pose.latDeg = kVisitAirportLat;
    pose.lonDeg = kVisitAirportLon;
    pose.altFt = 0.0;
    pose.onGround = true;
    return pose;
}

class LearnedVisitsTest : public ParkAirportSession, public ::testing::WithParamInterface<bool>
{
  protected:
    void SetUp() override
    {
        ParkAirportSession::SetUp();
        g_airports = {
            Airport{IcaoCode("EDDF"), IataCode("FRA"), kVisitAirportLat, kVisitAirportLon, 0.0f, 1}};
        CUSTOM_PARKING_PERCENTAGE.current.store(100);
        MAX_PARK_SEL.current.store(500);
    }

};

TEST_P(LearnedVisitsTest, EveryLeaveSavesTheOptionsTheFileHeld)
{
    const bool handmade = GetParam();
    sim::Scenario user = airborneUser(kVisitAirportLat, kVisitAirportLon, 0.0);
    user.user.pose.onGround = true;
    start(std::move(user), serviceAtTheAirport());
    writeFiles(handmade);
    const std::vector<std::string> seeded = optionsOf(learnedFile());
    ASSERT_EQ(seeded.size(), 7u);

    for (int visit = 1; visit <= 3; ++visit)
    {
        SCOPED_TRACE(fmt::format("visit {}", visit));
        // Back to the stand within a minute (a jump would be a new flight).
        if (visit > 1)
            world().apply(sim::script::Move{onTheStand(), 60'000});
        runFor(100s);
        ASSERT_EQ(g_parkAirport.icao.text(), "EDDF");
        ASSERT_EQ(g_handmade, handmade);
        // G-EUUA's option is this hour's; D-AIQX flies live.
        EXPECT_TRUE(std::ranges::any_of(g_staticAircraft, [](const StaticAc& a) { return a.callsign == "BAW21*"; }));
        EXPECT_TRUE(std::ranges::none_of(g_staticAircraft, [](const StaticAc& a) { return a.callsign == "DLH4Q*"; }));

        flyAway(kVisitAirportLat, kVisitAirportLon);
        runFor(100s);
        ASSERT_TRUE(g_parkAirport.icao.empty());
        const std::vector<std::string> saved = logWith("EDDF.xml' saved with");
        ASSERT_EQ(saved.size(), static_cast<std::size_t>(visit));
        EXPECT_EQ(saved.back().find(" handmade '") != std::string::npos, handmade) << saved.back();
        EXPECT_EQ(optionsOf(learnedFile()), seeded);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LearnedVisitsTest, ::testing::Values(false, true),
                         [](const auto& caseInfo) { return caseInfo.param ? "handmade" : "learned"; });

} // namespace
} // namespace ovr::test
