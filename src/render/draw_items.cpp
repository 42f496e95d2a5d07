#include "render/draw_items.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "foundation/list.h"
#include "foundation/open_table.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"
#include "model/documents/erc_mark.h"
#include "model/documents/fonts.h"
#include "model/documents/ident.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/item_ops.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "render/draw_adapter.h"
#include "render/render_canvas.h"
#include "render/render_fonts.h"
#include "render/text_strokes.h"

namespace {

// Nested drawings (fills in fills, sheets in sheets, net chains) are
// followed at most this deep or long: a damaged record must not hang a
// paint.
constexpr int MAX_DEPTH = 32;
constexpr int MAX_CHAIN = 1000000;
// Distances of pin texts from the pin, world units.
constexpr int32_t PIN_NAME_GAP = 300;
constexpr int32_t PIN_NUMBER_GAP = 250;
constexpr int32_t CLOCK_CLEARANCE = 600;  // depth of a clock wedge
// Gap between a power symbol's top and its name, and around sub-sheet names.
constexpr int32_t NAME_GAP = 200;
constexpr int32_t PORT_STUB = 1000;  // as the port outline is built
constexpr int32_t PORT_TEXT_MARGIN = 500;
constexpr int32_t SUBSHEET_NAME_GAP = 1600;

int32_t clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// A part form with a drawing shows what its pins are by its shape; a form
// without one is a bare row of pins that needs their names.
bool has_drawing(const Vectors* body) { return body && body->items && body->items->count > 0; }

// The body of the form the placed part shows.
Vectors* form_body(const Part* part, const PlacedPart* pl) {
    return pl->flags & PL_CONVERT ? part->convert : part->normal;
}

// The rotation of a text or image flag code as matrix_rotate takes it:
// quarter turns as they are, the odd eighths in tenths of a degree.
int rotation_code(int code) { return code < 4 ? code : (code - 4) * 900 + 450 + 3; }

// Turns a document-font text: by its font's escapement when the font has one
// (the font then carries the text's orientation, counter-clockwise on the
// screen), else by the text's own rotation code.
void turn_font_text(const Text* t, const Font* record, Matrix* m) {
    const int64_t escapement = ((int64_t{record->escapement} % 3600) + 3600) % 3600;
    if (escapement == 0) {
        matrix_rotate(m, rotation_code(t->flags & TEXT_ROT_MASK));
        return;
    }
    // Codes turn clockwise on the screen (y grows downwards), by (code - 3)
    // tenths of a degree.
    matrix_rotate(m, static_cast<int>((3600 - escapement) % 3600) + 3);
}

// Text visibility and colour by kind.
struct TextKind {
    int visible, print_visible, colour, width;
};
TextKind text_kind(const Text* text) {
    if (text->font >= 1 && text->font <= 9)
        return {VISIBLE_IEEE, PRINT_VIS_IEEE, COLOR_COMMENT, WIDTH_COMMENT};
    switch (text->flags & TEXT_TYPE_MASK) {
        case LABEL: return {VISIBLE_LABEL, PRINT_VIS_TEXT, COLOR_LABEL, WIDTH_LABEL};
        case TBLOCK: return {VISIBLE_TITLETXT, PRINT_VIS_TMPL, COLOR_TITLETXT, WIDTH_TITLETXT};
        default: return {VISIBLE_TEXT, PRINT_VIS_COMMENT, COLOR_COMMENT, WIDTH_COMMENT};
    }
}

// The measured boxes of library parts' own drawings (body and pins, in the
// part's coordinates) by part, form and device: a sheet places few parts
// many times, and the bounds index measures every placing. Forgotten
// whenever an index is made anew, since parts may have changed between.
class PartBoxCache {
public:
    bool find(const Part* part, const PlacedPart* pl, Rect* box, bool* any) const {
        auto it = boxes_.find(key(part, pl));
        if (it == boxes_.end()) return false;
        *box = it->second.box;
        *any = it->second.any;
        return true;
    }
    void keep(const Part* part, const PlacedPart* pl, const Rect& box, bool any) {
        boxes_[key(part, pl)] = Kept{box, any};
    }
    void clear() { boxes_.clear(); }

private:
    struct Key {
        const Part* part;
        int device;
        bool convert;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<const void*>()(k.part) ^ size_t(mix_bits(uint64_t(k.device))) ^
                   size_t(k.convert);
        }
    };
    struct Kept {
        Rect box;
        bool any;
    };
    static Key key(const Part* part, const PlacedPart* pl) {
        return Key{part, pl->device, (pl->flags & PL_CONVERT) != 0};
    }
    std::unordered_map<Key, Kept, KeyHash> boxes_;
};

PartBoxCache& part_box_cache() {
    static PartBoxCache cache;
    return cache;
}

class Painter;

// The drawing table, beside the operations table (model/items/item_ops.h):
// one row per item code. `item` draws a record as it stands on a sheet, in
// a part or a title block, in its own colours and visibility; `shape` draws
// a primitive's geometry in the pen given (part bodies, outlines, title
// blocks); `outline` adds a primitive's points to the outline of the fill
// that holds it. An empty slot draws nothing.
struct DrawRow {
    void (*item)(Painter& painter, SchItem* item, const Matrix* m, int depth) = nullptr;
    void (*shape)(Painter& painter, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width,
                  int depth) = nullptr;
    void (*outline)(Painter& painter, SchItem* item, const Matrix* m, std::vector<Point>* out,
                    int depth) = nullptr;
};
const DrawRow& draw_row(int code);

// Draws records through an adapter. Its members are open to the rows of
// the drawing table below, which hold the per-kind drawing.
class Painter {
public:
    Painter(DrawAdapter& a, Schema* doc, int64_t colour, int style)
        : a_(a), doc_(doc), colour_(colour), dashed_(style == STYLE_DASHED) {}

    void item(SchItem* item, const Matrix* m, int depth);
    // With `items`, those items in place of the ports list and the sheet's
    // items (the bounds index's answer for `area`, to which the grid is
    // kept too).
    void schema(const Rect* visible, const Rect* area = nullptr,
                const std::vector<SchItem*>* items = nullptr);
    void title_block(const Matrix* m);
    void vectors(Vectors* set, const Matrix* m, uint32_t rgb, int32_t width);
    // `bodied`: the pin's form has a body drawing, which then names the pins
    // unless a pin carries its own display choice.
    void pin(PlacedPart* pl, Pin* pin, const Matrix* m, bool bodied);
    // `kept`: the text is the sheet's own and keeps its layout; the texts a
    // repaint makes afresh take theirs from the kept layouts.
    void text(Text* text, const Matrix* m, uint32_t rgb, int32_t width, bool kept = true);

