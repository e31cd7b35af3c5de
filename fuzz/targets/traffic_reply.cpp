// A whole reply to the traffic request, read as the Traffic Reader reads it
// after the transfer: parsed, its status and rate limit taken, then its data
// decoded both ways the reader knows: as the buffered reply (the members
// "buffer_4" ... "buffer_0", each a container of aircraft arrays) and as a
// live reply (a container of aircraft arrays). A reply the reader refuses
// ends in an exception that the reader catches and logs; so does this.
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>

#include <nlohmann/json.hpp>

#include "core/text.h"
#include "fuzz_support.h"
#include "service/reply_fields.h"
#include "service/rt_connection.h"
#include "service/traffic_reader.h"

namespace
{

constexpr std::array<const char*, 5> kBufferNames{"buffer_4", "buffer_3", "buffer_2", "buffer_1", "buffer_0"};

void lf_readReply(ovr::TrafficReader& reader, std::string_view text)
{
    using namespace ovr;
    nlohmann::json reply = nlohmann::json::parse(text);
    const std::int32_t status = gf_replyInt(reply, "status", 100);
    if (status == 406)
    {
        if (const auto limit = gf_replyIntegerIfInteger(reply, "rrl"))
        {
            reader.takeRateLimit(reader.rrl, *limit, "rrl");
        }
        (void)gf_shownText(gf_replyTextIfText(reply, "message"));
        return;
    }
    if (status != 200)
    {
        return;
    }
    reader.takeRateLimit(reader.rrl, gf_replyInt(reply, "rrl", kDefaultRateLimitMs), "rrl");
    nlohmann::json& data = reply["data"];
    if (data.empty())
    {
        return;
    }
    nlohmann::json live = data;
    reader.collecting.exchange(true);
    for (const char* name : kBufferNames)
    {
        if (data.is_object())
        {
            const auto member = data.find(name);
            if (member != data.end() && !member->empty())
            {
                reader.decodeAircraft(*member);
            }
        }
        reader.liveRecords.clear();
    }
    reader.takeCollected();
    reader.decodeAircraft(live);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    static const bool ready = (fuzz::setUpTrafficState(), true);
    (void)ready;
    fuzz::countInput();
    TrafficReader& reader = g_trafficReader;
    try
    {
        lf_readReply(reader, fuzz::asText(data, size));
    }
    catch (const std::exception&)
    {
        // the reader logs it and asks again
    }
    reader.liveRecords.clear();
    reader.takeCollected();
    return 0;
}
