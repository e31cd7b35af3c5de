// One live aircraft array of a traffic reply (JSON) through the reply reader,
// the record decoder and its filters: the input as it is, and (the reader
// hands the decoder only arrays of 48 elements) an array padded with nulls
// or cut to that size.
#include <cstddef>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "service/traffic_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    static const bool ready = (fuzz::setUpTrafficState(), true);
    (void)ready;
    fuzz::countInput();
    TrafficReader& reader = g_trafficReader;
    reader.collecting.store(true);
    try
    {
        reader.processLine(reader.replies.liveArray(std::string(fuzz::asText(data, size))));
    }
    catch (const ReplyNotJson&)
    {
        // the reader refuses the whole reply
    }
    nlohmann::json value = nlohmann::json::parse(fuzz::asText(data, size), nullptr, false);
    if (value.is_array())
    {
        value.get_ref<nlohmann::json::array_t&>().resize(48);
        reader.processLine(reader.replies.liveArray(value.dump()));
    }
    reader.liveRecords.clear();
    reader.takeCollected();
    return 0;
}
