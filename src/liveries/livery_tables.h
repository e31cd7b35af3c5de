// The livery tables that the livery matching reads, built once per run on the
// start-up thread from the scanned liveries: per airline and type, per type,
// and per category of the types that fall back to any livery of their kind.
// Afterwards they are only read (by the same thread, which becomes the main
// loop) until the next start-up of the same process empties and rebuilds them
// after a settings change asked for it.
//
// Titles live in the title store (title_store.h); every table holds views of
// them, which stay valid for the life of the process.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "liveries/id_hash.h"

namespace ovr
{

struct LiveryTitle
{
    std::string_view title;
    std::uint8_t cargo = 0;
};

using TitleViews = std::vector<std::string_view>;
using ModelLiveries = std::unordered_map<std::uint16_t, std::vector<LiveryTitle>, IdHash>;
using ModelTitleViews = std::unordered_map<std::uint16_t, TitleViews, IdHash>;

// Index 0 passenger, 1 cargo.
inline constexpr std::size_t kPassenger = 0;
inline constexpr std::size_t kCargo = 1;

// airline id -> type id -> titles in the order of the scanned liveries (by
// title). An airline flown by another is keyed by the id of the two codes
// written together ("DALSKW"), never by either alone.
extern std::unordered_map<std::uint16_t, ModelLiveries, IdHash> g_airlineModels;
// The same split by kind: [kind] airline id -> type id -> titles.
extern std::array<std::unordered_map<std::uint16_t, ModelTitleViews, IdHash>, 2> g_airlineModelTitles;
// [kind] type id -> the titles of every airline.
extern std::array<ModelTitleViews, 2> g_modelTitles;
// Types with liveries of the light (0), business-jet (1) and rotorcraft (5)
// categories, for the matching's category fallback.
extern std::vector<std::uint16_t> g_categoryModels0;
extern std::vector<std::uint16_t> g_categoryModels1;
extern std::vector<std::uint16_t> g_categoryModels2;

// While the tables are built: the stored title of each livery of g_liveries,
// by its index, so that its registration needs no title search.
extern std::vector<std::string_view> g_liveryTitleViews;

// Set when the tables have been built in this process; whoever wants them
// rebuilt resets it and asks for a restart.
extern std::atomic<std::uint8_t> g_scannedLiveriesProcessed;

// Builds every table from output/LiveriesScanned.xml and the registration-code
// lists, writes the regcode reports, logs the summary, keeps the livery count
// for the window and switches off the options of categories without a livery.
// Does nothing (but forget g_liveries) while the processed flag is set. The
// scanned-liveries reader's user errors pass through. Start-up thread only.
void gf_processScannedLiveries();
// Empties every livery table, the registration and similar-model tables
// included; the containers keep their capacity. Start-up thread only: other
// threads reset the processed flag and request a restart instead.
void gf_clearLiveryMatching();
// Room for the titles bound to registrations and the category lists.
void gf_reserveMatchingContainers();

// The stored view of a livery title of the tables, or an empty view when no
// scanned livery has that title.
std::string_view lf_findLiveryTitle(std::string_view title);
// The same for many titles, each view replaced by its result.
void lf_findLiveryTitles(std::vector<std::string_view>& titles);
// Whether the airline has liveries of the type.
bool lf_airlineHasModel(std::uint16_t airline, std::uint16_t model);
// A type drawn from a category list; 0 when the list is empty.
std::uint16_t lf_randomCategoryModel0();
std::uint16_t lf_randomCategoryModel1();
std::uint16_t lf_randomCategoryModel2();

} // namespace ovr
