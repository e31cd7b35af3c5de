#include "service/reader_thread.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/stop_request.h"
#include "core/window_repaint.h"
#include "service/service_panel.h"

#include <fmt/format.h>

namespace ovr
{

namespace
{

struct EndMark
{
    explicit EndMark(RtConnection& r) : reader(r) {}
    RtConnection& reader;
    EndMark(const EndMark&) = delete;
    EndMark& operator=(const EndMark&) = delete;
    ~EndMark() { reader.ended.exchange(true); }
};

void lf_setIndicator(std::atomic<std::int32_t>& indicator, std::int32_t value)
{
    indicator.exchange(value);
    gf_repaintStatusPanel();
}

void lf_warnByStatus(const ReaderThreadSpec& spec, std::int32_t status)
{
    switch (status)
    {
    case 401:
        gf_logWarning(fmt::format("re-authentication to RT API is needed, restart {}", g_programShortName));
        break;
    case 400:
        gf_logWarning(fmt::format("{} RT API: parameter fault", spec.shortName));
        break;
    case 403:
        gf_logWarning(fmt::format("{} RT API: no data for this kind of account", spec.shortName));
        break;
    default:
        gf_logWarning(fmt::format("{} RT API error: {}", spec.shortName, status));
        break;
    }
}

} // namespace

void gf_runReaderThread(const ReaderThreadSpec& spec)
{
    const EndMark endMark{spec.self};
    std::int32_t status = 0;
    bool reported = false;
    try
    {
        gf_logContinuation(fmt::format("{} connected", spec.threadName));
        lf_setIndicator(spec.indicator, kIndicatorReceiving);
        if (!spec.loop(status))
        {
            lf_setIndicator(spec.indicator, kIndicatorStopped);
            if (status != kStatusStopped)
            {
                lf_warnByStatus(spec, status);
            }
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", spec.exceptionName, e.what()));
        gf_threadStoppedWithError(spec.threadName, false);
        reported = true;
    }
    catch (...)
    {
        gf_threadStoppedWithError(spec.threadName, false);
        reported = true;
    }
    lf_setIndicator(spec.indicator, kIndicatorStopped);
    if (status != kStatusStopped)
    {
        spec.other.requestStop();
        if (!reported)
        {
            gf_threadStoppedWithError(spec.threadName, status == 401);
        }
    }
}

} // namespace ovr
