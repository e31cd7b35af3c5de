#include "trace_model.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

namespace ovr::traceplot
{

namespace
{

using nlohmann::json;

ObjectKind lf_kindOf(const json& o, const std::string& callsign)
{
    if (o.value("user", false))
        return ObjectKind::user;
    if (o.value("owner", std::string()) != "Vora")
        return ObjectKind::other;
    return !callsign.empty() && callsign.back() == '*' ? ObjectKind::parkedStatic : ObjectKind::live;
}

std::string lf_lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string lf_trimRight(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0)
        text.pop_back();
    return text;
}

double lf_number(const json& j, const char* key)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_number() ? it->get<double>() : 0.0;
}

void lf_addStandsOf(const json& list, std::vector<StandPoint>& out)
{
    if (!list.is_array())
        return;
    for (const json& s : list)
    {
        if (!s.is_object() || !s.contains("lat") || !s.contains("lon"))
            continue;
        std::string name = s.value("name", std::string());
        if (s.contains("number") && s.at("number").is_number_integer())
            name += fmt::format(" {}", s.at("number").get<long long>());
        out.push_back(StandPoint{std::move(name), lf_number(s, "lat"), lf_number(s, "lon")});
    }
}

std::vector<StandPoint> lf_standsOfJson(const std::filesystem::path& file)
{
    std::ifstream in(file);
    const json j = json::parse(in, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        throw std::runtime_error(fmt::format("{}: not a JSON object", file.string()));
    std::vector<StandPoint> stands;
    if (j.contains("stands"))
        lf_addStandsOf(j.at("stands"), stands);
    if (j.contains("airports") && j.at("airports").is_array())
    {
        for (const json& airport : j.at("airports"))
        {
            if (airport.is_object() && airport.contains("parkings"))
                lf_addStandsOf(airport.at("parkings"), stands);
        }
    }
    return stands;
}

std::vector<StandPoint> lf_standsOfXml(const std::filesystem::path& file)
{
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(file.c_str());
    if (!parsed)
        throw std::runtime_error(fmt::format("{}: {}", file.string(), parsed.description()));
    std::vector<StandPoint> stands;
    for (const pugi::xpath_node& node : document.select_nodes("//parkpos"))
    {
        const pugi::xml_node parkpos = node.node();
        if (!parkpos.attribute("latitude") || !parkpos.attribute("longitude"))
            continue;
        stands.push_back(StandPoint{parkpos.attribute("id").as_string(), parkpos.attribute("latitude").as_double(),
                                    parkpos.attribute("longitude").as_double()});
    }
    return stands;
}

// What follows "<stand>: <callsign> " in a stand line ("A26     : DLH100   parks"),
// empty when the line is none.
std::string_view lf_standLineTail(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos || line.substr(colon, 2) != ": ")
        return {};
    std::string_view rest = line.substr(colon + 2);
    const std::size_t callsignEnd = rest.find(' ');
    if (callsignEnd == 0 || callsignEnd == std::string_view::npos)
        return {};
    rest.remove_prefix(callsignEnd);
    const std::size_t tail = rest.find_first_not_of(' ');
    return tail == std::string_view::npos ? std::string_view() : rest.substr(tail);
}

bool lf_isError(const std::string& line)
{
    if (line == "No errors")
        return false;
    const std::string lower = lf_lower(line);
    for (const char* word : {"error", "fail", "exception", "could not", "cannot"})
    {
        if (lower.find(word) != std::string::npos)
            return true;
    }
    return false;
}

bool lf_isDownloadLine(const std::string& line)
{
    return line.find("download service not configured") != std::string::npos ||
           line == "==> Downloading version info from my web site failed!";
}

} // namespace

bool TracedObject::landed() const
{
    bool airborne = false;
    for (const Sample& s : samples)
    {
        if (!s.onGround)
            airborne = true;
        else if (airborne)
            return true;
    }
    return false;
}