    uint32_t rgb(int property, int index = -1) const {
        return colour_ == ITEM_COLOURS ? uint32_t(proper_get(property, index)) : uint32_t(colour_);
    }
    // A stroke text whose characters come out on the screen smaller than
    // this many pixels (two points of a 96 dpi screen) cannot be read: it is
    // left out rather than drawn as a smudge, as texts in document fonts
    // smaller than two points are.
    static constexpr double MIN_TEXT_PIXELS = 8.0 / 3.0;
    bool unreadable(int32_t height, const Matrix* m) const {
        if (!a_.dc() || a_.printing || a_.ghost) return false;
        double scale = a_.scale_y();
        if (m) scale *= std::sqrt(std::fabs(m->m[0][0] * m->m[1][1] - m->m[0][1] * m->m[1][0]));
        return std::abs(double(height)) * scale < MIN_TEXT_PIXELS;
    }
    bool shown(int screen, int print) const {
        // Explicit colours draw a ghost or a highlight: always shown.
        if (colour_ != ITEM_COLOURS) return true;
        return proper_get(a_.printing && print ? print : screen) != 0;
    }
    void pen(uint32_t rgb, int32_t width, bool dashed = false) {
        a_.set_pen(rgb, width, dashed || dashed_);
    }
    List** font_table(Text* text);
    void graphic(SchItem* item, const Matrix* m, uint32_t rgb, int32_t width, int depth);
    void fill_outline(List* items, const Matrix* m, std::vector<Point>* out, int depth);
    void placed_part(PlacedPart* pl, const Matrix* m);
    // The body and pins of a placed part (what every placing of the same
    // part, form and device draws alike).
    void part_drawing(PlacedPart* pl, Part* part, const Matrix* m);
    // Measuring: the part's own box, kept per part, placed by the matrix.
    void measure_part_drawing(PlacedPart* pl, Part* part, const Matrix* m);
    void power(Power* power, const Matrix* m, uint32_t symbol_rgb, uint32_t text_rgb);
    void port(Port* port, const Matrix* m);
    void subsheet(SubSheet* box, const Matrix* m);
    void erc_mark(ErcMark* mark, const Matrix* m);
    void image(Image* image, const Matrix* m);
    void link(PseudoPin* pp, const Matrix* m, int depth);
    void ident(Ident* head, const Matrix* m);
    // A name in the configuration font of a font property; `at` is the
    // reference point, h/v the alignment of the text block on it: 0 left or
    // bottom, 1 centre, 2 right or top.
    void name(const char* string, int font_property, Point at, int h, int v, const Matrix* m,
              uint32_t rgb, int32_t width);
    // The grid marks of the visible rectangle that lie in `area`.
    void grid(const Rect& visible, const Rect& area);

    DrawAdapter& a_;
    Schema* doc_;
    int64_t colour_;
    bool dashed_;
};

List** Painter::font_table(Text* text) {
    if (text->fonts == system_fonts) return &system_fonts;
    if (doc_ && (!text->fonts || text->fonts == doc_->fonts)) return &doc_->fonts;
    return &text->fonts;
}

void Painter::text(Text* t, const Matrix* m, uint32_t colour, int32_t width, bool kept) {
    if (t->string.empty()) return;
    if (t->font >= FONT_ID_BASE) {
        List** table = font_table(t);
        int id = t->font;
        Font* record = nullptr;
        if (!font_for_text(table, &id, &record) || !record) return;
        // The baseline turns with the text's rotation and with the matrix.
        Matrix turn;
        turn_font_text(t, record, &turn);
        Point dir = apply_matrix(&turn, Point{1000, 0});
        if (m) {
            Point o = apply_matrix(m, Point{0, 0});
            Point d = apply_matrix(m, dir);
            dir = Point{d.x - o.x, d.y - o.y};
            const double len = std::hypot(double(dir.x), double(dir.y));
            if (len > 0)
                dir = Point{clamp32(std::lround(dir.x * 1000 / len)),
                            clamp32(std::lround(dir.y * 1000 / len))};
        }
        pen(colour, width);
        a_.font_text(t->string, *record, apply_matrix(m, t->pos), dir);
        return;
    }
    if (unreadable(t->size.height, m)) return;
    if (a_.measuring()) {
        // The extent of the strokes, without laying them out.
        Rect extent{};
        int found = t->layout ? (bounds_TextLines(t->layout, &extent, false) ? 1 : 0)
                              : text_layout_extent(t->string.c_str(), t->pos, t->size, t->flags,
                                                   t->font, &extent);
        if (found == 0) return;
        if (found > 0) {
            const Point far{clamp32(int64_t{extent.x} + extent.w),
                            clamp32(int64_t{extent.y} + extent.h)};
            pen(colour, width > 0 ? width : t->width);
            a_.polygon({apply_matrix(m, {extent.x, extent.y}), apply_matrix(m, {far.x, extent.y}),
                        apply_matrix(m, far), apply_matrix(m, {extent.x, far.y})},
                       false);
            return;
        }
    }
    if (!t->layout && !kept) {
        // The pen width a laid-out stroke holds.
        const int32_t pen_width = width > 0 ? width : static_cast<int16_t>(t->width);
        for_each_text_stroke(t->string.c_str(), t->pos, t->size, t->flags, t->font, m, MAX_CHAIN,
                             [&](const std::vector<Point>& points) {
                                 pen(colour, pen_width);
                                 a_.strip(points);
                             });
        return;
    }
    if (!t->layout) layout_Text(t);
    int guard = 0;
    for (Stroke* s = t->layout; s && guard < MAX_CHAIN; s = s->next, ++guard) {
        std::vector<Point> points;
        points.reserve(s->points.size());
        for (Point p : s->points) points.push_back(apply_matrix(m, p));
        pen(colour, width > 0 ? width : s->width);
        a_.strip(points);
    }
}

void Painter::fill_outline(List* items, const Matrix* m, std::vector<Point>* out, int depth) {
    if (depth > MAX_DEPTH) return;
    for (SchItem* item : list_items<SchItem>(items))
        if (auto outline = draw_row(item->type).outline) outline(*this, item, m, out, depth);
}

void Painter::graphic(SchItem* item, const Matrix* m, uint32_t colour, int32_t width, int depth) {
    if (auto shape = draw_row(item->type).shape) shape(*this, item, m, colour, width, depth);
}

void Painter::vectors(Vectors* set, const Matrix* m, uint32_t colour, int32_t width) {
    if (!set) return;
    for (SchItem* item : list_items<SchItem>(set->items)) graphic(item, m, colour, width, 0);
}

