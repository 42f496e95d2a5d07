// The stack of document names and the descent into sub-sheets.
#include <new>

#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

constexpr const char* UNTITLED = "Untitled";
constexpr int STACK_GROWTH = 5;

NameSlot& top_slot(NameStack* stack) { return stack->slots[stack->top]; }

// Multiples of 1000 at or above / at or below a value.
int64_t round_up_1000(int64_t v) { return v >= 0 ? (v + 999) / 1000 * 1000 : -(-v / 1000 * 1000); }
int64_t round_down_1000(int64_t v) { return -round_up_1000(-v); }

int32_t clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Puts a port of a sub-sheet box onto the margin of a new sheet: a port of
// the box's right edge (x other than 0) ends a tenth of the sheet width from
// its right edge, one of the left edge begins a tenth from its left edge;
// the height on the box is scaled to eight tenths of the sheet height below
// a tenth from the top. Its generated drawings are dropped (they belonged
// to the box).
void place_port_on_sheet(Schema* schema, Port* port, int32_t box_height) {
    const Point sheet = schema_sheet_extent(schema);
    const int64_t W = sheet.x, H = sheet.y;
    Rect bounds{};
    const int64_t w = bounds_Port(schema, port, &bounds, false) ? bounds.w : 0;
    int64_t x;
    if (port->pos.x != 0)
        x = round_down_1000(9 * W / 10 - w);
    else
        x = round_up_1000(w + W / 10);
    // A box of no height has nothing to scale by: its ports go to the top.
    const int64_t scaled = box_height != 0 ? int64_t{port->pos.y} * H / box_height * 8 / 10 : 0;
    const int64_t y = round_up_1000(scaled + H / 10);
    port->pos = Point{clamp32(x), clamp32(y)};
    free_Vectors(port->outline, false);
    port->outline = nullptr;
    free_Strokes(port->layout);
    port->layout = nullptr;
}

// Moves the ports of the list onto the new schema's sheet and into its
// ports list (made when missing); the list is released.
void adopt_ports(Schema* schema, List* ports, int32_t box_height) {
    if (!schema->ports) {
        schema->ports = list_new();
        if (!schema->ports) no_memory();
    }
    while (ports && ports->head) {
        Port* port = as_Port(static_cast<SchItem*>(ports->head->data));
        dlist_remove_head(ports, nullptr);
        place_port_on_sheet(schema, port, box_height);
        if (!dlist_append(schema->ports, port)) {
            free_Port(port, false);
            no_memory();
        }
    }
    if (ports) dlist_free(ports, LIST_FROM_HEAD, nullptr);
}

}  // namespace

// --- the stack -----------------------------------------------------------------------------------

NameStack* new_NameStack(int n) {
    NameStack* stack = new (std::nothrow) NameStack;
    if (!stack) return nullptr;
    stack->slots.resize(n < 1 ? 1 : static_cast<size_t>(n));
    return stack;
}

void free_NameStack(NameStack* stack) { delete stack; }

void name_stack_reset(NameStack* stack, const char* name) {
    for (NameSlot& slot : stack->slots) slot = NameSlot{};
    stack->top = 0;
    top_slot(stack).name = name ? name : "";
}

void name_stack_set(NameStack* stack, const char* name) { top_slot(stack).name = name ? name : ""; }

void name_stack_replace(NameStack* stack, const char* name) { name_stack_set(stack, name); }

std::string name_stack_top(const NameStack* stack) { return name_stack_name(stack, stack->top); }

const char* name_stack_name(const NameStack* stack, int i) {
    if (i < 0 || static_cast<size_t>(i) >= stack->slots.size()) return UNTITLED;
    const std::string& name = stack->slots[i].name;
    return name.empty() ? UNTITLED : name.c_str();
}

bool name_stack_at_root(const NameStack* stack) { return stack->top == 0; }

int name_stack_depth(const NameStack* stack) { return stack->top + 1; }

void name_stack_pop_all(NameStack* stack) {
    for (int i = stack->top; i >= 0; --i) stack->slots[i].name.clear();
    stack->top = 0;
}

// --- sub-sheets ---------------------------------------------------------------------------------

namespace {
// Makes a new document and loads the box's sheet file into it. A file that
// does not exist yet starts as an empty sheet carrying the box's ports
// (taken over); otherwise the ports are released.
int load_box_sheet(Schema** schema, const std::string& file, List* ports, int32_t box_height) {
    new_active_schema(schema);
    int result = load_schema_file(schema, file.c_str());
    if (result == DOC_CANNOT_OPEN) {
        adopt_ports(*schema, ports, box_height);
        return 0;
    }
    free_SchItem_list(nullptr, &ports);
    return result;
}
}  // namespace

int open_subsheet_schema(Schema** schema, const SubSheet* box, const char* file_name) {
    if (!box || box->file_name.empty()) return DOC_NO_SUCH_FILE;
    // What the new sheet needs of the box is taken before the document that
    // may hold the box is replaced.
    const std::string file = file_name && *file_name ? file_name : box->file_name;
    const int32_t box_height = box->size.y;
    List* ports = list_new();
    if (!ports) no_memory();
    for (const Port* port : list_items<const Port>(box->ports)) {
        Port* copy = copy_Port(*schema, port);
        if (!copy || !dlist_append(ports, copy)) no_memory();
    }
    return load_box_sheet(schema, file, ports, box_height);
}

int descend_subsheet(NameStack** stack_ref, Schema** schema, SubSheet* box, Point* position) {
    if (!box || box->file_name.empty()) return DOC_NO_SUCH_FILE;
    NameStack* stack = *stack_ref;
    const std::string file = box->file_name;
    if (static_cast<size_t>(stack->top) + 1 >= stack->slots.size())
        stack->slots.resize(stack->slots.size() + STACK_GROWTH);
    NameSlot& parent = top_slot(stack);
    parent.box_word = box->time_stamp;
    parent.position = position ? *position : Point{};
    ++stack->top;
    name_stack_set(stack, file.c_str());

    // The ports go with the new sheet; the box (on the parent's sheet, which
    // is released now) keeps an empty list.
    List* ports = box->ports;
    const int32_t box_height = box->size.y;
    box->ports = list_new();
    if (!box->ports) no_memory();
    int result = load_box_sheet(schema, file, ports, box_height);
    if (result != 0) ascend_sheet(stack, schema, position);
    return result;
}

int ascend_sheet(NameStack* stack, Schema** schema, Point* position) {
    if (stack->top == 0) return DOC_AT_TOP;
    top_slot(stack).name.clear();
    --stack->top;
    new_active_schema(schema);
    const NameSlot& parent = top_slot(stack);
    int result = load_schema_file(schema, parent.name.c_str());
    if (position) *position = parent.position;
    return result;
}
