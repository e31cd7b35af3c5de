// One member of a parked-traffic reply through the parked-record decoder:
// the input is the member's value, or an object whose first member gives
// the name (the transponder address) and the value.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "service/traffic_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    static const bool ready = (fuzz::setUpTrafficState(), true);
    (void)ready;
    fuzz::countInput();
    nlohmann::json value = nlohmann::json::parse(fuzz::asText(data, size), nullptr, false);
    if (value.is_discarded())
    {
        return 0;
    }
    std::string name = "3c6444";
    if (value.is_object() && !value.empty())
    {
        name = value.begin().key();
        value = nlohmann::json(value.begin().value());
    }
    TrafficReader& reader = g_trafficReader;
    reader.parkedBatch.clear();
    reader.processParkedTrafficLine(name, reader.replies.parkedArray(value.dump()));
    reader.parkedBatch.clear();
    return 0;
}
