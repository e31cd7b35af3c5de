#include <gtest/gtest.h>

#include "liveries/stock_containers.h"

namespace ovr::test
{
namespace
{

TEST(StockContainers, ExactNamesGiveTheirType)
{
    struct Case
    {
        const char* container;
        std::optional<std::string_view> type;
    } cases[] = {
        {"Asobo_C172sp_AS1000", "C172"},       {"Asobo_C172sp_classic", "C172"}, // several names, one type
        {"FlyByWire_A320_NEO", "A20N"},        {"Asobo_B747_8i", "B748"},
        {"asobo_c172sp_as1000", std::nullopt}, // case matters
        {"Asobo_C172sp", std::nullopt},        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gf_stockModelType(c.container), c.type) << c.container;
    EXPECT_EQ(g_stockModelTypes.size(), 30u);
}

} // namespace
} // namespace ovr::test
