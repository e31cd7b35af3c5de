#include <gtest/gtest.h>

#include "liveries/stock_containers.h"

namespace ovr::test {
namespace {

TEST(StockContainers, ExactNamesGiveTheirType)
{
    struct Case
    {
        const char* container;
        const char* type; // nullptr: not a stock container
    } cases[] = {
        {"Asobo_C172sp_AS1000", "C172"}, {"Asobo_C172sp_classic", "C172"}, // several names, one type
        {"FlyByWire_A320_NEO", "A20N"},  {"Asobo_B747_8i", "B748"},
        {"asobo_c172sp_as1000", nullptr},                                  // case matters
        {"Asobo_C172sp", nullptr},       {"", nullptr},
    };
    for (const auto& c : cases)
    {
        auto type = gf_stockModelType(c.container);
        if (c.type)
            EXPECT_EQ(type, c.type) << c.container;
        else
            EXPECT_EQ(type, std::nullopt) << c.container;
    }
    EXPECT_EQ(g_stockModelTypes.size(), 30u);
}

} // namespace
} // namespace ovr::test
