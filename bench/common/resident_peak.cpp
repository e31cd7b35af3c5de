#include "resident_peak.h"

#include <fstream>
#include <optional>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace ovr::bench
{
namespace
{

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
std::optional<double> lf_statusKB(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    const std::string key = name + ":";
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(key))
            return std::stod(line.substr(key.size()));
    return std::nullopt;
}

// Sets the peak back to the resident memory now ("5": reset the peak).
bool lf_resetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return !clear.fail();
}

} // namespace

double residentRiseMB(const std::function<void()>& work)
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    if (!lf_resetPeak())
        return -1.0;
    const std::optional<double> start = lf_statusKB("VmRSS");
    work();
    const std::optional<double> peak = lf_statusKB("VmHWM");
    if (!start || !peak)
        return -1.0;
    return (*peak - *start) / 1024.0;
}

} // namespace ovr::bench
