// The document layer: saving and loading files (backups, the overwrite
// question, failures), window saves, file kinds, title-block files, the
// name stack and sub-sheets, and finding and placing library parts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/edit_state.h"
#include "model/documents/fonts.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema_file.h"
#include "model/documents/schema_samples.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/libmaint.h"
#include "model/items/library.h"
#include "model/items/library_samples.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "support/test_env.h"

using namespace sheet_test;
namespace fs = std::filesystem;

namespace {

class DocumentLayer : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        proper_set(DIR_PROJECT, dir_.path().string().c_str(), DIR_LIBRARY,
                   dir_.path().string().c_str(), 0);
    }
    void TearDown() override {
        free_open_libraries();
        stdlib_clear();
        set_progress_hook(nullptr);
        reset_part_search();
        clear_scripted_answers();
        SheetTest::TearDown();
    }

    std::string path(const std::string& name) const { return dir_.file(name); }
    bool exists(const std::string& name) const { return fs::exists(dir_.path() / name); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    tn_test::TempDir dir_;
};

SchemaPtr active_schema() {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    return SchemaPtr(schema);
}

SchemaPtr rich_document() {
    SchemaPtr schema = active_schema();
    schema_samples::add_rich_document(schema.get(), 10);
    return schema;
}

SchemaPtr load(const std::string& name, int* result) {
    Schema* schema = nullptr;
    *result = load_schema_file(&schema, name.c_str());
    return SchemaPtr(schema);
}

// --- files -----------------------------------------------------------------------------------

