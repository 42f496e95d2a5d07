#pragma once
// Open addressing with linear probing: the one table behind the flat
// look-ups of the jobs and the editor (a design of a million parts asks for
// several look-ups a part, and a node-based map spends more on allocating
// and freeing its nodes, and on the cache misses of following them, than on
// the look-ups themselves).
//
// OpenTable holds the slots; a slot type says what it keeps and when it is
// empty, and the caller says where a key's probe starts (its home) and
// when a slot holds the key, so that each table keeps in its slot only
// what its look-ups need. Two slot kinds serve most tables:
// - FlatIndex: a key and the number filed under it (an index into the
//   caller's own vector), the key copied into the slot;
// - HashedIndex: the number of a text the caller keeps, with the text's
//   hash beside it, so that a look-up reads a filed text only when the
//   hashes agree and the table grows without reading any: once a table
//   outgrows the processor's cache every text read is a wait on memory.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// The one mixing function of the tables: a product with 2^64 over the
// golden ratio (odd). Its high bits depend on every bit of the key, its low
// bits only on the key's low bits: take the high ones.
constexpr uint64_t MIX_MULTIPLIER = 0x9E3779B97F4A7C15ull;
constexpr uint64_t mix_bits(uint64_t key) { return key * MIX_MULTIPLIER; }
// A mixed key folded to 32 bits, for a table that takes its low bits.
constexpr uint32_t mix_fold(uint64_t key) {
    const uint64_t h = mix_bits(key);
    return static_cast<uint32_t>(h ^ (h >> 32));
}
// A text's 64-bit hash folded to the 32 bits a HashedIndex slot keeps.
inline uint32_t text_hash(std::string_view text) {
    const uint64_t h = std::hash<std::string_view>()(text);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

// Slot: a small record whose value Slot{} is empty and whose empty() says
// so. Vector: the storage (a TableVector for the large tables). A table
// grows, when asked, to keep at most LoadPercent of its slots in use.
template <class Slot, class Vector = std::vector<Slot>, unsigned LoadPercent = 50>
class OpenTable {
public:
    static_assert(LoadPercent > 0 && LoadPercent < 100);

    // The first slot from `home` on (wrapping) that is empty or holds the
    // key (same(slot)): in a block of mask + 1 slots, a power of two.
    template <class Same>
    static size_t probe(const Slot* block, size_t mask, size_t home, Same same) {
        for (size_t at = home & mask;; at = (at + 1) & mask)
            if (block[at].empty() || same(block[at])) return at;
    }
    // The same in this table, which must have slots.
    template <class Same>
    size_t locate(size_t home, Same same) const {
        return probe(slots_.data(), slots_.size() - 1, home, same);
    }
    // An empty slot from `home` on.
    size_t vacant(size_t home) const {
        return locate(home, [](const Slot&) { return false; });
    }

    Slot& operator[](size_t at) { return slots_[at]; }
    const Slot& operator[](size_t at) const { return slots_[at]; }
    // Fills the empty slot `at`.
    void fill(size_t at, const Slot& slot) {
        slots_[at] = slot;
        ++used_;
    }
    size_t size() const { return used_; }
    size_t capacity() const { return slots_.size(); }
    bool has_slots() const { return !slots_.empty(); }
    const Vector& slots() const { return slots_; }

    // Whether `more` entries besides those filed fit within the load.
    bool fits(size_t more) const { return (used_ + more) * 100 <= slots_.size() * LoadPercent; }
    // Room for `more` entries besides those filed, at least `least` slots
    // (a power of two): the slots made anew when they grow, each entry
    // placed again from home(slot).
    template <class Home>
    void reserve(size_t more, size_t least, Home home) {
        if (fits(more) && (slots_.size() >= least || used_ + more == 0)) return;
        size_t size = std::max(least, slots_.size());
        while ((used_ + more) * 100 > size * LoadPercent) size *= 2;
        rebuild(size, home);
    }
    // Exactly `size` slots (a power of two, room for every entry), each
    // entry placed again from home(slot).
    template <class Home>
    void rebuild(size_t size, Home home) {
        Vector old(size, Slot{});
        old.swap(slots_);
        for (const Slot& slot : old)
            if (!slot.empty()) slots_[vacant(home(slot))] = slot;
    }
    // Empties the slot `at`, moving back each entry after it that would
    // otherwise no longer be found from its home (backward shift).
    template <class Home>
    void erase(size_t at, Home home) {
        const size_t mask = slots_.size() - 1;
        for (size_t next = (at + 1) & mask; !slots_[next].empty(); next = (next + 1) & mask) {
            const size_t wanted = home(slots_[next]) & mask;
            if (((next - wanted) & mask) >= ((next - at) & mask)) {
                slots_[at] = slots_[next];
                at = next;
            }
        }
        slots_[at] = Slot{};
        --used_;
    }
    // Empties the table; slots beyond `keep` go back.
    void clear(size_t keep) {
        if (slots_.size() > keep)
            Vector().swap(slots_);
        else
            std::fill(slots_.begin(), slots_.end(), Slot{});
        used_ = 0;
    }

private:
    Vector slots_;  // a power of two of them, or none
    size_t used_ = 0;
};

// Pointers and integers, mixed and folded: FlatIndex's default hash.
struct MixHash {
    template <class T>
    size_t operator()(T key) const {
        if constexpr (std::is_pointer_v<T>)
            return mix_fold(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key)));
        else
            return mix_fold(static_cast<uint64_t>(key));
    }
};

