// What the library editor's dialogs show and do: Get Part, Place Body, Part
// Names, Part Info and Get Vector Definition.
#include <gtest/gtest.h>

#include "foundation/services.h"
#include "libedit/libedit_dialogs.h"
#include "libedit_fixture.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/vectors.h"
#include "support/test_env.h"

using namespace libedit_test;

namespace {

class DialogsTest : public LibEditTest {
protected:
    void SetUp() override {
        LibEditTest::SetUp();
        start(2);
    }
};

TEST_F(DialogsTest, GetPartFindsByPatternLoadsOrOffersToCreate) {
    add_part("B74", 1, 2000, 2000, false);
    add_part("A74", 1, 2000, 2000, false);
    add_part("C10", 1, 2000, 2000, false);
    EXPECT_EQ(libedit_scan_parts(lib(), "*"), (std::vector<std::string>{"A74", "B74", "C10"}));
    EXPECT_EQ(libedit_scan_parts(lib(), "?74"), (std::vector<std::string>{"A74", "B74"}));
    EXPECT_EQ(libedit_scan_parts(lib(), ""), libedit_scan_parts(lib(), "*"));
    EXPECT_TRUE(libedit_scan_parts(lib(), "Z*").empty());
    EXPECT_EQ(parts_found_text(3), "3 Part(s) Found");

    EXPECT_EQ(libedit_get_part(&ed, ""), GET_PART_NOTHING);
    EXPECT_EQ(libedit_get_part(&ed, "b74"), GET_PART_LOADED);
    EXPECT_STREQ(libedit_part_name(&ed), "b74");

    // A name the library lacks: No leaves the window as it was.
    script_answers({ANSWER_NO});
    EXPECT_EQ(libedit_get_part(&ed, "NEW1"), GET_PART_NO);
    EXPECT_EQ(last_box_text(), "No such Part. Ok to Create ?\n(Part NEW1)");
    EXPECT_STREQ(libedit_part_name(&ed), "b74");
    // Yes: the body placed next makes the part under that name.
    script_answers({ANSWER_YES});
    EXPECT_EQ(libedit_get_part(&ed, "NEW1"), GET_PART_CREATE);
    ASSERT_TRUE(libedit_place_body(&ed, 1, false));
    click(Point{13000, 13000});
    ASSERT_NE(find_LibEntry(lib(), "NEW1"), nullptr);
    EXPECT_STREQ(libedit_part_name(&ed), "NEW1");
    // Unsaved edits kept when the user says so.
    script_answers({ANSWER_NO});
    EXPECT_EQ(libedit_get_part(&ed, "C10"), GET_PART_KEPT);
    EXPECT_STREQ(libedit_part_name(&ed), "NEW1");
}

TEST_F(DialogsTest, PlaceBodyOffersZeroToSixteenDevices) {
    std::vector<std::string> rows = device_rows();
    ASSERT_EQ(rows.size(), 17u);
    EXPECT_EQ(rows[0], " 0");
    EXPECT_EQ(rows[9], " 9");
    EXPECT_EQ(rows[16], "16");
}

TEST_F(DialogsTest, PartNamesListsSortedTakesTheUndoCopyAndItsCloseBoxTakesBack) {
    add_part("ZETA", 1, 2000, 2000, false);
    get_part("ZETA");
    names_dialog_open(&ed);
    libedit_add_name(&ed, "ALPHA");
    EXPECT_EQ(names_dialog_fill(&ed), (std::vector<std::string>{"ALPHA", "ZETA"}));
    EXPECT_TRUE(host.undo_enabled);
    EXPECT_EQ(names_count_text(&ed), "2 Name(s) for this part");
    names_dialog_finish(&ed, false);
    EXPECT_EQ(find_LibEntry(lib(), "ALPHA"), nullptr);
    EXPECT_EQ(names_count_text(&ed), "1 Name(s) for this part");

    names_dialog_open(&ed);
    libedit_add_name(&ed, "ALPHA");
    names_dialog_finish(&ed, true);
    EXPECT_NE(find_LibEntry(lib(), "ALPHA"), nullptr);
}

TEST_F(DialogsTest, PartInfoShowsItsInitialValuesWithoutAPart) {
    ASSERT_EQ(part_info_labels().size(), 6u);
    EXPECT_EQ(part_info_values(&ed),
              (std::vector<std::string>{std::string(18, ' '), "0 X 0", "0", "0", "0", "1"}));
    add_part("P", 2, 3000, 1000, false);
    get_part("P");
    EXPECT_EQ(part_info_values(&ed)[1], "3000 X 1000   ");
}

TEST_F(DialogsTest, VectorSearchReadsAFileOrUsesTheWindowsOwnLibrary) {
    tn_test::TempDir dir;
    add_part("SRC", 1, 2000, 2000, false);
    add_part("SRC2", 1, 2000, 2000, false);
    const std::string file = dir.file("source.clb");
    set_Library_name(lib(), "source");
    ASSERT_EQ(save_Library(file.c_str(), lib()), 0);

    VectorSearch search;
    std::vector<std::string> names;
    // The window's library has the file's name: it is used, not a copy.
    ASSERT_EQ(libedit_vector_search(&ed, &search, file.c_str(), "", &names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"SRC", "SRC2"}));
    EXPECT_EQ(search.library, lib());
    EXPECT_TRUE(search.own);
    vector_search_drop(&search);
    EXPECT_EQ(lib_entry_count(lib()), 2u);  // never freed

    set_Library_name(lib(), "other");
    ASSERT_EQ(libedit_vector_search(&ed, &search, file.c_str(), "SRC", &names), 0);
    EXPECT_NE(search.library, lib());
    EXPECT_FALSE(search.own);
    EXPECT_EQ(names, (std::vector<std::string>{"SRC"}));
    // The next search drops the library kept.
    EXPECT_EQ(libedit_vector_search(&ed, &search, file.c_str(), "NOTHING", &names), 70);
    EXPECT_EQ(search.library, nullptr);
    EXPECT_EQ(libedit_vector_search(&ed, &search, dir.file("missing.clb").c_str(), "*", &names),
              63);
    EXPECT_TRUE(names.empty());
    vector_search_drop(&search);
}

}  // namespace
