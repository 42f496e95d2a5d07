#pragma once
// Streams and records shared by the item tests.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/items/item.h"

namespace items_test {

using Bytes = std::vector<unsigned char>;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<FILE, FileCloser>;

// A temporary file holding the bytes, positioned at its start.
StreamPtr stream_of(const Bytes& bytes);
// What `write` puts on a fresh temporary stream.
Bytes bytes_written(const std::function<void(FILE*)>& write);
std::string text_written(const std::function<void(FILE*)>& write);
// The bytes left after the stream's position.
Bytes rest_of(FILE* stream);

// An item that frees itself (free_Item).
struct ItemFree {
    void operator()(Item* item) const { free_Item(item); }
};
using ItemPtr = std::unique_ptr<Item, ItemFree>;

// Reads one record of the code its first byte names; the result of
// read_Item, the item (null for a tag no primitive has).
int read_one(const Bytes& bytes, ItemPtr* out);

// Records with every field set, the same on every call.
ItemPtr sample_line();
ItemPtr sample_arc();
ItemPtr sample_circle();
ItemPtr sample_rect();
ItemPtr sample_fill();  // a line, an arc and a fill holding a circle
ItemPtr sample_junction();
ItemPtr sample_poly();

// Golden files under tests/data/model/items. With TN_UPDATE_GOLDEN=1 in the
// environment the file is (re)written from `actual` instead of compared;
// review the diff of the data folder before committing it.
void expect_golden(const std::string& name, const Bytes& actual);

}  // namespace items_test
