// An airport parking file (XML: meta block, parameters, parkpos with opt
// children) read as the park airport's file: checked, its stands read,
// numbered and linked. No learned file lies beside it.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ovr::fuzz::countInput();
    ovr::fuzz::readParkAirportFile(ovr::fuzz::asText(data, size));
    return 0;
}
