// The handlers of the SimClient thread, shared between its files and
// reached by the tests, which drive them on their own thread against the
// stand-in simulator.
#pragma once

#include <exception>
#include <string_view>

#include "core/received_record.h"
#include "platform/simconnect/simconnect.h"

namespace ovr
{

// Registers every identifier on g_simConnect, right after each open.
void lf_setupSimConnect();
// The dispatch procedure. A program exception thrown by a handler is kept
// (and the records after it are skipped) until lf_dispatchPending rethrows
// it, so that it never unwinds through the simulator's library.
void lf_simDispatch(SIMCONNECT_RECV* data, DWORD size, void* context);
// What a handler threw since the last take, or null.
std::exception_ptr lf_takeDispatchError();
// SimConnect_CallDispatch with lf_simDispatch, then the rethrow of what a
// handler threw. A negative result of the call means the connection failed.
HRESULT lf_dispatchPending(HANDLE h);

// Closes a nonzero handle and zeroes it.
void lf_closeSimConnect(HANDLE& h);
// Every end of SimClient: the user's stand checked, the connected indicator
// off, g_simConnect 0.
void lf_onSimClientEnd();
// The connection is gone (or the other simulator answered): g_simRunning
// cleared and the closing down's disconnect handling, once per SimClient run.
void lf_simDisconnect(bool versionSwitch);
void lf_resetDisconnect();

// Part of the queues' side.
void lf_onFrame();
void lf_onObjectAddRemove(const SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE& event);
void lf_onSimObjectDataByType(const ObjectData& data);
void lf_onCreateFailed(DWORD sendId);
void lf_onAssignedObjectId(const SIMCONNECT_RECV_ASSIGNED_OBJECT_ID& assigned);
// The reply to the ground-data request of an object just assigned.
void lf_onNewObjectData(const ObjectData& data);
void lf_onStaticValues(const ObjectData& data);
// The note about the simulator's own AS-GEN aircraft may be written again.
void lf_resetAsGenNote();

// The user aircraft's side.
void lf_onSimObjectData(const ObjectData& data);
void lf_onUserAcTitle(std::string_view title);
void lf_onUserAcModel(std::string_view model);
// The next position reply is the first one again (no jump to compare with).
void lf_resetPrevUserPos();

// The log line of a data record too short for its definition.
void lf_logShortData(const ObjectData& data, std::size_t needed);

} // namespace ovr
