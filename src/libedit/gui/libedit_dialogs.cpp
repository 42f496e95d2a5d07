// The library editor's dialogs: their rows, their windows and the one
// command handler of their buttons.
#include "libedit/gui/libedit_dialogs.h"

#include <string>
#include <vector>

#include <wx/utils.h>

#include "dialogs/dialog_opener.h"
#include "foundation/app_utils.h"
#include "foundation/dialog_calls.h"
#include "foundation/errors.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_item_dialogs.h"
#include "libedit/libedit.h"
#include "libedit/libedit_dialogs.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "shell/app.h"
#include "shell/canvas_editing.h"
#include "shell/preview_canvas.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/dialog_style.h"
#include "toolkit/panel_items.h"

EnhancedDialog* libedit_part_load = nullptr;
EnhancedDialog* libedit_body = nullptr;
EnhancedDialog* libedit_name = nullptr;
EnhancedDialog* libedit_partinfo = nullptr;
EnhancedDialog* libedit_vector = nullptr;
EnhancedDialog* vector_definition = nullptr;

namespace {

const char* const help_file = "Tessaron.hlp";

// The command ids of the dialogs' items.
enum : long {
    NAMES_LIST = 20001,
    NAMES_OK = 20002,
    NAMES_ADD = 20003,
    NAMES_DELETE = 20004,
    NAMES_MODIFY = 20005,
    BODY_PLACE = 20020,
    PART_OK = 20022,
    PART_SCAN = 20024,
    PART_LIST = 20025,
    VECTOR_LIBRARIES = 20032,
    VECTOR_PARTS = 20033,
    VECTOR_PART_EDITED = 20035,
    VECTOR_LIBRARY_EDITED = 20036,
    VECTOR_SEARCH = 20037,
    VECTOR_GET = 20038,
    VECTOR_OPTIONS_OK = 20039,
};

// Help buttons and their contexts.
struct HelpButton {
    long id;
    long context;
};
const HelpButton help_buttons[] = {
    {20046, 1215}, {20047, 505}, {20048, 550}, {20049, 515}, {20050, 495},
    {20051, 525},  {20052, 960}, {20053, 455}, {20054, 420}, {20055, 510},
    {20056, 385},  {20057, 490}, {20058, 490}, {20059, 930},
};

const char* const vector_rows = "Not Transfered\nTransf. on Normal\nTransf. on Convert";

// The Part Names dialog's Ok flag: cleared by every fill, set by Ok.
bool names_ok = false;
// What Get Vector Definition searched last, and the entry its Get chose.
VectorSearch vector_search;
LibEntry* vector_entry = nullptr;

FormDialog* form_dialog(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

bool canvas_alive(EditCanvas* canvas) {
    for (MyChild* child : my_children)
        if (child->canvas == canvas) return true;
    return false;
}

// The library canvas a dialog acts on: the one it was opened for while
// that window is open, else the current library window; null when none.
EditCanvas* canvas_of(EnhancedDialog* dialog, bool template_too = false) {
    auto fits = [template_too](EditCanvas* c) {
        return c->kind == CANVAS_LIBRARY || (template_too && c->kind == CANVAS_TEMPLATE);
    };
    auto* canvas = dialog ? reinterpret_cast<EditCanvas*>(dialog->client_word) : nullptr;
    if (canvas && canvas_alive(canvas) && fits(canvas)) return canvas;
    return paint_zone && fits(paint_zone) ? paint_zone : nullptr;
}

LibEdit* editor(EditCanvas* canvas) {
    editor_session(canvas);  // bound to the document the canvas shows now
    return &canvas->libedit;
}

long word_of(EditCanvas* canvas) { return reinterpret_cast<long>(canvas); }

std::string file_of(EditCanvas* canvas) { return canvas_file_name(canvas); }

// The line selected in a one-line list, or -1.
int picked(const Form& form, int field) {
    const FieldValue& value = form.value(field);
    for (size_t i = 0; i < value.selected.size(); ++i)
        if (value.selected[i]) return static_cast<int>(i);
    return -1;
}

std::string picked_entry(const Form& form, int field) {
    int line = picked(form, field);
    return line < 0 ? std::string() : form.value(field).entries[static_cast<size_t>(line)];
}

void set_label(FormDialog* dialog, int field, const std::string& text) {
    if (wxWindow* item = dialog->Item(field)) control_set_text(item, text.c_str());
}

void pin_message(EnhancedDialog* dialog, int code, const char* detail) {
    dialog_message_pin(dialog, message_text(nullptr, RuntimeCode{code}, detail).c_str());
}

// --- Get Part ---------------------------------------------------------------------------------
std::vector<FormRow> get_part_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::PICK,
         .field = GP_PARTS,
         .label = "Parts:",
         .client = PART_LIST,
         .min = 210,
         .max = 200},
        {.kind = RowKind::SUB_PANEL, .min = 6, .max = 6},
        {.kind = RowKind::AREA, .field = GP_PREVIEW, .min = 210, .max = 100},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::TEXT,
         .field = GP_SELECTED,
         .label = "Selected Part:",
         .sample = "012345678901234"},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::LABEL, .label = "  "},
        {.kind = RowKind::BUTTON, .label = "Scan", .client = PART_SCAN},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::LABEL, .field = GP_COUNT, .label = "0 Part(s) Found"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = PART_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20054},
    };
}

