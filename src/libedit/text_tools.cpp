// "Add IEEE" and "Add Text": an IEEE symbol or a text that follows the
// pointer and is put into a body of the part under edit, or a text or a
// title-block control put into a template.
#include <algorithm>
#include <string>

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_tools.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/view.h"

namespace {

constexpr int SIZE_STEP = 100;
constexpr int SIZE_MIN = 50;
// The whole plane: the limit of a text put into a template.
constexpr Rect PLANE{0, 0, 9999999, 9999999};

int16_t size_of(int size) { return static_cast<int16_t>(std::clamp(size, SIZE_MIN, 32767)); }

// Orientation codes in steps of 45 degrees of escapement.
const int orient_ring[8] = {0, 7, 3, 6, 2, 5, 1, 4};

int ring_step(int code, int step) {
    for (int i = 0; i < 8; ++i)
        if (orient_ring[i] == (code & TEXT_ROT_MASK)) return orient_ring[(i + step + 8) % 8];
    return code & TEXT_ROT_MASK;
}

void show_text(EditSession* session, Text* text) {
    if (!text) return;
    List shown;
    append_or_die(&shown, text);
    session->host->xor_items(&shown);
    dlist_remove_head(&shown, nullptr);
}

void move_text(Text* text, Point p) {
    text->pos = p;
    layout_Text(text);
}

Text* new_template(LibEdit* ed) {
    Text* text = new_Text();
    if (!text) no_memory();
    libedit_text_fonts(ed, text);
    return text;
}

// A copy of the text moved by the offset appended to the list.
void libtext_add_item(Text* text, Point offset, List* list, uint8_t extra_flags) {
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, offset.x, offset.y);
    Text* copy = copy_Text(text);
    if (!copy) no_memory();
    matrix_Text(copy, &shift);
    copy->flags |= extra_flags;
    layout_Text(copy);
    append_or_die(list, copy);
}

// --- Add IEEE ----------------------------------------------------------------------------------
struct IeeeTool {
    Text* symbol;  // owned: the symbol that follows the pointer
};

IeeeTool* ieee_tool(ModeInstance* instance) { return mode_data<IeeeTool>(instance); }

void ieee_ghost_paint(EditSession* session, ModeInstance* instance) {
    show_text(session, ieee_tool(instance)->symbol);
}

// A copy of the symbol, moved by the offset, into the body of the form the
// placed part shows (made when missing). False without a part.
bool ieee_add_to_part(LibEdit* ed, Text* symbol, PlacedPart* placed, Point offset) {
    List* target = part_body_items(ed, (placed->flags & PL_CONVERT) != 0);
    if (!target) return false;
    libtext_add_item(symbol, offset, target, 0);
    return true;
}

void ieee_enter(EditSession* session, ModeInstance* instance) {
    SetCrossHairStyle(session, 0, true);
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_mode_name(session, "Add IEEE");
    set_prompt(session, "Click IEEE position");
}

void ieee_exit(EditSession* session, ModeInstance* instance) {
    IeeeTool* tool = ieee_tool(instance);
    if (tool->symbol) free_Text(tool->symbol, false);
    tool->symbol = nullptr;
    if (session->schema) view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
}

int ieee_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    IeeeTool* tool = ieee_tool(instance);
    LibEdit* ed = libedit_of(session);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
            ghost_erase(session, instance);
            move_text(tool->symbol, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP: {
            Boite* body = nullptr;
            PlacedPart* placed = libedit_part_at_point(ed, p, true, &body);
            if (!placed || !body) {
                session->host->bell();
                return 1;
            }
            ghost_erase(session, instance);
            move_text(tool->symbol, p);
            {
                LibEditTransaction edit(ed, LibEditTransaction::TAKEN);
                if (!ieee_add_to_part(ed, tool->symbol, placed,
                                      Point{-body->pos.x, -body->pos.y})) {
                    edit.abandon();
                    session->host->bell();
                }
            }
            ghost_draw(session, instance);
            return 1;
        }
        case EV_RIGHT_UP:
            PopMode(session);
            // The symbol dialog comes back for the next one.
            if (ed) ed->host->command(LIBEDIT_CMD_IEEE);
            return 1;
        default: return 0;
    }
}

