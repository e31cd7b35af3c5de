#include "service_test_support.h"

#include "core/globals.h"
#include "core/library_init.h"
#include "core/log_detail.h"
#include "core/parameters.h"
#include "core/parameters_file_detail.h"
#include "core/stop_request.h"
#include "liveries/model_database.h"
#include "service/rt_readers.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "service/traffic_handover.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "traffic/park_airport_file.h"
#include "traffic/park_airports.h"

#include <mutex>

namespace ovr::test
{

LogCapture::LogCapture()
{
    gf_initLibraries();
    detail::openLogAt(m_folder / "Log.txt");
    detail::setParametersFile(m_folder / "parameters.xml");
}

LogCapture::~LogCapture()
{
    detail::closeLog();
    detail::setParametersFile({});
}

std::string LogCapture::text() const
{
    return readFile(m_folder / "Log.txt");
}

void resetServiceState()
{
    gf_resetRtReaders();
    g_stop.store(0);
    g_userClosed.store(0);
    g_exitReason.store(kExitNotYetSet);
    g_restartDelay.store(0);
    g_authenticated.store(0);
    g_rtProfessional.store(0);
    g_qnhShown.store(0);
    g_trafficIndicator.store(kIndicatorStopped);
    g_weatherIndicator.store(kIndicatorStopped);
    g_accountText = std::string{};
    {
        const std::scoped_lock lock(g_trafficMutex);
        g_trafficHandover.clear();
        g_running = 0;
    }
    g_rangeNm.store(40.0);
    AIRBORNE_ONLY.current.store(false);
    BLOCK_CALLSIGN.setValue("");
    clearParkAirport();
}

void setUserPosition(double latitude, double longitude, double altitudeFt)
{
    const std::scoped_lock lock(g_simConnectMutex);
    g_userState.latitude = latitude;
    g_userState.longitude = longitude;
    g_userState.altitude = altitudeFt;
    g_userPos = g_userState;
}

void setParkAirport(const Airport& airport, std::string reservedStand)
{
    const std::scoped_lock lock(g_parkAirportsMutex);
    g_parkAirport = airport;
    g_reservedStand = std::move(reservedStand);
}

void clearParkAirport()
{
    setParkAirport(Airport{});
}

Airport frankfurt()
{
    Airport a;
    a.icao = IcaoCode{"EDDF"};
    a.code3 = IataCode{"FRA"};
    a.latitude = 50.033306;
    a.longitude = 8.570456;
    a.elevation = 364.0f;
    return a;
}

void setKnownModels(std::initializer_list<const char*> types)
{
    g_knownModels.clear();
    for (const char* type : types)
    {
        g_knownModels.insert(type);
    }
}

} // namespace ovr::test
