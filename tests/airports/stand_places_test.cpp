// The stand searches near a position look only at the stands that the index
// of places says can be within reach. These tests hold them to the plain
// searches that measure every stand, on random airports of every shape:
// same stand, same name, same widening.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "airports/nearest_stand.h"
#include "airports/stand_find.h"
#include "airports/stand_find_detail.h"
#include "airports/stand_list.h"
#include "airports/stand_places.h"
#include "airports_test_support.h"
#include "core/code_pool.h"
#include "core/geometry.h"
#include "liveries/model_lookups.h"

namespace ovr::test
{
namespace
{

constexpr double kMetreNm = 1.0 / 1852.0;
constexpr double kNearestStandNm = 55.0 * kMetreNm;
constexpr double kTightNm = 20.0 * kMetreNm;
constexpr double kLearnedNm = 85.0 * kMetreNm;

// The plain searches: every stand measured, in list order, with the same
// rules of what suits.

std::string plainNearestName(const std::vector<Stand>& stands, LatLon at)
{
    double best = 900.0;
    const Stand* nearest = nullptr;
    for (const Stand& stand : stands)
    {
        const double d = gf_distanceNm(at, LatLon{stand.latitude, stand.longitude});
        if (d <= kNearestStandNm && d < best)
        {
            best = d;
            nearest = &stand;
        }
    }
    return nearest ? nearest->name : std::string();
}

struct PlainFound
{
    int index = -1;     // -1: none
    bool widen = false; // the stand is widened to the aircraft
};

PlainFound plainFindStandNear(const std::vector<Stand>& stands, LatLon at, const AiAircraftRecord& aircraft,
                              double maxNm, bool learnedFallback)
{
    double best = 900.0;
    double bestLearned = 900.0;
    int result = -1;
    int fallback = -1;
    int tight = -1;
    bool fallbackAllowed = learnedFallback;
    const bool rotorcraft = aircraft.category == kCategoryRotorcraft;
    for (std::size_t i = 0; i < stands.size(); ++i)
    {
        const Stand& stand = stands[i];
        if (stand.reserved != 0 || (stand.heli != 0) != rotorcraft)
            continue;
        const double d = gf_distanceNm(at, LatLon{stand.latitude, stand.longitude});
        if (d <= maxNm && d < best)
        {
            if (detail::standSuits(stand, aircraft))
            {
                result = static_cast<int>(i);
                best = d;
                fallbackAllowed = false;
            }
            else if (d <= kTightNm)
            {
                result = static_cast<int>(i);
                best = d;
                fallbackAllowed = false;
                tight = static_cast<int>(i);
            }
        }
        else if (fallbackAllowed && d <= kLearnedNm && d < bestLearned && detail::standSuits(stand, aircraft) &&
                 detail::seenAtStand(stand, aircraft))
        {
            fallback = static_cast<int>(i);
            bestLearned = d;
        }
    }
    if (result < 0)
        return PlainFound{fallback, false};
    return PlainFound{result, result == tight && aircraft.radius - kMetreNm > stands[static_cast<std::size_t>(result)].radius};
}

// The shapes of airport the index must not be fooled by.
enum class Layout
{
    Grid,      // rows and columns 80 m apart
    Crowded,   // many stands on few positions: equal distances, first in list wins
    Line,      // one row east to west: the latitude band holds them all
    DateLine,  // both sides of 180 degrees
    Polar,     // near the north pole, where a degree of longitude is short
    Scattered, // over a whole country, with a few stands without a position
};

struct RandomAirport
{
    const char* name;
    Layout layout;
    int stands;
    bool oneByOne; // appended stand by stand rather than set in one edit
    unsigned seed;
};

void PrintTo(const RandomAirport& airport, std::ostream* out)
{
    *out << airport.name;
}

class IndexedStandSearchTest : public ParkAirportTest, public ::testing::WithParamInterface<RandomAirport>
{
  protected:
    std::mt19937 engine{GetParam().seed};

    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(engine); }
    int pick(int count) { return static_cast<int>(engine() % static_cast<unsigned>(count)); }

    LatLon origin() const
    {
        switch (GetParam().layout)
        {
        case Layout::DateLine:
            return LatLon{-17.0, 179.99};
        case Layout::Polar:
            return LatLon{89.97, 0.0};
        default:
            return LatLon{52.3, 4.76};
        }
    }

