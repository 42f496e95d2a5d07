#pragma once
// Streams and records shared by the item tests.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/items/item.h"
#include "support/test_env.h"

namespace items_test {

using Bytes = std::vector<unsigned char>;

using tn_test::bytes_written;
using tn_test::FileCloser;
using tn_test::rest_of;
using tn_test::stream_of;
using tn_test::StreamPtr;
using tn_test::text_written;

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
ItemPtr sample_fill();  // a line, an arc, a fill holding a circle, and a text
ItemPtr sample_junction();
ItemPtr sample_poly();

// Golden files under tests/data/model/items. With TN_UPDATE_GOLDEN=1 in the
// environment the file is (re)written from `actual` instead of compared;
// review the diff of the data folder before committing it.
void expect_golden(const std::string& name, const Bytes& actual);

}  // namespace items_test
