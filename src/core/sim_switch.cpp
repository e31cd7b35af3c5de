#include "core/closing_down.h"
#include "core/globals.h"

namespace ovr {

void gf_switchSimVersion()
{
    gf_requestStop(kExitNewSettings, kDelaySimVersionSwitch);
}

void gf_simDisconnected(bool versionSwitch)
{
    if (g_stop.load() != 0)
    {
        return;
    }
    if (versionSwitch)
    {
        gf_switchSimVersion();
        return;
    }
    gf_requestStop(kExitSimWasClosed, 0);
}

} // namespace ovr
