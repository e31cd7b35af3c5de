// Putting the simulator link back to its start values.
#pragma once

namespace ovr
{

// Empties both position-update buffers, under g_simConnectMutex.
void gf_clearPosUpdates();

// Before a restart, once the SimClient thread was asked to stop: the queues,
// pending creations and new object ids emptied, the position buffers back in
// their first order, the user aircraft's data, title, stand, previous
// position, on-ground state and wingspan flag cleared, the running and error
// flags cleared, the handle forgotten and the user object id back to 2.
void gf_resetSimLinkForRestart();

} // namespace ovr
