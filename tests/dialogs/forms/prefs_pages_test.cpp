// The Preferences pages without their windows: the conversions of their
// controls, the bounded lists they edit, and the sheet's Apply, OK and
// Cancel against the live properties and the INI file.
#include "dialogs/forms/prefs_pages.h"
#include "dialogs/forms/process_forms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/config_fixture.h"
#include "foundation/properties.h"
#include "foundation/services.h"

namespace {

// Records what the sheet asks of the program.
class RecordingHost : public PrefsHost {
public:
    int sheet_size = -1;  // the current document's; -1: none
    std::vector<int> sizes_set;
    int reloads = 0, autosave_starts = 0, palette_resizes = 0, power_rebuilds = 0;

    void reload_view_options() override { ++reloads; }
    int document_sheet_size() override { return sheet_size; }
    void set_document_sheet_size(int size) override {
        sizes_set.push_back(size);
        sheet_size = size;
    }
    void autosave_start() override { ++autosave_starts; }
    void resize_palette() override { ++palette_resizes; }
    void power_symbols_refresh() override { ++power_rebuilds; }
};

class PrefsPages : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        Services s;
        s.debug_write = [this](const char* text) { warnings += text; };
        s.bell = [this] { ++bells; };
        install_services(s);
    }
    // Where the INI file holds the key, "" when it does not.
    std::string ini_value(const std::string& key) const {
        const std::string text = ini_text();
        const size_t at = text.find("\n" + key + "=");
        if (at == std::string::npos) return "";
        const size_t start = at + key.size() + 2;
        return text.substr(start, text.find('\n', start) - start);
    }
    const PrefRow& row(int page, int id) const {
        const PrefRow* r = prefs_row(page, id);
        EXPECT_NE(r, nullptr) << id;
        return *r;
    }

    RecordingHost host;
    int bells = 0;
};

TEST(PrefsConversions, ZoomCutButtonsAndLineWidths) {
    // The Zoom Cut Factor button counts the thresholds a value reaches.
    EXPECT_EQ(zoom_cut_position(0.3), 0);   // "25%"
    EXPECT_EQ(zoom_cut_position(0.25), 0);  // "25%"
    EXPECT_EQ(zoom_cut_position(0.5), 1);   // "50%"
    EXPECT_EQ(zoom_cut_position(3.0), 3);   // "200%"
    EXPECT_EQ(zoom_cut_position(70.0), 8);  // "6400%"

    // Widths in world units (10000 per inch) and their entries in points.
    EXPECT_EQ(width_from_choice(3), 138);  // 1 point
    EXPECT_EQ(width_choice_label(3), "1.00");
    EXPECT_EQ(width_choice_label(16), "12.00");
    EXPECT_EQ(width_choice_index(300), 6);  // 2.16 points: the 2.5-point entry
    EXPECT_EQ(width_choice_index(600), 8);  // 4.32 points: the 4-point entry
    EXPECT_EQ(width_choice_index(100000), WIDTH_CHOICES - 1);
    for (int i = 0; i < WIDTH_CHOICES; ++i)
        EXPECT_EQ(width_choice_index(width_from_choice(i)), i) << "entry " << i;
}

