// Batch conversions: library and sheet jobs, their report lines, derived
// output names, failures, and project sheet lists.
#include <gtest/gtest.h>

#include <cstdarg>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/subsheet.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/library_samples.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "support/test_env.h"

namespace {

using sheet_test::SchemaPtr;

std::string reported;
void capture(const char* format, ...) {
    va_list args;
    va_start(args, format);
    tn_test::append_vprintf(reported, format, args);
    va_end(args);
}

std::vector<std::string> names_of(const List* list) {
    std::vector<std::string> names;
    for (const char* name : list_items<const char>(list)) names.emplace_back(name);
    return names;
}

class BatchTest : public sheet_test::SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        init_Libraries();
        reported.clear();
        proper_set(DIR_PROJECT, dir_.path().string().c_str(), 0);
        proper_set(DIR_LIBRARY, dir_.path().string().c_str(), 0);
    }
    void TearDown() override {
        free_LibraryList(lib_list);
        lib_list = nullptr;
        clear_scripted_answers();
        SheetTest::TearDown();
    }
    std::string file(const char* name) const { return dir_.file(name); }
    bool exists(const char* name) const { return std::filesystem::exists(file(name)); }

    // A sheet file holding the given sub-sheet boxes and texts.
    void write_sheet(const char* name, const std::vector<const char*>& boxes,
                     const std::vector<const char*>& texts = {}) {
        SchemaPtr schema = sheet_of(boxes, texts);
        ASSERT_EQ(save_schema_file(schema.get(), file(name).c_str(), false), 0);
    }
    // Its source form.
    void write_source(const char* name, const std::vector<const char*>& boxes) {
        SchemaPtr schema = sheet_of(boxes, {});
        ASSERT_EQ(decompile_schema(schema.get(), file(name).c_str()), 0);
    }
    static SchemaPtr sheet_of(const std::vector<const char*>& boxes,
                              const std::vector<const char*>& texts) {
        SchemaPtr schema = sheet_test::make_schema();
        int y = 0;
        for (const char* box_file : boxes) {
            SubSheet* box = new_SubSheet();
            box->pos = Point{1000, y += 10000};
            box->size = Point{4000, 4000};
            box->file_name = box_file;
            box->sheet_name.set("BOX");
            dlist_append(schema->sheet->items, box);
        }
        for (const char* string : texts) {
            Text* text = new_Text();
            text->string = string;
            dlist_append(schema->sheet->items, text);
        }
        return schema;
    }

    tn_test::TempDir dir_;
};

// --- libraries ---------------------------------------------------------------------

// (The fixpoint tests check what the conversions keep.)
TEST_F(BatchTest, LibraryConversionsReportTheirSteps) {
    library_samples::LibraryPtr sample = library_samples::sample_library();
    ASSERT_EQ(save_Library(file("sample.clb").c_str(), sample.get()), 0);
    proper_set(DECOMP_VERBOSE, 1, COMPIL_VERBOSE, 1, 0);

    ASSERT_EQ(decompile_library(file("sample.clb").c_str(), "", capture), 0);
    EXPECT_TRUE(exists("sample.slb"));  // derived: suffix removed, source suffix added
    EXPECT_EQ(reported, "Loading binary library file " + file("sample.clb") +
                            "...\nWriting source library file... " + file("sample.slb") +
                            "\nConversion done\n");
    EXPECT_EQ(lib_list->libraries->count, 0u);  // read through a list of its own

    reported.clear();
    ASSERT_EQ(compile_library(file("sample.slb").c_str(), file("again.clb").c_str(), capture), 0);
    EXPECT_EQ(reported, "Parsing Library source file " + file("sample.slb") +
                            "...\nResolving Vector References\nWriting binary library file... " +
                            file("again.clb") + "\nConversion done.\n");
}

