// The part of the SimConnect client interface that this program calls, with
// the names, numbers and record layouts of the public SimConnect API, so that
// the simulator link reads as it would against the simulator's own library.
// Here the calls are served by the in-process stand-in simulator (world.h).
//
// Received records are laid out as the API documents them: a SIMCONNECT_RECV
// header followed by 32-bit fields; variable-length data starts at the field
// named dwData (or Data) and runs to the end of the record (dwSize).
#pragma once

#include "platform/win/win_types.h"

// Window handles are opaque here; the client passes none.
using SIMCONNECT_HWND = HANDLE;

using SIMCONNECT_OBJECT_ID = DWORD;
using SIMCONNECT_CLIENT_EVENT_ID = DWORD;
using SIMCONNECT_NOTIFICATION_GROUP_ID = DWORD;
using SIMCONNECT_DATA_DEFINITION_ID = DWORD;
using SIMCONNECT_DATA_REQUEST_ID = DWORD;
using SIMCONNECT_DATA_REQUEST_FLAG = DWORD;
using SIMCONNECT_DATA_SET_FLAG = DWORD;
using SIMCONNECT_EVENT_FLAG = DWORD;

constexpr DWORD SIMCONNECT_UNUSED = 0xFFFFFFFFu;
constexpr SIMCONNECT_OBJECT_ID SIMCONNECT_OBJECT_ID_USER = 0;
constexpr DWORD SIMCONNECT_GROUP_PRIORITY_HIGHEST = 1;

enum SIMCONNECT_RECV_ID : DWORD
{
    SIMCONNECT_RECV_ID_EXCEPTION = 1,
    SIMCONNECT_RECV_ID_OPEN = 2,
    SIMCONNECT_RECV_ID_QUIT = 3,
    SIMCONNECT_RECV_ID_EVENT = 4,
    SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE = 5,
    SIMCONNECT_RECV_ID_EVENT_FILENAME = 6,
    SIMCONNECT_RECV_ID_EVENT_FRAME = 7,
    SIMCONNECT_RECV_ID_SIMOBJECT_DATA = 8,
    SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE = 9,
    SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID = 12,
    SIMCONNECT_RECV_ID_SYSTEM_STATE = 15,
    SIMCONNECT_RECV_ID_CLIENT_DATA = 16,
    SIMCONNECT_RECV_ID_EVENT_EX1 = 27,
    SIMCONNECT_RECV_ID_FACILITY_DATA = 28,
    SIMCONNECT_RECV_ID_FACILITY_DATA_END = 29,
};

enum SIMCONNECT_DATATYPE : DWORD
{
    SIMCONNECT_DATATYPE_INT64 = 2,
    SIMCONNECT_DATATYPE_FLOAT64 = 4,
    SIMCONNECT_DATATYPE_STRING32 = 6,
    SIMCONNECT_DATATYPE_STRINGV = 11,
};

enum SIMCONNECT_EXCEPTION : DWORD
{
    SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID = 3,
    SIMCONNECT_EXCEPTION_VERSION_MISMATCH = 5,
    SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS = 11,
    SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE = 19,
    SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED = 22,
    SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED = 23,
    SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE = 24,
};

enum SIMCONNECT_SIMOBJECT_TYPE : DWORD
{
    SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT = 2,
};

enum SIMCONNECT_PERIOD : DWORD
{
    SIMCONNECT_PERIOD_ONCE = 1,
    SIMCONNECT_PERIOD_SECOND = 4,
};

enum SIMCONNECT_FACILITY_DATA_TYPE : DWORD
{
    SIMCONNECT_FACILITY_DATA_AIRPORT = 0,
    SIMCONNECT_FACILITY_DATA_HELIPAD = 4,
    SIMCONNECT_FACILITY_DATA_TAXI_PARKING = 15,
};

#pragma pack(push, 4)

struct SIMCONNECT_RECV
{
    DWORD dwSize;
    DWORD dwVersion;
    DWORD dwID;
};

struct SIMCONNECT_RECV_EXCEPTION : SIMCONNECT_RECV
{
    DWORD dwException;
    DWORD dwSendID;
    DWORD dwIndex;
};

struct SIMCONNECT_RECV_OPEN : SIMCONNECT_RECV
{
    char szApplicationName[256];
    DWORD dwApplicationVersionMajor;
    DWORD dwApplicationVersionMinor;
    DWORD dwApplicationBuildMajor;
    DWORD dwApplicationBuildMinor;
    DWORD dwSimConnectVersionMajor;
    DWORD dwSimConnectVersionMinor;
    DWORD dwSimConnectBuildMajor;
    DWORD dwSimConnectBuildMinor;
    DWORD dwReserved1;
    DWORD dwReserved2;
};

struct SIMCONNECT_RECV_QUIT : SIMCONNECT_RECV
{
};

struct SIMCONNECT_RECV_EVENT : SIMCONNECT_RECV
{
    DWORD uGroupID;
    DWORD uEventID;
    DWORD dwData;
};

struct SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE : SIMCONNECT_RECV_EVENT
{
    SIMCONNECT_SIMOBJECT_TYPE eObjType;
};

struct SIMCONNECT_RECV_EVENT_FILENAME : SIMCONNECT_RECV_EVENT
{
    char szFileName[260];
    DWORD dwFlags;
};

struct SIMCONNECT_RECV_EVENT_FRAME : SIMCONNECT_RECV_EVENT
{
    float fFrameRate;
    float fSimSpeed;
};

struct SIMCONNECT_RECV_SIMOBJECT_DATA : SIMCONNECT_RECV
{
    DWORD dwRequestID;
    DWORD dwObjectID;
    DWORD dwDefineID;
    DWORD dwFlags;
    DWORD dwentrynumber;
    DWORD dwoutof;
    DWORD dwDefineCount;
    DWORD dwData;
};