TEST_F(PrefsPages, PlainRowsShowAndChangeTheirProperties) {
    PrefsSheet sheet(host);
    PrefsState& state = sheet.state();

    // A radio group: the button of the value is checked; a click stores its value.
    proper_set(DEFAULT_JUNC_STYLE, 8, 0);
    EXPECT_EQ(prefs_row_value(row(PAGE_DRAWING, 1108), state).number, 1);
    EXPECT_EQ(prefs_row_value(row(PAGE_DRAWING, 1106), state).number, 0);
    prefs_row_changed(row(PAGE_DRAWING, 1106), 1, "", &state);
    EXPECT_EQ(proper_get(DEFAULT_JUNC_STYLE), 4);
    EXPECT_EQ(ini_value("DEFAULT_JUNC_STYLE"), "8") << "a change is live only";

    // Numbers: text that is not one reads as 0.
    prefs_row_changed(row(PAGE_DRAWING, 1102), 0, "250", &state);
    EXPECT_EQ(proper_get(RDELTA_X), 250);
    prefs_row_changed(row(PAGE_DRAWING, 1109), 0, "abc", &state);
    EXPECT_EQ(proper_get(RDELTA_Y), 0);
    // The label increment entry is the value less one.
    proper_set(RDELTA_L, 4, 0);
    EXPECT_EQ(prefs_row_value(row(PAGE_DRAWING, 1110), state).number, 3);

    // The selection filter's "everything" shows every kind checked; leaving
    // it keeps every kind but the one unchecked.
    proper_set(EDIT_MODE, 0x40000000, 0);
    EXPECT_EQ(prefs_row_value(row(PAGE_SELECT, 1019), state).number, 1);
    prefs_row_changed(row(PAGE_SELECT, 1019), 0, "", &state);
    EXPECT_EQ(proper_get(EDIT_MODE), 0xFFF & ~0x8);
    EXPECT_TRUE(sheet.page_command(PAGE_SELECT, DESELECT_ALL));
    EXPECT_EQ(proper_get(EDIT_MODE), 0);

    // Backups: the two choices follow the box.
    proper_set_live(BAK_FILE, 0, 0);
    EXPECT_FALSE(prefs_row_value(row(PAGE_MISC, 1016), state).enabled);
    EXPECT_TRUE(prefs_row_changed(row(PAGE_MISC, MISC_BAK_FILE), 1, "", &state));
    EXPECT_TRUE(prefs_row_value(row(PAGE_MISC, 1017), state).enabled);

    // "Append to Existing Log" is the opposite of clearing it.
    prefs_row_changed(row(PAGE_MISC, 1012), 1, "", &state);
    EXPECT_EQ(proper_get(CLEAR_LOGFILE), 0);

    // Visible at Scale: De-Select All clears the ten boxes.
    EXPECT_TRUE(sheet.page_command(PAGE_VISIBLE, VIS_DESELECT_ALL));
    EXPECT_EQ(proper_get(SCAL_VIS_TITLE), 0);
    EXPECT_EQ(proper_get(SCAL_VIS_PIN_NUM), 0);
}

// Apply stores the current page alone and becomes what Cancel returns to;
// OK stores every page that was opened, so that nothing confirmed is lost
// at the next start.
TEST_F(PrefsPages, ApplyOkAndCancel) {
    {
        PrefsSheet sheet(host);
        sheet.page_fill(PAGE_DRAWING);
        sheet.page_fill(PAGE_TEXT);
        prefs_row_changed(row(PAGE_DRAWING, 1117), 1, "", &sheet.state());  // grid lines
        text_kind_set_visible(7, 1);                                        // labels hidden
        sheet.apply(PAGE_DRAWING);
        EXPECT_EQ(ini_value("GRID_STYLE"), "0");
        EXPECT_EQ(ini_value("VISIBLE_LABEL"), "") << "Apply stored another page";
        EXPECT_EQ(host.reloads, 1);

        prefs_row_changed(row(PAGE_DRAWING, 1118), 1, "", &sheet.state());  // dots again
        sheet.sheet_cancel();
        EXPECT_EQ(proper_get(GRID_STYLE), 0) << "Cancel did not return to the applied state";
        EXPECT_EQ(proper_get(VISIBLE_LABEL), 1) << "an unapplied change survived Cancel";
    }
    {
        PrefsSheet sheet(host);
        sheet.page_fill(PAGE_VISIBLE);
        sheet.page_fill(PAGE_MISC);
        prefs_row_changed(row(PAGE_VISIBLE, 1057), 1, "", &sheet.state());
        prefs_row_changed(row(PAGE_MISC, 1005), 1, "", &sheet.state());
        // Not opened: a live value of its page is not the sheet's to store.
        proper_set_live(EDIT_MODE, 5, 0);
        sheet.ok();
        EXPECT_EQ(ini_value("ZOOM_CUT"), "64.000000");
        EXPECT_EQ(ini_value("SHOW_WERC"), "True");
        EXPECT_EQ(ini_value("EDIT_MODE"), "");
    }
    reload();
    EXPECT_EQ(fproper_get(ZOOM_CUT), 64.0);
    EXPECT_EQ(proper_get(SHOW_WERC), 1);
    EXPECT_EQ(proper_get(GRID_STYLE), 0);
}

