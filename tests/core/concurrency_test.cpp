// The helpers that every thread calls at once: whole log lines, code pools
// interned and read from many threads, the status line.
#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/code_pool.h"
#include "core/log.h"
#include "core/status_line.h"
#include "test_support.h"

namespace ovr
{
namespace
{

constexpr int kThreads = 8;

template <class F> void runThreads(F body)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(body, t);
    for (auto& thread : threads)
        thread.join();
}

TEST(Concurrency, LogLinesStayWholeAndNoneIsLost)
{
    constexpr int kLines = 2000;
    test::LogCapture log;
    runThreads(
        [](int t)
        {
            // long lines, so that a torn write would show
            std::string padding(200, static_cast<char>('a' + t));
            for (int i = 0; i < kLines; ++i)
            {
                std::string line = fmt::format("t{} n{} {}", t, i, padding);
                switch (i % 3)
                {
                case 0:
                    gf_log(line);
                    break;
                case 1:
                    gf_logWarning(line);
                    break;
                default:
                    gf_logContinuation(line);
                    break;
                }
            }
        });

    std::map<int, int> nextPerThread;
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    for (const std::string& raw : lines)
    {
        std::string_view line = raw;
        if (line.starts_with("==> "))
            line.remove_prefix(4);
        else if (line.starts_with("          "))
            line.remove_prefix(10);
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(std::string(line).c_str(), "t%d n%d", &t, &i), 2) << raw;
        ASSERT_EQ(fmt::format("t{} n{} {}", t, i, std::string(200, static_cast<char>('a' + t))), line);
        // each thread's lines appear in its own order
        EXPECT_EQ(i, nextPerThread[t]++);
    }
}

TEST(Concurrency, InterningOverlappingCodesGivesOneStableIdEach)
{
    constexpr int kCodes = 3000;
    CodePool pool("test");
    pool.intern("");
    std::vector<std::vector<std::uint16_t>> ids(kThreads, std::vector<std::uint16_t>(kCodes));
    std::atomic<bool> done{false};

    // a reader keeps reading texts by id while the pool grows
    std::thread reader(
        [&]
        {
            while (!done.load())
            {
                std::size_t n = pool.size();
                for (std::size_t id = 0; id < n; ++id)
                    ASSERT_LE(pool.text(static_cast<std::uint16_t>(id)).size(), 8u);
            }
        });
    runThreads(
        [&](int t)
        {
            // every thread walks the same codes from a different start
            for (int k = 0; k < kCodes; ++k)
            {
                int code = (k + t * 397) % kCodes;
                ids[static_cast<std::size_t>(t)][static_cast<std::size_t>(code)] =
                    pool.intern(fmt::format("C{}", code));
            }
        });
    done = true;
    reader.join();

    EXPECT_EQ(pool.size(), static_cast<std::size_t>(kCodes + 1));
    std::vector<bool> used(kCodes + 1, false);
    for (int code = 0; code < kCodes; ++code)
    {
        std::uint16_t id = ids[0][static_cast<std::size_t>(code)];
        for (int t = 1; t < kThreads; ++t)
            ASSERT_EQ(ids[static_cast<std::size_t>(t)][static_cast<std::size_t>(code)], id);
        ASSERT_NE(id, 0);
        ASSERT_FALSE(used[id]) << "id given twice: " << id;
        used[id] = true;
        EXPECT_EQ(pool.text(id), fmt::format("C{}", code));
        EXPECT_EQ(pool.find(fmt::format("C{}", code)), id);
    }
}

TEST(Concurrency, GlobalPoolsFromManyThreads)
{
    runThreads(
        [](int t)
        {
            for (int k = 0; k < 200; ++k)
            {
                std::uint16_t airline = gf_airlineId(fmt::format("A{}", k % 50));
                std::uint16_t model = gf_modelId(fmt::format("M{}", (k + t) % 50));
                ASSERT_EQ(g_airlineCodes.text(airline), fmt::format("A{}", k % 50));
                ASSERT_EQ(g_modelCodes.text(model), fmt::format("M{}", (k + t) % 50));
            }
        });
}

TEST(Concurrency, StatusLineFromManyThreads)
{
    test::LogCapture log;
    gf_resetStatusLine();
    runThreads(
        [](int t)
        {
            for (int k = 0; k < 500; ++k)
            {
                if (t == 0 && k == 250)
                    gf_setErrorStatus("stop");
                gf_setStatus(fmt::format("t{} {}", t, k), false);
                gf_ageStatus();
                (void)gf_statusTexts();
            }
        });
    EXPECT_EQ(gf_statusTexts().error, "stop");
    EXPECT_EQ(gf_statusTexts().status, "");
    gf_resetStatusLine();
}

} // namespace
} // namespace ovr
