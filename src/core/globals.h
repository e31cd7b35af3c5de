// Program-wide state flags that every subsystem reads. They are set by the
// start-up, the closing down and the service login; threads read them without
// a lock, so each is a single atomic byte or word.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "core/version_data.h"

namespace ovr
{

// The program's short name, used in the log header, messages and the web
// client's user agent.
inline constexpr std::string_view g_programShortName = "Vora";

// A stop of the running session was requested (by any thread).
extern std::atomic<std::uint8_t> g_stop;
// The user closed the window; the program is on its way out.
extern std::atomic<std::uint8_t> g_userClosed;

// Nonzero when MSFS 2020 is the configured simulator, zero for MSFS 2024.
extern std::atomic<std::uint8_t> g_simIs2020;
// 1 for MSFS 2020, 2 for MSFS 2024 (written into data-file meta blocks).
extern std::atomic<std::int32_t> g_simNumber;

// The service account is professional (it may replay earlier traffic).
extern std::atomic<std::uint8_t> g_rtProfessional;
// Nonzero exactly while a time shift above 0 minutes is in force.
extern std::atomic<std::uint8_t> g_timeShiftOn;

// The program's own version, 12.5.5.
extern const VersionData g_version;

// The log's and the settings' quiet rule: once a stop or the user's close is
// under way, routine lines are no longer written.
inline bool gf_isQuiet()
{
    return g_stop.load() != 0 || g_userClosed.load() != 0;
}

} // namespace ovr
