#include "service/service_login.h"

#include "core/globals.h"
#include "core/log.h"
#include "core/text.h"
#include "core/loop_clock.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/time.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "service/reply_fields.h"
#include "service/service_address.h"
#include "service/service_panel.h"
#include "service/traffic_reader.h"
#include "service/weather_reader.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <stdexcept>

namespace ovr
{

SharedValue<std::string> g_accountText;

namespace
{

using namespace std::chrono_literals;

constexpr auto kRefusalPause = 10s;
constexpr std::chrono::milliseconds kLogoutDeadline{1500};
constexpr std::int32_t kErrorNoLicence = 400;
constexpr std::int64_t kTicksPerSecond = 10'000'000; // 100 ns ticks
constexpr std::int64_t kTicksPerDay = 864'000'000'000;
// Keeps expiry x 10^7 inside 64 bits for any expiry a reply may carry.
constexpr std::int64_t kLargestExpiry = 900'000'000'000;

std::string lf_versionText()
{
    return fmt::format("{}.{}.{}", g_version.major, g_version.minor, g_version.patch);
}

std::string lf_loginBody()
{
    return fmt::format("license={}&software={}", gf_formValue(gf_rtLicence()),
                       gf_formValue(fmt::format("{}_{}", g_programShortName, lf_versionText())));
}

bool lf_refusesLogin(std::int64_t status)
{
    return status == 400 || status == 402 || status == 404 || status == 405 || status == 500;
}

std::int64_t lf_daysLeft(std::int64_t expiry)
{
    const std::int64_t nowTicks =
        std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, kTicksPerSecond>>>(
            std::chrono::system_clock::now().time_since_epoch())
            .count();
    const std::int64_t expiryTicks = std::clamp(expiry, -kLargestExpiry, kLargestExpiry) * kTicksPerSecond;
    return (expiryTicks - nowTicks) / kTicksPerDay;
}

// The service refuses a new session within 2 s of the last one: the session
// start holds until 2 s after this time.
void lf_noteSessionEnd()
{
    LAST_EPOCH_TIME.current.store(static_cast<std::int32_t>(std::time(nullptr)));
    gf_saveParameter(LAST_EPOCH_TIME);
}

[[noreturn]] void lf_refuse(std::int32_t code, const std::string& text)
{
    gf_setStatus(text, true);
    gf_waitUnlessStopped(std::chrono::duration_cast<std::chrono::milliseconds>(kRefusalPause));
    throw UserErrorException(code, text);
}

} // namespace

bool WeatherReader::authenticate(std::int32_t& status)
{
    try
    {
        const CURLcode code = authCurl.post("/v5/auth", lf_loginBody(), authReply, &stopFlag);
        if (code != CURLE_OK)
        {
            if (!authCurl.stopped())
                gf_log(fmt::format("{} Authentication failed: {}", gf_formatTime(gf_now()),
                                   curl_easy_strerror(code)));
            return false;
        }
        if (authReply.empty())
        {
            gf_log("Authentication: empty response");
            return false;
        }
        const ReplyFields& reply = replies.fields(authReply);
        if (reply.kind != ReplyValue::Kind::object)
        {
            const ReplyValue kind = ReplyValue::ofKind(reply.kind);
            throw std::invalid_argument(fmt::format("login reply is {}, not an object", kind.typeName()));
        }
        if (const std::optional<std::int64_t> refused = gf_replyIntegerIfInteger(reply.get("status"));
            refused && lf_refusesLogin(*refused))
        {
            status = static_cast<std::int32_t>(*refused);
            return false;
        }
        const std::optional<std::int64_t> limit = gf_replyIntegerIfInteger(reply.get("wrrl"));
        takeRateLimit(wrrl, limit.value_or(kDefaultRateLimitMs), "wrrl");
        const ReplyValue& server = reply.get("server");
        gf_log(fmt::format("\nAuthenticated at RT server '{}'",
                           server.isText() ? gf_shownText(server.text()) : "?"));
        g_rtProfessional.exchange(gf_replyIntegerIfInteger(reply.get("type")).value_or(1) == 2 ? 1 : 0);
        const ReplyValue& id = reply.get("GUID");
        guid = id.isText() ? std::string(id.text()) : std::string("empty GUID?");
        const std::int64_t expiry = gf_replyIntegerIfInteger(reply.get("expiry")).value_or(0);
        g_authenticated.exchange(1);
        gf_repaintStatusPanel();
        const std::int64_t days = lf_daysLeft(expiry);
        g_accountText = fmt::format("RT {} account, {} day{} left",
                                    g_rtProfessional.load() != 0 ? "professional" : "standard", days,
                                    days == 1 || days < 0 ? "" : "s");
        gf_repaintStatusPanel();
        gf_waitUnlessStopped(std::chrono::milliseconds(wrrl.load()));
        return true;
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "authenticate", gf_shownText(e.what())));
        gf_waitUnlessStopped(std::chrono::milliseconds(wrrl.load()));
        return false;
    }
}

