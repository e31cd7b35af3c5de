// A whole reply to the parked-traffic request, read as the Traffic Reader
// reads it after the transfer (every non-empty member of "data" through the
// parked-record decoder), then prepared as the caller prepares the answer:
// aged, filtered, sorted and de-duplicated.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "fuzz_support.h"
#include "service/parked_traffic_detail.h"
#include "service/traffic_reader.h"

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
        (void)reader.decodeParkedReply(std::string(fuzz::asText(data, size)));
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
    reader.rrl.store(kDefaultRateLimitMs);
    return 0;
}
