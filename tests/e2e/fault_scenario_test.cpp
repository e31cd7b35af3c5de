// Faults from outside while the program runs: the service refusing, stalling,
// dropping or garbling replies; the simulator quitting, loading a flight,
// moving the user far away or refusing titles; a full disk while the
// settings or a park airport's learned file are written; the process killed
// in the middle of the settings write. Each ends in the exit reason (or
// restart) the program gives for it, and no file is lost: parameters.xml and
// the learned file stay whole, no temporary file is left behind.
#include <csignal>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "../support/test_files.h"
#include "program_run.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace ovr::test
{
namespace
{

std::string lf_joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& l : lines)
        text += l + "\n";
    return text;
}

bool lf_contains(const std::vector<std::string>& log, const std::string& fragment)
{
    return indexOfLine(log, fragment) < static_cast<std::ptrdiff_t>(log.size());
}

// Temporary files anywhere under `folder`.
std::vector<fs::path> lf_temporaries(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    {
        if (it->is_regular_file() && it->path().extension() == ".tmp")
            found.push_back(it->path());
    }
    return found;
}

// The program started in the background, so that the test can watch its log
// and the service while it runs.
class FaultRun : public ProgramRun
{
  protected:
    void start(const fs::path& work, const std::string& command)
    {
        work_ = work;
        const fs::path pidFile = dir() / "program.pid";
        fs::remove(pidFile);
        runner_ = std::thread(
            [this, work, command, pidFile]
            {
                code_ = bash("cd '" + work.string() + "'\n" + command + " &\necho $! > '" + pidFile.string() +
                             ".part'\nmv '" + pidFile.string() + ".part' '" + pidFile.string() + "'\nwait $!");
            });
        ASSERT_TRUE(waitFor([&] { return fs::exists(pidFile); }, 10s));
        pid_ = std::stoi(readFile(pidFile));
    }

    // True when `condition` held within `timeout`.
    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (!condition())
        {
            if (std::chrono::steady_clock::now() > until || ended())
                return condition();
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }

    bool waitForLine(const std::string& fragment, std::chrono::milliseconds timeout = 90s)
    {
        return waitFor([&] { return lf_contains(lines(work_ / "Log.txt"), fragment); }, timeout);
    }

    bool ended() const { return fs::exists(dir() / "script.rc"); }

    void signal(int number) const
    {
        if (pid_ > 0)
            ::kill(pid_, number);
    }

    // Waits for the program's end (killing it after 60 s); its exit code.
    int finish()
    {
        if (!waitFor([&] { return ended(); }, 60s))
            signal(SIGKILL);
        if (runner_.joinable())
            runner_.join();
        return code_;
    }

    void TearDown() override
    {
        if (runner_.joinable())
        {
            signal(SIGKILL);
            runner_.join();
        }
        ProgramRun::TearDown();
    }

    std::vector<std::string> log() const { return lines(work_ / "Log.txt"); }

    // Live traffic requests the service has answered so far.
    std::size_t liveRequests()
    {
        std::size_t count = 0;
        for (const fakert::LogEntry& e : service().log("/v5/traffic"))
        {
            if (fakert::isLiveTrafficRequest(e.fields))
                ++count;
        }
        return count;
    }

    // No file lost: parameters.xml parses and holds the settings; no
    // temporary file is left in the settings or the working folder.
    void expectFilesWhole()
    {
        pugi::xml_document document;
        const fs::path parameters = appDataFolder() / "parameters.xml";
        EXPECT_TRUE(document.load_file(parameters.c_str())) << readFile(parameters);
        EXPECT_TRUE(document.child("root")
                        .child("parameters")
                        .find_child_by_attribute("parameter", "name", "SIM_CHOICE"))
            << readFile(parameters);
        EXPECT_EQ(lf_temporaries(dir()), std::vector<fs::path>{});
    }

    fs::path work_;

  private:
    std::thread runner_;
    int code_ = -1;
    int pid_ = 0;
};

// How a service fault ends.
enum class Outcome
{
    continues,   // warned about, the reader goes on with the next request
    restarts,    // "READER ERROR": a restart in the same process after 15 s
    systemError, // "SYSTEM ERROR": the program waits for the user's close
};

struct ServiceCase
{
    const char* name;
    fakert::Fault fault;
    const char* warning; // a fragment of the log line that reports it
    Outcome outcome;
};

