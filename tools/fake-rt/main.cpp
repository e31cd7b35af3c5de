// fake-rt: the fake live-traffic service as a program, for scripts and the
// demo run. Prints the port it listens on as its first line, then one line
// per request (path and status only: bodies carry licences), and stops on
// SIGINT or SIGTERM.
#include "fake-rt/fake_service.h"

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

namespace
{

volatile std::sig_atomic_t g_signalled = 0;

extern "C" void onSignal(int)
{
    g_signalled = 1;
}

constexpr std::string_view kUsage =
    "usage: fake-rt --scenario FILE.json [--port N] [--port-file FILE]\n"
    "  --port N        listen on 127.0.0.1:N (0, the default: any free port)\n"
    "  --port-file F   write the port to F once listening; removed at exit\n";

struct Options
{
    int port = 0;
    std::filesystem::path portFile;
    std::filesystem::path scenario;
};

std::optional<Options> parseOptions(int argc, char** argv, std::string& error)
{
    Options o;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view arg = argv[i];
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
        else if (arg == "--scenario")
        {
            o.scenario = value;
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
    try
    {
        FakeRtService service(loadScenario(options->scenario, systemClock()));
        std::mutex out;
        service.onRequest(
            [&out](const LogEntry& e)
            {
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
