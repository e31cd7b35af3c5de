// The flat text table against std::map doing the same: the same answers to
// every insert and lookup through growth, clearing and refilling, and key
// views that keep their address and text while the table grows.

#include <map>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "liveries/flat_text_map.h"

namespace ovr::test
{
namespace
{

// Keys of every shape the tables meet: empty, short, longer than a string's
// inline buffer, and one longer than a block of key text.
std::string lf_key(std::mt19937& draws)
{
    switch (draws() % 8)
    {
    case 0:
        return "";
    case 1:
        return std::string(20000 + draws() % 3, 'L');
    default:
        return fmt::format("{}-{}", char('A' + draws() % 26), draws() % 20000);
    }
}

TEST(FlatTextMapTest, AnswersAsAStdMapThroughGrowthAndRefills)
{
    std::mt19937 draws(34);
    FlatTextMap<int, true> table;
    for (int fill = 0; fill < 3; ++fill)
    {
        std::map<std::string, int> reference;
        std::map<std::string, const char*> addresses;
        for (int step = 0; step < 30000; ++step)
        {
            const std::string key = lf_key(draws);
            const int value = static_cast<int>(draws() % 1000);
            if (draws() % 3 != 0)
            {
                const auto [entry, inserted] = table.try_emplace(key, value);
                const auto expected = reference.try_emplace(key, value);
                ASSERT_EQ(inserted, expected.second) << key;
                ASSERT_EQ(entry->first, key);
                ASSERT_EQ(entry->second, expected.first->second);
                if (inserted)
                    addresses[key] = entry->first.data();
                else if (value % 2 == 0)
                {
                    entry->second = value;
                    expected.first->second = value;
                }
            }
            else
            {
                const auto found = table.find(key);
                const auto expected = reference.find(key);
                ASSERT_EQ(found != table.end(), expected != reference.end()) << key;
                if (found != table.end())
                {
                    ASSERT_EQ(found->second, expected->second);
                }
            }
        }
        ASSERT_EQ(table.size(), reference.size());
        std::map<std::string, int> visited;
        for (const auto& [key, value] : table)
        {
            EXPECT_EQ(key.data(), addresses.at(std::string(key))) << "key text moved: " << key.substr(0, 20);
            EXPECT_EQ(key.data()[key.size()], '\0');
            EXPECT_TRUE(visited.emplace(key, value).second);
        }
        EXPECT_EQ(visited, reference);
        EXPECT_THROW((void)table.at("not a key"), std::out_of_range);
        table.clear();
        EXPECT_TRUE(table.empty());
        EXPECT_EQ(table.begin(), table.end());
    }
}

TEST(FlatTextMapTest, BorrowedKeysAreTheCallersViews)
{
    const std::vector<std::string> titles = {"A320 one", "", "B744 two"};
    FlatTextMap<std::string_view, false> table;
    table.reserve(1000);
    for (const std::string& title : titles)
        EXPECT_TRUE(table.try_emplace(title, title).second);
    EXPECT_FALSE(table.try_emplace(std::string("A320 one"), "other").second);
    for (const std::string& title : titles)
    {
        ASSERT_TRUE(table.contains(title));
        EXPECT_EQ(table.find(title)->first.data(), title.data());
        EXPECT_EQ(table.at(title), title);
    }
    // A view without text is the empty key.
    EXPECT_TRUE(table.contains(std::string_view{}));
}

} // namespace
} // namespace ovr::test
