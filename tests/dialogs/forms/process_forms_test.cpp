// The process dialogs without a window: every dialog's load and store
// against its job's properties, the routing of every button id, the ERC
// decision matrix, the field lists, the netlist format keywords, the page
// size of the bill of materials and the converter's Execute rule.
#include "dialogs/forms/process_forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/config_fixture.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"

namespace {

class ProcessForms : public ConfigTest {};

std::string first_suffix(int property) {
    std::string s = strproper_get(property);
    return s.substr(0, s.find(','));
}

// Every dialog: Verbose as stored, Descend shown inverted, the file field
// proposed from the document (never the File property's old value), and
// the store writing each back.
TEST_F(ProcessForms, EveryDialogLoadsItsPropertiesAndStoresThemBack) {
    for (const ProcessDialog& d : process_dialogs) {
        SCOPED_TRACE(d.window_name);
        proper_set(d.verbose_property, 1, 0);
        if (d.descend_property) proper_set(d.descend_property, 1, 0);
        if (d.file_property) proper_set(d.file_property, "old name", 0);
        Form form = process_form(d);
        process_load(d, form, {true, "/work/project/root.sch"});
        EXPECT_EQ(form.number(PF_VERBOSE), 1);
        ASSERT_EQ(form.has(PF_DESCEND), d.descend_property != 0);
        if (d.descend_property) {
            EXPECT_EQ(form.number(PF_DESCEND), 0);
        }
        if (d.kind != ProcessKind::CONVERTER) {
            EXPECT_EQ(form.text(PF_FILE), "/work/project/root" + first_suffix(d.suffix_property));
            EXPECT_TRUE(form.row(PF_FILE).select_all);
            EXPECT_EQ(form.row(PF_FILE).label, std::string(d.file_label));
        }

        form.set_number(PF_VERBOSE, 0);
        if (d.descend_property) form.set_number(PF_DESCEND, 1);
        if (d.file_property) form.set_text(PF_FILE, "typed.out");
        process_store(d, form);
        EXPECT_EQ(proper_get(d.verbose_property), 0);
        if (d.descend_property) {
            EXPECT_EQ(proper_get(d.descend_property), 0);
        }
        if (d.file_property) {
            EXPECT_STREQ(strproper_get(d.file_property), "typed.out");
        }

        // Unchecking Descend stores 1, and the next load shows it unchecked.
        if (d.descend_property) {
            form.set_number(PF_DESCEND, 0);
            process_store(d, form);
            EXPECT_EQ(proper_get(d.descend_property), 1);
            Form again = process_form(d);
            process_load(d, again, {});
            EXPECT_EQ(again.number(PF_DESCEND), 0);
            EXPECT_EQ(again.has(PF_FILE) ? again.text(PF_FILE) : "", "");  // no document
        }
    }
}

// A document deep in the folders proposes an output name longer than any
// setting's text: the job gets the name whole, not a shorter one naming
// another file.
TEST_F(ProcessForms, AnOutputNameInADeepFolderReachesTheJobWhole) {
    std::string folder = "/work";
    while (folder.size() < 400) folder += "/a folder of the project";
    for (const ProcessDialog& d : process_dialogs) {
        if (!d.file_property) continue;
        SCOPED_TRACE(d.window_name);
        Form form = process_form(d);
        process_load(d, form, {true, folder + "/root.sch"});
        const std::string proposed = form.text(PF_FILE);
        process_store(d, form);
        EXPECT_EQ(strproper_get(d.file_property), proposed);
    }
}

TEST_F(ProcessForms, TheTablesHoldTheirIdsOnce) {
    std::vector<long> ids;
    for (const ProcessDialog& d : process_dialogs) {
        EXPECT_EQ(process_dialog_for_menu(d.menu_command), &d);
        EXPECT_TRUE(is_process_job(d.job_command));
        EXPECT_EQ(std::string(d.title).rfind("Tessaron: ", 0), 0u) << d.title;
        for (long id : {d.execute_id, d.store_id, d.help_id, d.search_id})
            if (id) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(process_dialog_for_menu(20192), nullptr);
    EXPECT_FALSE(is_process_job(20184));
    EXPECT_STREQ(process_dialog_of(ProcessKind::CONVERTER).title, "Tessaron: OrCAD Converter ");
}

TEST_F(ProcessForms, ButtonIdsRouteToTheirActions) {
    using R = ProcessRoute;
    const struct {
        long id;
        R::Kind kind;
        const char* window;
        long context_or_field;
    } cases[] = {
        {20078, R::HELP, "erc_prop", 830},
        {20090, R::HELP, "partsch_prop", 825},
        {20098, R::HELP, "decomptmpl_prop", 825},
        {20091, R::HELP, "compsheet_prop", 815},
        {20099, R::HELP, "comptmpl_prop", 815},
        {20089, R::HELP, "oconv_prop", 820},
        {20061, R::SEARCH, "erc_prop", PF_FILE},
        {20025, R::SEARCH, "billmat_prop", PF_MERGE_FILE},
        {20007, R::STORE, "annotate_prop", 0},
        {20048, R::UPDATE_EXECUTE, "oconv_prop", 0},
        {20049, R::UPDATE_EXECUTE, "oconv_prop", 0},
        {20050, R::UPDATE_EXECUTE, "oconv_prop", 0},
        {20044, R::LIBRARY_SEARCH, "oconv_prop", 0},
        {20045, R::SCHEMA_SEARCH, "oconv_prop", 0},
        {20024, R::NONE, nullptr, 0},
        {20046, R::NONE, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        R route = process_route(c.id);
        EXPECT_EQ(route.kind, c.kind);
        if (!c.window) continue;
        ASSERT_NE(route.dialog, nullptr);
        EXPECT_STREQ(route.dialog->window_name, c.window);
        if (c.kind == R::HELP) {
            EXPECT_EQ(route.dialog->help_context, c.context_or_field);
        }
        if (c.kind == R::SEARCH) {
            EXPECT_EQ(route.field, c.context_or_field);
        }
    }
    // What Search offers differs from what the field proposes in places.
    R decompile = process_route(20014);
    EXPECT_STREQ(decompile.message, "Libray File:");
    EXPECT_EQ(decompile.wildcard_property, EXT_SLB);
    R netlist = process_route(20042);
    EXPECT_EQ(netlist.wildcard_property, EXT_ORCNET);
    EXPECT_EQ(netlist.directory_property, DIR_PROJECT);
    R merge = process_route(20025);
    EXPECT_STREQ(merge.message, "Merge File:");
    EXPECT_EQ(merge.wildcard_property, EXT_ASC);
}

// --- the ERC matrix ---------------------------------------------------------------------

TEST(ErcCells, IndexAndClickCycle) {
    EXPECT_EQ(erc_cell_index(0, 2), 2);      // column "in", row "Output Pin"
    EXPECT_EQ(erc_cell_index(2, 0), 34);     // its mirror
    EXPECT_EQ(erc_cell_index(16, 16), 288);  // the single cell of column "nc"
    int state = 0;
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) seen.push_back(state = erc_next_state(state));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(erc_next_state(7), 7);
    EXPECT_STREQ(erc_row_label(16), "Unconnected");
    EXPECT_STREQ(erc_row_abbreviation(1), "i/o");
    EXPECT_STREQ(erc_column_text(7), "p\nw\nr");
}

// The matrix a fresh configuration holds: rows and columns in class order
// (in, i/o, out, oc, pas, ts, oe, pwr, mi, mo, mb, mu, si, so, sb, su, nc).
const char* const default_matrix[17] = {
    "00000000000100011", "00100001110101010", "01220222202102210", "00200002200102010",
    "00000000000000000", "00200002200102010", "00200012200102010", "01220220222002200",
    "01220222202102211", "01000002000100210", "00200002202102010", "11110110111011100",
    "00000000000100011", "01220222202102210", "00200002220102010", "11110110111011100",
    "10000000100010000",
};

TEST_F(ProcessForms, DefaultMatrixIsTheDocumentedOne) {
    for (int a = 0; a < 17; ++a)
        for (int b = 0; b < 17; ++b)
            EXPECT_EQ(proper_get(ERC_TABLE, a * 17 + b), default_matrix[a][b] - '0')
                << erc_row_abbreviation(a) << " x " << erc_row_abbreviation(b);
}

TEST_F(ProcessForms, ExecuteMakesAnAsymmetricMatrixSymmetricFromTheLowerTriangle) {
    // In the INI file: (column in, row out) says error, its mirror nothing;
    // (column out, row in) lies above the triangle and is never read.
    write_ini("ERC_TABLE_2=2\nERC_TABLE_34=0\nERC_TABLE_288=1\nERC_TABLE_1=2\n");
    reload();
    ErcCells cells;
    erc_load_cells(&cells);
    EXPECT_EQ(cells[erc_cell_index(0, 2)], 2);
    EXPECT_EQ(cells[erc_cell_index(2, 0)], 0);  // not a button
    EXPECT_EQ(cells[erc_cell_index(16, 16)], 1);
    EXPECT_EQ(cells[erc_cell_index(0, 1)], 2);
    erc_store_cells(cells);
    for (int a = 0; a < 17; ++a)
        for (int b = 0; b < 17; ++b)
            EXPECT_EQ(proper_get(ERC_TABLE, a * 17 + b), proper_get(ERC_TABLE, b * 17 + a));
    EXPECT_EQ(proper_get(ERC_TABLE, 34), 2);
    EXPECT_EQ(proper_get(ERC_TABLE, 17), 2);
}

// --- field lists, formats, page size, converter ---------------------------------------------

void name_fields(int count, std::vector<const char*> names) {
    proper_set(NB_FIELD_NAME, count, 0);
    for (size_t i = 0; i < names.size(); ++i) set_field_name(static_cast<int>(i), names[i]);
}

TEST_F(ProcessForms, FieldListsStartAtTheThirdFieldAndNameEmptyOnes) {
    // The Module choice always offers the reference and the value: with no
    // field named a SPICE deck can still take its models from the value.
    name_fields(0, {});
    EXPECT_EQ(fields_combine_entries(), (std::vector<std::string>{"Attr. #1"}));
    EXPECT_EQ(module_entries(), (std::vector<std::string>{"Attr. #1", "Attr. #2"}));
    name_fields(1, {"Ref"});
    EXPECT_TRUE(fields_combine_entries().empty());
    EXPECT_EQ(module_entries(), (std::vector<std::string>{"Ref", "Attr. #2"}));
    name_fields(2, {"Ref", "Value"});
    EXPECT_TRUE(fields_combine_entries().empty());
    name_fields(5, {"Ref", "Value", "Tolerance", "", "Maker"});
    EXPECT_EQ(fields_combine_entries(),
              (std::vector<std::string>{"Tolerance", "Attr. #2", "Maker"}));
    EXPECT_EQ(module_entries(),
              (std::vector<std::string>{"Ref", "Value", "Tolerance", "Attr. #4", "Maker"}));
}

TEST_F(ProcessForms, FieldsCombinedAreLoadedAndStoredPerLine) {
    const ProcessDialog& annotate = process_dialog_of(ProcessKind::ANNOTATE);
    const ProcessDialog& bom = process_dialog_of(ProcessKind::BOM);
    name_fields(5, {"Ref", "Value", "A", "B", "C"});
    proper_set(ANNOTATE_FIELDS, 1, 1, ANNOTATE_FIELDS, 5, 1, 0);
    Form form = process_form(annotate);
    process_load(annotate, form, {});
    EXPECT_EQ(form.value(PF_FIELDS).selected, (std::vector<bool>{false, true, false}));
    form.select(PF_FIELDS, 0, true);
    form.select(PF_FIELDS, 1, false);
    process_store(annotate, form);
    EXPECT_EQ(proper_get(ANNOTATE_FIELDS, 0), 1);
    EXPECT_EQ(proper_get(ANNOTATE_FIELDS, 1), 0);
    EXPECT_EQ(proper_get(ANNOTATE_FIELDS, 2), 0);
    EXPECT_EQ(proper_get(ANNOTATE_FIELDS, 5), 1);  // beyond the fields: left alone

    // With no user field the list holds one generated line: storing clears
    // nothing, but a selected line still sets its element.
    name_fields(0, {});
    proper_set(BOM_FIELDS, 3, 1, 0);
    Form bill = process_form(bom);
    process_load(bom, bill, {});
    ASSERT_EQ(bill.value(PF_FIELDS).entries.size(), 1u);
    EXPECT_EQ(bill.value(PF_FIELDS).selected, (std::vector<bool>{false}));
    bill.select(PF_FIELDS, 0, true);
    process_store(bom, bill);
    EXPECT_EQ(proper_get(BOM_FIELDS, 0), 1);
    EXPECT_EQ(proper_get(BOM_FIELDS, 3), 1);
}

TEST_F(ProcessForms, FormatKeywordsMatchIgnoringCaseAndUnknownOnesLeaveTheChoice) {
    EXPECT_EQ(netlist_format_entry("TESSARON"), 0);
    EXPECT_EQ(netlist_format_entry("Pelmoran"), 1);
    EXPECT_EQ(netlist_format_entry("flatedif"), 2);
    EXPECT_EQ(netlist_format_entry("spice"), 3);
    EXPECT_EQ(netlist_format_entry("EDIF"), -1);
    EXPECT_EQ(netlist_format_entry(nullptr), -1);
    EXPECT_STREQ(netlist_format_keyword(3), "SPICE");
    EXPECT_EQ(netlist_format_keyword(4), nullptr);

    const ProcessDialog& netlist = process_dialog_of(ProcessKind::NETLIST);
    name_fields(3, {"Ref", "Value", ""});
    proper_set(NETFMT_FORMAT, "spice", NETFMT_FIELD, 2, 0);
    Form form = process_form(netlist);
    process_load(netlist, form, {});
    EXPECT_EQ(form.number(PF_FORMAT), 3);
    EXPECT_EQ(form.value(PF_MODULE).entries,
              (std::vector<std::string>{"Ref", "Value", "Attr. #3"}));
    EXPECT_EQ(form.number(PF_MODULE), 1);
    form.set_number(PF_MODULE, 2);
    process_store(netlist, form);
    EXPECT_STREQ(strproper_get(NETFMT_FORMAT), "SPICE");
    EXPECT_EQ(proper_get(NETFMT_FIELD), 3);

    proper_set(NETFMT_FORMAT, "ORCAD", 0);
    Form unknown = process_form(netlist);
    process_load(netlist, unknown, {});
    EXPECT_EQ(unknown.number(PF_FORMAT), -1);
    process_store(netlist, unknown);
    EXPECT_STREQ(strproper_get(NETFMT_FORMAT), "ORCAD");
}

TEST_F(ProcessForms, PageSizeIsTheLeadingNumberOfItsText) {
    const ProcessDialog& bom = process_dialog_of(ProcessKind::BOM);
    proper_set(BOM_WIDTH, 80, BOM_HEIGHT, 60, BOM_MERGE, 1, BOM_MERGEFILE, "m.asc", 0);
    Form form = process_form(bom);
    process_load(bom, form, {});
    EXPECT_EQ(form.text(PF_WIDTH), "80");
    EXPECT_EQ(form.text(PF_MERGE_FILE), "m.asc");
    EXPECT_EQ(form.number(PF_MERGE), 1);
    form.set_text(PF_WIDTH, "12abc");
    form.set_text(PF_HEIGHT, "abc");
    form.set_number(PF_MERGE, 0);
    process_store(bom, form);
    EXPECT_EQ(proper_get(BOM_WIDTH), 12);
    EXPECT_EQ(proper_get(BOM_HEIGHT), 0);
    // The merge file is stored whether or not it is used.
    EXPECT_STREQ(strproper_get(BOM_MERGEFILE), "m.asc");
    EXPECT_EQ(proper_get(BOM_MERGE), 0);
}

TEST_F(ProcessForms, ConverterExecuteNeedsTheFileOfTheChosenAction) {
    const ProcessDialog& converter = process_dialog_of(ProcessKind::CONVERTER);
    Form form = process_form(converter);
    for (auto [convert, library, schema, enabled] : {std::tuple{1, "", "a.sch", false},
                                                     {1, "lib.src", "", true},
                                                     {0, "lib.src", "", false},
                                                     {0, "", "a", true},
                                                     {0, "", "", false}}) {
        form.set_number(PF_CONVERT, convert);
        form.set_text(PF_LIBRARY, library);
        form.set_text(PF_SCHEMA, schema);
        EXPECT_EQ(oconv_execute_enabled(form), enabled) << convert << library << schema;
    }
    // The store always asks for the schematic conversion.
    proper_set(SDT_SCHEMA, 0, SDT_HIER, 0, 0);
    form.set_number(PF_DESCEND, 0);
    form.set_number(PF_OPEN, 1);
    process_store(converter, form);
    EXPECT_EQ(proper_get(SDT_SCHEMA), 1);
    EXPECT_EQ(proper_get(SDT_HIER), 1);
    EXPECT_EQ(proper_get(SDT_AUTOOPEN), 1);
    EXPECT_STREQ(strproper_get(SDT_SCHFILE), "");
}

}  // namespace
