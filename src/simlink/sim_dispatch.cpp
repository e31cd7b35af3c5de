// The dispatch procedure: every record the simulator sends on the "Vora"
// connection, by kind, on the SimClient thread.
#include <cctype>
#include <exception>
#include <mutex>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "core/globals.h"
#include "core/log.h"
#include "core/received_record.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/user_aircraft.h"

namespace ovr
{

namespace
{

// A handler's exception, kept until SimConnect_CallDispatch has returned: it
// must not unwind through the simulator's library. SimClient thread only.
std::exception_ptr g_dispatchError;

// The running simulator's application names.
constexpr std::string_view kMsfs2020Name = "KittyHawk";
constexpr std::string_view kMsfs2024Name = "SunRise";

constexpr std::int32_t kErrorOtherSimulator = 2024;
constexpr std::int32_t kErrorUnknownSimulator = 77;
constexpr std::int32_t kErrorVersionMismatch = 95;

void lf_requestNewFlightStop()
{
    gf_requestStop(kExitNewFlight, kDelayNewFlight);
}

// Letters, digits and white space of 7-bit ASCII only.
std::string lf_filterName(std::string_view name)
{
    std::string kept;
    for (const char c : name)
    {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && (std::isalnum(u) != 0 || std::isspace(u) != 0))
        {
            kept.push_back(c);
        }
    }
    return kept;
}

void lf_onOpen(const SIMCONNECT_RECV_OPEN& open)
{
    const std::string raw = gf_fieldText(open.szApplicationName, sizeof(open.szApplicationName));
    if (raw.empty())
    {
        gf_log("! Simulator name empty?");
        return;
    }
    g_simConnectedShown.exchange(1);
    gf_repaintMainWindow();

    const std::string name = lf_filterName(raw);
    const bool configured2020 = g_simIs2020.load() != 0;
    std::string shown;
    if (name == kMsfs2020Name)
    {
        if (!configured2020)
        {
            throw UserErrorException(kErrorOtherSimulator, "");
        }
        shown = "MSFS 2020";
    }
    else if (name == kMsfs2024Name)
    {
        if (configured2020)
        {
            throw UserErrorException(kErrorOtherSimulator, "");
        }
        shown = "MSFS 2024";
    }
    else
    {
        throw UserErrorException(kErrorUnknownSimulator,
                                 fmt::format("'{}' not being MSFS 2020 or MSFS 2024 connects ... ?", name));
    }

    std::string text =
        fmt::format("{} ({}.{}.{}.{})", shown, open.dwApplicationVersionMajor, open.dwApplicationVersionMinor,
                    open.dwApplicationBuildMajor, open.dwApplicationBuildMinor);
    gf_log(fmt::format("{} connected", text));
    gf_setSimulatorText(std::move(text));
    gf_repaintMainWindow();
    gf_clearStatus();
}

void lf_onException(const SIMCONNECT_RECV_EXCEPTION& e)
{
    switch (e.dwException)
    {
    case SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID:
        // Before the user aircraft is known, and while closing down, these
        // are the expected echo of objects that are already gone.
        if (gf_positionKnown(g_userState.latitude, g_userState.longitude) && !gf_isQuiet())
        {
            gf_logWarning("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
        }
        break;
    case SIMCONNECT_EXCEPTION_VERSION_MISMATCH:
        throw UserErrorException(kErrorVersionMismatch,
                                 fmt::format("SimConnect Version Mismatch, dwIndex: {}", e.dwIndex));
    case SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS:
        gf_setStatus("SimConnect: too many objects (max 1000)", true);
        break;
    case SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE:
        gf_log("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE");
        break;
    case SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED:
        lf_onCreateFailed(e.dwSendID);
        break;
    case SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED:
        gf_logWarning("SimConnect exception: load flight plan failed");
        break;
    case SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE:
        gf_log("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
        break;
    default:
        gf_logWarning(fmt::format("SIMCONNECT_EXCEPTION #{}", e.dwException));
        break;
    }
}

void lf_setSimRunning(DWORD state)
{
    const std::uint8_t running = state == 1 ? 1 : 0;
    g_simRunning.exchange(running);
    g_simRunningShown.exchange(running);
    gf_repaintMainWindow();
}

void lf_onSystemState(const SIMCONNECT_RECV_SYSTEM_STATE& s)
{
    if (s.dwRequestID == kReqSimState)
    {
        lf_setSimRunning(s.dwInteger);
    }
}

void lf_onEvent(const SIMCONNECT_RECV_EVENT& e)
{
    if (e.uEventID == kEventSim)
    {
        lf_setSimRunning(e.dwData);
    }
    else if (e.uEventID == kEventFlightLoaded)
    {
        gf_log("SimConnect: flight loaded event");
        gf_checkUserStand();
        lf_requestNewFlightStop();
    }
}

void lf_onQuit()
{
    // The simulator is gone: the session ends with "SIM WAS CLOSED" instead
    // of waiting for a simulation that cannot run again.
    g_simRunning.exchange(0);
    lf_simDisconnect(false);
}

void lf_onFileName()
{
    gf_logWarning("SimConnect: New file event");
    gf_checkUserStand();
    lf_requestNewFlightStop();
}

template <class Rec, class Handler>
void lf_handle(const SIMCONNECT_RECV& record, DWORD size, Handler&& handler)
{
    if (const Rec* rec = gf_recordAs<Rec>(record, size))
    {
        handler(*rec);
    }
    else
    {
        gf_log(fmt::format("! SimConnect record {} of {} bytes is too short, dropped", record.dwID,
                           gf_recordBytes(record, size)));
    }
}

void lf_handleData(const SIMCONNECT_RECV& record, DWORD size, void (*handler)(const ObjectData&))
{
    if (const std::optional<ObjectData> data = gf_objectData(record, size))
    {
        handler(*data);
    }
    else
    {
        gf_log(fmt::format("! SimConnect data record of {} bytes has no header, dropped",
                           gf_recordBytes(record, size)));
    }
}

void lf_dispatch(const SIMCONNECT_RECV& record, DWORD size)
{
    switch (record.dwID)
    {
    case SIMCONNECT_RECV_ID_EXCEPTION:
        lf_handle<SIMCONNECT_RECV_EXCEPTION>(record, size, lf_onException);
        break;
    case SIMCONNECT_RECV_ID_OPEN:
        lf_handle<SIMCONNECT_RECV_OPEN>(record, size, lf_onOpen);
        break;
    case SIMCONNECT_RECV_ID_QUIT:
        lf_onQuit();
        break;
    case SIMCONNECT_RECV_ID_EVENT:
        lf_handle<SIMCONNECT_RECV_EVENT>(record, size, lf_onEvent);
        break;
    case SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE:
        lf_handle<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>(record, size, lf_onObjectAddRemove);
        break;
    case SIMCONNECT_RECV_ID_EVENT_FILENAME:
        lf_onFileName();
        break;
    case SIMCONNECT_RECV_ID_EVENT_FRAME:
        lf_onFrame();
        break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
        lf_handleData(record, size, lf_onSimObjectData);
        break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
        lf_handleData(record, size, lf_onSimObjectDataByType);
        break;
    case SIMCONNECT_RECV_ID_SYSTEM_STATE:
        lf_handle<SIMCONNECT_RECV_SYSTEM_STATE>(record, size, lf_onSystemState);
        break;
    case SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID:
        lf_handle<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>(record, size, lf_onAssignedObjectId);
        break;
    case SIMCONNECT_RECV_ID_CLIENT_DATA:
    case SIMCONNECT_RECV_ID_EVENT_EX1:
        break;
    default:
        gf_log(fmt::format("! Unknown Dispatch dwID {}", record.dwID));
        break;
    }
}

} // namespace

void lf_simDispatch(SIMCONNECT_RECV* data, DWORD size, void* /*context*/)
{
    // After a handler threw, the connection is about to end: what follows in
    // the same call is not acted on, as if the throw had left the call.
    if (data == nullptr || g_dispatchError)
    {
        return;
    }
    try
    {
        lf_dispatch(*data, size);
    }
    catch (...)
    {
        g_dispatchError = std::current_exception();
    }
}

std::exception_ptr lf_takeDispatchError()
{
    return std::exchange(g_dispatchError, nullptr);
}

HRESULT lf_dispatchPending(HANDLE h)
{
    const HRESULT result = SimConnect_CallDispatch(h, lf_simDispatch, nullptr);
    if (std::exception_ptr error = lf_takeDispatchError())
    {
        std::rethrow_exception(error);
    }
    return result;
}

} // namespace ovr