struct SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE : SIMCONNECT_RECV_SIMOBJECT_DATA
{
};

struct SIMCONNECT_RECV_ASSIGNED_OBJECT_ID : SIMCONNECT_RECV
{
    DWORD dwRequestID;
    DWORD dwObjectID;
};

// The answer to SimConnect_RequestSystemState.
struct SIMCONNECT_RECV_SYSTEM_STATE : SIMCONNECT_RECV
{
    DWORD dwRequestID;
    DWORD dwInteger;
    float fFloat;
    char szString[260];
};

struct SIMCONNECT_RECV_FACILITY_DATA : SIMCONNECT_RECV
{
    DWORD UserRequestId;
    DWORD UniqueRequestId;
    DWORD ParentUniqueRequestId;
    SIMCONNECT_FACILITY_DATA_TYPE Type;
    bool IsListItem;
    DWORD ItemIndex;
    DWORD ListSize;
    DWORD Data;
};

struct SIMCONNECT_RECV_FACILITY_DATA_END : SIMCONNECT_RECV
{
    DWORD RequestId;
};

struct SIMCONNECT_DATA_INITPOSITION
{
    double Latitude;  // degrees
    double Longitude; // degrees
    double Altitude;  // feet
    double Pitch;     // degrees
    double Bank;      // degrees
    double Heading;   // degrees
    DWORD OnGround;   // 1 puts the object on the ground
    DWORD Airspeed;   // knots
};

#pragma pack(pop)

static_assert(sizeof(SIMCONNECT_RECV) == 12);
static_assert(sizeof(SIMCONNECT_RECV_EXCEPTION) == 24);
static_assert(sizeof(SIMCONNECT_RECV_OPEN) == 308);
static_assert(sizeof(SIMCONNECT_RECV_EVENT) == 24);
static_assert(sizeof(SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE) == 28);
static_assert(sizeof(SIMCONNECT_RECV_EVENT_FILENAME) == 288);
static_assert(sizeof(SIMCONNECT_RECV_EVENT_FRAME) == 32);
static_assert(sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) == 44);
static_assert(sizeof(SIMCONNECT_RECV_ASSIGNED_OBJECT_ID) == 20);
static_assert(sizeof(SIMCONNECT_RECV_SYSTEM_STATE) == 284);
static_assert(sizeof(SIMCONNECT_RECV_FACILITY_DATA) == 44);
static_assert(sizeof(SIMCONNECT_RECV_FACILITY_DATA_END) == 16);
static_assert(sizeof(SIMCONNECT_DATA_INITPOSITION) == 56);

using DispatchProc = void (*)(SIMCONNECT_RECV* pData, DWORD cbData, void* pContext);

// C names, as the simulator's library exports them: on Windows the program
// looks them up by name in SimConnect.dll.
extern "C"
{

HRESULT SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, SIMCONNECT_HWND hWnd, DWORD UserEventWin32,
                        HANDLE hEventHandle, DWORD ConfigIndex);
HRESULT SimConnect_Close(HANDLE hSimConnect);
HRESULT SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch, void* pContext);
HRESULT SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwSendID);

// States: "Sim" (dwInteger 1 while the simulation runs), "FlightLoaded"
// (szString the flight file), "AircraftLoaded" (szString the aircraft's
// file), "DialogMode" (dwInteger 1 while a dialog is open).
HRESULT SimConnect_RequestSystemState(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                      const char* szState);
HRESULT SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                          const char* SystemEventName);
HRESULT SimConnect_MapClientEventToSimEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                            const char* EventName);
HRESULT SimConnect_AddClientEventToNotificationGroup(HANDLE hSimConnect,
                                                     SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                     SIMCONNECT_CLIENT_EVENT_ID EventID, BOOL bMaskable);
HRESULT SimConnect_SetNotificationGroupPriority(HANDLE hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                DWORD uPriority);
HRESULT SimConnect_TransmitClientEvent(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                       SIMCONNECT_CLIENT_EVENT_ID EventID, DWORD dwData,
                                       SIMCONNECT_NOTIFICATION_GROUP_ID GroupID, SIMCONNECT_EVENT_FLAG Flags);

HRESULT SimConnect_AddToDataDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       const char* DatumName, const char* UnitsName,
                                       SIMCONNECT_DATATYPE DatumType, float fEpsilon, DWORD DatumID);
HRESULT SimConnect_RequestDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                          SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                          SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_PERIOD Period,
                                          SIMCONNECT_DATA_REQUEST_FLAG Flags, DWORD origin, DWORD interval,
                                          DWORD limit);
HRESULT SimConnect_RequestDataOnSimObjectType(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                              SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters,
                                              SIMCONNECT_SIMOBJECT_TYPE type);
HRESULT SimConnect_SetDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                      SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_DATA_SET_FLAG Flags,
                                      DWORD ArrayCount, DWORD cbUnitSize, void* pDataSet);

HRESULT SimConnect_AICreateNonATCAircraft(HANDLE hSimConnect, const char* szContainerTitle,
                                          const char* szTailNumber, SIMCONNECT_DATA_INITPOSITION InitPos,
                                          SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                  SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SimConnect_AIReleaseControl(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                    SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SimConnect_AISetAircraftFlightPlan(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                           const char* szFlightPlanPath,
                                           SIMCONNECT_DATA_REQUEST_ID RequestID);

HRESULT SimConnect_AddToFacilityDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                           const char* FieldName);
HRESULT SimConnect_RequestFacilityData(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       SIMCONNECT_DATA_REQUEST_ID RequestID, const char* ICAO,
                                       const char* Region);

} // extern "C"
