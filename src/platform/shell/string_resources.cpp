#include "platform/shell/string_resources.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

namespace ovr
{

namespace
{
struct StringTable
{
    std::mutex mutex;
    std::map<UINT, std::wstring> strings; // nodes never move, so pointers into them stay good
};

StringTable& table()
{
    static StringTable t;
    return t;
}
} // namespace

void registerStringResource(UINT id, std::wstring_view text)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.strings[id] = std::wstring(text);
}

} // namespace ovr

int LoadStringW(HINSTANCE /*instance*/, UINT id, LPWSTR buffer, int bufferMax)
{
    if (buffer == nullptr || bufferMax < 0)
    {
        return 0;
    }
    auto& t = ovr::table();
    std::lock_guard lock(t.mutex);
    auto it = t.strings.find(id);
    if (bufferMax == 0)
    {
        // As on Windows: the buffer receives a read-only pointer to the text.
        *reinterpret_cast<LPCWSTR*>(buffer) = it == t.strings.end() ? nullptr : it->second.c_str();
        return it == t.strings.end() ? 0 : static_cast<int>(it->second.size());
    }
    if (it == t.strings.end())
    {
        buffer[0] = 0;
        return 0;
    }
    auto n = std::min(it->second.size(), static_cast<std::size_t>(bufferMax - 1));
    std::copy_n(it->second.data(), n, buffer);
    buffer[n] = 0;
    return static_cast<int>(n);
}
