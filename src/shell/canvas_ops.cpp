// The canvas state the editors and dialogs change through the shell: the
// modified mark, titles, the status line, menus and views of all windows.
#include <cmath>
#include <cstdio>

#include <wx/menu.h>

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit_items.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/text.h"
#include "model/items/view.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/asking.h"

namespace {

wxMenuBar* bar_of(EditCanvas* canvas) {
    MyChild* child = child_of(canvas);
    return child ? child->GetMenuBar() : nullptr;
}

// The status line's mode, prompt and modified fields for the canvas.
void show_status(EditCanvas* canvas) {
    if (!main_frame || canvas != paint_zone) return;
    main_frame->SetStatusField(STATUS_MODE, wxString::FromUTF8(canvas->mode_name));
    main_frame->SetStatusField(STATUS_PROMPT, wxString::FromUTF8(canvas->prompt));
    main_frame->SetStatusField(
        STATUS_MODIFIED, schema_is_modified(canvas->mySchema) ? wxS("*MODIFIED*") : wxString());
}

}  // namespace

bool canvas_is_empty(EditCanvas* canvas) { return !canvas || schema_is_empty(canvas->mySchema); }

// The modified mark is shown in the title and the status line; the drawing
// does not show it, so it is not drawn again.
void canvas_mark_modified(EditCanvas* canvas) {
    if (!canvas || !canvas->mySchema) return;
    schema_set_modified(canvas->mySchema);
    canvas_update_title(canvas);
    show_status(canvas);
}

void canvas_mark_saved(EditCanvas* canvas) {
    if (!canvas || !canvas->mySchema) return;
    schema_clear_modified(canvas->mySchema);
    canvas_update_title(canvas);
    show_status(canvas);
}

void canvas_redraw(EditCanvas* canvas, Schema*) {
    if (canvas) canvas->Redraw();
}

void canvas_redraw_and_status(EditCanvas* canvas) {
    if (!canvas) return;
    canvas->Redraw();
    show_status(canvas);
}

void canvas_update_title(EditCanvas* canvas) {
    MyChild* child = child_of(canvas);
    if (!child) return;
    std::string name = canvas_file_name(canvas);
    const char* what = canvas->kind == CANVAS_LIBRARY    ? "Library"
                       : canvas->kind == CANVAS_TEMPLATE ? "Title Block"
                                                         : "Sheet";
    std::string shown = name.empty() ? "Untitled" : name.substr(name.find_last_of("/\\") + 1);
    std::string title = std::string(what) + ": " + shown;
    // A library window names the part under edit.
    if (canvas->kind == CANVAS_LIBRARY)
        if (const char* part = libedit_part_name(&canvas->libedit))
            title += std::string(" [") + part + "]";
    if (schema_is_modified(canvas->mySchema)) title += " *";
    child->SetTitle(wxString::FromUTF8(title));
}

void canvas_set_cursor_pos(Point world) {
    if (!main_frame) return;
    char text[48];
    std::snprintf(text, sizeof text, "X:%d Y:%d", static_cast<int>(world.x),
                  static_cast<int>(world.y));
    main_frame->SetStatusField(STATUS_POSITION, text);
}

void canvas_set_prompt(EditCanvas* canvas, const char* text) {
    if (!canvas) return;
    std::string shown = prompt_text(text);
    if (shown == canvas->prompt) return;
    canvas->prompt = shown;
    if (main_frame && canvas == paint_zone)
        main_frame->SetStatusField(STATUS_PROMPT, wxString::FromUTF8(shown));
}

void canvas_set_mode_name(EditCanvas* canvas, const char* text) {
    if (!canvas) return;
    canvas->mode_name = prompt_text(text);
    if (main_frame && canvas == paint_zone)
        main_frame->SetStatusField(STATUS_MODE, wxString::FromUTF8(canvas->mode_name));
}

// The modes that keep a repeat flag come with the sheet editor.
void canvas_set_repeat(EditCanvas* canvas, int count) {
    if (canvas) canvas_set_repeat(&canvas->editing, count);
}

void canvas_set_repeat_range(EditCanvas* canvas, void* first, void* last) {
    if (!canvas) return;
    canvas->repeat_first = static_cast<SchItem*>(first);
    canvas->repeat_last = static_cast<SchItem*>(last);
    canvas_set_repeat_range(&canvas->editing, canvas->repeat_first, canvas->repeat_last);
}

// The sheet's undo copy and selection record are the sheet editor's.
void canvas_clear_selection_info(EditCanvas* canvas) {
    if (!canvas) return;
    canvas->libedit.current_item = nullptr;
    canvas_clear_selection_info(&canvas->editing);
}

