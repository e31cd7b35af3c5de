#include "core/window_repaint.h"
#include "service/rt_readers.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"

namespace ovr
{

namespace
{

// Turns what arrives into an indicator state; repaints only on a change.
void lf_follow(bool arriving, bool& indicatorOn, std::atomic<std::int32_t>& indicator)
{
    if (!arriving)
    {
        if (indicatorOn)
        {
            indicator.exchange(kIndicatorWaiting);
            gf_repaintStatusPanel();
        }
        indicatorOn = false;
    }
    else if (!indicatorOn)
    {
        indicatorOn = true;
        indicator.exchange(kIndicatorReceiving);
        gf_repaintStatusPanel();
    }
}

} // namespace

void gf_updateRtIndicators()
{
    if (g_authenticated.load() == 0)
    {
        return;
    }
    lf_follow(g_weatherReader.weatherOk.load(), g_weatherReader.indicatorOn, g_weatherIndicator);
    lf_follow(g_trafficReader.liveCount.load() >= 1, g_trafficReader.indicatorOn, g_trafficIndicator);
}

} // namespace ovr
