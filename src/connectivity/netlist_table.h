#pragma once
// Small open-addressing tables for the netlist writers: a design of n parts
// asks for several lookups per part and member, and node-based hash maps
// spend more on allocating and freeing their nodes than on the lookups.
//
// A FlatIndex maps keys to numbers (an index into the caller's own vector);
// keys are copied into the table, so they must stay valid while it lives (a
// string_view into a name the caller keeps, a pointer, an integer).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// ASCII case-insensitive hashing and equality of names, as the writers
// compare references and net names.
struct NoCaseHash {
    size_t operator()(std::string_view text) const {
        uint64_t h = 0xcbf29ce484222325ull;
        for (char c : text) {
            unsigned char u = static_cast<unsigned char>(c);
            if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u - 'A' + 'a');
            h = (h ^ u) * 0x100000001b3ull;
        }
        return static_cast<size_t>(h ^ (h >> 29));
    }
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            unsigned char x = static_cast<unsigned char>(a[i]);
            unsigned char y = static_cast<unsigned char>(b[i]);
            if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
            if (x != y) return false;
        }
        return true;
    }
};
// Pointers and integers: a multiplicative mix, the table takes the high bits.
struct MixHash {
    template <class T>
    size_t operator()(T key) const {
        uint64_t v;
        if constexpr (std::is_pointer_v<T>)
            v = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key));
        else
            v = static_cast<uint64_t>(key);
        v ^= v >> 33;
        v *= 0xff51afd7ed558ccdull;
        return static_cast<size_t>(v ^ (v >> 33));
    }
};

template <class Key, class Hash = MixHash, class Equal = std::equal_to<Key>>
class FlatIndex {
public:
    explicit FlatIndex(size_t expected = 0) { reserve(expected); }

    // Room for `expected` keys without growing.
    void reserve(size_t expected) {
        size_t want = 16;
        while (want < expected + expected / 2 + 1) want *= 2;
        if (want > slots_.size()) rehash(want);
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
        if ((count_ + 1) * 3 > slots_.size() * 2) rehash(slots_.size() * 2);
        size_t at = place(key);
        if (slots_[at].used) return {&slots_[at].value, false};
        slots_[at] = {key, value, true};
        ++count_;
        return {&slots_[at].value, true};
    }
    // The number stored for the key, or null.
    const uint32_t* find(const Key& key) const {
        size_t at = place(key);
        return slots_[at].used ? &slots_[at].value : nullptr;
    }
    uint32_t* find(const Key& key) {
        size_t at = place(key);
        return slots_[at].used ? &slots_[at].value : nullptr;
    }
    size_t size() const { return count_; }

private:
    struct Slot {
        Key key{};
        uint32_t value = 0;
        bool used = false;
    };
    std::vector<Slot> slots_;
    size_t count_ = 0;

    // The slot holding the key, or the free slot where it would go.
    size_t place(const Key& key) const {
        size_t mask = slots_.size() - 1;
        for (size_t at = Hash{}(key)&mask;; at = (at + 1) & mask)
            if (!slots_[at].used || Equal{}(slots_[at].key, key)) return at;
    }
    void rehash(size_t size) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(size, Slot{});
        for (Slot& slot : old)
            if (slot.used) slots_[place(slot.key)] = slot;
    }
};
