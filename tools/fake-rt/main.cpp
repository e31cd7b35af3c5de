// fake-rt: the fake live-traffic service as a program, for scripts and the
// demo run. Prints the port it listens on as its first line, then one line
// per request (path and status only: bodies carry licences), and stops on
// SIGINT or SIGTERM.
#include "fake-rt/fake_service.h"
#include "fake-rt/fault_option.h"
#include "fake-rt/position_log.h"

#include <fmt/format.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace
{

volatile std::sig_atomic_t g_signalled = 0;

extern "C" void onSignal(int)
{
    g_signalled = 1;
}

constexpr std::string_view kUsage =
    "usage: fake-rt --scenario FILE.json [options]\n"
    "  --scenario F    the scenario file (docs/scenarios.md describes it)\n"
    "  --port N        listen on 127.0.0.1:N (0, the default: any free port)\n"
    "  --port-file F   write the port to F once listening; removed at exit\n"
    "  --positions F   log every aircraft position sent to F, one JSON line\n"
    "                  each (fake-rt/position_log.h), for the flight check\n"
    "  --strict        the service as its public v5 documentation describes it:\n"
    "                  1 session per standard licence, 2 per professional one,\n"
    "                  lapsing 120 s after their last use; 407 for history too\n"
    "                  far back; at most 10 buffers of at most 10 s (even);\n"
    "                  full_count, source and dataepoch (endepoch) in traffic\n"
    "                  replies; provider-prefixed sources, provider letters and\n"
    "                  nulls in the aircraft arrays; stand names with the\n"
    "                  airport code and fractional epochs for parked aircraft\n"
    "                  seen 10 minutes to 24 hours ago; a rate-limited nearest\n"
    "                  METAR with message and wrrl; gzip whenever accepted.\n"
    "                  Also \"strict\": true in the scenario file.\n"
    "  --rrl MS        the traffic rate limit sent to clients (0 or less too)\n"
    "  --wrrl MS       the weather rate limit sent to clients (0 or less too)\n"
    "  --fault SPEC    a scripted fault, PATH:KEY=VALUE,... (repeatable), e.g.\n"
    "                    traffic:when=live,status=500,times=3   a status\n"
    "                    traffic:omit=status                    no status\n"
    "                    weather:html                           proxy 504 page\n"
    "                    traffic:garbage                        cut-off JSON\n"
    "                    auth:delay_ms=8000                     a stall\n"
    "                    traffic:trickle_ms=200                 a trickling body\n"
    "                    nearestmetar:drop                      dropped connection\n"
    "                    traffic:gzip                           gzip, accepted or not\n"
    "                    deauth:raw=oops,http=502               any body\n"
    "                  PATH is auth, deauth, traffic, nearestmetar or weather;\n"
    "                  keys: when (live|buffered|parked), status, message, http,\n"
    "                  delay_ms, trickle_ms, drop, garbage, html, raw, gzip,\n"
    "                  omit (names joined by +), status_as_text, times (default\n"
    "                  1; 0: every request). A scenario's \"faults\" list takes\n"
    "                  the same keys as JSON.\n"
    "  --help          this text\n";

struct Options
{
    int port = 0;
    std::filesystem::path portFile;
    std::filesystem::path positions;
    std::filesystem::path scenario;
    bool strict = false;
    std::optional<int> rrl;
    std::optional<int> wrrl;
    std::vector<ovr::fakert::PathFault> faults;
    bool help = false;
};

bool parseInt(std::string_view value, int& out)
{
    const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), out);
    return ec == std::errc() && ptr == value.data() + value.size() && !value.empty();
}

