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
#include <vector>

template <class T>
class PointerSet {
public:
    // {p, true} when p was added, {p, false} when it was a member (or null).
    std::pair<T*, bool> insert(T* p) {
        if (!p) return {p, false};
        if ((size_ + 1) * 2 > slots_.size()) grow();
        size_t at = home(p);
        while (slots_[at]) {
            if (slots_[at] == p) return {p, false};
            at = (at + 1) & mask();
        }
        slots_[at] = p;
        ++size_;
        return {p, true};
    }
    size_t count(const T* p) const { return p && find(p) != NONE ? 1 : 0; }
    size_t erase(const T* p) {
        size_t at = p ? find(p) : NONE;
        if (at == NONE) return 0;
        // Backward shift: the members after the hole that would not be found
        // past it move into it.
        for (size_t next = (at + 1) & mask(); slots_[next]; next = (next + 1) & mask()) {
            const size_t wanted = home(slots_[next]);
            if (((next - wanted) & mask()) >= ((next - at) & mask())) {
                slots_[at] = slots_[next];
                at = next;
            }
        }
        slots_[at] = nullptr;
        --size_;
        return 1;
    }
    void clear() {
        if (slots_.size() > KEPT)
            slots_ = {};
        else
            slots_.assign(slots_.size(), nullptr);
        size_ = 0;
    }
    void reserve(size_t n) {
        while (n * 2 > slots_.size()) grow();
    }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    class iterator {
    public:
        iterator(T* const* at, T* const* end) : at_(at), end_(end) { skip(); }
        T* operator*() const { return *at_; }
        iterator& operator++() {
            ++at_;
            skip();
            return *this;
        }
        bool operator!=(const iterator& other) const { return at_ != other.at_; }

    private:
        void skip() {
            while (at_ != end_ && !*at_) ++at_;
        }
        T* const* at_;
        T* const* end_;
    };
    iterator begin() const { return {slots_.data(), slots_.data() + slots_.size()}; }
    iterator end() const { return {slots_.data() + slots_.size(), slots_.data() + slots_.size()}; }

private:
    static constexpr size_t NONE = SIZE_MAX;
    static constexpr size_t KEPT = 1024;  // slots a clear keeps

    size_t mask() const { return slots_.size() - 1; }
    // The page a record lies in, scattered (the low bits of a product with
    // a large odd number would follow the low bits of the page alone),
    // above its offset in the page: records made one after another have
    // their slots side by side, so that the members of a sheet named in
    // list order fill and read the table in order, where scattered slots
    // would each cost a miss of the cache. The offset is also mixed with
    // the page (within its own 256 slots, keeping the order of a cache
    // line's): a small table, which sees the offset alone, must not put
    // records at the same offset of different pages in one slot.
    size_t home(const T* p) const {
        const auto address = uint64_t(reinterpret_cast<uintptr_t>(p));
        const uint64_t page = ((address >> 12) * 0x9E3779B97F4A7C15ULL) >> 40;
        return size_t(page << 8 | (((address >> 4) ^ page) & 0xFF)) & mask();
    }
    size_t find(const T* p) const {
        if (slots_.empty()) return NONE;
        for (size_t at = home(p); slots_[at]; at = (at + 1) & mask())
            if (slots_[at] == p) return at;
        return NONE;
    }
    void grow() {
        std::vector<T*> old = std::move(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, nullptr);
        size_ = 0;
        for (T* p : old)
            if (p) insert(p);
    }

    std::vector<T*> slots_;  // size a power of two, or empty
    size_t size_ = 0;
};
