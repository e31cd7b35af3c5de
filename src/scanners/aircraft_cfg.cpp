#include "scanners/aircraft_cfg.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <optional>
#include <string_view>
#include <system_error>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/encoding.h"
#include "core/log.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "liveries/dont_use_titles.h"
#include "liveries/model_database.h"
#include "liveries/model_lookups.h"
#include "liveries/registration_lookup.h"
#include "scanners/cfg_keys.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"

namespace ovr
{

namespace fs = std::filesystem;

namespace
{

// Every reader ends its worker's count once, whichever way it leaves.
class RunningTaskEnd
{
  public:
    RunningTaskEnd() = default;
    ~RunningTaskEnd() { g_runningScanTasks.fetch_sub(1); }
    RunningTaskEnd(const RunningTaskEnd&) = delete;
    RunningTaskEnd& operator=(const RunningTaskEnd&) = delete;
};

bool lf_contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool lf_isComment(const std::string& line)
{
    return line.size() >= 2 && line.starts_with("//");
}

// Trailing empty and comment lines go; a last line of one character stays.
void lf_trimSectionEnd(std::vector<std::string>& section)
{
    while (!section.empty() && (section.back().empty() || lf_isComment(section.back())))
        section.pop_back();
}

bool lf_isDontUseTitle(const std::string& title)
{
    return std::find(g_dontUseTitles.begin(), g_dontUseTitles.end(), title) != g_dontUseTitles.end();
}

// The registration of an atc_id value: one item is the registration, several
// give none; nullopt when the value is invalid.
std::optional<std::string> lf_registrationOf(std::string_view value)
{
    const std::vector<std::string> items = lf_splitComma(value);
    if (items.empty())
        return std::nullopt;
    for (const std::string& item : items)
        if (item.empty() || item == g_blank || item.size() > 12 || lf_contains(item, "*"))
            return std::nullopt;
    if (items.size() == 1)
        return items.front();
    return std::string();
}

// A file that cannot be read is reported, unless `quietWhenMissing` and it
// does not exist (any more).
bool lf_readLines(const fs::path& file, std::vector<std::string>& lines, bool warnOnOpen, bool quietWhenMissing)
{
    lines.reserve(kCfgLinesReserved);
    const DetectedLines read = gf_readDetectedLines(file, lines);
    if (read.code == kEncodingNotOpened)
    {
        std::error_code ec;
        if (quietWhenMissing && (!fs::exists(fs::status(file, ec)) || ec))
            return false;
        const std::string text = fmt::format("! No text encoding detected for {}", gf_pathToUtf8(file));
        if (warnOnOpen)
            gf_logWarning(text);
        else
            gf_log(text);
        return false;
    }
    if (!read.decoded)
    {
        gf_log(fmt::format("! Failed reading {}", gf_pathToUtf8(file)));
        return false;
    }
    return true;
}

// The database key of a registration, when it names an airline.
std::optional<FlightKey> lf_usableDbaseKey(const std::string& registration)
{
    if (registration.empty())
        return std::nullopt;
    std::optional<FlightKey> key = gf_findRegistrationKey(registration);
    if (!key || key->airline == 0)
        return std::nullopt;
    return key;
}

bool lf_isWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '_';
}

bool lf_equalsBlind(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The airline code of an IVAO title: the model, "W" in a marked folder,
// blanks, then three word characters (case-blind); nullopt when the title
// does not read so.
std::optional<std::string> lf_ivaoTitleAirline(std::string_view title, std::string_view prefix)
{
    if (title.size() < prefix.size() || !lf_equalsBlind(title.substr(0, prefix.size()), prefix))
        return std::nullopt;
    std::size_t at = prefix.size();
    while (at < title.size() && (title[at] == ' ' || title[at] == '\t' || title[at] == '\v' ||
                                 title[at] == '\f' || title[at] == '\r' || title[at] == '\n'))
        ++at;
    if (title.size() - at < 3)
        return std::nullopt;
    for (std::size_t i = at; i < at + 3; ++i)
        if (!lf_isWordChar(title[i]))
            return std::nullopt;
    for (std::size_t i = at + 3; i < title.size(); ++i)
        if (title[i] == '\n' || title[i] == '\r')
            return std::nullopt;
    return std::string(title.substr(at, 3));
}

// Hands each [fltsim.N] section of the lines to `take`: its header and the
// lines after it up to the next section header, blank lines kept. A '['
// before `headerColumn` marks the next header.
template <class Take>
void lf_forEachFltsimSection(const std::vector<std::string>& lines, std::size_t headerColumn, Take take)
{
    std::vector<std::string> section;
    section.reserve(kSectionLinesReserved);
    bool inSection = false;
    auto process = [&]
    {
        if (section.empty())
            return;
        take(section);
        section.clear();
    };
    for (const std::string& line : lines)
    {
        if (!lf_fltsimNumber(line).empty())
        {
            process();
            inSection = true;
            section.push_back(line);
        }
        else if (line.empty())
        {
            if (inSection)
                section.push_back(line);
        }
        else if (line.find('[') < headerColumn)
        {
            process();
            inSection = false;
        }
        else if (inSection)
        {
            section.push_back(line);
        }
    }
    process();
}

} // namespace

LiveryData lf_makeLivery(std::uint32_t folderNumber, const FlightKey& key, const std::string& title,
                         const std::string& registration)
{
    if (!lf_takeTitle(title))
        return {};
    LiveryData livery;
    livery.title = title;
    livery.registration = registration;
    livery.key = key;
    livery.folder = static_cast<std::int16_t>(folderNumber & 0xFFFFU);
    return livery;
}

std::string lf_typeCodeRule(const std::string& code, const fs::path& file)
{
    if (gf_isKnownModel(code))
        return code;
    if (std::optional<std::string> fixed = gf_fixedModelName(code))
    {
        lf_addFix(fmt::format("Model fix: {} found in {} changed into {}", code, lf_narrow(file), *fixed));
        return *fixed;
    }
    lf_addInvalidModel(code, file);
    return {};
}

bool lf_checkFltsimSections(const std::vector<std::string>& lines, const fs::path& file)
{
    bool anyHeader = false;
    bool outOfRange = false;
    for (const std::string& line : lines)
    {
        const std::string number = lf_fltsimNumber(line);
        if (number.empty())
            continue;
        long long value = 0;
        if (!lf_readSectionNumber(number, value))
        {
            gf_logWarning(fmt::format("fltsim num {} incorrect", number));
            return false;
        }
        anyHeader = true;
        if (value < 0 || value > kMaxFltsimNumber)
            outOfRange = true;
    }
    if (!anyHeader)
    {
        lf_addCfgWithoutFltsim(file);
        return true;
    }
    if (outOfRange)
    {
        lf_addInvalidCfgFile(lf_narrow(file) + " contains a [fltsim.x] section with a number < 0 or > " + "10000");
        return false;
    }
    return true;
}

std::string lf_modelOfFile(const fs::path& file, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
    {
        const std::string code = lf_readTypeDesignator(line);
        if (!code.empty())
            return lf_typeCodeRule(code, file);
    }
    return lf_modelFromBaseContainer(file, lines);
}

std::string lf_modelFromBaseContainer(const fs::path& file, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
    {
        const std::string type = lf_readBaseContainer(line);
        if (!type.empty())
            return lf_typeCodeRule(type, file);
    }
    const std::string narrow = lf_narrow(file);
    if (lf_contains(narrow, "pmdg-aircraft-7") || lf_contains(narrow, "fnx-aircraft-3"))
        return {};
    lf_addInvalidCfgFile("Line icao_type_designator= is missing in [General] section of " + narrow);
    return {};
}

std::list<LiveryData> lf_searchLiveriesinFile(std::uint32_t folderNumber, const fs::path& file)
{
    RunningTaskEnd end;
    try
    {
        // Whether the file is there is asked only when it cannot be read,
        // not of every file: one system call less per file.
        std::vector<std::string> lines;
        if (!lf_readLines(file, lines, false, true))
            return {};
        const fs::path folder = file.parent_path();
        if (!lf_checkFltsimSections(lines, file))
            return {};
        const std::string model = lf_modelOfFile(file, lines);
        if (model.empty())
            return {};
        return lf_splitFltsimSections(folderNumber, lines, model, file, folder);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("! Exception in lf_searchLiveriesinFile {}: {}", gf_pathToUtf8(file), e.what()));
        throw;
    }
}

