// A user's registration-code list (a *.TXT file in input/my_regcodes: one
// livery a line, "title;REG1,REG2;#").
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
    fuzz::writeFile("input/my_regcodes/mine.TXT", fuzz::asText(data, size));
    std::vector<RegcodeEntry> entries;
    (void)lf_readRegcodeFiles("input/my_regcodes", entries);
    return 0;
}
