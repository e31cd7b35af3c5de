// The simulator that answered is gone, or is not the one configured: the
// session ends, and for the other simulator the settings switch over to it
// so that the restart connects to that one.
#pragma once

namespace ovr
{

// Prepares a restart for the simulator now chosen in SIM_CHOICE: the scans
// run again and the livery matching is rebuilt ("NEW SETTINGS", 3 s).
void gf_switchSimVersion();

// The simulator connection is gone (versionSwitch false: "SIM WAS CLOSED"),
// or the simulator that answered is the other one (versionSwitch true:
// SIM_CHOICE switches over and the session restarts).
void gf_simDisconnected(bool versionSwitch);

} // namespace ovr
