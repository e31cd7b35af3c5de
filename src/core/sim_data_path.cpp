#include "core/sim_data_path.h"

#include "core/globals.h"
#include "core/parameters.h"
#include "core/text_convert.h"

namespace ovr
{

std::filesystem::path gf_simDataPath(const std::filesystem::path& relative)
{
    const StringParameter& setting = g_simIs2020.load() != 0 ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH;
    return gf_utf8ToPath(setting.value()) / relative;
}

} // namespace ovr
