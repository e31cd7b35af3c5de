// trace-plot TRACE OUT.png [--stands FILE]...
//   draws a stand-in simulator trace: the tracks of the live aircraft, the
//   static parked aircraft and the stands of the parking files or scenarios
//   named, from above, and the altitudes over time (plot.h);
// trace-plot --summary TRACE LOG
//   prints what the run did, counted from the trace and the program's log.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/gdi/png_writer.h"
#include "plot.h"
#include "trace_model.h"

namespace
{

constexpr const char* kUsage = "usage: trace-plot TRACE OUT.png [--stands FILE]...\n"
                               "       trace-plot --summary TRACE LOG\n";

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

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--summary")
        return lf_summary(argv[2], argv[3]);
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