void Painter::name(const char* string, int font_property, Point at, int h, int v, const Matrix* m,
                   uint32_t colour, int32_t width) {
    if (!string || !*string) return;
    const int height = font_height(font_property);
    if (proper_get(font_property) < FONT_ID_BASE) {
        TextSize size;
        set_TextSize(&size, height);
        if (unreadable(size.height, m)) return;
    }
    Text t;
    t.string = string;
    t.font = proper_get(font_property);
    t.fonts = system_fonts;
    set_TextSize(&t.size, height);
    // The block's extent as drawn from an anchor at (0, 0).
    Rect block{};
    if (t.font >= FONT_ID_BASE) {
        Font* record = nullptr;
        int id = t.font;
        if (!font_for_text(&system_fonts, &id, &record) || !record) return;
        t.font = id;
        const Point size = measure_text_world(*record, string);
        block = Rect{0, -size.y, size.x, size.y};
    } else if (text_extent_at_origin(string, t.size, t.font, &block) < 0) {
        // Too long for a rectangle: bounded by its strokes.
        layout_Text(&t);
        if (t.layout) bounds_TextLines(t.layout, &block, false);
        free_Strokes(t.layout);
        t.layout = nullptr;
    }
    if (!m) {
        t.pos = Point{clamp32(int64_t{at.x} - block.x - int64_t{block.w} * h / 2),
                      clamp32(int64_t{at.y} - block.y - block.h + int64_t{block.h} * v / 2)};
        text(&t, m, colour, width, false);
        free_Text(&t, true);
        return;
    }
    // A turned or mirrored matrix (a placed part's) would turn the text with
    // it, mirrored or upside down. The text keeps its anchor and the side of
    // it where the block lies, and reads left to right, or bottom to top
    // where the matrix turns its line upright.
    const Matrix& a = *m;
    const double scale = std::sqrt(std::fabs(a.m[0][0] * a.m[1][1] - a.m[0][1] * a.m[1][0]));
    const bool upright = std::fabs(a.m[0][1]) > std::fabs(a.m[0][0]);
    // The block's corners about the anchor, through the matrix's turn, then
    // back through the text's own turn: where the block must lie.
    const double x0 = -double(block.w) * h / 2, x1 = x0 + block.w;
    const double y1 = double(block.h) * v / 2, y0 = y1 - block.h;
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (double cx : {x0, x1})
        for (double cy : {y0, y1}) {
            const double sx = cx * a.m[0][0] + cy * a.m[1][0];
            const double sy = cx * a.m[0][1] + cy * a.m[1][1];
            // The own turn reads bottom to top: (x, y) -> (y, -x); its
            // inverse takes (x, y) -> (-y, x).
            const double own[2] = {upright ? -sy : sx, upright ? sx : sy};
            for (int k = 0; k < 2; ++k) {
                lo[k] = std::min(lo[k], own[k]);
                hi[k] = std::max(hi[k], own[k]);
            }
        }
    const double slack = 0.25 * scale;  // rounding of the corners
    const int hh = lo[0] >= -slack ? 0 : hi[0] <= slack ? 2 : 1;
    const int vv = hi[1] <= slack ? 0 : lo[1] >= -slack ? 2 : 1;
    t.pos = Point{clamp32(-int64_t{block.x} - int64_t{block.w} * hh / 2),
                  clamp32(-int64_t{block.y} - block.h + int64_t{block.h} * vv / 2)};
    Matrix readable;
    readable.m[0][0] = upright ? 0 : scale;
    readable.m[0][1] = upright ? -scale : 0;
    readable.m[1][0] = upright ? scale : 0;
    readable.m[1][1] = upright ? 0 : scale;
    const Point anchor = apply_matrix(m, at);
    readable.m[2][0] = anchor.x;
    readable.m[2][1] = anchor.y;
    text(&t, &readable, colour, width, false);
    free_Text(&t, true);
}

void Painter::pin(PlacedPart* pl, Pin* p, const Matrix* m, bool bodied) {
    make_PinVectors(p);
    const bool power = p->type == PWR;
    vectors(p->drawing, m, power ? rgb(COLOR_POWPIN) : rgb(COLOR_PARTBODY),
            proper_get(WIDTH_PARTBODY));
    bool show_name = !bodied, show_number = true;
    if (p->flags & PIN_DISPLAY) {
        show_name = (p->flags & PIN_SHOW_NAME) != 0;
        show_number = (p->flags & PIN_SHOW_NUMBER) != 0;
    }
    Point outer, inner;
    get_PinLine(p, &outer, &inner);
    const int dx = inner.x > outer.x ? 1 : inner.x < outer.x ? -1 : 0;
    const int dy = inner.y > outer.y ? 1 : inner.y < outer.y ? -1 : 0;
    if (show_name && shown(VISIBLE_PINNAME, PRINT_VIS_PINNAME)) {
        // Inside the body, beside the pin's inner end (past a clock wedge).
        const int32_t gap = PIN_NAME_GAP + (p->flags & CLOCK ? CLOCK_CLEARANCE : 0);
        const Point at{clamp32(int64_t{p->pos.x} + dx * gap),
                       clamp32(int64_t{p->pos.y} + dy * gap)};
        const int h = dx > 0 ? 0 : dx < 0 ? 2 : 1;
        const int v = dy > 0 ? 2 : dy < 0 ? 0 : 1;
        name(p->name.get(), FONT_PINNAME, at, h, v, m, rgb(COLOR_PINNAME),
             proper_get(WIDTH_PINNAME));
    }
    const int device = pl ? pl->device : 0;
    const char* number = pin_number(p, device);
    if (show_number && *number && shown(VISIBLE_PINNUM, PRINT_VIS_PINNUM)) {
        // Above (or beside) the middle of the pin line.
        const Point mid{clamp32((int64_t{outer.x} + inner.x) / 2),
                        clamp32((int64_t{outer.y} + inner.y) / 2)};
        const Point at = dx ? Point{mid.x, clamp32(int64_t{mid.y} - PIN_NUMBER_GAP)}
                            : Point{clamp32(int64_t{mid.x} - PIN_NUMBER_GAP), mid.y};
        name(number, FONT_PINNUM, at, dx ? 1 : 2, dx ? 0 : 1, m, rgb(COLOR_PINNUM),
             proper_get(WIDTH_PINNUM));
    }
}

void Painter::part_drawing(PlacedPart* pl, Part* part, const Matrix* m) {
    Vectors* body = form_body(part, pl);
    vectors(body, m, rgb(COLOR_PARTBODY), proper_get(WIDTH_PARTBODY));
    const bool bodied = has_drawing(body);
    PinList* pins = pl_pins_in_use(doc_ ? doc_->library : nullptr, pl);
    if (pins)
        for (Pin* p : list_items<Pin>(pins->pins)) pin(pl, p, m, bodied);
}

