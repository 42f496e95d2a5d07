// Texts, IEEE symbols and title-block controls of the library and template
// windows, the reference prefix and the user fields of the part: their
// values and the changes their dialogs make.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "libedit/libedit.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/attribute.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

const char ieee_letters[IEEE_ROWS + 1] = "WBAFGHJIMEVDCRSNPOQLKUT";
const int control_codes[CONTROL_ROWS] = {3, 4,  5,  6,  7,  9,  10, 11, 12, 8,  27, 13, 14, 1,
                                         2, 16, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};

bool in_list(const List* list, const SchItem* item) {
    for (const SchItem* it : list_items<SchItem>(list))
        if (it == item) return true;
    return false;
}

bool in_set(const Vectors* set, const SchItem* item) { return set && in_list(set->items, item); }

int at_least_50(int size) { return std::max(size, 50); }

// A text changed: its layout made again.
void text_changed(LibEdit* ed, Text* text) {
    libedit_text_fonts(ed, text);
    layout_Text(text);
}

}  // namespace

// --- the reference prefix ----------------------------------------------------------------------
std::string libedit_prefix(const LibEdit* ed) {
    Part* part = libedit_part(ed);
    return part ? part->prefix.get() : "";
}

bool libedit_set_prefix(LibEdit* ed, const char* prefix) {
    Part* part = libedit_part(ed);
    if (!part) return false;
    LibEditTransaction edit(ed);
    part->prefix.set(prefix ? prefix : "");
    libedit_refresh_references(ed, part, nullptr);
    return true;
}

// --- the user fields ------------------------------------------------------------------------
FieldRows libedit_field_rows(const LibEdit* ed) {
    FieldRows rows;
    const int count = proper_get(NB_FIELD_NAME) - 2;
    Part* part = libedit_part(ed);
    const char* shown = libedit_part_name(ed);
    LibEntry* entry = part && shown ? find_LibPart(libedit_library(ed), part, shown) : nullptr;
    if (count <= 0 || !entry) {
        rows.names = {"No Field defined"};
        rows.values = {""};
        return rows;
    }
    make_field_names(&rows.names, false);
    rows.names.resize(static_cast<size_t>(count));
    for (const Attribute* attribute : list_items<Attribute>(entry->attributes)) {
        if (rows.values.size() == rows.names.size()) break;
        rows.values.push_back(field_value_fitted(attribute->text.get()));
    }
    rows.values.resize(rows.names.size());
    rows.enabled = true;
    return rows;
}

std::string field_value_fitted(const std::string& typed) {
    return typed.size() > FIELD_VALUE_MAX ? typed.substr(0, FIELD_VALUE_MAX) : typed;
}

bool libedit_write_fields(LibEdit* ed, const std::vector<std::string>& values) {
    Part* part = libedit_part(ed);
    if (!part || proper_get(NB_FIELD_NAME) - 2 <= 0 || ed->names.empty()) return false;
    LibEditTransaction edit(ed);
    edit.entries_changed();
    for (LibEntry* entry : ed->names) {
        if (!entry->attributes) entry->attributes = new_list_or_die();
        DListNode* node = dlist_head(entry->attributes);
        for (const std::string& value : values) {
            Attribute* attribute = node ? static_cast<Attribute*>(node->data) : nullptr;
            if (!attribute) {
                attribute = new_Attribute();
                if (!attribute) no_memory();
                append_or_die(entry->attributes, attribute);
            } else {
                node = dlist_next(node);
            }
            attribute->text.set(field_value_fitted(value).c_str());
            attribute->flags |= VIS;
        }
    }
    const LibEntry* last = ed->names.back();
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* placed = as_PlacedPart(item);
        free_Attribute_list(placed->attributes);
        placed->attributes = nullptr;
        copy_Attribute_list(last->attributes, &placed->attributes);
    }
    return true;
}

// --- rows of the dialogs ----------------------------------------------------------------------
const char* const ieee_labels[IEEE_ROWS] = {
    "Negative",     "Active Low Right",   "Active Low Left",  "Arrow Right", "Arrow Left",
    "Input/Output", "Dynamic Right",      "Dynamic Left",     "Non Logic",   "Analog",
    "3 States",     "Amplified Right",    "Amplified Left",   "Pull Up",     "Pull Down",
    "Open circuit", "Open circuit Hight", "Open circuit Low", "PostPoned",   "Hyteresis",
    "Generator",    "Shift Right",        "Shift Left"};

char ieee_letter_of_row(int row) {
    return row >= 0 && row < IEEE_ROWS ? ieee_letters[row] : ieee_letters[0];
}

