// output/LiveriesScanned.xml, the result of the last liveries scan, read
// back into the livery list. Every new title stays in the title store for
// the life of the process, as in the program, so a very long run grows.
#include <cstddef>
#include <cstdint>

#include "core/user_error.h"
#include "fuzz_support.h"
#include "liveries/scanned_liveries_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    fuzz::writeFile("output/LiveriesScanned.xml", fuzz::asText(data, size));
    try
    {
        detail::readScannedLiveriesFrom("output/LiveriesScanned.xml");
    }
    catch (const UserErrorException&)
    {
        // shown to the user
    }
    return 0;
}
