#include "scanners/folder_visits.h"

#include <system_error>

namespace ovr
{

bool FolderVisits::remember(std::filesystem::path& real)
{
    // A resolved path has one spelling, so its text is its identity.
    return m_entered.insert(real.native()).second;
}

bool FolderVisits::enter(const std::filesystem::path& folder, std::filesystem::path& real)
{
    // The canonical path names the folder the same way whichever links led
    // to it, on every system the program runs on.
    std::error_code ec;
    real = std::filesystem::canonical(folder, ec);
    if (ec)
        return false;
    return remember(real);
}

bool FolderVisits::enter(const std::filesystem::path& folder)
{
    std::filesystem::path real;
    return enter(folder, real);
}

bool FolderVisits::enterListed(const std::filesystem::path& parentReal, const std::filesystem::path& folder, bool link,
                               std::filesystem::path& real)
{
    // A listing holds no "." or "..", and the parent's path holds no link:
    // only a link needs resolving.
    if (link || parentReal.empty())
        return enter(folder, real);
    real = parentReal / folder.filename();
    return remember(real);
}

} // namespace ovr