void resize_symbol(EditSession* session, ModeInstance* instance, int step) {
    Text* symbol = ieee_tool(instance)->symbol;
    ghost_erase(session, instance);
    symbol->size =
        TextSize{size_of(symbol->size.width + step), size_of(symbol->size.height + step)};
    layout_Text(symbol);
    ghost_draw(session, instance);
}

int ieee_key_enlarge(EditSession* session, ModeInstance* instance, int) {
    resize_symbol(session, instance, SIZE_STEP);
    return 1;
}

int ieee_key_shrink(EditSession* session, ModeInstance* instance, int) {
    resize_symbol(session, instance, -SIZE_STEP);
    return 1;
}

const ToolKey ieee_keys[] = {
    {0, 0, "Mouse", "MB1 identify position.", nullptr, nullptr},
    {'+', '+', "+ : Enlarge IEEE Symbol", "The '+' enlarge the IEEE Symbol added.\n",
     libedit_key_always, ieee_key_enlarge},
    {'-', '-', "- : Shrink IEEE Symbol", "The '-' shrink the IEEE Symbol added.\n",
     libedit_key_always, ieee_key_shrink},
    TN_ESC_KEY,
};

// --- Add Text ----------------------------------------------------------------------------------
struct TextTool {
    uint8_t state;  // 1 following the pointer
    uint8_t in_part;
    int32_t kind;  // -1 a free text; 1..27 the field of a title-block control
    Text* text;    // owned: the text that follows the pointer
    uint8_t flags;
    TextSize size;
    int32_t font;
};

TextTool* text_tool(ModeInstance* instance) { return mode_data<TextTool>(instance); }

void libtext_ghost_paint(EditSession* session, ModeInstance* instance) {
    show_text(session, text_tool(instance)->text);
}

void text_enter(EditSession* session, ModeInstance* instance) {
    SetCrossHairStyle(session, 0, true);
    SetModeCursor(session, instance, CURSOR_CROSS);
    text_tool(instance)->state = 1;
}

void text_exit(EditSession* session, ModeInstance* instance) {
    TextTool* tool = text_tool(instance);
    if (tool->text) free_Text(tool->text, false);
    tool->text = nullptr;
    if (session->schema) view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
    if (LibEdit* ed = libedit_of(session)) ed->host->fonts_used();
}

// Where the text goes and the body it must stay in; false without a body
// under the point in a library window.
bool libtext_part_reference(EditSession* session, const TextTool* tool, Point p, List** target,
                            Point* offset, Rect* limit) {
    LibEdit* ed = libedit_of(session);
    Schema* schema = session->schema;
    if (!tool->in_part) {
        *offset = Point{0, 0};
        *limit = PLANE;
        List*& list = tool->kind >= 1 ? schema->titleblock.fields : schema->titleblock.drawing;
        if (!list) list = new_list_or_die();
        *target = list;
        return true;
    }
    Boite* body = nullptr;
    PlacedPart* placed = libedit_part_at_point(ed, p, true, &body);
    if (!placed || !body) return false;
    *limit = body_rect(body);
    *offset = Point{-limit->x, -limit->y};
    *target = part_body_items(ed, (body->state & CONVERTED_BOX) != 0);
    return *target != nullptr;
}

const char* place_prompt(const TextTool* tool) {
    return tool->kind >= 1 ? "Click Control position" : "Click Text position";
}