Trace readTrace(std::istream& in)
{
    Trace trace;
    // The object now holding each id.
    std::map<long long, std::size_t> current;
    bool closed = false;
    std::string line;
    while (std::getline(in, line))
    {
        const json j = json::parse(line, nullptr, false);
        if (j.is_discarded() || !j.is_object())
            continue;
        if (j.value("record", std::string()) == "EXCEPTION")
        {
            ++trace.exceptions;
            continue;
        }
        if (j.value("kind", std::string()) == "call" && j.value("fn", std::string()) == "SimConnect_Close")
            closed = true;
        if (j.value("kind", std::string()) == "clock" && j.contains("epoch_ms") && j.at("epoch_ms").is_number())
            trace.epochMsAtZero = j.at("epoch_ms").get<double>() - lf_number(j, "t_ms");
        if (j.value("kind", std::string()) != "objects" || !j.contains("objects") || !j.at("objects").is_array())
            continue;
        ++trace.objectTables;
        const double t = lf_number(j, "t_ms");
        if (!closed)
            trace.lastTableMs = t;
        for (const json& o : j.at("objects"))
        {
            if (!o.is_object() || !o.contains("lat") || !o.contains("lon") || !o.contains("id") ||
                !o.at("id").is_number_integer())
                continue;
            const long long id = o.at("id").get<long long>();
            const std::string callsign = o.value("atc_id", std::string());
            auto at = current.find(id);
            if (at == current.end() || trace.objects[at->second].callsign != callsign)
            {
                TracedObject object;
                object.id = id;
                object.callsign = callsign;
                object.title = o.value("title", std::string());
                object.kind = lf_kindOf(o, callsign);
                trace.objects.push_back(std::move(object));
                at = current.insert_or_assign(id, trace.objects.size() - 1).first;
            }
            trace.objects[at->second].samples.push_back(Sample{t, lf_number(o, "lat"), lf_number(o, "lon"),
                                                               lf_number(o, "alt_ft"), o.value("on_ground", false),
                                                               lf_number(o, "heading_deg"), o.value("gear_down", false),
                                                               lf_number(o, "flaps_percent"), lf_number(o, "ground_ft")});
        }
    }
    return trace;
}

std::vector<StandPoint> readStands(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw std::runtime_error(fmt::format("{}: no such file", file.string()));
    const std::string extension = lf_lower(file.extension().string());
    std::vector<StandPoint> stands = extension == ".json" ? lf_standsOfJson(file) : lf_standsOfXml(file);
    if (stands.empty())
        throw std::runtime_error(fmt::format("{}: no stands in it", file.string()));
    return stands;
}

LogCounts readLog(std::istream& in)
{
    LogCounts counts;
    bool inNoMatchList = false;
    std::string raw;
    while (std::getline(in, raw))
    {
        const std::string line = lf_trimRight(raw);
        if (inNoMatchList)
        {
            if (line.empty())
                inNoMatchList = false;
            else
                ++counts.noLivery;
            continue;
        }
        if (line == "No match found for:")
        {
            inNoMatchList = true;
            continue;
        }
        const std::string_view tail = lf_standLineTail(line);
        if (tail == "parks" || tail.rfind("parks over static ", 0) == 0)
            ++counts.parkedOnCreation;
        else if (tail == "arrived at stand")
            ++counts.arrivedAtStand;
        if (line.rfind("Exiting: ", 0) == 0)
            counts.exitReason = line.substr(9);
        if (lf_isDownloadLine(line))
            ++counts.downloadLines;
        else if (lf_isError(line))
            counts.errors.push_back(line);
    }
    return counts;
}

std::string summaryText(const Trace& trace, const LogCounts& log)
{
    int live = 0;
    int liveAtEnd = 0;
    int landed = 0;
    int statics = 0;
    int staticsAtEnd = 0;
    for (const TracedObject& object : trace.objects)
    {
        const bool atEnd = !object.samples.empty() && object.samples.back().tMs >= trace.lastTableMs;
        if (object.kind == ObjectKind::live)
        {
            ++live;
            liveAtEnd += atEnd ? 1 : 0;
            landed += object.landed() ? 1 : 0;
        }
        else if (object.kind == ObjectKind::parkedStatic)
        {
            ++statics;
            staticsAtEnd += atEnd ? 1 : 0;
        }
    }
    std::ostringstream out;
    out << fmt::format("Live aircraft created:  {} ({} still there at the end)\n", live, liveAtEnd);
    out << fmt::format("Landed:                 {}\n", landed);
    out << fmt::format("Parked:                 {} ({} taxied to a stand, {} created on one)\n",
                       log.arrivedAtStand + log.parkedOnCreation, log.arrivedAtStand, log.parkedOnCreation);
    out << fmt::format("Static aircraft placed: {} ({} still there at the end)\n", statics, staticsAtEnd);
    out << fmt::format("Without a livery:       {}\n", log.noLivery);
    out << fmt::format("Errors:                 {} in the log, {} simulator exceptions\n", log.errors.size(),
                       trace.exceptions);
    constexpr std::size_t kShown = 5;
    for (std::size_t i = 0; i < log.errors.size() && i < kShown; ++i)
        out << "  " << log.errors[i] << '\n';
    if (log.errors.size() > kShown)
        out << fmt::format("  ... and {} more\n", log.errors.size() - kShown);
    if (log.downloadLines > 0)
        out << fmt::format("  (not counted: {} lines about the download service, which the demo has not)\n",
                           log.downloadLines);
    if (!log.exitReason.empty())
        out << fmt::format("Exit reason:            {}\n", log.exitReason);
    return out.str();
}

} // namespace ovr::traceplot
