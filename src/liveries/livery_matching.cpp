// Livery matching: the title of an installed livery for an aircraft, chosen
// in steps from exact to loose, as far as MATCHING_DEPTH allows:
//
//   0, 1  the registration has a livery of its own (0: a special livery
//         listed for that one registration);              depth 1 and up
//   4     a private operator ("PVT") flies a generic "ZZZ" livery of its type;
//   2     a livery of the airline and the type: the pair of airline and
//         operator first, then the operator's liveries that name the airline
//         and the airline's that name the operator, then either's liveries;
//         a cargo flight takes passenger liveries when it has no cargo ones;
//         private aircraft prefer liveries of their registration prefix;
//                                                         depth 2 and up
//   3     the airline's livery of a similar type;         depth 3 and up
//   4-6   a generic livery of the type, then for light aircraft, business
//         jets and rotorcraft of a type the model database knows any livery
//         of the type (its registration prefix first), then of a similar
//         type;                                           depth 4
//
// The order follows what the user sees: a wrong registration or airline is
// noticed at once, a slightly different type much less, so the airline is
// kept as long as possible and the type is given up last, and only for the
// small aircraft whose types look alike; an airliner is never shown as
// another type of its category. The feed's placeholder types (ground
// vehicles, no type) are never given a livery.
//
// Random choices among equal candidates avoid the titles bound to other
// registrations (special liveries), so that a unique livery does not appear
// twice; when every candidate is bound, one is still given. Titles the
// simulator failed to create are left out by every picker, so one broken
// livery never defeats a step that has others.

#include <algorithm>
#include <cstdint>
#include <exception>
#include <iterator>
#include <string>
#include <unordered_map>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/flight_text.h"
#include "core/log.h"
#include "core/parameters.h"
#include "core/random.h"
#include "liveries/livery_matching_detail.h"
#include "liveries/model_lookups.h"
#include "liveries/prefix_alternatives.h"
#include "liveries/regcode_tables.h"
#include "liveries/similar_models.h"

