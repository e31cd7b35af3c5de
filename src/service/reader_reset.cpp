#include "service/rt_readers.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"

namespace ovr
{

namespace
{

void lf_resetTrafficReader(TrafficReader& r)
{
    r.reset();
    r.trafficCurl.renew();
    r.parkedCurl.renew();
    r.dataReply.clear();
    r.dataTime.store(0.0);
    {
        const std::scoped_lock lock(r.collectedMutex);
        r.collecting.exchange(false);
        r.seenCallsigns.clear();
        r.seenIds.clear();
    }
    r.liveRecords.clear();
    r.liveCount.exchange(0);
    r.parkElevation = std::nullopt;
    r.readerQnh.exchange(1013);
    {
        const std::scoped_lock lock(r.boxMutex);
        r.boxRadius = -1.0;
        r.boxCentre = LatLon{};
    }
    r.liveBox = kStartQueryBox;
    r.refPos = LatLon{};
    r.indicatorOn = true;
    r.blockNoticeArmed = true;
    r.receiving.exchange(false);
    r.parkedRequest.exchange(false);
    r.parkedRefused.exchange(false);
    r.parkedStatus.exchange(0);
    {
        const std::scoped_lock lock(r.parkedMutex);
        r.parkedBox = kStartQueryBox;
        r.parkedAnswer = ParkedAnswer{};
        r.parkedRecords.clear();
    }
    r.parkedBatch.clear();
}

void lf_resetWeatherReader(WeatherReader& r)
{
    r.reset();
    r.weatherCurl.renew();
    r.metarCurl.renew();
    r.dataReply.clear();
    r.lastQnh = 1013;
    r.weatherOk.exchange(false);
    r.indicatorOn = true;
    r.airports.clear();
}

} // namespace

void gf_resetRtReaders()
{
    lf_resetTrafficReader(g_trafficReader);
    lf_resetWeatherReader(g_weatherReader);
}

} // namespace ovr
