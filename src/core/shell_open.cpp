#include "core/shell_open.h"

#include "core/path_exists.h"
#include "core/text_convert.h"
#include "platform/shell/shell32.h"
#include "platform/win/user32.h"

#include <cstdint>

namespace ovr
{

bool gf_openWithShell(const std::filesystem::path& path)
{
    if (!gf_pathExists(path))
    {
        return false;
    }
    const std::filesystem::path folder = path.parent_path();
    if (folder.empty())
    {
        return false;
    }
    const std::wstring wide = gf_utf8ToWide(gf_pathToUtf8(folder));
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

} // namespace ovr