int text_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    TextTool* tool = text_tool(instance);
    LibEdit* ed = libedit_of(session);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
            ghost_erase(session, instance);
            move_text(tool->text, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP: {
            List* target = nullptr;
            Point offset;
            Rect limit;
            if (!libtext_part_reference(session, tool, p, &target, &offset, &limit)) {
                session->host->bell();
                return 1;
            }
            ghost_erase(session, instance);
            {
                Text* text = tool->text;
                text->flags = tool->flags;
                text->font = tool->font;
                move_text(text, p);
                // A text that leaves its body is made smaller until it fits,
                // and the user is told; one that would shrink to a dot stays
                // out, and nothing is edited.
                const TextFit fit = text_fit_into(session->schema, text, limit);
                if (fit == FIT_NO_ROOM) {
                    session->host->bell();
                    set_prompt(session, "No room for the text in the body");
                    ghost_draw(session, instance);
                    return 1;
                }
                LibEditTransaction edit(ed, LibEditTransaction::TAKEN);
                set_prompt(session, fit == FIT_SHRUNK ? "Text shrunk to fit in the body"
                                                      : place_prompt(tool));
                libtext_add_item(text, offset, target, tool->kind >= 1 ? TBLOCK : 0);
                text->size = tool->size;  // the next one starts at the chosen size
                layout_Text(text);
            }
            ghost_draw(session, instance);
            return 1;
        }
        case EV_RIGHT_UP: PopMode(session); return 1;
        default: return 0;
    }
}

// After a key: the text takes the tool's flags, size and font at the pointer.
void text_reshape(EditSession* session, ModeInstance* instance) {
    TextTool* tool = text_tool(instance);
    tool->text->flags = tool->flags;
    tool->text->size = tool->size;
    tool->text->font = tool->font;
    move_text(tool->text, session->pointer);
    ghost_draw(session, instance);
}

void turn(EditSession* session, ModeInstance* instance, int step) {
    TextTool* tool = text_tool(instance);
    ghost_erase(session, instance);
    const int code = ring_step(tool->flags, step);
    tool->flags = static_cast<uint8_t>((tool->flags & ~TEXT_ROT_MASK) | code);
    if (tool->font >= 10) {
        LibEdit* ed = libedit_of(session);
        if (List** fonts = ed ? libedit_font_table(ed) : nullptr)
            tool->font = ed->host->font_at_escapement(fonts, tool->font, orient_to_angle(code));
    }
    text_reshape(session, instance);
}

void toggle(EditSession* session, ModeInstance* instance, uint8_t bit) {
    ghost_erase(session, instance);
    text_tool(instance)->flags ^= bit;
    text_reshape(session, instance);
}

void resize_text(EditSession* session, ModeInstance* instance, int step) {
    TextTool* tool = text_tool(instance);
    ghost_erase(session, instance);
    tool->size = TextSize{size_of(tool->size.width + step), size_of(tool->size.height + step)};
    text_reshape(session, instance);
}

int key_left(EditSession* s, ModeInstance* i, int) { return turn(s, i, 1), 1; }
int key_right(EditSession* s, ModeInstance* i, int) { return turn(s, i, -1), 1; }
int key_down(EditSession* s, ModeInstance* i, int) { return toggle(s, i, MX), 1; }
int key_up(EditSession* s, ModeInstance* i, int) { return toggle(s, i, MY), 1; }
int key_box(EditSession* s, ModeInstance* i, int) { return toggle(s, i, BOXED), 1; }
int key_enlarge(EditSession* s, ModeInstance* i, int) { return resize_text(s, i, SIZE_STEP), 1; }
int key_shrink(EditSession* s, ModeInstance* i, int) { return resize_text(s, i, -SIZE_STEP), 1; }

const ToolKey text_keys[] = {
    {0, 0, "Mouse", "MB1 identify port position.", nullptr, nullptr},
    {TK_LEFT, TK_LEFT, "Left arrow : Rotate Left",
     "The Left arrow key Rotate Counter Clockwise current Selection.", libedit_key_always,
     key_left},
    {TK_RIGHT, TK_RIGHT, "Right arrow : Rotate Right",
     "The Right arrow key Rotate Clockwise current Selection.", libedit_key_always, key_right},
    {TK_DOWN, TK_DOWN, "Down arrow : X Mirror ", "The Down arrow key X Mirror current Selection.",
     libedit_key_always, key_down},
    {TK_UP, TK_UP, "Up arrow : Y Mirror ", "The Up arrow key Y Mirror current Selection.",
     libedit_key_always, key_up},
    {'B', 'b', "B or b : Box text",
     "The 'B' or 'b' keys toggle the boxing flag of the text added.\n", libedit_key_always,
     key_box},
    {'+', '+', "+ : Enlarge text", "The '+' enlarge the text added.\n", libedit_key_always,
     key_enlarge},
    {'-', '-', "- : Shrink text", "The '-' shrink the text added.\n", libedit_key_always,
     key_shrink},
    TN_ESC_KEY,
};