void enable_undo(EditCanvas* canvas, int state) {
    wxMenuBar* bar = bar_of(canvas);
    if (!bar) return;
    int id = canvas->kind == CANVAS_TEMPLATE ? TEMPLATE_CMD_UNDO : CMD_UNDO;
    if (wxMenuItem* item = bar->FindItem(id))
        item->Enable(state != 0 && command_enabled(id, command_state(canvas)));
}

void enable_part_menu(EditCanvas* canvas) {
    if (main_frame && canvas) main_frame->RefreshMenus(bar_of(canvas), canvas);
}
void enable_library_part_menus(EditCanvas* canvas) { enable_part_menu(canvas); }

void refresh_all_menus(int) {
    if (!main_frame) return;
    main_frame->RefreshMenus(main_frame->GetMenuBar(), nullptr);
    for (MyChild* child : my_children) main_frame->RefreshMenus(child->GetMenuBar(), child->canvas);
}

void fill_bookmark_menus(EditCanvas* canvas, Schema* schema) {
    wxMenuBar* bar = bar_of(canvas);
    if (!bar || !schema) return;
    const CommandState state{canvas->kind, schema};
    for (int i = 0; i < 5; ++i) {
        Point at;
        bool in_use = false;
        const char* name = view_get_tag(&schema->view, i, &at, &in_use);
        wxString letter = wxString::Format("%c", 'A' + i);
        wxString label = name && *name ? wxString::FromUTF8(name) : wxS("Mark ") + letter;
        if (wxMenuItem* jump = bar->FindItem(EDITOR_JUMP_FIRST + i)) {
            jump->SetItemLabel(wxS("&") + letter + wxS(" ") + label);
            jump->Enable(command_enabled(EDITOR_JUMP_FIRST + i, state));
        }
        if (wxMenuItem* mark = bar->FindItem(EDITOR_MARK_FIRST + i)) {
            mark->SetItemLabel(wxS("&") + letter + wxS(" ") + label + wxS("..."));
            mark->Enable(command_enabled(EDITOR_MARK_FIRST + i, state));
        }
    }
}

void repaint_all() {
    for (MyChild* child : my_children)
        if (child->canvas) child->canvas->Redraw();
    refresh_palette();
}

void all_views_load_options() {
    for (MyChild* child : my_children)
        if (child->canvas && child->canvas->mySchema)
            view_load_options(&child->canvas->mySchema->view);
}

int count_items_all_sheets(int kind) {
    int total = 0;
    for (MyChild* child : my_children) {
        EditCanvas* c = child->canvas;
        if (c && c->kind == CANVAS_SHEET && c->mySchema && c->mySchema->current)
            total += count_SchItems(c->mySchema, c->mySchema->current->items, kind);
    }
    return total;
}

int get_geometry() { return proper_get(GEOMETRY); }
void set_geometry(int geometry) { proper_set(GEOMETRY, geometry); }

// Called before the library drawing tools start; nothing to prepare yet.
void empty_canvas_hook() {}

void init_title_block_fields(EditCanvas* canvas, int) {
    if (!canvas || !canvas->mySchema) return;
    Schema* schema = canvas->mySchema;
    const bool template_window = canvas->kind == CANVAS_TEMPLATE;
    for (SchItem* item : list_items<SchItem>(schema->titleblock.fields)) {
        if (item->type != TEXT_ITEM) continue;
        Text* text = as_Text(item);
        if (text->field < 1 || text->field > FIELD_SHEETSIZE) continue;
        // A sheet shows its size; a title-block window has none to show.
        if (text->field == FIELD_SHEETSIZE)
            text->string = template_window ? control_placeholder(text->field)
                                           : sheet_size_name(schema_sheet_size(schema));
        else
            text->string = schema_field(schema, text->field);
        // A title-block window shows what an empty field stands for.
        if (text->string.empty() && template_window)
            text->string = control_placeholder(text->field);
        free_Strokes(text->layout);
        text->layout = nullptr;
    }
    titleblock_bounds(schema);
    canvas->Redraw();
}

bool title_fields_import(EditCanvas* canvas, const char* file_name) {
    if (!canvas || !canvas->mySchema) return false;
    int result = title_fields_read(canvas->mySchema, file_name);
    if (result != 0) {
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, file_name);
        return false;
    }
    init_title_block_fields(canvas, 1);
    canvas_mark_modified(canvas);
    return true;
}

bool title_fields_export(EditCanvas* canvas, const char* file_name) {
    if (!canvas || !canvas->mySchema) return false;
    int result = title_fields_write(canvas->mySchema, file_name);
    if (result != 0) {
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, file_name);
        return false;
    }
    return true;
}
