#include "airports/apf_locate.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/apf_locate_detail.h"
#include "core/path_exists.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/text_lines.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

constexpr std::string_view kLocalPrefix = "airports";

char lf_lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool lf_equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lf_lower(x) == lf_lower(y); });
}

// The names of a folder by their lower-case form, the first of equal forms
// in name order kept (listings come in no fixed order). A miss looks here
// instead of listing the folder again, as long as the folder has not changed
// since; a folder changed within the last two seconds is listed each time,
// for its time stamp may not yet show a change made in the same tick.
struct FolderIndex
{
    fs::file_time_type stamp;
    std::unordered_map<std::string, std::string> byLower;
};

std::mutex g_folderIndexMutex;
std::unordered_map<std::string, FolderIndex> g_folderIndexes;
std::atomic<std::uint64_t> g_caseBlindListings{0};
constexpr auto kSettledFolder = std::chrono::seconds(2);

std::string lf_lowerText(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = lf_lower(c);
    return lower;
}

FolderIndex lf_listFolder(const fs::path& folder, fs::file_time_type stamp)
{
    g_caseBlindListings.fetch_add(1);
    FolderIndex index{stamp, {}};
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    {
        std::string name = it->path().filename().string();
        auto [at, added] = index.byLower.try_emplace(lf_lowerText(name), name);
        if (!added && name < at->second)
            at->second = std::move(name);
    }
    return index;
}

std::optional<std::string> lf_caseBlindName(const fs::path& folder, std::string_view name)
{
    std::error_code ec;
    const fs::file_time_type stamp = fs::last_write_time(folder, ec);
    const bool settled = !ec && fs::file_time_type::clock::now() - stamp > kSettledFolder;
    const std::string key = fs::absolute(folder, ec).lexically_normal().string();
    const std::scoped_lock lock(g_folderIndexMutex);
    auto found = g_folderIndexes.find(key);
    if (!settled || found == g_folderIndexes.end() || found->second.stamp != stamp)
    {
        FolderIndex index = lf_listFolder(folder, stamp);
        if (!settled)
        {
            g_folderIndexes.erase(key);
            const auto it = index.byLower.find(lf_lowerText(name));
            return it == index.byLower.end() ? std::nullopt : std::optional<std::string>(it->second);
        }
        found = g_folderIndexes.insert_or_assign(key, std::move(index)).first;
    }
    const auto it = found->second.byLower.find(lf_lowerText(name));
    return it == found->second.byLower.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// A path of our own folders as Windows writes it.
std::string lf_windowsName(const fs::path& path)
{
    std::string text = path.generic_string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// The archive name of a valid link file of the folder, or none.
std::optional<std::string> lf_linkIn(const fs::path& folder, const IcaoCode& code)
{
    const fs::path link = gf_existingCaseBlind(folder / gf_icaoTxtPath(code));
    std::string name;
    if (!link.empty() && lf_readLinkFile(link, name))
        return name;
    return std::nullopt;
}

// The local name of the airport file in the folder, or none.
std::optional<std::string> lf_fileIn(const fs::path& folder, const IcaoCode& code)
{
    const fs::path file = gf_existingCaseBlind(folder / gf_icaoXmlPath(code));
    if (file.empty())
        return std::nullopt;
    return lf_windowsName(file);
}

bool lf_listedWithStands(const IcaoCode& code)
{
    const Airport* airport = gf_findAirport(code);
    return airport != nullptr && airport->stands >= 1;
}

} // namespace

std::string gf_icaoXmlName(const IcaoCode& code)
{
    return code.text() + ".xml";
}

fs::path gf_icaoXmlPath(const IcaoCode& code)
{
    return fs::path(gf_icaoXmlName(code));
}

fs::path gf_icaoTxtPath(const IcaoCode& code)
{
    return fs::path(code.text() + ".txt");
}

std::string gf_icaoNamedFile(const IcaoCode& code, std::string_view name)
{
    std::string kept(name);
    std::erase(kept, '.');
    return fmt::format("{}{}", code.text(), kept);
}

fs::path gf_existingCaseBlind(const fs::path& path)
{
    if (gf_pathExists(path))
        return path;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return {};
    const std::optional<std::string> name = lf_caseBlindName(folder, path.filename().string());
    if (!name)
        return {};
    return path.parent_path() / *name;
}

namespace detail
{

std::uint64_t caseBlindListings()
{
    return g_caseBlindListings.load();
}

} // namespace detail

bool lf_readLinkFile(const fs::path& path, std::string& name)
{
    name.clear();
    if (!gf_pathExists(path))
        return false;
    LineFile file{path, {}};
    const LinesResult lines = gf_readFileLines(file, 1);
    if (!lines || lines.lines.empty())
        return false;
    std::string line = lines.lines.front();
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0)
        line.pop_back();
    if (line.size() < 4 || !lf_equalsNoCase(std::string_view(line).substr(line.size() - 4), ".xml"))
        return false;
    name = std::move(line);
    return true;
}

bool gf_hasAirportFile(const IcaoCode& code)
{
    for (const fs::path& folder : {g_myThirdpartyPath, g_mySimaddonPath})
        for (const fs::path& file : {gf_icaoXmlPath(code), gf_icaoTxtPath(code)})
            if (!gf_existingCaseBlind(folder / file).empty())
                return true;
    return lf_listedWithStands(code);
}

std::string gf_findAirportFile(const IcaoCode& code)
{
    for (const fs::path& folder : {g_myThirdpartyPath, g_mySimaddonPath})
    {
        if (std::optional<std::string> link = lf_linkIn(folder, code))
            return *link;
        if (std::optional<std::string> file = lf_fileIn(folder, code))
            return *file;
    }
    if (lf_listedWithStands(code))
        return "archive/stock/" + gf_icaoXmlName(code);
    return {};
}

bool gf_isLocalApfName(std::string_view name)
{
    return name.substr(0, kLocalPrefix.size()) == kLocalPrefix;
}

fs::path gf_localApfPath(std::string_view name)
{
    fs::path path;
    std::size_t start = 0;
    while (start <= name.size())
    {
        const std::size_t end = std::min(name.find_first_of("\\/", start), name.size());
        if (end > start)
            path /= gf_utf8ToPath(name.substr(start, end - start));
        start = end + 1;
    }
    return path;
}

std::string lf_apfBaseName(std::string_view name)
{
    const std::size_t slash = name.find_last_of("\\/");
    const std::size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view file = name.substr(fileStart);
    const std::size_t dot = file.rfind('.');
    const std::size_t stemLength = dot == std::string_view::npos || dot == 0 ? file.size() : dot;
    if (stemLength < 5)
        return std::string(name);
    return fmt::format("{}{}{}", name.substr(0, fileStart), file.substr(0, 4), file.substr(stemLength));
}

std::string lf_trimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

} // namespace ovr
