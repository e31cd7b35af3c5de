// parameters.xml as a start-up meets it: the window's early look at the
// file, the read of every setting (with the clearing up after an older
// version that the stored version asks for), then one value saved into the
// file as a running program saves a changed setting. Each step gets the
// input as it was, since an earlier step may have replaced the file.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include <pugixml.hpp>

#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/parameters_file_detail.h"
#include "core/upgrade.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    fuzz::countInput();
    fuzz::workFolder();
    const std::string_view input = fuzz::asText(data, size);
    const std::filesystem::path file = detail::parametersFile();

    fuzz::writeFile(file, input);
    pugi::xml_document early;
    if (gf_loadParametersForStartUp(early))
    {
        // what the window takes from it: its position
        (void)gf_getParameter(early, MAIN_WINDOW_X.name);
        (void)gf_getParameter(early, MAIN_WINDOW_Y.name);
    }

    fuzz::writeFile(file, input);
    try
    {
        lf_convertOldParameters();
    }
    catch (const std::filesystem::filesystem_error&)
    {
        // start-up shows it and ends
    }

    fuzz::writeFile(file, input);
    gf_saveParameter(RANGE);
    gf_setParameter(DESTINATION, "EDDF");

    fuzz::resetParameters();
    return 0;
}
