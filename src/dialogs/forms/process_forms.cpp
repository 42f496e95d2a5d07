#include "dialogs/forms/process_forms.h"

#include <strings.h>

#include "dialogs/forms/part_form.h"
#include "editor/command_ids.h"
#include "foundation/core.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"
#include "platform/profile.h"

// The variables of the dialogs, null while a dialog does not exist.

using K = ProcessKind;

// The BackAnnotate dialog proposes the root sheet's own name: its output is
// the name the root sheet is saved under, and a name with the change file's
// suffix would save the sheet over the change file it reads.
const ProcessDialog process_dialogs[PROCESS_DIALOG_COUNT] = {
    {K::ERC, "Tessaron: ERC", "erc_prop", CMD_ERC, 20062, 20001, JOB_ERC, 20078, 830,
     "Output File:", EXT_NETERC, 20061, "Output File:", EXT_NETERC, DIR_PROJECT, NETERC_VERBOSE,
     NETERC_HIER, NETERC_OUTFILE},
    {K::PLAIN, "Tessaron: BackAnnotate", "backanno_prop", CMD_BACKANNOTATE, 20063, 20004,
     JOB_BACKANNOTATE, 20079, 795, "Output File:", EXT_SCHEMA, 20003, "Schematic File:", EXT_SCHEMA,
     DIR_PROJECT, BACK_VERBOSE, BACK_HIER, BACK_OUTFILE},
    {K::ANNOTATE, "Tessaron: Annotate", "annotate_prop", CMD_ANNOTATE, 20008, 20007, JOB_ANNOTATE,
     20080, 790, "Output File:", EXT_SCHEMA, 20006, "Schematic File:", EXT_SCHEMA, DIR_PROJECT,
     ANNO_VERBOSE, ANNO_HIER, ANNO_OUTFILE},
    {K::PLAIN, "Tessaron: Compile Library", "complib_prop", CMD_COMPILE_LIBRARY, 20064, 20012,
     JOB_COMPILE_LIBRARY, 20081, 530, "Output File", EXT_CLB, 20011, "Library File:", EXT_CLB,
     DIR_LIBRARY, COMPIL_VERBOSE, 0, COMPIL_OUTFILE},
    {K::PLAIN, "Tessaron: Decompile Library", "decomplib_prop", CMD_DECOMPILE_LIBRARY, 20065, 20015,
     JOB_DECOMPILE_LIBRARY, 20082, 535, "Output File", EXT_SLB, 20014, "Libray File:", EXT_SLB,
     DIR_LIBRARY, DECOMP_VERBOSE, 0, DECOMP_OUTFILE},
    {K::PLAIN, "Tessaron: Archive Library", "libarch_prop", CMD_ARCHIVE_LIBRARY, 20066, 20018,
     JOB_ARCHIVE_LIBRARY, 20083, 805, "Output File", EXT_CLB, 20017, "Library File:", EXT_CLB,
     DIR_LIBRARY, LIBARCH_VERBOSE, LIBARCH_HIER, LIBARCH_OUTFILE},
    {K::PLAIN, "Tessaron: List Library", "liblist_prop", CMD_LIST_LIBRARY, 20067, 20021,
     JOB_LIST_LIBRARY, 20084, 540, "Output File", EXT_LIBLIST, 20020, "Report File:", EXT_LIBLIST,
     DIR_PROJECT, LIBLIST_VERBOSE, 0, LIBLIST_OUTFILE},
    {K::BOM, "Tessaron: Bill of Material", "billmat_prop", CMD_BILL_OF_MATERIAL, 20068, 20026,
     JOB_BOM, 20085, 810, "Output File:", EXT_BOM, 20023, "Report File:", EXT_BOM, DIR_PROJECT,
     BOM_VERBOSE, BOM_HIER, BOM_OUTFILE},
    {K::NETLIST, "Tessaron: Netlist Output", "netfmt_prop", CMD_NETLIST_OUTPUT, 20074, 20043,
     JOB_NETLIST, 20088, 835, "Output File:", EXT_NETFMT, 20042, "Netlist File:", EXT_ORCNET,
     DIR_PROJECT, NETFMT_VERBOSE, NETFMT_HIER, NETFMT_OUTFILE},
    {K::CONVERTER, "Tessaron: OrCAD Converter ", "oconv_prop", CMD_ORCAD_CONVERTER, 20075, 20047,
     JOB_CONVERT, 20089, 820, nullptr, 0, 0, nullptr, 0, 0, SDT_VERBOSE, SDT_HIER, 0},
    {K::PLAIN, "Tessaron: Decompile Sheet", "partsch_prop", CMD_DECOMPILE_SHEET, 20076, 20052,
     JOB_DECOMPILE_SHEET, 20090, 825, "Output File", EXT_ASC, 20051, "Report File:", EXT_ASC,
     DIR_PROJECT, PARTSCH_VERBOSE, PARTSCH_HIER, PARTSCH_OUTFILE},
    {K::PLAIN, "Tessaron: Compile Sheet", "compsheet_prop", CMD_COMPILE_SHEET, 20077, 20054,
     JOB_COMPILE_SHEET, 20091, 815, "Output File", EXT_SCHEMA, 20053, "Schema File:", EXT_SCHEMA,
     DIR_PROJECT, COMPSHEET_VERBOSE, COMPSHEET_HIER, COMPSHEET_OUTFILE},
    {K::PLAIN, "Tessaron: Compile Title Block", "comptmpl_prop", CMD_COMPILE_TITLEBLOCK, 20097,
     20095, JOB_COMPILE_TITLEBLOCK, 20099, 815, "Output File", EXT_TMPL, 20093,
     "Title Block File:", EXT_TMPL, DIR_PROJECT, COMPTMPL_VERBOSE, 0, COMPTMPL_OUTFILE},
    {K::PLAIN, "Tessaron: Decompile Title Block", "decomptmpl_prop", CMD_DECOMPILE_TITLEBLOCK,
     20096, 20094, JOB_DECOMPILE_TITLEBLOCK, 20098, 825, "Output File", EXT_ASC, 20092,
     "Title Block File:", EXT_ASC, DIR_PROJECT, DECOMPTMPL_VERBOSE, 0, DECOMPTMPL_OUTFILE},
};

