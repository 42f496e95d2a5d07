// The sheet item dispatchers: one routine per action, switching on the
// item code to the routine of that code.
#include "model/documents/sheet_items.h"

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/documents/erc_mark.h"
#include "model/documents/ident.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/ascii_writer.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {


Library* own_library(Schema* schema) { return schema ? schema->library : nullptr; }

// The code of the record a sheet item tag starts, 0 for none.
int sheet_code_of_tag(int tag) {
    if (tag >= item_tag(FILL_ITEM) && tag <= item_tag(ERC_ITEM)) return tag - ITEM_TAG_BASE;
    if (tag == NETPROP_TAG) return NETPROP_ITEM;
    if (tag == IMAGE_TAG) return IMAGE_ITEM;
    return 0;
}

// How deep the sheet being read stands inside other sheets: a file may not
// nest them without bound (each level is a reader on the stack).
int sheet_depth = 0;

void store_rect(Rect* rect, const Rect& r, bool accumulate) {
    if (accumulate)
        rect_union(rect, r);
    else
        *rect = r;
}

}  // namespace

// --- nested sheets ---------------------------------------------------------------------

int read_Sheet(Schema* schema, Sheet* sheet, FILE* stream) {
    int result = read_item_tag(stream, SHEET_TAG);
    if (result != 0) return result;
    if (sheet_depth >= MAX_SHEET_DEPTH) return READ_ERROR;
    ++sheet_depth;
    sheet->type = SHEET_ITEM;
    sheet->state = STATE_NEW;
    if (!sheet->items) {
        sheet->items = list_new();
        if (!sheet->items) no_memory();
    }
    result = read_SchItem_list(schema, sheet->items, stream);
    --sheet_depth;
    return result;
}

void write_Sheet(Schema* schema, Sheet* sheet, FILE* stream, uint32_t mask) {
    write_byte(SHEET_TAG, stream);
    write_SchItem_list(schema, sheet->items, stream, mask);
    write_byte(LIST_END, stream);
}

