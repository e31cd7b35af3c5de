// trace-plot TRACE OUT.png [--stands FILE]...
//   draws a stand-in simulator trace: the tracks of the live aircraft, the
//   static parked aircraft and the stands of the parking files or scenarios
//   named, from above, and the altitudes over time (plot.h);
// trace-plot --summary TRACE LOG
//   prints what the run did, counted from the trace and the program's log.
// trace-plot --check TRACE POSITIONS [--delay S] [--epoch MS] [--report-only]
//   checks the flight of the live aircraft against what the fake service
//   sent (fake-rt --positions) and exits with 1 when a limit is broken
//   (flight_check.h), unless --report-only.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/gdi/png_writer.h"
#include "flight_check.h"
#include "plot.h"
#include "trace_model.h"

namespace
{

constexpr const char* kUsage =
    "usage: trace-plot TRACE OUT.png [--stands FILE]...\n"
    "       trace-plot --summary TRACE LOG\n"
    "       trace-plot --check TRACE POSITIONS [--delay S] [--epoch MS] [--report-only]\n"
    "         --delay S       the program's buffering delay (default: the best fit)\n"
    "         --epoch MS      UTC in epoch ms at the trace's time 0 (default: its clock record)\n"
    "         --report-only   exit with 0 when a limit is broken\n";

bool lf_readTraceFile(const char* name, ovr::traceplot::Trace& trace)
{
    std::ifstream in(name);
    if (!in)
    {
        std::fprintf(stderr, "trace-plot: cannot read %s\n", name);
        return false;
    }
    trace = ovr::traceplot::readTrace(in);
    return true;
}

int lf_summary(const char* traceName, const char* logName)
{
    ovr::traceplot::Trace trace;
    if (!lf_readTraceFile(traceName, trace))
        return 1;
    std::ifstream log(logName);
    if (!log)
    {
        std::fprintf(stderr, "trace-plot: cannot read %s\n", logName);
        return 1;
    }
    std::cout << ovr::traceplot::summaryText(trace, ovr::traceplot::readLog(log));
    return 0;
}

bool lf_number(std::string_view text, double& out)
{
    const std::string copy(text);
    char* end = nullptr;
    out = std::strtod(copy.c_str(), &end);
    return !copy.empty() && end == copy.c_str() + copy.size() && std::isfinite(out);
}

int lf_check(const std::vector<std::string_view>& args, char** argv)
{
    ovr::traceplot::CheckOptions options;
    bool reportOnly = false;
    for (std::size_t i = 3; i < args.size(); ++i)
    {
        double value = 0.0;
        if (args[i] == "--report-only")
            reportOnly = true;
        else if ((args[i] == "--delay" || args[i] == "--epoch") && i + 1 < args.size() && lf_number(args[i + 1], value))
        {
            (args[i] == "--delay" ? options.delayS : options.epochMsAtZero) = value;
            ++i;
        }
        else
        {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    ovr::traceplot::Trace trace;
    if (!lf_readTraceFile(argv[2], trace))
        return 2;
    std::ifstream positions(argv[3]);
    if (!positions)
    {
        std::fprintf(stderr, "trace-plot: cannot read %s\n", argv[3]);
        return 2;
    }
    try
    {
        const ovr::traceplot::FlightCheck check =
            ovr::traceplot::checkFlights(trace, ovr::traceplot::readFeedPositions(positions), options);
        std::cout << ovr::traceplot::checkText(check);
        return check.passed() || reportOnly ? 0 : 1;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "trace-plot: %s\n", e.what());
        return 2;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--summary")
        return lf_summary(argv[2], argv[3]);
    if (args.size() >= 3 && args[0] == "--check")
        return lf_check(args, argv);
    if (args.size() < 2 || args.size() % 2 != 0)
    {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<ovr::traceplot::StandPoint> stands;
    for (std::size_t i = 2; i < args.size(); i += 2)
    {
        if (args[i] != "--stands")
        {
            std::fputs(kUsage, stderr);
            return 2;
        }
        try
        {
            const std::vector<ovr::traceplot::StandPoint> more = ovr::traceplot::readStands(argv[i + 2]);
            stands.insert(stands.end(), more.begin(), more.end());
        }
        catch (const std::exception& e)
        {
            std::fprintf(stderr, "trace-plot: %s\n", e.what());
            return 1;
        }
    }
    ovr::traceplot::Trace trace;
    if (!lf_readTraceFile(argv[1], trace))
        return 1;
    if (trace.objectTables == 0)
    {
        std::fprintf(stderr, "trace-plot: no object tables in %s\n", argv[1]);
        return 1;
    }
    if (!ovr::win::writePng(argv[2], ovr::traceplot::drawTrace(trace, stands)))
    {
        std::fprintf(stderr, "trace-plot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
