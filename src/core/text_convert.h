// Conversions between the program's UTF-8 text and the UTF-16 of Windows
// calls (held in std::wstring, one WCHAR per UTF-16 unit), and from the ANSI
// code page of older package files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ovr
{

// Throws std::runtime_error "utf8_to_wide: invalid UTF-8".
std::wstring gf_utf8ToWide(std::string_view text);
// Never throws: invalid bytes become U+FFFD. For text that is shown, whatever
// its origin (a file, the service, an exception's message).
std::wstring gf_utf8ToWideLenient(std::string_view text);
// Throws std::runtime_error "wide_to_utf8: invalid UTF-16" (a lone surrogate).
std::string gf_wideToUtf8(std::wstring_view text);
// The path's name as UTF-8 text, and UTF-8 text as a path. The narrow path
// constructor and path::string() use the ANSI code page on Windows, which
// turns "Jürgen" into another folder's name; these go through char8_t.
std::string gf_pathToUtf8(const std::filesystem::path& path);
std::filesystem::path gf_utf8ToPath(std::string_view text);
// ANSI code page text as UTF-8: strictly first, then with invalid characters
// replaced; the empty text when both fail.
std::string gf_acpToUtf8(std::string_view text);
// UTF-8 text in the ANSI code page, for calls that take narrow paths;
// characters the code page lacks become its default character.
std::string gf_utf8ToAcp(std::string_view text);

} // namespace ovr
