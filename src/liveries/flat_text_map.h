// A hash table keyed by text for the large tables of the liveries (tens of
// thousands of titles and registrations): one array of slots with open
// addressing, so that a lookup touches the slot and the key's text and no
// node, bucket or separate string. Built once per start-up and read by the
// matching; a node-based map spent most of the tables' build in allocations
// and cache misses.
//
// With CopyKeys the table keeps the keys' text in blocks of its own that
// never move: the view of a key stays valid until clear(), across any growth.
// Without, the caller's key views are kept and must outlive the table's use of
// them (the titles of the title store, which live for the process).
//
// Iteration order is that of the slots, not of insertion: callers that need
// an order sort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/fnv1a.h"

namespace ovr
{

template <class Value, bool CopyKeys> class FlatTextMap
{
  public:
    using value_type = std::pair<std::string_view, Value>;

  private:
    // Declared before the iterators, which name it: not every compiler looks
    // ahead in the enclosing class from a nested class's declarations.
    struct Slot
    {
        value_type entry{};
        std::uint64_t hash = 0;
        // A key's view has a non-null pointer even when empty (keep() sees to
        // it), so a null pointer marks a free slot.
        bool empty() const { return entry.first.data() == nullptr; }
    };

  public:
    template <class Entry> class Iterator
    {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_const_t<Entry>;
        using difference_type = std::ptrdiff_t;
        using pointer = Entry*;
        using reference = Entry&;

        Iterator() = default;
        Entry& operator*() const { return m_slot->entry; }
        Entry* operator->() const { return &m_slot->entry; }
        Iterator& operator++()
        {
            ++m_slot;
            skipEmpty();
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_slot == other.m_slot; }

      private:
        friend class FlatTextMap;
        using SlotPtr = std::conditional_t<std::is_const_v<Entry>, const typename FlatTextMap::Slot*,
                                           typename FlatTextMap::Slot*>;
        Iterator(SlotPtr slot, SlotPtr end) : m_slot(slot), m_end(end) {}
        void skipEmpty()
        {
            while (m_slot != m_end && m_slot->empty())
                ++m_slot;
        }
        SlotPtr m_slot = nullptr;
        SlotPtr m_end = nullptr;
    };
    using iterator = Iterator<value_type>;
    using const_iterator = Iterator<const value_type>;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    iterator begin() { return first<iterator>(m_slots.data()); }
    iterator end() { return {endSlot(), endSlot()}; }
    const_iterator begin() const { return first<const_iterator>(m_slots.data()); }
    const_iterator end() const { return {endSlot(), endSlot()}; }

    // Room for `count` keys without growing the slots.
    void reserve(std::size_t count)
    {
        std::size_t capacity = kMinSlots;
        while (capacity * kMaxLoadNum < count * kMaxLoadDen)
            capacity *= 2;
        if (capacity > m_slots.size())
            rehash(capacity);
    }

    static std::uint64_t hashOf(std::string_view key) { return gf_fnv1a64(key); }

    // Asks the processor for the home slot of a key by its hash, so that a
    // loop over many keys can have the slots of the next ones on their way
    // while it works on one: the slots are spread over megabytes.
    void prefetch(std::uint64_t hash) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[home(hash)]);
    }

    iterator find(std::string_view key) { return find(key, hashOf(key)); }
    // With the key's hashOf().
    iterator find(std::string_view key, std::uint64_t hash)
    {
        Slot* slot = lookup(key, hash);
        return slot == nullptr || slot->empty() ? end() : iterator{slot, endSlot()};
    }
    const_iterator find(std::string_view key) const
    {
        const Slot* slot = const_cast<FlatTextMap*>(this)->lookup(key, gf_fnv1a64(key));
        return slot == nullptr || slot->empty() ? end() : const_iterator{slot, endSlot()};
    }
    bool contains(std::string_view key) const { return find(key) != end(); }
    const Value& at(std::string_view key) const
    {
        const const_iterator found = find(key);
        if (found == end())
            throw std::out_of_range("FlatTextMap::at");
        return found->second;
    }

    // Inserts the key with the value unless it is there; the entry and
    // whether it was inserted, as std::unordered_map::try_emplace.
    template <class... Args> std::pair<iterator, bool> try_emplace(std::string_view key, Args&&... args)
    {
        return try_emplace_hashed(hashOf(key), key, std::forward<Args>(args)...);
    }
    // With the key's hashOf().
    template <class... Args>
    std::pair<iterator, bool> try_emplace_hashed(std::uint64_t hash, std::string_view key, Args&&... args)
    {
        if ((m_size + 1) * kMaxLoadDen > m_slots.size() * kMaxLoadNum)
            rehash(m_slots.empty() ? kMinSlots : m_slots.size() * 2);
        Slot* slot = lookup(key, hash);
        if (!slot->empty())
            return {iterator{slot, endSlot()}, false};
        slot->hash = hash;
        slot->entry.first = keep(key);
        slot->entry.second = Value(std::forward<Args>(args)...);
        ++m_size;
        return {iterator{slot, endSlot()}, true};
    }

    // Empties the table; the slots and the first block of key text stay for
    // the next fill.
    void clear()
    {
        if (m_size != 0)
        {
            for (Slot& slot : m_slots)
                slot = Slot{};
        }
        m_size = 0;
        if (m_blocks.size() > 1)
            m_blocks.resize(1);
        m_longKeys.clear();
        m_used = 0;
    }

  private:
    static constexpr std::size_t kMinSlots = 16;
    // At most 1/2 of the slots in use: linear probing stays short.
    static constexpr std::size_t kMaxLoadNum = 1;
    static constexpr std::size_t kMaxLoadDen = 2;
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    Slot* endSlot() { return m_slots.data() + m_slots.size(); }
    const Slot* endSlot() const { return m_slots.data() + m_slots.size(); }

    template <class It, class SlotPtr> It first(SlotPtr slots) const
    {
        It it{slots, slots + m_slots.size()};
        it.skipEmpty();
        return it;
    }

    // Fibonacci hashing spreads FNV's weaker low bits over the index.
    std::size_t home(std::uint64_t hash) const
    {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    // The slot of the key, or the free slot where it would go; null only
    // while the table has no slots.
    Slot* lookup(std::string_view key, std::uint64_t hash)
    {
        if (m_slots.empty())
            return nullptr;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = home(hash);; i = (i + 1) & mask)
        {
            Slot& slot = m_slots[i];
            if (slot.empty() || (slot.hash == hash && slot.entry.first == key))
                return &slot;
        }
    }

    void rehash(std::size_t capacity)
    {
        std::vector<Slot> old(capacity);
        old.swap(m_slots);
        m_shift = 64;
        for (std::size_t c = capacity; c > 1; c /= 2)
            --m_shift;
        const std::size_t mask = capacity - 1;
        for (Slot& slot : old)
        {
            if (slot.empty())
                continue;
            std::size_t i = home(slot.hash);
            while (!m_slots[i].empty())
                i = (i + 1) & mask;
            m_slots[i] = std::move(slot);
        }
    }

    std::string_view keep(std::string_view key)
    {
        if constexpr (!CopyKeys)
            return key.data() != nullptr ? key : std::string_view("", 0);
        else
        {
            // With a terminating zero, as a std::string's text has.
            const std::size_t bytes = key.size() + 1;
            char* text = nullptr;
            if (bytes > kBlockBytes / 4)
            {
                m_longKeys.push_back(std::make_unique_for_overwrite<char[]>(bytes));
                text = m_longKeys.back().get();
            }
            else
            {
                if (m_blocks.empty() || m_used + bytes > kBlockBytes)
                {
                    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
                    m_used = 0;
                }
                text = m_blocks.back().get() + m_used;
                m_used += bytes;
            }
            std::memcpy(text, key.data(), key.size());
            text[key.size()] = '\0';
            return {text, key.size()};
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
    unsigned m_shift = 64;
    // Blocks of kBlockBytes filled in turn; keys too long for them apart.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<std::unique_ptr<char[]>> m_longKeys;
    std::size_t m_used = 0;
};

} // namespace ovr
