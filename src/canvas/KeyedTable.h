#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// Values by a key of N ints, in an open-addressing table: a lookup reads one or two
// neighbouring slots instead of following a chain of nodes scattered over the heap, which
// matters when a redraw looks up one figure per object among a hundred thousand.
// Values never move once stored: references stay valid until clear().
template <typename Value, std::size_t N> class KeyedTable {
public:
    using Key = std::array<int, N>;

    const Value* find(const Key& key) const {
        if (slots_.empty())
            return nullptr;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash(key) & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.index == 0)
                return nullptr;
            if (slot.key == key)
                return &values_[slot.index - 1];
        }
    }

    // Stores value under key, which must not be in the table yet.
    const Value& insert(const Key& key, Value value) {
        if (2 * (values_.size() + 1) > slots_.size())
            grow();
        values_.push_back(std::move(value));
        place(key, std::uint32_t(values_.size()));
        return values_.back();
    }

    void clear() {
        slots_.clear();
        values_.clear();
    }

    std::size_t size() const { return values_.size(); }

private:
    struct Slot {
        Key key{};
        std::uint32_t index = 0; // one past the value's place; 0: empty
    };

    static std::size_t hash(const Key& key) {
        std::uint64_t h = 0;
        for (int v : key)
            h = (h ^ std::uint32_t(v)) * 0x100000001B3u;
        // Keys differ in a few low bits: the final mix spreads them over every slot.
        h ^= h >> 31;
        h *= 0x9E3779B97F4A7C15u;
        return std::size_t(h ^ (h >> 29));
    }

    void place(const Key& key, std::uint32_t index) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash(key) & mask;
        while (slots_[i].index != 0)
            i = (i + 1) & mask;
        slots_[i] = Slot{key, index};
    }

    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
        for (const Slot& slot : old)
            if (slot.index != 0)
                place(slot.key, slot.index);
    }

    std::vector<Slot> slots_;
    std::deque<Value> values_;
};
