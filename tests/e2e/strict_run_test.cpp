// A minute of the program against both stand-ins in their strict mode: a
// normal session, a service fault that ends it with a restart in the same
// process (the simulator link connects again), then the simulator quitting.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "program_run.h"

namespace fs = std::filesystem;

namespace ovr::test
{
namespace
{

// When the service fails, counted from the program's start; the simulator
// quits at kQuitAtS on its own clock, which starts with the first
// connection, after the restart's 15 s countdown.
constexpr auto kFaultAfter = std::chrono::seconds(12);
constexpr int kQuitAtS = 58;

long lf_count(const std::vector<std::string>& log, const std::string& fragment)
{
    return std::count_if(log.begin(), log.end(),
                         [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
}

TEST_F(ProgramRun, AMinuteAgainstTheStrictStandInsWithAServiceFaultAndTheSimulatorQuitting)
{
    nlohmann::json sim = nlohmann::json::parse(std::ifstream(scenarioFile("sim-strict.json")));
    sim["events"] = nlohmann::json::array({{{"at_s", kQuitAtS}, {"kind", "quit"}}});
    const fs::path simFile = dir() / "sim-strict-quit.json";
    std::ofstream(simFile) << sim.dump(2);
    useStrictStandIns(simFile);
    const fs::path work = prepareWorkingFolder("work");

    // The fault comes while the program runs: the service forgets the
    // session, which ends the reader and the session with a restart.
    std::mutex m;
    std::condition_variable cv;
    bool ended = false;
    std::thread faulter(
        [&]
        {
            std::unique_lock lock(m);
            if (!cv.wait_for(lock, kFaultAfter, [&] { return ended; }))
            {
                fakert::Fault failure;
                failure.status = 401;
                failure.message = "GUID not found or expired";
                failure.when = fakert::isLiveTrafficRequest;
                service().addFault("/v5/traffic", failure);
            }
        });
    const int code = run(work, "");
    {
        std::lock_guard lock(m);
        ended = true;
    }
    cv.notify_all();
    faulter.join();

    const std::vector<std::string> log = lines(work / "Log.txt");
    std::ifstream out(output());
    const std::string output((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
    EXPECT_EQ(output.find("ERROR: AddressSanitizer"), std::string::npos) << output;
    EXPECT_EQ(output.find("runtime error:"), std::string::npos) << output;
    std::string joined;
    for (const std::string& l : log)
    {
        joined += l + "\n";
    }
    EXPECT_EQ(code, 0) << output << joined;

    // Two sessions, each connected to the simulator and seeing it run,
    // the first ended by the service, the second by the simulator.
    EXPECT_EQ(lf_count(log, "MSFS 2020 (1.37.19.0) connected"), 2);
    EXPECT_GE(lf_count(log, "Traffic Reader connected"), 2);
    EXPECT_LT(indexOfLine(log, "Exiting: READER ERROR"), indexOfLine(log, "Restart countdown finished"));
    EXPECT_LT(indexOfLine(log, "Restart countdown finished"), indexOfLine(log, "Exiting: SIM WAS CLOSED"));
    EXPECT_LT(indexOfLine(log, "Exiting: SIM WAS CLOSED"), static_cast<std::ptrdiff_t>(log.size()));
    EXPECT_EQ(lf_count(log, "Unknown Dispatch"), 0);

    // Every session was closed at the service again: none is left, and no
    // login was refused for a session still open.
    EXPECT_TRUE(service().sessions().empty());
    for (const fakert::LogEntry& e : service().log("/v5/auth"))
    {
        EXPECT_EQ(e.status, 200) << e.reply;
    }
}

} // namespace
} // namespace ovr::test