// The document takes the sheet size shown only when a size field changed:
// the palette size field leaves it alone.
TEST_F(PrefsPages, MiscPageSheetSizeAndPaletteSize) {
    proper_set(SHEET_SIZE, 0, SHOW_PART_PALETTE, 1, 0);
    host.sheet_size = 3;
    {
        PrefsSheet sheet(host);
        sheet.page_fill(PAGE_MISC);
        EXPECT_EQ(prefs_row_value(row(PAGE_MISC, 1011), sheet.state()).number, 3)
            << "the Type is the document's size";
        EXPECT_EQ(prefs_row_value(row(PAGE_MISC, 1009), sheet.state()).text,
                  std::to_string(proper_get(SIZE_SHEETW, 3)));
        prefs_row_changed(row(PAGE_MISC, 1130), 0, "500", &sheet.state());
        sheet.ok();
    }
    EXPECT_TRUE(host.sizes_set.empty()) << "the palette size changed the document";
    EXPECT_EQ(proper_get(PARTPAL_SIZE), 200) << "the palette size is kept to 20..200";
    EXPECT_EQ(ini_value("PARTPAL_SIZE"), "200");
    EXPECT_EQ(host.palette_resizes, 1);

    {
        PrefsSheet sheet(host);
        sheet.page_fill(PAGE_MISC);
        prefs_row_changed(row(PAGE_MISC, 1011), 5, "", &sheet.state());  // A4
        prefs_row_changed(row(PAGE_MISC, 1009), 0, "11700", &sheet.state());
        sheet.apply(PAGE_MISC);
        EXPECT_EQ(ini_value("SIZE_SHEETW_5"), "11700");
        sheet.ok();
    }
    EXPECT_EQ(host.sizes_set, std::vector<int>{5}) << "one change, one new size";
    EXPECT_EQ(ini_value("SHEET_SIZE"), "5");
}

TEST_F(PrefsPages, TextKindsFontsVisibilityAndTheBorderText) {
    for (const TextKind& kind : TEXT_KINDS) proper_set(kind.font_property, 0, 0);
    proper_set(FONT_LABEL, 12, 0);
    // A font chosen for the pin numbers goes to every kind still on the
    // built-in font, the border text excepted.
    text_kind_set_font(0, 15);
    for (int r = 0; r < TEXT_KIND_COUNT; ++r) {
        const int expected = r == 11 ? 0 : TEXT_KINDS[r].font_property == FONT_LABEL ? 12 : 15;
        EXPECT_EQ(text_kind_font(r), expected) << TEXT_KINDS[r].label;
    }
    text_kind_set_font(1, 16);
    EXPECT_EQ(text_kind_font(2), 15) << "only the first row's font is passed on";
    EXPECT_EQ(text_font_describe(11), "Built-in");

    EXPECT_EQ(text_visible_cell(4), "N/A");
    text_kind_set_visible(3, 1);
    EXPECT_EQ(proper_get(VISIBLE_FIELDS, 1), 0);
    EXPECT_EQ(text_visible_cell(3), "No");
    text_kind_set_visible(4, 1);  // no visibility: nothing

    // The border text's font and colour are stored with the page.
    PrefsSheet sheet(host);
    sheet.page_fill(PAGE_TEXT);
    text_kind_set_font(11, 17);
    text_kind_set_colour(11, 0x123456);
    sheet.apply(PAGE_TEXT);
    EXPECT_EQ(ini_value("FONT_BORDERTXT"), "17");
    EXPECT_EQ(ini_value("COLOR_BORDER"), "RGB(  86,  52,  18)");
    EXPECT_EQ(ini_value("VISIBLE_FIELDS_1"), "False");
}