// A job says "done" only when it wrote its file, and a compile names the
// file it wrote, also when it reported errors while writing it.
TEST_F(BatchTest, LibraryJobsSayDoneOnlyWhenTheyWroteAndNameWhatTheyWrote) {
    proper_set(DECOMP_VERBOSE, 1, COMPIL_VERBOSE, 1, 0);
    EXPECT_EQ(decompile_library(file("none.clb").c_str(), "", capture), 63);
    EXPECT_EQ(reported, "Loading binary library file " + file("none.clb") + "...\n");

    tn_test::write_text(file("unresolved.slb"),
                        "(LIB 'u' (PARTS (LPART (PART (NORMAL (NORMALVECTOROF 'gone' ) ) )"
                        " (ALIAS (NAME 'P' ) ) ) ) )\n");
    std::string written = "stale";
    EXPECT_EQ(compile_library(file("unresolved.slb").c_str(), "", capture, &written), 74);
    EXPECT_EQ(written, file("unresolved.clb"));
    EXPECT_TRUE(exists("unresolved.clb"));
    EXPECT_EQ(compile_library(file("none.slb").c_str(), "", capture, &written), 51);
    EXPECT_EQ(written, "");
    tn_test::write_text(file("block.asc"), "(TITLEBLOCK (TITLE 'T' ) )\n");
    EXPECT_EQ(compile_titleblock(file("block.asc").c_str(), "", capture, &written), 0);
    EXPECT_EQ(written, file("block.tbl"));

    // A library held in memory (a sheet's own) is written under the
    // document's name.
    library_samples::LibraryPtr sample = library_samples::sample_library();
    reported.clear();
    EXPECT_EQ(decompile_library_of(sample.get(), file("sheet").c_str(), "", capture), 0);
    EXPECT_EQ(reported,
              "Writing source library file... " + file("sheet.slb") + "\nConversion done\n");
    Library* again = nullptr;
    ASSERT_EQ(compile_library_path(file("sheet.slb").c_str(), nullptr, &again), 0);
    EXPECT_NE(find_LibEntry(again, "74LS00"), nullptr);
    free_Library(again);
}

// The libraries shipped with the program: every pin of every part, on every
// body, ends on the default grid (its connection point and its body end),
// so that a wire drawn from grid point to grid point meets it.
TEST_F(BatchTest, EveryPinOfTheShippedLibrariesEndsOnTheDefaultGrid) {
    const int64_t grid = proper_get(GRID_SIZE);
    ASSERT_EQ(grid, 1000);
    auto on_grid = [&](Point p) { return p.x % grid == 0 && p.y % grid == 0; };
    int libraries = 0, pins = 0;
    for (const auto& shipped :
         std::filesystem::directory_iterator(TN_TEST_DATA_DIR "/../../examples")) {
        if (shipped.path().extension() != ".slb") continue;
        const std::string name = shipped.path().filename().string();
        SCOPED_TRACE(name);
        ++libraries;
        ASSERT_EQ(compile_library(shipped.path().c_str(), file("shipped.clb").c_str(), capture), 0);
        Library* library = new_Library();
        ASSERT_EQ(load_Library(library, file("shipped.clb").c_str(), false), 0);
        for (LibEntry* entry : lib_entries_in_order(library))
            for (PinList* list : {entry->part->normal_pins, entry->part->convert_pins})
                for (Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) {
                    ++pins;
                    Point outer, inner;
                    get_PinLine(pin, &outer, &inner);
                    EXPECT_TRUE(on_grid(pin->pos) && (pin->type == PWR || on_grid(outer)))
                        << entry->name.get() << " pin " << pin->name.get() << " at " << pin->pos.x
                        << "," << pin->pos.y << " ends at " << outer.x << "," << outer.y;
                }
        free_Library(library);
    }
    EXPECT_GT(libraries, 0);
    EXPECT_GT(pins, 0);
}

// Each job is silent without its VERBOSE property; failures are reported and
// returned, never taken for success.
struct JobCase {
    const char* what;
    int (*run)(const std::string& in, const std::string& out);
    const char* input;   // file in the test directory ("" none)
    const char* output;  // "" derived
    int expected;
};

int run_decompile_library(const std::string& in, const std::string& out) {
    return decompile_library(in.c_str(), out.c_str(), capture);
}
int run_compile_library(const std::string& in, const std::string& out) {
    return compile_library(in.c_str(), out.c_str(), capture);
}
int run_compile_titleblock(const std::string& in, const std::string& out) {
    return compile_titleblock(in.c_str(), out.c_str(), capture);
}
int run_list_library(const std::string& in, const std::string&) {
    return list_library(in.c_str(), capture, nullptr);
}

class JobFailures : public BatchTest, public testing::WithParamInterface<JobCase> {};

