#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "airports/adjacent_stands.h"
#include "airports_test_support.h"

namespace ovr::test
{
namespace
{

struct PairCase
{
    double radiusA;
    double radiusB;
    bool neighbours;
};

class AdjacentPairTest : public ::testing::TestWithParam<PairCase>
{
};

TEST_P(AdjacentPairTest, RadiiMustReachBeyondTheClearance)
{
    std::vector<Stand> stands{makeTestStand("1", 1, 0.0, 0.0, GetParam().radiusA),
                              makeTestStand("2", 2, 0.0, 100.0, GetParam().radiusB)};
    gf_linkAdjacentStands(stands);
    const auto expectedA = GetParam().neighbours ? std::vector<std::int32_t>{2} : std::vector<std::int32_t>{};
    const auto expectedB = GetParam().neighbours ? std::vector<std::int32_t>{1} : std::vector<std::int32_t>{};
    EXPECT_EQ(stands[0].adjacent, expectedA);
    EXPECT_EQ(stands[1].adjacent, expectedB);
}

INSTANTIATE_TEST_SUITE_P(HundredMetresApart, AdjacentPairTest,
                         ::testing::Values(PairCase{40.0, 75.0, true}, PairCase{40.0, 60.0, false}));

TEST(AdjacentStandsTest, SameIdsAreNeverNeighbours)
{
    std::vector<Stand> stands{makeTestStand("helipad1", 0, 0.0, 0.0, 30.0),
                              makeTestStand("helipad2", 0, 0.0, 10.0, 30.0)};
    gf_linkAdjacentStands(stands);
    EXPECT_TRUE(stands[0].adjacent.empty());
    EXPECT_TRUE(stands[1].adjacent.empty());
}

struct ApronCase
{
    double latitude;
    double longitude;
};

class AdjacentApronTest : public ::testing::TestWithParam<ApronCase>
{
};

// The banded search gives exactly what comparing every pair gives, in list
// order, on a crowded apron with one very large stand: on the equator, far
// north, near a pole and across the antimeridian.
TEST_P(AdjacentApronTest, MatchesThePairwiseRule)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> metres(0.0, 1500.0);
    std::uniform_real_distribution<double> radius(5.0, 45.0);
    const double lonScale = 1.0 / std::cos(GetParam().latitude * kDegToRad);
    std::vector<Stand> stands;
    for (std::int32_t id = 1; id <= 400; ++id)
    {
        double lon = GetParam().longitude + metres(random) * kDegreesPerMetre * lonScale;
        if (lon > 180.0)
            lon -= 360.0;
        Stand stand =
            gf_makeStand(std::to_string(id), {}, GetParam().latitude + metres(random) * kDegreesPerMetre, lon,
                         0.0, radius(random), 0, false, false, false);
        stand.numericId = id;
        stands.push_back(stand);
    }
    stands[17].radius = 150.0 / 1852.0;
    std::shuffle(stands.begin(), stands.end(), random);

    std::vector<std::vector<std::int32_t>> expected;
    std::size_t links = 0;
    for (const Stand& a : stands)
    {
        std::vector<std::int32_t> ids;
        for (const Stand& b : stands)
            if (b.numericId != a.numericId &&
                a.radius + b.radius >
                    1.1 * gf_distanceNm(LatLon{a.latitude, a.longitude}, LatLon{b.latitude, b.longitude}))
                ids.push_back(b.numericId);
        links += ids.size();
        expected.push_back(ids);
    }
    ASSERT_GT(links, 400u);
    gf_linkAdjacentStands(stands);
    for (std::size_t i = 0; i < stands.size(); ++i)
        EXPECT_EQ(stands[i].adjacent, expected[i]) << stands[i].name;
}

INSTANTIATE_TEST_SUITE_P(Places, AdjacentApronTest,
                         ::testing::Values(ApronCase{0.0, 10.0}, ApronCase{64.0, -22.6},
                                           ApronCase{88.9, 40.0}, ApronCase{-17.7, 179.995}));

} // namespace
} // namespace ovr::test
