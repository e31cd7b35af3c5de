// SimConnect on Windows: the program's calls are resolved at run time in
// SimConnect.dll, looked for in the program's folder and then in the system's
// folders. Without it every call fails as a simulator that is not running
// does, so the program starts, shows that it waits for the simulator, and
// finds the library when it is put in place, without a restart.
#include "platform/simconnect/simconnect.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace
{

std::mutex g_libraryLock;
HMODULE g_library = nullptr; // loaded once, kept for the process's life

FARPROC lf_lookUp(const char* name)
{
    std::lock_guard lock(g_libraryLock);
    if (g_library == nullptr)
    {
        // Not the working folder: only the program's own folder and the
        // system's, so no stray copy elsewhere is picked up.
        g_library = LoadLibraryExW(L"SimConnect.dll", nullptr,
                                   LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        if (g_library == nullptr)
            return nullptr;
    }
    return GetProcAddress(g_library, name);
}

// Calls the library's function of the same name and type as Function, our
// own declaration of it; E_FAIL while the library or the function is missing.
template <auto Function, typename... Args> HRESULT lf_call(const char* name, Args... args)
{
    using Pointer = decltype(Function);
    static std::atomic<Pointer> resolved{nullptr};
    Pointer function = resolved.load(std::memory_order_acquire);
    if (function == nullptr)
    {
        const FARPROC found = lf_lookUp(name);
        if (found == nullptr)
            return E_FAIL;
        // void (*)() converts to any function type without a warning.
        function = reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(found));
        resolved.store(function, std::memory_order_release);
    }
    return function(args...);
}

} // namespace

HRESULT SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, SIMCONNECT_HWND hWnd, DWORD UserEventWin32,
                        HANDLE hEventHandle, DWORD ConfigIndex)
{
    return lf_call<&SimConnect_Open>("SimConnect_Open", phSimConnect, szName, hWnd, UserEventWin32,
                                     hEventHandle, ConfigIndex);
}

HRESULT SimConnect_Close(HANDLE hSimConnect)
{
    return lf_call<&SimConnect_Close>("SimConnect_Close", hSimConnect);
}

HRESULT SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch, void* pContext)
{
    return lf_call<&SimConnect_CallDispatch>("SimConnect_CallDispatch", hSimConnect, pfcnDispatch, pContext);
}

HRESULT SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwSendID)
{
    return lf_call<&SimConnect_GetLastSentPacketID>("SimConnect_GetLastSentPacketID", hSimConnect, pdwSendID);
}

HRESULT SimConnect_RequestSystemState(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                      const char* szState)
{
    return lf_call<&SimConnect_RequestSystemState>("SimConnect_RequestSystemState", hSimConnect, RequestID,
                                                   szState);
}

HRESULT SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                          const char* SystemEventName)
{
    return lf_call<&SimConnect_SubscribeToSystemEvent>("SimConnect_SubscribeToSystemEvent", hSimConnect,
                                                       EventID, SystemEventName);
}

HRESULT SimConnect_MapClientEventToSimEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                            const char* EventName)
{
    return lf_call<&SimConnect_MapClientEventToSimEvent>("SimConnect_MapClientEventToSimEvent", hSimConnect,
                                                         EventID, EventName);
}

HRESULT SimConnect_AddClientEventToNotificationGroup(HANDLE hSimConnect,
                                                     SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                     SIMCONNECT_CLIENT_EVENT_ID EventID, BOOL bMaskable)
{
    return lf_call<&SimConnect_AddClientEventToNotificationGroup>(
        "SimConnect_AddClientEventToNotificationGroup", hSimConnect, GroupID, EventID, bMaskable);
}

HRESULT SimConnect_SetNotificationGroupPriority(HANDLE hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                DWORD uPriority)
{
    return lf_call<&SimConnect_SetNotificationGroupPriority>("SimConnect_SetNotificationGroupPriority",
                                                             hSimConnect, GroupID, uPriority);
}

