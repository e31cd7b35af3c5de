// The counts the window shows of what the airport scan made: the entries of
// airports/my_simaddon and airports/my_thirdparty, and the files copied into
// the tblo folder by the last scan (while it is above 0 the window asks the
// user to send tblo.zip in). Written by the start-up and the airport scan,
// read by the painter.
#pragma once

#include <atomic>
#include <cstdint>

namespace ovr
{

extern std::atomic<std::int64_t> g_mySimaddonCount;
extern std::atomic<std::int64_t> g_myThirdpartyCount;
extern std::atomic<std::int64_t> g_tbloCount;

} // namespace ovr