void Painter::measure_part_drawing(PlacedPart* pl, Part* part, const Matrix* m) {
    Rect local{};
    bool any = false;
    if (!part_box_cache().find(part, pl, &local, &any)) {
        DrawAdapter measure(&local, &any);
        Painter(measure, doc_, colour_, STYLE_AS_ITEM).part_drawing(pl, part, nullptr);
        part_box_cache().keep(part, pl, local, any);
    }
    if (!any) return;
    // The part's own box, placed: its corners through the part's matrix.
    const Point far{clamp32(int64_t{local.x} + local.w), clamp32(int64_t{local.y} + local.h)};
    pen(rgb(COLOR_PARTBODY), 0);
    a_.polygon({apply_matrix(m, {local.x, local.y}), apply_matrix(m, {far.x, local.y}),
                apply_matrix(m, far), apply_matrix(m, {local.x, far.y})},
               false);
}

void Painter::placed_part(PlacedPart* pl, const Matrix* outer) {
    Library* library = doc_ ? doc_->library : nullptr;
    Matrix m;
    pl_matrix(pl, &m);
    if (outer) matrix_multiply(&m, outer);
    Part* part = pl_get_part(library, pl);
    if (part && shown(VISIBLE_PART, 0)) {
        // A sheet holds many placings of few parts: a measure keeps each
        // part's own box. Document-font pin texts keep their size whatever
        // the part's scale, and a placing's own pins may show other names,
        // so those are measured placed.
        if (a_.measuring() && !pl_own_pins(pl, part) && proper_get(FONT_PINNAME) < FONT_ID_BASE &&
            proper_get(FONT_PINNUM) < FONT_ID_BASE)
            measure_part_drawing(pl, part, &m);
        else
            part_drawing(pl, part, &m);
    } else if (!part) {
        // A part its library does not hold: a cross at its place.
        pen(rgb(COLOR_ERROR), proper_get(WIDTH_ERROR));
        const Point c = apply_matrix(outer, pl->pos);
        a_.line({c.x - 500, c.y - 500}, {c.x + 500, c.y + 500});
        a_.line({c.x - 500, c.y + 500}, {c.x + 500, c.y - 500});
    }
    if (part) pl_place_unset_attributes(doc_, library, pl);
    for (int i = 0;; ++i) {
        Attribute* attribute = pl_get_attribute(pl, i);
        if (!attribute) break;
        if (!(attribute->flags & VIS)) continue;
        const int slot = std::min(i, 255);
        if (colour_ == ITEM_COLOURS &&
            !proper_get(a_.printing ? PRINT_VIS_FIELDS : VISIBLE_FIELDS, slot))
            continue;
        Text t;
        attr_text_fill(doc_, pl, attribute, i, &t);
        text(&t, outer, rgb(COLOR_PARTFIELD, std::min(i, 2)), 0, false);
        free_Text(&t, true);
    }
    if ((pl->flags & PL_POWERON) && shown(VISIBLE_POWER, PRINT_VIS_POWER))
        for (Power* p : list_items<Power>(pl->powers))
            power(p, outer, rgb(COLOR_POWPIN), rgb(COLOR_POWPIN));
}

void Painter::power(Power* p, const Matrix* m, uint32_t symbol_rgb, uint32_t text_rgb) {
    if (!p->symbol) power_build_symbol(doc_, p);
    vectors(p->symbol, m, symbol_rgb, p->width > 1 ? p->width : 100);
    if ((p->flags & POWER_NAME_HIDDEN) || !shown(VISIBLE_POWERTXT, PRINT_VIS_POWER)) return;
    // The name stands beyond the symbol's far end, horizontal whatever the
    // symbol's rotation.
    const int32_t s = static_cast<int16_t>(proper_get(WIDTH_POWEROBJ));
    Matrix turn;
    matrix_translate(&turn, -p->pos.x, -p->pos.y);
    matrix_rotate(&turn, p->flags & POWER_ROT_MASK);
    matrix_translate(&turn, p->pos.x, p->pos.y);
    const Point tip =
        apply_matrix(&turn, Point{p->pos.x, clamp32(int64_t{p->pos.y} - s - NAME_GAP)});
    int h = 1, v = 0;
    if (tip.x > p->pos.x)
        h = 0, v = 1;
    else if (tip.x < p->pos.x)
        h = 2, v = 1;
    else if (tip.y > p->pos.y)
        v = 2;
    name(p->name.get(), FONT_POWERTXT, tip, h, v, m, text_rgb, proper_get(WIDTH_POWERTXT));
}

void Painter::port(Port* p, const Matrix* m) {
    if (!p->outline) port_build_symbol(doc_, p);
    vectors(p->outline, m, rgb(COLOR_PORT), proper_get(WIDTH_PORT));
    if (!shown(VISIBLE_PORTTXT, 0)) return;
    // The name inside the outline, after the stub and the pointed end.
    Rect extent{};
    const bool right = p->flags & PORT_RIGHT;
    const int32_t d = right ? 1 : -1;
    int32_t point = 0;
    if (measure_in_config_font(doc_, FONT_MODULETXT, p->name.get(), p->pos, &extent))
        point = port_near_end_pointed(p->flags) ? extent.h * 6 / 10 : 0;
    const Point at{clamp32(int64_t{p->pos.x} + d * (int64_t{PORT_STUB} + point + PORT_TEXT_MARGIN)),
                   p->pos.y};
    name(p->name.get(), FONT_MODULETXT, at, right ? 0 : 2, 1, m, rgb(COLOR_PORTTXT),
         proper_get(WIDTH_PORTTXT));
}