PreviewCanvas* part_preview() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    wxWindow* area = dialog ? dialog->Item(GP_PREVIEW) : nullptr;
    if (!area || area->GetChildren().empty()) return nullptr;
    return dynamic_cast<PreviewCanvas*>(area->GetChildren().front());
}

void build_get_part() {
    FormDialog* dialog =
        new_registered_dialog(&libedit_part_load, "Tessaron: Get Part", "libedit_part_load",
                              dialog_style_message, false, Form(get_part_rows()), libedit_button);
    dialog->BuildRows();
    new PreviewCanvas(dialog->Item(GP_PREVIEW), 0, 0, 210, 100, 0, 0);
    dialog->Fit();
}

// A part chosen in the list: its name, and its picture from the window's file.
void part_chosen() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    dialog->Read();
    const std::string name = picked_entry(dialog->form(), GP_PARTS);
    if (name.empty()) return;
    dialog->form().set_text(GP_SELECTED, name);
    dialog->Fill();
    EditCanvas* canvas = canvas_of(dialog);
    const std::string file = canvas ? file_of(canvas) : std::string();
    preview_show_part(part_preview(), file.c_str(), name.c_str(), 0, 1);
}

void scan_parts() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    form.set_entries(GP_PARTS, {});
    dialog->Fill();
    std::vector<std::string> names;
    {
        wxBusyCursor searching;
        names = libedit_scan_parts(libedit_library(editor(canvas)), form.text(GP_SELECTED).c_str());
    }
    if (names.empty()) return;
    set_label(dialog, GP_COUNT, parts_found_text(names.size()));
    form.set_entries(GP_PARTS, std::move(names));
    form.select(GP_PARTS, 0, true);
    dialog->Fill();
    part_chosen();
}

void get_part_ok() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const std::string name = dialog->form().text(GP_SELECTED);
    switch (libedit_get_part(editor(canvas), name.c_str())) {
        case GET_PART_NOTHING:
        case GET_PART_NO: return;  // the dialog stays for another name
        case GET_PART_CREATE:
            hide_dialog(libedit_part_load);
            canvas->ZoomFit();
            open_place_body(canvas);
            return;
        case GET_PART_LOADED:
        case GET_PART_KEPT:
            hide_dialog(libedit_part_load);
            canvas->ZoomFit();
            canvas->Redraw();
            return;
    }
}

// --- Place Body --------------------------------------------------------------------------------
std::vector<FormRow> place_body_rows() {
    static const std::string devices = [] {
        std::string joined;
        for (const std::string& row : device_rows()) joined += (joined.empty() ? "" : "\n") + row;
        return joined;
    }();
    return {
        {.kind = RowKind::CHOICE,
         .field = PB_DEVICES,
         .label = "Device per Pack",
         .sample = devices.c_str()},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHECK, .field = PB_CONVERT, .label = "Convert Form"},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Place", .client = BODY_PLACE},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20053},
    };
}

