// Sub-sheet boxes: the record and its file forms, geometry and outline, the
// symbols of the ports on its edges, the import of the ports of the file it
// stands for, and the resize helpers of the sheet editor.
#include "model/documents/subsheet.h"

#include <algorithm>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "foundation/text_forms.h"
#include "model/documents/power_port.h"
#include "model/documents/record_kit.h"
#include "model/items/ascii_writer.h"
#include "model/items/library.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"
#include "model/items/wire_route.h"

using namespace items_kit;

namespace {

constexpr uint8_t SCHEMA_TAG = 0xD1;  // item_tag(SCHEMA_ITEM)
constexpr uint8_t BOUNDS_TAG = 'b';
constexpr uint8_t HEADER_MARK = '@';
constexpr int32_t PORT_NAME_GAP = 1600;  // between a box port and its name
constexpr int DOCUMENT_KIND_SCHEMA = 5;

int free_port_cb(void* data) {
    free_Port(static_cast<Port*>(data), false);
    return 0;
}

// Releases every port and empties the list.
void clear_ports(List* ports) {
    while (ports && ports->count) dlist_remove_head(ports, free_port_cb);
}

int64_t round_up_1000(int64_t v) {
    int64_t q = v / 1000;
    if (v % 1000 > 0) ++q;
    return q * 1000;
}

int32_t clamp32(int64_t v) { return trunc32(static_cast<double>(v)); }

Vectors* new_outline() {
    Vectors* set = new_Vectors();
    if (!set) no_memory();
    return set;
}

void drop_outline(Vectors** set) {
    free_Vectors(*set, false);
    *set = nullptr;
}

Poly* closed_poly(std::initializer_list<Point> points) {
    Poly* poly = new_Poly();
    if (!poly) no_memory();
    poly->points.assign(points);
    return poly;
}

// The outline points of a box port's symbol by the kind it shows.
void port_shape(Poly* poly, uint8_t kind, Point c, int32_t h) {
    // c moved by (dx, dy) half-sides, kept in range for a port read from a file.
    auto at = [c, h](int dx, int dy) {
        return Point{clamp32(int64_t{c.x} + int64_t{dx} * h),
                     clamp32(int64_t{c.y} + int64_t{dy} * h)};
    };
    switch (kind) {
        case PORT_INPUT:
            poly->points = {at(-1, 1), at(0, 1), at(1, 0), at(0, -1), at(-1, -1), at(-1, 1)};
            break;
        case PORT_OUTPUT:
            poly->points = {at(-1, 0), at(0, 1), at(1, 1), at(1, -1), at(0, -1), at(-1, 0)};
            break;
        case PORT_UNSPEC:
            poly->points = {at(-1, 1), at(1, 1), at(1, -1), at(-1, -1), at(-1, 1)};
            break;
        default: poly->points = {at(0, 1), at(1, 0), at(0, -1), at(-1, 0), at(0, 1)}; break;
    }
}

// Skips the file header and checks that a ports section follows the
// schema record's bounds, which go to *bounds.
bool at_ports_section(FILE* stream, Rect* bounds) {
    uint8_t c = 0;
    if (read_byte(&c, stream) != 0) return false;
    if (c == HEADER_MARK) {
        std::string header;
        uint8_t end_of_text = 0;
        if (docs_kit::read_text(&header, stream) != 0 || read_byte(&end_of_text, stream) != 0 ||
            end_of_text != FILE_HEADER_END || read_byte(&c, stream) != 0)
            return false;
    }
    if (c != SCHEMA_TAG) return false;
    if (read_byte(&c, stream) != 0 || c != BOUNDS_TAG) return false;
    if (read_rect(bounds, stream) != 0) return false;
    return peek_byte(stream) == item_tag(PORT_ITEM);
}

// The rectangle of the box after moving the named sides: the left side
// before the right one, the bottom before the top.
Rect resized(const SubSheet* box, int32_t dx, int32_t dy, int sides) {
    Rect r{box->pos.x, box->pos.y, box->size.x, box->size.y};
    if (sides & SUBSHEET_LEFT) {
        r.x = clamp32(int64_t{r.x} + dx);
        r.w = clamp32(int64_t{r.w} - dx);
    } else if (sides & SUBSHEET_RIGHT) {
        r.w = clamp32(int64_t{r.w} + dx);
    }
    if (sides & SUBSHEET_BOTTOM) {
        r.h = clamp32(int64_t{r.h} + dy);
    } else if (sides & SUBSHEET_TOP) {
        r.y = clamp32(int64_t{r.y} + dy);
        r.h = clamp32(int64_t{r.h} - dy);
    }
    return r;
}

}  // namespace