namespace {

// 21 characters: the width of every file field.
const char* const file_sample = "012345678900123456789";
const char* const page_sample = "01234567";
const char* const netlist_format_labels = "Native\nPelmoran\nFlat EDIF\nPspice";
const char* const module_sample =
    "dummy    \ndummy    \ndummy    \ndummy    \ndummy    \ndummy    \ndummy    \ndummy    ";
const char* const format_keywords[NETLIST_FORMAT_COUNT] = {"TESSARON", "PELMORAN", "FLATEDIF",
                                                           "SPICE"};

using Rows = std::vector<FormRow>;

FormRow layout(RowKind kind, int min = 0, int max = 0) {
    return {.kind = kind, .min = min, .max = max};
}
FormRow label(const char* text) { return {.kind = RowKind::LABEL, .label = text}; }
FormRow check(int field, const char* text, Bind bind, int property, long client = 0) {
    return {.kind = RowKind::CHECK,
            .field = field,
            .label = text,
            .client = client,
            .bind = bind,
            .property = property};
}
FormRow dialog_button(const char* text, long client) {
    return {.kind = RowKind::DIALOG_BUTTON, .label = text, .client = client};
}

// A text field with its "Search..." button beside it: a sub-panel whose
// blank label lowers the button to the level of the text box.
void file_field(Rows& rows, FormRow text, long search_id, bool erc_tail = false) {
    rows.push_back(text);
    rows.push_back(layout(RowKind::SUB_PANEL, 8, 0));
    rows.push_back(label("  "));
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back({.kind = RowKind::BUTTON, .label = "Search...", .client = search_id});
    if (erc_tail) {
        rows.push_back(layout(RowKind::TAB, 50));
        rows.push_back(label(" "));
    }
    rows.push_back(layout(RowKind::END_PANEL));
}

FormRow output_text(const ProcessDialog& d) {
    return {.kind = RowKind::TEXT,
            .field = PF_FILE,
            .label = d.file_label,
            .bind = Bind::PROPOSED_NAME,
            .property = d.file_property,
            .extra = d.suffix_property,
            .sample = file_sample,
            .select_all = true};
}

FormRow verbose(const ProcessDialog& d) {
    return check(PF_VERBOSE, "Verbose Mode", Bind::FLAG, d.verbose_property);
}
FormRow descend(const ProcessDialog& d) {
    return check(PF_DESCEND, "Descend Hierarchy", Bind::FLAG_INVERTED, d.descend_property);
}

// The button column: Execute (the style adds Cancel right after it), a gap
// of 20 pixels, Help.
void buttons(Rows& rows, const ProcessDialog& d) {
    rows.push_back(dialog_button("Execute", d.execute_id));
    if (d.kind == K::ANNOTATE) rows.push_back(dialog_button("Unannot", ANNOTATE_UNANNOT));
    rows.push_back(layout(RowKind::BUTTON_SPACE, 20));
    rows.push_back(dialog_button("Help", d.help_id));
}

// Verbose and, for a job that walks a hierarchy, Descend beside it.
void option_row(Rows& rows, const ProcessDialog& d) {
    rows.push_back(verbose(d));
    if (d.descend_property) rows.push_back(descend(d));
}

// A sub-panel holding the "Fields Combine:" list under its label.
void fields_panel(Rows& rows) {
    rows.push_back(layout(RowKind::SUB_PANEL, 8, 6));
    rows.push_back(layout(RowKind::LABELS_ABOVE));
    rows.push_back({.kind = RowKind::LIST,
                    .field = PF_FIELDS,
                    .label = "Fields Combine:",
                    .min = 120,
                    .max = 140});
    rows.push_back(layout(RowKind::END_PANEL));
}

// Every dialog with an output file starts with it, its label above it.
Rows output_rows(const ProcessDialog& d) {
    Rows rows = {layout(RowKind::LABELS_ABOVE)};
    file_field(rows, output_text(d), d.search_id, d.kind == K::ERC);
    rows.push_back(layout(RowKind::NEW_LINE));
    return rows;
}

Rows plain_rows(const ProcessDialog& d) {
    Rows rows = output_rows(d);
    rows.push_back(layout(RowKind::LABELS_BESIDE));
    option_row(rows, d);
    if (d.kind == K::ERC) rows.push_back(layout(RowKind::NEW_LINE));
    buttons(rows, d);
    return rows;
}

Rows annotate_rows(const ProcessDialog& d) {
    Rows rows = output_rows(d);
    rows.push_back(layout(RowKind::LABELS_BESIDE));
    fields_panel(rows);
    rows.push_back(layout(RowKind::SUB_PANEL, 8, 6));
    for (FormRow box : {verbose(d), check(PF_KEEP, "Keep Device", Bind::FLAG, ANNO_KEEP),
                        descend(d), check(PF_UNCOND, "Unconditional", Bind::FLAG, ANNO_UNCOND)}) {
        rows.push_back(box);
        rows.push_back(layout(RowKind::NEW_LINE));
    }
    rows.push_back(layout(RowKind::END_PANEL));
    buttons(rows, d);
    return rows;
}

Rows bom_rows(const ProcessDialog& d) {
    Rows rows = output_rows(d);
    rows.push_back(check(PF_MERGE, "Use Merge File", Bind::FLAG, BOM_MERGE, BOM_USE_MERGE));
    rows.push_back(layout(RowKind::NEW_LINE));
    file_field(rows,
               {.kind = RowKind::TEXT,
                .field = PF_MERGE_FILE,
                .label = "Merge File:",
                .bind = Bind::TEXT,
                .property = BOM_MERGEFILE,
                .sample = file_sample},
               BOM_MERGE_SEARCH);
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back(layout(RowKind::LABELS_BESIDE));
    option_row(rows, d);
    rows.push_back(layout(RowKind::NEW_LINE));
    buttons(rows, d);
    rows.push_back(layout(RowKind::SECOND_PANEL));
    rows.push_back(layout(RowKind::LABELS_ABOVE));
    fields_panel(rows);
    rows.push_back(layout(RowKind::SUB_PANEL, 8, 6));
    auto page = [](int field, const char* text, int property) {
        return FormRow{.kind = RowKind::TEXT,
                       .field = field,
                       .label = text,
                       .bind = Bind::NUMBER,
                       .property = property,
                       .sample = page_sample};
    };
    rows.push_back(page(PF_WIDTH, "Page Width:  ", BOM_WIDTH));
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back(page(PF_HEIGHT, "Page Height: ", BOM_HEIGHT));
    rows.push_back(layout(RowKind::END_PANEL));
    return rows;
}

Rows netlist_rows(const ProcessDialog& d) {
    Rows rows = output_rows(d);
    rows.push_back(layout(RowKind::LABELS_BESIDE));
    option_row(rows, d);
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back(layout(RowKind::LABELS_ABOVE));
    rows.push_back({.kind = RowKind::CHOICE,
                    .field = PF_FORMAT,
                    .label = "Format:",
                    .sample = netlist_format_labels});
    rows.push_back({.kind = RowKind::CHOICE,
                    .field = PF_MODULE,
                    .label = "Module:",
                    .bind = Bind::INDEX,
                    .property = NETFMT_FIELD,
                    .extra = 1,
                    .sample = module_sample});
    rows.push_back(layout(RowKind::NEW_LINE));
    buttons(rows, d);
    return rows;
}

Rows converter_rows(const ProcessDialog& d) {
    auto file = [](int field, const char* text, int property, long client, bool select) {
        return FormRow{.kind = RowKind::TEXT,
                       .field = field,
                       .label = text,
                       .client = client,
                       .bind = Bind::TEXT,
                       .property = property,
                       .sample = file_sample,
                       .select_all = select};
    };
    Rows rows = {layout(RowKind::LABELS_ABOVE)};
    file_field(rows, file(PF_LIBRARY, "Library:", SDT_LIBFILE, OCONV_LIBRARY_CHANGED, true),
               OCONV_LIBRARY_SEARCH);
    rows.push_back(layout(RowKind::NEW_LINE));
    file_field(rows, file(PF_SCHEMA, "Schema:", SDT_SCHFILE, OCONV_SCHEMA_CHANGED, false),
               OCONV_SCHEMA_SEARCH);
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back(layout(RowKind::LABELS_BESIDE));
    rows.push_back(layout(RowKind::SUB_PANEL, 0, 6));
    rows.push_back(verbose(d));
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back(
        check(PF_CONVERT, "Convert Library", Bind::FLAG, SDT_LIBRARY, OCONV_CONVERT_TOGGLED));
    rows.push_back(layout(RowKind::END_PANEL));
    rows.push_back(layout(RowKind::SUB_PANEL, 0, 6));
    rows.push_back(descend(d));
    rows.push_back(layout(RowKind::NEW_LINE));
    rows.push_back(check(PF_OPEN, "Open For Edit", Bind::FLAG, SDT_AUTOOPEN));
    rows.push_back(layout(RowKind::END_PANEL));
    buttons(rows, d);
    return rows;
}

// The property whose elements hold the choice of each "Fields Combine:" line.
int fields_property(const ProcessDialog& d) {
    return d.kind == K::ANNOTATE ? ANNOTATE_FIELDS : BOM_FIELDS;
}

// The lines that stand for a field: 0 .. NB_FIELD_NAME - 3.
int field_lines() { return proper_get(NB_FIELD_NAME) - 2; }

}  // namespace

