// Every operator new and delete of the program, counted. Linked only into
// the programs that report the memory their work holds.
#include "held_bytes.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<std::int64_t> g_heldBytes{0};
std::atomic<std::int64_t> g_peakBytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* lf_allocate(std::size_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::int64_t held =
        g_heldBytes.fetch_add(static_cast<std::int64_t>(size)) + static_cast<std::int64_t>(size);
    std::int64_t peak = g_peakBytes.load();
    while (held > peak && !g_peakBytes.compare_exchange_weak(peak, held))
    {
    }
    return block + kHeader;
}

void lf_release(void* pointer) noexcept
{
    if (pointer == nullptr)
        return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    g_heldBytes.fetch_sub(static_cast<std::int64_t>(*reinterpret_cast<std::size_t*>(block)));
    std::free(block);
}
} // namespace

void* operator new(std::size_t size)
{
    return lf_allocate(size);
}
void* operator new[](std::size_t size)
{
    return lf_allocate(size);
}
void operator delete(void* pointer) noexcept
{
    lf_release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    lf_release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    lf_release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    lf_release(pointer);
}


namespace ovr::bench
{

std::int64_t heldBytes()
{
    return g_heldBytes.load();
}

void resetPeakBytes()
{
    g_peakBytes.store(g_heldBytes.load());
}

std::int64_t peakBytes()
{
    return g_peakBytes.load();
}

} // namespace ovr::bench

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return lf_allocate(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return lf_allocate(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept
{
    lf_release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept
{
    lf_release(pointer);
}
