#include "core/code_pool.h"

#include <atomic>
#include <mutex>

#include <fmt/format.h>

#include "core/code_pool_detail.h"
#include "core/log.h"
#include "core/text.h"

namespace ovr
{

CodePool g_airlineCodes{"airline"};
CodePool g_modelCodes{"model"};

namespace
{

std::atomic<ModelFixLookup> g_modelFixLookup{nullptr};

} // namespace

CodePool::CodePool(std::string_view name) : m_name(name) {}

CodePool::~CodePool()
{
    for (auto& block : m_blocks)
        delete[] block.load();
}

std::optional<std::uint16_t> CodePool::find(std::string_view text) const
{
    std::shared_lock lock(m_mutex);
    auto it = m_index.find(text);
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

namespace
{

thread_local CodeBudget* t_budget = nullptr;

CodeBudget* lf_currentBudget()
{
    return t_budget;
}

} // namespace

CodeBudget::CodeBudget(std::string file, std::size_t cap)
    : m_file(std::move(file)), m_left(cap), m_previous(t_budget)
{
    t_budget = this;
}

CodeBudget::~CodeBudget()
{
    t_budget = m_previous;
}

bool CodeBudget::take(std::string_view text)
{
    if (m_left == 0)
    {
        if (!m_warned)
        {
            m_warned = true;
            gf_logWarning(fmt::format("{} holds more new codes than any real file, '{}' and later new codes "
                                      "read as no code",
                                      gf_shownText(m_file), gf_shownText(text)));
        }
        return false;
    }
    --m_left;
    return true;
}

std::uint16_t CodePool::intern(std::string_view text)
{
    if (auto id = find(text))
        return *id;

    std::unique_lock lock(m_mutex);
    if (auto it = m_index.find(text); it != m_index.end())
        return it->second;

    if (CodeBudget* budget = lf_currentBudget(); budget != nullptr && !budget->take(text))
        return 0;

    std::size_t id = m_count.load(std::memory_order_relaxed);
    if (id >= kMaxCodes)
    {
        bool first = !m_fullReported;
        m_fullReported = true;
        lock.unlock();
        if (first)
            gf_logWarning(
                fmt::format("{} code pool is full ({} codes), '{}' and later new codes read as no code",
                            m_name, kMaxCodes, gf_shownText(text)));
        return 0;
    }

    std::size_t blockNo = id / kBlockSize;
    std::string* block = m_blocks[blockNo].load(std::memory_order_relaxed);
    if (!block)
    {
        block = new std::string[kBlockSize];
        m_blocks[blockNo].store(block, std::memory_order_release);
    }
    block[id % kBlockSize] = std::string(text);
    auto newId = static_cast<std::uint16_t>(id);
    m_index.emplace(block[id % kBlockSize], newId);
    // Publishing the count last makes the finished text visible to readers.
    m_count.store(id + 1, std::memory_order_release);
    return newId;
}

const std::string& CodePool::text(std::uint16_t id) const
{
    if (id >= m_count.load(std::memory_order_acquire))
        return g_empty;
    return m_blocks[id / kBlockSize].load(std::memory_order_acquire)[id % kBlockSize];
}

namespace detail
{

std::uint16_t internModel(CodePool& pool, std::string_view text, ModelFixLookup fix)
{
    if (auto id = pool.find(text))
        return *id;
    if (pool.sealed.load() != 0 && fix)
    {
        if (auto corrected = fix(text))
        {
            if (auto id = pool.find(*corrected))
                return *id;
        }
    }
    return pool.intern(text);
}

} // namespace detail

std::uint16_t gf_airlineId(std::string_view text)
{
    return g_airlineCodes.intern(text);
}

std::uint16_t gf_modelId(std::string_view text)
{
    return detail::internModel(g_modelCodes, text, g_modelFixLookup.load());
}

void gf_setModelFixLookup(ModelFixLookup lookup)
{
    g_modelFixLookup.store(lookup);
}

} // namespace ovr