const ProcessDialog* process_dialog_for_menu(int menu_command) {
    for (const ProcessDialog& d : process_dialogs)
        if (d.menu_command == menu_command) return &d;
    return nullptr;
}

const ProcessDialog& process_dialog_of(ProcessKind kind) {
    for (const ProcessDialog& d : process_dialogs)
        if (d.kind == kind) return d;
    TN_ASSERT(!"process dialog kind without a row");
    return process_dialogs[0];
}

bool is_process_job(int command) {
    for (const ProcessDialog& d : process_dialogs)
        if (d.job_command == command) return true;
    return false;
}

ProcessRoute process_route(long id) {
    ProcessRoute route;
    if (id < PROCESS_FIRST_ID || id > PROCESS_LAST_ID) return route;
    for (const ProcessDialog& d : process_dialogs) {
        route.dialog = &d;
        if (id == d.store_id) {
            route.kind = ProcessRoute::STORE;
        } else if (id == d.execute_id || (d.kind == K::ANNOTATE && id == ANNOTATE_UNANNOT)) {
            route.kind = ProcessRoute::EXECUTE;
            route.argument = id == ANNOTATE_UNANNOT ? 1 : 0;
        } else if (id == d.help_id) {
            route.kind = ProcessRoute::HELP;
        } else if (d.search_id && id == d.search_id) {
            route = {ProcessRoute::SEARCH, &d, 0, PF_FILE, d.search_message, d.wildcard_property,
                     d.directory_property};
        } else if (d.kind == K::BOM && id == BOM_MERGE_SEARCH) {
            route = {ProcessRoute::SEARCH, &d,      0,          PF_MERGE_FILE,
                     "Merge File:",        EXT_ASC, DIR_PROJECT};
        } else if (d.kind == K::CONVERTER &&
                   (id == OCONV_LIBRARY_CHANGED || id == OCONV_SCHEMA_CHANGED ||
                    id == OCONV_CONVERT_TOGGLED)) {
            route.kind = ProcessRoute::UPDATE_EXECUTE;
        } else if (d.kind == K::CONVERTER && id == OCONV_LIBRARY_SEARCH) {
            route.kind = ProcessRoute::LIBRARY_SEARCH;
        } else if (d.kind == K::CONVERTER && id == OCONV_SCHEMA_SEARCH) {
            route.kind = ProcessRoute::SCHEMA_SEARCH;
        } else {
            continue;
        }
        return route;
    }
    return ProcessRoute{};
}

