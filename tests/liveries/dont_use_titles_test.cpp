// The titles that the liveries scan skips.

#include <gtest/gtest.h>

#include "liveries/dont_use_titles.h"
#include "tables_fixture.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

using Titles = std::vector<std::string>;

TEST_F(TablesTest, DontUseTitlesAreTheEntriesWithoutRegistrations)
{
    g_dontUseTitles = {"from an earlier scan"};
    writeAig(R"(<l t="Aig one" r="D-AIZB"/><l t="Aig two"/><l t="Aig three" r=""/>)");
    writeMyRegcodes("mine.txt", "My one\nMy two;D-AIZB\nMy three;ABCDEFGHIJKLM,NOPQRSTUVWXYZ\n");
    lf_readDontUseTitles();
    // A line whose registrations are all wrong is no don't-use title.
    EXPECT_EQ(g_dontUseTitles, (Titles{"Aig two", "Aig three", "My one"}));
    EXPECT_EQ(logLinesWith("don't use"),
              (Titles{"    2 don't use titles read",
                      "    1 don't use title read from files in input/my_regcodes"}));
    EXPECT_FALSE(fs::exists("input/AIG-regcodes.xml"));
}

TEST_F(TablesTest, WithoutAnyListThereAreNoDontUseTitles)
{
    g_dontUseTitles = {"from an earlier scan"};
    lf_readDontUseTitles();
    EXPECT_TRUE(g_dontUseTitles.empty());
    EXPECT_TRUE(logLinesWith("don't use").empty());
}

} // namespace
} // namespace ovr::test