void place_body() {
    FormDialog* dialog = form_dialog(libedit_body);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const int devices = dialog->form().number(PB_DEVICES);
    const bool converted = dialog->form().number(PB_CONVERT) != 0;
    hide_dialog(libedit_body);
    libedit_place_body(editor(canvas), devices < 0 ? 1 : devices, converted);
}

// --- Part Names ---------------------------------------------------------------------------------
std::vector<FormRow> part_names_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::PICK,
         .field = PN_NAMES,
         .label = "Names:",
         .client = NAMES_LIST,
         .min = 150,
         .max = 200},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT,
         .field = PN_NAME,
         .label = "Name",
         .sample = "012345678900123456789",
         .select_all = true},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL, .field = PN_COUNT, .label = "0 Name(s) for this part"},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = NAMES_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Add", .client = NAMES_ADD},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Delete", .client = NAMES_DELETE},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Modify", .client = NAMES_MODIFY},
        {.kind = RowKind::BUTTON_SPACE, .min = 20},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20047},
    };
}

void fill_names() {
    FormDialog* dialog = form_dialog(libedit_name);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    LibEdit* ed = editor(canvas);
    names_ok = false;
    Form& form = dialog->form();
    form.set_entries(PN_NAMES, names_dialog_fill(ed));
    form.set_text(PN_NAME, "");
    dialog->Fill();
    set_label(dialog, PN_COUNT, names_count_text(ed));
}

}  // namespace

void names_dialog_close(EnhancedDialog& dialog) {
    // The close box takes back what the dialog did; Ok keeps it.
    EditCanvas* owner = canvas_of(&dialog);
    const bool ok = names_ok;
    destroy_registered_dialog(dialog);
    if (owner) names_dialog_finish(editor(owner), ok);
}

void libedit_button(long client) { libedit_command(client); }

namespace {

void build_part_names(EditCanvas* canvas) {
    FormDialog* dialog = new_registered_dialog(
        &libedit_name, "Tessaron: Part Names", "libedit_name", dialog_style & ~DIALOG_CANCEL_MASK,
        false, Form(part_names_rows()), libedit_button, names_dialog_close);
    dialog->BuildRows();
    dialog->Fit();
    dialog->client_word = word_of(canvas);
    names_dialog_open(editor(canvas));
}

void names_command(long id) {
    FormDialog* dialog = form_dialog(libedit_name);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    LibEdit* ed = editor(canvas);
    dialog->Read();
    Form& form = dialog->form();
    const std::string selected = picked_entry(form, PN_NAMES);
    const std::string typed = form.text(PN_NAME);
    switch (id) {
        case NAMES_LIST:
            form.set_text(PN_NAME, selected);
            dialog->Fill();
            break;
        case NAMES_OK:
            names_ok = true;
            hide_dialog(libedit_name);
            break;
        case NAMES_ADD:
            libedit_add_name(ed, typed.c_str());
            canvas_mark_modified(canvas);
            break;
        case NAMES_DELETE: libedit_delete_name(ed, selected.c_str()); break;
        case NAMES_MODIFY: libedit_rename(ed, selected.c_str(), typed.c_str()); break;
        default: break;
    }
    canvas_update_title(canvas);
}

// --- Part Info ------------------------------------------------------------------------------------
std::vector<FormRow> part_info_rows() {
    std::vector<FormRow> rows = {{.kind = RowKind::SUB_PANEL, .min = 0, .max = 4}};
    for (const std::string& label : part_info_labels()) {
        rows.push_back({.kind = RowKind::LABEL, .label = label.c_str()});
        rows.push_back({.kind = RowKind::NEW_LINE, .min = 1});
    }
    rows.push_back({.kind = RowKind::END_PANEL});
    rows.push_back({.kind = RowKind::SUB_PANEL, .min = 0, .max = 4});
    static const std::string wide(18, 'X');  // each value is made 18 characters wide
    for (int i = 0; i < static_cast<int>(part_info_labels().size()); ++i) {
        rows.push_back({.kind = RowKind::LABEL, .field = PI_VALUES + i, .label = wide.c_str()});
        rows.push_back({.kind = RowKind::NEW_LINE, .min = 1});
    }
    rows.push_back({.kind = RowKind::END_PANEL});
    return rows;
}

void show_part_info(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_partinfo);
    if (!dialog || !canvas) return;
    std::vector<std::string> values = part_info_values(editor(canvas));
    for (size_t i = 0; i < values.size(); ++i)
        set_label(dialog, PI_VALUES + static_cast<int>(i), values[i]);
}

