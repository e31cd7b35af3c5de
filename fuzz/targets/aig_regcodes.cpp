// The shipped registration-code list as its reader meets it once
// decrypted (input/AIG-regcodes.xml).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "liveries/regcode_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    fuzz::writeFile("input/AIG-regcodes.xml", fuzz::asText(data, size));
    std::vector<RegcodeEntry> entries;
    (void)detail::readAigRegcodesFrom("input/AIG-regcodes.xml", entries);
    return 0;
}
