#include "liveries/title_store.h"

#include <mutex>
#include <string>
#include <unordered_set>

#include "core/fnv1a.h"

namespace ovr
{
namespace
{

// The elements of a node-based set never move, rehashing included, so the
// text of a stored string (short ones inside the node too) keeps its address.
struct TitleStore
{
    std::mutex mutex;
    std::unordered_set<std::string, Fnv1aHash, std::equal_to<>> titles;
};

TitleStore& lf_store()
{
    // Never destroyed: views may be read by threads that outlive static
    // destruction order.
    static TitleStore* store = new TitleStore;
    return *store;
}

} // namespace

std::string_view gf_storeTitle(std::string_view title)
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    auto found = store.titles.find(title);
    if (found == store.titles.end())
        found = store.titles.emplace(title).first;
    return *found;
}

std::size_t gf_storedTitleCount()
{
    TitleStore& store = lf_store();
    std::lock_guard lock(store.mutex);
    return store.titles.size();
}

} // namespace ovr
