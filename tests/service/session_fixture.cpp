#include "session_fixture.h"

#include "core/loop_clock.h"
#include "core/parameters.h"
#include "liveries/model_database.h"
#include "service/service_address_detail.h"
#include "service/service_login.h"
#include "service/service_panel.h"
#include "service/traffic_handover.h"
#include "service/traffic_handover_detail.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"

namespace ovr::test
{

namespace
{

std::mutex g_takenMutex;
std::vector<TrafficRecord> g_taken;

void lf_take(const TrafficRecord& record)
{
    const std::scoped_lock lock(g_takenMutex);
    g_taken.push_back(record);
}

} // namespace

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

LoopClock::TimePoint InstantClock::now()
{
    const std::scoped_lock lock(m_mutex);
    return m_now;
}

void InstantClock::sleepUntil(TimePoint deadline)
{
    const std::scoped_lock lock(m_mutex);
    m_now = std::max(m_now, deadline);
}

void SessionTest::SetUp()
{
    resetServiceState();
    // The fake service answers at a fast pace; the floor goes down with it.
    detail::setLowestRateLimitMs(kRateLimitMs);
    gf_setLoopClock(&m_clock);
    {
        const std::scoped_lock lock(g_takenMutex);
        g_taken.clear();
    }
    gf_setReceivedTaker(&lf_take);
    fakert::Scenario scenario =
        fakert::loadScenario(VORA_SOURCE_DIR "/data/scenarios/rt-demo.json", fakert::systemClock());
    scenario.rrl = kRateLimitMs;
    scenario.wrrl = kRateLimitMs;
    prepare(scenario);
    m_service = std::make_unique<fakert::FakeRtService>(std::move(scenario));
    m_service->start();
    detail::setRtApiBase(m_service->baseUrl());
    detail::setRtLicence(kStandardLicence);
    setUserPosition(kUserLat, kUserLon, kUserAltitudeFt);
    g_rangeNm.store(40.0);
    g_trafficReader.refPos = LatLon{kUserLat, kUserLon};
    gf_updateTrafficBox();
    g_clock.store(5000);
}

void SessionTest::TearDown()
{
    stopReaders();
    m_service->stop();
    gf_setReceivedTaker(nullptr);
    detail::setRtApiBase("");
    detail::setRtLicence("");
    gf_setLoopClock(nullptr);
    setUserPosition(0.0, 0.0, 0.0);
    resetServiceState();
    detail::setLowestRateLimitMs(kLowestRateLimitMs);
}

void SessionTest::startWeatherReader()
{
    m_weatherThread = std::thread(gf_weatherReader);
}

void SessionTest::startTrafficReader()
{
    m_trafficThread = std::thread(gf_trafficReader);
}

void SessionTest::startTrafficReaderAt(LatLon reference)
{
    m_trafficThread = gf_startTrafficReader(reference);
}

void SessionTest::stopReaders()
{
    g_weatherReader.requestStop();
    g_trafficReader.requestStop();
    if (m_weatherThread.joinable())
    {
        m_weatherThread.join();
    }
    if (m_trafficThread.joinable())
    {
        m_trafficThread.join();
    }
}

void SessionTest::logInAndWaitForWeather()
{
    gf_authenticater();
    ASSERT_EQ(g_authenticated.load(), 1) << m_log.text();
    startWeatherReader();
    ASSERT_TRUE(waitFor([] { return g_qnhShown.load() != 0; })) << m_log.text();
}

void SessionTest::knowScenarioTypes()
{
    g_knownModels.clear();
    for (const fakert::Operator& op : m_service->scenario().fleet)
    {
        for (const fakert::FleetType& t : op.aircraft)
        {
            g_knownModels.insert(t.type);
        }
    }
    for (const fakert::ParkedAircraft& p : m_service->scenario().parked)
    {
        g_knownModels.insert(p.type);
    }
}

void SessionTest::setRunning(bool running)
{
    const std::scoped_lock lock(g_trafficMutex);
    g_running = running ? 1 : 0;
}

std::vector<TrafficRecord> SessionTest::handedOver()
{
    const std::scoped_lock lock(g_trafficMutex);
    return g_trafficHandover;
}

std::vector<TrafficRecord> SessionTest::taken()
{
    const std::scoped_lock lock(g_takenMutex);
    return g_taken;
}

std::vector<fakert::LogEntry> SessionTest::liveRequests() const
{
    std::vector<fakert::LogEntry> live;
    for (fakert::LogEntry& e : m_service->log("/v5/traffic"))
    {
        if (fakert::isLiveTrafficRequest(e.fields))
        {
            live.push_back(std::move(e));
        }
    }
    return live;
}

} // namespace ovr::test
