// The Load Part sheet without its windows: the parts found in several
// libraries, the palette's rules, and what OK and Cancel leave behind.
#include "dialogs/forms/load_part_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/config_fixture.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/items/library.h"

namespace {

namespace fs = std::filesystem;

class LoadPartLogic : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        Services s;
        s.bell = [this] { ++bells; };
        install_services(s);
        if (!lib_list) init_Libraries();
        reset_part_search();
        // Three libraries of the example's parts under other names, and a
        // file that is no library.
        libs = dir.path() / "libs";
        fs::create_directories(libs);
        for (const char* name : {"analog.clb", "Basic.clb", "zeta.clb"})
            fs::copy_file(fs::path(TN_EXAMPLES_DIR) / "parts.clb", libs / name);
        tn_test::write_text((libs / "notes.txt").string(), "no library");
        proper_set(DIR_LIBRARY, libs.string(), 0);
    }
    void TearDown() override {
        free_open_libraries();
        ConfigTest::TearDown();
    }
    fs::path libs;
    int bells = 0;
};

TEST_F(LoadPartLogic, PartsOfEveryChosenLibraryInTheirOrder) {
    EXPECT_EQ(library_directory_files(),
              (std::vector<std::string>{"analog.clb", "Basic.clb", "zeta.clb"}));
    const std::vector<std::string> chosen = {"zeta.clb", "analog.clb", "Basic.clb"};
    ASSERT_TRUE(choose_libraries(chosen));
    EXPECT_EQ(stdlib_count(), 3);
    int total = 0;
    std::vector<FoundPart> found = search_parts(chosen, "*", &total);
    ASSERT_EQ(found.size(), 9u);
    EXPECT_EQ(total, 9);
    EXPECT_EQ(found[0].library, "zeta.clb");
    EXPECT_EQ(found[8].library, "Basic.clb");
    found = search_parts(chosen, "LM*", &total);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[1].library, "analog.clb");
    EXPECT_EQ(found[1].part, "LM358");
    EXPECT_TRUE(search_parts(chosen, "nothing*", &total).empty());
    EXPECT_EQ(total, 0);
    EXPECT_EQ(parts_found_text(12), "12       Part(s) Found");
}

TEST_F(LoadPartLogic, AtMostOneHundredLibrariesAreChosen) {
    std::vector<std::string> many;
    for (int i = 0; i < 101; ++i) many.push_back("lib" + std::to_string(i) + ".clb");
    EXPECT_FALSE(choose_libraries(many));
    EXPECT_EQ(bells, 1);
    EXPECT_EQ(stdlib_count(), 100);
    EXPECT_STREQ(stdlib_name(99), "lib99.clb");
}

TEST_F(LoadPartLogic, PaletteRowsAddMoveAndTheirBound) {
    std::vector<PaletteRow> rows;
    EXPECT_EQ(palette_add(&rows, {"parts.clb", "RES", false}), PaletteAdd::ADDED);
    // The same part again, whatever the letter case, only in its other form.
    EXPECT_EQ(palette_add(&rows, {"PARTS.CLB", "res", false}), PaletteAdd::PRESENT);
    EXPECT_EQ(palette_add(&rows, {"parts.clb", "RES", true}), PaletteAdd::ADDED);
    EXPECT_EQ(palette_add(&rows, {"parts.clb", "CAP", false}), PaletteAdd::ADDED);

    // Up and down: the first row cannot go up, the last cannot go down.
    EXPECT_FALSE(palette_can_move(rows, 0, -1));
    EXPECT_TRUE(palette_move(&rows, 1, -1));
    EXPECT_TRUE(rows[0].converted);
    EXPECT_FALSE(palette_can_move(rows, 0, -1)) << "moved to the top: up is off";
    EXPECT_TRUE(palette_move(&rows, 1, 1));
    EXPECT_EQ(rows[2].part, "RES");
    EXPECT_FALSE(palette_can_move(rows, 2, 1)) << "moved to the bottom: down is off";
    EXPECT_TRUE(palette_can_move(rows, 2, -1));
    EXPECT_FALSE(palette_move(&rows, -1, 1));

    // The rows are the palette's properties, C for the converted form.
    palette_store(rows);
    EXPECT_EQ(proper_get(NB_PART_PALETTE), 3);
    EXPECT_STREQ(strproper_get(PART_PALETTE_PART, 1), "CAP");
    EXPECT_EQ(proper_get(PART_PALETTE_CONV, 0), 1);
    EXPECT_STREQ(palette_form_cell(rows[0].converted), "C");
    EXPECT_EQ(palette_rows().size(), 3u);

    while (rows.size() < PALETTE_ROWS) rows.push_back({"l", "p" + std::to_string(rows.size())});
    EXPECT_EQ(palette_add(&rows, {"parts.clb", "NEW", false}), PaletteAdd::FULL);
    EXPECT_EQ(bells, 1);
    EXPECT_EQ(rows.size(), size_t{PALETTE_ROWS});
}

// Cancel gives back the palette and the standard libraries the sheet
// found, and the placement flags as the INI file has them; OK writes them.
TEST_F(LoadPartLogic, CancelRestoresWhatTheSheetChangedAndOkWritesIt) {
    proper_set(PLACE_CONVERTED, 0, PLACE_VPOWER, 1, 0);
    palette_store({{"parts.clb", "RES", false}});
    palette_write();
    choose_libraries({"parts.clb"});
    {
        LoadPartSheet sheet;
        choose_libraries({});
        palette_store({{"parts.clb", "CAP", true}, {"parts.clb", "LM358", false}});
        proper_set_live(PLACE_CONVERTED, 1, PLACE_VPOWER, 0, 0);
        sheet.sheet_cancel();
    }
    EXPECT_EQ(proper_get(NB_PART_PALETTE), 1);
    EXPECT_STREQ(strproper_get(PART_PALETTE_PART, 0), "RES");
    EXPECT_EQ(stdlib_count(), 1);
    EXPECT_EQ(proper_get(PLACE_CONVERTED), 0);
    EXPECT_EQ(proper_get(PLACE_VPOWER), 1);

    {
        LoadPartSheet sheet;
        palette_store({{"parts.clb", "CAP", true}});
        proper_set_live(PLACE_CONVERTED, 1, 0);
        sheet.apply_tab_pages();
    }
    reload();
    EXPECT_EQ(proper_get(PLACE_CONVERTED), 1);
    ASSERT_EQ(palette_rows().size(), 1u);
    EXPECT_EQ(palette_rows()[0].part, "CAP");
    EXPECT_TRUE(palette_rows()[0].converted);
}

}  // namespace
