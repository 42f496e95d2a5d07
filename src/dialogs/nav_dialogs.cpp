#include "dialogs/nav_dialogs.h"

#include "dialogs/dialog_opener.h"
#include "dialogs/forms/nav_forms.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "foundation/errors.h"
#include "foundation/services.h"
#include "model/documents/schema.h"
#include "model/items/view.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_style.h"

namespace {

const char* const help_file = "Tessaron.hlp";

// Bookmark Name, Jump XY Position and Find Text belong to the canvas they
// act on; Shortcuts, which follows the current canvas, is the program's.
EnhancedDialog*& name_tags(EditCanvas* canvas) { return *canvas->dialogs.slot("name_tags"); }
EnhancedDialog*& jump_xypos(EditCanvas* canvas) { return *canvas->dialogs.slot("jump_xypos"); }
EnhancedDialog*& find_text(EditCanvas* canvas) { return *canvas->dialogs.slot("find_text"); }
EnhancedDialog*& shortcuts() { return *program_dialogs()->slot("help_shortcuts"); }

// What a canvas's navigation dialogs remember: the slot Bookmark Name edits.
struct NavState {
    int bookmark_slot = 0;
};
// What the program's navigation dialogs remember: the last text searched
// (kept for the whole run) and the Shortcuts lists.
struct ProgramNavState {
    std::string search_text;
    ShortcutsState shortcuts;
};
ProgramNavState& program_state() { return program_dialogs()->state<ProgramNavState>(); }

FormDialog* as_form(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

EditCanvas* current_canvas() {
    EditCanvas* canvas = application().current_canvas();
    return canvas && canvas->mySchema ? canvas : nullptr;
}

void build(EditCanvas* canvas, EnhancedDialog** slot, const char* title, const char* window_name,
           bool modal, std::vector<FormRow> rows) {
    if (*slot) return;
    FormDialog* dialog = new_registered_dialog(
        slot, title, window_name, dialog_style_message, modal, Form(std::move(rows)),
        [canvas](long id) { tool_dialog_command(canvas, id); });
    dialog->BuildRows();
    dialog->Fit();
}

void create_name_tags(EditCanvas* canvas) {
    build(canvas, &name_tags(canvas), "Tessaron: Bookmark Name", "name_tags", true,
          name_tags_rows());
}
void create_jump_xypos(EditCanvas* canvas) {
    build(canvas, &jump_xypos(canvas), "Tessaron: Jump XY Position", "jump_xypos", true,
          jump_xypos_rows());
}
void create_find_text(EditCanvas* canvas) {
    build(canvas, &find_text(canvas), "Tessaron: Find Text", "find_text", false, find_text_rows());
}

// The callback of the Shortcuts dialog's items: nothing without a canvas.
void shortcuts_callback(long client) {
    if (application().current_canvas()) shortcuts_command(client);
}

void create_shortcuts() {
    if (shortcuts()) return;
    // Its own Cancel, in the panel: no Cancel in the button row.
    FormDialog* dialog = new_registered_dialog(&shortcuts(), "Tessaron: Shortcuts", "shortcuts",
                                               dialog_style_message & ~DIALOG_CANCEL_MASK, false,
                                               Form(shortcuts_rows()), shortcuts_callback);
    dialog->BuildRows();
    dialog->Fit();
}

void bookmark_ok(EditCanvas* canvas) {
    if (!name_tags(canvas)) return;
    as_form(name_tags(canvas))->Read();
    if (canvas->mySchema &&
        name_bookmark(canvas->mySchema, canvas->dialogs.state<NavState>().bookmark_slot,
                      as_form(name_tags(canvas))->form().text(NF_BOOKMARK))) {
        application().fill_bookmark_menus(canvas, canvas->mySchema);
        application().mark_modified(canvas);
    }
    hide_dialog(name_tags(canvas));
}

void jump(EditCanvas* canvas) {
    if (!jump_xypos(canvas)) return;
    FormDialog* dialog = as_form(jump_xypos(canvas));
    dialog->Read();
    Point p;
    // A field that holds no number rings and the dialog stays to mend it.
    if (!jump_target(dialog->form().text(NF_X), dialog->form().text(NF_Y), &p)) return;
    hide_dialog(jump_xypos(canvas));
    if (!canvas->mySchema) return;
    show_point(editor_session(canvas), p);
    application().show_cursor_position(p);
}

void show_count(EditCanvas* canvas, int count) {
    FormDialog* dialog = canvas && find_text(canvas) ? as_form(find_text(canvas)) : nullptr;
    show_match_count(canvas && canvas->mySchema ? editor_session(canvas) : nullptr,
                     dialog ? &dialog->form() : nullptr, count);
    if (!dialog) return;
    dialog->Fill(false);
    dialog->SetMessage(match_count_message(count).c_str());
}

void find(EditCanvas* canvas) {
    // Without a document there is nothing to search.
    if (!find_text(canvas) || !canvas->mySchema) return;
    FormDialog* dialog = as_form(find_text(canvas));
    dialog->Read();
    std::string& search_text = program_state().search_text;
    store_find_text(dialog->form(), &search_text);
    EditSession* session = editor_session(canvas);
    const int count = search_canvas_texts(session, search_text, dialog->form().number(NF_CASE),
                                          dialog->form().number(NF_JOKER));
    show_count(canvas, count);
    if (count == 0)
        error_box(nullptr, "Error", MB_ICON_STOP, 72);
    else
        step_match(session, true);
}

void step(EditCanvas* canvas, bool forward) {
    if (!find_text(canvas) || !canvas->mySchema) return;
    as_form(find_text(canvas))->Read();
    store_find_text(as_form(find_text(canvas))->form(), &program_state().search_text);
    step_match(editor_session(canvas), forward);
}

}  // namespace

void edit_bookmark(EditCanvas* canvas, int slot) {
    if (!canvas || !canvas->mySchema || slot < 0 || slot >= VIEW_SLOTS) return;
    canvas->dialogs.state<NavState>().bookmark_slot = slot;
    Point at;
    bool in_use = false;
    const std::string name = view_get_tag(&canvas->mySchema->view, slot, &at, &in_use);
    open_dialog({&name_tags(canvas), "name_tags", [canvas] { create_name_tags(canvas); },
                 [canvas, name] {
                     fill_name_tags(as_form(name_tags(canvas))->form(), name);
                     as_form(name_tags(canvas))->Fill();
                 }});
}

void open_find_text(EditCanvas* canvas) {
    if (!canvas) return;
    open_dialog({&find_text(canvas), "find_text", [canvas] { create_find_text(canvas); },
                 [canvas] {
                     load_find_text(as_form(find_text(canvas))->form(),
                                    program_state().search_text);
                     as_form(find_text(canvas))->Fill();
                 }});
    show_count(canvas, -1);
}

void open_jump_xypos(EditCanvas* canvas) {
    if (!canvas) return;
    open_dialog({&jump_xypos(canvas), "jump_xypos", [canvas] { create_jump_xypos(canvas); },
                 [canvas] {
                     Form& form = as_form(jump_xypos(canvas))->form();
                     form.set_text(NF_X, "");
                     form.set_text(NF_Y, "");
                     as_form(jump_xypos(canvas))->Fill();
                 }});
}

void reset_match_count(EditCanvas* canvas) { show_count(canvas, -1); }

std::string& remembered_search_text() { return program_state().search_text; }

void tool_dialog_command(EditCanvas* canvas, long id) {
    if (!canvas) return;
    switch (id) {
        case NAV_CMD_BOOKMARK_OK: bookmark_ok(canvas); break;
        case NAV_CMD_JUMP: jump(canvas); break;
        case NAV_CMD_FIND: find(canvas); break;
        case NAV_CMD_PREVIOUS: step(canvas, false); break;
        case NAV_CMD_NEXT: step(canvas, true); break;
        case NAV_CMD_BOOKMARK_HELP:
        case NAV_CMD_JUMP_HELP:
        case NAV_CMD_FIND_HELP:
            if (long context = nav_help_context(id, canvas->mySchema ? canvas->kind : 0))
                application().show_help(help_file, context);
            break;
        default: break;
    }
}

// --- Shortcuts -----------------------------------------------------------------------------------

void open_shortcuts(EditCanvas* canvas) {
    open_dialog({&shortcuts(), "help_shortcuts", create_shortcuts, {}});
    shortcuts_refresh(canvas);
}

void shortcuts_refresh(EditCanvas* canvas) {
    if (!program_dialogs() || !shortcuts()) return;
    // The canvas's modes as they stand: this runs while modes are pushed and
    // popped, also while the session is being closed for another document.
    shortcuts_refresh(as_form(shortcuts())->form(), program_state().shortcuts,
                      canvas ? &canvas->editing : nullptr);
    as_form(shortcuts())->Fill(false);
}

void shortcuts_command(long id) {
    if (!program_dialogs() || !shortcuts()) return;
    if (id == SHORTCUTS_CMD_CANCEL) {
        hide_dialog(shortcuts());
        return;
    }
    FormDialog* dialog = as_form(shortcuts());
    dialog->Read();
    EditCanvas* canvas = current_canvas();
    shortcuts_react(id, dialog->form(), program_state().shortcuts,
                    canvas ? &canvas->editing : nullptr);
    dialog->Fill(false);
}
