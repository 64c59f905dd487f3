#pragma once

// The table the prepare step numbers texts with: each distinct item (a line
// text, or a line's key) gets one small id, in the order items first come.

#include "engine/largeblock.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

namespace lindo {

// Open addressing over 64-bit slots, kept at most half full: a slot holds an
// item's 32-bit tag in its high half, which alone places it, and id + 1 in
// its low half (0 = empty). Items are not stored. For each id the table keeps
// the 32-bit reference it was given with the first item that had it, and the
// caller settles whether that item equals the one looked up; it is asked
// only when the tags match, which is rare but for equal items.
class TagTable {
public:
    // At least minSlots slots; the table doubles when half of them are used.
    // Room for the ids the slots take before that is made at once: grown as
    // they came, the list was copied a dozen times, and each new copy
    // faulted its pages in anew.
    explicit TagTable(std::size_t minSlots) : m_slots(std::bit_ceil(std::max(minSlots, kLeastSlots)), 0)
    {
        m_firsts.reserve(m_slots.size() / 2);
    }

    // Starts fetching the slot a tag lands on, so that the cache misses of a
    // run of lookups overlap instead of waiting one after another.
    void Prefetch(std::uint32_t tag) const { __builtin_prefetch(&m_slots[tag & (m_slots.size() - 1)]); }

    // The id of the item with this tag: the id of an equal item met before,
    // or the next id, which then keeps ref. same(firstRef) says whether the
    // item first given with firstRef equals the one looked up.
    template <typename Same>
    std::uint32_t Intern(std::uint32_t tag, std::uint32_t ref, Same &&same)
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = tag & mask;; at = (at + 1) & mask) {
            const std::uint64_t slot = m_slots[at];
            if (slot == 0) {
                const auto id = static_cast<std::uint32_t>(m_firsts.size());
                m_firsts.push_back(ref);
                m_slots[at] = (static_cast<std::uint64_t>(tag) << 32) | (id + 1u);
                if (m_firsts.size() * 2 > m_slots.size())
                    Grow();
                return id;
            }
            if (static_cast<std::uint32_t>(slot >> 32) == tag) {
                const std::uint32_t id = static_cast<std::uint32_t>(slot) - 1u;
                if (same(m_firsts[id]))
                    return id;
            }
        }
    }

    // The number of ids given.
    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_firsts.size()); }
    // The reference given with the first item of id.
    std::uint32_t FirstRef(std::uint32_t id) const { return m_firsts[id]; }

private:
    static constexpr std::size_t kLeastSlots = 1024;

    // Doubles the slots. The tag alone places a slot, so no item is looked
    // up again.
    void Grow()
    {
        LargeVector<std::uint64_t> old(m_slots.size() * 2, 0);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const std::uint64_t slot : old) {
            if (slot == 0)
                continue;
            std::size_t at = static_cast<std::uint32_t>(slot >> 32) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    LargeVector<std::uint64_t> m_slots;
    LargeVector<std::uint32_t> m_firsts; // by id: the reference given with its first item
};

} // namespace lindo
