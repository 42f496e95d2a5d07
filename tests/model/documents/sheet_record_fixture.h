#pragma once
// What the tests of placed parts, powers, ports and sub-sheet boxes share:
// the configuration at its defaults, stable object ids, captured debug
// output, records that free themselves, a stand-in canvas that measures
// names, and a sweep over every cut of a record.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/owners.h"
#include "model/documents/record_io.h"
#include "model/documents/sheet_items.h"

namespace sheet_records {

using record_io::Bytes;
using record_io::StreamPtr;

template <class R>
using Own = Owner<R>;

// The stand-in canvas measures a name as CHAR_W per character wide and
// TEXT_H high, placed at the given position.
constexpr int32_t CHAR_W = 500;
constexpr int32_t TEXT_H = 1000;

class SheetRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        config_init_keys();
        config_set_defaults();
        reset_object_ids(1);
        flagop_reset();
        Services s;
        s.debug_write = [this](const char* text) { debug += text; };
        install_services(s);
    }
    void TearDown() override {
        reset_services();
        config_set_defaults();
    }
    // Installs the stand-in canvas.
    void measure_names() {
        Services s;
        s.debug_write = [this](const char* text) { debug += text; };
        s.paint_zone_text_extent = [](View*, const char* text, int*, Point pos, Rect* out) {
            *out = {pos.x, pos.y, CHAR_W * static_cast<int32_t>(std::strlen(text)), TEXT_H};
            return true;
        };
        install_services(s);
    }

    std::string debug;
};

// Reads every proper cut of a record with `read` (a fresh record each
// time): a cut that leaves only optional parts out must read (0); every
// other cut must fail, never with NOT_MY_TAG and never as a success.
inline void expect_cuts_fail(const Bytes& record, const std::set<size_t>& whole,
                             const std::function<int(FILE*)>& read) {
    for (size_t cut = 1; cut < record.size(); ++cut) {
        StreamPtr stream = record_io::stream_of(Bytes(record.begin(), record.begin() + cut));
        int result = read(stream.get());
        if (whole.count(cut)) {
            EXPECT_EQ(result, 0) << "cut at " << cut;
        } else {
            EXPECT_NE(result, 0) << "cut at " << cut;
            EXPECT_NE(result, NOT_MY_TAG) << "cut at " << cut;
        }
    }
}

}  // namespace sheet_records
