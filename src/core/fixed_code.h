// An airport code of exactly N letters or digits, kept in N bytes without a
// terminator so that airport records, stand options and flight records stay
// small and compare cheaply: N = 4 for ICAO codes, N = 3 for three-letter
// codes. Lower case is folded to upper case; nothing is truncated or padded.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "core/fnv1a.h"

namespace ovr
{

template <std::size_t N> class FixedCode
{
    static_assert(N == 3 || N == 4);

  public:
    // The empty code (all bytes zero); its text is N blanks.
    constexpr FixedCode() = default;

    // Throws std::invalid_argument unless the text is exactly N letters or
    // digits.
    explicit FixedCode(std::string_view text)
    {
        if (text.size() != N)
            lf_refuse(text);
        for (std::size_t i = 0; i < N; ++i)
        {
            char c = text[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                lf_refuse(text);
            m_bytes[i] = c;
        }
    }

    constexpr bool empty() const { return m_bytes[0] == 0; }

    // The N characters; N blanks for the empty code.
    std::string text() const { return empty() ? std::string(N, ' ') : std::string(m_bytes.data(), N); }

    constexpr const std::array<char, N>& bytes() const { return m_bytes; }

    // Records that pack a four-letter code hold it as one 32-bit word.
    std::uint32_t word() const requires(N == 4)
    {
        std::uint32_t w = 0;
        std::memcpy(&w, m_bytes.data(), N);
        return w;
    }
    static FixedCode fromWord(std::uint32_t w) requires(N == 4)
    {
        FixedCode code;
        std::memcpy(code.m_bytes.data(), &w, N);
        return code;
    }

    // FNV-1a over the text, so the empty code hashes as N blanks.
    constexpr std::uint64_t hash() const
    {
        std::uint64_t h = kFnvOffsetBasis;
        for (char c : m_bytes)
        {
            h ^= static_cast<unsigned char>(empty() ? ' ' : c);
            h *= kFnvPrime;
        }
        return h;
    }

    friend constexpr bool operator==(const FixedCode&, const FixedCode&) = default;
    friend constexpr auto operator<=>(const FixedCode&, const FixedCode&) = default;

  private:
    [[noreturn]] static void lf_refuse(std::string_view text)
    {
        throw std::invalid_argument(fmt::format("'{}' FixedCode: invalid string (length/charset)", text));
    }

    std::array<char, N> m_bytes{};
};

using IcaoCode = FixedCode<4>;
using IataCode = FixedCode<3>;

} // namespace ovr

template <std::size_t N> struct std::hash<ovr::FixedCode<N>>
{
    std::size_t operator()(const ovr::FixedCode<N>& code) const noexcept
    {
        return static_cast<std::size_t>(code.hash());
    }
};