TEST_P(JobFailures, ReturnTheFailingStepsCode) {
    const JobCase& c = GetParam();
    proper_set(DECOMP_VERBOSE, 0, COMPIL_VERBOSE, 0, COMPTMPL_VERBOSE, 0, LIBLIST_VERBOSE, 0, 0);
    library_samples::LibraryPtr sample = library_samples::sample_library();
    ASSERT_EQ(save_Library(file("good.clb").c_str(), sample.get()), 0);
    ASSERT_EQ(asave_Library(file("good.slb").c_str(), sample.get()), 0);
    tn_test::write_text(file("bad.slb"), "(LIB 'x' (PARTS (LPART ) )\n");
    tn_test::write_text(file("unresolved.slb"),
                        "(LIB 'u' (PARTS (LPART (PART (NORMAL (NORMALVECTOROF 'gone' ) ) )"
                        " (ALIAS (NAME 'P' ) ) ) ) )\n");
    tn_test::write_text(file("bad.asc"), "(TITLEBLOCK (CONTROLS\n");
    tn_test::write_text(file("good.asc"), "(TITLEBLOCK (TITLE 'T' ) )\n");
    std::string out = *c.output ? file(c.output) : "";
    EXPECT_EQ(c.run(file(c.input), out), c.expected) << c.what;
    if (c.expected == 0) {
        EXPECT_EQ(reported, "") << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, JobFailures,
    testing::Values(
        JobCase{"decompile quiet", run_decompile_library, "good.clb", "", 0},
        JobCase{"decompile missing", run_decompile_library, "none.clb", "", 63},
        JobCase{"decompile unwritable", run_decompile_library, "good.clb", "no/dir/x", 50},
        JobCase{"compile quiet", run_compile_library, "good.slb", "", 0},
        JobCase{"compile missing", run_compile_library, "none.slb", "", 51},
        JobCase{"compile syntax", run_compile_library, "bad.slb", "", 8},
        JobCase{"compile unwritable", run_compile_library, "good.slb", "no/dir/x.clb", 50},
        JobCase{"compile unresolved first", run_compile_library, "unresolved.slb", "no/dir/x", 74},
        JobCase{"title block quiet", run_compile_titleblock, "good.asc", "", 0},
        JobCase{"title block missing", run_compile_titleblock, "none.asc", "", 51},
        JobCase{"title block syntax", run_compile_titleblock, "bad.asc", "", 8},
        JobCase{"title block unwritable", run_compile_titleblock, "good.asc", "no/dir/x", 50},
        JobCase{"list quiet", run_list_library, "good.clb", "", 0},
        JobCase{"list missing", run_list_library, "none.clb", "", 63}));

TEST_F(BatchTest, ListingNameComesFromThePropertyOrTheInput) {
    library_samples::LibraryPtr sample = library_samples::sample_library();
    ASSERT_EQ(save_Library(file("sample.clb").c_str(), sample.get()), 0);
    std::string name;
    proper_set(LIBLIST_VERBOSE, 1, 0);
    ASSERT_EQ(list_library(file("sample.clb").c_str(), capture, &name), 0);
    EXPECT_EQ(name, file("sample.lst"));
    EXPECT_TRUE(exists("sample.lst"));
    EXPECT_EQ(reported, "Loading binary library file " + file("sample.clb") +
                            "...\nCreating the listing " + file("sample") + "\n");
    proper_set(LIBLIST_OUTFILE, file("other").c_str(), 0);
    ASSERT_EQ(list_library(file("sample.clb").c_str(), capture, &name), 0);
    EXPECT_EQ(name, file("other.lst"));
    EXPECT_TRUE(exists("other.lst"));
}

// --- project sheet lists ------------------------------------------------------------

struct ProjCase {
    const char* text;
    std::vector<std::string> names;
};
class ProjNames : public testing::TestWithParam<ProjCase> {};
TEST_P(ProjNames, SplitAtCommasWithoutBlanks) {
    EXPECT_EQ(proj_path_names(GetParam().text), GetParam().names);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, ProjNames,
    testing::Values(ProjCase{"&PROJ:a.sch, b .sch ,,c", {"a.sch", "b.sch", "c"}},
                    ProjCase{"&proj:one", {"one"}}, ProjCase{"&PROJ:", {}}, ProjCase{"&PROJ", {}},
                    ProjCase{"PROJ:a", {}}, ProjCase{"", {}}));

TEST_F(BatchTest, TextIsProjPathOnlyForKindOne) {
    Text* text = new_Text();
    EXPECT_FALSE(text_is_proj_path(text, 1));
    text->string = "&Proj:x";
    EXPECT_TRUE(text_is_proj_path(text, 1));
    EXPECT_NE(text->layout, nullptr);  // laid out on the way
    EXPECT_FALSE(text_is_proj_path(text, 0));
    text->string = "&PRO:x";
    EXPECT_FALSE(text_is_proj_path(text, 1));
    free_Text(text, false);
}

TEST_F(BatchTest, ProjectSheetsAreListedOnceInOrderOfFinding) {
    // root -> a, b, a (twice) and &PROJ: c; a -> root (a loop); c -> b.
    write_sheet("root.sch", {"a.sch", "b.sch", "a.sch"}, {"&PROJ: c.sch"});
    write_sheet("a.sch", {"root.sch"});
    write_sheet("b.sch", {});
    write_sheet("c.sch", {"b.sch"});
    bool repeated = true;
    SheetListError error;
    List* sheets = list_project_sheets("root.sch", false, &repeated, &error);
    ASSERT_NE(sheets, nullptr);
    EXPECT_EQ(names_of(sheets), (std::vector<std::string>{"root.sch", "a.sch", "b.sch", "c.sch"}));
    EXPECT_TRUE(repeated);
    EXPECT_EQ(error.code, 0);
    free_name_list(sheets);

    sheets = list_project_sheets("b.sch", false, &repeated, &error);
    EXPECT_EQ(names_of(sheets), std::vector<std::string>{"b.sch"});
    EXPECT_FALSE(repeated);
    free_name_list(sheets);

    sheets = list_project_sheets("whatever.sch", true, &repeated, &error);
    EXPECT_EQ(names_of(sheets), std::vector<std::string>{"whatever.sch"});  // not loaded
    free_name_list(sheets);
}

TEST_F(BatchTest, AMissingSheetGivesNoListAndItsName) {
    write_sheet("root.sch", {"gone.sch"});
    SheetListError error;
    EXPECT_EQ(list_project_sheets("root.sch", false, nullptr, &error), nullptr);
    EXPECT_EQ(error.code, 85);
    EXPECT_EQ(error.name, "gone.sch");
}

TEST_F(BatchTest, TheListingHandsOverTheRootItLoadedAndNothingElse) {
    write_sheet("root.sch", {"a.sch"});
    write_sheet("a.sch", {"b.sch"});
    write_sheet("b.sch", {});
    Schema* root = nullptr;
    List* sheets = list_project_sheets("root.sch", false, nullptr, nullptr, &root);
    ASSERT_NE(root, nullptr);
    // The root's own box, not the last sheet loaded.
    int boxes = 0;
    for (SchItem* item : list_items<SchItem>(root->current->items))
        if (item->type == SUBSHEET_ITEM && as_SubSheet(item)->file_name == "a.sch") ++boxes;
    EXPECT_EQ(boxes, 1);
    close_schema(nullptr, &root);
    free_name_list(sheets);
    // Not loaded at all, or a failure: nothing to free.
    root = reinterpret_cast<Schema*>(1);
    free_name_list(list_project_sheets("root.sch", true, nullptr, nullptr, &root));
    EXPECT_EQ(root, nullptr);
    write_sheet("a.sch", {"gone.sch"});
    root = reinterpret_cast<Schema*>(1);
    EXPECT_EQ(list_project_sheets("root.sch", false, nullptr, nullptr, &root), nullptr);
    EXPECT_EQ(root, nullptr);
}

// --- sheet jobs ---------------------------------------------------------------------

TEST_F(BatchTest, CompileSheetsDescendsIntoEachSubSheetOnce) {
    write_source("root.asc", {"child.sch", "CHILD.SCH", "other.sch"});
    write_source("child.asc", {"root.sch"});
    write_source("other.asc", {});
    proper_set(COMPSHEET_VERBOSE, 1, 0);
    SheetList sheets;
    std::string name;
    ASSERT_EQ(compile_sheets("root", "", &sheets, &name, capture), 0);
    // root.sch, named by child, is the root's own source: compiled once.
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[0].name, "root");
    EXPECT_EQ(sheets[1].name, "child.sch");
    EXPECT_EQ(sheets[2].name, "other.sch");
    EXPECT_EQ(sheets[1].flag, 1);
    EXPECT_EQ(name, file("other.asc"));
    for (const char* compiled : {"root.sch", "child.sch", "other.sch"})
        EXPECT_TRUE(exists(compiled));
    std::string expected;
    for (const char* sheet : {"root", "child", "other"})
        expected += "Parsing Schema source file " + file(sheet) +
                    ".asc...\nResolving Vector References\nWriting binary Schema file " +
                    file(sheet) + ".sch...\n";
    EXPECT_EQ(reported, expected + "Conversion done.\n");

    // One sheet only; the output replaces the root's name.
    proper_set(COMPSHEET_HIER, 1, COMPSHEET_VERBOSE, 0, 0);
    reported.clear();
    ASSERT_EQ(compile_sheets("root", file("top").c_str(), &sheets, nullptr, capture), 0);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, file("top"));
    EXPECT_TRUE(exists("top.sch"));
    EXPECT_EQ(reported, "");
}

