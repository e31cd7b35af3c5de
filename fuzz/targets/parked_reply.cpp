// A whole reply to the parked-traffic request, read as the Traffic Reader
// reads it after the transfer (every non-empty member of "data" through the
// parked-record decoder), then prepared as the caller prepares the answer:
// aged, filtered, sorted and de-duplicated.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "core/text.h"
#include "fuzz_support.h"
#include "service/parked_traffic_detail.h"
#include "service/reply_fields.h"
#include "service/rt_connection.h"
#include "service/traffic_reader.h"

namespace
{

void lf_readReply(ovr::TrafficReader& reader, std::string_view text)
{
    using namespace ovr;
    nlohmann::json reply = nlohmann::json::parse(text, nullptr, false);
    if (reply.is_discarded())
    {
        return;
    }
    const std::int32_t status = gf_replyInt(reply, "status", 100);
    if (status == 406)
    {
        (void)gf_shownText(gf_replyText(reply, "message"));
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
    std::size_t index = 0;
    for (auto it = data.begin(); it != data.end(); ++it, ++index)
    {
        if (it->empty())
        {
            continue;
        }
        const std::string name = data.is_object() ? it.key() : std::to_string(index);
        reader.parkedSlot = std::move(*it);
        reader.processParkedTrafficLine(name);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    static const bool ready = (fuzz::setUpTrafficState(), true);
    (void)ready;
    fuzz::countInput();
    TrafficReader& reader = g_trafficReader;
    reader.parkedBatch.clear();
    try
    {
        lf_readReply(reader, fuzz::asText(data, size));
    }
    catch (const std::exception&)
    {
        // the reader logs it and answers the request as failed
        reader.parkedBatch.clear();
    }
    // Half an hour after the seeds' records, with the widest fit window, so
    // that they stay for the sorting and de-duplication.
    detail::prepareParkedRecords(reader.parkedBatch, 31, 47, false);
    reader.parkedBatch.clear();
    return 0;
}
