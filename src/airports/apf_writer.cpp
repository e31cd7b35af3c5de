#include "airports/apf_writer.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airports/apf_format.h"
#include "airports/apf_writer_detail.h"
#include "airports/half_hours.h"
#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/geometry.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/meta_info.h"
#include "core/parameters.h"
#include "core/xml.h"

namespace ovr
{

namespace
{

std::optional<std::string> g_fixedDate;

constexpr double kMetresPerNm = 1852.0;

bool lf_appendParameter(pugi::xml_node parameters, std::string_view name, std::string_view value)
{
    const pugi::xml_node parameter = parameters.append_child("parameter");
    return parameter && gf_setXmlAttr(parameter, "name", name) && gf_setXmlAttr(parameter, "value", value);
}

std::string lf_bool(bool value)
{
    return value ? "true" : "false";
}

void lf_fixDate(pugi::xml_node root)
{
    if (!g_fixedDate)
        return;
    for (pugi::xml_node info : root.child("meta").children("info"))
        if (std::string_view(info.attribute("name").value()) == "date")
            info.attribute("value").set_value(g_fixedDate->c_str());
}

bool lf_writePosition(pugi::xml_node parkpos, const Stand& stand)
{
    bool ok = gf_setXmlAttr(parkpos, "latitude", fmt::format("{:.6f}", stand.latitude));
    ok = gf_setXmlAttr(parkpos, "longitude", fmt::format("{:.6f}", stand.longitude)) && ok;
    ok = gf_setXmlAttr(parkpos, "heading", fmt::format("{:.1f}", stand.heading * kRadToDeg)) && ok;
    ok = gf_setXmlAttr(parkpos, "radius", fmt::format("{:.1f}", stand.radius * kMetresPerNm)) && ok;
    ok = gf_setXmlAttr(parkpos, "type", fmt::format("{}", stand.type)) && ok;
    ok = gf_setXmlAttr(parkpos, "cargo", lf_bool(stand.cargo != 0)) && ok;
    ok = gf_setXmlAttr(parkpos, "ramp", lf_bool(stand.ramp != 0)) && ok;
    if (stand.heli != 0)
        ok = gf_setXmlAttr(parkpos, "heli", "true") && ok;
    if (stand.manual != 0)
        ok = gf_setXmlAttr(parkpos, "manual", "true") && ok;
    return ok;
}

bool lf_writeChanges(pugi::xml_node parkpos, const Stand& stand, bool withValues)
{
    bool ok = true;
    if (stand.radiusChanged != 0)
    {
        ok = gf_setXmlAttr(parkpos, "radius_change", "true") && ok;
        if (withValues)
            ok = gf_setXmlAttr(parkpos, "radius", fmt::format("{:.1f}", stand.radius * kMetresPerNm)) && ok;
    }
    if (stand.cargoChanged != 0)
    {
        ok = gf_setXmlAttr(parkpos, "cargo_change", "true") && ok;
        if (withValues)
            ok = gf_setXmlAttr(parkpos, "cargo", lf_bool(stand.cargo != 0)) && ok;
    }
    return ok;
}

// The unbroken runs of slots of a set, lowest first.
std::vector<HalfHourSet> lf_runsOf(HalfHourSet hours)
{
    std::vector<HalfHourSet> runs;
    while (hours != 0)
    {
        const HalfHourSet lowest = hours & (~hours + 1);
        // Adding the lowest bit carries through the run that starts there.
        const HalfHourSet run = ((hours + lowest) & ~hours) - lowest;
        runs.push_back(run);
        hours &= ~run;
    }
    return runs;
}

bool lf_writeOption(pugi::xml_node parkpos, const StandOption& option, const std::string& hoursText)
{
    const pugi::xml_node opt = parkpos.append_child("opt");
    if (!opt)
        return false;
    bool ok = gf_setXmlAttr(opt, "reg", option.registration);
    if (option.key.mark == 0)
    {
        ok = gf_setXmlAttr(opt, "airl", g_airlineCodes.text(option.key.airline)) && ok;
        ok = gf_setXmlAttr(opt, "type", g_modelCodes.text(option.key.model)) && ok;
    }
    if (option.real == 0)
        ok = gf_setXmlAttr(opt, "soft", "true") && ok;
    ok = gf_setXmlAttr(opt, "day", fmt::format("{}", option.day)) && ok;
    ok = gf_setXmlAttr(opt, "hh", hoursText) && ok;
    if (!option.callsign.empty())
        ok = gf_setXmlAttr(opt, "cs",
                           option.callsign2.empty()
                               ? option.callsign
                               : fmt::format("{}:{}", option.callsign, option.callsign2)) &&
             ok;
    if (option.cpl != 0)
        ok = gf_setXmlAttr(opt, "cpl", "true") && ok;
    return ok;
}

// Options whose half hours fall apart into several runs are written as one
// opt per run, so that none of their half hours is lost.
bool lf_writeOptions(pugi::xml_node parkpos, const Stand& stand)
{
    bool ok = true;
    for (const StandOption& option : stand.options)
    {
        if (option.id == 0)
            continue;
        if (option.hours == 0)
        {
            gf_logWarning(fmt::format("bit set problem: {} {} {}", option.registration, option.callsign,
                                      gf_flightTypeText(option.key)));
            continue;
        }
        if (option.registration.empty())
            continue;
        for (const HalfHourSet run : lf_runsOf(option.hours))
            ok = lf_writeOption(parkpos, option, gf_halfHoursRangeText(run).value_or("")) && ok;
    }
    return ok;
}

bool lf_writeStand(pugi::xml_node parkpositions, const Stand& stand, std::int32_t mode, bool handmade)
{
    const pugi::xml_node parkpos = parkpositions.append_child("parkpos");
    if (!parkpos || !gf_setXmlAttr(parkpos, "id", stand.name))
        return false;
    if (mode == kApfFullMode)
        return lf_writePosition(parkpos, stand);
    if (handmade)
        return lf_writePosition(parkpos, stand) && lf_writeChanges(parkpos, stand, false) &&
               lf_writeOptions(parkpos, stand);
    bool ok = true;
    if (stand.manual != 0)
        ok = lf_writePosition(parkpos, stand);
    else
        ok = lf_writeChanges(parkpos, stand, true);
    return lf_writeOptions(parkpos, stand) && ok;
}

} // namespace

bool lf_writeApfParameters(pugi::xml_node root, const AirportStands& record, std::int32_t mode, bool handmade)
{
    const pugi::xml_node parameters = root.append_child("parameters");
    if (!parameters)
        return false;
    const bool full = mode == kApfFullMode;
    const bool stock = record.publisher == "stock";
    bool ok = lf_appendParameter(parameters, "icao", record.icao.text());
    ok = lf_appendParameter(parameters, "airport_name", record.name) && ok;
    ok = lf_appendParameter(parameters, "publisher", record.publisher) && ok;
    if (record.packageDetails != 0 && !record.version.empty() && !stock)
        ok = lf_appendParameter(parameters, "version", record.version) && ok;
    if (handmade)
        ok = lf_appendParameter(parameters, "handmade", "true") && ok;
    if (full || handmade)
        ok = lf_appendParameter(parameters, "altitude", fmt::format("{}", record.elevation)) && ok;
    if (full)
        ok = lf_appendParameter(parameters, "num_parkpos", fmt::format("{}", record.stands.size())) && ok;
    if (!stock)
        ok = lf_appendParameter(parameters, "Facilities", lf_bool(record.sourceKind != 0)) && ok;
    if (handmade && record.realFigure >= 0)
        ok = lf_appendParameter(parameters, "Qf_real", fmt::format("{}", record.realFigure)) && ok;
    if (handmade && record.softFigure >= 0)
        ok = lf_appendParameter(parameters, "Qf_soft", fmt::format("{}", record.softFigure)) && ok;
    if (record.publisher.empty())
    {
        ok = lf_appendParameter(parameters, "BGLpath", record.sceneryPathText) && ok;
        if (record.packageDetails != 0)
        {
            ok = lf_appendParameter(parameters, "manufacturer", record.manufacturer) && ok;
            ok = lf_appendParameter(parameters, "creator", record.creator) && ok;
        }
    }
    if (!full)
    {
        const auto number = [&](const IntParameter& p)
        { return lf_appendParameter(parameters, p.name, fmt::format("{}", p.current.load())); };
        const auto flag = [&](const BoolParameter& p)
        { return lf_appendParameter(parameters, p.name, lf_bool(p.current.load())); };
        ok = number(RANGE) && ok;
        ok = flag(AUTO_RANGE) && ok;
        ok = flag(WEEK) && ok;
        ok = flag(PARK_SOFT) && ok;
        ok = number(parking_percentage) && ok;
        ok = flag(INITIAL_LOAD_ONLY) && ok;
        ok = lf_appendParameter(parameters, MAX_FIT.name,
                                fmt::format("{}", gf_maxFitStepOf(MAX_FIT_FL.current.load()))) &&
             ok;
        ok = flag(RT_PARKTRAFFIC_ONLY) && ok;
        ok = number(MAX_LIVE_SEL) && ok;
    }
    return ok;
}

bool gf_writeAirportFile(const AirportStands& record, const std::filesystem::path& path, std::int32_t mode,
                         bool handmade, std::int32_t simNumber)
{
    pugi::xml_document document;
    MetaInfo meta;
    meta.version = fmt::format("{}.{}.{}", g_version.major, g_version.minor, g_version.patch);
    meta.sim = simNumber;
    if (!gf_writeMeta(document, meta))
        return false;
    pugi::xml_node root = document.child("root");
    if (!root)
        root = document.append_child("root");
    if (!root)
        return false;
    lf_fixDate(root);
    if (!lf_writeApfParameters(root, record, mode, handmade))
        return false;
    const pugi::xml_node parkpositions = root.append_child("parkpositions");
    if (!parkpositions)
        return false;
    for (const Stand& stand : record.stands)
        if (!lf_writeStand(parkpositions, stand, mode, handmade))
            return false;
    if (path.empty())
        return false;
    std::error_code ec;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ec);
    return gf_saveXmlDocument(document, path);
}

namespace detail
{

void setApfWriterDate(std::optional<std::string> date)
{
    g_fixedDate = std::move(date);
}

} // namespace detail

} // namespace ovr