int ieee_row_of_letter(int letter) {
    for (int row = 0; row < IEEE_ROWS; ++row)
        if (ieee_letters[row] == letter) return row;
    return 0;
}

const char* const control_labels[CONTROL_ROWS] = {"Title",
                                                  "Organization Name",
                                                  "Organization Addr1",
                                                  "Organization Addr2",
                                                  "Organization Addr3",
                                                  "Organization Addr4",
                                                  "Organization Addr5",
                                                  "Creation Date",
                                                  "Modification Date",
                                                  "Schema File Name",
                                                  "Sheet Size",
                                                  "User first Name",
                                                  "User Last Name",
                                                  "Document Number",
                                                  "Revision code",
                                                  "Number of Folio",
                                                  "Folio",
                                                  "User Extension 1",
                                                  "User Extension 2",
                                                  "User Extension 3",
                                                  "User Extension 4",
                                                  "User Extension 5",
                                                  "User Extension 6",
                                                  "User Extension 7",
                                                  "User Extension 8",
                                                  "User Extension 9",
                                                  "User Extension 10"};

int control_code_of_row(int row) {
    return row >= 0 && row < CONTROL_ROWS ? control_codes[row] : -1;
}

int control_row_of_code(int code) {
    for (int row = 0; row < CONTROL_ROWS; ++row)
        if (control_codes[row] == code) return row;
    return -1;
}

std::string control_placeholder(int code) {
    if (code == TEXT_FIELD_COUNT) return "<Size>";
    const int row = control_row_of_code(code);
    return row < 0 ? std::string() : "<" + std::string(control_labels[row]) + ">";
}

bool template_control_target(const Schema* schema, int row, int* kind, std::string* text) {
    const int code = control_code_of_row(row);
    if (code < 0) return false;
    *kind = code;
    const char* field = code == TEXT_FIELD_COUNT || !schema ? nullptr : schema_field(schema, code);
    *text = field && *field ? field : control_placeholder(code);
    return true;
}

// --- values of the text and control dialogs --------------------------------------------------------------
uint8_t text_values_attributes(const TextValues& values) {
    return static_cast<uint8_t>((values.xmirror ? MX : 0) | (values.ymirror ? MY : 0) |
                                (values.boxed ? BOXED : 0) |
                                orient_code_of_button(values.orient_button));
}

int text_values_font(const TextValues& values) { return values.internal_font ? 0 : values.font; }

namespace {

// The properties a text dialog keeps its values in.
struct TextProperties {
    int xsize, ysize, xmirror, ymirror, boxed, orient;
};
constexpr TextProperties text_properties{TEXT_XSCAL, TEXT_YSCAL, TEXT_XMIR,
                                         TEXT_YMIR,  TEXT_BOX,   TEXT_ORIENT};
constexpr TextProperties control_properties{TPL_TEXT_XSCAL, TPL_TEXT_YSCAL, TPL_TEXT_XMIR,
                                            TPL_TEXT_YMIR,  TPL_TEXT_BOX,   TPL_TEXT_ORIENT};

TextValues values_from(const TextProperties& ids, int font_property) {
    TextValues values;
    values.xsize = proper_get(ids.xsize);
    values.ysize = proper_get(ids.ysize);
    values.orient_button = proper_get(ids.orient);
    values.xmirror = proper_get(ids.xmirror) != 0;
    values.ymirror = proper_get(ids.ymirror) != 0;
    values.boxed = proper_get(ids.boxed) != 0;
    values.internal_font = proper_get(INTERNAL_FONT) != 0;
    values.font = proper_get(font_property);
    return values;
}

void values_store(const TextProperties& ids, const TextValues& values) {
    proper_set(ids.xsize, values.xsize, ids.ysize, values.ysize, ids.xmirror,
               values.xmirror ? 1 : 0, ids.ymirror, values.ymirror ? 1 : 0, ids.boxed,
               values.boxed ? 1 : 0, ids.orient, values.orient_button, INTERNAL_FONT,
               values.internal_font ? 1 : 0, 0);
}

}  // namespace

TextValues text_values_from_properties(bool library) {
    TextValues values = values_from(text_properties, library ? FONT_COMMENT : FONT_TITLE);
    values.text = strproper_get(TEXT_TEXT);
    return values;
}

TextValues control_values_from_properties() { return values_from(control_properties, FONT_TITLE); }

