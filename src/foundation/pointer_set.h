#pragma once
// A set of record pointers in one flat table (open addressing, linear
// probing, at most half full). An edit of a whole sheet names hundreds of
// thousands of records: a node-based set would allocate, and later free,
// one node per member and miss the cache at each look-up.
//
// Null is never a member. Iteration visits the members in table order.
// clear() gives a large table back, so that the small sets of the edits
// that follow a large one cost nothing to empty.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "foundation/open_table.h"

template <class T>
class PointerSet {
public:
    // {p, true} when p was added, {p, false} when it was a member (or null).
    std::pair<T*, bool> insert(T* p) {
        if (!p) return {p, false};
        table_.reserve(1, 16, home_of);
        const size_t at = table_.locate(home(p), [p](const Slot& s) { return s.p == p; });
        if (!table_[at].empty()) return {p, false};
        table_.fill(at, {p});
        return {p, true};
    }
    size_t count(const T* p) const { return p && find(p) != NONE ? 1 : 0; }
    size_t erase(const T* p) {
        size_t at = p ? find(p) : NONE;
        if (at == NONE) return 0;
        table_.erase(at, home_of);
        return 1;
    }
    void clear() { table_.clear(KEPT); }
    void reserve(size_t n) {
        if (n > table_.size()) table_.reserve(n - table_.size(), 16, home_of);
    }
    size_t size() const { return table_.size(); }
    bool empty() const { return table_.size() == 0; }

    struct Slot {
        T* p = nullptr;
        bool empty() const { return !p; }
    };
    class iterator {
    public:
        iterator(const Slot* at, const Slot* end) : at_(at), end_(end) { skip(); }
        T* operator*() const { return at_->p; }
        iterator& operator++() {
            ++at_;
            skip();
            return *this;
        }
        bool operator!=(const iterator& other) const { return at_ != other.at_; }

    private:
        void skip() {
            while (at_ != end_ && !at_->p) ++at_;
        }
        const Slot* at_;
        const Slot* end_;
    };
    iterator begin() const {
        const Slot* slots = table_.slots().data();
        return {slots, slots + table_.capacity()};
    }
    iterator end() const {
        const Slot* last = table_.slots().data() + table_.capacity();
        return {last, last};
    }

private:
    static constexpr size_t NONE = SIZE_MAX;
    static constexpr size_t KEPT = 1024;  // slots a clear keeps

    // The page a record lies in, scattered (the low bits of a product with
    // a large odd number would follow the low bits of the page alone),
    // above its offset in the page: records made one after another have
    // their slots side by side, so that the members of a sheet named in
    // list order fill and read the table in order, where scattered slots
    // would each cost a miss of the cache. The offset is also mixed with
    // the page (within its own 256 slots, keeping the order of a cache
    // line's): a small table, which sees the offset alone, must not put
    // records at the same offset of different pages in one slot.
    static size_t home(const T* p) {
        const auto address = uint64_t(reinterpret_cast<uintptr_t>(p));
        const uint64_t page = mix_bits(address >> 12) >> 40;
        return size_t(page << 8 | (((address >> 4) ^ page) & 0xFF));
    }
    static size_t home_of(const Slot& slot) { return home(slot.p); }
    size_t find(const T* p) const {
        if (!table_.has_slots()) return NONE;
        const size_t at = table_.locate(home(p), [p](const Slot& s) { return s.p == p; });
        return table_[at].empty() ? NONE : at;
    }

    OpenTable<Slot> table_;  // at most half full
};
