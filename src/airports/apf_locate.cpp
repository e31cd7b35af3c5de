#include "airports/apf_locate.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/apf_locate_detail.h"
#include "core/path_exists.h"
#include "core/paths.h"
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
    std::vector<fs::path> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    {
        if (lf_equalsNoCase(it->path().filename().string(), path.filename().string()))
            matches.push_back(it->path());
    }
    if (matches.empty())
        return {};
    // Listings come in no fixed order; the first name wins.
    std::sort(matches.begin(), matches.end());
    return path.parent_path() / matches.front().filename();
}

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
            path /= fs::path(std::string(name.substr(start, end - start)));
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
