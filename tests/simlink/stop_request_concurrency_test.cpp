// The first stop request fixes the reason and the delay, whichever threads
// fail at the same moment.
#include <atomic>
#include <barrier>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/stop_request.h"
#include "simlink/sim_client.h"

namespace ovr::test
{
namespace
{

using Pair = std::pair<std::int32_t, std::int32_t>;

void lf_resetStop()
{
    g_stop.store(0);
    g_userClosed.store(0);
    g_exitReason.store(kExitNotYetSet);
    g_restartDelay.store(0);
    g_simConnectError.store(0);
}

// Runs the failures at once, `rounds` times, and hands each outcome to check.
void lf_race(const std::vector<std::function<void()>>& failures, int rounds,
             const std::function<void(Pair)>& check)
{
    for (int round = 0; round < rounds; ++round)
    {
        lf_resetStop();
        std::barrier start(static_cast<std::ptrdiff_t>(failures.size()));
        std::vector<std::thread> threads;
        for (const auto& failure : failures)
        {
            threads.emplace_back(
                [&start, &failure]
                {
                    start.arrive_and_wait();
                    failure();
                });
        }
        for (std::thread& thread : threads)
        {
            thread.join();
        }
        check({g_exitReason.load(), g_restartDelay.load()});
    }
    lf_resetStop();
}

TEST(StopRequest, ASimConnectErrorAndAReaderErrorAtOnceKeepOneWholeReasonAndDelay)
{
    lf_race({[] { gf_onSimRequestError(); }, [] { gf_threadStoppedWithError("Traffic Reader", true); }}, 200,
            [](Pair outcome)
            {
                EXPECT_TRUE(outcome == Pair(kExitSimConnectError, 9) || outcome == Pair(kExitReaderError, 15))
                    << outcome.first << " / " << outcome.second;
                EXPECT_EQ(g_stop.load(), 1);
            });
}

TEST(StopRequest, OnlyOneOfManyRequestsWins)
{
    std::atomic<int> winners{0};
    std::vector<std::function<void()>> failures;
    for (std::int32_t reason = kExitSimWasClosed; reason <= kExitNewVersion; ++reason)
    {
        failures.emplace_back(
            [reason, &winners]
            {
                if (gf_requestStop(reason, reason * 10))
                {
                    winners.fetch_add(1);
                }
            });
    }
    lf_race(failures, 200,
            [&winners](Pair outcome)
            {
                EXPECT_EQ(winners.exchange(0), 1);
                EXPECT_EQ(outcome.second, outcome.first * 10);
            });
}

TEST(StopRequest, TheUsersCloseNeverReplacesAReasonAlreadyFixed)
{
    lf_race({[] { gf_requestStop(kExitReaderError, 15); }, [] { gf_requestUserClose(); }}, 200,
            [](Pair outcome)
            {
                EXPECT_TRUE(outcome == Pair(kExitReaderError, 15) || outcome == Pair(kExitUserClosedSim, 0))
                    << outcome.first << " / " << outcome.second;
                EXPECT_EQ(g_userClosed.load(), 1);
            });
}

} // namespace
} // namespace ovr::test