// --- Get Vector Definition ---------------------------------------------------------------------------
std::vector<FormRow> get_vector_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 4},
        {.kind = RowKind::PICK,
         .field = GV_LIBRARIES,
         .label = "Libraries:",
         .client = VECTOR_LIBRARIES,
         .min = 150,
         .max = 200},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::TEXT,
         .field = GV_LIBRARY,
         .label = "Selected Lib.:",
         .client = VECTOR_LIBRARY_EDITED,
         .sample = "1234567890123456789"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 4},
        {.kind = RowKind::PICK,
         .field = GV_PARTS,
         .label = "Parts:",
         .client = VECTOR_PARTS,
         .min = 150,
         .max = 200},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::TEXT,
         .field = GV_PART,
         .label = "Selected Part:",
         .client = VECTOR_PART_EDITED,
         .sample = "1234567890123456789"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL, .field = GV_NOTE, .label = " "},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Get", .client = VECTOR_GET},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20057},
    };
}

std::vector<FormRow> vector_options_rows() {
    return {
        {.kind = RowKind::CHECK,
         .field = VO_FREE,
         .label = "Free Current Definition",
         .client = 20034},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHOICE,
         .field = VO_NORMAL,
         .label = "Normal Vectors",
         .sample = vector_rows},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHOICE,
         .field = VO_CONVERT,
         .label = "Convert Vectors",
         .sample = vector_rows},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL, .label = " "},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = VECTOR_OPTIONS_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20058},
    };
}

// The library kept by the search, when it is still there (the window's
// own library goes with its window).
Library* searched_library() {
    if (!vector_search.library) return nullptr;
    if (!vector_search.own) return vector_search.library;
    EditCanvas* canvas = canvas_of(libedit_vector);
    if (canvas && libedit_library(editor(canvas)) == vector_search.library)
        return vector_search.library;
    vector_search = VectorSearch{};
    return nullptr;
}

void drop_vector_search() {
    searched_library();  // forgets the window's library when it went
    vector_search_drop(&vector_search);
    vector_entry = nullptr;
}

void fill_get_vector() {
    FormDialog* dialog = form_dialog(libedit_vector);
    if (!dialog) return;
    Form& form = dialog->form();
    int count = 0;
    char** files = list_library_files(&count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.emplace_back(files[i]);
    free_name_array(files, count);
    // No line is chosen: choosing any, the first one too, lists its parts.
    form.set_entries(GV_LIBRARIES, std::move(names));
    form.set_entries(GV_PARTS, {});
    form.set_text(GV_LIBRARY, "");
    form.set_text(GV_PART, "");
    dialog->Fill();
}

// The Parts list: the names of the matches, in their order.
void list_vector_parts(FormDialog* dialog, std::vector<std::string> names) {
    dialog->form().set_entries(GV_PARTS, std::move(names));
    dialog->Fill();
}

void search_vector_parts() {
    FormDialog* dialog = form_dialog(libedit_vector);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    if (form.text(GV_PART).empty()) {
        form.set_text(GV_PART, "*");
        dialog->Fill();
    }
    searched_library();
    const std::string library = form.text(GV_LIBRARY);
    const std::string pattern = form.text(GV_PART);
    std::vector<std::string> names;
    int result = 0;
    {
        wxBusyCursor searching;
        result = libedit_vector_search(editor(canvas), &vector_search, library.c_str(),
                                       pattern.c_str(), &names);
    }
    if (result != 0) {
        pin_message(dialog, result, result == LIB_NOT_FOUND ? library.c_str() : pattern.c_str());
        return;
    }
    // One match leaves the list as it was.
    if (names.size() > 1) list_vector_parts(dialog, std::move(names));
}

}  // namespace

