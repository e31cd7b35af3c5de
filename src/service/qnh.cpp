#include "service/qnh.h"

namespace ovr
{

std::atomic<std::int32_t> g_qnhHpa{kStandardQnhHpa};

} // namespace ovr
