#include "link_fixture.h"

#include <algorithm>
#include <mutex>

#include "airports/park_airport.h"
#include "airports/stand_list.h"
#include "core/globals.h"
#include "core/log_detail.h"
#include "core/parameters_file_detail.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/user_on_ground.h"
#include "platform/win/test_support.h"
#include "simlink/sim_client.h"
#include "simlink/sim_link_detail.h"
#include "simlink/sim_link_reset.h"
#include "simlink/sim_panel_fields.h"
#include "simlink/user_aircraft.h"
#include "platform/simconnect/world_records.h"

namespace ovr::test
{

sim::Scenario baseScenario()
{
    sim::Scenario s;
    s.user.objectId = 1;
    s.user.pose.latDeg = 50.0379;
    s.user.pose.lonDeg = 8.5622;
    s.terrain.elevationFt = 364.0;
    s.installed.defaultCgHeightFt = 0.0; // standing aircraft are 0 ft above ground
    return s;
}

std::string simulatorText()
{
    return gf_simPanelTexts().simulator;
}

namespace
{

void lf_resetProcessState()
{
    gf_resetSimLinkForRestart();
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_userPos = UserAcState{};
    }
    g_userDataArrived.store(0);
    g_notYetConnected.store(1);
    g_simEpoch.store(0);
    g_userOnGround.store(0);
    g_userHalfWingspan.store(0.0);
    g_userCategory.store(0);
    g_stop.store(0);
    g_userClosed.store(0);
    g_exitReason.store(kExitNotYetSet);
    g_restartDelay.store(0);
    g_simIs2020.store(1);
    g_rtProfessional.store(0);
    {
        const std::lock_guard lock(g_objectEventsMutex);
        g_objectEvents.clear();
    }
    gf_resetStatusLine();
    gf_setSimulatorText({});
    gf_setUserAircraftText({});
    gf_setUserStandText({});
    g_simConnectedShown.store(0);
    g_simRunningShown.store(0);
    g_wingspanKnownShown.store(0);
    gf_clearStands();
    {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirport = Airport{};
    }
}

} // namespace

void LinkTest::SetUp()
{
    detail::openLogAt(scratch.path() / "Log.txt");
    detail::setParametersFile(scratch.path() / "parameters.xml");
    lf_resetProcessState();
}

void LinkTest::TearDown()
{
    lf_closeSimConnect(h);
    m_world.reset();
    lf_resetProcessState();
    platform_test::clearKnownFolders();
    detail::closeLog();
}

void LinkTest::startWorld(sim::Scenario scenario)
{
    m_world.reset();
    m_world = std::make_unique<sim::World>(std::move(scenario));
}

void LinkTest::connect()
{
    ASSERT_GE(SimConnect_Open(&h, "Vora", nullptr, 0, nullptr, 0), 0);
    {
        const std::lock_guard lock(g_simConnectMutex);
        g_simConnect = h;
    }
    lf_setupSimConnect();
    lf_dispatchPending(h);
}

void LinkTest::step(std::int64_t ms)
{
    m_world->advance(ms);
    lf_dispatchPending(h);
}

void LinkTest::frames(int count)
{
    for (int i = 0; i < count; ++i)
    {
        step();
    }
}

void LinkTest::userTick()
{
    gf_requestUserAcPosition(g_userPos);
    step();
}

std::vector<sim::CallRecord> LinkTest::calls(std::string_view fn) const
{
    std::vector<sim::CallRecord> out;
    for (sim::CallRecord& c : m_world->calls())
    {
        if (c.client == "Vora" && (fn.empty() || c.fn == fn))
        {
            out.push_back(std::move(c));
        }
    }
    return out;
}

std::vector<SimEvent> LinkTest::takeEvents()
{
    const std::lock_guard lock(g_objectEventsMutex);
    return std::exchange(g_objectEvents, {});
}

std::vector<std::string> LinkTest::logLines() const
{
    return logFileLines(scratch.path() / "Log.txt");
}

int LinkTest::logCount(std::string_view fragment) const
{
    const std::vector<std::string> lines = logLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l)
                                          { return l.find(fragment) != std::string::npos; }));
}

bool LinkTest::waitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred())
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            return false;
        }
        if (m_world)
        {
            m_world->advance(kFrameMs);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

ClientThread::ClientThread()
    : m_thread(
          [this](std::stop_token stop)
          {
              SimClient(std::move(stop));
              m_ended.store(true);
          })
{
}

ClientThread::~ClientThread()
{
    stop();
}

void ClientThread::stop()
{
    m_thread.request_stop();
    if (m_thread.joinable())
    {
        m_thread.join();
    }
}

} // namespace ovr::test