// Numbers by key. Keys are copied into the table, so they must stay valid
// while it lives (a string_view into a name the caller keeps, a pointer, an
// integer). Hash gives a key's hash, whose low bits the table takes.
template <class Key, class Hash = MixHash, class Equal = std::equal_to<Key>>
class FlatIndex {
public:
    explicit FlatIndex(size_t expected = 0) { reserve(expected); }

    // Room for `expected` keys without growing.
    void reserve(size_t expected) {
        if (expected > table_.size()) table_.reserve(expected - table_.size(), 16, home);
    }
    // The number stored for the key, or, when the key is new, `value` stored
    // for it; second tells whether it was new.
    std::pair<uint32_t, bool> insert(const Key& key, uint32_t value) {
        auto [stored, made] = insert_slot(key, value);
        return {*stored, made};
    }
    // As insert, with the place of the stored number (valid until the next
    // insertion), so that a caller may change it.
    std::pair<uint32_t*, bool> insert_slot(const Key& key, uint32_t value) {
        table_.reserve(1, 16, home);
        const size_t at = place(key);
        if (!table_[at].empty()) return {&table_[at].value, false};
        table_.fill(at, {key, value});
        return {&table_[at].value, true};
    }
    // The number stored for the key, or null.
    const uint32_t* find(const Key& key) const {
        if (!table_.has_slots()) return nullptr;
        const size_t at = place(key);
        return table_[at].empty() ? nullptr : &table_[at].value;
    }
    uint32_t* find(const Key& key) { return const_cast<uint32_t*>(std::as_const(*this).find(key)); }
    size_t size() const { return table_.size(); }

private:
    static constexpr uint32_t NONE = UINT32_MAX;
    struct Slot {
        Key key{};
        uint32_t value = NONE;  // NONE: an empty slot
        bool empty() const { return value == NONE; }
    };
    static size_t home(const Slot& slot) { return Hash{}(slot.key); }
    size_t place(const Key& key) const {
        return table_.locate(Hash{}(key), [&](const Slot& slot) { return Equal{}(slot.key, key); });
    }
    OpenTable<Slot, std::vector<Slot>, 66> table_;
};

// Numbers of texts the caller keeps, each slot with its text's hash
// (text_hash). A look-up compares a filed text (same(number)) only where
// the hashes agree. SlotVector: the storage, a vector of HashedSlot.
struct HashedSlot {
    static constexpr uint32_t NONE = UINT32_MAX;
    uint32_t number = NONE;  // NONE: an empty slot
    uint32_t hash = 0;
    bool empty() const { return number == NONE; }
};
template <class SlotVector = std::vector<HashedSlot>>
class HashedIndex {
public:
    static constexpr uint32_t NONE = HashedSlot::NONE;
    // The slot holding the text of this hash for which same(number)
    // holds, or the empty one where it would go.
    template <class Same>
    size_t locate(uint32_t hash, Same same) const {
        return table_.locate(
            hash, [&](const HashedSlot& slot) { return slot.hash == hash && same(slot.number); });
    }
    // The number filed at `at`, NONE when the slot is empty.
    uint32_t number_at(size_t at) const { return table_[at].number; }
    // Files the number in the empty slot `at` (found by locate).
    void fill(size_t at, uint32_t number, uint32_t hash) { table_.fill(at, {number, hash}); }
    // Files another number of the same text in the slot `at`.
    void renumber(size_t at, uint32_t number) { table_[at].number = number; }
    // Room for `more` texts besides those filed, at least `least` slots;
    // grows from the hashes kept, reading no text.
    void reserve(size_t more, size_t least) {
        table_.reserve(more, least, [](const HashedSlot& slot) { return slot.hash; });
    }
    bool has_slots() const { return table_.has_slots(); }

private:
    OpenTable<HashedSlot, SlotVector> table_;
};