// A listing after a compile may take the names from what the compile job
// wrote, but must list exactly what loading the sheets would: a sheet
// written again since, or removed, is seen as it now is.
TEST_F(BatchTest, AListingAfterACompileSeesEverySheetAsItNowIs) {
    write_source("root.asc", {"a.sch", "b.sch"});
    write_source("a.asc", {"b.sch", "root.sch"});
    write_source("b.asc", {});
    ASSERT_EQ(compile_sheets("root", "", nullptr, nullptr, capture), 0);
    bool repeated = false;
    List* sheets = list_project_sheets("root.sch", false, &repeated);
    EXPECT_EQ(names_of(sheets), (std::vector<std::string>{"root.sch", "a.sch", "b.sch"}));
    EXPECT_TRUE(repeated);
    free_name_list(sheets);

    write_sheet("b.sch", {"c.sch"});
    write_sheet("c.sch", {});
    sheets = list_project_sheets("root.sch", false, &repeated);
    EXPECT_EQ(names_of(sheets), (std::vector<std::string>{"root.sch", "a.sch", "b.sch", "c.sch"}));
    free_name_list(sheets);

    std::filesystem::remove(file("a.sch"));
    SheetListError error;
    EXPECT_EQ(list_project_sheets("root.sch", false, nullptr, &error), nullptr);
    EXPECT_EQ(error.code, 85);
    EXPECT_EQ(error.name, "a.sch");
}