namespace
{

// The logout reply read, or none (logged) when it is no JSON.
const ReplyFields* lf_readLogoutReply(ReplyReader& replies, const std::string& reply)
{
    try
    {
        return &replies.fields(reply);
    }
    catch (const ReplyNotJson&)
    {
        gf_log(fmt::format("deauthentication, invalid JSON:\n{}\n", gf_replyHead(reply)));
        return nullptr;
    }
}

} // namespace

void TrafficReader::deauthenticate()
{
    try
    {
        // Runs while the program stops, so no stop can end it: a short
        // deadline keeps a stalled service from holding the close.
        const CURLcode code = authCurl.post("/v5/deauth", fmt::format("GUID={}", gf_formValue(guid)), authReply,
                                            nullptr, kLogoutDeadline);
        if (code != CURLE_OK)
        {
            gf_log(fmt::format("{} Deauthentication failed: {}", gf_formatTime(gf_now()),
                               curl_easy_strerror(code)));
        }
        else if (authReply.empty())
        {
            gf_log("Deauthentication: empty response");
        }
        else if (const ReplyFields* reply = lf_readLogoutReply(replies, authReply))
        {
            gf_requireObject(reply->kind);
            const std::int32_t status = gf_replyInt(reply->get("status"), "status", 100);
            if (status == 200)
            {
                g_authenticated.exchange(0);
                gf_repaintStatusPanel();
                guid.clear();
                gf_log(fmt::format("{} RT server '{}'", gf_shownText(gf_replyText(reply->get("message"), "message")),
                                   gf_shownText(gf_replyText(reply->get("server"), "server"))));
            }
            else
            {
                gf_logWarning(fmt::format("Deauthentication failed, status: {}", status));
            }
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "deauthenticate", gf_shownText(e.what())));
    }
    lf_noteSessionEnd();
}

void gf_authenticater()
{
    const std::string waiting = "Waiting for authentication at RT server ...";
    gf_setStatus(waiting, true);
    gf_log(" ");
    // Without a licence every login is refused: a restart cannot help, the
    // user must set one.
    if (gf_rtLicence().empty())
    {
        lf_refuse(kErrorNoLicence, "No RealTraffic licence is set: set VORA_RT_LICENSE and start Vora again");
    }
    std::int32_t status = 0;
    if (g_weatherReader.authenticate(status))
    {
        gf_clearStatus();
        g_trafficReader.guid = g_weatherReader.guid;
        return;
    }
    lf_noteSessionEnd();
    // A login ended by the program's stop is no error of the service.
    if (gf_stopRequested())
    {
        gf_clearStatus();
        return;
    }
    switch (status)
    {
    case 402:
        lf_refuse(402, "Your RealTraffic licence has expired");
    case 404:
        lf_refuse(404, "RealTraffic does not know this licence");
    case 405:
        lf_refuse(405, "More than one RealTraffic session is not possible, do not run the RealTraffic app");
    case 500:
        throw std::runtime_error("No RT database connection");
    default:
        gf_threadStoppedWithError("Authenticater", true);
        gf_clearStatus();
        g_trafficReader.guid = g_weatherReader.guid;
        return;
    }
}

} // namespace ovr