std::list<LiveryData> lf_splitFltsimSections(std::uint32_t folderNumber, const std::vector<std::string>& lines,
                                             const std::string& model, const fs::path& file, const fs::path& folder)
{
    std::list<LiveryData> liveries;
    auto take = [&](std::vector<std::string>& section)
    { liveries.splice(liveries.end(), lf_procesFltSimSection(folderNumber, section, model, file, folder)); };
    // A '[' among the first six columns starts the next section.
    lf_forEachFltsimSection(lines, 6, take);
    return liveries;
}

std::list<LiveryData> lf_procesFltSimSection(std::uint32_t folderNumber, std::vector<std::string>& section,
                                             const std::string& model, const fs::path& file, const fs::path& folder)
{
    try
    {
        const std::string F = lf_narrow(folder);
        const std::string P = lf_narrow(file);
        const std::string H = section.empty() ? std::string() : section.front();
        lf_trimSectionEnd(section);

        std::string title;
        std::string airline;
        std::string parking;
        std::string registration;
        bool dropped = false;
        std::string value;
        for (const std::string& line : section)
        {
            if (title.empty() && lf_readTitle(line, value))
            {
                title = gf_trim(value);
                if (lf_contains(title, "FenixA320") || lf_contains(title, "PMDG 737"))
                {
                    dropped = true;
                    break;
                }
            }
            else if (!title.empty() && lf_readTitle(line, value))
            {
                lf_addIncompleteSection(fmt::format("{} {} has more than one title key", F, H));
                dropped = true;
                break;
            }
            else if (!airline.empty() && lf_contains(line, "icao_airline"))
            {
                lf_addIncompleteSection(fmt::format("{} {} has more than one icao_airline key", F, H));
                dropped = true;
                break;
            }
            else if (airline.empty() && lf_readIcaoAirline(line, value))
            {
                std::string code = value;
                gf_normaliseCommaList(code);
                if (code.size() == 4 && (code[3] == 'X' || code[3] == 'C'))
                    code.resize(3);
                if (!code.empty() && gf_isKnownAirline(code))
                {
                    airline = code;
                }
                else if (code == "RFO")
                {
                    dropped = true;
                    break;
                }
                else
                {
                    lf_addInvalidAirline(code, file, H);
                    airline.clear();
                }
            }
            else if (parking.empty() && lf_readParkingTypes(line, value))
            {
                std::string types = value;
                gf_normaliseCommaList(types);
                parking = lf_upper(types);
            }
            else if (!parking.empty() && lf_hasParkingTypesKey(line))
            {
                lf_addIncompleteSection(fmt::format("{} {} has more than one atc_parking_types key", F, H));
                dropped = true;
                break;
            }
            else if (!registration.empty() && lf_hasAtcIdKey(line))
            {
                lf_addIncompleteSection(fmt::format("{}, {}, has more than one atc_id key", F, H));
                dropped = true;
                break;
            }
            else if (registration.empty() && lf_readAtcId(line, value))
            {
                std::string cut = value.substr(0, value.find(';'));
                std::optional<std::string> found = lf_registrationOf(cut);
                if (!found)
                {
                    lf_addIncompleteSection(fmt::format("invalid atc_id={} in: {}", cut, title));
                    registration.clear();
                }
                else
                {
                    registration = std::move(*found);
                }
            }
        }

        if (airline.empty())
            lf_addIncompleteSection(fmt::format("{} {} icao_airline is missing, or it has invalid info ", P, H));
        if (dropped)
            return {};
        if (title.empty())
        {
            lf_addIncompleteSection(fmt::format("{} {} misses title", F, H));
            return {};
        }
        if (lf_contains(title, "Fictional"))
            return {};
        if (title.ends_with("-STUB"))
            airline = g_unknownAirline;
        if (lf_isDontUseTitle(title))
            return {};
        if (airline == g_unknownAirline)
            registration.clear();
        std::optional<FlightKey> dbaseKey = lf_usableDbaseKey(registration);
        if (airline.empty())
        {
            const bool heavy = gf_categoryOfModelName(model) == kCategoryHeavy;
            if (!registration.empty())
            {
                if (!dbaseKey)
                {
                    if (heavy)
                    {
                        lf_addIncompleteSection(fmt::format("'{}' '{}' has no airline and regcode not in dbase", F, H));
                        return {};
                    }
                    airline = "PVT";
                }
            }
            else
            {
                if (heavy)
                {
                    lf_addIncompleteSection(fmt::format("'{}' '{}' has no airline and no regcode info", F, H));
                    return {};
                }
                airline = "PVT";
                registration = gf_findDbaseRecord(title).value_or(std::string());
                dbaseKey = lf_usableDbaseKey(registration);
            }
        }
        const bool cargo = lf_contains(parking, "CARGO") && !lf_contains(parking, "GATE");
        FlightKey key;
        if (dbaseKey)
        {
            key = *dbaseKey;
        }
        else
        {
            key.airline = gf_airlineId(airline);
            key.model = gf_modelId(model);
            key.cargo = cargo ? 1 : 0;
        }
        if (!lf_takeTitle(title))
        {
            lf_addIncompleteSection(fmt::format("{} {} title '{}' already exists", F, H, title));
            return {};
        }
        if (key.airline == 0 || key.model == 0)
        {
            // Only a database key without type gets here; the title stays taken.
            lf_addIncompleteSection(fmt::format("{} {} title '{}' has no airline or model", F, H, title));
            return {};
        }
        std::list<LiveryData> result;
        LiveryData& livery = result.emplace_back();
        livery.title = std::move(title);
        livery.registration = std::move(registration);
        livery.key = key;
        livery.folder = static_cast<std::int16_t>(folderNumber & 0xFFFFU);
        return result;
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("Exception in lf_procesFltSimSection: {}, file: {}", e.what(), lf_narrow(file)));
        throw;
    }
}