HRESULT SimConnect_TransmitClientEvent(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                       SIMCONNECT_CLIENT_EVENT_ID EventID, DWORD dwData,
                                       SIMCONNECT_NOTIFICATION_GROUP_ID GroupID, SIMCONNECT_EVENT_FLAG Flags)
{
    return lf_call<&SimConnect_TransmitClientEvent>("SimConnect_TransmitClientEvent", hSimConnect, ObjectID,
                                                    EventID, dwData, GroupID, Flags);
}

HRESULT SimConnect_AddToDataDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       const char* DatumName, const char* UnitsName,
                                       SIMCONNECT_DATATYPE DatumType, float fEpsilon, DWORD DatumID)
{
    return lf_call<&SimConnect_AddToDataDefinition>("SimConnect_AddToDataDefinition", hSimConnect, DefineID,
                                                    DatumName, UnitsName, DatumType, fEpsilon, DatumID);
}

HRESULT SimConnect_RequestDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                          SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                          SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_PERIOD Period,
                                          SIMCONNECT_DATA_REQUEST_FLAG Flags, DWORD origin, DWORD interval,
                                          DWORD limit)
{
    return lf_call<&SimConnect_RequestDataOnSimObject>("SimConnect_RequestDataOnSimObject", hSimConnect,
                                                       RequestID, DefineID, ObjectID, Period, Flags, origin,
                                                       interval, limit);
}

HRESULT SimConnect_RequestDataOnSimObjectType(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                              SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters,
                                              SIMCONNECT_SIMOBJECT_TYPE type)
{
    return lf_call<&SimConnect_RequestDataOnSimObjectType>(
        "SimConnect_RequestDataOnSimObjectType", hSimConnect, RequestID, DefineID, dwRadiusMeters, type);
}

HRESULT SimConnect_SetDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                      SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_DATA_SET_FLAG Flags,
                                      DWORD ArrayCount, DWORD cbUnitSize, void* pDataSet)
{
    return lf_call<&SimConnect_SetDataOnSimObject>("SimConnect_SetDataOnSimObject", hSimConnect, DefineID,
                                                   ObjectID, Flags, ArrayCount, cbUnitSize, pDataSet);
}

HRESULT SimConnect_AICreateNonATCAircraft(HANDLE hSimConnect, const char* szContainerTitle,
                                          const char* szTailNumber, SIMCONNECT_DATA_INITPOSITION InitPos,
                                          SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return lf_call<&SimConnect_AICreateNonATCAircraft>("SimConnect_AICreateNonATCAircraft", hSimConnect,
                                                       szContainerTitle, szTailNumber, InitPos, RequestID);
}

HRESULT SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                  SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return lf_call<&SimConnect_AIRemoveObject>("SimConnect_AIRemoveObject", hSimConnect, ObjectID, RequestID);
}

HRESULT SimConnect_AIReleaseControl(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                    SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return lf_call<&SimConnect_AIReleaseControl>("SimConnect_AIReleaseControl", hSimConnect, ObjectID,
                                                 RequestID);
}

HRESULT SimConnect_AISetAircraftFlightPlan(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                           const char* szFlightPlanPath, SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return lf_call<&SimConnect_AISetAircraftFlightPlan>("SimConnect_AISetAircraftFlightPlan", hSimConnect,
                                                        ObjectID, szFlightPlanPath, RequestID);
}

HRESULT SimConnect_AddToFacilityDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                           const char* FieldName)
{
    return lf_call<&SimConnect_AddToFacilityDefinition>("SimConnect_AddToFacilityDefinition", hSimConnect,
                                                        DefineID, FieldName);
}

HRESULT SimConnect_RequestFacilityData(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       SIMCONNECT_DATA_REQUEST_ID RequestID, const char* ICAO,
                                       const char* Region)
{
    return lf_call<&SimConnect_RequestFacilityData>("SimConnect_RequestFacilityData", hSimConnect, DefineID,
                                                    RequestID, ICAO, Region);
}