void awrite_Sheet(Schema* schema, Sheet* sheet, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(SHEET", stream);
    put_newline(stream);
    awrite_SchItem_list(schema, sheet->items, stream, level + 1);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

// --- dispatchers -------------------------------------------------------------------------

SchItem* new_SchItem(int code) {
    switch (code) {
        case FILL_ITEM:
        case CIRCLE_ITEM:
        case BOITE_ITEM:
        case LINE_ITEM:
        case ARC_ITEM:
        case TEXT_ITEM:
        case JUNCTION_ITEM:
        case POLY_ITEM: return new_Item(code);
        case PARTLIB_ITEM: return new_PlacedPart();
        case SHEET_ITEM: return new_Sheet();
        case POWER_ITEM: return new_Power();
        case NOCON_ITEM: return new_NoCon();
        case PORT_ITEM: return new_Port();
        case SUBSHEET_ITEM: return new_SubSheet();
        case ERC_ITEM: return new_ErcMark();
        case IDENT_ITEM: return new_Ident();
        case PSEUDO_PIN: return new_PseudoPin();
        case TITLEBLOCK_ITEM: return new_TitleBlock();
        case NETPROP_ITEM: return new_NetProp();
        case IMAGE_ITEM: return new_Image();
        default: warning("new_SchItem: bad code %d\n", code); return nullptr;
    }
}

void free_SchItem(Schema* schema, SchItem* item, bool keep_storage) {
    if (!item) return;
    switch (item->type) {
        case FILL_ITEM:
        case CIRCLE_ITEM:
        case BOITE_ITEM:
        case LINE_ITEM:
        case ARC_ITEM:
        case TEXT_ITEM:
        case JUNCTION_ITEM:
        case POLY_ITEM: free_Item(item, keep_storage); break;
        case PARTLIB_ITEM: free_PlacedPart(schema, as_PlacedPart(item), keep_storage); break;
        case SHEET_ITEM: free_Sheet(schema, as_Sheet(item), keep_storage); break;
        case POWER_ITEM: free_Power(as_Power(item), keep_storage); break;
        case NOCON_ITEM: free_NoCon(as_NoCon(item), keep_storage); break;
        case PORT_ITEM: free_Port(as_Port(item), keep_storage); break;
        case SUBSHEET_ITEM: free_SubSheet(schema, as_SubSheet(item), keep_storage); break;
        case ERC_ITEM: free_ErcMark(as_ErcMark(item), keep_storage); break;
        case IDENT_ITEM: free_Ident(item, keep_storage); break;
        case PSEUDO_PIN: free_PseudoPin(item, keep_storage); break;
        case TITLEBLOCK_ITEM:
            free_TitleBlock(schema, as_TitleBlock(item), keep_storage);
            break;
        case NETPROP_ITEM: free_NetProp(as_NetProp(item), keep_storage); break;
        case IMAGE_ITEM: free_Image(as_Image(item), keep_storage); break;
        default: break;
    }
}

int read_SchItem(Schema* schema, SchItem** out, FILE* stream) {
    *out = nullptr;
    int c = getc_unlocked(stream);
    if (c == EOF) return -1;
    ungetc(c, stream);
    int code = sheet_code_of_tag(c);
    if (code == 0) return NOT_MY_TAG;
    SchItem* item = new_SchItem(code);
    if (!item) return NO_MEMORY;
    *out = item;
    switch (code) {
        case PARTLIB_ITEM: return read_PlacedPart(as_PlacedPart(item), stream);
        case SHEET_ITEM: return read_Sheet(schema, as_Sheet(item), stream);
        case POWER_ITEM: return read_Power(as_Power(item), stream);
        case NOCON_ITEM: return read_NoCon(as_NoCon(item), stream);
        case PORT_ITEM: return read_Port(as_Port(item), stream);
        case SUBSHEET_ITEM: return read_SubSheet(schema, as_SubSheet(item), stream);
        case ERC_ITEM: return read_ErcMark(as_ErcMark(item), stream);
        case NETPROP_ITEM: return read_NetProp(as_NetProp(item), stream);
        case IMAGE_ITEM: return read_Image(as_Image(item), stream);
        default: {
            int result = read_Item(item, stream);
            if (code == TEXT_ITEM && schema) set_TextFonts(as_Text(item), schema->fonts);
            return result;
        }
    }
}

void write_SchItem(Schema* schema, SchItem* item, FILE* stream, uint32_t mask) {
    if (!mask_matches(item->state, mask)) return;
    switch (item->type) {
        case PARTLIB_ITEM:
            write_PlacedPart(own_library(schema), as_PlacedPart(item), stream, mask);
            break;
        case SHEET_ITEM: write_Sheet(schema, as_Sheet(item), stream, mask); break;
        case POWER_ITEM: write_Power(as_Power(item), stream, mask); break;
        case NOCON_ITEM: write_NoCon(as_NoCon(item), stream, mask); break;
        case PORT_ITEM: write_Port(as_Port(item), stream, mask); break;
        case SUBSHEET_ITEM: write_SubSheet(schema, as_SubSheet(item), stream, mask); break;
        case ERC_ITEM: write_ErcMark(as_ErcMark(item), stream, mask); break;
        case NETPROP_ITEM: write_NetProp(as_NetProp(item), stream, mask); break;
        case IMAGE_ITEM: write_Image(as_Image(item), stream, mask); break;
        default:
            if (is_primitive_code(item->type)) write_Item(item, stream, mask);
            break;
    }
}

void awrite_SchItem(Schema* schema, SchItem* item, FILE* stream, int level) {
    switch (item->type) {
        case PARTLIB_ITEM:
            awrite_PlacedPart(own_library(schema), as_PlacedPart(item), stream, level);
            break;
        case SHEET_ITEM: awrite_Sheet(schema, as_Sheet(item), stream, level); break;
        case POWER_ITEM: awrite_Power(as_Power(item), stream, level); break;
        case NOCON_ITEM: awrite_NoCon(as_NoCon(item), stream, level); break;
        case PORT_ITEM: awrite_Port(as_Port(item), stream, level); break;
        case SUBSHEET_ITEM: awrite_SubSheet(schema, as_SubSheet(item), stream, level); break;
        case ERC_ITEM: awrite_ErcMark(as_ErcMark(item), stream, level); break;
        case NETPROP_ITEM: awrite_NetProp(as_NetProp(item), stream, level); break;
        case IMAGE_ITEM: awrite_Image(as_Image(item), stream, level); break;
        default:
            if (is_primitive_code(item->type)) awrite_Item(item, stream, level);
            break;
    }
}

void matrix_SchItem(SchItem* item, const Matrix* matrix) {
    switch (item->type) {
        case PARTLIB_ITEM: matrix_PlacedPart(as_PlacedPart(item), matrix); break;
        case SHEET_ITEM:
            for (SchItem* child : list_items<SchItem>(as_Sheet(item)->items))
                matrix_SchItem(child, matrix);
            break;
        case POWER_ITEM: matrix_Power(as_Power(item), matrix); break;
        case NOCON_ITEM: matrix_NoCon(as_NoCon(item), matrix); break;
        case PORT_ITEM: matrix_Port(as_Port(item), matrix); break;
        case SUBSHEET_ITEM: matrix_SubSheet(as_SubSheet(item), matrix); break;
        case ERC_ITEM: matrix_ErcMark(as_ErcMark(item), matrix); break;
        case IDENT_ITEM: matrix_Ident(item, matrix); break;
        case PSEUDO_PIN: matrix_PseudoPin(item, matrix); break;
        case NETPROP_ITEM: matrix_NetProp(as_NetProp(item), matrix); break;
        case IMAGE_ITEM: matrix_Image(as_Image(item), matrix); break;
        default:
            if (is_primitive_code(item->type)) matrix_Item(item, matrix);
            break;
    }
}

bool bounds_SchItem(Schema* schema, SchItem* item, Rect* rect, bool accumulate) {
    switch (item->type) {
        case PARTLIB_ITEM:
            return pl_bounds(schema, own_library(schema), as_PlacedPart(item), rect, accumulate);
        case SHEET_ITEM:
            return bounds_SchItem_list(schema, as_Sheet(item)->items, rect, accumulate);
        case POWER_ITEM: return bounds_Power(schema, as_Power(item), rect, accumulate);
        case NOCON_ITEM: return bounds_NoCon(schema, as_NoCon(item), rect, accumulate);
        case PORT_ITEM: return bounds_Port(schema, as_Port(item), rect, accumulate);
        case SUBSHEET_ITEM: return bounds_SubSheet(schema, as_SubSheet(item), rect, accumulate);
        case ERC_ITEM: return bounds_ErcMark(schema, as_ErcMark(item), rect, accumulate);
        case IDENT_ITEM: return bounds_Ident(schema, item, rect, accumulate);
        case PSEUDO_PIN: return bounds_PseudoPin(schema, item, rect, accumulate);
        case TITLEBLOCK_ITEM:
            store_rect(rect, as_TitleBlock(item)->bounds, accumulate);
            return true;
        case NETPROP_ITEM: return bounds_NetProp(schema, as_NetProp(item), rect, accumulate);
        case IMAGE_ITEM: return bounds_Image(schema, as_Image(item), rect, accumulate);
        default:
            if (is_primitive_code(item->type)) return bounds_Item(schema, item, rect, accumulate);
            return false;
    }
}

bool extent_SchItem(Schema* schema, SchItem* item, Rect* rect) {
    switch (item->type) {
        case FILL_ITEM: return bounds_Fill(schema, as_Fill(item), rect, false);
        case CIRCLE_ITEM: return bounds_Circle(schema, as_Circle(item), rect, false);
        case BOITE_ITEM: return bounds_Rect(schema, as_Rect(item), rect, false, true);
        case LINE_ITEM: return bounds_Line(schema, as_Line(item), rect, false);
        case ARC_ITEM: return bounds_Arc(schema, as_Arc(item), rect, false);
        case TEXT_ITEM: return bounds_Text(schema, as_Text(item), rect, false);
        case PARTLIB_ITEM: return extent_PlacedPart(schema, as_PlacedPart(item), rect);
        case PSEUDO_PIN: {
            PseudoPin* link = as_PseudoPin(item);
            if (!pp_is_link(link) || !link->whoami || !link->father) return false;
            if (link->whoami->type != PARTLIB_ITEM || link->father->type != PARTLIB_ITEM)
                return false;
            return extent_PlacedPart(schema, as_PlacedPart(link->whoami), rect);
        }
        default: return false;
    }
}

void flag_SchItem(SchItem* item) {
    switch (item->type) {
        case PARTLIB_ITEM: flag_PlacedPart(as_PlacedPart(item)); break;
        case SHEET_ITEM:
            flagop_apply(&item->state);
            flag_SchItem_list(as_Sheet(item)->items);
            break;
        case POWER_ITEM: flag_Power(as_Power(item)); break;
        case NOCON_ITEM: flag_NoCon(as_NoCon(item)); break;
        case PORT_ITEM: flag_Port(as_Port(item)); break;
        case SUBSHEET_ITEM: flag_SubSheet(as_SubSheet(item)); break;
        case ERC_ITEM: flag_ErcMark(as_ErcMark(item)); break;
        case IDENT_ITEM: flag_Ident(item); break;
        case PSEUDO_PIN: flag_PseudoPin(item); break;
        case NETPROP_ITEM: flag_NetProp(as_NetProp(item)); break;
        case IMAGE_ITEM: flag_Image(as_Image(item)); break;
        default:
            if (is_primitive_code(item->type)) flag_Item(item);
            break;
    }
}

bool mask_SchItem(uint32_t mask, const SchItem* item) {
    int code = item->type;
    bool headed = (code >= FILL_ITEM && code <= ERC_ITEM) || code == IDENT_ITEM ||
                  code == PSEUDO_PIN || code == NETPROP_ITEM || code == IMAGE_ITEM;
    return headed && mask_matches(item->state, mask);
}

double distance_SchItem(Schema* schema, SchItem* item, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit) {
    switch (item->type) {
        case PARTLIB_ITEM:
            return distance_PlacedPart(own_library(schema), as_PlacedPart(item), p, mask,
                                       tolerance, hit_bit);
        case SHEET_ITEM: {
            SchItem* nearest = nullptr;
            return nearest_SchItem(schema, as_Sheet(item)->items, p, &nearest, mask, tolerance,
                                   hit_bit);
        }
        case POWER_ITEM:
            return distance_Power(schema, as_Power(item), p, mask, tolerance, hit_bit);
        case NOCON_ITEM:
            return distance_NoCon(schema, as_NoCon(item), p, mask, tolerance, hit_bit);
        case PORT_ITEM: return distance_Port(schema, as_Port(item), p, mask, tolerance, hit_bit);
        case SUBSHEET_ITEM:
            return distance_SubSheet(schema, as_SubSheet(item), p, mask, tolerance, hit_bit);
        case ERC_ITEM:
            return distance_ErcMark(schema, as_ErcMark(item), p, mask, tolerance, hit_bit);
        case IDENT_ITEM: return distance_Ident(schema, item, p, mask, tolerance, hit_bit);
        case PSEUDO_PIN: return distance_PseudoPin(schema, item, p, mask, tolerance, hit_bit);
        case NETPROP_ITEM:
            return distance_NetProp(schema, as_NetProp(item), p, mask, tolerance, hit_bit);
        case IMAGE_ITEM:
            return distance_Image(schema, as_Image(item), p, mask, tolerance, hit_bit);
        default:
            if (is_primitive_code(item->type))
                return distance_Item(schema, item, p, mask, tolerance, hit_bit);
            return FAR_AWAY;
    }
}

bool select_SchItem(Schema* schema, View* view, SchItem* item, uint32_t bit, int operation,
                    uint32_t mask) {
    switch (item->type) {
        case PARTLIB_ITEM:
            return select_PlacedPart(view, as_PlacedPart(item), bit, operation, mask);
        case SHEET_ITEM:
            return select_SchItem_list(schema, view, as_Sheet(item)->items, bit, operation, mask);
        case POWER_ITEM: return select_Power(schema, view, as_Power(item), bit, operation, mask);
        case NOCON_ITEM: return select_NoCon(schema, view, as_NoCon(item), bit, operation, mask);
        case PORT_ITEM: return select_Port(schema, view, as_Port(item), bit, operation, mask);
        case SUBSHEET_ITEM:
            return select_SubSheet(schema, view, as_SubSheet(item), bit, operation, mask);
        case ERC_ITEM:
            return select_ErcMark(schema, view, as_ErcMark(item), bit, operation, mask);
        case IDENT_ITEM: return select_Ident(schema, view, item, bit, operation, mask);
        case PSEUDO_PIN: return select_PseudoPin(schema, view, item, bit, operation, mask);
        case NETPROP_ITEM:
            return select_NetProp(schema, view, as_NetProp(item), bit, operation, mask);
        case IMAGE_ITEM: return select_Image(schema, view, as_Image(item), bit, operation, mask);
        default:
            if (is_primitive_code(item->type))
                return select_Item(schema, view, item, bit, operation, mask);
            return false;
    }
}

SchItem* copy_SchItem(Schema* schema, SchItem* item) {
    switch (item->type) {
        case PARTLIB_ITEM: return copy_PlacedPart(own_library(schema), as_PlacedPart(item));
        case SHEET_ITEM: {
            Sheet* copy = new_Sheet();
            if (!copy) return nullptr;
            copy->flags = item->flags;
            copy->state = item->state;
            copy_SchItem_list(schema, copy->items, as_Sheet(item)->items);
            return copy;
        }
        case POWER_ITEM: return copy_Power(schema, as_Power(item));
        case NOCON_ITEM: return copy_NoCon(schema, as_NoCon(item));
        case PORT_ITEM: return copy_Port(schema, as_Port(item));
        case SUBSHEET_ITEM: return copy_SubSheet(schema, as_SubSheet(item));
        case ERC_ITEM: return copy_ErcMark(as_ErcMark(item));
        case IDENT_ITEM: return copy_Ident(item);
        case PSEUDO_PIN: return copy_PseudoPin(item);
        case TITLEBLOCK_ITEM: return copy_TitleBlock(schema, as_TitleBlock(item));
        case NETPROP_ITEM: return copy_NetProp(as_NetProp(item));
        case IMAGE_ITEM: return copy_Image(as_Image(item));
        default:
            if (is_primitive_code(item->type)) return copy_Item(item);
            return nullptr;
    }
}

void anchor_SchItem(const SchItem* item, Point* out) {
    switch (item->type) {
        case CIRCLE_ITEM: *out = as_Circle(item)->on; break;
        case BOITE_ITEM: *out = as_Rect(item)->corner; break;
        case LINE_ITEM: *out = as_Line(item)->end; break;
        case ARC_ITEM: *out = as_Arc(item)->end; break;
        case POLY_ITEM: {
            const Poly* poly = as_Poly(item);
            *out = poly->points.empty() ? Point{} : poly->points.front();
            break;
        }
        case FILL_ITEM:
        case TEXT_ITEM:
        case JUNCTION_ITEM:
        case PARTLIB_ITEM:
        case POWER_ITEM:
        case NOCON_ITEM:
        case PORT_ITEM:
        case SUBSHEET_ITEM:
        case ERC_ITEM:
        case IDENT_ITEM:
        case NETPROP_ITEM:
        case IMAGE_ITEM: *out = item->pos; break;
        case PSEUDO_PIN: {
            const PseudoPin* link = as_PseudoPin(item);
            if (pp_is_link(link) && link->whoami)
                anchor_SchItem(link->whoami, out);
            else
                *out = Point{};
            break;
        }
        default: *out = Point{}; break;
    }
}

// --- item lists ----------------------------------------------------------------------------

int read_SchItem_list(Schema* schema, List* list, FILE* stream) {
    for (;;) {
        SchItem* item = nullptr;
        int result = read_SchItem(schema, &item, stream);
        if (result == NOT_MY_TAG) break;
        if (result != 0) {
            free_SchItem(schema, item, false);
            return result;
        }
        if (!dlist_append(list, item)) {
            free_SchItem(schema, item, false);
            no_memory();
        }
    }
    int c = getc_unlocked(stream);
    if (c == EOF) return -1;
    return c == LIST_END ? 0 : READ_ERROR;
}

void write_SchItem_list(Schema* schema, List* list, FILE* stream, uint32_t mask) {
    for (SchItem* item : list_items<SchItem>(list)) write_SchItem(schema, item, stream, mask);
}

void awrite_SchItem_list(Schema* schema, List* list, FILE* stream, int level) {
    for (SchItem* item : list_items<SchItem>(list)) awrite_SchItem(schema, item, stream, level);
}

void free_SchItem_items(Schema* schema, List* list) {
    if (!list) return;
    while (list->head) {
        SchItem* item = static_cast<SchItem*>(list->head->data);
        dlist_remove_head(list, nullptr);
        free_SchItem(schema, item, false);
    }
}

void free_SchItem_list(Schema* schema, List** list) {
    if (!*list) return;
    List* held = *list;
    *list = nullptr;
    const SchItem* embedded = schema ? &schema->titleblock : nullptr;
    while (held->head) {
        SchItem* item = static_cast<SchItem*>(held->head->data);
        dlist_remove_head(held, nullptr);
        if (item != embedded) free_SchItem(schema, item, false);
    }
    dlist_free(held, LIST_FROM_HEAD, nullptr);
}

void copy_SchItem_list(Schema* schema, List* destination, List* source) {
    for (SchItem* item : list_items<SchItem>(source)) list_add_item_copy(schema, destination, item);
}

int list_add_item_copy(Schema* schema, List* list, SchItem* item) {
    SchItem* copy = copy_SchItem(schema, item);
    if (!copy) no_memory();
    if (!list || !dlist_append(list, copy)) {
        free_SchItem(schema, copy, false);
        no_memory();
    }
    return 0;
}

int sheet_add_item_copy(Schema* schema, Sheet* sheet, SchItem* item) {
    if (!sheet || !sheet->items) no_memory();
    return list_add_item_copy(schema, sheet->items, item);
}

bool bounds_SchItem_list(Schema* schema, List* list, Rect* rect, bool accumulate) {
    bool any = false;
    Rect total;
    for (SchItem* item : list_items<SchItem>(list)) {
        if (item->state & STATE_TEMPORARY) continue;
        Rect r;
        if (!bounds_SchItem(schema, item, &r, false)) continue;
        if (any)
            rect_union(&total, r);
        else
            total = r;
        any = true;
    }
    if (!any) return accumulate;
    store_rect(rect, total, accumulate);
    return true;
}

bool extent_SchItem_list(Schema* schema, List* list, Rect* rect) {
    bool any = false;
    for (SchItem* item : list_items<SchItem>(list)) {
        Rect r;
        if (!extent_SchItem(schema, item, &r)) continue;
        store_rect(rect, r, any);
        any = true;
    }
    return any;
}

void flag_SchItem_list(List* list) {
    for (SchItem* item : list_items<SchItem>(list)) flag_SchItem(item);
}

bool select_SchItem_list(Schema* schema, View* view, List* list, uint32_t bit, int operation,
                         uint32_t mask) {
    bool any = false;
    for (SchItem* item : list_items<SchItem>(list))
        any |= select_SchItem(schema, view, item, bit, operation, mask);
    return any;
}

double nearest_SchItem(Schema* schema, List* list, Point p, SchItem** nearest, uint32_t mask,
                       double tolerance, uint32_t hit_bit) {
    double best = FAR_AWAY;
    for (SchItem* item : list_items<SchItem>(list)) {
        double d = distance_SchItem(schema, item, p, mask, tolerance, hit_bit);
        if (d < best) {  // strictly: the first of equally near items wins
            best = d;
            *nearest = item;
        }
    }
    return best;
}

SchItem* sheet_subsheet_at(Sheet* sheet, Point p) {
    if (!sheet) return nullptr;
    for (SchItem* item : list_items<SchItem>(sheet->items)) {
        if (item->type != SUBSHEET_ITEM) continue;
        if (distance_SubSheet(nullptr, as_SubSheet(item), p, 0, -1.0, 0) == 0.0) return item;
    }
    return nullptr;
}

bool sheet_has_subsheets(const Sheet* sheet) {
    if (!sheet) return false;
    for (SchItem* item : list_items<SchItem>(sheet->items))
        if (item->type == SUBSHEET_ITEM) return true;
    return false;
}

// --- counting ----------------------------------------------------------------------------------

int count_SchItems(Schema* schema, List* list, int kind) {
    int count = 0;
    for (SchItem* item : list_items<SchItem>(list)) {
        switch (kind) {
            case COUNT_PACKAGES:
                if (item->type == PARTLIB_ITEM && as_PlacedPart(item)->device == 0) ++count;
                break;
            case COUNT_PINS:
                if (item->type == PARTLIB_ITEM)
                    count += pl_count_pins(schema, as_PlacedPart(item), false);
                break;
            case COUNT_JUNCTIONS: count += item->type == JUNCTION_ITEM; break;
            case COUNT_SUBSHEETS: count += item->type == SUBSHEET_ITEM; break;
            case COUNT_PORTS: count += item->type == PORT_ITEM; break;
            case COUNT_POWERS:
                if (item->type == POWER_ITEM) ++count;
                if (item->type == PARTLIB_ITEM)
                    count += pl_count_pins(schema, as_PlacedPart(item), true);
                break;
            case COUNT_SHEET_PORTS:
                if (item->type == SUBSHEET_ITEM && as_SubSheet(item)->ports)
                    count += static_cast<int>(as_SubSheet(item)->ports->count);
                break;
            default: return 0;
        }
    }
    return count;
}

// --- reference records ---------------------------------------------------------------------------

namespace {

SchItem* find_by_id(List* list, int code, uint32_t id) {
    for (SchItem* item : list_items<SchItem>(list))
        if (item->id == id && item->type == code) return item;
    return nullptr;
}

// The target of one record: null when nothing answers to it.
void* resolve_ref(Schema* schema, PlacedPart* part, int code, uint32_t id) {
    if (part) {
        Part* lib_part = pl_get_part(schema ? schema->library : nullptr, part);
        if (!lib_part) return nullptr;
        bool convert = (part->flags & PL_CONVERT) != 0;
        if (code == 0) {
            PinList* pins = convert ? lib_part->convert_pins : lib_part->normal_pins;
            if (!pins) return nullptr;
            for (Pin* pin : list_items<Pin>(pins->pins))
                if (pin->id == id) return pin;
            return nullptr;
        }
        Vectors* body = convert ? lib_part->convert : lib_part->normal;
        return body ? find_by_id(body->items, code, id) : nullptr;
    }
    if (!schema || code == 0) return nullptr;
    if (code == TITLEBLOCK_ITEM) return &schema->titleblock;
    SchItem* found = code == PORT_ITEM ? find_by_id(schema->ports, code, id) : nullptr;
    if (!found && schema->sheet) found = find_by_id(schema->sheet->items, code, id);
    if (!found) found = find_by_id(schema->titleblock.fields, code, id);
    if (!found) found = find_by_id(schema->titleblock.drawing, code, id);
    return found;
}

}  // namespace

int read_ref_list(Schema* schema, List* list, FILE* stream, PlacedPart* part) {
    if (!list) return 0;
    bool unresolved = false;
    for (;;) {
        int result = read_item_tag(stream, REF_TAG);
        if (result == NOT_MY_TAG) break;
        if (result != 0) return result;
        uint8_t code = 0, flags = 0;
        uint32_t id = 0;
        if (read_byte(&code, stream) != 0) return -1;
        if (code != 0 && read_byte(&flags, stream) != 0) return -1;
        if (code != TITLEBLOCK_ITEM && read_long(&id, stream) != 0) return -1;
        void* target = resolve_ref(schema, part, code, id);
        if (!target) {
            // A damaged or foreign list: the record is skipped, the rest read.
            warning("read_ref_list: no %s with id %u\n", code ? item_name(code) : "pin", id);
            unresolved = true;
            continue;
        }
        if (!dlist_append(list, target)) no_memory();
    }
    int c = getc_unlocked(stream);
    if (c == EOF) return -1;
    if (c != LIST_END) return NOT_MY_TAG;
    return unresolved ? READ_ERROR : 0;
}

void write_ref_list(List* list, FILE* stream, uint32_t mask, bool pin_mode) {
    for (void* data : list_items<void>(list)) {
        if (pin_mode) {
            Pin* pin = static_cast<Pin*>(data);
            if (!mask_matches(pin->state, mask)) continue;
            if (pin->id == 0) pin->id = new_object_id();
            write_byte(REF_TAG, stream);
            write_byte(0, stream);
            write_long(static_cast<int32_t>(pin->id), stream);
            continue;
        }
        SchItem* item = static_cast<SchItem*>(data);
        if (!mask_matches(item->state, mask)) continue;
        if (item->type == PSEUDO_PIN) continue;
        if (item->type == LINE_ITEM && (item->state & STATE_TEMPORARY)) continue;
        write_byte(REF_TAG, stream);
        write_byte(static_cast<uint8_t>(item->type), stream);
        write_byte(item->flags, stream);
        if (item->type != TITLEBLOCK_ITEM)
            write_long(static_cast<int32_t>(item_write_id(item)), stream);
    }
    write_byte(LIST_END, stream);
}
