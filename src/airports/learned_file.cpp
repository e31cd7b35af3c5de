#include "airports/learned_file.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <fmt/format.h>

#include "airports/airport_settings.h"
#include "airports/apf_format.h"
#include "airports/half_hours.h"
#include "airports/parkpos_reader.h"
#include "core/flight_text.h"
#include "core/log.h"
#include "core/meta_info.h"
#include "core/parameters_file.h"
#include "core/status_line.h"
#include "core/text_convert.h"
#include "core/user_error.h"
#include "core/version_data.h"

namespace fs = std::filesystem;

namespace ovr
{

namespace
{

// Learned files older than this hold options of another meaning.
const VersionData kFirstMergedVersion{"11.10.0"};
constexpr double kMinimumDegrees = 0.0001;

// A learned file that could not be merged in full is kept as it was: the
// next save of the park airport would write over it.
void lf_keepUnmerged(const fs::path& path)
{
    if (gf_save1GenerationOf(path))
        gf_logWarning(fmt::format("{} was not merged completely, saved as *.0.xml", gf_pathToUtf8(path)));
}

bool lf_sameFlight(const StandOption& a, const StandOption& b)
{
    return a.day == b.day && a.real == b.real && a.registration == b.registration &&
           gf_sameAirlineAndType(a.key, b.key) && (a.hours & b.hours) != 0;
}

void lf_mergeStands(const pugi::xml_document& document, const fs::path& path, bool oldFile, StandList& stands)
{
    const pugi::xml_node parkpositions = gf_parkpositionsOf(document);
    if (!parkpositions)
        return;
    const std::string file = gf_pathToUtf8(path);
    for (const pugi::xml_node parkpos : parkpositions.children("parkpos"))
    {
        const LearnedStandContext context{gf_standIdOf(parkpos), parkpos, oldFile};
        const bool manual = parkpos.attribute("manual").as_bool(false);
        const auto known = std::find_if(stands.begin(), stands.end(),
                                        [&](const Stand& stand) { return stand.name == context.name; });
        if (!manual)
        {
            if (known == stands.end() || !lf_mergeLearnedStand(context, *known))
                gf_log(fmt::format("learned stand {} in {} not found?", context.name, file));
            continue;
        }
        if (known != stands.end())
        {
            gf_logWarning(
                fmt::format("manually created standid {} already exists in {}", context.name, file));
            continue;
        }
        const double latitude = parkpos.attribute("latitude").as_double(0.0);
        const double longitude = parkpos.attribute("longitude").as_double(0.0);
        const double radius = parkpos.attribute("radius").as_double(0.0);
        if (radius == 0.0 ||
            (std::fabs(latitude) <= kMinimumDegrees && std::fabs(longitude) <= kMinimumDegrees))
        {
            gf_logWarning(fmt::format("manually created standid {} misses correct attributes in {}",
                                      context.name, file));
            continue;
        }
        if (lf_readParkpos(context.name, parkpos, 0, stands))
            stands[stands.size() - 1].manual = 1;
    }
}

} // namespace

bool lf_mergeLearnedStand(const LearnedStandContext& context, Stand& stand)
{
    if (stand.name != context.name)
        return false;
    const pugi::xml_node parkpos = context.parkpos;
    if (parkpos.attribute("radius_change").as_bool(false))
    {
        const double radiusMetres = parkpos.attribute("radius").as_double(0.0);
        if (gf_standGeometryValid(stand.latitude, stand.longitude, radiusMetres))
        {
            stand.radius = radiusMetres * kNmPerMetre;
            stand.radiusChanged = 1;
        }
        else
        {
            gf_logWarning(
                fmt::format("learned stand {} has an invalid radius, the airport file's is kept", stand.name));
        }
    }
    if (parkpos.attribute("cargo_change").as_bool(false))
    {
        stand.cargo = parkpos.attribute("cargo").as_bool(false) ? 1 : 0;
        stand.cargoChanged = 1;
    }
    if (context.oldFile)
        return true;

    std::uint32_t nextId = stand.options.empty() ? 1 : stand.options.back().id + 1;
    for (const pugi::xml_node opt : parkpos.children("opt"))
    {
        const HalfHourSet hours = gf_hours2bitset(opt.attribute("hh").value());
        if (hours == 0)
        {
            gf_logWarning("empty bit set");
            continue;
        }
        StandOption candidate = gf_optionOf(opt, hours, 0);
        candidate.id = nextId;

        const bool known =
            std::any_of(stand.options.begin(), stand.options.end(),
                        [&](const StandOption& option) { return lf_sameFlight(option, candidate); });
        if (known)
        {
            gf_logWarning(fmt::format("learned {}: day:{} {} {} cs:{} reg:{} already in airport file",
                                      stand.name, candidate.day, gf_halfHoursListText(hours).value_or(""),
                                      gf_flightTypeText(candidate.key), candidate.callsign,
                                      candidate.registration));
            continue;
        }
        stand.options.push_back(std::move(candidate));
        ++nextId;
    }
    return true;
}

void lf_readLearned(const fs::path& path, const ApfHeader& header, StandList& stands, bool& handmade)
{
    try
    {
        pugi::xml_document document;
        const pugi::xml_parse_result loaded = document.load_file(path.c_str());
        if (!loaded)
        {
            gf_save1GenerationOf(path);
            gf_logWarning(fmt::format("{} found, but could not be loaded, saved as *.0.xml: {}",
                                      gf_pathToUtf8(path), loaded.description()));
            return;
        }
        gf_log(fmt::format("Read from learned airport file: '{}'", gf_pathToUtf8(path)));
        const std::optional<MetaInfo> meta = gf_readMeta(document, true);
        if (!meta)
        {
            lf_keepUnmerged(path);
            return;
        }
        const bool oldFile = VersionData(meta->version) < kFirstMergedVersion;
        if (oldFile)
        {
            gf_log("");
            gf_log("This learned file was created with and older Vora version than 11.10.0,");
            gf_log("All flights will be cleared, except for a handmade file");
            gf_log("");
        }
        const std::string learnedName = gf_readStringParameter(document, "airport_name").value_or("");
        if (learnedName != header.airportName)
            gf_setStatus(
                fmt::format("Warning: learned file airport name: '{}' differs from archived file airport "
                            "name: '{}'",
                            learnedName, header.airportName),
                true);

        gf_applyLearnedSettings(document);

        if (const std::optional<std::string> mark = gf_readStringParameter(document, "handmade"))
        {
            handmade = true;
            stands.clear();
            try
            {
                gf_readParkpositions(document, stands, 1);
            }
            catch (const UserErrorException&)
            {
                lf_keepUnmerged(path);
                throw;
            }
            gf_logContinuation(fmt::format("{:24}: {}", "handmade", *mark));
            return;
        }
        handmade = false;
        lf_mergeStands(document, path, oldFile, stands);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("{}: {}", "lf_readLearned", e.what()));
    }
}

} // namespace ovr