    // A position metres north and east of the origin, longitude kept in range.
    LatLon offset(LatLon from, double north, double east) const
    {
        LatLon p{from.lat + north / 1852.0 / 60.0,
                 from.lon + east / 1852.0 / 60.0 / std::max(std::cos(from.lat * kDegToRad), 1e-3)};
        if (p.lon > 180.0)
            p.lon -= 360.0;
        return p;
    }

    LatLon standPosition(int i, int count)
    {
        const LatLon o = origin();
        const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
        switch (GetParam().layout)
        {
        case Layout::Grid:
        case Layout::DateLine:
        case Layout::Polar:
            return offset(o, (i / columns) * 80.0, (i % columns - columns / 2) * 80.0);
        case Layout::Crowded:
            return offset(o, pick(4) * 15.0, pick(4) * 15.0);
        case Layout::Line:
            return offset(o, 0.0, (i - count / 2) * 30.0);
        case Layout::Scattered:
            if (i % 97 == 5)
                return LatLon{std::nan(""), 4.0};
            return offset(o, uniform(-3000.0, 3000.0), uniform(-3000.0, 3000.0));
        }
        return o;
    }

    std::vector<Stand> makeStands()
    {
        const std::uint16_t airlines[] = {gf_airlineId("KLM"), gf_airlineId("DLH")};
        const int count = GetParam().stands;
        std::vector<Stand> stands;
        for (int i = 0; i < count; ++i)
        {
            const LatLon p = standPosition(i, count);
            // Untyped, typed for light aircraft, typed for airliners; some helipads.
            const std::uint16_t types[] = {0, 2, 9, 12};
            Stand stand = gf_makeStand("S" + std::to_string(i), {}, p.lat, p.lon, 0.0, uniform(5.0, 30.0),
                                       types[pick(4)], false, false, pick(10) == 0);
            stand.numericId = i + 1;
            stand.reserved = pick(50) == 0 ? 1 : 0;
            if (pick(3) == 0)
            {
                StandOption option;
                option.id = 1;
                option.real = pick(4) == 0 ? 0 : 1;
                option.callsign = "KLM" + std::to_string(pick(5));
                option.key = FlightKey{airlines[pick(2)], 0, gf_modelId(pick(2) == 0 ? "A320" : "B744"), 0, 0};
                stand.options.push_back(option);
            }
            stands.push_back(std::move(stand));
        }
        return stands;
    }

    void load(std::vector<Stand> stands)
    {
        if (GetParam().oneByOne)
            for (Stand& stand : stands)
                g_stands.push_back(std::move(stand));
        else
            g_stands.edit([&](std::vector<Stand>& list) { list = std::move(stands); });
    }

    AiAircraftRecord randomAircraft()
    {
        const char* models[] = {"A320", "B744", "C172", "EC35"};
        AiAircraftRecord ac;
        const char* model = models[pick(4)];
        ac.key = FlightKey{gf_airlineId(pick(2) == 0 ? "KLM" : "DLH"), 0, gf_modelId(model), 0, 0};
        ac.category = static_cast<std::uint32_t>(gf_categoryOfModel(ac.key.model));
        ac.radius = uniform(4.0, 35.0) * kMetreNm;
        ac.callsign = pick(3) == 0 ? std::string() : "KLM" + std::to_string(pick(5));
        return ac;
    }

    // Near a stand most of the time, anywhere around the airport otherwise.
    LatLon randomQuery(const std::vector<Stand>& stands)
    {
        const Stand& near = stands[static_cast<std::size_t>(pick(static_cast<int>(stands.size())))];
        if (pick(4) != 0 && std::isfinite(near.latitude))
            return offset(LatLon{near.latitude, near.longitude}, uniform(-90.0, 90.0), uniform(-90.0, 90.0));
        return standPosition(pick(GetParam().stands), GetParam().stands);
    }