class ServiceFaultRun : public FaultRun, public ::testing::WithParamInterface<ServiceCase>
{
};

TEST_P(ServiceFaultRun, EndsAsDocumentedAndLosesNoFile)
{
    const ServiceCase& c = GetParam();
    start(prepareWorkingFolder("work"), program());
    // The fault comes once the session is running.
    ASSERT_TRUE(waitForLine("Traffic Reader connected")) << lf_joined(log());
    fakert::Fault fault = c.fault;
    fault.when = fakert::isLiveTrafficRequest;
    service().addFault("/v5/traffic", fault);
    ASSERT_TRUE(waitForLine(c.warning, 60s)) << lf_joined(log());

    switch (c.outcome)
    {
    case Outcome::continues:
    {
        // Two more replies taken: the reader did not give up.
        const std::size_t after = liveRequests();
        EXPECT_TRUE(waitFor([&] { return liveRequests() >= after + 2; }, 30s)) << lf_joined(log());
        signal(SIGTERM);
        EXPECT_EQ(finish(), 0) << readFile(output());
        EXPECT_TRUE(has(log(), "Exiting: USER CLOSED SIM")) << lf_joined(log());
        break;
    }
    case Outcome::restarts:
        EXPECT_TRUE(waitForLine("Restarting after 15 seconds")) << lf_joined(log());
        // A close during the countdown stands.
        signal(SIGTERM);
        EXPECT_EQ(finish(), 0) << readFile(output());
        EXPECT_LT(indexOfLine(log(), "Exiting: READER ERROR"),
                  indexOfLine(log(), "Prepare for a restart ..."))
            << lf_joined(log());
        break;
    case Outcome::systemError:
        EXPECT_TRUE(waitForLine("Exiting: SYSTEM ERROR")) << lf_joined(log());
        signal(SIGTERM);
        EXPECT_EQ(finish(), 0) << readFile(output());
        EXPECT_TRUE(lf_contains(log(), "User closed Vora")) << lf_joined(log());
        break;
    }
    EXPECT_EQ(readFile(output()).find("ERROR: AddressSanitizer"), std::string::npos) << readFile(output());
    EXPECT_EQ(readFile(output()).find("runtime error:"), std::string::npos) << readFile(output());
    expectFilesWhole();
}

fakert::Fault lf_refusal(int status, const char* message)
{
    fakert::Fault f;
    f.status = status;
    f.message = message;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Service, ServiceFaultRun,
    ::testing::Values(
        ServiceCase{"Refused401", lf_refusal(401, "GUID not found or expired"),
                    "re-authentication to RT API is needed", Outcome::restarts},
        ServiceCase{"TooEarly406", lf_refusal(406, "too early"), "curl traffic msg: too early",
                    Outcome::continues},
        ServiceCase{"ServerError500", lf_refusal(500, "internal error"), "Traffic RT API error: 500",
                    Outcome::systemError},
        // Longer than the request's 20 s deadline.
        ServiceCase{"Stall", fakert::Fault{.delay = 25s}, "curl traffic code:28", Outcome::continues},
        ServiceCase{"Drop", fakert::Fault{.dropConnection = true}, "curl traffic code:", Outcome::continues},
        ServiceCase{"Garbage", fakert::Fault{.invalidJson = true}, "receive: ", Outcome::continues}),
    [](const auto& test) { return std::string(test.param.name); });

// The simulator's scripted events, eight seconds into its run.
struct SimCase
{
    const char* name;
    nlohmann::json event;
    std::vector<const char*> expected; // log fragments, in this order
};

class SimEventRun : public FaultRun, public ::testing::WithParamInterface<SimCase>
{
};