std::optional<Options> parseOptions(int argc, char** argv, std::string& error)
{
    Options o;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
        {
            o.help = true;
            return o;
        }
        if (arg == "--strict")
        {
            o.strict = true;
            continue;
        }
        if (i + 1 >= argc)
        {
            error = fmt::format("{} needs a value", arg);
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        if (arg == "--port")
        {
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), o.port);
            if (ec != std::errc() || ptr != value.data() + value.size() || o.port < 0 || o.port > 65535)
            {
                error = fmt::format("--port: '{}' is not a port number", value);
                return std::nullopt;
            }
        }
        else if (arg == "--port-file")
        {
            o.portFile = value;
        }
        else if (arg == "--positions")
        {
            o.positions = value;
        }
        else if (arg == "--scenario")
        {
            o.scenario = value;
        }
        else if (arg == "--rrl" || arg == "--wrrl")
        {
            int limit = 0;
            if (!parseInt(value, limit))
            {
                error = fmt::format("{}: '{}' is not a whole number", arg, value);
                return std::nullopt;
            }
            (arg == "--rrl" ? o.rrl : o.wrrl) = limit;
        }
        else if (arg == "--fault")
        {
            try
            {
                o.faults.push_back(ovr::fakert::faultFromSpec(value));
            }
            catch (const std::exception& e)
            {
                error = fmt::format("--fault '{}': {}", value, e.what());
                return std::nullopt;
            }
        }
        else
        {
            error = fmt::format("unknown option {}", arg);
            return std::nullopt;
        }
    }
    if (o.scenario.empty())
    {
        error = "--scenario is required";
        return std::nullopt;
    }
    return o;
}

// Written whole under another name and renamed, so that a script polling
// for the file never reads half a number.
void writePortFile(const std::filesystem::path& file, int port)
{
    std::filesystem::path temp = file;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << port << '\n';
        if (!out)
        {
            throw std::runtime_error(fmt::format("cannot write {}", temp.string()));
        }
    }
    std::filesystem::rename(temp, file);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace ovr::fakert;
    std::string error;
    const std::optional<Options> options = parseOptions(argc, argv, error);
    if (!options)
    {
        std::cerr << "fake-rt: " << error << '\n' << kUsage;
        return 2;
    }
    if (options->help)
    {
        std::cout << kUsage;
        return 0;
    }
    try
    {
        Scenario scenario = loadScenario(options->scenario, systemClock());
        if (options->strict && !scenario.strict)
        {
            scenario.strict = true;
            if (scenario.sessionTimeoutS == Scenario{}.sessionTimeoutS)
            {
                scenario.sessionTimeoutS = kStrictSessionTimeoutS;
            }
        }
        scenario.rrl = options->rrl.value_or(scenario.rrl);
        scenario.wrrl = options->wrrl.value_or(scenario.wrrl);
        scenario.faults.insert(scenario.faults.end(), options->faults.begin(), options->faults.end());
        FakeRtService service(std::move(scenario));
        std::optional<PositionLog> positions;
        if (!options->positions.empty())
        {
            positions.emplace(options->positions);
        }
        std::mutex out;
        service.onRequest(
            [&out, &positions](const LogEntry& e)
            {
                if (positions)
                {
                    positions->write(e.time, e.aircraft);
                }
                const std::string status = e.status ? std::to_string(*e.status) : std::string("-");
                const std::string line =
                    fmt::format("{} -> HTTP {}, status {}{}{}\n", e.path, e.httpStatus, status,
                                e.aircraft.empty() ? "" : fmt::format(", {} aircraft", e.aircraft.size()),
                                e.faulted ? " (scripted)" : "");
                std::lock_guard lock(out);
                std::cout << line << std::flush;
            });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        const int port = service.start(options->port);
        {
            std::lock_guard lock(out);
            std::cout << port << std::endl;
        }
        if (!options->portFile.empty())
        {
            writePortFile(options->portFile, port);
        }
        std::cerr << fmt::format("fake-rt: scenario '{}' on {}\n", service.scenario().name,
                                 service.baseUrl());
        while (g_signalled == 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        service.stop();
        if (!options->portFile.empty())
        {
            std::error_code ignored;
            std::filesystem::remove(options->portFile, ignored);
        }
    }
    catch (const std::exception& e)
    {
        std::cerr << "fake-rt: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