TEST_F(DocumentLayer, SaveAndLoadCompleteTheNameAndKeepTheOldFileAsBackup) {
    SchemaPtr rich = rich_document();
    ASSERT_EQ(save_schema_file(rich.get(), "sheet1", false), 0);  // in the project directory
    EXPECT_EQ(last_written_schema(), path("sheet1.sch"));
    EXPECT_EQ(schema_file_exists("sheet1"), 0);
    EXPECT_EQ(schema_file_exists("sheet2"), -1);
    Bytes first = tn_test::read_bytes(path("sheet1.sch"));

    int result = -9;
    SchemaPtr loaded = load("sheet1", &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(loaded->current, loaded->sheet);
    EXPECT_STREQ(loaded->library->name, "$ACTIVE$");
    EXPECT_EQ(loaded->sheet->items->count, rich->sheet->items->count);

    schema_set_field(loaded.get(), FIELD_TITLE, "Second");
    ASSERT_EQ(save_schema_file(loaded.get(), path("sheet1").c_str(), false), 0);
    EXPECT_EQ(tn_test::read_bytes(path("sheet1.BAK")), first);
    EXPECT_EQ(files(), (std::vector<std::string>{"sheet1.BAK", "sheet1.sch"}));

    EXPECT_EQ(save_schema_file(nullptr, "x", false), DOC_NO_SCHEMATIC);
    EXPECT_EQ(save_schema_window(nullptr, "x"), DOC_NO_SCHEMATIC);
    EXPECT_EQ(decompile_schema(nullptr, "x"), DOC_NO_SCHEMATIC);
}

TEST_F(DocumentLayer, DecliningTheOverwriteQuestionIsACancelThatWritesNothing) {
    SchemaPtr schema = rich_document();
    tn_test::write_text(path("kept.sch"), "old");
    tn_test::write_text(path("kept.asc"), "old");
    script_answers({ANSWER_CANCEL, ANSWER_CANCEL});
    EXPECT_EQ(save_schema_file(schema.get(), path("kept").c_str(), true), DOC_CANCELLED);
    EXPECT_EQ(last_written_schema(), "");
    EXPECT_EQ(decompile_schema(schema.get(), path("kept").c_str()), DOC_CANCELLED);
    EXPECT_EQ(tn_test::read_text(path("kept.sch")), "old");
    EXPECT_EQ(tn_test::read_text(path("kept.asc")), "old");
    EXPECT_EQ(files(), (std::vector<std::string>{"kept.asc", "kept.sch"}));

    script_answers({ANSWER_OK});
    EXPECT_EQ(save_schema_file(schema.get(), path("kept").c_str(), true), 0);
    EXPECT_EQ(tn_test::read_text(path("kept.BAK")), "old");
    // No question for a new file.
    script_answers({ANSWER_CANCEL});
    EXPECT_EQ(decompile_schema(schema.get(), path("fresh").c_str()), 0);
    EXPECT_EQ(tn_test::read_text(path("fresh.asc")).substr(0, 10), "(SCHEMATIC");
}

TEST_F(DocumentLayer, AFailedSaveKeepsTheOldFileAndLeavesNoBackup) {
    SchemaPtr schema = rich_document();
    tn_test::write_text(path("old.sch"), "old");
    // An entry whose part must be read from a library file that is gone.
    LibEntry* waiting = new_LibEntry();
    waiting->name.set("GONE");
    waiting->file_offset = 40;
    free_LibEntry(lib_insert_entry(schema->library, waiting));
    set_Library_file_name(schema->library, path("gone.clb").c_str());
    EXPECT_EQ(save_schema_file(schema.get(), path("old").c_str(), false), 64);
    EXPECT_EQ(tn_test::read_text(path("old.sch")), "old");
    EXPECT_EQ(files(), std::vector<std::string>{"old.sch"});
    EXPECT_EQ(save_schema_file(schema.get(), path("no/such/dir/x").c_str(), false),
              DOC_CANNOT_CREATE);
}

struct LoadCase {
    const char* what;
    int result;
};

class LoadFailures : public DocumentLayer, public testing::WithParamInterface<LoadCase> {};

// Every failure but a missing file frees the schema; a missing file leaves
// it alone.
TEST_P(LoadFailures, GiveTheirCodes) {
    SchemaPtr rich = rich_document();
    Bytes bytes = bytes_written([&](FILE* f) { write_Schema(rich.get(), f, 0); });
    const std::string what = GetParam().what;
    if (what == "cut")
        bytes.resize(bytes.size() / 2);
    else if (what == "cut before the end")
        bytes.pop_back();
    else if (what == "wrong final byte")
        bytes.back() = 0x41;
    else if (what == "library")
        bytes = tn_test::read_bytes(tn_test::data_path("model/items/library_sample.bin"));
    if (what == "a folder")
        fs::create_directory(path("f.sch"));
    else if (what != "missing")
        tn_test::write_bytes(path("f.sch"), bytes);
    Schema* schema = nullptr;
    new_active_schema(&schema);
    Schema* before = schema;
    int result = load_schema_file(&schema, path("f").c_str());
    EXPECT_EQ(result, GetParam().result);
    if (result == DOC_CANNOT_OPEN)
        EXPECT_EQ(schema, before);
    else
        EXPECT_EQ(schema, nullptr);
    free_Schema(schema, false);
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadFailures,
                         testing::Values(LoadCase{"missing", DOC_CANNOT_OPEN},
                                         LoadCase{"a folder", DOC_CANNOT_OPEN},
                                         LoadCase{"library", DOC_NOT_SCHEMATIC},
                                         LoadCase{"cut", DOC_PREMATURE_EOF},
                                         LoadCase{"cut before the end", DOC_PREMATURE_EOF},
                                         LoadCase{"wrong final byte", DOC_READ_ERROR}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (c == ' ') c = '_';
                             return name;
                         });

TEST_F(DocumentLayer, WindowSaveWritesWhatTheFilterAdmitsOrTheSelectionCatches) {
    SchemaPtr schema = rich_document();
    proper_set(EDIT_MODE, EDIT_FILTER_BUSES, 0);
    ASSERT_EQ(save_schema_window(schema.get(), path("buses").c_str()), 0);
    int result = -9;
    SchemaPtr buses = load(path("buses"), &result);
    ASSERT_EQ(result, 0);
    ASSERT_GT(buses->sheet->items->count, 0u);
    for (const SchItem* item : list_items<SchItem>(buses->sheet->items)) {
        ASSERT_EQ(item->type, LINE_ITEM);
        EXPECT_EQ(item->flags & STYLE_MASK, BUS);
    }

    // A polygon around the first bus of the every-kind items: only it.
    proper_set(EDIT_MODE, EDIT_FILTER_ALL, 0);
    View& view = schema->view;
    view.select = {{9000, 11000}, {21000, 11000}, {21000, 13000}, {9000, 13000}, {9000, 11000}};
    view.select_active = 1;
    ASSERT_EQ(save_schema_window(schema.get(), path("caught").c_str()), 0);
    SchemaPtr caught = load(path("caught"), &result);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(caught->sheet->items->count, 1u);
    EXPECT_EQ(caught->ports, nullptr);

    // A polygon that catches nothing writes nothing.
    view.select = {{-900000, -900000}, {-800000, -900000}, {-800000, -800000}, {-900000, -900000}};
    EXPECT_EQ(save_schema_window(schema.get(), path("none").c_str()), DOC_WINDOW_EMPTY);
    EXPECT_FALSE(exists("none.sch"));
    for (const SchItem* item : list_items<SchItem>(schema->sheet->items))
        EXPECT_EQ(item->state & (STATE_SELECTED | STATE_WINDOW_SAVE), 0u);
}

struct KindCase {
    std::string file;
    std::string header;
    int end;
    int kind;
};

class FileKinds : public DocumentLayer, public testing::WithParamInterface<KindCase> {};

TEST_P(FileKinds, AreReadFromTheHeader) {
    const KindCase& c = GetParam();
    std::string text = "@" + c.header;
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    if (c.end >= 0) bytes.push_back(static_cast<unsigned char>(c.end));
    tn_test::write_bytes(path(c.file), bytes);
    EXPECT_EQ(get_file_kind(path("doc").c_str()), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, FileKinds,
    testing::Values(KindCase{"doc.sch", "Tessaron * Schema File", 0x1A, FILE_KIND_SCHEMA},
                    KindCase{"doc.sch", "Library and Schema", 0x1A, FILE_KIND_SCHEMA},
                    KindCase{"doc.sch", "x * Title Block File", 0x1A, FILE_KIND_TITLEBLOCK},
                    KindCase{"doc.clb", "x * Library File", 0x1A, FILE_KIND_LIBRARY},
                    KindCase{"doc.sch", "x * Schema File", 0x1B, FILE_KIND_NONE},
                    KindCase{"doc.sch", "Netlist", 0x1A, FILE_KIND_NONE},
                    KindCase{"other.sch", "x * Schema File", 0x1A, FILE_KIND_NONE}));

TEST_F(DocumentLayer, TitleBlockFilesLoadOnlyWhenWhole) {
    SchemaPtr source = active_schema();
    add_titleblock(source.get());
    ASSERT_EQ(save_titleblock_file("frame", source.get()), 0);
    ASSERT_TRUE(exists("frame.tbl"));

    SchemaPtr target = active_schema();
    EXPECT_TRUE(titleblock_is_empty(target.get()));
    ASSERT_EQ(load_titleblock_file("frame", target.get()), 0);
    EXPECT_EQ(target->titleblock.drawing->count, source->titleblock.drawing->count);
    EXPECT_EQ(target->titleblock.fields->count, 3u);
    EXPECT_TRUE(titleblock_bounds(source.get()));
    EXPECT_EQ(target->titleblock.bounds, source->titleblock.bounds);
    EXPECT_FALSE(titleblock_is_empty(target.get()));

    Bytes whole = tn_test::read_bytes(path("frame.tbl"));
    const uint32_t drawing = target->titleblock.drawing->count;
    tn_test::write_bytes(path("cut.tbl"), Bytes(whole.begin(), whole.end() - 3));
    EXPECT_EQ(load_titleblock_file("cut", target.get()), DOC_PREMATURE_EOF);
    tn_test::write_bytes(path("other.tbl"), Bytes{'@', 'x', 0, 0x1A, 'q'});
    EXPECT_EQ(load_titleblock_file("other", target.get()), DOC_READ_ERROR);
    EXPECT_EQ(load_titleblock_file("missing", target.get()), DOC_CANNOT_OPEN);
    EXPECT_EQ(target->titleblock.drawing->count, drawing);
}

std::vector<std::string> decompile_lines;
void keep_line(const char* format, ...) { decompile_lines.emplace_back(format); }

TEST_F(DocumentLayer, TitleBlockSourceIsReportedWhenVerbose) {
    SchemaPtr schema = active_schema();
    add_titleblock(schema.get());
    proper_set(DECOMPTMPL_VERBOSE, 1, 0);
    decompile_lines.clear();
    ASSERT_EQ(decompile_titleblock(schema.get(), "frame", keep_line), 0);
    EXPECT_EQ(tn_test::read_text(path("frame.asc")).substr(0, 11), "(TITLEBLOCK");
    EXPECT_EQ(decompile_lines,
              (std::vector<std::string>{
                  "Opening Ascii Title Block File...\n", "Writing Ascii Title Block File...\n",
                  "Closing Ascii Title Block File...\n", "Decompile Title Block Done.\n"}));
    script_answers({ANSWER_CANCEL});
    EXPECT_EQ(decompile_titleblock(schema.get(), "frame", keep_line), DOC_CANCELLED);
    EXPECT_EQ(decompile_titleblock(nullptr, "frame", keep_line), DOC_NO_SCHEMATIC);
}

// --- the name stack and sub-sheets ------------------------------------------------------------

SubSheet* add_box(Schema* schema, const char* file, int32_t height) {
    SubSheet* box = new_SubSheet();
    box->file_name = file;
    box->size = Point{6000, height};
    box->pos = Point{40000, 40000};
    Port* left = new_Port();
    left->name.set("IN");
    left->pos = Point{0, 2000};
    dlist_append(box->ports, left);
    Port* right = new_Port();
    right->name.set("OUT");
    right->flags = PORT_RIGHT | PORT_OUTPUT;
    right->pos = Point{6000, 6000};
    dlist_append(box->ports, right);
    dlist_append(schema->sheet->items, box);
    return box;
}

TEST_F(DocumentLayer, DescendingIntoANewSheetPlacesTheBoxPortsOnItsMargins) {
    SchemaPtr root = rich_document();
    ASSERT_EQ(save_schema_file(root.get(), path("root").c_str(), false), 0);
    SubSheet* box = add_box(root.get(), path("child").c_str(), 8000);
    NameStack* stack = new_NameStack(1);
    name_stack_reset(stack, path("root").c_str());
    Schema* schema = root.release();
    Point where{123, 456};
    ASSERT_EQ(descend_subsheet(&stack, &schema, box, &where), 0);
    EXPECT_EQ(name_stack_depth(stack), 2);
    EXPECT_EQ(name_stack_top(stack), path("child"));
    ASSERT_NE(schema->ports, nullptr);
    ASSERT_EQ(schema->ports->count, 2u);
    // A-size sheet W x H; headless ports measure nothing (width 0).
    const Point sheet = schema_sheet_extent(schema);
    const int64_t W = sheet.x, H = sheet.y;
    auto up = [](int64_t v) { return (v + 999) / 1000 * 1000; };
    const Port* in = static_cast<Port*>(schema->ports->head->data);
    const Port* out = static_cast<Port*>(schema->ports->tail->data);
    EXPECT_EQ(in->pos, (Point{static_cast<int32_t>(up(W / 10)),
                              static_cast<int32_t>(up(2000 * H / 8000 * 8 / 10 + H / 10))}));
    EXPECT_EQ(out->pos, (Point{static_cast<int32_t>(9 * W / 10 / 1000 * 1000),
                               static_cast<int32_t>(up(6000 * H / 8000 * 8 / 10 + H / 10))}));

    Point back{};
    ASSERT_EQ(ascend_sheet(stack, &schema, &back), 0);
    EXPECT_EQ(back, where);
    EXPECT_TRUE(name_stack_at_root(stack));
    EXPECT_EQ(ascend_sheet(stack, &schema, &back), DOC_AT_TOP);
    EXPECT_GT(schema->sheet->items->count, 10u);

    close_schema(stack, &schema);
    EXPECT_EQ(schema, nullptr);
    free_NameStack(stack);
}

TEST_F(DocumentLayer, SubSheetOpeningRules) {
    // A damaged child: the parent comes back and the code is given.
    SchemaPtr root = rich_document();
    ASSERT_EQ(save_schema_file(root.get(), path("root").c_str(), false), 0);
    tn_test::write_bytes(path("bad.sch"), Bytes{'@', 'x', 0, 0x1A, SCHEMA_TAG, 'b', 0});
    SubSheet* bad = add_box(root.get(), path("bad").c_str(), 8000);
    NameStack* stack = new_NameStack(1);
    name_stack_reset(stack, path("root").c_str());
    Schema* schema = root.release();
    Point where{};
    EXPECT_EQ(descend_subsheet(&stack, &schema, bad, &where), DOC_PREMATURE_EOF);
    ASSERT_NE(schema, nullptr);
    EXPECT_TRUE(name_stack_at_root(stack));
    EXPECT_GT(schema->sheet->items->count, 10u);

    // A box without a file name; a box of no height puts its ports at the top.
    SubSheet* unnamed = add_box(schema, "", 8000);
    EXPECT_EQ(descend_subsheet(&stack, &schema, unnamed, &where), DOC_NO_SUCH_FILE);
    EXPECT_EQ(open_subsheet_schema(&schema, unnamed), DOC_NO_SUCH_FILE);
    SubSheet* flat = add_box(schema, path("flat").c_str(), 0);
    Schema* child = nullptr;
    ASSERT_EQ(open_subsheet_schema(&child, flat), 0);
    const int32_t top = (schema_sheet_extent(child).y / 10 + 999) / 1000 * 1000;
    for (const Port* port : list_items<Port>(child->ports)) EXPECT_EQ(port->pos.y, top);
    EXPECT_EQ(flat->ports->count, 2u);  // the box keeps its own ports
    free_Schema(child, false);

    // An existing child file loads as it is.
    child = nullptr;
    SubSheet* again = add_box(schema, path("root").c_str(), 8000);
    ASSERT_EQ(open_subsheet_schema(&child, again), 0);
    EXPECT_GT(child->sheet->items->count, 10u);
    free_Schema(child, false);
    free_Schema(schema, false);
    free_NameStack(stack);
}

TEST_F(DocumentLayer, TheStackGrowsWhenFull) {
    SchemaPtr root = active_schema();
    NameStack* stack = new_NameStack(1);
    name_stack_reset(stack, "");
    Schema* schema = root.release();
    for (int depth = 1; depth <= 7; ++depth) {
        SubSheet* box = add_box(schema, path("s" + std::to_string(depth)).c_str(), 4000);
        Point where{depth, depth};
        ASSERT_EQ(descend_subsheet(&stack, &schema, box, &where), 0);
        EXPECT_EQ(name_stack_depth(stack), depth + 1);
    }
    EXPECT_GE(stack->slots.size(), 8u);
    free_Schema(schema, false);
    free_NameStack(stack);
}

// --- finding and placing parts ----------------------------------------------------------------

using library_samples::LibraryPtr;

std::vector<std::string> reports;
void keep_report(const char* text) { reports.emplace_back(text); }

class Parts : public DocumentLayer {
protected:
    // Four standard libraries: L0 and L2 hold only resistors, L1 and L3 the
    // sample library (7400 ... 7405, R versions; prefixes; fonts).
    void SetUp() override {
        DocumentLayer::SetUp();
        for (int i = 0; i < 4; ++i) {
            LibraryPtr library;
            if (i % 2) {
                library = library_samples::sample_library();
            } else {
                library.reset(new_Library());
                library_samples::add_entry(library.get(), "RES",
                                           library_samples::small_part("R", 1000));
            }
            std::string name = "L" + std::to_string(i);
            set_Library_name(library.get(), name.c_str());
            ASSERT_EQ(save_Library(path(name + ".clb").c_str(), library.get()), 0);
            ASSERT_EQ(stdlib_insert(name.c_str(), i), 0);
        }
        reports.clear();
        set_progress_hook(keep_report);
    }
};

TEST_F(Parts, SearchWithoutALibraryRotatesThroughTheStandardLibraries) {
    std::vector<LibPartRow> rows;
    std::string library;
    EXPECT_EQ(search_LibParts(nullptr, "74*", &rows, &library, false), 4);
    EXPECT_EQ(library, "L1");
    EXPECT_EQ(reports, (std::vector<std::string>{"Looking in L0...", "Looking in L1...",
                                                 "4 matching parts in L1..."}));
    reports.clear();
    EXPECT_EQ(search_LibParts(nullptr, "74*", &rows, &library, false), 4);
    EXPECT_EQ(library, "L3");
    EXPECT_EQ(reports, (std::vector<std::string>{"Looking in L2...", "Looking in L3...",
                                                 "4 matching parts in L3..."}));
    reports.clear();
    EXPECT_EQ(search_LibParts(nullptr, "nothing*", &rows, &library, false), 0);
    EXPECT_EQ(reports.size(), 5u);
    EXPECT_EQ(reports.front(), "Looking in L0...");
    EXPECT_EQ(reports.back(), "No matching parts");

    // A library named: only it when asked, else the others after it.
    EXPECT_EQ(search_LibParts("L0", "74*", &rows, &library, true), 0);
    EXPECT_EQ(search_LibParts("L0", "RES", &rows, &library, true), 1);
    EXPECT_EQ(library, "L0");
    EXPECT_EQ(search_LibParts("L2", "7400", &rows, &library, false), 1);
    EXPECT_EQ(library, "L1");
}

TEST_F(Parts, MatchesSortByPrefixThenRest) {
    std::vector<LibPartRow> rows;
    std::string library;
    ASSERT_EQ(search_LibParts("L1", "*", &rows, &library, true), 7);
    std::vector<std::string> order;
    for (const LibPartRow& row : rows) order.push_back(row.prefix + "|" + row.rest);
    // Prefixed names first (by rest, then prefix), plain names last.
    EXPECT_EQ(order, (std::vector<std::string>{"R|", "R|@10", "R|@2", "|7400", "|7404", "|7405",
                                               "|74LS00"}));
}

TEST_F(Parts, PlacingAPartKeepsOneOwnEntryPerVersion) {
    SchemaPtr schema = active_schema();
    PlacedPart* placed = nullptr;
    ASSERT_EQ(part_search_setup(schema.get(), "74LS00", nullptr, &placed), 0);
    EXPECT_STREQ(placed->part_name.get(), "L1/74LS00");
    EXPECT_STREQ(placed->reference.text.get(), "U?");
    EXPECT_STREQ(placed->value.text.get(), "74LS00");
    EXPECT_TRUE(placed->reference.flags & VIS);
    ASSERT_NE(placed->attributes, nullptr);
    EXPECT_EQ(placed->attributes->count, 2u);  // the entry's default fields
    EXPECT_EQ(reports.back(), "OK.");
    free_PlacedPart(schema.get(), placed, false);

    ASSERT_EQ(part_search_setup(schema.get(), "74LS00", "L1", &placed), 0);
    free_PlacedPart(schema.get(), placed, false);
    EXPECT_EQ(lib_entry_count(schema->library), 1u);

    // A changed part of the same name becomes the next version.
    Library* source = open_library_file("L1", 1);
    LibEntry* entry = find_LibEntry(source, "74LS00");
    for (const char* version : {"L1/74LS00@000001", "L1/74LS00@000002"}) {
        Part* changed = dup_Part(entry->part);
        changed->body.w += 1000;
        unref_Part(entry->part);
        entry->part = changed;
        ASSERT_EQ(setup_new_part(schema.get(), "L1", "74LS00", &placed, changed, entry), 0);
        EXPECT_STREQ(placed->part_name.get(), version);
        free_PlacedPart(schema.get(), placed, false);
    }
    EXPECT_EQ(lib_entry_count(schema->library), 3u);
    EXPECT_EQ(part_search_setup(schema.get(), "NOPE", nullptr, &placed), DOC_NO_SUCH_PART);
    EXPECT_EQ(placed, nullptr);
}

// Version numbers come from library files: the next one never wraps.
TEST(EntryVersions, CountUpAndStayInRange) {
    EXPECT_EQ(entry_next_version("L1/7400"), "L1/7400@000001");
    EXPECT_EQ(entry_next_version("L1/7400@000041"), "L1/7400@000042");
    EXPECT_EQ(entry_next_version("L1/7400@-7"), "L1/7400@000001");
    EXPECT_EQ(entry_next_version("L1/7400@99999999999999999999999"), "L1/7400@9223372036854775807");
}

// The own library takes the fonts of the source library; the source's part
// keeps its own font numbers.
TEST_F(Parts, PlacedPartFontsAreMergedWithoutTouchingTheSourceLibrary) {
    SchemaPtr schema = active_schema();
    schema->library->fonts = list_new();
    dlist_append(schema->library->fonts, library_samples::font(1, "Symbol", 300));
    PlacedPart* placed = nullptr;
    ASSERT_EQ(part_search_setup(schema.get(), "7404", "L1", &placed), 0);
    free_PlacedPart(schema.get(), placed, false);
    Library* source = open_library_file("L1", 1);
    Part* original = find_LibEntry(source, "7404")->part;
    Part* own = find_LibEntry(schema->library, "L1/7404")->part;
    ASSERT_NE(own, original);
    auto text_of = [](Part* part) { return static_cast<Text*>(part->normal->items->tail->data); };
    EXPECT_EQ(text_of(original)->font, 11);
    const int own_number = text_of(own)->font - FONT_ID_BASE;
    EXPECT_STREQ(font_find(schema->library->fonts, own_number)->face_name, "Arial");
}

TEST_F(Parts, ImportedNetLibraryPartsKeepTheirPinIds) {
    SchemaPtr schema = active_schema();
    LibraryPtr net(new_Library());
    Part* part = part_samples::sample_part().release();
    uint32_t id = 900;
    for (Pin* pin : list_items<Pin>(part->normal_pins->pins)) pin->id = ++id;
    library_samples::add_entry(net.get(), "L9/7400", part);
    ASSERT_TRUE(import_net_library(schema.get(), net.get()));
    LibEntry* own = find_LibEntry(schema->library, "L9/7400");
    ASSERT_NE(own, nullptr);
    id = 900;
    for (const Pin* pin : list_items<Pin>(own->part->normal_pins->pins)) EXPECT_EQ(pin->id, ++id);
    // A second import finds the entry there already.
    ASSERT_TRUE(import_net_library(schema.get(), net.get()));
    EXPECT_EQ(lib_entry_count(schema->library), 1u);
    // A sheet compiled from source names its parts without a library: the
    // entry keeps its name, and an own entry of that name takes its pin ids.
    library_samples::add_entry(schema->library, "RES", part_samples::sample_part().release());
    Part* loose = part_samples::sample_part().release();
    for (Pin* pin : list_items<Pin>(loose->normal_pins->pins)) pin->id = ++id;
    library_samples::add_entry(net.get(), "RES", loose);
    library_samples::add_entry(net.get(), "CAP", part_samples::sample_part().release());
    ASSERT_TRUE(import_net_library(schema.get(), net.get()));
    EXPECT_EQ(lib_entry_count(schema->library), 3u);
    ASSERT_NE(find_LibEntry(schema->library, "CAP"), nullptr);
    id = 900 + static_cast<uint32_t>(own->part->normal_pins->pins->count);
    for (const Pin* pin :
         list_items<Pin>(find_LibEntry(schema->library, "RES")->part->normal_pins->pins))
        EXPECT_EQ(pin->id, ++id);
}

struct ReferenceCase {
    const char* reference;
    bool no_device;
};

class References : public testing::TestWithParam<ReferenceCase> {};

TEST_P(References, HaveADeviceLetterOrNot) {
    EXPECT_EQ(ref_has_no_device(GetParam().reference), GetParam().no_device);
}

INSTANTIATE_TEST_SUITE_P(Cases, References,
                         testing::Values(ReferenceCase{"U12", true}, ReferenceCase{"U12'", true},
                                         ReferenceCase{"U12A", false},
                                         ReferenceCase{"U12''", false}, ReferenceCase{"R", true},
                                         ReferenceCase{"", true}));

TEST_F(DocumentLayer, PartsAreFoundByReferenceOneAfterAnother) {
    SchemaPtr schema = active_schema();
    add_library_part(schema.get(), "7400");  // two devices
    for (int i = 0; i < 3; ++i) {
        PlacedPart* pl = new_PlacedPart();
        pl->part_name.set("7400");
        pl->reference.text.set("U1");
        pl->device = i;
        if (i == 2) pl->state |= STATE_SELECTED;
        dlist_append(schema->sheet->items, pl);
    }
    DListNode* at = nullptr;
    EXPECT_NE(find_part_by_reference(schema.get(), &at, "U1", STATE_SELECTED), nullptr);
    EXPECT_NE(find_part_by_reference(schema.get(), &at, "U1", STATE_SELECTED), nullptr);
    EXPECT_EQ(find_part_by_reference(schema.get(), &at, "U1", STATE_SELECTED), nullptr);
    at = nullptr;
    PlacedPart* b = find_part_by_reference(schema.get(), &at, "U1B", 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->device, 1);
}

}  // namespace