TEST_P(SimEventRun, EndsTheProgramAsDocumentedAndLosesNoFile)
{
    const SimCase& c = GetParam();
    nlohmann::json sim = nlohmann::json::parse(std::ifstream(scenarioFile("sim-demo.json")));
    nlohmann::json event = c.event;
    event["at_s"] = 8;
    sim["events"] = nlohmann::json::array({event});
    const fs::path simFile = dir() / "sim-event.json";
    std::ofstream(simFile) << sim.dump(2);
    useSimScenario(simFile);
    const fs::path work = prepareWorkingFolder("work");
    work_ = work;
    const int code = run(work, "");
    EXPECT_EQ(code, 0) << readFile(output()) << lf_joined(log());
    std::ptrdiff_t previous = -1;
    for (const char* fragment : c.expected)
    {
        const std::ptrdiff_t at = indexOfLine(log(), fragment);
        EXPECT_LT(previous, at) << fragment << "\n" << lf_joined(log());
        EXPECT_LT(at, static_cast<std::ptrdiff_t>(log().size())) << fragment << "\n" << lf_joined(log());
        previous = at;
    }
    EXPECT_EQ(readFile(output()).find("ERROR: AddressSanitizer"), std::string::npos) << readFile(output());
    expectFilesWhole();
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, SimEventRun,
    ::testing::Values(SimCase{"Quit", {{"kind", "quit"}}, {"Exiting: SIM WAS CLOSED"}},
                      SimCase{"FlightLoaded", {{"kind", "flight_loaded"}}, {"Exiting: NEW FLIGHT"}},
                      SimCase{"Teleport",
                              {{"kind", "teleport"}, {"lat", 51.47}, {"lon", -0.45}, {"heading_deg", 90.0}},
                              {"Teleport", "Exiting: NEW FLIGHT"}}),
    [](const auto& test) { return std::string(test.param.name); });

// A simulator that refuses every title but the user's: each refused aircraft
// is reported, and the session goes on until the user closes it.
TEST_F(FaultRun, RefusedTitlesAreReportedAndTheSessionGoesOn)
{
    nlohmann::json sim = nlohmann::json::parse(std::ifstream(scenarioFile("sim-demo.json")));
    sim["installed"]["accept_all"] = false;
    const fs::path simFile = dir() / "sim-refusing.json";
    std::ofstream(simFile) << sim.dump(2);
    useSimScenario(simFile);
    start(prepareWorkingFolder("work"), program());
    ASSERT_TRUE(waitForLine("could not be created by your Sim!")) << lf_joined(log());
    // Still running after more replies came in.
    const std::size_t after = liveRequests();
    EXPECT_TRUE(waitFor([&] { return liveRequests() >= after + 2; }, 30s)) << lf_joined(log());
    EXPECT_FALSE(ended());
    signal(SIGTERM);
    EXPECT_EQ(finish(), 0) << readFile(output());
    EXPECT_TRUE(has(log(), "Exiting: USER CLOSED SIM")) << lf_joined(log());
    EXPECT_EQ(readFile(output()).find("ERROR: AddressSanitizer"), std::string::npos) << readFile(output());
    expectFilesWhole();
}

// Settings the user made, which no fault may lose.
constexpr const char* kUserSettings = R"(<?xml version="1.0"?>
<root><parameters>
<parameter name="RANGE" value="33" />
<parameter name="MAIN_WINDOW_X" value="123" />
<parameter name="MAIN_WINDOW_Y" value="77" />
</parameters></root>
)";

TEST_F(FaultRun, AFullDiskWhileTheSettingsAreWrittenKeepsTheOldFile)
{
    writeFile(appDataFolder() / "parameters.xml", kUserSettings);
    const fs::path work = prepareWorkingFolder("work");
    work_ = work;
    EXPECT_EQ(bash("cd '" + work.string() + "' && timeout -s KILL 120 " +
                   programWithWriteFault("fail:parameters.xml.tmp") + " --production"),
              0)
        << readFile(output());
    EXPECT_EQ(readFile(appDataFolder() / "parameters.xml"), kUserSettings);
    EXPECT_TRUE(lf_contains(log(), "parameters.xml failed")) << lf_joined(log());
    EXPECT_TRUE(has(log(), "Exiting: USER CLOSED SIM")) << lf_joined(log());
    EXPECT_EQ(lf_temporaries(dir()), std::vector<fs::path>{});
    EXPECT_EQ(readFile(output()).find("ERROR: AddressSanitizer"), std::string::npos) << readFile(output());
}

