// The shipped registration-code list as its reader meets it once
// decrypted in memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "liveries/regcode_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    std::string text(fuzz::asText(data, size));
    std::vector<RegcodeEntry> entries;
    (void)lf_readAigRegcodes(text, entries);
    return 0;
}
