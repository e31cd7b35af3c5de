#include "core/text_convert.h"

#include <algorithm>
#include <stdexcept>

#include <gsl/gsl>

#include "platform/text/text_conversion.h"

namespace ovr
{

namespace
{

// The two-call pattern of the Windows converters: ask for the size, then
// convert. Empty when either call fails.
std::wstring lf_toWide(UINT codePage, DWORD flags, std::string_view text, bool& ok)
{
    ok = true;
    if (text.empty())
        return {};
    int length = gsl::narrow<int>(text.size());
    int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0)
    {
        ok = false;
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed) != needed)
    {
        ok = false;
        return {};
    }
    return wide;
}

} // namespace

std::wstring gf_utf8ToWide(std::string_view text)
{
    bool ok = false;
    std::wstring wide = lf_toWide(CP_UTF8, MB_ERR_INVALID_CHARS, text, ok);
    if (!ok)
        throw std::runtime_error("utf8_to_wide: invalid UTF-8");
    return wide;
}

std::wstring gf_utf8ToWideLenient(std::string_view text)
{
    bool ok = false;
    std::wstring wide = lf_toWide(CP_UTF8, 0, text, ok);
    return ok ? wide : std::wstring{};
}

std::string gf_wideToUtf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    int length = gsl::narrow<int>(text.size());
    int needed =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        throw std::runtime_error("wide_to_utf8: invalid UTF-16");
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, utf8.data(), needed, nullptr,
                            nullptr) != needed)
        throw std::runtime_error("wide_to_utf8: invalid UTF-16");
    return utf8;
}

std::string gf_pathToUtf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::filesystem::path gf_utf8ToPath(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string gf_acpToUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    bool ok = false;
    std::wstring wide = lf_toWide(CP_ACP, MB_ERR_INVALID_CHARS, text, ok);
    if (!ok)
        wide = lf_toWide(CP_ACP, 0, text, ok);
    if (!ok)
        return {};
    try
    {
        return gf_wideToUtf8(wide);
    }
    catch (const std::runtime_error&)
    {
        return {};
    }
}

std::string gf_utf8ToAcp(std::string_view text)
{
    const std::wstring wide = gf_utf8ToWide(text);
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(needed, 0)), '\0');
    if (needed <= 0 ||
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, narrow.data(), needed, nullptr, nullptr) != needed)
        return {};
    return narrow;
}

} // namespace ovr