// What the program learned at the demo airport in an earlier run: a wider
// stand B28, where the user stands, with one option seen there.
constexpr const char* kEarlierLearned = R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <meta>
    <info name="author" value="Vora"/>
    <info name="version" value="12.5.5"/>
    <info name="copyright" value="Copyright (c) Voraflow. Data compiled for use with Vora only."/>
    <info name="sim" value="1"/>
  </meta>
  <parameters>
    <parameter name="icao" value="EDDF"/>
    <parameter name="airport_name" value="Frankfurt/Main"/>
    <parameter name="publisher" value="Voraflow Demo"/>
  </parameters>
  <parkpositions>
    <parkpos id="B28" radius_change="true" radius="30.0"><opt reg="D-AIBD" airl="DLH" type="A320" day="2" hh="20" cs="DLH4:DLH4X"/></parkpos>
  </parkpositions>
</root>
)";

// The park airport is left at closing down, which saves its learned file;
// with the disk full that save fails, is reported, and the earlier file
// stays as it was.
TEST_F(FaultRun, AFullDiskWhileTheLearnedAirportFileIsWrittenKeepsTheOldFile)
{
    // The settings name no packages folder: the program finds the one the
    // fixture made. The airport scan stays off, it would empty the folder
    // the demo airport file lies in.
    writeFile(appDataFolder() / "parameters.xml", R"(<?xml version="1.0"?>
<root><parameters>
<parameter name="SCAN_AIRPORTS" value="false" />
</parameters></root>
)");
    const fs::path work = prepareWorkingFolder("work");
    fs::create_directories(work / "airports" / "my_thirdparty");
    fs::copy_file(demoAirportFile(), work / "airports" / "my_thirdparty" / "EDDF.xml");
    const fs::path learned = work / "airports" / "learned" / "thirdparty" / "Voraflow Demo" / "EDDF.xml";
    fs::create_directories(learned.parent_path());
    writeFile(learned, kEarlierLearned);

    start(work, programWithWriteFault("fail:/learned/thirdparty/Voraflow Demo/EDDF.xml.tmp"));
    // The user's stand goes into the park-airport list only after the
    // airport file's read has armed the learned save; a stop any earlier
    // would leave nothing to save.
    ASSERT_TRUE(waitForLine("my_park_airports.txt created with EDDF,B28")) << lf_joined(log());
    signal(SIGTERM);
    EXPECT_EQ(finish(), 0) << readFile(output());

    const std::vector<std::string> lines = log();
    EXPECT_TRUE(lf_contains(lines, "Voraflow Demo/EDDF.xml' did not succeed")) << lf_joined(lines);
    EXPECT_FALSE(lf_contains(lines, "saved with")) << lf_joined(lines);
    EXPECT_TRUE(has(lines, "Exiting: USER CLOSED SIM")) << lf_joined(lines);
    EXPECT_EQ(readFile(learned), kEarlierLearned);
    EXPECT_EQ(lf_temporaries(dir()), std::vector<fs::path>{});
    EXPECT_EQ(readFile(output()).find("ERROR: AddressSanitizer"), std::string::npos) << readFile(output());
    EXPECT_EQ(readFile(output()).find("runtime error:"), std::string::npos) << readFile(output());
}

TEST_F(FaultRun, AKillDuringTheSettingsSaveLosesNothingAndTheNextRunCleansUp)
{
    writeFile(appDataFolder() / "parameters.xml", kUserSettings);
    const fs::path work = prepareWorkingFolder("work");
    const fs::path marker = dir() / "held";
    start(work, programWithWriteFault("hold:parameters.xml.tmp:" + marker.string()));
    ASSERT_TRUE(waitFor([&] { return fs::exists(marker); }, 90s)) << lf_joined(log());
    signal(SIGKILL);
    EXPECT_NE(finish(), 0);
    // The file is as the user left it; at most the one reused temporary
    // name is left, half written.
    EXPECT_EQ(readFile(appDataFolder() / "parameters.xml"), kUserSettings);
    EXPECT_EQ(lf_temporaries(dir()), std::vector<fs::path>{appDataFolder() / "parameters.xml.tmp"});

    // The next run removes it, keeps the user's values and ends cleanly.
    fs::remove(work / "Log.txt");
    EXPECT_EQ(run(work, "--production"), 0) << readFile(output());
    expectFilesWhole();
    const std::string parameters = readFile(appDataFolder() / "parameters.xml");
    EXPECT_NE(parameters.find(R"(name="RANGE" value="33")"), std::string::npos) << parameters;
    EXPECT_NE(parameters.find(R"(name="MAIN_WINDOW_Y" value="77")"), std::string::npos) << parameters;
}

} // namespace
} // namespace ovr::test
