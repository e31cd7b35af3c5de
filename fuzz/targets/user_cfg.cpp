// The simulator's UserCfg.opt as the detection of its packages folder reads
// it from the local AppData folder: the line naming InstalledPackagesPath
// among its first lines, the folder in quotes. The working folder holds a
// packages folder ("packages", with Community and Official2024 in it) that
// an input may name.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "core/globals.h"
#include "core/known_folders.h"
#include "fuzz_support.h"
#include "simlink/sim_detection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ovr;
    namespace fs = std::filesystem;
    fuzz::countInput();
    static const bool ready = []
    {
        fs::create_directories(fuzz::workFolder() / "packages" / "Community");
        fs::create_directories(fuzz::workFolder() / "packages" / "Official2024");
        g_simIs2020.store(0);
        return true;
    }();
    (void)ready;
    fuzz::writeFile(gf_localAppDataPath() / "Packages" / gf_msfsPackageFamily() / "LocalCache" / "UserCfg.opt",
                    fuzz::asText(data, size));
    try
    {
        (void)gf_findMsfsPackagesPath();
    }
    catch (const fs::filesystem_error&)
    {
        // a folder whose existence cannot be told: the caller reports it
    }
    fuzz::resetParameters();
    return 0;
}