void Painter::subsheet(SubSheet* box, const Matrix* outer) {
    if (!box->outline) subsheet_build_box(doc_, box);
    Matrix m;
    matrix_translate(&m, box->pos.x, box->pos.y);
    if (outer) matrix_multiply(&m, outer);
    vectors(box->outline, &m, rgb(COLOR_SHEETBODY), proper_get(WIDTH_SHEETBODY));
    if (shown(VISIBLE_SHEETNAME, PRINT_VIS_SHEETNAME)) {
        name(box->sheet_name.get(), FONT_SHEETNAME, Point{0, -NAME_GAP}, 0, 0, &m,
             rgb(COLOR_SHEETTXT), proper_get(WIDTH_SHEETTXT));
        name(box->file_name.c_str(), FONT_SHEETNAME,
             Point{0, clamp32(int64_t{box->size.y} + NAME_GAP)}, 0, 2, &m, rgb(COLOR_SHEETFILE),
             proper_get(WIDTH_SHEETFILE));
    }
    for (Port* p : list_items<Port>(box->ports)) {
        if (!p->outline) subsheet_port_symbol(doc_, p);
        vectors(p->outline, &m, rgb(COLOR_SHEETNET), proper_get(WIDTH_SHEETNET));
        if (!shown(VISIBLE_SHEETNET, PRINT_VIS_SHEETNET)) continue;
        const bool left = p->pos.x == 0;
        const Point at{clamp32(int64_t{p->pos.x} + (left ? SUBSHEET_NAME_GAP : -SUBSHEET_NAME_GAP)),
                       p->pos.y};
        name(p->name.get(), FONT_SHEETNET, at, left ? 0 : 2, 1, &m, rgb(COLOR_SHEETNET),
             proper_get(WIDTH_SHEETNET));
    }
}

void Painter::erc_mark(ErcMark* mark, const Matrix* m) {
    std::vector<Point> points;
    for (const Point& o : mark->outline)
        points.push_back(apply_matrix(
            m, Point{clamp32(int64_t{mark->pos.x} + o.x), clamp32(int64_t{mark->pos.y} + o.y)}));
    pen(rgb(COLOR_ERROR), proper_get(WIDTH_ERROR));
    a_.strip(points);
}

void Painter::image(Image* img, const Matrix* outer) {
    Matrix m;
    if (img->flags & MX) matrix_mirror(&m, 1);
    if (img->flags & MY) matrix_mirror(&m, 0);
    matrix_rotate(&m, rotation_code(img->flags & IMAGE_ROT_MASK));
    matrix_translate(&m, img->pos.x, img->pos.y);
    if (outer) matrix_multiply(&m, outer);
    const Point corners[4] = {apply_matrix(&m, {0, 0}), apply_matrix(&m, {img->size.x, 0}),
                              apply_matrix(&m, {img->size.x, img->size.y}),
                              apply_matrix(&m, {0, img->size.y})};
    pen(rgb(COLOR_DASHED), proper_get(WIDTH_DASHED));
    a_.image(img, corners);
}

void Painter::ident(Ident* head, const Matrix* m) {
    int guard = 0;
    for (SchItem* wire = head->next; wire && guard < MAX_CHAIN; wire = wire->next, ++guard)
        if (wire->type == LINE_ITEM || wire->type == ARC_ITEM)
            graphic(wire, m, rgb(COLOR_WIRE), proper_get(WIDTH_WIRE), 0);
}

void Painter::link(PseudoPin* pp, const Matrix* m, int depth) {
    if (!pp_is_link(pp) || !pp->whoami) return;
    if (pp->role == PP_LINK_ATTRIBUTE && pp->whoami->type == TEXT_ITEM) {
        text(as_Text(pp->whoami), m, rgb(COLOR_PARTFIELD, std::min(pp->index, 2)), 0);
    } else if (pp->role == PP_LINK_SUBSHEET_PORT && pp->father &&
               pp->father->type == SUBSHEET_ITEM && pp->whoami->type == PORT_ITEM) {
        Matrix at;
        matrix_translate(&at, pp->father->pos.x, pp->father->pos.y);
        if (m) matrix_multiply(&at, m);
        Port* p = as_Port(pp->whoami);
        if (!p->outline) subsheet_port_symbol(doc_, p);
        vectors(p->outline, &at, rgb(COLOR_SHEETNET), proper_get(WIDTH_SHEETNET));
    } else {
        item(pp->whoami, m, depth + 1);
    }
}

void Painter::item(SchItem* it, const Matrix* m, int depth) {
    if (!it || depth > MAX_DEPTH) return;
    if (auto draw = draw_row(it->type).item) draw(*this, it, m, depth);
}

void Painter::grid(const Rect& visible, const Rect& area) {
    int64_t step = proper_get(GRID_SIZE);
    if (step < 1) return;
    // Coarse, medium and fine grids show every fourth, second or every step.
    const int thick = proper_get(GRID_THICK);
    step *= thick <= 0 ? 4 : thick == 1 ? 2 : 1;
    // Widen the step until grid marks stand at least 8 pixels apart.
    while (step * a_.scale_x() < 8 && step < INT32_MAX / 2) step *= 2;
    pen(rgb(COLOR_GRID), 1);
    // The marks of the visible rectangle (from its first multiple of the
    // step, rounded toward zero) that lie in the area.
    const int64_t x0 = (int64_t{visible.x} / step) * step, y0 = (int64_t{visible.y} / step) * step;
    const int64_t x1 = int64_t{visible.x} + visible.w, y1 = int64_t{visible.y} + visible.h;
    auto first_from = [step](int64_t start, int64_t from) {
        return from <= start ? start : start + (from - start + step - 1) / step * step;
    };
    const int64_t ax0 = first_from(x0, area.x), ay0 = first_from(y0, area.y);
    const int64_t ax1 = std::min(x1, int64_t{area.x} + area.w);
    const int64_t ay1 = std::min(y1, int64_t{area.y} + area.h);
    if (proper_get(GRID_STYLE) == 0) {  // lines, each across the whole visible rectangle
        for (int64_t x = ax0; x <= ax1; x += step)
            a_.line({clamp32(x), clamp32(y0)}, {clamp32(x), clamp32(y1)});
        for (int64_t y = ay0; y <= ay1; y += step)
            a_.line({clamp32(x0), clamp32(y)}, {clamp32(x1), clamp32(y)});
        return;
    }
    std::vector<Point> dots;
    for (int64_t y = ay0; y <= ay1; y += step)
        for (int64_t x = ax0; x <= ax1; x += step) dots.push_back({clamp32(x), clamp32(y)});
    a_.dots(dots);
}

void Painter::title_block(const Matrix* m) {
    if (!doc_) return;
    item(&doc_->titleblock, m, 0);
}

void Painter::schema(const Rect* visible, const Rect* area, const std::vector<SchItem*>* items) {
    if (!doc_) return;
    if (visible && shown(SHOW_GRID, PRINT_VIS_GRID)) grid(*visible, area ? *area : *visible);
    if (shown(VISIBLE_BORDER, PRINT_VIS_BORDER)) {
        if (!doc_->border) schema_build_outline(doc_);
        vectors(doc_->border, nullptr, rgb(COLOR_FILM), proper_get(WIDTH_TITLE));
        vectors(doc_->border2, nullptr, rgb(COLOR_FILM), proper_get(WIDTH_TITLE));
        for (Stroke* layout : doc_->border_text) {
            int guard = 0;
            for (Stroke* s = layout; s && guard < MAX_CHAIN; s = s->next, ++guard) {
                pen(rgb(COLOR_BORDER), s->width);
                a_.strip(s->points);
            }
        }
    }
    title_block(nullptr);
    for (SchItem* mark : list_items<SchItem>(doc_->erc_list)) item(mark, nullptr, 0);
    if (items) {
        for (SchItem* it : *items) item(it, nullptr, 0);
        return;
    }
    for (SchItem* p : list_items<SchItem>(doc_->ports)) item(p, nullptr, 0);
    if (doc_->sheet)
        for (SchItem* it : list_items<SchItem>(doc_->sheet->items)) item(it, nullptr, 0);
}

