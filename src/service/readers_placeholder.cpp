#include "service/readers_placeholder.h"

#include <chrono>
#include <ctime>

#include "core/parameters.h"
#include "core/parameters_file.h"
#include "gui/window_state.h"
#include "traffic/qnh.h"

namespace ovr {

TrafficReader g_trafficReader;
WeatherReader g_weatherReader;
std::mutex g_trafficMutex;
std::uint8_t g_running = 0;

namespace {

constexpr const char* kPlaceholderSession = "placeholder-session";
constexpr std::int32_t kPlaceholderQnh = 1013;

// Sets `ended` however the thread body is left.
struct EndMark
{
    RtConnection& reader;
    ~EndMark() { reader.ended.store(true); }
};

} // namespace

void RtConnection::reset()
{
    guid.clear();
    stopFlag.store(false);
    ended.store(false);
    toffset.store(0);
}

void RtConnection::wait(std::int32_t ms)
{
    if (ms < 1)
    {
        return;
    }
    std::unique_lock lock(mutex);
    cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopFlag.load(); });
}

void TrafficReader::deauthenticate()
{
    guid.clear();
    g_authenticated.store(0);
    // The service refuses a new session within 2 s of the last one.
    LAST_EPOCH_TIME.current.store(static_cast<std::int32_t>(std::time(nullptr)));
    gf_saveParameter(LAST_EPOCH_TIME);
}

void gf_authenticater()
{
    g_weatherReader.guid = kPlaceholderSession;
    g_trafficReader.guid = g_weatherReader.guid;
    g_authenticated.store(1);
}

void gf_weatherReader()
{
    EndMark mark{g_weatherReader};
    g_weatherReader.lastQnh = kPlaceholderQnh;
    g_trafficReader.readerQnh.store(kPlaceholderQnh);
    g_qnhHpa.store(kPlaceholderQnh);
    g_qnhShown.store(kPlaceholderQnh);
    g_weatherIndicator.store(kIndicatorReceiving);
    while (!g_weatherReader.stopFlag.load())
    {
        g_weatherReader.wait(1000);
    }
}

void gf_trafficReader()
{
    EndMark mark{g_trafficReader};
    g_trafficReader.receiving.store(true);
    g_trafficIndicator.store(kIndicatorReceiving);
    while (!g_trafficReader.stopFlag.load())
    {
        g_trafficReader.wait(1000);
    }
    g_trafficReader.receiving.store(false);
}

void gf_resetRtReaders()
{
    g_trafficReader.reset();
    g_trafficReader.receiving.store(false);
    g_trafficReader.parkedRequest.store(false);
    g_trafficReader.collecting.store(false);
    g_trafficReader.readerQnh.store(kStandardQnhHpa);
    g_trafficReader.refPos = {};
    g_weatherReader.reset();
    g_weatherReader.lastQnh = kStandardQnhHpa;
}

void gf_updateTrafficBox() {}

void gf_updateRtIndicators() {}

} // namespace ovr
