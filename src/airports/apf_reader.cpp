#include "airports/apf_reader.h"

#include <algorithm>
#include <exception>

#include <fmt/format.h>

#include "airports/adjacent_stands.h"
#include "airports/airport_settings.h"
#include "airports/apf_locate.h"
#include "airports/apf_locate_detail.h"
#include "airports/learned_file.h"
#include "airports/park_airport.h"
#include "airports/park_airport_panel.h"
#include "airports/parkpos_reader.h"
#include "core/code_pool.h"
#include "core/log.h"
#include "core/meta_info.h"
#include "core/parameters_file.h"
#include "core/paths.h"
#include "core/text_convert.h"
#include "core/user_error.h"

namespace fs = std::filesystem;

namespace ovr
{

bool g_handmade = false;
std::int32_t g_apfWeek = 0;
CoveragePair g_coverage;
fs::path g_learnedApfPath;
std::atomic<std::uint8_t> g_learnedOverride{0};

namespace
{

constexpr std::string_view kFunction = "gf_readApf";
constexpr std::int32_t kErrorMissingParameter = 65;

// Where an archive file is fetched to; it stays until the next download.
fs::path lf_parkAirportCopy()
{
    return g_airportsPath / "park_airport.xml";
}

// What the file tells besides its stands, for the log and the panel.
struct ApfDetails
{
    std::optional<std::string> version;
    std::optional<bool> facilities;
};

ApfDetails lf_readHeader(const pugi::xml_document& document, ApfHeader& header)
{
    ApfDetails details;
    g_apfWeek = gf_getParameter(document, "RT_traffic_week").value_or(0);
    header.publisher = gf_readStringParameter(document, "publisher").value_or("");
    details.version = gf_readStringParameter(document, "version");
    details.facilities = gf_readBoolParameter(document, "Facilities");
    const std::optional<std::int32_t> altitude = gf_getParameter(document, "altitude");
    if (!altitude)
        throw UserErrorException(kErrorMissingParameter, fmt::format("Parameter {} not found", "altitude"));
    header.altitude = *altitude;
    g_parkAirport.elevation = static_cast<float>(*altitude);
    header.airportName = gf_readStringParameter(document, "airport_name").value_or("");
    return details;
}

void lf_numberAndLink(StandList& stands)
{
    stands.edit(
        [](std::vector<Stand>& list)
        {
            std::int32_t id = 0;
            for (Stand& stand : list)
                stand.numericId = ++id;
            gf_linkAdjacentStands(list);
        });
}

void lf_logFigures(const ApfHeader& header, const ApfDetails& details, std::size_t standCount,
                   const std::string& qualityText)
{
    gf_logContinuation(fmt::format("{:24}: {}", "publisher", header.publisher));
    if (details.version)
        gf_logContinuation(fmt::format("{:24}: {}", "version", *details.version));
    gf_logContinuation(fmt::format("{:24}: {} ft", "altitude", header.altitude));
    gf_logContinuation(fmt::format("{:24}: {}", "num_parkpos", standCount));
    if (details.facilities)
        gf_logContinuation(fmt::format("{:24}: {}", "Facilities", *details.facilities));
    gf_logContinuation(fmt::format("{:24}: {}", "quality factor", qualityText));
    gf_logContinuation(fmt::format("{:24}: {}", "RT traffic week", g_apfWeek));
}

std::string lf_readApf(std::string_view name, ApfHeader& header, CoveragePair& coverage, StandList& stands)
{
    if (name.empty())
        return fmt::format("{}: xml is empty", kFunction);
    if (g_parkAirport.icao.empty())
        return fmt::format("{}: no park airport set", kFunction);

    fs::path file = lf_parkAirportCopy();
    if (gf_isLocalApfName(name))
        file = gf_localApfPath(name);
    else if (std::string error = gf_downloadAirportFile(name, file); !error.empty())
        return error;

    g_handmade = false;
    pugi::xml_document document;
    if (!document.load_file(file.c_str()))
        return fmt::format("{}: could not load file: {}", name, gf_pathToUtf8(file));
    if (!gf_readMeta(document, false))
        return fmt::format("{}: refused to load", name);

    const ApfDetails details = lf_readHeader(document, header);
    gf_readParkpositions(document, stands, 1);
    const std::optional<std::int32_t> real = gf_getParameter(document, "Qf_real");
    const std::optional<std::int32_t> soft = gf_getParameter(document, "Qf_soft");
    // Figures are percentages; a file's figure outside them is held to them.
    if (real && soft)
        coverage = CoveragePair{std::clamp(*real, 0, 100), std::clamp(*soft, 0, 100)};
    gf_saveApfParameters();

    g_learnedApfPath = gf_learnedPathFor(lf_apfBaseName(name), header.publisher);
    const fs::path learned = g_learnedApfPath.empty() ? fs::path() : gf_existingCaseBlind(g_learnedApfPath);
    if (!learned.empty())
    {
        g_learnedApfPath = learned;
        lf_readLearned(learned, header, stands, g_handmade);
        coverage = gf_coverageOf(gf_qualityFactors(stands.span()));
        if (g_handmade)
            gf_log("A handmade airport file overruled the archived file!");
    }
    else
    {
        if (!g_learnedApfPath.empty())
            gf_log(fmt::format("learned '{}' does not exist", gf_pathToUtf8(g_learnedApfPath)));
        gf_applyAirportDefaults(coverage, g_parkAirport.icao);
    }

    gf_showParkStandCount(static_cast<std::int32_t>(stands.size()));
    lf_numberAndLink(stands);

    const std::string shownFile = g_handmade ? gf_pathToUtf8(g_learnedApfPath) : std::string(name);
    gf_log(fmt::format("Airport file read from '{}' for {}", shownFile, header.airportName));
    gf_showParkFileText(details.version ? fmt::format("{} ({})", header.publisher, *details.version)
                                        : header.publisher,
                        g_handmade);
    const std::string qualityText = gf_coverageText(coverage);
    lf_logFigures(header, details, stands.size(), qualityText);
    gf_showParkQualityText(qualityText);
    gf_showParkTrafficWeek(g_apfWeek);

    // Without stands nothing of this airport can be learned, and a learned
    // save would write an empty file over its options: the settings go back
    // and the learned save stays unarmed.
    if (stands.empty())
        gf_restoreAirportSettings();
    g_learnedOverride.store(stands.empty() ? 0 : 1);
    gf_enableParkAirportControl();
    header.parkElevation = static_cast<double>(g_parkAirport.elevation);
    return stands.empty() ? "no stands found" : std::string();
}

} // namespace

std::string gf_readApf(std::string_view name, ApfHeader& header, CoveragePair& coverage, StandList& stands)
{
    // Nothing of the airport read before may pass for this one's.
    header = ApfHeader{};
    coverage = CoveragePair{};
    g_learnedApfPath.clear();
    // Values kept for an earlier airport are not this read's: a read that
    // fails before it keeps its own must leave nothing to put back.
    g_savedApfParameters.kept = false;
    const CodeBudget codeBudget{std::string(name)};
    try
    {
        return lf_readApf(name, header, coverage, stands);
    }
    catch (const UserErrorException&)
    {
        throw;
    }
    catch (const std::exception& e)
    {
        return fmt::format("{}: {}", kFunction, e.what());
    }
}

} // namespace ovr
