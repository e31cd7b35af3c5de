#include "scanners/airport_file_counts.h"

namespace ovr
{

std::atomic<std::int64_t> g_mySimaddonCount{0};
std::atomic<std::int64_t> g_myThirdpartyCount{0};
std::atomic<std::int64_t> g_tbloCount{0};

} // namespace ovr
