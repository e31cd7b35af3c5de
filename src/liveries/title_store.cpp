#include "liveries/title_store.h"

#include <mutex>

#include "liveries/flat_text_map.h"

namespace ovr
{
namespace
{

// The table keeps the titles' text in blocks that never move and is never
// cleared, so a stored title keeps its address whatever the table grows to.
using TitleTable = FlatTextMap<std::uint32_t, true>;

struct TitleStore
{
    std::mutex mutex;
    TitleTable titles;
};

TitleStore& lf_store()
{
    // Never destroyed: views may be read by threads that outlive static
    // destruction order.
    static TitleStore* store = new TitleStore;
    return *store;
}

// How many titles ahead a batch asks for the table's slots: enough to cover a
// memory access with the hashing and comparing of the titles between.
constexpr std::size_t kPrefetchAhead = 8;

// Calls work(index, hash) for each title with the slots of the titles
// kPrefetchAhead further on prefetched.
template <class Work>
void lf_forEachPrefetched(const TitleStore& store, const std::vector<std::string_view>& titles, Work work)
{
    std::uint64_t hashes[kPrefetchAhead];
    const std::size_t count = titles.size();
    for (std::size_t i = 0; i < count && i < kPrefetchAhead; ++i)
    {
        hashes[i] = TitleTable::hashOf(titles[i]);
        store.titles.prefetch(hashes[i]);
    }
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::uint64_t hash = hashes[i % kPrefetchAhead];
        if (i + kPrefetchAhead < count)
        {
            hashes[i % kPrefetchAhead] = TitleTable::hashOf(titles[i + kPrefetchAhead]);
            store.titles.prefetch(hashes[i % kPrefetchAhead]);
        }
        work(i, hash);
    }
}

} // namespace

std::string_view gf_storeTitle(std::string_view title, std::uint32_t build)
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    const auto [found, inserted] = store.titles.try_emplace(title, build);
    if (!inserted)
        found->second = build;
    return found->first;
}

std::string_view gf_findStoredTitle(std::string_view title, std::uint32_t build)
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    const auto found = store.titles.find(title);
    return found != store.titles.end() && found->second == build ? found->first : std::string_view{};
}

void gf_storeTitles(std::vector<std::string_view>& titles, std::uint32_t build)
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    lf_forEachPrefetched(store, titles,
                         [&](std::size_t i, std::uint64_t hash)
                         {
                             const auto [found, inserted] =
                                 store.titles.try_emplace_hashed(hash, titles[i], build);
                             if (!inserted)
                                 found->second = build;
                             titles[i] = found->first;
                         });
}

void gf_findStoredTitles(std::vector<std::string_view>& titles, std::uint32_t build)
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    lf_forEachPrefetched(store, titles,
                         [&](std::size_t i, std::uint64_t hash)
                         {
                             const auto found = store.titles.find(titles[i], hash);
                             titles[i] = found != store.titles.end() && found->second == build
                                             ? found->first
                                             : std::string_view{};
                         });
}

std::size_t gf_storedTitleCount()
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    return store.titles.size();
}

} // namespace ovr
