#include "platform/kernel/handles.h"

#include "platform/kernel/last_error.h"

#include <mutex>
#include <unordered_map>

namespace ovr::kernel
{

namespace
{
struct HandleTable
{
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x1000;
};

HandleTable& table()
{
    static HandleTable t;
    return t;
}
} // namespace

HANDLE addHandle(std::shared_ptr<KernelObject> object)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    std::uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> lookupHandle(HANDLE handle)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

} // namespace ovr::kernel

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<ovr::kernel::KernelObject> closing;
    {
        auto& t = ovr::kernel::table();
        std::lock_guard lock(t.mutex);
        auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == t.objects.end())
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closing = std::move(it->second);
        t.objects.erase(it);
    }
    return TRUE; // the object's destructor releases what it holds
}

// The pseudo-handle of the current process, as on Windows.
HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }
