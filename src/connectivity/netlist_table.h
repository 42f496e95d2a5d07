#pragma once
// The netlist writers' tables: FlatIndex (foundation/open_table.h) by
// reference and net name, which the writers compare ignoring case, and
// the arena that keeps the names those tables look at.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/open_table.h"

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

// Copies of names in large blocks that never move: views into them stay
// valid while the arena lives, however many names follow. Each copy ends in
// a NUL, so that it can also be used as a C string.
class NameArena {
public:
    // A copy of the name; the caller may shorten it (its view is then longer
    // than the C string), nothing else.
    char* copy(const char* name, size_t* length_out) {
        size_t length = std::strlen(name);
        if (blocks_.empty() || length + 1 > left_) {
            size_t size = std::max<size_t>(length + 1, BLOCK_SIZE);
            blocks_.emplace_back(new char[size]);
            used_ = 0;
            left_ = size;
        }
        char* copy = blocks_.back().get() + used_;
        std::memcpy(copy, name, length + 1);
        used_ += length + 1;
        left_ -= length + 1;
        *length_out = length;
        return copy;
    }
    std::string_view keep(const char* name) {
        size_t length = 0;
        char* kept = copy(name, &length);
        return {kept, length};
    }
    // Gives back the last copy made (nothing else may have been kept since).
    void drop_last(std::string_view copy) {
        used_ -= copy.size() + 1;
        left_ += copy.size() + 1;
    }

private:
    static constexpr size_t BLOCK_SIZE = size_t{1} << 16;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t used_ = 0, left_ = 0;
};