SubSheet* as_SubSheet(SchItem* item) { return checked_as<SubSheet>(item, SUBSHEET_ITEM); }
const SubSheet* as_SubSheet(const SchItem* item) {
    return checked_as<SubSheet>(item, SUBSHEET_ITEM);
}

// --- records -------------------------------------------------------------------------------
SubSheet* new_SubSheet() {
    SubSheet* box = make<SubSheet>(SUBSHEET_ITEM);
    if (!box) return nullptr;
    box->ports = list_new();
    if (!box->ports) {
        delete box;
        return nullptr;
    }
    box->time_stamp = time_stamp();
    return box;
}

SubSheet* create_SubSheet(Schema* doc, const char* file_name, const char* sheet_name) {
    SubSheet* box = new_SubSheet();
    if (!box) return nullptr;
    box->size = {proper_get(MIN_SHEETW), proper_get(MIN_SHEETH)};
    box->file_name = file_name ? file_name : "";
    box->sheet_name.set(sheet_name);
    subsheet_import_ports(doc, box, file_name);
    subsheet_build_box(doc, box);
    return box;
}

void free_SubSheet(Schema*, SubSheet* box, bool keep_storage) {
    if (!box) return;
    if (box->ports) dlist_free(box->ports, LIST_FROM_HEAD, free_port_cb);
    box->ports = nullptr;
    std::string().swap(box->file_name);
    drop_outline(&box->outline);
    free_Strokes(box->layout);
    box->layout = nullptr;
    box->sheet_name.clear();
    std::string().swap(box->extra);
    release(box, keep_storage);
}

int read_port_list(List* ports, FILE* stream) {
    for (;;) {
        int c = peek_byte(stream);
        if (c == EOF) return -1;
        if (c == LIST_END) {
            getc_unlocked(stream);
            return 0;
        }
        if (c != item_tag(PORT_ITEM)) return READ_ERROR;
        Port* port = new_Port();
        if (!port) return NO_MEMORY;
        int result = read_Port(port, stream);
        if (result != 0) {
            free_Port(port, false);
            return result;
        }
        append_or_die(ports, port);
    }
}

int read_SubSheet(Schema*, SubSheet* box, FILE* stream) {
    int result = read_item_tag(stream, item_tag(SUBSHEET_ITEM));
    if (result != 0) return result;
    box->type = SUBSHEET_ITEM;
    int16_t width = 0;
    result = read_byte(&box->flags, stream);
    result |= read_point(&box->pos, stream);
    result |= read_short(&width, stream);
    result |= read_size(&box->size, stream);
    result |= read_sstr(&box->sheet_name, stream);
    result |= docs_kit::read_text(&box->file_name, stream);
    if (result != 0) return -1;
    box->width = read_width_rule(width);
    box->state = STATE_NEW;
    if (!box->ports) {
        box->ports = list_new();
        if (!box->ports) return NO_MEMORY;
    }
    clear_ports(box->ports);
    result = read_port_list(box->ports, stream);
    if (result != 0) return result;

    if (take_byte(stream, SUBSHEET_STAMP_TAG) && read_long(&box->time_stamp, stream) != 0)
        return -1;
    box->extra.clear();
    if (take_byte(stream, SUBSHEET_EXTRA_TAG) && docs_kit::read_text(&box->extra, stream))
        return -1;
    if (read_item_id(box, stream) != 0) return -1;
    if (take_byte(stream, SUBSHEET_AREA_TAG)) {
        Point area[2];
        if (read_point(&area[0], stream) != 0 || read_point(&area[1], stream) != 0) return -1;
        box->area[0] = area[0];
        box->area[1] = area[1];
    } else {
        subsheet_reset_area(box);
    }
    return 0;
}