TEST_F(PrefsPages, ObjectWidthsAndThePowerSymbols) {
    PrefsSheet sheet(host);
    sheet.page_fill(PAGE_OBJECTS);
    object_kind_set_width(0, 3, &sheet.state());  // wire: 1 point
    EXPECT_EQ(proper_get(WIDTH_WIRE), 138);
    sheet.apply(PAGE_OBJECTS);
    EXPECT_EQ(host.power_rebuilds, 0);
    object_kind_set_width(3, 8, &sheet.state());  // power objects: 4 points
    sheet.ok();
    EXPECT_EQ(host.power_rebuilds, 1);
    EXPECT_EQ(ini_value("WIDTH_WIRE"), "138");
    EXPECT_EQ(ini_value("WIDTH_POWEROBJ"), std::to_string(width_from_choice(8)));
}

TEST_F(PrefsPages, AttributeNamesAtTheirBounds) {
    // Without any name, the first one added is the first the page shows.
    EXPECT_TRUE(field_name_add("Tolerance"));
    EXPECT_EQ(user_field_names(), std::vector<std::string>{"Tolerance"});
    EXPECT_EQ(proper_get(NB_FIELD_NAME), 3);
    EXPECT_FALSE(field_name_add(""));

    // Delete and Edit need a name at that row.
    EXPECT_FALSE(field_name_delete(1));
    EXPECT_TRUE(field_name_rename("Footprint", 0));
    EXPECT_TRUE(field_name_add("Power"));
    EXPECT_TRUE(field_name_delete(0));
    EXPECT_EQ(user_field_names(), std::vector<std::string>{"Power"});
    EXPECT_STREQ(strproper_get(FIELD_NAME, 3), "") << "the old last slot stays filled";
    EXPECT_TRUE(field_name_delete(0));
    EXPECT_FALSE(field_name_delete(0));
    EXPECT_FALSE(field_name_rename("X", 0));

    // 256 names: the next is refused with the bell.
    for (int i = 2; i < FIELD_NAME_SLOTS; ++i) ASSERT_TRUE(field_name_add("n" + std::to_string(i)));
    EXPECT_EQ(bells, 0);
    EXPECT_FALSE(field_name_add("one too many"));
    EXPECT_EQ(bells, 1);
    EXPECT_EQ(proper_get(NB_FIELD_NAME), FIELD_NAME_SLOTS);

    PrefsSheet sheet(host);
    sheet.page_fill(PAGE_ATTRIBUTES);
    sheet.ok();
    EXPECT_EQ(ini_value("NB_FIELD_NAME"), "256");
    EXPECT_EQ(ini_value("FIELD_NAME_255"), "n255");
}

TEST_F(PrefsPages, DirectoryListsAddDeleteAndTheirBound) {
    const DirectoryList& libs = LIBRARY_DIRECTORIES;
    proper_set(NB_LIB, 0, 0);
    EXPECT_EQ(dir_list_add(libs, "/parts/std"), DirAdd::ADDED);
    EXPECT_EQ(dir_list_add(libs, "/parts/mine"), DirAdd::ADDED);
    // Another letter case is the same directory: not listed twice, but current.
    EXPECT_EQ(dir_list_add(libs, "/PARTS/STD"), DirAdd::LISTED);
    EXPECT_STREQ(strproper_get(DIR_LIBRARY), "/PARTS/STD");
    EXPECT_EQ(directory_list(libs), (std::vector<std::string>{"/parts/std", "/parts/mine"}));

    // Deleting takes the next entry as current, else the one before, else "".
    EXPECT_TRUE(dir_list_delete(libs, 0));
    EXPECT_STREQ(strproper_get(DIR_LIBRARY), "/parts/mine");
    EXPECT_FALSE(dir_list_delete(libs, 5));
    EXPECT_TRUE(dir_list_delete(libs, 0));
    EXPECT_STREQ(strproper_get(DIR_LIBRARY), "");
    EXPECT_TRUE(directory_list(libs).empty());

    for (int i = 0; i < DIRECTORY_SLOTS; ++i)
        ASSERT_EQ(dir_list_add(libs, "/d" + std::to_string(i)), DirAdd::ADDED);
    EXPECT_EQ(dir_list_add(libs, "/full"), DirAdd::FULL);
    EXPECT_EQ(bells, 1);
    EXPECT_EQ(proper_get(NB_LIB), DIRECTORY_SLOTS);
}