// --- the drawing rows ------------------------------------------------------------------------------

bool dashed(const SchItem* item) { return (item->flags & DASHED_MASK) != 0; }

void add_point(std::vector<Point>* out, const Matrix* m, Point p) {
    p = apply_matrix(m, p);
    if (out->empty() || !(out->back() == p)) out->push_back(p);
}

// Fills: the outline of the primitives they hold, filled.
void shape_fill(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width,
                int depth) {
    std::vector<Point> outline;
    p.fill_outline(as_Fill(item)->items, m, &outline, depth + 1);
    p.pen(rgb, width);
    p.a_.polygon(outline, true);
}
void outline_fill(Painter& p, SchItem* item, const Matrix* m, std::vector<Point>* out, int depth) {
    p.fill_outline(as_Fill(item)->items, m, out, depth + 1);
}

void shape_circle(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width, int) {
    Circle* c = as_Circle(item);
    p.pen(rgb, width, dashed(item));
    p.a_.circle(apply_matrix(m, c->pos), apply_matrix(m, c->on), (item->flags & FILLED) != 0);
}
void outline_circle(Painter&, SchItem* item, const Matrix* m, std::vector<Point>* out, int) {
    Circle* c = as_Circle(item);
    for (Point q : arc_points(c->pos, c->on, c->on, true, 0.01)) add_point(out, m, q);
}

void shape_box(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width, int) {
    Boite* b = as_Rect(item);
    p.pen(rgb, width, dashed(item));
    p.a_.polygon({apply_matrix(m, b->pos), apply_matrix(m, {b->corner.x, b->pos.y}),
                  apply_matrix(m, b->corner), apply_matrix(m, {b->pos.x, b->corner.y})},
                 false);
}
void outline_box(Painter&, SchItem* item, const Matrix* m, std::vector<Point>* out, int) {
    Boite* b = as_Rect(item);
    for (Point q : {b->pos, Point{b->corner.x, b->pos.y}, b->corner, Point{b->pos.x, b->corner.y}})
        add_point(out, m, q);
}

void shape_line(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width, int) {
    p.pen(rgb, width, dashed(item));
    p.a_.line(apply_matrix(m, item->pos), apply_matrix(m, as_Line(item)->end));
}
void outline_line(Painter&, SchItem* item, const Matrix* m, std::vector<Point>* out, int) {
    add_point(out, m, item->pos);
    add_point(out, m, as_Line(item)->end);
}

void shape_arc(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width, int) {
    Arc* arc = as_Arc(item);
    // A mirroring matrix turns the arc the other way round.
    const bool mirrored = m && matrix_is_mirrored(m);
    p.pen(rgb, width, dashed(item));
    p.a_.arc(apply_matrix(m, arc->pos), apply_matrix(m, arc->start), apply_matrix(m, arc->end),
             (arc->dir != 0) != mirrored);
}
void outline_arc(Painter&, SchItem* item, const Matrix* m, std::vector<Point>* out, int) {
    Arc* arc = as_Arc(item);
    for (Point q : arc_points(arc->pos, arc->start, arc->end, arc->dir != 0, 0.01))
        add_point(out, m, q);
}

void shape_text(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t, int) {
    p.text(as_Text(item), m, rgb, 0);
}

void shape_junction(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t, int) {
    const Point c = apply_matrix(m, item->pos);
    const int32_t r = std::max<int32_t>(item->width / 2, 1);
    p.pen(rgb, 1);
    switch (item->flags & JUNCTION_SHAPE_MASK) {
        case DIAMOND:
            p.a_.polygon({{c.x, c.y - r}, {c.x + r, c.y}, {c.x, c.y + r}, {c.x - r, c.y}}, true);
            break;
        case RECTANGLE:
            p.a_.polygon(
                {{c.x - r, c.y - r}, {c.x + r, c.y - r}, {c.x + r, c.y + r}, {c.x - r, c.y + r}},
                true);
            break;
        default: p.a_.circle(c, {c.x + r, c.y}, true); break;
    }
}

void shape_poly(Painter& p, SchItem* item, const Matrix* m, uint32_t rgb, int32_t width, int) {
    std::vector<Point> points;
    for (Point q : as_Poly(item)->points) points.push_back(apply_matrix(m, q));
    p.pen(rgb, width, dashed(item));
    p.a_.strip(points);
}
void outline_poly(Painter&, SchItem* item, const Matrix* m, std::vector<Point>* out, int) {
    for (Point q : as_Poly(item)->points) add_point(out, m, q);
}

// Primitives standing on a sheet: wires, buses and drawing objects, each
// in the colour and width of what it is.
void sheet_drawing(Painter& p, SchItem* item, const Matrix* m, int depth) {
    const int style = item->flags & STYLE_MASK;
    if (style == BUS) {
        if (p.shown(VISIBLE_BUSE, 0))
            p.graphic(item, m, p.rgb(COLOR_BUS), proper_get(WIDTH_BUS), depth);
    } else if (style == DRAW || item->type != LINE_ITEM) {
        if (p.shown(VISIBLE_DRAW, PRINT_VIS_COMMAND))
            p.graphic(item, m, p.rgb(COLOR_DASHED), proper_get(WIDTH_DASHED), depth);
    } else if (p.shown(VISIBLE_WIRE, 0)) {
        p.graphic(item, m, p.rgb(COLOR_WIRE), proper_get(WIDTH_WIRE), depth);
    }
}

void sheet_text(Painter& p, SchItem* item, const Matrix* m, int) {
    Text* t = as_Text(item);
    const TextKind kind = text_kind(t);
    if (p.shown(kind.visible, kind.print_visible))
        p.text(t, m, p.rgb(kind.colour), proper_get(kind.width));
}

void sheet_junction(Painter& p, SchItem* item, const Matrix* m, int depth) {
    if (p.shown(VISIBLE_JUNC, 0)) p.graphic(item, m, p.rgb(COLOR_JUNCTION), 1, depth);
}

