#include "gui/updater.h"

#include "core/download.h"
#include "core/log.h"

namespace ovr
{

// Until the updater exists the check only finds out whether the download
// service is there; the program goes on either way.
bool gf_checkForUpdates()
{
    if (gf_downloadBase().empty())
    {
        gf_logWarning("Update check: the download service cannot be reached");
    }
    return true;
}

} // namespace ovr