TEST_F(PrefsPages, OnlyAChangedDirectoryHasToExist) {
    proper_set(DIR_PROJECT, "/no/such/folder", DIR_LIBRARY, dir.path().string(), 0);
    PrefsSheet sheet(host);
    EXPECT_TRUE(file_locations_valid(sheet.state())) << "a folder as it was holds no one up";
    proper_set_live(DIR_PROJECT, "/no/such/other", 0);
    EXPECT_FALSE(file_locations_valid(sheet.state()));
    proper_set_live(DIR_PROJECT, dir.path().string(), 0);
    EXPECT_TRUE(file_locations_valid(sheet.state()));
}

// A colour control's id reaches its own setting and no other: the text
// rows by 800 + row, the swatches by their ids; a stranger reads 0.
TEST_F(PrefsPages, ColourControlsReachTheirSettings) {
    colour_of_control_set(TEXT_COLOUR_FIRST + 1, 0x123456);
    EXPECT_EQ(colour_of_control(TEXT_COLOUR_FIRST + 1), 0x123456u);
    EXPECT_EQ(text_kind_colour(1), 0x123456u);
    colour_of_control_set(1082, 0x00FF00);  // the wire's swatch
    EXPECT_EQ(static_cast<uint32_t>(proper_get(COLOR_WIRE)), 0x00FF00u);
    EXPECT_EQ(colour_of_control(1082), 0x00FF00u);
    const int32_t bus = proper_get(COLOR_BUS);
    colour_of_control_set(1059, 0xABCDEF);  // the wire's Size choice: no colour
    colour_of_control_set(TEXT_COLOUR_FIRST + TEXT_KIND_COUNT, 0xABCDEF);
    EXPECT_EQ(colour_of_control(1059), 0u);
    EXPECT_EQ(colour_of_control(TEXT_COLOUR_FIRST + TEXT_KIND_COUNT), 0u);
    EXPECT_EQ(proper_get(COLOR_BUS), bus);
    EXPECT_EQ(ini_value("COLOR_WIRE"), "") << "a swatch changes the live value only";
    // OK stores every page: the rows without a colour or a visibility (the
    // IEEE row, the texts without a flag) read and write nothing.
    PrefsSheet sheet(host);
    for (int page = 0; page < PREFS_PAGE_COUNT; ++page) sheet.page_fill(page);
    sheet.ok();
    EXPECT_EQ(ini_value("COLOR_WIRE"), "RGB(   0, 255,   0)");
    EXPECT_EQ(warnings, "");
}

TEST(PathComponents, NamesBetweenSeparatorsToTheEnd) {
    const char* cursor = "/usr//local/lib/";
    std::vector<std::string> names;
    while (std::optional<std::string> name = path_next_component(&cursor)) names.push_back(*name);
    EXPECT_EQ(names, (std::vector<std::string>{"usr", "local", "lib"}));
    cursor = "/";
    EXPECT_FALSE(path_next_component(&cursor));
    cursor = "";
    EXPECT_FALSE(path_next_component(&cursor));
}

// Every property the dialogs' tables read and write holds a value: asking
// for a number without one gives nothing and a debug line each time.
TEST(DialogTables, EveryPropertyTheyBindHoldsAValue) {
    auto holds = [](int id) { return id > 0 && property_info(id).kind != PropKind::NONE; };
    for (int page = 0; page < PREFS_PAGE_COUNT; ++page) {
        for (const PrefRow& row : prefs_page_rows(page)) {
            EXPECT_TRUE(row.property == 0 || holds(row.property)) << row.label;
            EXPECT_TRUE(row.enabled_by == 0 || holds(row.enabled_by)) << row.label;
        }
    }
    for (const ProcessDialog& d : process_dialogs) {
        for (int id : {d.suffix_property, d.wildcard_property, d.directory_property,
                       d.verbose_property, d.descend_property, d.file_property})
            EXPECT_TRUE(id == 0 || holds(id)) << d.title << " " << id;
    }
}

}  // namespace
