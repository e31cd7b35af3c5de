// The liveries scan's workers: results in walk order whatever order the
// workers finish in, a failing reader, and the same output for one and for
// eight workers.
#include <chrono>
#include <list>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "liveries_fixture.h"

namespace ovr::test
{
namespace
{

// Readers that finish in reverse order still reach the list in walk order.
std::list<LiveryData> slowFirstReader(std::uint32_t folderNumber, const fs::path& file)
{
    const int n = file.parent_path().filename().string().back() - '0';
    std::this_thread::sleep_for(std::chrono::milliseconds(10 * (5 - n)));
    g_runningScanTasks.fetch_sub(1);
    if (n == 3)
        throw std::runtime_error("broken file");
    LiveryData livery;
    livery.title = file.parent_path().filename().string();
    livery.folder = static_cast<std::int16_t>(folderNumber);
    return {livery};
}

TEST_F(LiveriesScanTest, ResultsKeepWalkOrderAndAFailingReaderLosesOnlyItsFile)
{
    for (int i = 0; i < 5; ++i)
        writeFile(folder() / "w" / fmt::format("f{}", i) / "aircraft.cfg", "");
    detail::setLiveryReaders(&slowFirstReader, &slowFirstReader);
    g_maxScanTasks.store(2);
    lf_scanFolder4Liveries(1, folder() / "w");
    std::vector<std::string> titles;
    for (const LiveryData& l : g_liveries)
        titles.push_back(l.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"f0", "f1", "f2", "f4"}));
    EXPECT_TRUE(logMentions("broken file, file: " + (folder() / "w" / "f3" / "aircraft.cfg").string()));
    EXPECT_EQ(g_runningScanTasks.load(), 0);
    g_liveries.clear();
}


TEST_F(LiveriesScanTest, ManyWorkersGiveTheSameResult)
{
    const fs::path root = folder() / "many";
    for (int i = 0; i < 200; ++i)
        writeFile(root / fmt::format("m{:03}", i) / "aircraft.cfg",
                  cfg(i % 2 ? "A320" : "B738", {{fmt::format("T{} a", i), "DLH"}, {fmt::format("T{} b", i), "BAW"}}));
    std::vector<fs::path> folders{root};
    std::string outputs[2];
    for (int run = 0; run < 2; ++run)
    {
        g_maxScanTasks.store(run == 0 ? 1 : 8);
        ASSERT_TRUE(lf_scanLiveryFolders(folders));
        outputs[run] = ovr::test::readFile(g_liveriesScannedXmlPath);
        const auto date = outputs[run].find("name=\"date\"");
        outputs[run].erase(date, outputs[run].find('\n', date) - date);
    }
    EXPECT_TRUE(outputs[0] == outputs[1]);
    EXPECT_NE(outputs[0].find("T199 b"), std::string::npos);
}

} // namespace
} // namespace ovr::test