// A sheet whose only link is a "&PROJ:" text (in any letter case) names it
// after a compile as it does when loaded.
TEST_F(BatchTest, AListingAfterACompileKeepsTheProjTextsNames) {
    tn_test::write_text(
        file("root.asc"),
        "(SCHEMATIC (SHEET\n(TEXT 0 (POS 0 0 ) (SIZE 100 100 ) '&proj: c.sch' )\n) )");
    write_sheet("c.sch", {});
    ASSERT_EQ(compile_sheets("root", "", nullptr, nullptr, capture), 0);
    List* sheets = list_project_sheets("root.sch", false, nullptr);
    EXPECT_EQ(names_of(sheets), (std::vector<std::string>{"root.sch", "c.sch"}));
    free_name_list(sheets);
}

TEST_F(BatchTest, CompileSheetsStopsAtTheFirstFailure) {
    write_source("root.asc", {"child.sch", "other.sch"});
    tn_test::write_text(file("child.asc"), "(SCHEMATIC (SHEET\n");
    write_source("other.asc", {});
    proper_set(COMPSHEET_VERBOSE, 1, 0);
    SheetList sheets;
    std::string name;
    EXPECT_EQ(compile_sheets("root", "", &sheets, &name, capture), 8);
    ASSERT_EQ(sheets.size(), 1u);  // what was not compiled is dropped
    EXPECT_EQ(name, file("child.asc"));
    EXPECT_FALSE(exists("other.sch"));
    EXPECT_NE(reported.find("compil : Error : "), std::string::npos);
    EXPECT_EQ(reported.substr(reported.size() - 20), "Conversion aborted.\n");

    // A file that cannot be written is a failure too.
    reported.clear();
    EXPECT_EQ(compile_sheets("root", file("no/dir/x").c_str(), &sheets, nullptr, capture), 50);
    EXPECT_TRUE(sheets.empty());
    EXPECT_EQ(compile_sheets("none", "", &sheets, nullptr, capture), 51);
    EXPECT_NE(reported.find("Can't open file '" + file("none.asc") + "'\n"), std::string::npos);
}

