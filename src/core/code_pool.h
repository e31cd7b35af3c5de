// Interning tables between a code text and a 16-bit id: one pool of airline
// codes, one of ICAO aircraft type designators. Every aircraft record names
// its airline, operating airline and type by these ids. Texts are never
// removed and ids stay valid for the life of the process.
//
// Pools are grown from several threads at once (reader threads, scan workers,
// the main loop): interning and lookup by text take the pool's lock; reading
// a text by id takes none, because texts live in blocks that never move and a
// text is published only after it is complete.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/fnv1a.h"

namespace ovr
{

// The shared empty text (interned first into both pools, so id 0 means no
// code), a single blank, and the airline code of private and unknown
// operators.
inline const std::string g_empty{};
inline constexpr std::string_view g_blank{" "};
inline constexpr std::string_view g_unknownAirline{"ZZZ"};

class CodePool
{
  public:
    // The most codes a pool holds; the next new text gets 0 (no code). The
    // last 16-bit value stays unused so it never looks like a wrapped id.
    static constexpr std::size_t kMaxCodes = 65535;

    // The name shown in the warning when the pool is full.
    explicit CodePool(std::string_view name);
    ~CodePool();
    CodePool(const CodePool&) = delete;
    CodePool& operator=(const CodePool&) = delete;

    // The id of the text, interning it when new.
    std::uint16_t intern(std::string_view text);
    // The id of the text when the pool holds it.
    std::optional<std::uint16_t> find(std::string_view text) const;
    // The text of an id; the empty text for an id outside the pool. The
    // reference stays valid for the life of the pool.
    const std::string& text(std::uint16_t id) const;
    std::size_t size() const { return m_count.load(std::memory_order_acquire); }

    // Set by the model-database reader once its own entries are in; from then
    // on gf_modelId asks for corrections of wrongly written types.
    std::atomic<std::uint8_t> sealed{0};

  private:
    static constexpr std::size_t kBlockSize = 1024;
    static constexpr std::size_t kBlockCount = (kMaxCodes + kBlockSize - 1) / kBlockSize;

    std::string m_name;
    mutable std::shared_mutex m_mutex;
    std::unordered_map<std::string, std::uint16_t, Fnv1aHash, std::equal_to<>> m_index;
    std::array<std::atomic<std::string*>, kBlockCount> m_blocks{};
    std::atomic<std::size_t> m_count{0};
    bool m_fullReported = false;
};

// Limits the new codes that reading one file may add to the pools, on the
// calling thread and while it lives: a file read from outside (an airport
// file) cannot fill a pool for every later reader. Past the cap, a new text
// gets 0 (no code), with one warning naming the file. Budgets do not nest.
class CodeBudget
{
  public:
    static constexpr std::size_t kCodesPerFile = 2048;

    explicit CodeBudget(std::string file, std::size_t cap = kCodesPerFile);
    ~CodeBudget();
    CodeBudget(const CodeBudget&) = delete;
    CodeBudget& operator=(const CodeBudget&) = delete;

    // False once the cap is reached (warns the first time); counts a code.
    bool take(std::string_view text);

  private:
    std::string m_file;
    std::size_t m_left;
    bool m_warned = false;
    CodeBudget* m_previous;
};

extern CodePool g_airlineCodes;
extern CodePool g_modelCodes;

// The id of an airline code, interned when new.
std::uint16_t gf_airlineId(std::string_view text);
// The id of an aircraft type, interned when new; once the model pool is
// sealed, a wrongly written type that the model database corrects gives the
// id of its correction (when that is held) and is not added.
std::uint16_t gf_modelId(std::string_view text);

// The corrections of the model database (gf_fixedModelName), which is floors
// above: its reader hands them over when it seals the model pool.
using ModelFixLookup = std::optional<std::string> (*)(std::string_view);
void gf_setModelFixLookup(ModelFixLookup lookup);

} // namespace ovr
