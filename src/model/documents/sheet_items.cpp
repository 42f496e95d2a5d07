// The sheet item dispatchers: one routine per action, each one look-up in
// the operations table (item_ops.h) by the item's code.
#include "model/documents/sheet_items.h"

#include <array>
#include <unordered_map>

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
#include "model/items/item_ops.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

// The code of the record a sheet item tag starts, 0 for none: the table's
// sheet tags turned round once.
int sheet_code_of_tag(int tag) {
    static const std::array<int8_t, 256> codes = [] {
        std::array<int8_t, 256> by_tag{};
        for (int code = 0; code < ITEM_CODE_LIMIT; ++code)
            if (uint8_t t = item_ops(code).sheet_tag) by_tag[t] = static_cast<int8_t>(code);
        return by_tag;
    }();
    return codes[static_cast<uint8_t>(tag)];
}

// How deep the sheet being read stands inside other sheets: a file may not
// nest them without bound (each level is a reader on the stack).
int sheet_depth = 0;

// One level deeper for the life of a sheet reader, whichever way it returns.
class SheetDepthScope {
public:
    SheetDepthScope() { ++sheet_depth; }
    ~SheetDepthScope() { --sheet_depth; }
    SheetDepthScope(const SheetDepthScope&) = delete;
    SheetDepthScope& operator=(const SheetDepthScope&) = delete;
};

void store_rect(Rect* rect, const Rect& r, bool accumulate) {
    if (accumulate)
        rect_union(rect, r);
    else
        *rect = r;
}

}  // namespace

// --- nested sheets ---------------------------------------------------------------------

// --- sheet ---------------------------------------------------------------------------------

Sheet* as_Sheet(SchItem* item) { return checked_as<Sheet>(item, SHEET_ITEM); }

const Sheet* as_Sheet(const SchItem* item) { return checked_as<Sheet>(item, SHEET_ITEM); }

Sheet* new_Sheet() {
    Sheet* sheet = new (std::nothrow) Sheet;
    if (!sheet) return nullptr;
    sheet->type = SHEET_ITEM;
    sheet->width = 0;
    sheet->items = list_new();
    if (!sheet->items) {
        delete sheet;
        return nullptr;
    }
    return sheet;
}

void free_Sheet(Schema* schema, Sheet* sheet, bool keep_storage) {
    if (!sheet) return;
    free_SchItem_list(schema, &sheet->items);
    if (!keep_storage) delete sheet;
}