Form process_form(const ProcessDialog& d) {
    switch (d.kind) {
        case K::ANNOTATE: return Form(annotate_rows(d));
        case K::BOM: return Form(bom_rows(d));
        case K::NETLIST: return Form(netlist_rows(d));
        case K::CONVERTER: return Form(converter_rows(d));
        case K::PLAIN:
        case K::ERC: break;
    }
    return Form(plain_rows(d));
}

void process_load(const ProcessDialog& d, Form& form, const FormContext& context) {
    if (form.has(PF_FIELDS)) form.set_entries(PF_FIELDS, fields_combine_entries());
    if (form.has(PF_MODULE)) form.value(PF_MODULE).entries = module_entries();
    form.load(context);
    if (form.has(PF_FIELDS))
        for (int line = 0; line < field_lines(); ++line)
            if (proper_get(fields_property(d), line)) form.select(PF_FIELDS, line, true);
    if (form.has(PF_FORMAT)) {
        int entry = netlist_format_entry(strproper_get(NETFMT_FORMAT));
        if (entry >= 0) form.set_number(PF_FORMAT, entry);
    }
}

void process_store(const ProcessDialog& d, const Form& form) {
    // One save of the INI file for all the options (the ERC matrix alone
    // is 578 values).
    ProfileBatch batch;
    form.store();
    if (form.has(PF_FIELDS)) {
        const int property = fields_property(d);
        for (int line = 0; line < field_lines(); ++line) proper_set(property, line, 0, 0);
        const FieldValue& list = form.value(PF_FIELDS);
        for (size_t line = 0; line < list.selected.size(); ++line)
            if (list.selected[line]) proper_set(property, static_cast<int>(line), 1, 0);
    }
    if (form.has(PF_FORMAT)) {
        if (const char* keyword = netlist_format_keyword(form.number(PF_FORMAT)))
            proper_set(NETFMT_FORMAT, keyword, 0);
    }
    if (d.kind == K::CONVERTER) proper_set(SDT_SCHEMA, 1, 0);
}