void write_SubSheet(Schema*, SubSheet* box, FILE* stream, uint32_t mask) {
    if (!mask_matches(box->state, mask)) return;
    write_byte(item_tag(SUBSHEET_ITEM), stream);
    write_byte(box->flags, stream);
    write_point(box->pos, stream);
    write_short(box->width, stream);
    write_size(box->size, stream);
    write_sstr(&box->sheet_name, stream);
    write_string(box->file_name.c_str(), stream);
    for (Port* port : list_items<Port>(box->ports)) write_Port(as_Port(port), stream, 0);
    write_byte(LIST_END, stream);
    write_byte(SUBSHEET_STAMP_TAG, stream);
    write_long(static_cast<int32_t>(box->time_stamp), stream);
    write_byte(SUBSHEET_EXTRA_TAG, stream);
    write_string(box->extra.c_str(), stream);
    write_item_id(box, stream);
    write_byte(SUBSHEET_AREA_TAG, stream);
    write_point(box->area[0], stream);
    write_point(box->area[1], stream);
}

void awrite_SubSheet(Schema*, const SubSheet* box, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(SUBSHEET 0x%08X ", static_cast<unsigned>(box->time_stamp));
    write_POS(box->pos, stream, -1);
    write_SIZE(box->size.x, box->size.y, stream, -1);
    std::fprintf(stream, "%s ", quote_string(box->sheet_name.get()).c_str());
    std::fprintf(stream, "%s ", quote_string(box->file_name.c_str()).c_str());
    put_newline(stream);
    write_indent(stream, level + 1);
    std::fputs("(PORTS", stream);
    put_newline(stream);
    for (const Port* port : list_items<const Port>(box->ports))
        awrite_Port(as_Port(port), stream, level + 2);
    write_indent(stream, level + 1);
    std::fputs(")", stream);
    put_newline(stream);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

SubSheet* copy_SubSheet(Schema* doc, const SubSheet* box) {
    SubSheet* copy = new_SubSheet();
    if (!copy) return nullptr;
    docs_kit::copy_head(copy, box);
    copy->size = box->size;
    copy->file_name = box->file_name;
    copy->sheet_name = box->sheet_name;
    copy->time_stamp = box->time_stamp;
    copy->spare = box->spare;
    copy->extra = box->extra;
    for (const Port* port : list_items<const Port>(box->ports)) {
        Port* port_copy = copy_Port(doc, as_Port(port));
        if (!port_copy || !dlist_append(copy->ports, port_copy)) {
            free_Port(port_copy, false);
            free_SubSheet(doc, copy, false);
            return nullptr;
        }
    }
    subsheet_build_box(doc, copy);
    return copy;
}

// --- geometry ------------------------------------------------------------------------------
void matrix_SubSheet(SubSheet* box, const Matrix* matrix) {
    matrix_apply(matrix, box->pos, &box->pos);
}

bool bounds_SubSheet(Schema*, SubSheet* box, Rect* rect, bool accumulate) {
    return put_bounds(rect, {box->pos.x, box->pos.y, box->size.x, box->size.y}, accumulate);
}

double distance_SubSheet(Schema*, SubSheet* box, Point p, uint32_t mask, double tolerance,
                         uint32_t hit_bit) {
    if (!mask_matches(box->state, mask)) return FAR_AWAY;
    Rect r{box->pos.x, box->pos.y, box->size.x, box->size.y};
    return mark_hit(box, docs_kit::outline_distance(p, r, tolerance), tolerance, hit_bit);
}

bool select_SubSheet(Schema*, View* view, SubSheet* box, uint32_t bit, int operation,
                     uint32_t mask) {
    if (!may_pick(view, box, mask)) return false;
    const int32_t x0 = box->pos.x, y0 = box->pos.y;
    const int32_t x1 = clamp32(int64_t{x0} + box->size.x), y1 = clamp32(int64_t{y0} + box->size.y);
    bool picked = false;
    for (Point corner : {Point{x0, y0}, Point{x1, y0}, Point{x1, y1}, Point{x0, y1}}) {
        if (!view_point_in_select(view, corner)) continue;
        mark_picked(box, bit | STATE_BOTH_ENDS, operation);
        picked = true;
    }
    return picked;
}

void flag_SubSheet(SubSheet* box) { flagop_apply(&box->state); }

// --- outline and ports ---------------------------------------------------------------------------
int subsheet_build_box(Schema* doc, SubSheet* box) {
    drop_outline(&box->outline);
    Vectors* set = new_outline();
    const int32_t w = box->size.x, h = box->size.y;
    append_or_die(set->items, closed_poly({{0, 0}, {0, h}, {w, h}, {w, 0}, {0, 0}}));
    box->outline = set;
    free_Strokes(box->layout);
    box->layout = nullptr;
    for (Port* port : list_items<Port>(box->ports)) subsheet_port_symbol(doc, as_Port(port));
    subsheet_reset_area(box);
    return 0;
}

int subsheet_port_symbol(Schema* doc, Port* port) {
    free_Strokes(port->layout);
    port->layout = nullptr;
    Rect text;
    if (!measure_in_config_font(doc, FONT_MODULETXT, port->name.get(), port->pos, &text)) return 0;
    const int32_t h = text.h / 2;
    const bool right = port->flags & PORT_RIGHT;
    const Point c{clamp32(int64_t{port->pos.x} + (right ? -h : h)), port->pos.y};
    uint8_t kind = port->flags & PORT_KIND_MASK;
    // On the right edge an input still points into the box.
    if (right && kind == PORT_INPUT)
        kind = PORT_OUTPUT;
    else if (right && kind == PORT_OUTPUT)
        kind = PORT_INPUT;

    drop_outline(&port->outline);
    Vectors* set = new_outline();
    Fill* fill = new_Fill();
    if (!fill) no_memory();
    fill->pos = c;
    Poly* poly = new_Poly();
    if (!poly) no_memory();
    port_shape(poly, kind, c, h);
    append_or_die(fill->items, poly);
    append_or_die(set->items, fill);
    port->outline = set;
    return 0;
}

bool bounds_SubSheetPort(Schema* doc, Port* port, Rect* rect, bool accumulate) {
    Rect bounds;
    if (!port->outline || !bounds_Vectors(doc, port->outline, &bounds, false)) return accumulate;
    Rect text;
    if (measure_in_config_font(doc, FONT_SHEETNET, port->name.get(), port->pos, &text)) {
        text.x = port->pos.x == 0 ? clamp32(int64_t{port->pos.x} + PORT_NAME_GAP)
                                  : clamp32(int64_t{port->pos.x} - PORT_NAME_GAP - text.w);
        text.y = clamp32(int64_t{text.y} + text.h / 2);
        rect_union(&bounds, text);
    }
    return put_bounds(rect, bounds, accumulate);
}

Port* subsheet_port_at(Schema* doc, SubSheet* box, Point p) {
    char line[160];
    for (Port* port : list_items<Port>(box->ports)) {
        Rect r;
        if (!bounds_SubSheetPort(doc, as_Port(port), &r, false)) continue;
        r.x = clamp32(int64_t{r.x} + box->pos.x);
        r.y = clamp32(int64_t{r.y} + box->pos.y);
        if (!rect_contains_point(r, p)) continue;
        std::snprintf(line, sizeof line, "Pos %d,%d - Item 0x%08x - Box %d,%d,%d,%d\n", p.x, p.y,
                      static_cast<unsigned>(port->id), r.x, r.y, r.w, r.h);
        services().debug_write(line);
        return port;
    }
    services().debug_write("No Net\n");
    return nullptr;
}

int subsheet_border_hit(const SubSheet* box, Point p, int32_t tolerance) {
    const int64_t x0 = box->pos.x, y0 = box->pos.y;
    const int64_t x1 = x0 + box->size.x, y1 = y0 + box->size.y;
    auto near = [tolerance](int64_t a, int64_t b) { return (a > b ? a - b : b - a) <= tolerance; };
    int sides = 0;
    const bool left = near(p.x, x0);
    if (left) sides = SUBSHEET_LEFT;
    if (near(p.y, y0)) sides = left ? SUBSHEET_LEFT | SUBSHEET_TOP : SUBSHEET_TOP;
    if (near(p.x, x1)) sides |= SUBSHEET_RIGHT;
    if (near(p.y, y1)) sides |= SUBSHEET_BOTTOM;
    return sides;
}

void subsheet_port_span(const SubSheet* box, int32_t* top, int32_t* bottom) {
    int64_t t = 10000000, b = -10000000;
    if (!box->ports || box->ports->count == 0) {
        *top = clamp32(int64_t{box->size.y} - 2000);
        *bottom = 2000;
        return;
    }
    for (const Port* port : list_items<const Port>(box->ports)) {
        t = std::min<int64_t>(t, port->pos.y);
        b = std::max<int64_t>(b, port->pos.y);
    }
    t = std::min<int64_t>(t - 1000, 0);
    b += 1000;
    if (b - t < 2000) b = t + 2000;
    *top = clamp32(t);
    *bottom = clamp32(b);
}

void subsheet_resize(SubSheet* box, int32_t dx, int32_t dy, int sides) {
    for (Port* port : list_items<Port>(box->ports)) {
        if (port->pos.x > box->size.x / 2) {
            if (sides & SUBSHEET_LEFT)
                port->pos.x = clamp32(int64_t{port->pos.x} - dx);
            else if (sides & SUBSHEET_RIGHT)
                port->pos.x = clamp32(int64_t{port->pos.x} + dx);
        }
        // The bottom wins over the top, as for the box below.
        if ((sides & SUBSHEET_TOP) && !(sides & SUBSHEET_BOTTOM))
            port->pos.y = clamp32(int64_t{port->pos.y} - dy);
    }
    Rect r = resized(box, dx, dy, sides);
    box->pos = {r.x, r.y};
    box->size = {r.w, r.h};
}

void subsheet_resize_limits(const SubSheet* box, int32_t* dx, int32_t* dy, int sides, Rect* out,
                            int32_t top_limit, int32_t bottom_limit) {
    const int64_t width = box->size.x, height = box->size.y;
    if ((sides & SUBSHEET_RIGHT) && width + *dx <= SUBSHEET_MIN_SIZE)
        *dx = clamp32(SUBSHEET_MIN_SIZE - width);
    if ((sides & SUBSHEET_LEFT) && width - *dx <= SUBSHEET_MIN_SIZE)
        *dx = clamp32(width - SUBSHEET_MIN_SIZE);
    if ((sides & SUBSHEET_BOTTOM) && *dy <= 0 && height + *dy <= bottom_limit)
        *dy = clamp32(bottom_limit - height);
    if ((sides & SUBSHEET_TOP) && *dy >= 0 && *dy >= top_limit) *dy = top_limit;

    *out = resized(box, *dx, *dy, sides);
}

void subsheet_remove_port(Schema*, SubSheet* box, Port* port) {
    for (DListNode* node : dlist_nodes(box->ports)) {
        if (node->data != port) continue;
        dlist_remove(box->ports, node, free_port_cb);
        return;
    }
}

bool subsheet_port_taken(const SubSheet* box, Point p, const Port* except) {
    for (const Port* port : list_items<const Port>(box->ports))
        if (port != except && point_equal(port->pos, p)) return true;
    return false;
}

void subsheet_reset_area(SubSheet* box) {
    box->area[0] = {0, 0};
    box->area[1] = {0, box->size.y};
}

// --- importing ports -----------------------------------------------------------------------------
int subsheet_sort_ports(SubSheet* box, const Rect& bounds) {
    std::vector<Port*> ports;
    for (Port* port : list_items<Port>(box->ports)) ports.push_back(as_Port(port));
    const int64_t left_end = int64_t{bounds.x} + int64_t{bounds.w} / 3;
    const int64_t right_start = int64_t{bounds.x} + 2 * int64_t{bounds.w} / 3;
    int lefts = 0, rights = 0;
    for (Port* port : ports) {
        if (port->pos.x < left_end)
            port->flags &= static_cast<uint8_t>(~PORT_RIGHT);
        else if (port->pos.x > right_start)
            port->flags |= PORT_RIGHT;
        (port->flags & PORT_RIGHT ? rights : lefts)++;
    }
    std::stable_sort(ports.begin(), ports.end(), [](const Port* a, const Port* b) {
        bool ra = a->flags & PORT_RIGHT, rb = b->flags & PORT_RIGHT;
        if (ra != rb) return !ra;
        return a->pos.y < b->pos.y;
    });
    while (box->ports->count) dlist_remove_head(box->ports, nullptr);
    for (Port* port : ports) append_or_die(box->ports, port);
    return std::max(lefts, rights);
}

void subsheet_place_ports(SubSheet* box, int32_t pitch) {
    int64_t left_y = 0, right_y = 0;
    for (Port* port : list_items<Port>(box->ports)) {
        if (port->flags & PORT_RIGHT) {
            right_y += pitch;
            port->pos = {box->size.x, clamp32(right_y)};
        } else {
            left_y += pitch;
            port->pos = {0, clamp32(left_y)};
        }
    }
}

void subsheet_import_ports(Schema*, SubSheet* box, const char* file_name) {
    const int32_t w = font_height(FONT_SHEETNET);
    TextSize size;
    set_TextSize(&size, w);
    const int32_t h = size.height;
    if (!file_name || !*file_name) return;

    std::string path = make_kind_file_name(file_name, DOCUMENT_KIND_SCHEMA, 1);
    FILE* stream = open_file(path.c_str(), "rb");
    if (!stream) return;
    Rect bounds;
    bool has_ports = at_ports_section(stream, &bounds);
    List* ports = has_ports ? list_new() : nullptr;
    if (has_ports && !ports) no_memory();
    int result = has_ports ? read_port_list(ports, stream) : 0;
    std::fclose(stream);
    if (!has_ports) return;
    if (result != 0) {
        clear_ports(ports);  // a damaged section gives the box no ports
    }
    clear_ports(box->ports);
    dlist_free(box->ports, LIST_FROM_HEAD, nullptr);
    box->ports = ports;

    const int n = subsheet_sort_ports(box, bounds);
    int widest_left = 0, widest_right = 0;
    for (const Port* port : list_items<const Port>(box->ports)) {
        int chars = text_line_width(port->name.get());
        int& widest = port->flags & PORT_RIGHT ? widest_right : widest_left;
        widest = std::max(widest, chars);
    }
    const int64_t chars = int64_t{widest_left} + widest_right + 1;
    const int64_t pitch = round_up_1000(2 * int64_t{h});
    int64_t width = std::max<int64_t>(box->size.x, chars * w + 3 * int64_t{h});
    int64_t height = std::max<int64_t>(box->size.y, pitch * (n + 2));
    box->size = {clamp32(round_up_1000(width)), clamp32(round_up_1000(height))};
    subsheet_place_ports(box, clamp32(pitch));
}