// ---- IVAO packages ----

namespace
{

// The model folders whose titles write "W" after the model code.
constexpr std::array<std::string_view, 5> kMarkedFolders{"IVAO_B738WLfa", "IVAO_B739WLfa", "IVAO_A320wCFM",
                                                         "IVAO_A320wIAE", "IVAO_A319fIAEw"};

// The name after "IVAO_" of
// "<something>\<package>\SimObjects\Airplanes\IVAO_<word>\aircraft.cfg"
// (case-blind, '.' of aircraft.cfg any character).
std::optional<std::string> lf_ivaoFolderWord(const std::string& text, std::string_view package)
{
    std::vector<std::string_view> parts;
    std::string_view rest(text);
    for (std::size_t cut = rest.find('\\'); cut != std::string_view::npos; cut = rest.find('\\'))
    {
        parts.push_back(rest.substr(0, cut));
        rest.remove_prefix(cut + 1);
    }
    parts.push_back(rest);
    if (parts.size() < 6)
        return std::nullopt;
    const std::size_t n = parts.size();
    const std::string_view last = parts[n - 1];
    if (last.size() != 12 || !lf_equalsBlind(last.substr(0, 8), "aircraft") || !lf_equalsBlind(last.substr(9), "cfg") ||
        last[8] == '\n' || last[8] == '\r')
        return std::nullopt;
    const std::string_view modelFolder = parts[n - 2];
    if (modelFolder.size() < 6 || !lf_equalsBlind(modelFolder.substr(0, 5), "ivao_"))
        return std::nullopt;
    const std::string_view word = modelFolder.substr(5);
    if (!std::all_of(word.begin(), word.end(), lf_isWordChar))
        return std::nullopt;
    if (!lf_equalsBlind(parts[n - 3], "airplanes") || !lf_equalsBlind(parts[n - 4], "simobjects") ||
        !lf_equalsBlind(parts[n - 5], package))
        return std::nullopt;
    // At least one character before the package's backslash, none a line end.
    const std::size_t prefixLength = text.size() - (parts[n - 5].size() + parts[n - 4].size() + parts[n - 3].size() +
                                                    parts[n - 2].size() + parts[n - 1].size() + 5);
    if (prefixLength < 1)
        return std::nullopt;
    if (text.find_first_of("\r\n") != std::string::npos)
        return std::nullopt;
    return std::string(word);
}

} // namespace