void vector_dialog_close(EnhancedDialog& dialog) {
    destroy_registered_dialog(dialog);
    drop_vector_search();
}

namespace {

void open_vector_options(EditCanvas* canvas, const VectorOptions& options) {
    open_dialog({&vector_definition,
                 "vector_definition",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &vector_definition, "Tessaron: Get Vector OptionsDefinition",
                         "vector_definition", dialog_style, false, Form(vector_options_rows()),
                         libedit_button, vector_dialog_close);
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 {},
                 word_of(canvas)});
    FormDialog* dialog = form_dialog(vector_definition);
    if (!dialog) return;
    Form& form = dialog->form();
    form.set_number(VO_FREE, options.free_current ? 1 : 0);
    form.set_number(VO_NORMAL, options.normal_row);
    form.set_number(VO_CONVERT, options.convert_row);
    form.value(VO_CONVERT).enabled = options.convert_applies;
    form.value(VO_FREE).enabled = options.free_applies;
    dialog->Fill();
}

void get_vector() {
    FormDialog* dialog = form_dialog(libedit_vector);
    EditCanvas* canvas = canvas_of(dialog);
    Library* library = searched_library();
    if (!dialog || !canvas || !library) return;
    dialog->Read();
    const std::string name = dialog->form().text(GV_PART);
    VectorOptions options;
    LibEntry* entry = nullptr;
    int result = libedit_get_vector(editor(canvas), library, name.c_str(), &entry, &options);
    if (result != 0) {
        pin_message(dialog, result, name.c_str());
        return;
    }
    vector_entry = entry;
    open_vector_options(canvas, options);
}

void apply_vector() {
    FormDialog* dialog = form_dialog(vector_definition);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const Form& form = dialog->form();
    VectorOptions options;
    options.free_current = form.number(VO_FREE) != 0;
    options.normal_row = form.number(VO_NORMAL);
    options.convert_row = form.number(VO_CONVERT);
    if (vector_entry && searched_library())
        libedit_apply_vector_definition(editor(canvas), vector_entry, options);
    hide_dialog(vector_definition);
    canvas_mark_modified(canvas);
    enable_library_part_menus(canvas);
    canvas->Redraw();
    hide_dialog(libedit_vector);
}

void vector_command(long id) {
    FormDialog* dialog = form_dialog(libedit_vector);
    if (!dialog) return;
    Form& form = dialog->form();
    switch (id) {
        case VECTOR_LIBRARIES: {
            dialog->Read();
            const std::string library = picked_entry(form, GV_LIBRARIES);
            if (!library.empty()) form.set_text(GV_LIBRARY, library);
            form.set_text(GV_PART, "*");
            dialog->Fill();
            search_vector_parts();
            break;
        }
        case VECTOR_LIBRARY_EDITED:
            dialog->Read();
            form.set_entries(GV_PARTS, {});
            form.set_text(GV_PART, "*");
            dialog->Fill();
            search_vector_parts();
            break;
        case VECTOR_PART_EDITED:
        case VECTOR_SEARCH: search_vector_parts(); break;
        case VECTOR_PARTS: {
            dialog_message_pin(dialog, "  ");
            dialog->Read();
            const std::string part = picked_entry(form, GV_PARTS);
            if (!part.empty()) form.set_text(GV_PART, part);
            dialog->Fill();
            break;
        }
        case VECTOR_GET: get_vector(); break;
        default: break;
    }
}

}  // namespace

