// A whole reply to the weather request and to the nearest-station request,
// taken as the Weather Reader takes them after the transfer: parsed, its
// status, message and rate limit taken, and the QNH drawn from its "data"
// (an integer, a float or a text, in hPa or hundredths of an inch), or the
// station from its first element.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "fuzz_support.h"
#include "service/weather_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    WeatherReader& reader = g_weatherReader;
    const std::string reply(fuzz::asText(data, size));
    std::int32_t status = 0;
    try
    {
        (void)reader.takeWeatherReply(reply, status);
    }
    catch (const std::exception&)
    {
        // the reader logs it and asks again
    }
    try
    {
        (void)reader.takeMetarReply(reply, status);
    }
    catch (const std::exception&)
    {
        // the reader logs it and asks again
    }
    reader.airports.clear();
    reader.wrrl.store(kDefaultRateLimitMs);
    return 0;
}
