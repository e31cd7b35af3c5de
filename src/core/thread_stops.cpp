#include <fmt/format.h>

#include "core/globals.h"
#include "core/status_line.h"
#include "core/stop_request.h"

namespace ovr
{

void gf_threadStoppedWithError(std::string_view threadName, bool restartable)
{
    gf_setStatus(fmt::format("The {} has stopped with an error", threadName), true);
    if (restartable)
    {
        gf_requestStop(kExitReaderError, kDelayReaderError);
    }
    else
    {
        gf_requestStop(kExitSystemError, 0);
    }
}

} // namespace ovr