int read_Sheet(Schema* schema, Sheet* sheet, FILE* stream) {
    int result = read_item_tag(stream, SHEET_TAG);
    if (result != 0) return result;
    if (sheet_depth >= MAX_SHEET_DEPTH) return READ_ERROR;
    SheetDepthScope deeper;
    sheet->type = SHEET_ITEM;
    sheet->state = STATE_NEW;
    if (!sheet->items) sheet->items = new_list_or_die();
    return read_SchItem_list(schema, sheet->items, stream);
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

void matrix_Sheet(Sheet* sheet, const Matrix* matrix) {
    for (SchItem* child : list_items<SchItem>(sheet->items)) matrix_SchItem(child, matrix);
}

bool bounds_Sheet(Schema* schema, Sheet* sheet, Rect* rect, bool accumulate) {
    return bounds_SchItem_list(schema, sheet->items, rect, accumulate);
}

void flag_Sheet(Sheet* sheet) {
    flagop_apply(&sheet->state);
    flag_SchItem_list(sheet->items);
}

double distance_Sheet(Schema* schema, Sheet* sheet, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit) {
    SchItem* nearest = nullptr;
    return nearest_SchItem(schema, sheet->items, p, &nearest, mask, tolerance, hit_bit);
}

bool select_Sheet(Schema* schema, View* view, Sheet* sheet, uint32_t bit, int operation,
                  uint32_t mask) {
    return select_SchItem_list(schema, view, sheet->items, bit, operation, mask);
}

Sheet* copy_Sheet(Schema* schema, const Sheet* sheet) {
    Sheet* copy = new_Sheet();
    if (!copy) return nullptr;
    copy->flags = sheet->flags;
    copy->state = sheet->state;
    copy_SchItem_list(schema, copy->items, sheet->items);
    return copy;
}

// --- dispatchers -------------------------------------------------------------------------

SchItem* new_SchItem(int code) {
    if (auto make = item_ops(code).make) return make();
    warning("new_SchItem: bad code %d\n", code);
    return nullptr;
}

void free_SchItem(Schema* schema, SchItem* item, bool keep_storage) {
    if (!item) return;
    if (auto release = item_ops(item->type).release) release({schema}, item, keep_storage);
}

int read_SchItem(Schema* schema, SchItem** out, FILE* stream) {
    *out = nullptr;
    int c = peek_byte(stream);
    if (c == EOF) return -1;
    int code = sheet_code_of_tag(c);
    if (code == 0) return NOT_MY_TAG;
    SchItem* item = new_SchItem(code);
    if (!item) return NO_MEMORY;
    *out = item;
    return item_ops(code).read({schema}, item, stream);
}

void write_SchItem(Schema* schema, SchItem* item, FILE* stream, uint32_t mask) {
    if (!mask_matches(item->state, mask)) return;
    if (auto write = item_ops(item->type).write) write({schema}, item, stream, mask);
}

void awrite_SchItem(Schema* schema, SchItem* item, FILE* stream, int level) {
    if (auto awrite = item_ops(item->type).awrite) awrite({schema}, item, stream, level);
}

void matrix_SchItem(SchItem* item, const Matrix* matrix) {
    if (auto transform = item_ops(item->type).matrix) transform({}, item, matrix);
}

bool bounds_SchItem(Schema* schema, SchItem* item, Rect* rect, bool accumulate) {
    auto bounds = item_ops(item->type).bounds;
    return bounds && bounds({schema}, item, rect, accumulate);
}

bool extent_SchItem(Schema* schema, SchItem* item, Rect* rect) {
    auto extent = item_ops(item->type).extent;
    return extent && extent({schema}, item, rect);
}

void flag_SchItem(SchItem* item) {
    if (auto flag = item_ops(item->type).flag) flag({}, item);
}

bool mask_SchItem(uint32_t mask, const SchItem* item) {
    return item_ops(item->type).masked && mask_matches(item->state, mask);
}

double distance_SchItem(Schema* schema, SchItem* item, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit) {
    auto distance = item_ops(item->type).distance;
    return distance ? distance({schema}, item, p, mask, tolerance, hit_bit) : FAR_AWAY;
}

bool select_SchItem(Schema* schema, View* view, SchItem* item, uint32_t bit, int operation,
                    uint32_t mask) {
    auto select = item_ops(item->type).select;
    return select && select({schema, view}, item, bit, operation, mask);
}

SchItem* copy_SchItem(Schema* schema, SchItem* item) {
    auto copy = item_ops(item->type).copy;
    return copy ? copy({schema}, item) : nullptr;
}

void anchor_SchItem(const SchItem* item, Point* out) {
    auto anchor = item_ops(item->type).anchor;
    if (anchor)
        anchor(item, out);
    else
        *out = Point{};
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
    while (const ListNode* node = held->head) {
        // Releasing a large sheet waits on memory more than it works: the
        // next record and the node after it are fetched meanwhile.
        if (const ListNode* ahead = node->next) {
            __builtin_prefetch(ahead->data);
            __builtin_prefetch(ahead->next);
            // A sheet's nodes and records are mostly made one after the
            // other: what lies a few records on is fetched as well.
            __builtin_prefetch(reinterpret_cast<const char*>(ahead) + 1024);
        }
        SchItem* item = static_cast<SchItem*>(node->data);
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

// The records of lists by kind and object id, one table a list, made at
// the first look-up in it: a list of references resolves in one pass over
// each list it names. A table keeps the first record of a kind and id.
class RecordsById {
public:
    SchItem* find(List* list, int code, uint32_t id) {
        if (!list) return nullptr;
        auto [table, made] = tables_.try_emplace(list);
        if (made) {
            table->second.reserve(list->count);
            for (SchItem* item : list_items<SchItem>(list))
                table->second.emplace(key(item->type, item->id), item);
        }
        auto found = table->second.find(key(code, id));
        return found == table->second.end() ? nullptr : found->second;
    }

private:
    static uint64_t key(int code, uint32_t id) {
        return uint64_t{static_cast<uint8_t>(code)} << 32 | id;
    }
    std::unordered_map<List*, std::unordered_map<uint64_t, SchItem*>> tables_;
};

// The target of one record: null when nothing answers to it.
void* resolve_ref(RecordsById& records, Schema* schema, PlacedPart* part, int code, uint32_t id) {
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
        return body ? records.find(body->items, code, id) : nullptr;
    }
    if (!schema || code == 0) return nullptr;
    if (code == TITLEBLOCK_ITEM) return &schema->titleblock;
    SchItem* found = code == PORT_ITEM ? records.find(schema->ports, code, id) : nullptr;
    if (!found && schema->sheet) found = records.find(schema->sheet->items, code, id);
    if (!found) found = records.find(schema->titleblock.fields, code, id);
    if (!found) found = records.find(schema->titleblock.drawing, code, id);
    return found;
}

}  // namespace

int read_ref_list(Schema* schema, List* list, FILE* stream, PlacedPart* part, RefKinds wanted) {
    if (!list) return 0;
    bool unresolved = false;
    RecordsById records;
    for (;;) {
        int result = read_item_tag(stream, REF_TAG);
        if (result == NOT_MY_TAG) break;
        if (result != 0) return result;
        uint8_t code = 0, flags = 0;
        uint32_t id = 0;
        if (read_byte(&code, stream) != 0) return -1;
        if (code != 0 && read_byte(&flags, stream) != 0) return -1;
        if (code != TITLEBLOCK_ITEM && read_long(&id, stream) != 0) return -1;
        bool kind_wanted = wanted == RefKinds::ANY || (wanted == RefKinds::PINS) == (code == 0);
        void* target = kind_wanted ? resolve_ref(records, schema, part, code, id) : nullptr;
        if (!target) {
            // A damaged or foreign list: the record is skipped, the rest read.
            warning("read_ref_list: no %s with id %u at byte %ld\n", code ? item_name(code) : "pin",
                    id, std::ftell(stream));
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
