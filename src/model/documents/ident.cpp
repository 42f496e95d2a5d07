// Net identifiers, their name records, and pseudo-pins: the records of
// connectivity (and, for pseudo-pins, the link entries of picks and pastes).
#include "model/documents/ident.h"

#include <cstdlib>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/netprop.h"
#include "model/items/pin.h"
#include "model/items/primitive_kit.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

// The square of side `width` centred on the point (both kinds).
bool point_square(SchItem* item, Rect* rect, bool accumulate) {
    int64_t w = item->width;
    return put_bounds(rect, make_rect(item->pos.x - w / 2, item->pos.y - w / 2, w, w), accumulate);
}

double point_hit(SchItem* item, Point p, uint32_t mask, double tolerance, uint32_t hit_bit) {
    if (!mask_matches(item->state, mask)) return FAR_AWAY;
    return mark_hit(item, point_distance(p, item->pos), tolerance, hit_bit);
}

bool point_pick(View* view, SchItem* item, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, item, mask) || !view_point_in_select(view, item->pos)) return false;
    mark_picked(item, bit | STATE_BOTH_ENDS, operation);
    return true;
}

int free_NameRec_cb(void* rec) {
    free_NameRec(static_cast<NameRec*>(rec), false);
    return 0;
}

// The id a target is written with: it gets one first when it has none.
uint32_t target_id(SchItem* item) { return item ? item_write_id(item) : 0; }

}  // namespace

// --- name records ----------------------------------------------------------------

NameRec* new_NameRec() { return new (std::nothrow) NameRec; }

void free_NameRec(NameRec* rec, bool keep_storage) {
    if (!rec) return;
    std::free(rec->name);
    rec->name = nullptr;
    if (!keep_storage) delete rec;
}

NameRec* copy_NameRec(const NameRec* rec) {
    NameRec* copy = new_NameRec();
    if (!copy) return nullptr;
    copy->kind = rec->kind;
    copy->name = rec->name ? str_dup(rec->name) : nullptr;
    return copy;
}

// --- net identifiers ---------------------------------------------------------------

Ident* as_Ident(SchItem* item) { return checked_as<Ident>(item, IDENT_ITEM); }
const Ident* as_Ident(const SchItem* item) { return checked_as<Ident>(item, IDENT_ITEM); }

Ident* new_Ident() {
    Ident* head = make<Ident>(IDENT_ITEM);
    if (head) head->width = 0;
    return head;
}

int free_Ident(SchItem* item, bool keep_storage) {
    if (!item || item->type != IDENT_ITEM) return item ? item->type : 0;
    Ident* head = as_Ident(item);
    if (head->names) dlist_free(head->names, LIST_FROM_HEAD, free_NameRec_cb);
    head->names = nullptr;
    free_NetProp(head->netprop, false);
    head->netprop = nullptr;
    head->name.clear();
    release(head, keep_storage);
    return 0;
}

void matrix_Ident(SchItem* item, const Matrix* matrix) {
    if (item->type == IDENT_ITEM) matrix_apply(matrix, item->pos, &item->pos);
}

bool bounds_Ident(Schema*, SchItem* item, Rect* rect, bool accumulate) {
    return item->type == IDENT_ITEM && point_square(item, rect, accumulate);
}

void flag_Ident(SchItem* item) {
    if (item->type == IDENT_ITEM) flagop_apply(&item->state);
}

double distance_Ident(Schema*, SchItem* item, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit) {
    if (item->type != IDENT_ITEM) return FAR_AWAY;
    return point_hit(item, p, mask, tolerance, hit_bit);
}

bool select_Ident(Schema*, View* view, SchItem* item, uint32_t bit, int operation, uint32_t mask) {
    return item->type == IDENT_ITEM && point_pick(view, item, bit, operation, mask);
}

Ident* copy_Ident(const SchItem* item) {
    if (!item || item->type != IDENT_ITEM) return nullptr;
    const Ident* head = as_Ident(item);
    Ident* copy = new (std::nothrow) Ident;
    if (!copy) return nullptr;
    static_cast<SchItem&>(*copy) = static_cast<const SchItem&>(*head);
    copy->prev = copy->next = nullptr;
    copy->id = 0;
    copy->name = head->name;  // a deep copy of the slot
    // The copy owns its names and net property: freeing either record
    // leaves the other whole.
    for (const NameRec* rec : list_items<NameRec>(head->names)) {
        if (!ident_add_name(copy, rec->kind, rec->name)) {
            free_Ident(copy, false);
            return nullptr;
        }
    }
    if (head->netprop && !(copy->netprop = copy_NetProp(head->netprop))) {
        free_Ident(copy, false);
        return nullptr;
    }
    return copy;
}

