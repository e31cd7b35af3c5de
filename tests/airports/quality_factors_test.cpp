#include <gtest/gtest.h>

#include <vector>

#include "airports/quality_factors.h"

namespace ovr::test
{
namespace
{

StandOption optionOn(std::uint32_t day, HalfHourSet hours, std::uint32_t real = 1, std::uint32_t id = 1)
{
    StandOption option;
    option.id = id;
    option.day = day;
    option.hours = hours;
    option.real = real;
    return option;
}

Stand standWith(std::vector<StandOption> options, std::uint16_t type = 9, bool heli = false)
{
    Stand stand;
    stand.options = std::move(options);
    stand.type = type;
    stand.heli = heli ? 1 : 0;
    stand.radius = 0.015;
    return stand;
}

CoveragePair coverageOf(const std::vector<Stand>& stands)
{
    return gf_coverageOf(gf_qualityFactors(stands));
}

TEST(QualityFactorsTest, NothingKnownWithoutStandsOrOptions)
{
    EXPECT_EQ(gf_qualityFactors({}), ~std::uint64_t{0});
    const std::vector<Stand> bare{standWith({}), standWith({})};
    EXPECT_EQ(gf_qualityFactors(bare), ~std::uint64_t{0});
    EXPECT_EQ(coverageOf(bare).real, -1);
    EXPECT_EQ(coverageOf(bare).soft, -1);
}

TEST(QualityFactorsTest, OneRealSightingGives63)
{
    const std::vector<Stand> stands{standWith({optionOn(1, gf_slotBit(10))})};
    const CoveragePair c = coverageOf(stands);
    EXPECT_EQ(c.real, 63);
    EXPECT_EQ(c.soft, 0);
    EXPECT_EQ(gf_qualityFactors(stands), 63u);
}

TEST(QualityFactorsTest, OnlyHelipadsAndFuelStandsGiveZero)
{
    const std::vector<Stand> stands{standWith({optionOn(1, gf_slotBit(10))}, 0, true),
                                    standWith({optionOn(2, gf_slotBit(11))}, 12)};
    EXPECT_EQ(gf_qualityFactors(stands), 0u);
}

TEST(QualityFactorsTest, StandsWithoutOptionsPullTheFigureDown)
{
    const std::vector<Stand> stands{standWith({optionOn(1, gf_slotBit(10))}), standWith({})};
    EXPECT_EQ(coverageOf(stands).real, 32); // 63.2 / 2 rounded
}

TEST(QualityFactorsTest, MoreOptionsDaysAndHalfHoursScoreHigher)
{
    std::vector<StandOption> rich;
    for (std::uint32_t i = 0; i < 300; ++i)
        rich.push_back(optionOn(1 + i % 7, (HalfHourSet{1} << 48) - 1, 1, i + 1));
    rich.push_back(optionOn(3, gf_slotBit(5), 0, 301));
    const CoveragePair c = coverageOf({standWith(rich)});
    EXPECT_EQ(c.real, 99); // (4000 + 10000 + 700 + 1200) x 0.00625
    EXPECT_EQ(c.soft, 63);
}

TEST(QualityFactorsTest, RetiredOptionsDoNotCount)
{
    const std::vector<Stand> stands{standWith({optionOn(1, gf_slotBit(10), 1, 0)})};
    EXPECT_EQ(gf_qualityFactors(stands), 0u);
}

struct FactorTextCase
{
    CoveragePair coverage;
    std::string text;
};

class CoverageTextTest : public ::testing::TestWithParam<FactorTextCase>
{
};

TEST_P(CoverageTextTest, ShowsTheShortText)
{
    EXPECT_EQ(gf_coverageText(GetParam().coverage), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Pairs, CoverageTextTest,
                         ::testing::Values(FactorTextCase{{63, 0}, "63"}, FactorTextCase{{40, 12}, "40/12"},
                                           FactorTextCase{{5, 7}, " 5/ 7"}, FactorTextCase{{-1, -1}, "  "},
                                           FactorTextCase{{45, 3}, "45"}, FactorTextCase{{100, 100}, "100"}));

} // namespace
} // namespace ovr::test
