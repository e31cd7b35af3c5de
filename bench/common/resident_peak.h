// The resident memory a piece of work adds at its most, as the system counts
// it (pages touched, not bytes asked for): the process's peak is set back to
// what it holds now, the work runs, and the new peak less the start is the
// rise. Where the system cannot say (not Linux), the rise reads -1.
#pragma once

#include <functional>

namespace ovr::bench
{

// Megabytes the work raised the process's resident peak by. Memory the
// allocator kept from earlier work is given back first, so that the rise is
// the work's own.
double residentRiseMB(const std::function<void()>& work);

} // namespace ovr::bench
