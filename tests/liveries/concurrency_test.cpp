// The lookups run without locks from the reader threads, the main loop and
// the scan workers while those intern new codes; the model pool's fix lookup
// runs inside that interning.

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "dbase_fixture.h"
#include "liveries/livery_tables.h"
#include "liveries/model_lookups.h"
#include "liveries/publishers.h"
#include "liveries/registration_lookup.h"
#include "liveries/title_store.h"
#include "tables_fixture.h"

namespace ovr::test
{
namespace
{

TEST_F(DbaseTest, InterningFromEightThreadsDuringLookups)
{
    DbaseText text;
    text.fixes = R"(<fx wro="CFX1" cor="B744"/><fx wro="CFX2" cor="A320"/>)";
    text.wingspans = R"(<wingspan type="B744" meters="64.44"/>)";
    text.publishers = R"(<pub names="Orbx"/>)";
    text.dbase = R"(<d r="D-AIBC" a="DLH" m="A320"/><d r="PH-BXA" a="KLM" m="B744"/>)";
    ASSERT_TRUE(read(text));
    const std::uint16_t b744 = gf_modelId("B744");
    const std::uint16_t a320 = gf_modelId("A320");
    const double b744Span = gf_wingspanOf(b744);

    constexpr int kThreads = 8;
    constexpr int kCodes = 400;
    std::vector<std::vector<std::uint16_t>> seen(kThreads, std::vector<std::uint16_t>(kCodes));
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                std::vector<int> order(kCodes);
                for (int i = 0; i < kCodes; ++i)
                    order[static_cast<std::size_t>(i)] = i;
                std::shuffle(order.begin(), order.end(), std::mt19937(static_cast<unsigned>(t)));
                for (int i : order)
                {
                    // Overlapping new codes from every thread, each with lookups between.
                    std::string code = fmt::format("N{:03}", i);
                    seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] =
                        static_cast<std::uint16_t>(gf_modelId(code));
                    gf_airlineId(fmt::format("Q{:02}", i % 97));
                    bool ok = gf_categoryOfModelName(code) == kCategoryLight &&
                              gf_modelId(i % 2 ? "CFX1" : "CFX2") == (i % 2 ? b744 : a320) &&
                              gf_categoryOfModelName("CFX1") == kCategoryHeavy &&
                              gf_wingspanOf(b744) == b744Span && gf_wingspanOf(gf_modelId(code)) == 0.0 &&
                              gf_isKnownModel("A320") && !gf_isKnownModel(code) &&
                              gf_findRegistrationKey("DAIBC").has_value() &&
                              gf_findPublisher("orbx-lowi") == "Orbx";
                    if (!ok)
                        ++failures[static_cast<std::size_t>(t)];
                }
            });
    }
    for (auto& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t)
    {
        EXPECT_EQ(failures[static_cast<std::size_t>(t)], 0) << "thread " << t;
        EXPECT_EQ(seen[static_cast<std::size_t>(t)], seen[0]) << "thread " << t;
    }
    std::vector<std::uint16_t> ids = seen[0];
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "two codes share an id";
    EXPECT_FALSE(g_modelCodes.find("CFX1"));
}

} // namespace
} // namespace ovr::test

namespace ovr::test
{
namespace
{

// Aircraft records and creation requests on other threads keep title views of
// the tables while the start-up rebuilds them: the views must keep reading
// their titles, and other threads may store titles meanwhile.
TEST_F(TablesTest, TitleViewsStayReadableWhileTheTablesAreRebuilt)
{
    std::vector<std::string> liveries;
    for (int i = 0; i < 200; ++i)
        liveries.push_back(
            livery("DLH", "A320", fmt::format("A320 Lufthansa {:03}", i), fmt::format("D-A{:03}", i)));
    writeScanned(liveries);
    gf_processScannedLiveries();
    std::vector<std::string_view> held;
    for (int i = 0; i < 200; ++i)
        held.push_back(lf_findLiveryTitle(fmt::format("A320 Lufthansa {:03}", i)));

    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
    {
        readers.emplace_back(
            [&, t]
            {
                for (int round = 0; !done.load(); ++round)
                {
                    for (int i = 0; i < 200; ++i)
                    {
                        if (held[static_cast<std::size_t>(i)] != fmt::format("A320 Lufthansa {:03}", i))
                            wrong.fetch_add(1);
                    }
                    // Other titles arrive from other threads now and then.
                    gf_storeTitle(fmt::format("thread {} round {}", t, round), 0);
                }
            });
    }
    for (int rebuild = 0; rebuild < 20; ++rebuild)
    {
        g_scannedLiveriesProcessed.store(0);
        gf_processScannedLiveries();
    }
    done.store(true);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(lf_findLiveryTitle("A320 Lufthansa 007").data(), held[7].data());
}

} // namespace
} // namespace ovr::test
