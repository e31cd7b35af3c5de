#include "core/globals.h"

namespace ovr
{

std::atomic<std::uint8_t> g_stop{0};
std::atomic<std::uint8_t> g_userClosed{0};
std::atomic<std::uint8_t> g_simIs2020{1};
std::atomic<std::int32_t> g_simNumber{1};
std::atomic<std::uint8_t> g_rtProfessional{0};
std::atomic<std::uint8_t> g_timeShiftOn{0};

const VersionData g_version{"12.5.5"};

} // namespace ovr
