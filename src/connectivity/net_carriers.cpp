// The parts of the carrier index that do not depend on the lines' table.
#include "connectivity/net_carriers.h"

#include <numeric>

size_t CellTable::slot(uint64_t key) const {
    size_t i = home(key);
    while (slots_[i].head != NONE && slots_[i].key() != key)
        if (++i == slots_.size()) i = 0;
    return i;
}

void CellTable::reserve(size_t count, size_t keys) {
    entries_.reserve(count);
    size_t size = keys + keys / 3 + 1;
    if (size > slots_.size()) grow(size);
}

void CellTable::clear() {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    entries_.clear();
    used_ = 0;
}

uint32_t CellTable::first(uint64_t key) const {
    if (slots_.empty()) return NONE;
    return slots_[slot(key)].head;
}

void CellTable::grow(size_t size) {
    std::vector<Slot> old = std::move(slots_);
    size = std::max<size_t>(256, size);
    slots_.assign(size, Slot{});
    for (const Slot& s : old)
        if (s.head != NONE) slots_[slot(s.key())] = s;
}

void CellTable::add(uint64_t key, uint32_t id) {
    if ((used_ + 1) * 4 > slots_.size() * 3) grow(slots_.size() + slots_.size() / 2);
    Slot& s = slots_[slot(key)];
    if (s.head == NONE) {
        s.key_lo = static_cast<uint32_t>(key);
        s.key_hi = static_cast<uint32_t>(key >> 32);
        ++used_;
    }
    // Past the room reserved the entries grow by half, not double: the
    // table is at its largest when it grows.
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() * 3 / 2 + 64);
    entries_.push_back(Entry{s.head, id});
    s.head = static_cast<uint32_t>(entries_.size() - 1);
}

namespace carriers {

SlopedKey sloped_key(Point a, Point b) {
    int64_t dx = int64_t{b.x} - a.x;
    int64_t dy = int64_t{b.y} - a.y;
    if (dx < 0) {
        dx = -dx;
        dy = -dy;
    }
    int64_t g = std::gcd(dx, dy < 0 ? -dy : dy);
    dx /= g;
    dy /= g;
    __int128 offset = static_cast<__int128>(a.x) * dy - static_cast<__int128>(a.y) * dx;
    return SlopedKey{dx, dy, offset};
}

std::size_t SlopedHash::operator()(const SlopedKey& k) const {
    uint64_t lo = static_cast<uint64_t>(k.offset);
    uint64_t hi = static_cast<uint64_t>(k.offset >> 64);
    uint64_t h = lo * 0x9E3779B97F4A7C15ull ^ hi;
    h ^= static_cast<uint64_t>(k.dx) * 0xC2B2AE3D27D4EB4Full + static_cast<uint64_t>(k.dy);
    return std::hash<uint64_t>()(h);
}

}  // namespace carriers
