#include "dialogs/nav_dialogs.h"

#include "canvas/application.h"
#include "canvas/edit_canvas.h"
#include "dialogs/dialog_opener.h"
#include "dialogs/forms/nav_forms.h"
#include "foundation/errors.h"
#include "foundation/services.h"
#include "model/documents/schema.h"
#include "model/items/view.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_style.h"

EnhancedDialog* name_tags = nullptr;
EnhancedDialog* jump_xypos = nullptr;
EnhancedDialog* find_text = nullptr;
EnhancedDialog* shortcuts = nullptr;

namespace {

const char* const help_file = "Tessaron.hlp";

// The slot Bookmark Name edits.
int bookmark_slot = 0;
ShortcutsState shortcuts_state;

FormDialog* as_form(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

EditCanvas* current_canvas() {
    EditCanvas* canvas = application().current_canvas();
    return canvas && canvas->mySchema ? canvas : nullptr;
}

void build(EnhancedDialog** global, const char* title, const char* window_name, bool modal,
           std::vector<FormRow> rows) {
    if (*global) return;
    FormDialog* dialog = new_registered_dialog(global, title, window_name, dialog_style_message,
                                               modal, Form(std::move(rows)), tool_dialog_callback);
    dialog->BuildRows();
    dialog->Fit();
}

void create_name_tags() {
    build(&name_tags, "Tessaron: Bookmark Name", "name_tags", true, name_tags_rows());
}
void create_jump_xypos() {
    build(&jump_xypos, "Tessaron: Jump XY Position", "jump_xypos", true, jump_xypos_rows());
}
void create_find_text() {
    build(&find_text, "Tessaron: Find Text", "find_text", false, find_text_rows());
}

// The callback of the Shortcuts dialog's items: nothing without a canvas.
void shortcuts_callback(long client) {
    if (application().current_canvas()) shortcuts_command(client);
}

void create_shortcuts() {
    if (shortcuts) return;
    // Its own Cancel, in the panel: no Cancel in the button row.
    FormDialog* dialog = new_registered_dialog(&shortcuts, "Tessaron: Shortcuts", "shortcuts",
                                               dialog_style_message & ~DIALOG_CANCEL_MASK, false,
                                               Form(shortcuts_rows()), shortcuts_callback);
    dialog->BuildRows();
    dialog->Fit();
}

void bookmark_ok(EditCanvas* canvas) {
    if (!name_tags) return;
    as_form(name_tags)->Read();
    if (canvas && name_bookmark(canvas->mySchema, bookmark_slot,
                                as_form(name_tags)->form().text(NF_BOOKMARK))) {
        application().fill_bookmark_menus(canvas, canvas->mySchema);
        application().mark_modified(canvas);
    }
    hide_dialog(name_tags);
}

void jump(EditCanvas* canvas) {
    if (!jump_xypos) return;
    FormDialog* dialog = as_form(jump_xypos);
    dialog->Read();
    Point p;
    // A field that holds no number rings and the dialog stays to mend it.
    if (!jump_target(dialog->form().text(NF_X), dialog->form().text(NF_Y), &p)) return;
    hide_dialog(jump_xypos);
    if (!canvas) return;
    show_point(editor_session(canvas), p);
    application().show_cursor_position(p);
}

void show_count(EditCanvas* canvas, int count) {
    FormDialog* dialog = find_text ? as_form(find_text) : nullptr;
    show_match_count(canvas ? editor_session(canvas) : nullptr, dialog ? &dialog->form() : nullptr,
                     count);
    if (!dialog) return;
    dialog->Fill(false);
    dialog->SetMessage(match_count_message(count).c_str());
}

void find(EditCanvas* canvas) {
    // Without a document there is nothing to search.
    if (!find_text || !canvas) return;
    FormDialog* dialog = as_form(find_text);
    dialog->Read();
    store_find_text(dialog->form());
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
    if (!find_text || !canvas) return;
    as_form(find_text)->Read();
    store_find_text(as_form(find_text)->form());
    step_match(editor_session(canvas), forward);
}

}  // namespace

void edit_bookmark(EditCanvas* canvas, int slot) {
    if (!canvas || !canvas->mySchema || slot < 0 || slot >= VIEW_SLOTS) return;
    bookmark_slot = slot;
    Point at;
    bool in_use = false;
    const std::string name = view_get_tag(&canvas->mySchema->view, slot, &at, &in_use);
    open_dialog({&name_tags, "name_tags", create_name_tags,
                 [name] {
                     fill_name_tags(as_form(name_tags)->form(), name);
                     as_form(name_tags)->Fill();
                 },
                 reinterpret_cast<long>(canvas)});
}

void open_find_text(EditCanvas* canvas) {
    open_dialog({&find_text, "find_text", create_find_text,
                 [] {
                     load_find_text(as_form(find_text)->form());
                     as_form(find_text)->Fill();
                 },
                 reinterpret_cast<long>(canvas)});
    show_count(canvas, -1);
}

void open_jump_xypos(EditCanvas* canvas) {
    open_dialog({&jump_xypos, "jump_xypos", create_jump_xypos,
                 [] {
                     Form& form = as_form(jump_xypos)->form();
                     form.set_text(NF_X, "");
                     form.set_text(NF_Y, "");
                     as_form(jump_xypos)->Fill();
                 },
                 reinterpret_cast<long>(canvas)});
}

void reset_match_count(EditCanvas* canvas) { show_count(canvas, -1); }

void tool_dialog_callback(long client_word) { tool_dialog_command(client_word); }

void tool_dialog_command(long id) {
    EditCanvas* canvas = current_canvas();
    switch (id) {
        case NAV_CMD_BOOKMARK_OK: bookmark_ok(canvas); break;
        case NAV_CMD_JUMP: jump(canvas); break;
        case NAV_CMD_FIND: find(canvas); break;
        case NAV_CMD_PREVIOUS: step(canvas, false); break;
        case NAV_CMD_NEXT: step(canvas, true); break;
        case NAV_CMD_BOOKMARK_HELP:
        case NAV_CMD_JUMP_HELP:
        case NAV_CMD_FIND_HELP:
            if (long context = nav_help_context(id, canvas ? canvas->kind : 0))
                application().show_help(help_file, context);
            break;
        default: break;
    }
}

// --- Shortcuts -----------------------------------------------------------------------------------

void open_shortcuts(EditCanvas* canvas) {
    open_dialog({&shortcuts, "help_shortcuts", create_shortcuts, {}, 0});
    shortcuts_refresh(canvas);
}

void shortcuts_refresh(EditCanvas* canvas) {
    if (!shortcuts) return;
    // The canvas's modes as they stand: this runs while modes are pushed and
    // popped, also while the session is being closed for another document.
    shortcuts_refresh(as_form(shortcuts)->form(), shortcuts_state,
                      canvas ? &canvas->editing : nullptr);
    as_form(shortcuts)->Fill(false);
}

void shortcuts_command(long id) {
    if (!shortcuts) return;
    if (id == SHORTCUTS_CMD_CANCEL) {
        hide_dialog(shortcuts);
        return;
    }
    FormDialog* dialog = as_form(shortcuts);
    dialog->Read();
    EditCanvas* canvas = current_canvas();
    shortcuts_react(id, dialog->form(), shortcuts_state, canvas ? &canvas->editing : nullptr);
    dialog->Fill(false);
}
