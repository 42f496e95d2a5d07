// The parts of the carrier index that do not depend on the lines' table.
#include "connectivity/net_carriers.h"

#include <algorithm>
#include <bit>
#include <numeric>

uint32_t CellTable::new_block(uint32_t size) {
    std::vector<uint32_t>& spare = spare_[std::countr_zero(size)];
    if (!spare.empty()) {
        uint32_t base = spare.back();
        spare.pop_back();
        std::fill(slots_.begin() + base, slots_.begin() + base + size, Slot{});
        return base;
    }
    auto base = static_cast<uint32_t>(slots_.size());
    // Past the room reserved the blocks grow by half, not double.
    if (slots_.size() + size > slots_.capacity())
        slots_.reserve(slots_.size() + size + slots_.size() / 2 + 1024);
    slots_.resize(slots_.size() + size);
    return base;
}

void CellTable::grow_tile(Tile& tile) {
    const uint32_t old_base = tile.base, old_size = tile.mask + 1;
    tile.base = new_block(2 * old_size);
    tile.mask = 2 * old_size - 1;
    for (uint32_t i = 0; i < old_size; ++i) {
        const Slot s = slots_[old_base + i];
        if (s.head != NONE) slots_[slot_in(tile, s.local)] = s;
    }
    spare_[std::countr_zero(old_size)].push_back(old_base);
}

void CellTable::resize_tiles(size_t size) {
    tile_shift_ = 64 - std::countr_zero(size);
    tiles_.rebuild(size, [this](const Tile& t) { return tile_home(t.key); });
    last_tile_ = SIZE_MAX;
}

void CellTable::reserve(size_t count, size_t keys) {
    entries_.reserve(count);
    slots_.reserve(2 * keys + FIRST_BLOCK);
    // About a tile for every 64 keys, the tiles' table half full.
    size_t tiles = std::bit_ceil(std::max<size_t>(64, keys / 32));
    if (tiles > tiles_.capacity()) resize_tiles(tiles);
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
    uint64_t h = mix_bits(lo) ^ hi;
    h ^= static_cast<uint64_t>(k.dx) * 0xC2B2AE3D27D4EB4Full + static_cast<uint64_t>(k.dy);
    return std::hash<uint64_t>()(h);
}

}  // namespace carriers
