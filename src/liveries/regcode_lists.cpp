#include "liveries/regcode_lists.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "core/encoding.h"
#include "core/files.h"
#include "core/log.h"
#include "core/meta_info.h"
#include "core/paths.h"
#include "core/stream_decrypt.h"
#include "core/text.h"
#include "core/text_lines.h"

namespace ovr
{
namespace
{

namespace fs = std::filesystem;

constexpr std::size_t kShortestLine = 6;
constexpr std::size_t kShortestRegcode = 3;
constexpr std::size_t kLongestRegcode = 12;
constexpr std::size_t kLinesPerFile = 1024;

std::string_view lf_liveryWord(std::size_t count)
{
    return count == 1 ? "livery" : "liveries";
}

// The non-empty fields between ';', each trimmed.
std::vector<std::string> lf_fields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= line.size())
    {
        std::size_t end = line.find(';', start);
        if (end == std::string_view::npos)
            end = line.size();
        std::string field = gf_trim(line.substr(start, end - start));
        if (!field.empty())
            fields.push_back(std::move(field));
        start = end + 1;
    }
    return fields;
}

bool lf_validLength(const std::string& regcode)
{
    return regcode.size() >= kShortestRegcode && regcode.size() <= kLongestRegcode;
}

bool lf_isTxt(const fs::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".TXT";
}

} // namespace

namespace detail
{

bool parseRegcodeLine(std::string_view line, const fs::path& file, std::vector<RegcodeEntry>& out)
{
    if (line.size() < kShortestLine)
        return true;
    std::vector<std::string> fields = lf_fields(line);
    if (fields.empty() || fields.size() > 3)
        return true;
    if (fields.size() == 1)
    {
        out.push_back({std::move(fields[0]), {}, false});
        return true;
    }

    bool valid = true;
    std::vector<std::string> regcodes = gf_splitTrimSorted(fields[1]);
    if (regcodes.size() == 1)
    {
        if (!lf_validLength(regcodes[0]))
        {
            gf_logWarning(fmt::format("wrong regcode length '{}' in {}", regcodes[0], file.string()));
            return false;
        }
        out.push_back({std::move(fields[0]), std::move(regcodes), true});
        return true;
    }

    std::vector<std::string> kept;
    for (std::string& regcode : regcodes)
    {
        if (lf_validLength(regcode))
        {
            kept.push_back(std::move(regcode));
            continue;
        }
        gf_logWarning(fmt::format("wrong regcode length '{}' in {}", regcode, file.string()));
        valid = false;
    }
    // A line whose registrations are all wrong names no livery to bind; as a
    // title-only entry it would stop the scan from taking that livery at all.
    if (kept.empty())
        return valid;
    const bool special = fields.size() == 3 && fields[2] == "#";
    out.push_back({std::move(fields[0]), std::move(kept), special});
    return valid;
}

bool readAigRegcodesText(std::string& text, const fs::path& name, std::vector<RegcodeEntry>& out)
{
    pugi::xml_document doc;
    if (!doc.load_buffer_inplace(text.data(), text.size()))
    {
        gf_logWarning(fmt::format("Failed to load {}", name.string()));
        return false;
    }
    if (!gf_readMeta(doc, false))
    {
        gf_logWarning(fmt::format("{} refused: its meta block lacks the copyright or the simulator marker",
                                  name.string()));
        return false;
    }
    pugi::xml_node aig = doc.child("root").child("aig");
    if (!aig)
    {
        gf_logWarning("No <aig> node found in XML.");
        return false;
    }

    // Views into the parsed text, which outlives the loop.
    std::string_view previous;
    for (pugi::xml_node l : aig.children("l"))
    {
        const std::string_view title = l.attribute("t").value();
        if (title.empty())
            continue;
        if (title == previous)
        {
            gf_logWarning(fmt::format("Duplicate title '{}' (same as previous)", title));
            continue;
        }
        previous = title;
        const std::string_view listed = l.attribute("r").value();
        std::vector<std::string> regcodes = gf_splitTrimSorted(listed);
        // "A,,B" must not bind the empty registration to the livery.
        std::erase_if(regcodes, [](const std::string& regcode) { return regcode.empty(); });
        // A list of nothing but commas and blanks is a broken entry, not a
        // livery not to use: taken as one it would hide an installed livery.
        if (regcodes.empty() && !gf_trim(listed).empty())
        {
            gf_logWarning(fmt::format("Entry '{}' lists no registration in r=\"{}\", skipped", title, listed));
            continue;
        }
        out.push_back({std::string(title), std::move(regcodes), l.attribute("s").as_bool(false)});
    }
    gf_log(
        fmt::format("{:5} {} read from {}", out.size(), lf_liveryWord(out.size()), name.filename().string()));
    return true;
}

} // namespace detail

bool lf_readRegcodeFiles(const fs::path& folder, std::vector<RegcodeEntry>& out)
{
    bool result = true;
    try
    {
        // Sorted by name, so that a registration in two files always ends in
        // the same livery.
        std::vector<fs::path> files;
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        if (ec)
            throw fs::filesystem_error("directory_iterator::directory_iterator", folder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        {
            // One entry that cannot be read (a link to itself) costs only
            // that entry: the user's other lists are still used.
            std::error_code statusError;
            const bool regular = it->is_regular_file(statusError);
            if (statusError)
            {
                gf_logWarning(
                    fmt::format("regcode file {} skipped: {}", it->path().string(), statusError.message()));
                result = false;
                continue;
            }
            if (regular && lf_isTxt(it->path()))
                files.push_back(it->path());
        }
        if (ec)
        {
            gf_logWarning(fmt::format("Error reading regcode files in {}, what: {}", folder.string(), ec.message()));
            result = false;
        }
        std::sort(files.begin(), files.end());

        std::vector<std::string> lines;
        lines.reserve(kLinesPerFile);
        for (const fs::path& path : files)
        {
            // Editors save these lists as UTF-16 or Windows-1252 too; the
            // titles must be the UTF-8 the scan wrote.
            if (gf_readDetectedLines(path, lines).decoded)
            {
                for (const std::string& line : lines)
                    result = detail::parseRegcodeLine(line, path, out) && result;
            }
            gf_log(fmt::format("{:5} {} read from {}", out.size(), lf_liveryWord(out.size()), path.string()));
        }
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("Error reading regcode files in {}, what: {}", folder.string(), e.what()));
        return false;
    }
    return result;
}

bool lf_decryptAigRegcodes(std::string& text)
{
    return gf_streamDecrypt(g_aigRegcodesEncPath, text);
}

bool lf_readAigRegcodes(std::string& text, std::vector<RegcodeEntry>& out)
{
    // Messages name the list as the plain file it once was decrypted to.
    return detail::readAigRegcodesText(text, g_aigRegcodesXmlPath, out);
}

} // namespace ovr
