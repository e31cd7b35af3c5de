#include "liveries/title_store.h"

#include <mutex>
#include <string>
#include <unordered_map>

#include "core/fnv1a.h"

namespace ovr
{
namespace
{

// The elements of a node-based map never move, rehashing included, so the
// text of a stored key (short ones inside the node too) keeps its address.
struct TitleStore
{
    std::mutex mutex;
    std::unordered_map<std::string, std::uint32_t, Fnv1aHash, std::equal_to<>> titles;
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
    auto found = store.titles.find(title);
    if (found == store.titles.end())
        found = store.titles.emplace(title, build).first;
    else
        found->second = build;
    return found->first;
}

std::string_view gf_findStoredTitle(std::string_view title, std::uint32_t build)
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    const auto found = store.titles.find(title);
    return found != store.titles.end() && found->second == build ? std::string_view(found->first)
                                                                 : std::string_view{};
}

std::size_t gf_storedTitleCount()
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    return store.titles.size();
}

} // namespace ovr