TextValues text_values_of(const Text* text) {
    TextValues values;
    values.text = text->string;
    values.xsize = text->size.width;
    values.ysize = text->size.height;
    values.orient_button = button_of_orient_code(text->flags);
    values.xmirror = (text->flags & MX) != 0;
    values.ymirror = (text->flags & MY) != 0;
    values.boxed = (text->flags & BOXED) != 0;
    values.internal_font = proper_get(INTERNAL_FONT) != 0;
    values.font = text->font;
    return values;
}

void text_values_store(const TextValues& values) {
    proper_set(TEXT_TEXT, values.text.c_str(), 0);
    values_store(text_properties, values);
}

void control_values_store(const TextValues& values) { values_store(control_properties, values); }

IeeeValues ieee_values_from_properties() {
    IeeeValues values;
    values.row = std::clamp(proper_get(IEEE_TYPE), 0, IEEE_ROWS - 1);
    values.xsize = proper_get(IEEE_XSCAL);
    values.ysize = proper_get(IEEE_YSCAL);
    return values;
}

IeeeValues ieee_values_of(const Text* symbol) {
    IeeeValues values;
    values.row = ieee_row_of_letter(symbol->string.empty() ? 0 : symbol->string[0]);
    values.xsize = symbol->size.width;
    values.ysize = symbol->size.height;
    return values;
}

void ieee_values_store(const IeeeValues& values) {
    proper_set(IEEE_XSCAL, values.xsize, IEEE_YSCAL, values.ysize, IEEE_TYPE, values.row, 0);
}

List** libedit_font_table(const LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    if (!schema) return nullptr;
    if (ed->session->kind == CANVAS_LIBRARY)
        return schema->library ? &schema->library->fonts : nullptr;
    return &schema->fonts;
}

void libedit_text_fonts(const LibEdit* ed, Text* text) {
    if (List** fonts = libedit_font_table(ed)) set_TextFonts(text, *fonts);
}

bool is_ieee_symbol(const SchItem* item) {
    return item && item->type == TEXT_ITEM && static_cast<const Text*>(item)->font == 1;
}

// --- changing an item under edit ------------------------------------------------------------------
SchItem* libedit_item_under_edit(const LibEdit* ed) {
    SchItem* item = ed->current_item;
    Schema* schema = libedit_schema(ed);
    if (!item || !schema) return nullptr;
    if (ed->session->kind == CANVAS_TEMPLATE)
        return in_list(schema->titleblock.fields, item) || in_list(schema->titleblock.drawing, item)
                   ? item
                   : nullptr;
    Part* part = libedit_part(ed);
    return part && (in_set(part->normal, item) || in_set(part->convert, item)) ? item : nullptr;
}

namespace {

// The item under edit, in a body the part holds alone: a body another part
// shares is copied for the part first (as every drawing tool does), so the
// change stays the part's; the copy's item at the same place is returned.
SchItem* owned_item_under_edit(LibEdit* ed) {
    SchItem* item = libedit_item_under_edit(ed);
    Part* part = item && ed->session->kind != CANVAS_TEMPLATE ? libedit_part(ed) : nullptr;
    if (!part) return item;
    const bool converted = !in_set(part->normal, item);
    Vectors* set = converted ? part->convert : part->normal;
    if (set->refs <= 1) return item;
    size_t index = 0;
    for (const SchItem* it : list_items<SchItem>(set->items)) {
        if (it == item) break;
        ++index;
    }
    List* own = part_body_items(ed, converted);
    for (SchItem* it : list_items<SchItem>(own))
        if (index-- == 0) return ed->current_item = it;
    return nullptr;
}

}  // namespace

void libedit_show_item_dialog(LibEdit* ed, SchItem* item) {
    if (!item || item->type != TEXT_ITEM) return;
    ed->current_item = item;
    ed->host->edit_text(item);
}

bool libedit_change_text(LibEdit* ed, const TextValues& values) {
    SchItem* item = libedit_item_under_edit(ed);
    // A symbol is changed by its own dialog: a text's values would make it a text.
    if (!item || item->type != TEXT_ITEM || is_ieee_symbol(item)) return false;
    text_values_store(values);
    LibEditTransaction edit(ed);
    if (!(item = owned_item_under_edit(ed))) {
        edit.abandon();
        return false;
    }
    Text* text = as_Text(item);
    text->string = values.text;
    text->size = TextSize{static_cast<int16_t>(std::clamp(values.xsize, 0, 32767)),
                          static_cast<int16_t>(std::clamp(values.ysize, 0, 32767))};
    text->flags =
        static_cast<uint8_t>((text->flags & TEXT_TYPE_MASK) | text_values_attributes(values));
    text->font = text_values_font(values);
    text_changed(ed, text);
    return true;
}

