// The Weather Reader: the thread that keeps the QNH of the user's area
// current for the whole session. Each cycle asks the web API for the METAR
// station nearest to the user, then for the weather at the user's position
// with that station, and publishes the QNH to the altitude filter of the
// received traffic, the aircraft motion and the status panel.
#pragma once

#include "service/reply_reader.h"
#include "service/rt_connection.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace ovr
{

// What takeWeatherReply returns for a reply that is no JSON.
inline constexpr std::int32_t kNoReply = 0;

class WeatherReader : public RtConnection
{
  public:
    WeatherReader();

    // The weather loop; false when it ended, with status 9999 after a stop
    // request, else the service status that ended it.
    bool receive(std::int32_t& status);
    // One nearest-METAR request; true when `airports` holds a station code.
    bool nearestmetar(std::int32_t& status);
    // The work of a nearest-METAR reply apart from its request: true when
    // it named a station (kept in `airports`); a refusal leaves its status
    // in `status`.
    bool takeMetarReply(const std::string& reply, std::int32_t& status);
    // The work of a weather reply apart from its request: its rate limit
    // taken and its QNH published. Returns the reply's status (kNoReply for
    // a reply that is no JSON) and leaves a refusal's status in `status`.
    std::int32_t takeWeatherReply(const std::string& reply, std::int32_t& status);
    // The login on this object's handle; true when logged in; a refused
    // login leaves its status in `status`.
    bool authenticate(std::int32_t& status);

    // Last weather state shown; main loop only. It starts as a restart
    // leaves it, so that the first session's indicator turns to waiting too
    // when nothing arrives.
    bool indicatorOn = true;
    WebRequest weatherCurl{"wrcurl_"};
    WebRequest metarCurl{"nmcurl_"};
    std::string dataReply;
    // Reads every reply of this reader; reader thread only.
    ReplyReader replies;
    // The code of the nearest METAR station, sent as "airports".
    std::string airports;
    // Last published QNH, hPa; reader thread only.
    std::int32_t lastQnh = 1013;
    // The last weather cycle succeeded; read by the main loop.
    std::atomic<bool> weatherOk{false};
};

extern WeatherReader g_weatherReader;

// Thread body; the session start runs it on a detached thread.
void gf_weatherReader();

// The QNH in hPa from a weather reply's "data" and its member "QNH" (absent
// when it has none): an integer, a float or a text that starts with an
// integer, 1101 and above read as hundredths of an inch of mercury; 1013
// (with a warning) when there is none.
std::int32_t extractQNH(const ReplyValue& data, const ReplyValue& qnh);

} // namespace ovr