void draw_placed_part(Painter& p, SchItem* item, const Matrix* m, int) {
    p.placed_part(as_PlacedPart(item), m);
}

void draw_sheet(Painter& p, SchItem* item, const Matrix* m, int depth) {
    for (SchItem* child : list_items<SchItem>(as_Sheet(item)->items)) p.item(child, m, depth + 1);
}

void draw_power(Painter& p, SchItem* item, const Matrix* m, int) {
    if (p.shown(VISIBLE_POWER, PRINT_VIS_POWER))
        p.power(as_Power(item), m, p.rgb(COLOR_POWEROBJ), p.rgb(COLOR_POWERTXT));
}

void draw_nocon(Painter& p, SchItem* item, const Matrix* m, int) {
    if (!p.shown(VISIBLE_NOCON, 0)) return;
    const int32_t s = static_cast<int16_t>(proper_get(WIDTH_NOCONNECT));
    const Point c = item->pos;
    p.pen(p.rgb(COLOR_NOCONNECT), item->width > 1 ? item->width : 100);
    p.a_.line(apply_matrix(m, {c.x - s, c.y - s}), apply_matrix(m, {c.x + s, c.y + s}));
    p.a_.line(apply_matrix(m, {c.x - s, c.y + s}), apply_matrix(m, {c.x + s, c.y - s}));
}

void draw_port(Painter& p, SchItem* item, const Matrix* m, int) {
    if (p.shown(VISIBLE_PORT, 0)) p.port(as_Port(item), m);
}

void draw_subsheet(Painter& p, SchItem* item, const Matrix* m, int) {
    if (p.shown(VISIBLE_SHEET, 0)) p.subsheet(as_SubSheet(item), m);
}

void draw_erc_mark(Painter& p, SchItem* item, const Matrix* m, int) {
    p.erc_mark(as_ErcMark(item), m);
}

// A document is drawn whole by draw_schema, never as an item of a list.
void draw_document(Painter&, SchItem*, const Matrix*, int) {}

void draw_ident(Painter& p, SchItem* item, const Matrix* m, int) { p.ident(as_Ident(item), m); }

void draw_link(Painter& p, SchItem* item, const Matrix* m, int depth) {
    p.link(as_PseudoPin(item), m, depth);
}

void draw_title_block(Painter& p, SchItem* item, const Matrix* m, int depth) {
    TitleBlock* block = as_TitleBlock(item);
    if (!p.shown(VISIBLE_TMPL, PRINT_VIS_TMPL)) return;
    for (SchItem* child : list_items<SchItem>(block->drawing)) {
        if (child->type == TEXT_ITEM)
            p.text(as_Text(child), m, p.rgb(COLOR_TITLETXT), proper_get(WIDTH_TITLETXT));
        else if (is_primitive_code(child->type))
            p.graphic(child, m, p.rgb(COLOR_TITLE), proper_get(WIDTH_TITLE), depth + 1);
        else
            p.item(child, m, depth + 1);
    }
    for (SchItem* child : list_items<SchItem>(block->fields))
        if (child->type == TEXT_ITEM)
            p.text(as_Text(child), m, p.rgb(COLOR_TITLETXT), proper_get(WIDTH_TITLETXT));
}

void draw_netprop(Painter& p, SchItem* item, const Matrix* m, int) {
    NetProp* label = as_NetProp(item);
    if (!label->symbol) netprop_build_symbol(p.doc_, label);
    p.vectors(label->symbol, m, p.rgb(COLOR_LAYOUT), proper_get(WIDTH_LAYOUT));
}

void draw_image(Painter& p, SchItem* item, const Matrix* m, int) { p.image(as_Image(item), m); }

constexpr ItemTable<DrawRow> build_draw_table() {
    ItemTable<DrawRow> table{};
    table[FILL_ITEM] = {sheet_drawing, shape_fill, outline_fill};
    table[CIRCLE_ITEM] = {sheet_drawing, shape_circle, outline_circle};
    table[BOITE_ITEM] = {sheet_drawing, shape_box, outline_box};
    table[LINE_ITEM] = {sheet_drawing, shape_line, outline_line};
    table[ARC_ITEM] = {sheet_drawing, shape_arc, outline_arc};
    table[TEXT_ITEM] = {sheet_text, shape_text};
    table[JUNCTION_ITEM] = {sheet_junction, shape_junction};
    table[POLY_ITEM] = {sheet_drawing, shape_poly, outline_poly};
    table[PARTLIB_ITEM].item = draw_placed_part;
    table[SHEET_ITEM].item = draw_sheet;
    table[POWER_ITEM].item = draw_power;
    table[NOCON_ITEM].item = draw_nocon;
    table[PORT_ITEM].item = draw_port;
    table[SUBSHEET_ITEM].item = draw_subsheet;
    table[ERC_ITEM].item = draw_erc_mark;
    table[SCHEMA_ITEM].item = draw_document;
    table[IDENT_ITEM].item = draw_ident;
    table[PSEUDO_PIN].item = draw_link;
    table[TITLEBLOCK_ITEM].item = draw_title_block;
    table[NETPROP_ITEM].item = draw_netprop;
    table[IMAGE_ITEM].item = draw_image;
    return table;
}

constinit const ItemTable<DrawRow> DRAW_OPS = build_draw_table();

const DrawRow& draw_row(int code) { return item_row(DRAW_OPS, code); }

}  // namespace

bool item_has_drawing(int code) { return draw_row(code).item != nullptr; }

void draw_item(DrawAdapter* adapter, Schema* schema, SchItem* item, const Matrix* matrix,
               int64_t colour, int style) {
    Painter(*adapter, schema, colour, style).item(item, matrix, 0);
}

bool drawing_extent(Schema* schema, Rect* out) {
    if (!schema || !bounds_Schema(schema, out)) return false;
    // A power symbol's bounds are its symbol's square: the name it shows
    // beyond it is measured as drawn.
    if (!schema->sheet) return true;
    std::vector<Prim> prims;
    DrawAdapter recorder(&prims);
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != POWER_ITEM || (item->flags & POWER_NAME_HIDDEN)) continue;
        prims.clear();
        draw_item(&recorder, schema, item, nullptr, ITEM_COLOURS, STYLE_AS_ITEM);
        for (const Prim& prim : prims) rect_union(out, prim_extent(prim));
    }
    return true;
}

void draw_schema(DrawAdapter* adapter, Schema* schema, const Rect* visible) {
    Painter(*adapter, schema, ITEM_COLOURS, STYLE_AS_ITEM).schema(visible);
}