std::string lf_ivaoModelFromPath(const fs::path& file)
{
    std::string text = lf_narrow(file);
    std::replace(text.begin(), text.end(), '/', '\\');
    std::optional<std::string> word = lf_ivaoFolderWord(text, "IVAO_MTL");
    if (!word)
        word = lf_ivaoFolderWord(text, "ivao_x-csl");
    if (!word)
    {
        lf_addInvalidModel("  ", file);
        return {};
    }
    return lf_typeCodeRule(word->substr(0, 4), file);
}

std::list<LiveryData> lf_searchLiveriesinIVAOFile(std::uint32_t folderNumber, const fs::path& file)
{
    RunningTaskEnd end;
    try
    {
        const std::string model = lf_ivaoModelFromPath(file);
        if (model.empty())
            return {};
        const fs::path folder = file.parent_path();
        std::vector<std::string> lines;
        if (!lf_readLines(file, lines, true, false))
            return {};
        if (!lf_checkFltsimSections(lines, file))
            return {};
        return lf_splitIVAOSections(folderNumber, lines, model, file, folder);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("! Exception in lf_searchLiveriesinIVAOFile {}: {}", gf_pathToUtf8(file), e.what()));
        throw;
    }
    catch (...)
    {
        gf_log(fmt::format("! Unknown exception in lf_searchLiveriesinIVAOFile {}", gf_pathToUtf8(file)));
        throw;
    }
}