TEST_F(BatchTest, LibraryArchiveWritesEachSheetsOwnLibrary) {
    {
        SchemaPtr schema = sheet_test::make_schema();
        sheet_test::add_library_part(schema.get(), "7400");
        ASSERT_EQ(save_schema_file(schema.get(), file("one.sch").c_str(), false), 0);
        sheet_test::add_library_part(schema.get(), "7404");
        ASSERT_EQ(save_schema_file(schema.get(), file("two.sch").c_str(), false), 0);
    }
    List* sheets = list_project_sheets("one.sch", true, nullptr);
    dlist_append(sheets, str_dup("two.sch"));
    proper_set(LIBARCH_VERBOSE, 1, 0);
    ASSERT_EQ(libarch("one.sch", "arch", capture, sheets), 0);
    EXPECT_EQ(reported, "Loading sheet file 'one.sch'...\nWriting binary library file '" +
                            file("arch.clb") + "'...\nLoading sheet file 'two.sch'...\n" +
                            "Writing binary library file '" + file("two.clb") +
                            "'...\nlibarch, done\n");
    Library* library = new_Library();
    ASSERT_EQ(load_Library(library, file("two.clb").c_str(), false), 0);
    EXPECT_EQ(lib_entry_count(library), 2u);
    free_Library(library);

    // A missing sheet ends the job with the load's code; declining the
    // overwrite question skips a sheet. The steps are reported also when
    // the job is not verbose; only the closing line is left out.
    reported.clear();
    proper_set(LIBARCH_VERBOSE, 0, 0);
    script_answers({ANSWER_CANCEL});
    dlist_append(sheets, str_dup("gone.sch"));
    EXPECT_EQ(libarch("one.sch", "arch", capture, sheets), DOC_CANNOT_OPEN);
    EXPECT_EQ(reported, "Loading sheet file 'two.sch'...\nWriting binary library file '" +
                            file("two.clb") + "'...\nLoading sheet file 'gone.sch'...\n");
    EXPECT_EQ(libarch("one.sch", file("no/dir/x").c_str(), capture, sheets), 50);
    free_name_list(sheets);
}

TEST_F(BatchTest, DecompileSheetsWritesSourcesAndStopsAtTheFirstFailure) {
    write_sheet("root.sch", {"a.sch"});
    write_sheet("a.sch", {});
    List* sheets = list_project_sheets("root.sch", false, nullptr);
    proper_set(PARTSCH_VERBOSE, 1, 0);
    ASSERT_EQ(decompile_sheets("root.sch", capture, sheets), 0);
    EXPECT_TRUE(exists("root.asc"));
    EXPECT_TRUE(exists("a.asc"));
    EXPECT_EQ(reported,
              "Loading sheet root.sch...\nWriting ascii schematic file root...\n"
              "Loading sheet a.sch...\nWriting ascii schematic file a...\n"
              "partsch, done\n");

    reported.clear();
    proper_set(PARTSCH_VERBOSE, 0, 0);
    dlist_append(sheets, str_dup("gone.sch"));
    EXPECT_EQ(decompile_sheets("root.sch", capture, sheets), DOC_CANNOT_OPEN);
    EXPECT_EQ(reported, "*** ERROR *** :Cannot Open gone.sch\n");
    free_name_list(sheets);

    // One output for the single sheet when PARTSCH_HIER is set.
    proper_set(PARTSCH_HIER, 1, PARTSCH_OUTFILE, file("single.sch").c_str(), 0);
    sheets = list_project_sheets("a.sch", true, nullptr);
    EXPECT_EQ(decompile_sheets("a.sch", capture, sheets), 0);
    EXPECT_TRUE(exists("single.asc"));
    reported.clear();
    proper_set(PARTSCH_OUTFILE, file("no/dir/x").c_str(), 0);
    EXPECT_EQ(decompile_sheets("a.sch", capture, sheets), 50);
    EXPECT_EQ(reported, "*** ERROR *** :Writing File " + file("no/dir/x") + "\n");
    free_name_list(sheets);
}

}  // namespace
