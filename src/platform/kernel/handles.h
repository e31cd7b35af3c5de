// Kernel handles: numbers standing for the stand-in's mutexes, files and
// tokens, closed with CloseHandle.
#pragma once

#include "platform/win/win_types.h"

#include <memory>

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

BOOL CloseHandle(HANDLE handle);
HANDLE GetCurrentProcess();

namespace ovr::kernel
{

struct KernelObject
{
    virtual ~KernelObject() = default;
};

HANDLE addHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> lookupHandle(HANDLE handle);

template <typename T> std::shared_ptr<T> handleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(lookupHandle(handle));
}

} // namespace ovr::kernel
