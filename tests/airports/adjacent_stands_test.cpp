#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
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

struct BadStandCase
{
    const char* name;
    double radiusMetres;
    double latitude;
};

class AdjacentBadStandTest : public ::testing::TestWithParam<BadStandCase>
{
};

// A stand whose radius or position is not a usable number links to nothing,
// and its neighbours do not link to it; the search band must not invert.
TEST_P(AdjacentBadStandTest, LinksToNothing)
{
    std::vector<Stand> stands{makeTestStand("1", 1, 0.0, 0.0, 40.0), makeTestStand("2", 2, 0.0, 10.0, 40.0),
                              makeTestStand("bad", 3, 0.0, 5.0, 40.0), makeTestStand("4", 4, 30.0, 0.0, 40.0)};
    stands[2].radius = GetParam().radiusMetres / 1852.0;
    if (!std::isnan(GetParam().latitude))
        stands[2].latitude = GetParam().latitude;
    else
        stands[2].longitude = GetParam().latitude;
    gf_linkAdjacentStands(stands);
    EXPECT_TRUE(stands[2].adjacent.empty());
    EXPECT_EQ(stands[0].adjacent, (std::vector<std::int32_t>{2, 4}));
    EXPECT_EQ(stands[1].adjacent, (std::vector<std::int32_t>{1, 4}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdjacentBadStandTest,
    ::testing::Values(BadStandCase{"NegativeRadius", -100.0, 0.0}, BadStandCase{"ZeroRadius", 0.0, 0.0},
                      BadStandCase{"NanRadius", std::nan(""), 0.0},
                      BadStandCase{"InfiniteRadius", HUGE_VAL, 0.0},
                      BadStandCase{"NanLongitude", 40.0, std::nan("")}),
    [](const auto& test) { return std::string(test.param.name); });

// Thousands of stands on one point: each takes a bounded number of
// neighbours instead of every other stand.
TEST(AdjacentStandsTest, StandsPiledOnOnePointTakeABoundedNumberOfNeighbours)
{
    std::vector<Stand> stands;
    for (std::int32_t id = 1; id <= 3000; ++id)
        stands.push_back(makeTestStand(std::to_string(id), id, 0.0, 0.0, 40.0));
    gf_linkAdjacentStands(stands);
    for (const Stand& stand : stands)
    {
        ASSERT_FALSE(stand.adjacent.empty());
        ASSERT_LE(stand.adjacent.size(), 64u);
    }
}

} // namespace
} // namespace ovr::test
