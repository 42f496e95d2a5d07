// What the Statistics box counts, and that counting leaves the sheets as
// they were to the byte.
#include "dialogs/forms/statistics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor/undo.h"
#include "foundation/config_fixture.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"

namespace {

namespace fs = std::filesystem;

class Statistics : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        if (!lib_list) init_Libraries();
        for (const char* file : {"root.sch", "amplifier.sch", "parts.clb"})
            fs::copy_file(fs::path(TN_EXAMPLES_DIR) / file, dir.path() / file);
        proper_set(DIR_PROJECT, dir.path().string(), DIR_LIBRARY, dir.path().string(), 0);
        for (Schema** s : {&root, &amplifier}) *s = nullptr;
        ASSERT_EQ(load_schema_file(&root, dir.file("root.sch").c_str()), 0);
        ASSERT_EQ(load_schema_file(&amplifier, dir.file("amplifier.sch").c_str()), 0);
    }
    void TearDown() override {
        free_Schema(root, false);
        free_Schema(amplifier, false);
        free_open_libraries();
        ConfigTest::TearDown();
    }
    static std::vector<unsigned char> bytes(Schema* schema) {
        DocumentCopy copy;
        EXPECT_TRUE(keep_document_copy(&copy, schema));
        return copy.bytes;
    }
    Schema* root = nullptr;
    Schema* amplifier = nullptr;
};

TEST_F(Statistics, CountsOverTheOpenSheetsAndTheNetsOfTheCurrentOne) {
    const StatsCounts one = stats_counts(root, {root});
    const StatsCounts both = stats_counts(root, {root, amplifier});
    const StatsCounts other = stats_counts(amplifier, {amplifier});
    EXPECT_EQ(one.parts, 2);  // R1, C1
    EXPECT_EQ(one.subsheets, 1);
    EXPECT_GT(one.nets, 0);
    EXPECT_EQ(both.parts, one.parts + other.parts);
    EXPECT_EQ(both.pins, one.pins + other.pins);
    EXPECT_EQ(both.powers, one.powers + other.powers);
    EXPECT_EQ(both.subsheets, one.subsheets + other.subsheets);
    EXPECT_EQ(both.nets, one.nets) << "the nets are the current sheet's alone";
    EXPECT_EQ(stats_value_text(42), "      42");

    Schema* empty = nullptr;
    new_active_schema(&empty);
    const StatsCounts none = stats_counts(empty, {empty});
    EXPECT_EQ(none.parts + none.pins + none.powers + none.subsheets + none.nets, 0);
    free_Schema(empty, false);
}

TEST_F(Statistics, CountingLeavesEverySheetByteIdentical) {
    const std::vector<unsigned char> root_before = bytes(root), amp_before = bytes(amplifier);
    stats_counts(root, {root, amplifier});
    stats_counts(amplifier, {root, amplifier});
    EXPECT_TRUE(bytes(root) == root_before);
    EXPECT_TRUE(bytes(amplifier) == amp_before);
}

}  // namespace