namespace ovr
{

std::array<std::uint32_t, 7> g_matchSteps{};

namespace
{

constexpr std::string_view kPrivateAirline = "PVT";
constexpr std::string_view kReverseThrustMark = "FSLTL_";
constexpr int kBoundPicks = 5;
constexpr int kFullDepth = 4;
// Lists of up to this many titles are read for an operator's word; longer
// ones keep the titles that hold it (lf_wordList).
constexpr std::size_t kWordScanTitles = 16;
// A match line starts under the stand column of the lines around it.
constexpr std::string_view kMatchLineIndent = "          ";

struct OperatorWord
{
    std::string_view code;
    std::string_view word;
};

// Sorted by code, for a binary search.
constexpr std::array<OperatorWord, 35> kOperatorWords{{
    {"AAL", "American"}, {"ACA", "Canada"},      {"AFR", "France"},    {"ASA", "Alaska"},
    {"ASH", "Mesa"},     {"AVA", "Avianca"},     {"BAW", "British"},   {"BOX", "Aerologic"},
    {"CAI", "Corendon"}, {"CFE", "Cityflyer"},   {"DAE", "DHL Aero"},  {"DAL", "Delta"},
    {"DHK", "DHL Air"},  {"EDV", "Endeavor"},    {"EZY", "easyjet"},   {"FDX", "FedEx"},
    {"FJO", "Flexjet"},  {"GJS", "GoJet"},       {"IBE", "Iberia"},    {"JIA", "PSA Airlines"},
    {"JZA", "Jazz"},     {"KLC", "Cityhopper"},  {"LRC", "Avianca"},   {"PDT", "Piedmont"},
    {"PRM", "Prime"},    {"QLK", "Quantaslink"}, {"QXE", "Horizon"},   {"RPA", "Republic"},
    {"RYR", "Ryanair"},  {"SKW", "SkyWest"},     {"SWA", "Southwest"}, {"UAL", "United"},
    {"UPS", "UPS"},      {"VJT", "VistaJet"},    {"WJA", "WestJet"},
}};

static_assert(std::is_sorted(kOperatorWords.begin(), kOperatorWords.end(),
                             [](const OperatorWord& a, const OperatorWord& b) { return a.code < b.code; }));

// Working lists of the pickers, kept between calls so that a match does not
// allocate once they have grown. Main loop only; each use has its own list,
// because a filtered list is handed on to the random pick.
TitleViews g_usableCandidates;
TitleViews g_unboundCandidates;

// Filtered candidate lists by the list's address and the text they were
// filtered for (lf_filterKey).
using FilteredLists = std::unordered_map<std::string, TitleViews, Fnv1aHash, std::equal_to<>>;

// The candidates of a list whose livery registration begins with a prefix,
// by the list's address and the prefix: a list is filtered once, not at every
// match (the lists of a type run into thousands). Emptied with the tables.
FilteredLists g_prefixLists;

// The candidates of a list whose title holds an operator's word, kept the
// same way: a generic list of a type holds thousands of titles, and reading
// every one of them for the word made the slowest one in a hundred matches.
FilteredLists g_wordLists;

// The text and the list's address: one key per filtered list.
std::string lf_filterKey(const TitleViews& candidates, std::string_view text)
{
    std::string key(text);
    const auto address = reinterpret_cast<std::uintptr_t>(candidates.data());
    key.append(reinterpret_cast<const char*>(&address), sizeof(address));
    return key;
}

// The candidates that `keep`, filtered once for the list and the text and
// then served from `lists`.
template <class Keep>
const TitleViews& lf_filteredList(FilteredLists& lists, const TitleViews& candidates, std::string_view text,
                                  Keep keep)
{
    std::string key = lf_filterKey(candidates, text);
    const auto found = lists.find(key);
    if (found != lists.end())
        return found->second;
    TitleViews filtered;
    for (std::string_view title : candidates)
    {
        if (keep(title))
            filtered.push_back(title);
    }
    return lists.emplace(std::move(key), std::move(filtered)).first->second;
}

const TitleViews& lf_prefixList(const TitleViews& candidates, std::string_view prefix)
{
    return lf_filteredList(g_prefixLists, candidates, prefix,
                           [prefix](std::string_view title)
                           {
                               const auto registration = g_titleRegistrations.find(title);
                               return registration != g_titleRegistrations.end() &&
                                      registration->second.starts_with(prefix);
                           });
}

const TitleViews& lf_wordList(const TitleViews& candidates, std::string_view word)
{
    return lf_filteredList(g_wordLists, candidates, word,
                           [word](std::string_view title)
                           { return title.find(word) != std::string_view::npos; });
}

bool lf_isBound(std::string_view title)
{
    return !g_boundTitleSet.empty() && g_boundTitleSet.contains(title);
}

// The candidates that have not failed: the list itself while none of them
// has, which keeps every draw as it would be without failures.
const TitleViews& lf_withoutFailed(const TitleViews& candidates)
{
    if (g_failedTitles.empty() || std::none_of(candidates.begin(), candidates.end(),
                                               [](std::string_view t) { return gf_isFailedTitle(t); }))
        return candidates;
    g_usableCandidates.clear();
    for (std::string_view title : candidates)
    {
        if (!gf_isFailedTitle(title))
            g_usableCandidates.push_back(title);
    }
    return g_usableCandidates;
}

const std::string& lf_airlineCode(std::uint16_t id)
{
    return g_airlineCodes.text(id);
}

// The feed's type codes for what is no aircraft (ground vehicles) or of no
// known type: nothing is created for them, whatever liveries exist.
bool lf_isPlaceholderType(std::uint16_t model)
{
    const std::string& code = g_modelCodes.text(model);
    return code == "ZZZC" || code == "ZZZZ";
}

std::optional<std::uint16_t> lf_genericAirline()
{
    return g_airlineCodes.find(g_unknownAirline);
}

const TitleViews* lf_airlineModelTitles(bool cargo, std::uint16_t airline, std::uint16_t model)
{
    const auto& byAirline = g_airlineModelTitles[cargo ? kCargo : kPassenger];
    const auto models = byAirline.find(airline);
    if (models == byAirline.end())
        return nullptr;
    const auto titles = models->second.find(model);
    return titles == models->second.end() ? nullptr : &titles->second;
}

bool lf_pickByAirlineModel(AiAircraftRecord& record, bool cargo, std::uint16_t airline, std::uint16_t model)
{
    const TitleViews* candidates = lf_airlineModelTitles(cargo, airline, model);
    return candidates != nullptr && lf_pickRandomTitle(record, *candidates);
}

// The first candidate in list order whose title holds the word of the code:
// the operator's livery painted for that airline.
bool lf_pickByAirlineModelWord(AiAircraftRecord& record, bool cargo, std::uint16_t airline,
                               std::uint16_t model, std::string_view code)
{
    const TitleViews* candidates = lf_airlineModelTitles(cargo, airline, model);
    if (candidates == nullptr)
        return false;
    const std::string_view word = lf_operatorWord(code);
    // A short list is read faster than its filtered copy is looked up.
    const TitleViews& titles =
        candidates->size() <= kWordScanTitles ? *candidates : lf_wordList(*candidates, word);
    for (std::string_view title : titles)
    {
        if (title.find(word) != std::string_view::npos && !gf_isFailedTitle(title))
        {
            record.liveryTitle = title;
            return true;
        }
    }
    return false;
}

// The candidates of the registration's own prefix, then those of the other
// prefixes of its group (D- for HB- and OE-, say) in a fresh random order.
bool lf_pickByPrefixes(AiAircraftRecord& record, const TitleViews& candidates)
{
    const std::string_view prefix = lf_registrationPrefix(record.registration);
    if (prefix.empty())
        return false;
    if (lf_pickRandomTitle(record, lf_prefixList(candidates, prefix)))
        return true;
    for (const std::string& alternative : gf_prefixAlternatives(prefix))
    {
        if (lf_pickRandomTitle(record, lf_prefixList(candidates, alternative)))
            return true;
    }
    return false;
}

bool lf_matchPrivateByPrefix(AiAircraftRecord& record, bool cargo, std::uint16_t airline, std::uint16_t model)
{
    if (record.registration.empty())
        return false;
    const TitleViews* candidates = lf_airlineModelTitles(cargo, airline, model);
    return candidates != nullptr && lf_pickByPrefixes(record, *candidates);
}

// An airline flown by another: the liveries of the pair come first, then
// those that name the other side, then either side's own.
bool lf_matchAirlineModelCandidates(AiAircraftRecord& record, const FlightKey& key, bool cargo)
{
    const std::uint16_t airline = key.airline;
    const std::uint16_t operating = key.secondAirline;
    const std::uint16_t model = key.model;
    if (operating == 0)
    {
        if (lf_airlineCode(airline) == kPrivateAirline &&
            lf_matchPrivateByPrefix(record, cargo, airline, model))
            return true;
        return lf_pickByAirlineModel(record, cargo, airline, model);
    }
    // The tables hold every pair that has liveries; a pair the pool does not
    // know has none.
    const std::string pairCode = lf_airlineCode(airline) + lf_airlineCode(operating);
    const std::optional<std::uint16_t> pair = g_airlineCodes.find(pairCode);
    return (pair && lf_pickByAirlineModel(record, cargo, *pair, model)) ||
           lf_pickByAirlineModelWord(record, cargo, operating, model, lf_airlineCode(airline)) ||
           lf_pickByAirlineModelWord(record, cargo, airline, model, lf_airlineCode(operating)) ||
           lf_pickByAirlineModel(record, cargo, operating, model) ||
           lf_pickByAirlineModel(record, cargo, airline, model);
}

// A title chosen by a step that the simulator has failed to create since is
// taken back.
bool lf_keepUnlessFailed(AiAircraftRecord& record)
{
    if (gf_isFailedTitle(record.liveryTitle))
    {
        record.liveryTitle = {};
        return false;
    }
    return true;
}

// The line of a match, formatted into a buffer that each matching thread
// keeps: a match is short enough that building its line dominated it.
void lf_logMatch(const AiAircraftRecord& record, std::string_view step)
{
    thread_local std::string line;
    line.assign(kMatchLineIndent);
    gf_appendFlightText(record, line);
    line.append(" =").append(step).append("= ").append(record.liveryTitle);
    gf_log(line);
}

bool lf_acceptMatch(AiAircraftRecord& record, int step)
{
    if (!lf_keepUnlessFailed(record))
        return false;
    ++g_matchSteps[static_cast<std::size_t>(step)];
    lf_logMatch(record, fmt::format_int(step).c_str());
    record.reverseThrust = record.liveryTitle.find(kReverseThrustMark) != std::string_view::npos ? 1 : 0;
    return true;
}

int lf_registrationStep(const AiAircraftRecord& record)
{
    return g_uniqueRegcodes.contains(record.registration) ? 0 : 1;
}

// The record's key flown as a generic livery.
FlightKey lf_genericKey(const FlightKey& key, std::uint16_t generic)
{
    FlightKey genericKey = key;
    genericKey.airline = generic;
    return genericKey;
}

void lf_logNoMatch(const AiAircraftRecord& record, std::string_view standName)
{
    gf_log(fmt::format("{:8}: {} no livery match ...", standName, gf_flightText3(record)));
}

void lf_spawnLadder(AiAircraftRecord& record)
{
    if (lf_isPlaceholderType(record.key.model))
        return;
    const std::int32_t depth = MATCHING_DEPTH.current.load();
    if (lf_matchByRegistration(record) && lf_acceptMatch(record, lf_registrationStep(record)))
        return;
    record.liveryTitle = {};
    if (depth < 2)
        return;
    if (lf_airlineCode(record.key.airline) == kPrivateAirline)
    {
        const std::optional<std::uint16_t> generic = lf_genericAirline();
        if (generic && lf_matchAirlineModel(record, lf_genericKey(record.key, *generic)) &&
            lf_acceptMatch(record, 4))
            return;
    }
    if (lf_matchAirlineModel(record, record.key) && lf_acceptMatch(record, 2))
        return;
    if (depth < 3)
        return;
    if (lf_matchBySubstituteModel(record, record.key) && lf_acceptMatch(record, 3))
        return;
    if (depth != kFullDepth)
        return;
    int step = 0;
    lf_matchByCategory(record, false, step);
    if (!record.liveryTitle.empty())
        lf_acceptMatch(record, step);
}

bool lf_standLadder(AiAircraftRecord& record, std::string_view standName, bool cargoStand)
{
    if (!record.liveryTitle.empty())
    {
        lf_logMatch(record, "s");
        return true;
    }
    if (lf_isPlaceholderType(record.key.model))
    {
        lf_logNoMatch(record, standName);
        return false;
    }
    if (lf_matchByRegistration(record) && lf_keepUnlessFailed(record))
    {
        lf_logMatch(record, lf_registrationStep(record) == 0 ? "0" : "1");
        return true;
    }
    record.liveryTitle = {};
    const std::int32_t depth = MATCHING_DEPTH.current.load();
    if (depth < 2)
    {
        lf_logNoMatch(record, standName);
        return false;
    }
    if (lf_airlineCode(record.key.airline) == kPrivateAirline)
    {
        if (const std::optional<std::uint16_t> generic = lf_genericAirline())
        {
            FlightKey key = lf_genericKey(record.key, *generic);
            key.cargo = cargoStand ? 1 : 0;
            if (lf_matchAirlineModel(record, key) && lf_keepUnlessFailed(record))
            {
                lf_logMatch(record, "4");
                return true;
            }
        }
    }
    if (lf_matchAirlineModel(record, record.key) && lf_keepUnlessFailed(record))
    {
        lf_logMatch(record, "2");
        return true;
    }
    if (depth >= 3 && lf_matchBySubstituteModel(record, record.key) && lf_keepUnlessFailed(record))
    {
        lf_logMatch(record, "3");
        return true;
    }
    if (depth == kFullDepth)
    {
        int step = 0;
        lf_matchByCategory(record, cargoStand, step);
        if (!record.liveryTitle.empty() && lf_keepUnlessFailed(record))
        {
            lf_logMatch(record, fmt::format_int(step).c_str());
            return true;
        }
    }
    lf_logNoMatch(record, standName);
    return false;
}

} // namespace

void lf_clearMatchingCaches()
{
    g_prefixLists.clear();
    g_wordLists.clear();
}

std::string_view lf_operatorWord(std::string_view code)
{
    const auto found =
        std::lower_bound(kOperatorWords.begin(), kOperatorWords.end(), code,
                         [](const OperatorWord& entry, std::string_view c) { return entry.code < c; });
    return found != kOperatorWords.end() && found->code == code ? found->word : std::string_view{"not found"};
}

std::string_view lf_registrationPrefix(std::string_view registration)
{
    if (registration.empty())
        return {};
    const std::size_t dash = registration.find('-');
    if (dash == std::string_view::npos || dash == 0)
        return registration.substr(0, 1);
    return registration.substr(0, dash + 1);
}

void lf_filterByRegPrefix(const TitleViews& candidates, std::string_view prefix, TitleViews& out)
{
    for (std::string_view title : candidates)
    {
        const auto registration = g_titleRegistrations.find(title);
        if (registration != g_titleRegistrations.end() && registration->second.starts_with(prefix) &&
            !gf_isFailedTitle(title))
            out.push_back(title);
    }
}

bool lf_pickRandomTitle(AiAircraftRecord& record, const TitleViews& candidates)
{
    const TitleViews& usable = lf_withoutFailed(candidates);
    if (usable.empty())
        return false;
    for (int pick = 0; pick < kBoundPicks; ++pick)
    {
        record.liveryTitle = usable[gf_randomIndex(usable.size())];
        if (!lf_isBound(record.liveryTitle))
            return true;
    }
    g_unboundCandidates.clear();
    for (std::string_view title : usable)
    {
        if (!lf_isBound(title))
            g_unboundCandidates.push_back(title);
    }
    if (!g_unboundCandidates.empty())
        record.liveryTitle = g_unboundCandidates[gf_randomIndex(g_unboundCandidates.size())];
    return true;
}

bool lf_matchByRegistration(AiAircraftRecord& record)
{
    if (record.registration.empty())
        return false;
    const auto found = g_regcodeTitles.find(record.registration);
    record.liveryTitle = found == g_regcodeTitles.end() ? std::string_view{} : found->second;
    return !record.liveryTitle.empty();
}

bool lf_matchAirlineModel(AiAircraftRecord& record, const FlightKey& key)
{
    return lf_matchAirlineModelCandidates(record, key, key.cargo != 0) ||
           (key.cargo != 0 && lf_matchAirlineModelCandidates(record, key, false));
}

bool lf_matchBySubstituteModel(AiAircraftRecord& record, const FlightKey& key)
{
    const auto airline = g_airlineSubstitutes.find(key.secondAirline != 0 ? key.secondAirline : key.airline);
    if (airline == g_airlineSubstitutes.end())
        return false;
    const auto substitutes = airline->second.find(key.model);
    if (substitutes == airline->second.end())
        return false;
    ModelIds& models = substitutes->second;
    gf_shuffleU16(models);
    for (std::uint16_t model : models)
    {
        if (gf_categoryOfModel(model) != static_cast<std::int32_t>(record.category))
            continue;
        FlightKey substitute = key;
        substitute.model = model;
        if (lf_matchAirlineModelCandidates(record, substitute, key.cargo != 0) ||
            (key.cargo != 0 && lf_matchAirlineModelCandidates(record, substitute, false)))
            return true;
    }
    return false;
}

bool lf_matchByModel(AiAircraftRecord& record, std::uint16_t model)
{
    const ModelTitleViews& byModel = g_modelTitles[record.key.cargo != 0 ? kCargo : kPassenger];
    const auto candidates = byModel.find(model);
    if (candidates == byModel.end())
        return false;
    return lf_pickByPrefixes(record, candidates->second) || lf_pickRandomTitle(record, candidates->second);
}

void lf_matchByCategory(AiAircraftRecord& record, bool cargo, int& step)
{
    if (!record.liveryTitle.empty())
        return;
    if (const std::optional<std::uint16_t> generic = lf_genericAirline())
    {
        FlightKey key = lf_genericKey(record.key, *generic);
        key.cargo = (key.cargo != 0 || cargo) ? 1 : 0;
        if (lf_matchAirlineModel(record, key))
        {
            step = 4;
            return;
        }
    }

    std::uint16_t (*drawFromCategory)() = nullptr;
    switch (record.category)
    {
    case kCategoryLight:
        drawFromCategory = lf_randomCategoryModel0;
        break;
    case kCategoryBuzjet:
        drawFromCategory = lf_randomCategoryModel1;
        break;
    case kCategoryRotorcraft:
        drawFromCategory = lf_randomCategoryModel2;
        break;
    default:
        return;
    }
    // A type unknown to the model database falls into the light category
    // only for want of a class: any light type would turn it (an airliner
    // the database lacks, a ground vehicle) into a small aeroplane.
    if (!gf_isKnownModel(g_modelCodes.text(record.key.model)))
        return;
    if (lf_matchByModel(record, record.key.model))
    {
        step = 5;
        return;
    }

    const auto similar = g_similarModels.find(record.key.model);
    if (similar != g_similarModels.end())
    {
        gf_shuffleU16(similar->second);
        for (std::uint16_t model : similar->second)
        {
            if (lf_matchByModel(record, model))
            {
                step = 6;
                return;
            }
        }
        return;
    }
    const std::uint16_t model = drawFromCategory();
    if (model != 0 && lf_matchByModel(record, model))
        step = 6;
}

void gf_matchLivery4SpawnedAc(AiAircraftRecord& record)
{
    record.liveryTitle = {};
    try
    {
        lf_spawnLadder(record);
    }
    catch (const std::exception& e)
    {
        // A match that cannot finish leaves the aircraft without a livery;
        // it never takes the traffic down with it.
        record.liveryTitle = {};
        gf_logWarning(fmt::format("livery matching of {} failed: {}", gf_flightText(record), e.what()));
    }
}

bool gf_matchLivery(AiAircraftRecord& record, std::string_view standName, bool cargoStand)
{
    try
    {
        return lf_standLadder(record, standName, cargoStand);
    }
    catch (const std::exception& e)
    {
        record.liveryTitle = {};
        gf_logWarning(fmt::format("livery matching of {} failed: {}", gf_flightText(record), e.what()));
        return false;
    }
}

} // namespace ovr