    // Every kind of search at random positions, each against the plain one
    // on a copy of the list that is widened as the list is.
    void compareSearches(int queries)
    {
        const double distances[] = {0.0, 10.0, 30.0, 55.0, 110.0, 400.0, 1e7};
        std::vector<Stand> plain(g_stands.begin(), g_stands.end());
        for (int q = 0; q < queries; ++q)
        {
            const LatLon at = randomQuery(plain);
            EXPECT_EQ(gf_nearestStandName(at.lat, at.lon), plainNearestName(plain, at)) << "query " << q;

            const AiAircraftRecord ac = randomAircraft();
            const double maxNm = distances[pick(7)] * kMetreNm;
            const bool wide = pick(2) == 0;
            const PlainFound expected = plainFindStandNear(plain, at, ac, maxNm, wide);
            const Stand* found = gf_findStandNear(at, ac, maxNm, wide);
            const int index = found ? static_cast<int>(found - &*g_stands.begin()) : -1;
            ASSERT_EQ(index, expected.index) << "query " << q << " within " << maxNm / kMetreNm << " m";
            if (expected.widen)
                plain[static_cast<std::size_t>(index)].radius = ac.radius - kMetreNm;
            if (index >= 0)
            {
                EXPECT_DOUBLE_EQ(g_stands[static_cast<std::size_t>(index)].radius,
                                 plain[static_cast<std::size_t>(index)].radius)
                    << "query " << q;
            }
        }
    }
};

TEST_P(IndexedStandSearchTest, FindsWhatThePlainSearchFinds)
{
    const std::vector<Stand> stands = makeStands();
    load(stands);
    compareSearches(400);
}

// The index follows the list through appends, moves and clears.
TEST_P(IndexedStandSearchTest, FollowsEveryChangeOfTheList)
{
    load(makeStands());
    g_stands.push_back(gf_makeStand("late", {}, origin().lat, origin().lon, 0.0, 20.0, 0, false, false, false));
    compareSearches(50);

    g_stands.edit(
        [&](std::vector<Stand>& list)
        {
            for (Stand& stand : list)
            {
                const LatLon moved = offset(LatLon{stand.latitude, stand.longitude}, uniform(-40.0, 40.0), 0.0);
                stand.latitude = moved.lat;
            }
            list.erase(list.begin());
        });
    compareSearches(50);

    gf_clearStands();
    load(makeStands());
    compareSearches(50);
}

INSTANTIATE_TEST_SUITE_P(
    RandomAirports, IndexedStandSearchTest,
    ::testing::Values(RandomAirport{"Grid", Layout::Grid, 3000, false, 1},
                      RandomAirport{"GridOneByOne", Layout::Grid, 400, true, 2},
                      RandomAirport{"Crowded", Layout::Crowded, 300, true, 3},
                      RandomAirport{"Line", Layout::Line, 500, false, 4},
                      RandomAirport{"DateLine", Layout::DateLine, 400, false, 5},
                      RandomAirport{"Polar", Layout::Polar, 400, true, 6},
                      RandomAirport{"Scattered", Layout::Scattered, 1000, false, 7}),
    [](const ::testing::TestParamInfo<RandomAirport>& airport) { return std::string(airport.param.name); });

// What the index promises its searches: every stand within the distance is
// visited, each once, wherever on the earth and however far.
TEST(StandPlacesTest, VisitsEveryStandWithinTheDistanceOnce)
{
    std::mt19937 engine(11);
    auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(engine); };
    for (int round = 0; round < 20; ++round)
    {
        const LatLon centre{uniform(-89.9, 89.9), uniform(-180.0, 180.0)};
        const double spread = round % 4 == 0 ? 40.0 : 0.05;
        std::vector<Stand> stands;
        for (int i = 0; i < 300; ++i)
        {
            double lon = centre.lon + uniform(-spread, spread);
            lon = lon > 180.0 ? lon - 360.0 : (lon < -180.0 ? lon + 360.0 : lon);
            stands.push_back(gf_makeStand("S", {}, std::clamp(centre.lat + uniform(-spread, spread), -90.0, 90.0),
                                          lon, 0.0, 20.0, 0, false, false, false));
        }
        StandPlaces places;
        places.rebuild(stands);
        for (int q = 0; q < 20; ++q)
        {
            const LatLon at{std::clamp(centre.lat + uniform(-spread, spread), -90.0, 90.0), centre.lon};
            const double distanceNm = round % 4 == 0 ? uniform(0.0, 6000.0) : uniform(0.0, 2.0);
            std::vector<int> visits(stands.size(), 0);
            places.forEachWithin(at, distanceNm, [&](std::size_t i) { ++visits[i]; });
            for (std::size_t i = 0; i < stands.size(); ++i)
            {
                EXPECT_LE(visits[i], 1);
                if (gf_distanceNm(at, LatLon{stands[i].latitude, stands[i].longitude}) <= distanceNm)
                {
                    EXPECT_EQ(visits[i], 1) << "round " << round << " stand " << i;
                }
            }
        }
    }
}

} // namespace
} // namespace ovr::test
