#include <mutex>

#include "app/main_loop.h"
#include "app/start_up_detail.h"
#include "core/globals.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "gui/app_window.h"
#include "gui/window_state.h"
#include "service/rt_readers.h"
#include "simlink/sim_client.h"
#include "simlink/sim_link_reset.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/adding_stack.h"
#include "traffic/live_aircraft.h"
#include "traffic/live_lists.h"

namespace ovr
{

void lf_resetTimeShift()
{
    for (IntListParameter* parameter : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS})
    {
        parameter->current.store(parameter->clamp(0));
        gf_saveParameter(*parameter);
    }
}

void lf_resetForRestart()
{
    gf_resetRtReaders();
    gf_resetSimLinkForRestart();
    gf_clearTrafficState();
    gf_resetStatusLine();
    gf_resetWindowState();

    g_userClosed.store(0);
    g_stop.store(0);
    g_exitReason.store(kExitNotYetSet);
    g_restartDelay.store(0);
    g_hWnd.store(nullptr);
    g_userDataArrived.store(0);

    {
        std::lock_guard lock(g_simConnectMutex);
        g_userPos = UserAcState{};
    }
    g_flightPaused.store(0);
    g_rtProfessional.store(0);
    g_staticParkingArmed.store(0);
    g_blockListChanged.store(0);
    g_followChanged.store(0);
    g_tick.store(0);
    g_notYetConnected.store(1);

    // A close (the window's button, SIGTERM) that came after the countdown
    // last looked for one was just wiped out with the old session's stop:
    // it holds for the new session, which then ends as soon as it starts.
    // Left cleared, the program would run on and never close.
    if (g_closeClicked.load() != 0)
        gf_requestUserClose();
}

} // namespace ovr
