#include "program_run.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

#include <fmt/format.h>

#include "fake-rt/fake_service.h"

namespace fs = std::filesystem;

namespace ovr::test
{

namespace
{

constexpr int kRunSeconds = 120;

std::string lf_quoted(const fs::path& path)
{
    // appended, not "'" + ...: g++ 12 at -O3 warns falsely (-Wrestrict) on that
    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

} // namespace

void ProgramRun::SetUp()
{
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("vora-e2e-" + std::to_string(random()) + std::to_string(random()));
    // The packages folder where a Steam installation of MSFS 2020 keeps it.
    const fs::path packages = dir_ / "appdata" / "Microsoft Flight Simulator" / "Packages";
    fs::create_directories(packages / "Community");
    fs::create_directories(packages / "Official");
    fs::create_directories(dir_ / "localappdata");
    fs::create_directories(dir_ / "lock");
    fs::create_directories(appDataFolder());
    simScenario_ = fs::path(VORA_SOURCE_DIR) / "data" / "scenarios" / "sim-demo.json";
    service_ = std::make_unique<fakert::FakeRtService>(fakert::loadScenario(
        fs::path(VORA_SOURCE_DIR) / "data" / "scenarios" / "rt-demo.json", fakert::systemClock()));
    service_->start(0);
}

fs::path ProgramRun::scenarioFile(const std::string& name)
{
    return fs::path(VORA_SOURCE_DIR) / "data" / "scenarios" / name;
}

fs::path ProgramRun::demoAirportFile()
{
    return fs::path(VORA_SOURCE_DIR) / "data" / "airports" / "my_thirdparty" / "EDDF.xml";
}

void ProgramRun::useStrictStandIns(const fs::path& simScenario)
{
    service_->stop();
    fakert::Scenario scenario = fakert::loadScenario(
        fs::path(VORA_SOURCE_DIR) / "data" / "scenarios" / "rt-demo.json", fakert::systemClock());
    scenario.strict = true;
    scenario.sessionTimeoutS = fakert::kStrictSessionTimeoutS;
    service_ = std::make_unique<fakert::FakeRtService>(std::move(scenario));
    service_->start(0);
    simScenario_ = simScenario;
}

void ProgramRun::TearDown()
{
    service_->stop();
    service_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

fs::path ProgramRun::prepareWorkingFolder(const std::string& name)
{
    const fs::path work = dir_ / name;
    fs::create_directories(work / "docs");
    fs::create_directories(work / "input");
    for (const char* file : {"airports.enc", "dbase.enc", "ICAO_airports.txt"})
    {
        fs::copy_file(fs::path(VORA_E2E_FIXTURES) / file, work / "input" / file);
    }
    // The demo's AI package, which the liveries scan of the first start finds.
    fs::create_directories(work / "output" / "info");
    fs::copy(fs::path(VORA_E2E_FIXTURES) / "Community",
             dir_ / "appdata" / "Microsoft Flight Simulator" / "Packages" / "Community",
             fs::copy_options::recursive | fs::copy_options::skip_existing);
    return work;
}

std::string ProgramRun::environment() const
{
    return fmt::format(
        "env -u VORA_DOWNLOAD_BASE -u DISPLAY VORA_HEADLESS=1 VORA_APPDATA={} VORA_LOCALAPPDATA={} "
        "VORA_LOCK_DIR={} VORA_SIM_SCENARIO={} VORA_RT_API_BASE={} "
        "VORA_RT_LICENSE=RT-DEMO-STANDARD-0001",
        lf_quoted(dir_ / "appdata"), lf_quoted(dir_ / "localappdata"), lf_quoted(dir_ / "lock"),
        lf_quoted(simScenario_), service_->baseUrl());
}

std::string ProgramRun::program() const
{
    return environment() + " " + lf_quoted(VORA_BINARY);
}

std::string ProgramRun::boundedProgram() const
{
    // timeout passes the test's SIGTERM on to the program and its exit code back.
    return fmt::format("timeout -s KILL {} {}", kRunSeconds * 2, program());
}

std::string ProgramRun::programWithWriteFault(const std::string& spec) const
{
    // The shim comes before the sanitizer runtime in the list of libraries,
    // which that runtime would refuse.
    return fmt::format("env LD_PRELOAD={} VORA_WRITE_FAULT={} "
                       "ASAN_OPTIONS=\"${{ASAN_OPTIONS:+$ASAN_OPTIONS:}}verify_asan_link_order=0\" {}",
                       lf_quoted(VORA_WRITE_FAULT_SHIM), lf_quoted(spec), program());
}

int ProgramRun::bash(const std::string& script)
{
    const fs::path file = dir_ / "script.sh";
    const fs::path rc = dir_ / "script.rc";
    fs::remove(rc);
    {
        std::ofstream out(file);
        out << "(\n" << script << "\n)\necho $? > " << lf_quoted(rc) << "\n";
    }
    std::system(("bash " + lf_quoted(file) + " > " + lf_quoted(dir_ / "script.out") + " 2>&1").c_str());
    std::ifstream in(rc);
    int code = -1;
    in >> code;
    return code;
}

int ProgramRun::run(const fs::path& work, const std::string& arguments)
{
    return bash(
        fmt::format("cd {} && timeout -s KILL {} {} {}", lf_quoted(work), kRunSeconds, program(), arguments));
}

int ProgramRun::runUntilThenTerminate(const fs::path& work, const std::string& line)
{
    return bash(fmt::format(R"(cd {0}
{1} &
pid=$!
seen=0
for _ in $(seq {2}); do
  if grep -qF -- '{3}' Log.txt 2>/dev/null; then seen=1; break; fi
  sleep 0.1
done
# timeout leads a process group of its own: the program goes with it.
if [ $seen = 0 ]; then kill -KILL -- -$pid; wait $pid; exit {4}; fi
kill -TERM $pid
wait $pid)",
                            lf_quoted(work), boundedProgram(), kRunSeconds * 10, line, kLineNeverSeen));
}

std::vector<std::string> ProgramRun::lines(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);)
    {
        result.push_back(line);
    }
    return result;
}

std::ptrdiff_t indexOfLine(const std::vector<std::string>& log, const std::string& fragment)
{
    return std::find_if(log.begin(), log.end(),
                        [&](const std::string& l) { return l.find(fragment) != std::string::npos; }) -
           log.begin();
}

bool ProgramRun::has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace ovr::test
