#include "core/sim_data_path.h"

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/parameters.h"

namespace ovr
{
namespace
{

TEST(SimDataPath, FollowsTheSelectedSimulator)
{
    std::uint8_t saved = g_simIs2020;
    MSFS_INSTALL_PATH.setValue("/sims/2020");
    MSFS_2024_INSTALL_PATH.setValue("/sims/2024");
    g_simIs2020 = 1;
    EXPECT_EQ(gf_simDataPath("Community"), std::filesystem::path("/sims/2020/Community"));
    g_simIs2020 = 0;
    EXPECT_EQ(gf_simDataPath("Community"), std::filesystem::path("/sims/2024/Community"));
    MSFS_2024_INSTALL_PATH.setValue("");
    EXPECT_EQ(gf_simDataPath("Community"), std::filesystem::path("Community"));
    MSFS_INSTALL_PATH.setValue("");
    g_simIs2020 = saved;
}

} // namespace
} // namespace ovr
