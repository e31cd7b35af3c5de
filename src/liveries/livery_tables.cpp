// The build of the livery tables from the scanned liveries.
//
// g_liveries arrives sorted by airline, operating airline, type and title, so
// the liveries of one airline and type are neighbours and each title list
// comes out in title order. Everything after the first table is derived from
// it: the split by kind per airline, the titles per type, the registration
// tables (which find titles through an index, never a search), the similar
// types, and last the per-category summary with its option switch-offs.

#include "liveries/livery_tables.h"

#include <algorithm>
#include <set>
#include <string>

#include <fmt/format.h>

#include "core/code_pool.h"
#include "core/fnv1a.h"
#include "core/log.h"
#include "core/parameter_controls.h"
#include "core/parameters.h"
#include "core/parameters_file.h"
#include "core/random.h"
#include "core/text.h"
#include "core/window_repaint.h"
#include "liveries/livery_data.h"
#include "liveries/livery_matching_detail.h"
#include "liveries/model_lookups.h"
#include "liveries/regcode_tables.h"
#include "liveries/scanned_liveries_file.h"
#include "liveries/similar_models.h"
#include "liveries/title_store.h"

namespace ovr
{

std::unordered_map<std::uint16_t, ModelLiveries, IdHash> g_airlineModels;
std::array<std::unordered_map<std::uint16_t, ModelTitleViews, IdHash>, 2> g_airlineModelTitles;
std::array<ModelTitleViews, 2> g_modelTitles;
std::vector<std::uint16_t> g_categoryModels0;
std::vector<std::uint16_t> g_categoryModels1;
std::vector<std::uint16_t> g_categoryModels2;
std::atomic<std::uint8_t> g_scannedLiveriesProcessed{0};
std::vector<std::string_view> g_liveryTitleViews;

namespace
{

constexpr std::size_t kAirlines = 2048;
constexpr std::size_t kCargoAirlines = 256;
constexpr std::size_t kModelsPerAirline = 128;
constexpr std::size_t kPassengerModels = 324;
constexpr std::size_t kCargoModels = 75;
constexpr std::size_t kCategoryModels0 = 64;
constexpr std::size_t kCategoryModels1 = 128;
constexpr std::size_t kCategoryModels2 = 32;
constexpr std::size_t kCodesPerLine = 20;

// The number of the current build of the tables; their titles carry it in
// the title store, which so finds a title of the tables in one step. Build 0
// holds no title: the first build is 1.
std::uint32_t g_tablesBuild = 0;

void lf_addLivery(std::uint16_t airline, std::size_t index)
{
    const LiveryData& livery = g_liveries[index];
    auto [models, inserted] = g_airlineModels.try_emplace(airline);
    if (inserted)
        models->second.reserve(kModelsPerAirline);
    models->second[livery.key.model].push_back(
        {g_liveryTitleViews[index], livery.key.cargo != 0 ? std::uint8_t{1} : std::uint8_t{0}});
}

// First the liveries that an airline flies itself, then those it has flown by
// another airline, under the combined code of the two.
void lf_buildAirlineModelTable()
{
    g_airlineModels.reserve(kAirlines);
    g_liveryTitleViews.clear();
    g_liveryTitleViews.reserve(g_liveries.size());
    for (const LiveryData& livery : g_liveries)
        g_liveryTitleViews.push_back(livery.title);
    gf_storeTitles(g_liveryTitleViews, g_tablesBuild);
    for (std::size_t i = 0; i < g_liveries.size(); ++i)
    {
        if (g_liveries[i].key.secondAirline == 0)
            lf_addLivery(g_liveries[i].key.airline, i);
    }

    std::uint16_t lastAirline = 0;
    std::uint16_t lastOperator = 0;
    std::uint16_t combined = 0;
    for (std::size_t i = 0; i < g_liveries.size(); ++i)
    {
        const LiveryData& livery = g_liveries[i];
        if (livery.key.secondAirline == 0)
            continue;
        if (combined == 0 || livery.key.airline != lastAirline || livery.key.secondAirline != lastOperator)
        {
            lastAirline = livery.key.airline;
            lastOperator = livery.key.secondAirline;
            combined = gf_airlineId(g_airlineCodes.text(lastAirline) + g_airlineCodes.text(lastOperator));
        }
        lf_addLivery(combined, i);
    }
}

void lf_buildAirlineModelTitles()
{
    g_airlineModelTitles[kPassenger].reserve(kAirlines);
    g_airlineModelTitles[kCargo].reserve(kCargoAirlines);
    for (const auto& [airline, models] : g_airlineModels)
    {
        std::array<ModelTitleViews, 2> byKind;
        for (const auto& [model, titles] : models)
        {
            std::array<TitleViews, 2> views;
            for (const LiveryTitle& title : titles)
                views[title.cargo != 0 ? kCargo : kPassenger].push_back(title.title);
            for (std::size_t kind : {kPassenger, kCargo})
            {
                if (views[kind].empty())
                    continue;
                views[kind].shrink_to_fit();
                byKind[kind].emplace(model, std::move(views[kind]));
            }
        }
        for (std::size_t kind : {kPassenger, kCargo})
        {
            if (!byKind[kind].empty())
                g_airlineModelTitles[kind].emplace(airline, std::move(byKind[kind]));
        }
    }
}

// The titles of every airline per type, airline by airline in the order of
// their ids, so that a rebuild gives the lists a fresh process gives; within
// an airline they keep their title order.
void lf_buildModelTitles()
{
    std::vector<std::uint16_t> airlines;
    airlines.reserve(g_airlineModels.size());
    for (const auto& [airline, models] : g_airlineModels)
        airlines.push_back(airline);
    std::sort(airlines.begin(), airlines.end());

    for (std::uint16_t airline : airlines)
    {
        for (const auto& [model, titles] : g_airlineModels.at(airline))
        {
            for (const LiveryTitle& title : titles)
                g_modelTitles[title.cargo != 0 ? kCargo : kPassenger][model].push_back(title.title);
        }
    }
}

// The codes 20 a line, each line indented by two blanks.
void lf_logModelList(const std::vector<std::uint16_t>& models, std::vector<std::uint16_t>* category)
{
    std::string line;
    for (std::size_t i = 0; i < models.size(); ++i)
    {
        line += i % kCodesPerLine == 0 ? "  " : ",";
        line += g_modelCodes.text(models[i]);
        if (i % kCodesPerLine == kCodesPerLine - 1 || i + 1 == models.size())
        {
            gf_log(line);
            line.clear();
        }
        if (category != nullptr)
            category->push_back(models[i]);
    }
}

struct CategoryOption
{
    BoolParameter* option;
    std::string_view what;
};

// The option that shows or hides the aircraft of a category; categories 1 to
// 3 have none.
CategoryOption lf_categoryOption(int category)
{
    switch (category)
    {
    case kCategoryLight:
        return {&LIGHT_AIRCRAFT, "light aircraft"};
    case kCategoryHighPerformance:
        return {&HIGH_PERF_AIRCRAFT, "High Perf aircraft"};
    case kCategoryRotorcraft:
        return {&HELICOPTERS, "Helicopters"};
    default:
        return {nullptr, {}};
    }
}

std::vector<std::uint16_t>* lf_categoryList(int category)
{
    switch (category)
    {
    case kCategoryLight:
        return &g_categoryModels0;
    case kCategoryBuzjet:
        return &g_categoryModels1;
    case kCategoryRotorcraft:
        return &g_categoryModels2;
    default:
        return nullptr;
    }
}

void lf_summariseCategory(int category)
{
    std::set<std::uint16_t> models;
    std::array<std::size_t, 2> counts{0, 0};
    for (std::size_t kind : {kPassenger, kCargo})
    {
        for (const auto& [model, titles] : g_modelTitles[kind])
        {
            if (gf_categoryOfModel(model) != category)
                continue;
            models.insert(model);
            counts[kind] += titles.size();
        }
    }

    const std::string_view name = gf_categoryName(category);
    const CategoryOption option = lf_categoryOption(category);
    const auto pax = static_cast<std::int64_t>(counts[kPassenger]);
    const auto cargo = static_cast<std::int64_t>(counts[kCargo]);
    if (pax == 0 && cargo == 0)
    {
        gf_log(fmt::format("Category {}: No livery found", name));
        if (option.option == nullptr)
            return;
        if (option.option->current.load())
        {
            option.option->current.store(false);
            gf_saveBoolSetting(*option.option);
            gf_log(fmt::format("{} temporarily switched off because you do not have {} installed",
                               option.option->name, option.what));
            gf_showParameterCheck(*option.option);
        }
        gf_enableParameterControl(*option.option, false);
        return;
    }

    gf_log(fmt::format("Category {}: {} pax liverie{}{}", name, pax, gf_plural64(pax),
                       cargo != 0 ? fmt::format(" and {} cargo liverie{}", cargo, gf_plural64(cargo)) : ""));
    lf_logModelList({models.begin(), models.end()}, lf_categoryList(category));
    if (option.option != nullptr)
        gf_enableParameterControl(*option.option, true);
}

void lf_logGenericLiveries()
{
    const std::optional<std::uint16_t> generic = g_airlineCodes.find(g_unknownAirline);
    const auto found = generic ? g_airlineModels.find(*generic) : g_airlineModels.end();
    if (found == g_airlineModels.end())
    {
        gf_log("No generic liveries");
        return;
    }
    std::vector<std::uint16_t> models;
    for (const auto& [model, titles] : found->second)
        models.push_back(model);
    std::sort(models.begin(), models.end(),
              [](std::uint16_t a, std::uint16_t b) { return g_modelCodes.text(a) < g_modelCodes.text(b); });
    const auto count = static_cast<std::int64_t>(models.size());
    gf_log(fmt::format("{} model{} have a generic livery", count, gf_plural64(count)));
    lf_logModelList(models, nullptr);
}

std::uint16_t lf_randomOf(const std::vector<std::uint16_t>& models)
{
    return models.empty() ? std::uint16_t{0} : models[gf_randomIndex(models.size())];
}

} // namespace

void gf_processScannedLiveries()
{
    if (g_scannedLiveriesProcessed.load() != 0)
    {
        gf_log("Processing scanned liveries skipped; already done in previous start-up");
        std::vector<LiveryData>().swap(g_liveries);
        return;
    }
    // The tables of an earlier start-up of this process go first, on this
    // thread, now that nothing reads them.
    gf_clearLiveryMatching();

    g_modelTitles[kCargo].reserve(kCargoModels);
    g_modelTitles[kPassenger].reserve(kPassengerModels);
    lf_reserveRegcodeTitles();

    lf_readScannedLiveries();
    g_liveriesCount.store(static_cast<std::int64_t>(g_liveries.size()));
    gf_repaintMainWindow();

    lf_buildAirlineModelTable();
    lf_buildAirlineModelTitles();

    lf_processInlineRegcodes();
    lf_processOfflineRegcodes();
    gf_log(fmt::format("{:5} registration codes", g_regcodeTitles.size()));

    lf_buildModelTitles();
    gf_log(fmt::format("{:5} airlines, {} pax aircraft models and {} cargo aircraft models",
                       g_airlineModels.size(), g_modelTitles[kPassenger].size(),
                       g_modelTitles[kCargo].size()));

    gf_buildSimilarModels();
    gf_log(" ");

    for (int category = kCategoryLight; category <= kCategoryRotorcraft; ++category)
        lf_summariseCategory(category);
    lf_logGenericLiveries();

    g_scannedLiveriesProcessed.store(1);
    gf_repaintMainWindow();
    std::vector<LiveryData>().swap(g_liveries);
    std::vector<std::string_view>().swap(g_liveryTitleViews);
}

void gf_clearLiveryMatching()
{
    g_categoryModels0.clear();
    g_categoryModels1.clear();
    g_categoryModels2.clear();
    lf_clearRegcodeTables();
    lf_clearSimilarModels();
    for (std::size_t kind : {kPassenger, kCargo})
    {
        g_modelTitles[kind].clear();
        g_airlineModelTitles[kind].clear();
    }
    g_airlineModels.clear();
    lf_clearMatchingCaches();
    // The titles of the old tables are no longer theirs.
    ++g_tablesBuild;
}

void gf_reserveMatchingContainers()
{
    lf_reserveBoundTitles();
    g_categoryModels0.reserve(kCategoryModels0);
    g_categoryModels1.reserve(kCategoryModels1);
    g_categoryModels2.reserve(kCategoryModels2);
}

std::string_view lf_findLiveryTitle(std::string_view title)
{
    return gf_findStoredTitle(title, g_tablesBuild);
}

void lf_findLiveryTitles(std::vector<std::string_view>& titles)
{
    gf_findStoredTitles(titles, g_tablesBuild);
}

bool lf_airlineHasModel(std::uint16_t airline, std::uint16_t model)
{
    const auto found = g_airlineModels.find(airline);
    return found != g_airlineModels.end() && found->second.contains(model);
}

std::uint16_t lf_randomCategoryModel0()
{
    return lf_randomOf(g_categoryModels0);
}

std::uint16_t lf_randomCategoryModel1()
{
    return lf_randomOf(g_categoryModels1);
}

std::uint16_t lf_randomCategoryModel2()
{
    return lf_randomOf(g_categoryModels2);
}

} // namespace ovr
