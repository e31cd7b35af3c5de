// The model database (input/dbase.enc, plain XML inside) read as the
// start-up reads it; the input is the plain text, encrypted here. Its
// tables are emptied after each input; the code pools keep what was
// interned, as they do in the program.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "fuzz_support.h"
#include "liveries/dbase_reader_detail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    fuzz::writeEncrypted("input/dbase.enc", fuzz::asText(data, size));
    try
    {
        (void)detail::readDbaseFrom("input/dbase.enc", "input/dbase.xml");
    }
    catch (const std::runtime_error&)
    {
        // a missing section (a user error) or a file that cannot be read:
        // the start-up shows it and ends
    }
    detail::clearDbase();
    return 0;
}
