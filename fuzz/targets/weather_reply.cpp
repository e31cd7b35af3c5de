// A whole reply to the weather request, read as the Weather Reader reads it
// after the transfer: parsed, its status, message and rate limit taken, and
// the QNH drawn from its "data" (an integer, a float or a text, in hPa or
// hundredths of an inch). The reader's walk lives inside its request loop,
// so it is followed here step by step with the same helpers.
#include <cstddef>
#include <cstdint>
#include <exception>

#include <nlohmann/json.hpp>

#include "core/text.h"
#include "fuzz_support.h"
#include "service/reply_fields.h"
#include "service/weather_reader.h"

namespace
{

void lf_readReply(ovr::WeatherReader& reader, std::string_view text)
{
    using namespace ovr;
    const nlohmann::json reply = nlohmann::json::parse(text, nullptr, false);
    if (reply.is_discarded())
    {
        return;
    }
    const std::int32_t status = gf_replyInt(reply, "status", 100);
    if (status == 406 || status == 500)
    {
        if (const auto limit = gf_replyIntegerIfInteger(reply, "wrrl"); limit && status == 406)
        {
            reader.takeRateLimit(reader.wrrl, *limit, "wrrl");
        }
        (void)gf_shownText(gf_replyText(reply, "message"));
        return;
    }
    if (status != 200)
    {
        return;
    }
    reader.takeRateLimit(reader.wrrl, gf_replyInt(reply, "wrrl", kDefaultRateLimitMs), "wrrl");
    const auto data = reply.find("data");
    (void)extractQNH(data != reply.end() ? *data : nlohmann::json{});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    try
    {
        lf_readReply(g_weatherReader, fuzz::asText(data, size));
    }
    catch (const std::exception&)
    {
        // the reader logs it and asks again
    }
    return 0;
}