std::vector<std::string> fields_combine_entries() {
    std::vector<std::string> names;
    make_field_names(&names, false);
    return names;
}

std::vector<std::string> module_entries() {
    // The reference and the value are offered also when no field is named:
    // a SPICE deck takes its models from the value.
    return part_field_names();
}

int netlist_format_entry(const char* keyword) {
    if (!keyword) return -1;
    for (int i = 0; i < NETLIST_FORMAT_COUNT; ++i)
        if (strcasecmp(keyword, format_keywords[i]) == 0) return i;
    return -1;
}

const char* netlist_format_keyword(int entry) {
    return entry >= 0 && entry < NETLIST_FORMAT_COUNT ? format_keywords[entry] : nullptr;
}

bool oconv_execute_enabled(const Form& form) {
    return form.number(PF_CONVERT) ? !form.text(PF_LIBRARY).empty() : !form.text(PF_SCHEMA).empty();
}

// --- ERC matrix ---------------------------------------------------------------------------

namespace {

struct ErcClassLabels {
    const char* row;
    const char* abbreviation;
    const char* column;
};

const ErcClassLabels erc_labels[ERC_CLASSES] = {
    {"Input Pin", "in", "i\nn\n "},
    {"Input/Output Pin", "i/o", "i\n/\no"},
    {"Output Pin", "out", "o\nu\nt"},
    {"Open Collector Pin", "oc", "o\nc\n "},
    {"Passive Pin", "pas", "p\na\ns"},
    {"Three State Pin", "ts", "t\ns\n "},
    {"Open Emitter Pin", "oe", "o\ne\n "},
    {"Power Pin", "pwr", "p\nw\nr"},
    {"Input Module Port", "mi", "m\ni\n "},
    {"Output Module Port", "mo", "m\no\n "},
    {"Bidirectional Module Port", "mb", "m\nb\n "},
    {"Unspecified Module Port", "mu", "m\nu\n "},
    {"Input Sheet Port", "si", "s\ni\n "},
    {"Output Sheet Port", "so", "s\no\n "},
    {"Bidirectional Sheet Port", "sb", "s\nb\n "},
    {"Unspecified Sheet Port", "su", "s\nu\n "},
    {"Unconnected", "nc", "n\nc\n "},
};

const ErcClassLabels& labels_of(int erc_class) {
    TN_ASSERT(erc_class >= 0 && erc_class < ERC_CLASSES);
    return erc_labels[erc_class];
}

}  // namespace

int erc_next_state(int state) {
    switch (state) {
        case 0: return 1;
        case 1: return 2;
        case 2: return 0;
        default: return state;
    }
}

void erc_load_cells(ErcCells* cells) {
    cells->fill(0);
    for (int column = 0; column < ERC_CLASSES; ++column)
        for (int row = ERC_CLASSES - 1; row >= column; --row) {
            const int cell = erc_cell_index(column, row);
            (*cells)[cell] = proper_get(ERC_TABLE, cell) & 0xFF;
        }
}

void erc_store_cells(const ErcCells& cells) {
    ProfileBatch batch;
    for (int column = 0; column < ERC_CLASSES; ++column)
        for (int row = ERC_CLASSES - 1; row >= column; --row) {
            const int state = cells[erc_cell_index(column, row)];
            proper_set(ERC_TABLE, erc_cell_index(column, row), state, 0);
            proper_set(ERC_TABLE, erc_cell_index(row, column), state, 0);
        }
}

const char* erc_row_label(int erc_class) { return labels_of(erc_class).row; }
const char* erc_row_abbreviation(int erc_class) { return labels_of(erc_class).abbreviation; }
const char* erc_column_text(int erc_class) { return labels_of(erc_class).column; }
