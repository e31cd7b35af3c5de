// The title store's batches against its single calls: the same views, the
// same marks of the build, the same answers for titles of another build and
// titles never stored.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "liveries/title_store.h"

namespace ovr::test
{
namespace
{

// Builds far above those of the tables, which share the store in this process.
constexpr std::uint32_t kBuild = 0xF0000001;
constexpr std::uint32_t kLaterBuild = 0xF0000002;

TEST(TitleStoreTest, BatchesAnswerAsSingleCalls)
{
    // Owned strings, so that a view that equals a stored one is the store's
    // only when the store handed it out.
    const std::vector<std::string> texts = {"title store test one", "title store test two",
                                            "title store test one", "", "title store test three"};
    std::vector<std::string_view> stored(texts.begin(), texts.end());
    gf_storeTitles(stored, kBuild);
    for (std::size_t i = 0; i < texts.size(); ++i)
    {
        EXPECT_EQ(stored[i], texts[i]);
        EXPECT_NE(stored[i].data(), texts[i].data());
        EXPECT_EQ(gf_storeTitle(texts[i], kBuild).data(), stored[i].data()) << texts[i];
    }
    EXPECT_EQ(stored[0].data(), stored[2].data());

    // The second title moves to a later build; the third was never stored.
    gf_storeTitle("title store test two", kLaterBuild);
    const std::vector<std::string> asked = {"title store test one", "title store test two",
                                            "title store test never", "title store test three"};
    for (const std::uint32_t build : {kBuild, kLaterBuild})
    {
        std::vector<std::string_view> found(asked.begin(), asked.end());
        gf_findStoredTitles(found, build);
        for (std::size_t i = 0; i < asked.size(); ++i)
        {
            const std::string_view single = gf_findStoredTitle(asked[i], build);
            EXPECT_EQ(found[i].data(), single.data()) << asked[i] << " in build " << build;
            EXPECT_EQ(found[i], single);
        }
        EXPECT_EQ(found[1].empty(), build == kBuild);
        EXPECT_TRUE(found[2].empty());
    }
}

} // namespace
} // namespace ovr::test
