// The stand list is read by the SimClient and Traffic Reader threads (the
// nearest stand's name) while the main loop clears and reloads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "airports/nearest_stand.h"
#include "airports/stand_list.h"
#include "core/user_on_ground.h"

namespace ovr::test
{
namespace
{

constexpr double kDegreesPerMetre = 1.0 / 1852.0 / 60.0;

// Two airports' worth of stands: the same positions under other names.
void loadStands(std::string_view prefix)
{
    g_stands.reserve(64);
    for (int i = 0; i < 40; ++i)
    {
        Stand stand = gf_makeStand(std::string(prefix) + std::to_string(i), {}, 0.0,
                                   10.0 + i * 100.0 * kDegreesPerMetre, 0.0, 20.0, 9, false, false, false);
        stand.numericId = i + 1;
        g_stands.push_back(std::move(stand));
    }
}

TEST(NearestStandConcurrencyTest, NamesStayWholeWhileTheListIsReloaded)
{
    g_userOnGround.store(1);
    loadStands("A");
    std::atomic<bool> done{false};
    std::atomic<int> answers{0};

    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back(
            [&, r]
            {
                std::set<std::string> allowed{"", "A7", "B7"};
                int i = 0;
                while (!done.load())
                {
                    // Alternate between two positions, so that the cache is both
                    // hit and refilled.
                    const double east = (700.0 + ((i++ + r) % 2) * 3.0) * kDegreesPerMetre;
                    const std::string name = gf_nearestStandName(0.0, 10.0 + east);
                    EXPECT_TRUE(allowed.contains(name)) << name;
                    answers.fetch_add(1);
                    std::this_thread::yield();
                }
            });

    // Reload until the readers have asked often enough while it happened.
    for (int round = 0; round < 200 || answers.load() < 2000; ++round)
    {
        gf_clearStands();
        loadStands(round % 2 == 0 ? "B" : "A");
        g_stands.shrink_to_fit();
        g_stands.edit([](std::vector<Stand>& stands) { std::reverse(stands.begin(), stands.end()); });
        g_stands.edit([](std::vector<Stand>& stands) { std::reverse(stands.begin(), stands.end()); });
    }
    gf_clearStands();
    loadStands("A");
    done.store(true);
    for (std::thread& t : readers)
        t.join();

    // Once the main loop is done, the answer is that of the last list.
    EXPECT_EQ(gf_nearestStandName(0.0, 10.0 + 700.0 * kDegreesPerMetre), "A7");
    gf_clearStands();
}

} // namespace
} // namespace ovr::test
