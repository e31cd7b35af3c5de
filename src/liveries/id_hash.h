// The hash of the tables keyed by a 16-bit code-pool id or a 32-bit aircraft
// key: FNV-1a 64 over the value's bytes, low byte first, as the text-keyed
// tables hash their bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/fnv1a.h"

namespace ovr
{

struct IdHash
{
    std::size_t operator()(std::uint16_t id) const noexcept
    {
        const char bytes[2] = {static_cast<char>(id & 0xFF), static_cast<char>(id >> 8)};
        return static_cast<std::size_t>(gf_fnv1a64(std::string_view(bytes, 2)));
    }
};

struct AcKeyHash
{
    std::size_t operator()(std::uint32_t key) const noexcept
    {
        const char bytes[4] = {static_cast<char>(key & 0xFF), static_cast<char>((key >> 8) & 0xFF),
                               static_cast<char>((key >> 16) & 0xFF), static_cast<char>(key >> 24)};
        return static_cast<std::size_t>(gf_fnv1a64(std::string_view(bytes, 4)));
    }
};

} // namespace ovr