// --- openers ----------------------------------------------------------------------------------------
void open_get_part(EditCanvas* canvas) {
    const bool building = libedit_part_load == nullptr;
    open_dialog({&libedit_part_load, "libedit_part_load", build_get_part, {}, word_of(canvas)});
    if (!building || !libedit_part_load) return;
    // Built now: Scan runs at once, an empty pattern listing every part.
    FormDialog* dialog = form_dialog(libedit_part_load);
    dialog->form().set_text(GP_SELECTED, "");
    dialog->Fill();
    scan_parts();
}

void open_place_body(EditCanvas* canvas) {
    open_dialog({&libedit_body,
                 "libedit_body",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_body, "Tessaron: Place Body", "libedit_body", dialog_style, false,
                         Form(place_body_rows()), libedit_button);
                     dialog->BuildRows();
                     dialog->form().set_number(PB_DEVICES, 1);
                     dialog->Fill();
                     dialog->Fit();
                 },
                 {},
                 word_of(canvas)});
}

void open_part_names(EditCanvas* canvas) {
    if (!canvas) return;
    if (!libedit_first_placed(editor(canvas))) {
        beep();
        error_box(nullptr, "Error", MB_ICON_STOP, 50001);
        return;
    }
    // Opened for another window: what it did there is kept.
    if (libedit_name && canvas_of(libedit_name) != canvas) {
        names_ok = true;
        hide_dialog(libedit_name);
    }
    open_dialog({&libedit_name, "libedit_name", [canvas] { build_part_names(canvas); }, fill_names,
                 word_of(canvas)});
}

void open_part_info(EditCanvas* canvas) {
    if (!canvas || !libedit_first_placed(editor(canvas))) return;
    open_dialog({&libedit_partinfo,
                 "libedit_partinfo",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_partinfo, "Tessaron: Part Info ", "libedit_partinfo",
                         dialog_style, false, Form(part_info_rows()), libedit_button);
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 {},
                 word_of(canvas)});
    show_part_info(canvas);
}

void open_get_vector(EditCanvas* canvas) {
    open_dialog({&libedit_vector, "libedit_vector",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_vector, "Tessaron: Get Vector Definition", "libedit_vector",
                         dialog_style_message, false, Form(get_vector_rows()), libedit_button,
                         [](EnhancedDialog& closing) {
                             destroy_registered_dialog(closing);
                             // Its options use what it found: they go first.
                             if (!vector_definition) drop_vector_search();
                         });
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 fill_get_vector, word_of(canvas)});
}

void libedit_partinfo_refresh(EditCanvas* canvas) {
    if (libedit_partinfo && canvas == canvas_of(libedit_partinfo) &&
        libedit_first_placed(editor(canvas)))
        show_part_info(canvas);
}

void names_dialog_refill(EditCanvas* canvas) {
    if (libedit_name && canvas == canvas_of(libedit_name)) fill_names();
}

EditCanvas* libedit_dialog_canvas(EnhancedDialog* dialog, bool template_too) {
    return canvas_of(dialog, template_too);
}

void libedit_command(long id) {
    for (const HelpButton& help : help_buttons) {
        if (help.id != id) continue;
        // The text dialog's help follows the kind of the current window.
        long context = help.context;
        if ((id == 20051 || id == 20052) && paint_zone)
            context = paint_zone->kind == CANVAS_LIBRARY ? 525 : 960;
        show_help(help_file, context);
        return;
    }
    switch (id) {
        case NAMES_LIST:
        case NAMES_OK:
        case NAMES_ADD:
        case NAMES_DELETE:
        case NAMES_MODIFY: names_command(id); break;
        case BODY_PLACE: place_body(); break;
        case PART_OK: get_part_ok(); break;
        case PART_SCAN: scan_parts(); break;
        case PART_LIST: part_chosen(); break;
        case VECTOR_LIBRARIES:
        case VECTOR_PARTS:
        case VECTOR_PART_EDITED:
        case VECTOR_LIBRARY_EDITED:
        case VECTOR_SEARCH:
        case VECTOR_GET: vector_command(id); break;
        case VECTOR_OPTIONS_OK: apply_vector(); break;
        default: libedit_item_command(id); break;  // the item dialogs' ids
    }
}
