// One mapping from an airport file's name to its learned file, asked by the
// reader that merges the learned file and by the saver that writes it, so
// that what is learned is found again:
//   archive\stock\F             -> learned\stock\F
//   archive\simaddon\...\F      -> learned\simaddon\F
//   ...archive\thirdparty\P\F   -> learned\thirdparty\P\F   (P with %20 as blank)
//   airports\stock\R            -> learned\stock\R
//   airports\my_simaddon\R      -> learned\simaddon\R
//   airports\my_thirdparty\F    -> learned\thirdparty\<publisher>\F
//   airports\my_thirdparty2024\F (the same)
//   airports\R                  -> learned\R
// A publisher becomes a folder name: "/" and "\" turn into blanks and blanks
// around it go. A folder that is empty gets no learned file, and neither
// does one that could lead out of airports\learned or that Windows could not
// create (".", "..", a ":" or control characters).
#include <algorithm>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include <fmt/format.h>

#include "airports/apf_locate.h"
#include "airports/apf_locate_detail.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/text_convert.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr std::string_view kArchiveStock = "archive\\stock\\";
constexpr std::string_view kArchiveSimaddon = "archive\\simaddon\\";
constexpr std::string_view kArchiveThirdparty = "archive\\thirdparty\\";
constexpr std::string_view kAirports = "airports\\";

// Each reason a file has no learned file is worth one line per name, not one
// per read of the same airport.
void lf_warnOnce(const std::string& text)
{
    static std::mutex mutex;
    static std::set<std::string, std::less<>> warned;
    {
        const std::scoped_lock lock(mutex);
        if (!warned.insert(text).second)
            return;
    }
    gf_logWarning(text);
}

bool lf_startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Built anew rather than replaced in place: g++ 12 at -O2 takes an inlined
// std::string::replace for an overlapping copy and warns (-Wrestrict).
std::string lf_replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    for (std::size_t next = text.find(from); next != std::string_view::npos; next = text.find(from, at))
    {
        out.append(text.substr(at, next - at)).append(to);
        at = next + from.size();
    }
    return out.append(text.substr(at));
}

bool lf_isUnsafeFolderName(std::string_view folder)
{
    return folder == "." || folder == ".." ||
           std::any_of(folder.begin(), folder.end(),
                       [](char c)
                       {
                           const auto u = static_cast<unsigned char>(c);
                           return c == ':' || u < 0x20 || u == 0x7F;
                       });
}

// The publisher as a folder name, or empty when it cannot be one.
std::string lf_publisherFolder(std::string_view publisher, std::string_view name)
{
    std::string folder(publisher);
    std::replace(folder.begin(), folder.end(), '/', ' ');
    std::replace(folder.begin(), folder.end(), '\\', ' ');
    folder = lf_trimBlanks(folder);
    if (folder.empty())
    {
        lf_warnOnce(fmt::format("no learned file for {}: it names no publisher", name));
        return {};
    }
    if (lf_isUnsafeFolderName(folder))
    {
        lf_warnOnce(fmt::format("no learned file for {}: publisher '{}' is no folder name", name, folder));
        return {};
    }
    return folder;
}

// The parts of a relative name; none when one of them could lead elsewhere.
std::optional<fs::path> lf_joinParts(std::string_view rest)
{
    fs::path path;
    std::size_t start = 0;
    while (start <= rest.size())
    {
        const std::size_t end = std::min(rest.find('\\', start), rest.size());
        const std::string_view part = rest.substr(start, end - start);
        if (!part.empty())
        {
            if (lf_isUnsafeFolderName(part))
                return std::nullopt;
            path /= gf_utf8ToPath(part);
        }
        start = end + 1;
    }
    return path;
}

fs::path lf_under(const fs::path& folder, std::string_view rest)
{
    const std::optional<fs::path> parts = lf_joinParts(rest);
    return parts && !parts->empty() ? folder / *parts : fs::path();
}

} // namespace

fs::path gf_learnedPathFor(std::string_view nameIn, std::string_view publisher)
{
    std::string name(nameIn);
    std::replace(name.begin(), name.end(), '/', '\\');
    const std::size_t slash = name.rfind('\\');
    const std::string file = name.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = file.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : file.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (name.empty() || extension != ".xml")
        return {};

    if (lf_startsWith(name, kArchiveStock))
        return lf_under(g_learnedStockPath, file);
    if (lf_startsWith(name, kArchiveSimaddon))
        return lf_under(g_learnedSimaddonPath, file);
    if (const std::size_t at = name.find(kArchiveThirdparty); at != std::string::npos)
    {
        const std::size_t from = at + kArchiveThirdparty.size();
        const std::size_t end = name.find('\\', from);
        if (end == std::string::npos)
            return {};
        const std::string raw = lf_replaceAll(name.substr(from, end - from), "%20", " ");
        const std::string folder = lf_publisherFolder(raw, name);
        return folder.empty() ? fs::path() : lf_under(g_learnedThirdpartyPath / folder, file);
    }
    if (lf_startsWith(name, kAirports))
    {
        const std::string_view rest = std::string_view(name).substr(kAirports.size());
        if (lf_startsWith(rest, "stock\\"))
            return lf_under(g_learnedStockPath, rest.substr(6));
        if (lf_startsWith(rest, "my_simaddon\\"))
            return lf_under(g_learnedSimaddonPath, rest.substr(12));
        if (lf_startsWith(rest, "my_thirdparty2024\\") || lf_startsWith(rest, "my_thirdparty\\"))
        {
            const std::string folder = lf_publisherFolder(publisher, name);
            return folder.empty() ? fs::path() : lf_under(g_learnedThirdpartyPath / folder, file);
        }
        return lf_under(g_airportsLearnedPath, rest);
    }
    return {};
}

} // namespace ovr
