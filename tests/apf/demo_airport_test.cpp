// The demo's EDDF airport file and the two stand-ins' demo scenarios describe
// the same stands: a parked aircraft of the fake service finds its stand in
// the file, the simulator's facility data generate the same stands, and the
// user aircraft starts on a stand of the file that no parked aircraft takes.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "platform/simconnect/scenario_json.h"

namespace ovr::test
{
namespace
{

namespace fs = std::filesystem;

const fs::path kSource{VORA_SOURCE_DIR};
constexpr double kEarthRadiusM = 6371000.0;
constexpr double kDegree = 3.14159265358979323846 / 180.0;

struct FileStand
{
    double lat = 0.0;
    double lon = 0.0;
    double heading = 0.0;
    int type = 0;
};

std::map<std::string, FileStand> lf_fileStands()
{
    pugi::xml_document document;
    const fs::path file = kSource / "data" / "airports" / "my_thirdparty" / "EDDF.xml";
    EXPECT_TRUE(document.load_file(file.c_str())) << file;
    std::map<std::string, FileStand> stands;
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos"))
    {
        stands[parkpos.attribute("id").as_string()] =
            FileStand{parkpos.attribute("latitude").as_double(), parkpos.attribute("longitude").as_double(),
                      parkpos.attribute("heading").as_double(), parkpos.attribute("type").as_int()};
    }
    return stands;
}

double lf_metres(double lat1, double lon1, double lat2, double lon2)
{
    const double north = (lat2 - lat1) * kDegree * kEarthRadiusM;
    const double east = (lon2 - lon1) * kDegree * kEarthRadiusM * std::cos(lat1 * kDegree);
    return std::hypot(north, east);
}

// The file's stand nearest to a position and its distance in metres.
std::pair<std::string, double> lf_nearest(const std::map<std::string, FileStand>& stands, double lat, double lon)
{
    std::pair<std::string, double> best{"", 1e12};
    for (const auto& [name, stand] : stands)
    {
        const double d = lf_metres(lat, lon, stand.lat, stand.lon);
        if (d < best.second)
            best = {name, d};
    }
    return best;
}

nlohmann::json lf_serviceScenario()
{
    return nlohmann::json::parse(std::ifstream(kSource / "data" / "scenarios" / "rt-demo.json"));
}

TEST(DemoAirport, HoldsEveryStandOfTheServiceScenario)
{
    const auto stands = lf_fileStands();
    const nlohmann::json service = lf_serviceScenario();
    ASSERT_EQ(stands.size(), service["stands"].size());
    for (const auto& s : service["stands"])
    {
        const std::string name = s["name"];
        const auto it = stands.find(name);
        ASSERT_NE(it, stands.end()) << name;
        EXPECT_LT(lf_metres(it->second.lat, it->second.lon, s["lat"], s["lon"]), 0.5) << name;
        EXPECT_NEAR(it->second.heading, s["heading"].get<double>(), 0.05) << name;
    }
    for (const auto& parked : service["parked"])
    {
        EXPECT_TRUE(stands.contains(parked["stand"].get<std::string>())) << parked["stand"];
    }
}

TEST(DemoAirport, SimulatorFacilitiesAndUserStandAgreeWithTheFile)
{
    const auto stands = lf_fileStands();
    std::set<std::string> taken;
    const nlohmann::json service = lf_serviceScenario();
    for (const auto& parked : service["parked"])
    {
        taken.insert(parked["stand"].get<std::string>());
    }
    constexpr int kVehicles = 13;
    const std::vector<std::pair<std::string, sim::Scenario>> scenarios{
        {"sim-demo.json", sim::loadScenarioFile(kSource / "data" / "scenarios" / "sim-demo.json")},
        {"sim-strict.json", sim::loadScenarioFile(kSource / "data" / "scenarios" / "sim-strict.json")},
        {"built in", sim::builtInScenario()},
    };
    for (const auto& [name, scenario] : scenarios)
    {
        SCOPED_TRACE(name);
        ASSERT_EQ(scenario.airports.size(), 1U);
        const sim::AirportFacility& eddf = scenario.airports[0];
        EXPECT_EQ(eddf.icao, "EDDF");
        std::size_t parkings = 0;
        for (const sim::TaxiParking& p : eddf.parkings)
        {
            if (p.type == kVehicles)
                continue;
            ++parkings;
            const double lat = eddf.latDeg + p.biasZM / kEarthRadiusM / kDegree;
            const double lon = eddf.lonDeg + p.biasXM / (kEarthRadiusM * std::cos(eddf.latDeg * kDegree)) / kDegree;
            const auto [stand, metres] = lf_nearest(stands, lat, lon);
            EXPECT_LT(metres, 1.0) << stand;
            EXPECT_EQ(stands.at(stand).type, p.type) << stand;
            EXPECT_NEAR(stands.at(stand).heading, p.headingDeg, 0.05) << stand;
            EXPECT_EQ(std::to_string(p.number), stand.substr(1)) << stand;
        }
        if (name != "built in")
        {
            EXPECT_EQ(parkings, stands.size());
        }
        const auto [userStand, metres] = lf_nearest(stands, scenario.user.pose.latDeg, scenario.user.pose.lonDeg);
        EXPECT_LT(metres, 1.0) << userStand;
        EXPECT_FALSE(taken.contains(userStand)) << userStand;
    }
}

} // namespace
} // namespace ovr::test