bool ident_add_name(Ident* head, int32_t kind, const char* name) {
    if (!head->names && !(head->names = list_new())) return false;
    NameRec* rec = new_NameRec();
    if (!rec) return false;
    rec->kind = kind;
    rec->name = name ? str_dup(name) : nullptr;
    if (!dlist_append(head->names, rec)) {
        free_NameRec(rec, false);
        return false;
    }
    return true;
}

// --- pseudo-pins --------------------------------------------------------------------

PseudoPin* as_PseudoPin(SchItem* item) { return checked_as<PseudoPin>(item, PSEUDO_PIN); }
const PseudoPin* as_PseudoPin(const SchItem* item) {
    return checked_as<PseudoPin>(item, PSEUDO_PIN);
}

PseudoPin* new_PseudoPin() {
    PseudoPin* pp = make<PseudoPin>(PSEUDO_PIN);
    if (pp) pp->width = 0;
    return pp;
}

int free_PseudoPin(SchItem* item, bool keep_storage) {
    if (!item || item->type != PSEUDO_PIN) return item ? item->type : 0;
    release(as_PseudoPin(item), keep_storage);
    return 0;
}

void matrix_PseudoPin(SchItem* item, const Matrix* matrix) {
    if (item->type == PSEUDO_PIN) matrix_apply(matrix, item->pos, &item->pos);
}

bool bounds_PseudoPin(Schema*, SchItem* item, Rect* rect, bool accumulate) {
    return item->type == PSEUDO_PIN && point_square(item, rect, accumulate);
}

void flag_PseudoPin(SchItem* item) {
    if (item->type == PSEUDO_PIN) flagop_apply(&item->state);
}

double distance_PseudoPin(Schema*, SchItem* item, Point p, uint32_t mask, double tolerance,
                          uint32_t hit_bit) {
    if (item->type != PSEUDO_PIN) return FAR_AWAY;
    return point_hit(item, p, mask, tolerance, hit_bit);
}

bool select_PseudoPin(Schema*, View* view, SchItem* item, uint32_t bit, int operation,
                      uint32_t mask) {
    return item->type == PSEUDO_PIN && point_pick(view, item, bit, operation, mask);
}

PseudoPin* copy_PseudoPin(const SchItem* item) {
    if (!item || item->type != PSEUDO_PIN) return nullptr;
    return duplicate(as_PseudoPin(item));
}

int read_PseudoPin(PseudoPin* pp, FILE* stream) {
    int result = read_item_tag(stream, PSEUDO_PIN_TAG);
    if (result != 0) return result;
    uint32_t own = 0, whoami = 0, father = 0;
    result = read_long(&own, stream);
    result |= read_long(&whoami, stream);
    result |= read_long(&father, stream);
    if (result != 0) return -1;
    pp->type = PSEUDO_PIN;
    pp->id = own;
    if (own != 0) note_read_id(own);
    pp->whoami_id = whoami;
    pp->father_id = father;
    pp->whoami = nullptr;
    pp->pin = nullptr;
    pp->father = nullptr;
    return 0;
}

uint32_t pseudo_pin_whoami_id(PseudoPin* pp) {
    if (pp->role == PP_NET_MEMBER && pp->pin) {
        if (pp->pin->id == 0) pp->pin->id = new_object_id();
        return pp->pin->id;
    }
    return pp->whoami ? target_id(pp->whoami) : pp->whoami_id;
}

void write_PseudoPin(PseudoPin* pp, FILE* stream) {
    write_byte(PSEUDO_PIN_TAG, stream);
    write_long(static_cast<int32_t>(item_write_id(pp)), stream);
    write_long(static_cast<int32_t>(pseudo_pin_whoami_id(pp)), stream);
    write_long(static_cast<int32_t>(pp->father ? target_id(pp->father) : pp->father_id), stream);
}
