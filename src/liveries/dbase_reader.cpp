// Reads the model database (input/dbase.enc) into the tables of
// model_database.h and the two code pools.
//
// The reader is the first to intern into the code pools, so ids follow the
// file: the empty text (id 0), the known types in ascending order, the cargo
// types, the class-set types, then the types of the registration records; the
// airline pool likewise. The model pool's fix lookup is switched on right
// after the known types are in, so that every later type text (the
// registration records' in particular) is corrected once the fixes are read.

#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>
#include <gsl/gsl>
#include <pugixml.hpp>

#include "core/code_pool.h"
#include "core/files.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/stream_decrypt.h"
#include "core/text.h"
#include "core/user_error.h"
#include "core/xml.h"
#include "liveries/dbase_reader_detail.h"
#include "liveries/model_database.h"
#include "liveries/model_fixes.h"
#include "liveries/prefix_alternatives.h"

namespace ovr
{
namespace
{

namespace fs = std::filesystem;

constexpr std::int32_t kDbaseUserError = 61;
constexpr double kMetresPerNm = 1852.0;

// Capacities of the shipped database, reserved before filling.
constexpr std::size_t kSimilarGroups = 64;
constexpr std::size_t kPrefixGroups = 64;
constexpr std::size_t kPublisherGroups = 640;
constexpr std::size_t kThirdParties20 = 600;
constexpr std::size_t kThirdParties24 = 300;
constexpr std::size_t kDbaseRecords = 65536;

// One list section: the comma lists of every `element` merged into `target`.
// Required: throws user error 61 when the section is missing or yields no
// value at all.
void lf_readCodeList(const pugi::xml_document& doc, const char* section, TextSet& target, const char* element,
                     const char* attribute)
{
    pugi::xml_node root = doc.child("root");
    if (!root)
        throw UserErrorException(kDbaseUserError, std::string("XML root missing: ") + "root");
    pugi::xml_node node = root.child(section);
    if (!node)
        throw UserErrorException(kDbaseUserError, std::string("Missing section: ") + section);

    bool any = false;
    for (pugi::xml_node child : node.children(element))
    {
        for (std::string& piece : gf_splitCommaList(gf_attributeAsString(child, attribute)))
        {
            target.insert(std::move(piece));
            any = true;
        }
    }
    if (!any)
        throw UserErrorException(
            kDbaseUserError, fmt::format("In XML file section [{}], element [{}], attribute [{}] is empty.",
                                         section, element, attribute));
}

void lf_readTypeSet(const pugi::xml_document& doc, const char* section, TextSet& target, const char* element)
{
    TextSet fresh;
    lf_readCodeList(doc, section, fresh, element, "types");
    target = std::move(fresh);
}

void lf_readAirlineSet(const pugi::xml_document& doc, const char* section, TextSet& target)
{
    TextSet fresh;
    lf_readCodeList(doc, section, fresh, "ICAO", "codes");
    target = std::move(fresh);
}

void lf_toModelIdSet(const TextSet& texts, ModelIdSet& target)
{
    target.clear();
    for (const std::string& text : texts)
        target.insert(gf_modelId(text));
}

// An optional section of groups: every element one group, sorted.
void lf_readGroups(pugi::xml_node section, const char* element, TextGroups& target)
{
    for (pugi::xml_node child : section.children(element))
    {
        std::vector<std::string> group = gf_splitCommaList(gf_attributeAsString(child, "types"));
        std::sort(group.begin(), group.end());
        target.push_back(std::move(group));
    }
}

// Every member of every group, followed by the other members in the group's
// order; a prefix in several groups keeps the list that sorts first.
void lf_buildPrefixAlternatives()
{
    TextSet texts;
    for (const auto& group : g_prefixGroups)
    {
        for (std::size_t i = 0; i < group.size(); ++i)
        {
            std::string text = group[i];
            for (std::size_t j = 0; j < group.size(); ++j)
            {
                if (j != i)
                    text += ',' + group[j];
            }
            if (text.find(',') != std::string::npos)
                texts.insert(std::move(text));
        }
    }
    for (const std::string& text : texts)
    {
        std::vector<std::string> pieces = lf_splitComma(text);
        std::string key = std::move(pieces.front());
        pieces.erase(pieces.begin());
        g_prefixAlternatives.try_emplace(std::move(key), std::move(pieces));
    }
}

// Groups ordered by their whole names text, duplicates merged. An empty name
// would match every text and make its publisher claim every package, so empty
// pieces are dropped.
void lf_readPublishers(pugi::xml_node section)
{
    TextSet namesTexts;
    for (pugi::xml_node pub : section.children("pub"))
        namesTexts.insert(gf_attributeAsString(pub, "names"));

    for (const std::string& names : namesTexts)
    {
        std::vector<std::string> pieces = lf_splitComma(names);
        auto empty =
            std::remove_if(pieces.begin(), pieces.end(), [](const std::string& s) { return s.empty(); });
        if (empty != pieces.end() || pieces.empty())
            gf_logWarning(
                fmt::format("publisher names '{}' hold an empty name, the empty name is dropped", names));
        pieces.erase(empty, pieces.end());
        if (!pieces.empty())
            g_publisherGroups.push_back(std::move(pieces));
    }
}

void lf_fillWingspan(std::string_view type, double half)
{
    std::uint16_t id = gf_modelId(type);
    if (id >= g_wingspanTable.size())
        g_wingspanTable.resize(std::size_t{id} + 1, 0.0);
    g_wingspanTable[id] = half;
}

void lf_readWingspans(pugi::xml_node section)
{
    for (pugi::xml_node node : section.children("wingspan"))
    {
        std::string type = gf_attributeAsString(node, "type");
        if (type.empty() || !g_knownModels.contains(type))
        {
            gf_logWarning(fmt::format("wingspan model {} is not valid, skipped", type));
            continue;
        }
        // A span outside this range is no aircraft's: it would make every
        // stand too small or any stand fit.
        const double metres = lf_attrAsDouble(node, "meters");
        if (!(metres > 0.0 && metres <= 100.0))
        {
            gf_logWarning(fmt::format("wingspan of model {} ({} m) is not valid, skipped", type, metres));
            continue;
        }
        double half = metres * 0.5 / kMetresPerNm;
        g_halfSpans.try_emplace(std::move(type), half);
        g_maxWingSpan = std::max(g_maxWingSpan, half);
    }
    // Every wingspan type is a known type and so already in the pool: the
    // table covers every id that has a wingspan.
    g_wingspanTable.assign(g_modelCodes.size(), 0.0);
    for (const auto& [type, half] : g_halfSpans)
        lf_fillWingspan(type, half);
}

void lf_readFixes(pugi::xml_node section)
{
    for (pugi::xml_node node : section.children("fx"))
    {
        std::string wro = gf_attributeAsString(node, "wro");
        std::string cor = gf_attributeAsString(node, "cor");
        if (cor.empty() || !g_knownModels.contains(cor))
            gf_logWarning(fmt::format("wrong fix {} -> {}, the latter is not valid", wro, cor));
        else if (g_modelFixes.contains(wro))
            gf_logWarning(fmt::format("wrong part of fix: '{}', already exists, skipped", wro));
        else
            g_modelFixes.emplace(std::move(wro), std::move(cor));
    }
    gf_log(fmt::format("{:5} fixes", g_modelFixes.size()));
}

void lf_readThirdParties(const pugi::xml_document& doc, const char* section,
                         std::vector<ThirdPartyAirports>& target, const char* element)
{
    pugi::xml_node node = doc.child("root").child(section);
    if (!node)
        return;
    for (pugi::xml_node child : node.children(element))
        target.push_back(
            {gf_attributeAsString(child, "pub"), gf_splitCommaList(gf_attributeAsString(child, "arpts"))});
}

void lf_indexThirdParties(const std::vector<ThirdPartyAirports>& entries, AirportsByPublisher& index)
{
    for (const ThirdPartyAirports& entry : entries)
    {
        auto& airports = index[entry.publisher];
        airports.insert(entry.airports.begin(), entry.airports.end());
    }
}

// A record without a registration would be the keyword of every title and
// could never be found by a registration, so it is dropped.
void lf_readDbaseRecords(pugi::xml_node section)
{
    for (pugi::xml_node d : section.children("d"))
    {
        std::string r = gf_attributeAsString(d, "r");
        if (r.empty())
        {
            gf_logWarning(fmt::format("dbase record without registration (a='{}' m='{}') skipped",
                                      gf_attributeAsString(d, "a"), gf_attributeAsString(d, "m")));
            continue;
        }
        FlightKey key;
        key.airline = gf_airlineId(gf_attributeAsString(d, "a"));
        key.secondAirline = gf_airlineId(gf_attributeAsString(d, "o"));
        key.model = gf_modelId(gf_attributeAsString(d, "m"));
        key.cargo = d.attribute("c").as_bool() ? 1 : 0;
        key.mark = 1;
        g_dbase.push_back({std::move(r), key});
    }
}

// Sorted by registration; of several records of one registration the first
// in file order stays.
void lf_sortDbase()
{
    std::stable_sort(g_dbase.begin(), g_dbase.end(),
                     [](const DbaseRecord& a, const DbaseRecord& b) { return a.r < b.r; });
    auto last = std::unique(g_dbase.begin(), g_dbase.end(),
                            [](const DbaseRecord& a, const DbaseRecord& b) { return a.r == b.r; });
    g_dbase.erase(last, g_dbase.end());
    g_dbase.shrink_to_fit();

    g_dbaseKeywords.clear();
    for (const DbaseRecord& record : g_dbase)
    {
        if (record.r.size() < 6)
            g_dbaseKeywords.push_back(record.r);
    }
}

void lf_readSections(const pugi::xml_document& doc)
{
    pugi::xml_node root = doc.child("root");

    lf_readTypeSet(doc, "aircrafts", g_knownModels, "aircraft");
    gf_log(fmt::format("\n{:5} ICAO model codes", g_knownModels.size()));
    TextSet cargoTypes;
    lf_readTypeSet(doc, "cargo_types", cargoTypes, "cargo_type");

    gf_modelId(g_empty);
    for (const std::string& model : g_knownModels)
        gf_modelId(model);
    gf_setModelFixLookup(&gf_fixedModelName);
    g_modelCodes.sealed.store(1);
    for (const std::string& model : cargoTypes)
        gf_modelId(model);

    TextSet heavy, large, buzjet, highPerformance, rotorcraft;
    lf_readTypeSet(doc, "heavy", heavy, "hvy");
    lf_readTypeSet(doc, "large", large, "lar");
    lf_readTypeSet(doc, "buzjet", buzjet, "bzj");
    lf_readTypeSet(doc, "high_performance", highPerformance, "hpf");
    lf_readTypeSet(doc, "rotorcraft", rotorcraft, "rot");
    lf_toModelIdSet(heavy, g_heavyModels);
    lf_toModelIdSet(large, g_largeModels);
    lf_toModelIdSet(buzjet, g_buzjetModels);
    lf_toModelIdSet(highPerformance, g_highPerformanceModels);
    lf_toModelIdSet(rotorcraft, g_rotorcraftModels);

    g_similarTypeGroups.reserve(kSimilarGroups);
    if (pugi::xml_node section = root.child("similar_types"))
        lf_readGroups(section, "similar", g_similarTypeGroups);
    g_prefixGroups.reserve(kPrefixGroups);
    if (pugi::xml_node section = root.child("prefixes"))
        lf_readGroups(section, "similar", g_prefixGroups);
    gf_log(fmt::format("{:5} prefixes", g_prefixGroups.size()));
    lf_buildPrefixAlternatives();

    lf_readAirlineSet(doc, "ICAO_airlines", g_icaoAirlines);
    gf_log(fmt::format("{:5} ICAO airline codes", g_icaoAirlines.size()));
    TextSet cargoOperators;
    lf_readAirlineSet(doc, "cargo_operators", cargoOperators);
    gf_log(fmt::format("{:5} cargo operators", cargoOperators.size()));
    gf_airlineId(g_empty);
    for (const std::string& airline : g_icaoAirlines)
        gf_airlineId(airline);
    for (const std::string& airline : cargoOperators)
        gf_airlineId(airline);
    g_airlineCodes.sealed.store(1);

    g_publisherGroups.reserve(kPublisherGroups);
    if (pugi::xml_node section = root.child("publishers"))
        lf_readPublishers(section);
    gf_log(fmt::format("{:5} publishers", g_publisherGroups.size()));

    if (pugi::xml_node section = root.child("wingspans"))
        lf_readWingspans(section);
    if (pugi::xml_node section = root.child("fixes"))
        lf_readFixes(section);

    lf_readCodeList(doc, "simaddons20", g_simaddons20, "simaddon20", "arpts");
    lf_readCodeList(doc, "simaddons24", g_simaddons24, "simaddon24", "arpts");
    gf_log(fmt::format("{} simaddons24", g_simaddons24.size()));

    g_thirdParties20.reserve(kThirdParties20);
    g_thirdParties24.reserve(kThirdParties24);
    lf_readThirdParties(doc, "thirdparties20", g_thirdParties20, "thirdpartie20");
    lf_readThirdParties(doc, "thirdparties24", g_thirdParties24, "thirdpartie24");
    lf_indexThirdParties(g_thirdParties20, g_thirdPartyIndex20);
    lf_indexThirdParties(g_thirdParties24, g_thirdPartyIndex24);

    g_dbase.reserve(kDbaseRecords);
    if (pugi::xml_node section = root.child("dbase"))
        lf_readDbaseRecords(section);
    lf_sortDbase();
    gf_log(fmt::format("{:5} dbase records read", g_dbase.size()));
}

} // namespace

namespace detail
{

bool readDbaseFrom(const fs::path& encrypted, const fs::path& plain)
{
    if (!fs::exists(encrypted))
        throw std::runtime_error(fmt::format("{} not available", encrypted.string()));

    // The plain text must not outlive the read, however it ends.
    auto removePlain = gsl::finally(
        [&plain]
        {
            try
            {
                gf_removeFileWarn(plain);
            }
            catch (const std::exception& e)
            {
                gf_logWarning(
                    fmt::format("Warning: could not remove {}, errorcode: {}", plain.string(), e.what()));
            }
        });

    if (!gf_streamDecrypt(encrypted, plain))
        throw std::runtime_error(fmt::format("{} stream decrypt failed", encrypted.string()));

    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_file(plain.c_str());
    if (!result)
    {
        gf_logWarning(fmt::format("'{}' not read because of {}", plain.string(), result.description()));
        return false;
    }
    lf_readSections(doc);
    return true;
}

} // namespace detail

bool gf_readDbase()
{
    return detail::readDbaseFrom(g_dbaseEncPath, g_dbaseXmlPath);
}

} // namespace ovr
