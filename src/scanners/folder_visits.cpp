#include "scanners/folder_visits.h"

#include <system_error>

namespace ovr
{

bool FolderVisits::enter(const std::filesystem::path& folder)
{
    // The canonical path names the folder the same way whichever links led
    // to it, on every system the program runs on.
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    if (ec)
        return false;
    return m_entered.insert(std::move(real)).second;
}

} // namespace ovr
