// 64-bit FNV-1a, the hash of every string-keyed table of the program and of
// the fixed-length codes.
#pragma once

#include <cstdint>
#include <string_view>

namespace ovr
{

inline constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ull;
inline constexpr std::uint64_t kFnvPrime = 1099511628211ull;

constexpr std::uint64_t gf_fnv1a64(std::string_view bytes)
{
    std::uint64_t h = kFnvOffsetBasis;
    for (char c : bytes)
    {
        h ^= static_cast<unsigned char>(c);
        h *= kFnvPrime;
    }
    return h;
}

// Transparent hasher, so that tables keyed by std::string can be searched
// with a std::string_view without building a string.
struct Fnv1aHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept
    {
        return static_cast<std::size_t>(gf_fnv1a64(s));
    }
};

} // namespace ovr
