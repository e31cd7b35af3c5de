#include "core/known_folders.h"

#include "core/log.h"
#include "core/text_convert.h"

#include <exception>

namespace ovr
{

namespace
{

std::filesystem::path lf_knownFolder(REFKNOWNFOLDERID id, std::string_view warning, bool logMissing = true)
{
    if (std::optional<std::wstring> path = gf_knownFolderPath(id))
    {
        try
        {
            return gf_utf8ToPath(gf_wideToUtf8(*path));
        }
        catch (const std::exception&)
        {
            // a name that is not valid UTF-16 is no usable folder
        }
    }
    if (logMissing)
        gf_logWarning(warning);
    return {};
}

} // namespace

std::optional<std::wstring> gf_knownFolderPath(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
    {
        CoTaskMemFree(path);
        return std::nullopt;
    }
    std::wstring text(path != nullptr ? path : L"");
    CoTaskMemFree(path);
    return text;
}

std::filesystem::path gf_appDataPath(bool logMissing)
{
    return lf_knownFolder(FOLDERID_RoamingAppData, "Could not find the AppData path", logMissing);
}

std::filesystem::path gf_localAppDataPath()
{
    return lf_knownFolder(FOLDERID_LocalAppData, "Could not find the Local AppData path");
}

} // namespace ovr