void draw_schema_area(DrawAdapter* adapter, Schema* schema, const Rect& visible, const Rect& area,
                      const std::vector<SchItem*>& items) {
    Painter(*adapter, schema, ITEM_COLOURS, STYLE_AS_ITEM).schema(&visible, &area, &items);
}

bool item_draw_bounds(Schema* schema, SchItem* item, Rect* out) {
    if (!item) {
        part_box_cache().clear();
        forget_text_strokes();
        return false;
    }
    bool any = false;
    Rect box{};
    DrawAdapter measure(&box, &any);
    // In an explicit colour everything of the item counts, whatever the
    // visibility settings: the selection is drawn that way.
    Painter(measure, schema, SELECTION_COLOUR, STYLE_AS_ITEM).item(item, nullptr, 0);
    if (any) *out = box;
    return any;
}

void draw_item_on_canvas(RenderCanvas* canvas, DrawAdapter* adapter, SchItem* item, int mode,
                         const Matrix* matrix, int64_t colour, int style) {
    if (adapter) {
        const int saved = adapter->mode();
        adapter->set_mode(mode);
        draw_item(adapter, canvas ? canvas->GetDocument() : nullptr, item, matrix, colour, style);
        adapter->set_mode(saved);
        return;
    }
    if (!canvas) return;
    Schema* doc = canvas->GetDocument();
    if (mode == DRAW_XOR) {
        std::vector<Prim> ghost;
        DrawAdapter recorder(&ghost);
        draw_item(&recorder, doc, item, matrix, colour, style);
        canvas->ToggleGhost(std::move(ghost));
        return;
    }
    canvas->PaintOnBacking([&](DrawAdapter& a) {
        a.set_mode(mode);
        draw_item(&a, doc, item, matrix, colour, style);
    });
}

void draw_vectors_on_canvas(RenderCanvas* canvas, DrawAdapter* adapter, Vectors* set,
                            const Matrix* matrix, int mode, int64_t colour) {
    if (!set) return;
    Schema* doc = canvas ? canvas->GetDocument() : nullptr;
    auto paint = [&](DrawAdapter& a) {
        Painter painter(a, doc, colour, STYLE_AS_ITEM);
        const uint32_t rgb =
            colour == ITEM_COLOURS ? uint32_t(proper_get(COLOR_PARTBODY)) : uint32_t(colour);
        painter.vectors(set, matrix, rgb, proper_get(WIDTH_PARTBODY));
    };
    if (adapter) {
        const int saved = adapter->mode();
        adapter->set_mode(mode);
        paint(*adapter);
        adapter->set_mode(saved);
    } else if (canvas && mode == DRAW_XOR) {
        std::vector<Prim> ghost;
        DrawAdapter recorder(&ghost);
        paint(recorder);
        canvas->ToggleGhost(std::move(ghost));
    } else if (canvas) {
        canvas->PaintOnBacking([&](DrawAdapter& a) {
            a.set_mode(mode);
            paint(a);
        });
    }
}

void draw_part_pin(DrawAdapter* adapter, Schema* schema, PlacedPart* placed, Pin* pin,
                   int64_t colour) {
    Matrix m;
    pl_matrix(placed, &m);
    Part* part = pl_get_part(schema ? schema->library : nullptr, placed);
    const bool bodied = part && has_drawing(form_body(part, placed));
    Painter(*adapter, schema, colour, STYLE_AS_ITEM).pin(placed, pin, &m, bodied);
}

void draw_title_block_at(RenderCanvas* canvas, DrawAdapter* adapter, Schema* schema) {
    if (!schema) return;
    if (adapter) {
        Painter(*adapter, schema, ITEM_COLOURS, STYLE_AS_ITEM).title_block(nullptr);
        return;
    }
    if (canvas)
        canvas->PaintOnBacking([&](DrawAdapter& a) {
            Painter(a, schema, ITEM_COLOURS, STYLE_AS_ITEM).title_block(nullptr);
        });
}

void erase_title_block(RenderCanvas* canvas, DrawAdapter* adapter, Schema* schema) {
    if (!schema) return;
    titleblock_bounds(schema);
    const Rect r = schema->titleblock.bounds;
    if (r.w <= 0 && r.h <= 0) return;
    // A margin for the pen widths of the frame.
    const int32_t pad = std::max<int32_t>(proper_get(WIDTH_TITLE), 100);
    const Point a{clamp32(int64_t{r.x} - pad), clamp32(int64_t{r.y} - pad)};
    const Point b{clamp32(int64_t{r.x} + r.w + pad), clamp32(int64_t{r.y} + r.h + pad)};
    const uint32_t background = uint32_t(proper_get(COLOR_BACKG));
    if (adapter) {
        adapter->fill_rect(a, b, background);
        return;
    }
    if (canvas) canvas->PaintOnBacking([&](DrawAdapter& ad) { ad.fill_rect(a, b, background); });
}

bool text_corners(Schema* schema, Text* t, Point corners[4]) {
    if (t->string.empty()) return false;
    if (t->font >= FONT_ID_BASE) {
        List** table = t->fonts == system_fonts ? &system_fonts
                       : schema                 ? &schema->fonts
                                                : &t->fonts;
        int id = t->font;
        Font* record = nullptr;
        if (!font_for_text(table, &id, &record) || !record) return false;
        const Point size = measure_text_world(*record, t->string.c_str());
        Matrix m;
        turn_font_text(t, record, &m);
        matrix_translate(&m, t->pos.x, t->pos.y);
        corners[0] = apply_matrix(&m, {0, 0});
        corners[1] = apply_matrix(&m, {size.x, 0});
        corners[2] = apply_matrix(&m, {size.x, -size.y});
        corners[3] = apply_matrix(&m, {0, -size.y});
        return true;
    }
    if (!t->layout) layout_Text(t);
    Rect r{};
    if (!t->layout || !bounds_TextLines(t->layout, &r, false)) return false;
    corners[0] = {r.x, r.y};
    corners[1] = {clamp32(int64_t{r.x} + r.w), r.y};
    corners[2] = {clamp32(int64_t{r.x} + r.w), clamp32(int64_t{r.y} + r.h)};
    corners[3] = {r.x, clamp32(int64_t{r.y} + r.h)};
    return true;
}

void draw_text_frame(DrawAdapter* adapter, Schema* schema, Text* text, const Matrix* matrix,
                     uint32_t colour) {
    Point c[4];
    if (!text_corners(schema, text, c)) return;
    adapter->set_pen(colour, 1);
    adapter->polygon({apply_matrix(matrix, c[0]), apply_matrix(matrix, c[1]),
                      apply_matrix(matrix, c[2]), apply_matrix(matrix, c[3])},
                     false);
}
