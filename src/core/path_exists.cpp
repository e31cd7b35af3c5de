#include "core/path_exists.h"

#include <system_error>

namespace ovr
{

bool gf_pathExists(const std::filesystem::path& path)
{
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
    {
        throw std::filesystem::filesystem_error("exists", path, ec);
    }
    return std::filesystem::exists(status);
}

} // namespace ovr
