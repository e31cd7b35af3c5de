#include "core/random.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <thread>

#include <gtest/gtest.h>

namespace ovr
{
namespace
{

TEST(Random, IndexRange)
{
    EXPECT_EQ(gf_randomIndex(0), 0u);
    EXPECT_EQ(gf_randomIndex(1), 0u);
    int ones = 0;
    constexpr int draws = 20000;
    for (int i = 0; i < draws; ++i)
    {
        std::uint64_t r = gf_randomIndex(2);
        ASSERT_LE(r, 1u);
        ones += static_cast<int>(r);
    }
    // equal frequency: far outside 9000..11000 only with odds below 1e-40
    EXPECT_GT(ones, 9000);
    EXPECT_LT(ones, 11000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_LT(gf_randomIndex(7), 7u);
}

TEST(Random, VaryByPercent)
{
    std::set<double> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(gf_varyByPercent(100.0, 10.0));
    EXPECT_EQ(seen, (std::set<double>{90.0, 110.0}));
    EXPECT_EQ(gf_varyByPercent(100.0, 0.0), 100.0);
    EXPECT_EQ(gf_varyByPercent(100.0, -5.0), 100.0);
}

TEST(Random, ShuffleKeepsTheValues)
{
    std::vector<std::uint16_t> values(50);
    std::iota(values.begin(), values.end(), std::uint16_t{0});
    std::vector<std::uint16_t> shuffled = values;
    gf_shuffleU16(shuffled);
    EXPECT_NE(shuffled, values); // the odds of the identity are 1 / 50!
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, values);
    std::vector<std::uint16_t> one{7};
    gf_shuffleU16(one);
    EXPECT_EQ(one, std::vector<std::uint16_t>{7});
}

TEST(Random, ThreadsDrawTheirOwnSequences)
{
    auto draw = [](std::vector<std::uint64_t>& out)
    {
        for (int i = 0; i < 16; ++i)
            out.push_back(gf_randomIndex(1u << 30));
    };
    std::vector<std::uint64_t> a, b;
    std::thread ta(draw, std::ref(a));
    std::thread tb(draw, std::ref(b));
    ta.join();
    tb.join();
    EXPECT_NE(a, b);
}

} // namespace
} // namespace ovr
