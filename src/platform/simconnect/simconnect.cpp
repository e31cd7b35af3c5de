// The SimConnect functions, served by the current stand-in world.
#include "platform/simconnect/simconnect.h"

#include "platform/simconnect/world_core.h"

using ovr::sim::detail::currentCore;

HRESULT SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, SIMCONNECT_HWND, DWORD, HANDLE, DWORD)
{
    return currentCore().open(phSimConnect, szName);
}

HRESULT SimConnect_Close(HANDLE hSimConnect)
{
    return currentCore().close(hSimConnect);
}

HRESULT SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch, void* pContext)
{
    return currentCore().callDispatch(hSimConnect, pfcnDispatch, pContext);
}

HRESULT SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwSendID)
{
    return currentCore().lastSentPacketId(hSimConnect, pdwSendID);
}

HRESULT SimConnect_RequestSystemState(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                      const char* szState)
{
    return currentCore().requestSystemState(hSimConnect, RequestID, szState);
}

HRESULT SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                          const char* SystemEventName)
{
    return currentCore().subscribeToSystemEvent(hSimConnect, EventID, SystemEventName);
}

HRESULT SimConnect_MapClientEventToSimEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                            const char* EventName)
{
    return currentCore().mapClientEvent(hSimConnect, EventID, EventName);
}

HRESULT SimConnect_AddClientEventToNotificationGroup(HANDLE hSimConnect,
                                                     SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                     SIMCONNECT_CLIENT_EVENT_ID EventID, BOOL bMaskable)
{
    return currentCore().addClientEventToGroup(hSimConnect, GroupID, EventID, bMaskable);
}

HRESULT SimConnect_SetNotificationGroupPriority(HANDLE hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                DWORD uPriority)
{
    return currentCore().setGroupPriority(hSimConnect, GroupID, uPriority);
}

HRESULT SimConnect_TransmitClientEvent(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                       SIMCONNECT_CLIENT_EVENT_ID EventID, DWORD dwData,
                                       SIMCONNECT_NOTIFICATION_GROUP_ID GroupID, SIMCONNECT_EVENT_FLAG Flags)
{
    return currentCore().transmitClientEvent(hSimConnect, ObjectID, EventID, dwData, GroupID, Flags);
}

HRESULT SimConnect_AddToDataDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       const char* DatumName, const char* UnitsName,
                                       SIMCONNECT_DATATYPE DatumType, float, DWORD)
{
    return currentCore().addToDataDefinition(hSimConnect, DefineID, DatumName, UnitsName, DatumType);
}

HRESULT SimConnect_RequestDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                          SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                          SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_PERIOD Period,
                                          SIMCONNECT_DATA_REQUEST_FLAG Flags, DWORD, DWORD, DWORD)
{
    return currentCore().requestData(hSimConnect, RequestID, DefineID, ObjectID, Period, Flags);
}

HRESULT SimConnect_RequestDataOnSimObjectType(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                              SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters,
                                              SIMCONNECT_SIMOBJECT_TYPE type)
{
    return currentCore().requestDataByType(hSimConnect, RequestID, DefineID, dwRadiusMeters, type);
}

HRESULT SimConnect_SetDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                      SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_DATA_SET_FLAG Flags,
                                      DWORD ArrayCount, DWORD cbUnitSize, void* pDataSet)
{
    return currentCore().setData(hSimConnect, DefineID, ObjectID, Flags, ArrayCount, cbUnitSize, pDataSet);
}

HRESULT SimConnect_AICreateNonATCAircraft(HANDLE hSimConnect, const char* szContainerTitle,
                                          const char* szTailNumber, SIMCONNECT_DATA_INITPOSITION InitPos,
                                          SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return currentCore().createAircraft(hSimConnect, szContainerTitle, szTailNumber, InitPos, RequestID);
}

HRESULT SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                  SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return currentCore().removeObject(hSimConnect, ObjectID, RequestID);
}

HRESULT SimConnect_AIReleaseControl(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                    SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return currentCore().releaseControl(hSimConnect, ObjectID, RequestID);
}

HRESULT SimConnect_AISetAircraftFlightPlan(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                           const char* szFlightPlanPath, SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return currentCore().setFlightPlan(hSimConnect, ObjectID, szFlightPlanPath, RequestID);
}

HRESULT SimConnect_AddToFacilityDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                           const char* FieldName)
{
    return currentCore().addToFacilityDefinition(hSimConnect, DefineID, FieldName);
}

HRESULT SimConnect_RequestFacilityData(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       SIMCONNECT_DATA_REQUEST_ID RequestID, const char* ICAO,
                                       const char* Region)
{
    return currentCore().requestFacilityData(hSimConnect, DefineID, RequestID, ICAO, Region);
}
