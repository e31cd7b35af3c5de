#include "liveries/title_store.h"

#include <mutex>

#include "liveries/flat_text_map.h"

namespace ovr
{
namespace
{

// The table keeps the titles' text in blocks that never move and is never
// cleared, so a stored title keeps its address whatever the table grows to.
struct TitleStore
{
    std::mutex mutex;
    FlatTextMap<std::uint32_t, true> titles;
};

TitleStore& lf_store()
{
    // Never destroyed: views may be read by threads that outlive static
    // destruction order.
    static TitleStore* store = new TitleStore;
    return *store;
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

std::size_t gf_storedTitleCount()
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    return store.titles.size();
}

} // namespace ovr
