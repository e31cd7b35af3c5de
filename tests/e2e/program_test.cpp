// The program as a user starts it: production mode, a second instance, the
// end on SIGTERM, an unreadable settings file and a window left off screen.
#include <algorithm>

#include <gtest/gtest.h>

#include "../support/test_files.h"
#include "program_run.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

bool lf_anyXml(const fs::path& folder)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    {
        if (entry.path().extension() == ".xml")
        {
            return true;
        }
    }
    return false;
}

// "Thu Dec 10 14:00:42 2026"
bool lf_isTimeText(const std::string& text)
{
    return text.size() == 24 && text[3] == ' ' && text[7] == ' ' && text[13] == ':' && text[16] == ':' &&
           text[19] == ' ';
}

TEST_F(ProgramRun, ProductionModeReadsTheDataFilesAndEndsWithZero)
{
    const fs::path work = prepareWorkingFolder("work");
    EXPECT_EQ(run(work, "--production"), 0);
    const std::vector<std::string> log = lines(work / "Log.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.front().find(" (utc) Vora version 12.5.5 for "), std::string::npos) << log.front();
    EXPECT_TRUE(lf_isTimeText(log.front().substr(0, 24))) << log.front();
    EXPECT_TRUE(has(log, "production"));
    EXPECT_TRUE(has(log, "Exiting: USER CLOSED SIM"));
    EXPECT_FALSE(lf_anyXml(work / "input"));
}

TEST_F(ProgramRun, ASecondInstanceEndsAtOnceWith255AndWritesNoLog)
{
    const fs::path first = prepareWorkingFolder("first");
    const fs::path second = prepareWorkingFolder("second");
    const fs::path secondCode = dir() / "second.rc";
    const int firstCode =
        bash("cd '" + first.string() + "'\n" + boundedProgram() +
             " &\n"
             "pid=$!\n"
             "for _ in $(seq 600); do grep -q 'version 12.5.5' Log.txt 2>/dev/null && break; "
             "sleep 0.1; done\n"
             "(cd '" +
             second.string() + "' && " + program() + "); echo $? > '" + secondCode.string() +
             "'\n"
             "kill -TERM $pid\n"
             "wait $pid");
    EXPECT_EQ(firstCode, 0);
    EXPECT_EQ(readFile(secondCode), "255\n");
    EXPECT_FALSE(fs::exists(second / "Log.txt"));
}

TEST_F(ProgramRun, SigtermClosesTheSessionDownCleanly)
{
    const fs::path work = prepareWorkingFolder("work");
    ASSERT_EQ(runUntilThenTerminate(work, "Traffic Reader connected"), 0);
    const std::vector<std::string> log = lines(work / "Log.txt");
    EXPECT_TRUE(has(log, "Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& l) { return l.starts_with("Deauthenticated RT server"); }));
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(lf_isTimeText(log.back())) << log.back();
    const std::string parameters = readFile(appDataFolder() / "parameters.xml");
    EXPECT_NE(parameters.find(R"(name="MAIN_WINDOW_X")"), std::string::npos);
}

TEST_F(ProgramRun, ARefusedSessionRestartsInTheSameProcessAfterFifteenSeconds)
{
    const fs::path work = prepareWorkingFolder("work");
    fakert::Fault refused;
    refused.status = 401;
    refused.message = "session refused";
    refused.when = fakert::isLiveTrafficRequest;
    service().addFault("/v5/traffic", refused);
    ASSERT_EQ(runUntilThenTerminate(work, "Restart countdown finished"), 0);
    const std::vector<std::string> log = lines(work / "Log.txt");
    const auto at = [&](const std::string& line)
    { return std::find(log.begin(), log.end(), line) - log.begin(); };
    EXPECT_LT(at("Exiting: READER ERROR"), at("Prepare for a restart ..."));
    EXPECT_LT(at("Prepare for a restart ..."), at("Restarting after 15 seconds"));
    EXPECT_LT(at("Restarting after 15 seconds"), at("Restart countdown finished"));
    EXPECT_LT(at("Restart countdown finished"), static_cast<std::ptrdiff_t>(log.size()));
    EXPECT_TRUE(has(log, "Exiting: USER CLOSED SIM"));
    // A restart after an error does not scan again.
    const std::string parameters = readFile(appDataFolder() / "parameters.xml");
    EXPECT_NE(parameters.find(R"(name="SCAN_LIVERIES" value="false")"), std::string::npos) << parameters;
}

TEST_F(ProgramRun, AnUnparsableSettingsFileIsKeptAsGenerationZeroAndRecreated)
{
    const fs::path work = prepareWorkingFolder("work");
    const std::string broken = "<root><parameters><parameter name=\"RANGE\" value=\"40\"";
    writeFile(appDataFolder() / "parameters.xml", broken);
    EXPECT_EQ(run(work, "--production"), 0);
    EXPECT_EQ(readFile(appDataFolder() / "parameters0.xml"), broken);
    const std::string recreated = readFile(appDataFolder() / "parameters.xml");
    EXPECT_NE(recreated.find(R"(name="SIM_CHOICE")"), std::string::npos) << recreated;
    const std::vector<std::string> log = lines(work / "Log.txt");
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const std::string& l)
                            {
                                return l.find(" failed to load (") != std::string::npos &&
                                       l.ends_with("). Saved as 0.xml and removed.");
                            }));
}