std::list<LiveryData> lf_splitIVAOSections(std::uint32_t folderNumber, const std::vector<std::string>& lines,
                                           const std::string& model, const fs::path& file, const fs::path& folder)
{
    std::list<LiveryData> liveries;
    auto take = [&](std::vector<std::string>& section)
    {
        LiveryData livery = lf_procesIVAOFltSimSection(folderNumber, section, model, file, folder);
        if (livery.key.airline != 0 && livery.key.model != 0)
            liveries.push_back(std::move(livery));
    };
    // A '[' anywhere in a line starts the next section.
    lf_forEachFltsimSection(lines, std::string::npos, take);
    return liveries;
}

fs::path lf_windowsFolder(const fs::path& path)
{
    std::string name = path.filename().string();
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    if (name.empty())
        return path;
    const fs::path parent = path.parent_path();
    fs::path stripped = parent / name;
    std::error_code ec;
    if (fs::exists(stripped, ec))
        return stripped;
    fs::directory_iterator it(parent.empty() ? fs::path(".") : parent, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        if (lf_equalsBlind(it->path().filename().string(), name))
            return parent / it->path().filename();
    return stripped;
}

LiveryData lf_procesIVAOFltSimSection(std::uint32_t folderNumber, std::vector<std::string>& section,
                                      const std::string& model, const fs::path& file, const fs::path& folder)
{
    const std::string F = lf_narrow(folder);
    const std::string P = lf_narrow(file);
    const std::string H = section.empty() ? std::string() : section.front();
    const bool marked = std::any_of(kMarkedFolders.begin(), kMarkedFolders.end(),
                                    [&](std::string_view name) { return lf_contains(F, name); });
    lf_trimSectionEnd(section);

    std::string title;
    std::string parking;
    std::string registration;
    std::string texture;
    std::string value;
    for (const std::string& line : section)
    {
        if (title.empty() && lf_readTitle(line, value))
        {
            title = gf_trim(value);
            if (title != value)
                gf_log(fmt::format("removed spaces around title '{}' --> '{}'", value, title));
        }
        else if (!title.empty() && lf_readTitle(line, value))
        {
            lf_addIncompleteSection(F + " " + H + " has more than one title key");
            return {};
        }
        else if (parking.empty() && lf_readParkingTypes(line, value))
        {
            std::string types = value;
            gf_normaliseCommaList(types);
            parking = lf_upper(types);
        }
        else if (!parking.empty() && lf_hasParkingTypesKey(line))
        {
            lf_addIncompleteSection(F + " " + H + " has more than one atc_parking_types key");
            return {};
        }
        else if (registration.empty() && lf_readAtcId(line, value))
        {
            std::optional<std::string> found = lf_registrationOf(value);
            if (!found)
            {
                lf_addIncompleteSection(fmt::format("invalid atc_id={} in {}", value, title));
                registration.clear();
            }
            else
            {
                registration = std::move(*found);
            }
        }
        else if (!registration.empty() && lf_hasAtcIdKey(line))
        {
            lf_addIncompleteSection(fmt::format("{}, {}, has more than one atc_id key", F, H));
            return {};
        }
        else if (texture.empty())
        {
            lf_readTexture(line, texture);
        }
    }

    const fs::path textureFolder = folder / ("texture." + texture);
    const fs::file_status status = fs::status(lf_windowsFolder(textureFolder));
    if (!fs::is_directory(status))
    {
        lf_addIncompleteSection(lf_narrow(textureFolder) + " " + H + " does not exist");
        return {};
    }
    if (title.empty())
    {
        lf_addIncompleteSection(F + " " + H + " misses title");
        return {};
    }
    if (lf_isDontUseTitle(title))
        return {};

    FlightKey key;
    const std::string prefix = marked ? model + "W" : model;
    if (std::optional<std::string> airline = lf_ivaoTitleAirline(title, prefix))
    {
        if (!gf_isKnownAirline(*airline))
        {
            lf_addInvalidAirline(*airline, file, H);
            return {};
        }
        if (*airline == g_unknownAirline)
            registration.clear();
        key.airline = gf_airlineId(*airline);
        key.model = gf_modelId(model);
    }
    else if (!registration.empty())
    {
        std::optional<FlightKey> found = gf_findRegistrationKey(registration);
        if (!found)
        {
            lf_addIncompleteSection(F + " " + H + " misses airlinecode in title: " + title + ", and regcode unknown " +
                                    registration);
            return {};
        }
        key = *found;
    }
    else
    {
        lf_addIncompleteSection(F + " " + H + " misses airlinecode in title: " + title + ", and no regcode");
        return {};
    }
    LiveryData livery = lf_makeLivery(folderNumber, key, title, registration);
    if (livery.title.empty())
    {
        lf_addIncompleteSection(F + " " + H + " title already exists: " + title);
        return {};
    }
    if (lf_liveryIncomplete(livery))
    {
        lf_addIncompleteSection(F + " " + H + " title has no airline or model: " + title);
        return {};
    }
    return livery;
}

} // namespace ovr
