// The monitors the stand-in reports: one 1920x1080 monitor with a 1920x1040
// work area unless a test sets others.
#pragma once

#include "platform/win/win_types.h"

#include <vector>

namespace ovr::win
{

struct MonitorSpec
{
    RECT monitor{0, 0, 0, 0};
    RECT work{0, 0, 0, 0};
    bool primary = false;
};

void setMonitors(std::vector<MonitorSpec> monitors); // empty: back to the default
RECT nearestWorkArea(const RECT& rect);

} // namespace ovr::win