TEST_F(ProgramRun, AWindowFarOffScreenIsPulledBackAndSaved)
{
    const fs::path work = prepareWorkingFolder("work");
    writeFile(appDataFolder() / "parameters.xml", R"(<?xml version="1.0"?>
<root><parameters>
<parameter name="MAIN_WINDOW_X" value="20000" />
<parameter name="MAIN_WINDOW_Y" value="15000" />
</parameters></root>
)");
    EXPECT_EQ(run(work, "--production"), 0);
    // The default monitor's work area is 1920 x 1040: 48 pixels stay inside.
    const std::string parameters = readFile(appDataFolder() / "parameters.xml");
    EXPECT_NE(parameters.find(R"(name="MAIN_WINDOW_X" value="1872")"), std::string::npos) << parameters;
    EXPECT_NE(parameters.find(R"(name="MAIN_WINDOW_Y" value="992")"), std::string::npos) << parameters;
}

TEST_F(ProgramRun, ASingleInstanceLockThatCannotBeMadeIsAnError)
{
    const fs::path work = prepareWorkingFolder("work");
    fs::remove_all(dir() / "lock");
    writeFile(dir() / "lock", "not a folder");
    EXPECT_EQ(run(work, "--production"), 1);
    EXPECT_NE(readFile(output()).find("cannot create the single-instance lock"), std::string::npos)
        << readFile(output());
    EXPECT_FALSE(fs::exists(work / "Log.txt"));
}

TEST_F(ProgramRun, ALogThatCannotBeOpenedIsReportedOnStderr)
{
    const fs::path work = prepareWorkingFolder("work");
    fs::create_directories(work / "Log.txt");
    EXPECT_EQ(run(work, "--production"), 1);
    EXPECT_NE(readFile(output()).find("cannot open Log.txt"), std::string::npos) << readFile(output());
}

struct StallCase
{
    const char* name;
    const char* path;
    fakert::Fault fault;
    const char* line; // the log line after which SIGTERM is sent
};

class StalledServiceRun : public ProgramRun, public ::testing::WithParamInterface<StallCase>
{
};

// Whatever the service does, SIGTERM ends the program within 3 seconds.
TEST_P(StalledServiceRun, SigtermEndsTheProgramWithinThreeSeconds)
{
    const StallCase& c = GetParam();
    const fs::path work = prepareWorkingFolder("work");
    service().addFault(c.path, c.fault);
    const fs::path elapsed = dir() / "elapsed";
    const int code = bash("cd '" + work.string() + "'\n" + boundedProgram() +
                          " &\n"
                          "pid=$!\n"
                          "for _ in $(seq 1200); do grep -qF -- '" +
                          c.line +
                          "' Log.txt 2>/dev/null && break; sleep 0.1; done\n"
                          "sleep 1\n"
                          "start=$(date +%s%N)\n"
                          "kill -TERM $pid\n"
                          "wait $pid\n"
                          "rc=$?\n"
                          "end=$(date +%s%N)\n"
                          "echo $(( (end - start) / 1000000 )) > '" +
                          elapsed.string() +
                          "'\n"
                          "exit $rc");
    EXPECT_EQ(code, 0) << readFile(output());
    const int ms = std::stoi(readFile(elapsed));
    EXPECT_LT(ms, 3000) << readFile(work / "Log.txt");
    EXPECT_TRUE(has(lines(work / "Log.txt"), "Exiting: USER CLOSED SIM"));
}

INSTANTIATE_TEST_SUITE_P(
    Stalls, StalledServiceRun,
    ::testing::Values(
        StallCase{"Login", "/v5/auth", fakert::Fault{.delay = std::chrono::seconds(60), .times = 0},
                  "Waiting for authentication at RT server ..."},
        StallCase{"Traffic", "/v5/traffic",
                  fakert::Fault{.delay = std::chrono::seconds(60), .times = 0,
                                .when = fakert::isLiveTrafficRequest},
                  "Traffic Reader connected"},
        StallCase{"Logout", "/v5/deauth", fakert::Fault{.delay = std::chrono::seconds(60), .times = 0},
                  "Traffic Reader connected"}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace ovr::test