bool libedit_change_ieee(LibEdit* ed, const IeeeValues& values) {
    SchItem* item = libedit_item_under_edit(ed);
    if (!is_ieee_symbol(item)) return false;
    ieee_values_store(values);
    LibEditTransaction edit(ed);
    if (!(item = owned_item_under_edit(ed))) {
        edit.abandon();
        return false;
    }
    Text* symbol = as_Text(item);
    symbol->string = std::string(1, ieee_letter_of_row(values.row));
    symbol->size = TextSize{static_cast<int16_t>(std::clamp(values.xsize, 0, 32767)),
                            static_cast<int16_t>(std::clamp(values.ysize, 0, 32767))};
    text_changed(ed, symbol);
    return true;
}

bool template_change_control(LibEdit* ed, int row, const TextValues& values) {
    SchItem* item = libedit_item_under_edit(ed);
    if (!item || item->type != TEXT_ITEM) return false;
    control_values_store(values);
    LibEditTransaction edit(ed);
    Text* control = as_Text(item);
    control->size = TextSize{static_cast<int16_t>(std::clamp(values.xsize, 0, 32767)),
                             static_cast<int16_t>(std::clamp(values.ysize, 0, 32767))};
    control->flags = static_cast<uint8_t>(TBLOCK | text_values_attributes(values));
    control->font = text_values_font(values);
    // Without a row chosen the control keeps what it shows.
    int kind = 0;
    std::string shown;
    if (template_control_target(libedit_schema(ed), row, &kind, &shown)) {
        control->field = kind;
        control->string = shown;
    }
    ed->current_item = nullptr;
    text_changed(ed, control);
    return true;
}

// --- the text's box ---------------------------------------------------------------------------------
void text_box_corner(const Text* text, Rect* box, Point* corner, const Rect& limit) {
    const int64_t tx = text->pos.x, ty = text->pos.y;
    int64_t x = box->x, y = box->y, w = box->w, h = box->h;
    const int64_t lx = limit.x, ly = limit.y, lr = lx + limit.w, lb = ly + limit.h;
    auto over = [](int64_t v, int64_t edge) { return v > edge ? v - edge : 0; };
    int64_t px = 0, py = 0;
    switch (text->flags & TEXT_ROT_MASK) {
        case 0:
            px = std::min(x + w, lr);
            py = std::max(y, ly);
            break;
        case 1:
            px = std::min(x + w, lr);
            py = std::min(y + h, lb);
            break;
        case 2:
            px = std::max(x, lx);
            py = std::min(y + h, lb);
            break;
        case 3:
            px = std::max(x, lx);
            py = std::max(y, ly);
            break;
        case 4:
            w -= over(y + h, lb);
            w -= over(x + w, lr);
            px = x + w;
            py = y + w - std::llabs(ty - y);
            break;
        case 5: {
            int64_t d = over(y + h, lb);
            x += d, w -= d;
            if (x < lx) d = lx - x, x += d, w -= d;
            px = x + std::llabs(tx - (x + w));
            py = y + w;
            break;
        }
        case 6: {
            int64_t d = 0;
            if (y < ly) d = ly - y, x += d, y += d, w -= d;
            if (x < lx) d = lx - x, x += d, y += d, w -= d;
            px = x;
            py = y + std::llabs(ty - (y + w));
            break;
        }
        default: {
            int64_t d = 0;
            if (y < ly) d = ly - y, y += d, w -= d;
            d = over(x + w, lr);
            y += d, w -= d;
            px = x + w - std::llabs(tx - x);
            py = y;
            break;
        }
    }
    auto clamp32 = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    *box = Rect{clamp32(x), clamp32(y), clamp32(w), clamp32(h)};
    *corner = Point{clamp32(px), clamp32(py)};
}

TextFit text_fit_into(Schema* schema, Text* text, const Rect& limit) {
    Rect box;
    if (!bounds_Text(schema, text, &box, false)) return FIT_AS_IT_IS;
    if (rect_inside_rect(box, limit, text->width)) return FIT_AS_IT_IS;
    Point corner;
    text_box_corner(text, &box, &corner, limit);
    TextSize size;
    fit_TextSize(corner, text, &size);
    const TextSize fitted{static_cast<int16_t>(at_least_50(size.width)),
                          static_cast<int16_t>(at_least_50(size.height))};
    auto vanishes = [](int before, int after) { return after <= 50 && before > 50; };
    if (vanishes(text->size.width, fitted.width) || vanishes(text->size.height, fitted.height))
        return FIT_NO_ROOM;
    text->size = fitted;
    layout_Text(text);
    return FIT_SHRUNK;
}
