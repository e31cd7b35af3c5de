// The start-up thread's steps: the command-line switch, the packages path,
// the service's interval between sessions, the wait for the first traffic,
// and a close that comes before the session started.
#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "../params/parameters_fixture.h"
#include "app/program_entry.h"
#include "app/start_up.h"
#include "app/start_up_detail.h"
#include "app_fixture.h"
#include "core/parameters.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "gui/app_window.h"
#include "service/traffic_reader.h"

namespace ovr::test
{
namespace
{

using namespace std::chrono_literals;

struct SwitchCase
{
    std::string name;
    std::vector<std::wstring_view> arguments;
    std::optional<bool> production;
};

void PrintTo(const SwitchCase& c, std::ostream* out)
{
    *out << c.name;
}

class ProductionSwitch : public ::testing::TestWithParam<SwitchCase>
{
};

TEST_P(ProductionSwitch, TheLastSwitchWinsWhateverItsCase)
{
    EXPECT_EQ(detail::productionSwitch(GetParam().arguments), GetParam().production);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ProductionSwitch,
    ::testing::Values(SwitchCase{"None", {}, std::nullopt}, SwitchCase{"Other", {L"--verbose"}, std::nullopt},
                      SwitchCase{"Dashes", {L"--production"}, true},
                      SwitchCase{"Slash", {L"/production"}, true},
                      SwitchCase{"UpperCase", {L"--PRODUCTION"}, true},
                      SwitchCase{"MixedCase", {L"/ProDuction"}, true},
                      SwitchCase{"Off", {L"--no-production"}, false},
                      SwitchCase{"OnThenOff", {L"--production", L"x", L"/no-production"}, false},
                      SwitchCase{"OffThenOn", {L"/No-Production", L"--production"}, true},
                      SwitchCase{"NotAPrefix", {L"--productions"}, std::nullopt}),
    caseName);

struct PathCase
{
    std::string name;
    std::string path;
    std::string trimmed;
};

void PrintTo(const PathCase& c, std::ostream* out)
{
    *out << c.name;
}

class CommunityTrim : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(CommunityTrim, OnlyATrailingCommunityFolderGoes)
{
    EXPECT_EQ(detail::trimCommunity(GetParam().path), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CommunityTrim,
    ::testing::Values(PathCase{"Windows", R"(D:\MSFS\Community)", R"(D:\MSFS)"},
                      PathCase{"Slash", "/opt/msfs/Community", "/opt/msfs"},
                      PathCase{"Middle", R"(D:\Community\Packages)", R"(D:\Community\Packages)"},
                      PathCase{"Twice", R"(D:\Community\Community)", R"(D:\Community)"},
                      PathCase{"NoSeparator", R"(D:\MyCommunity)", R"(D:\MyCommunity)"},
                      PathCase{"TooShort", "Community", "Community"}, PathCase{"Empty", "", ""}),
    caseName);

struct HoldCase
{
    std::string name;
    std::int64_t secondsSinceLastSession;
    std::optional<std::int64_t> hold;
};

void PrintTo(const HoldCase& c, std::ostream* out)
{
    *out << c.name;
}

class ServiceInterval : public AppTest, public ::testing::WithParamInterface<HoldCase>
{
};

TEST_P(ServiceInterval, HoldsUntilTwoSecondsHavePassed)
{
    const HoldCase& c = GetParam();
    LAST_EPOCH_TIME.current.store(
        static_cast<std::int32_t>(static_cast<std::int64_t>(std::time(nullptr)) - c.secondsSinceLastSession));
    const auto before = clock.now();
    detail::holdForService();
    const std::string line = c.hold ? "Holding for " + std::to_string(*c.hold) +
                                          " seconds... (RT API cannot be revisited within 2 seconds)"
                                    : "";
    if (c.hold)
    {
        EXPECT_TRUE(logHas(line));
        EXPECT_GE(clock.now() - before, std::chrono::seconds(*c.hold));
    }
    else
    {
        EXPECT_EQ(clock.now(), before);
        EXPECT_TRUE(gf_statusTexts().status.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Elapsed, ServiceInterval,
                         ::testing::Values(HoldCase{"LongAgo", 3600, std::nullopt},
                                           HoldCase{"TwoSeconds", 2, std::nullopt},
                                           HoldCase{"OneSecond", 1, 1}, HoldCase{"JustNow", 0, 2},
                                           HoldCase{"InTheFuture", -30, 2}),
                         caseName);

TEST_F(AppTest, NoTrafficWithinTenSecondsIsAReaderErrorWithARestartAfterFifteen)
{
    g_trafficReader.receiving.store(false);
    const auto before = clock.now();
    detail::awaitFirstTraffic();
    EXPECT_TRUE(logHas("TrafficReader receiving timed out after 10 seconds?"));
    EXPECT_GE(clock.now() - before, 10s);
    EXPECT_EQ(g_exitReason.load(), kExitReaderError);
    EXPECT_EQ(g_restartDelay.load(), 15);
}

TEST_F(AppTest, TrafficThatArrivesEndsTheWaitWithoutAStop)
{
    clock.onSleep = [this]
    {
        if (clock.sleeps() == 30)
        {
            g_trafficReader.receiving.store(true);
        }
    };
    detail::awaitFirstTraffic();
    EXPECT_EQ(g_stop.load(), 0);
    EXPECT_EQ(clock.sleeps(), 30);
    g_trafficReader.receiving.store(false);
}

TEST_F(AppTest, AStartOutsideTheProgramsFolderIsASystemErrorShownToTheUser)
{
    // No docs folder here. The start-up then waits for the user to close.
    clock.onSleep = [] { gf_requestUserClose(); };
    lf_startUpVora();
    EXPECT_TRUE(logHas("Error 41: Vora must be run from the Vora folder!"));
    EXPECT_TRUE(logHas("Exiting: SYSTEM ERROR"));
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kSaveAndQuitMessage});
}

TEST_F(AppTest, ACloseDuringTheHoldEndsTheRunWithoutASession)
{
    prepareWorkingFolder();
    // A last session stamped in the future holds for the whole interval, so
    // the logged hold does not depend on how long the start-up took to get here.
    std::string parameters = readFile(parametersFile());
    parameters.insert(parameters.find("</parameters>"), "<parameter name=\"LAST_EPOCH_TIME:\" value=\"" +
                                                            std::to_string(std::time(nullptr) + 3600) + "\" />");
    writeFile(parametersFile(), parameters);
    clock.onSleep = []
    {
        if (gf_statusTexts().status.starts_with("Holding for"))
        {
            g_closeClicked.store(1);
            gf_requestUserClose();
        }
    };
    lf_startUpVora();
    EXPECT_TRUE(logHas("Holding for 2 seconds... (RT API cannot be revisited within 2 seconds)"));
    EXPECT_TRUE(logHas("Exiting: USER CLOSED SIM"));
    EXPECT_FALSE(g_simClientThread.joinable());
    for (const std::string& line : logLines())
    {
        EXPECT_EQ(line.find("Waiting for MSFS"), std::string::npos) << line;
    }
    EXPECT_EQ(postedMessages(), std::vector<UINT>{kSaveAndQuitMessage});
    EXPECT_FALSE(std::filesystem::exists(dir() / "input" / "dbase.xml"));
    EXPECT_FALSE(std::filesystem::exists(dir() / "input" / "airports.xml"));
}

} // namespace
} // namespace ovr::test
