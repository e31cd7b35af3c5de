#include "platform/shell/known_folders.h"

#include "platform/win/test_support.h"
#include "platform/win/utf16.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace ovr::shell
{

namespace
{

using Path = std::filesystem::path;

std::optional<Path> fromEnvironment(const char* own, const char* xdg, const char* homeRelative)
{
    for (const char* var : {own, xdg})
    {
        const char* v = std::getenv(var);
        if (v != nullptr && *v != '\0')
        {
            return Path(v);
        }
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
    {
        return std::nullopt;
    }
    return Path(home) / homeRelative;
}

struct Folders
{
    std::mutex mutex;
    const std::optional<Path> roaming = fromEnvironment("VORA_APPDATA", "XDG_CONFIG_HOME", ".config");
    const std::optional<Path> local = fromEnvironment("VORA_LOCALAPPDATA", "XDG_DATA_HOME", ".local/share");
    Path programFiles = "/opt";
    Path programFilesX86 = "/opt";
    // Set by tests: a path, or nullopt for "this system has no such folder".
    std::map<int, std::optional<Path>> overrides;
};

Folders& folders()
{
    static Folders f;
    return f;
}

int slot(const GUID& id)
{
    if (id == FOLDERID_RoamingAppData)
    {
        return 0;
    }
    if (id == FOLDERID_LocalAppData)
    {
        return 1;
    }
    if (id == FOLDERID_ProgramFiles)
    {
        return 2;
    }
    if (id == FOLDERID_ProgramFilesX86)
    {
        return 3;
    }
    return -1;
}

} // namespace

void setProgramFilesFolders(std::filesystem::path programFiles, std::filesystem::path programFilesX86)
{
    auto& f = folders();
    std::lock_guard lock(f.mutex);
    f.programFiles = std::move(programFiles);
    f.programFilesX86 = std::move(programFilesX86);
}

} // namespace ovr::shell

void ovr::platform_test::setKnownFolder(const GUID& id, std::optional<std::filesystem::path> path)
{
    auto& f = ovr::shell::folders();
    std::lock_guard lock(f.mutex);
    f.overrides[ovr::shell::slot(id)] = std::move(path);
}

void ovr::platform_test::clearKnownFolders()
{
    auto& f = ovr::shell::folders();
    std::lock_guard lock(f.mutex);
    f.overrides.clear();
}

HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD /*flags*/, HANDLE /*token*/, PWSTR* path)
{
    using namespace ovr::shell;
    if (path == nullptr)
    {
        return E_INVALIDARG;
    }
    *path = nullptr;
    int which = slot(id);
    if (which < 0)
    {
        return E_INVALIDARG;
    }
    std::optional<Path> found;
    {
        auto& f = folders();
        std::lock_guard lock(f.mutex);
        if (auto it = f.overrides.find(which); it != f.overrides.end())
        {
            found = it->second;
        }
        else
        {
            const std::optional<Path> all[] = {f.roaming, f.local, f.programFiles, f.programFilesX86};
            found = all[which];
        }
    }
    if (!found)
    {
        return E_FOLDER_NOT_FOUND;
    }
    std::wstring units = ovr::win::unitsFromUtf8(found->string());
    auto* copy = static_cast<PWSTR>(std::malloc((units.size() + 1) * sizeof(WCHAR)));
    if (copy == nullptr)
    {
        return static_cast<HRESULT>(0x8007000Eu); // E_OUTOFMEMORY
    }
    std::memcpy(copy, units.c_str(), (units.size() + 1) * sizeof(WCHAR));
    *path = copy;
    return S_OK;
}

void CoTaskMemFree(LPVOID memory) { std::free(memory); }
