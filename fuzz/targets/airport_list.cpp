// The airport list (input/airports.enc, plain XML inside) read as the
// start-up reads it; the input is the plain text, encrypted here.
#include <cstddef>
#include <cstdint>

#include "airports/airport_list_detail.h"
#include "core/user_error.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    fuzz::writeEncrypted("input/airports.enc", fuzz::asText(data, size));
    try
    {
        (void)detail::readAirportList("input/airports.enc", "input/airports.xml");
    }
    catch (const UserErrorException&)
    {
        // shown to the user; the start-up ends
    }
    detail::resetAirportList();
    return 0;
}