ModeInstance* push_text_tool(EditSession* session, bool in_part, int kind, const char* string,
                             uint8_t flags, int xsize, int ysize, int font) {
    LibEdit* ed = libedit_of(session);
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &libedit_add_text_mode);
    TextTool* tool = text_tool(instance);
    tool->in_part = in_part ? 1 : 0;
    tool->kind = kind;
    tool->flags = flags;
    tool->size = TextSize{size_of(xsize), size_of(ysize)};
    tool->font = font;
    tool->text = new_template(ed);
    tool->text->string = string ? string : "";
    tool->text->flags = flags;
    tool->text->size = tool->size;
    tool->text->font = font;
    tool->text->field = kind >= 1 ? kind : 0;
    move_text(tool->text, session->pointer);
    set_mode_name(session, kind >= 1 ? "Add Control" : "Add Text");
    set_prompt(session, place_prompt(tool));
    return instance;
}

}  // namespace

const ToolMode add_ieee_mode{
    "Add IEEE",           sizeof(IeeeTool),    ieee_enter, ieee_exit,
    libedit_tool_suspend, libedit_tool_resume, ieee_event, ieee_ghost_paint,
    ieee_ghost_paint,     ieee_ghost_paint,    ieee_keys,  4};

const ToolMode libedit_add_text_mode{
    "Add Text",           sizeof(TextTool),    text_enter, text_exit,
    libedit_tool_suspend, libedit_tool_resume, text_event, libtext_ghost_paint,
    libtext_ghost_paint,  libtext_ghost_paint, text_keys,  9};

int orient_code_left(int code) { return ring_step(code, 1); }
int orient_code_right(int code) { return ring_step(code, -1); }

ModeInstance* start_add_ieee_mode(EditSession* session, char letter, int xsize, int ysize) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    if (libedit_refuse_without_part(ed)) return nullptr;
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &add_ieee_mode);
    Text* symbol = new_template(ed);
    symbol->string = std::string(1, letter);
    symbol->font = 1;
    symbol->size = TextSize{size_of(xsize), size_of(ysize)};
    move_text(symbol, session->pointer);
    ieee_tool(instance)->symbol = symbol;
    return instance;
}

ModeInstance* libedit_place_ieee(EditSession* session, const IeeeValues& values) {
    PopModesOf(session, &add_ieee_mode);
    ieee_values_store(values);
    return start_add_ieee_mode(session, ieee_letter_of_row(values.row), values.xsize, values.ysize);
}

ModeInstance* start_libedit_text_mode(EditSession* session, bool in_part, const char* text,
                                      uint8_t flags, int xsize, int ysize, int font) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    if (in_part && libedit_refuse_without_part(ed)) return nullptr;
    return push_text_tool(session, in_part, -1, text, flags, xsize, ysize, font);
}

ModeInstance* libedit_place_text(EditSession* session, bool in_part, const TextValues& values) {
    text_values_store(values);
    return start_libedit_text_mode(session, in_part, values.text.c_str(),
                                   text_values_attributes(values), values.xsize, values.ysize,
                                   text_values_font(values));
}

ModeInstance* start_template_control_mode(EditSession* session, int row, uint8_t flags, int xsize,
                                          int ysize, int font) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    if (!session->schema->titleblock.drawing || session->schema->titleblock.drawing->count == 0) {
        session->host->bell();
        error_box(nullptr, "Error", MB_ICON_STOP, 50009);
        return nullptr;
    }
    int kind = 0;
    std::string shown;
    if (!template_control_target(session->schema, row, &kind, &shown)) return nullptr;
    return push_text_tool(session, false, kind, shown.c_str(), static_cast<uint8_t>(flags | TBLOCK),
                          xsize, ysize, font);
}

ModeInstance* template_place_control(EditSession* session, int row, const TextValues& values) {
    if (row < 0 || row >= CONTROL_ROWS) return nullptr;
    control_values_store(values);
    return start_template_control_mode(session, row, text_values_attributes(values), values.xsize,
                                       values.ysize, text_values_font(values));
}
