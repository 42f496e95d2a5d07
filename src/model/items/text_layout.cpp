// Stroke-font layout: strings into chains of Stroke polylines, the stroke
// chain operations, and the size rules of texts.
//
// A layout is built in cell units: character i of a line has its cell
// origin at (i x advance, 12 x line), y growing downward. The text matrix
// then takes cell units to world units: it puts the bottom-left corner of
// the last line's cells on the origin, mirrors, scales by the character
// size, rotates and moves to the anchor.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/items/primitive_kit.h"
#include "model/items/text.h"

namespace {

constexpr char LINE_BREAK = '@';
constexpr char BAR_MARK = '\\';

// Cell coordinates of very long texts, or of an absurd SPACING_RATIO in the
// configuration, are kept in the 32-bit range instead of wrapping round.
int32_t sat32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int16_t clamp16(double v) {
    if (std::isnan(v)) return 0;
    v = std::trunc(v);
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

// The character advance in cell units.
// (The ratio comes from the configuration file: conversions are clamped.)
int advance() { return items_kit::trunc32(fproper_get(SPACING_RATIO) * 8.0); }

// Puts a stroke of the given points at the front of the chain.
void push_stroke(std::vector<Point>&& points, int pen_width, Stroke** chain) {
    Stroke* stroke = new Stroke;
    stroke->width = static_cast<int16_t>(pen_width);
    stroke->points = std::move(points);
    stroke->next = *chain;
    *chain = stroke;
}

// Rotation codes 0..3 are exact quarter turns; 4..7 are 45, 135, 225 and
// 315 degrees, given to matrix_rotate in tenths of a degree offset by 3.
int rotation_code(int code) { return code < 4 ? code : (code - 4) * 900 + 450 + 3; }

}  // namespace

// --- stroke chains ---------------------------------------------------------------------

Stroke* new_Stroke(int count) {
    if (count < 2) return nullptr;
    Stroke* stroke = new Stroke;
    stroke->points.resize(static_cast<size_t>(count));
    return stroke;
}

void free_Strokes(Stroke* chain) {
    while (chain) {
        Stroke* next = chain->next;
        delete chain;
        chain = next;
    }
}

void append_Strokes(Stroke** held, Stroke* chain) {
    if (!chain) return;
    Stroke* tail = chain;
    while (tail->next) tail = tail->next;
    tail->next = *held;
    *held = chain;
}

void matrix_Strokes(Stroke* chain, const Matrix* matrix) {
    Matrix m;
    matrix_copy(&m, matrix);  // a null matrix is the current one
    // The lengths are truncated; the slack keeps a rotated exact length
    // (16 at 45 degrees) from truncating to one less by rounding.
    constexpr double slack = 1e-6;
    int16_t xsize = clamp16(std::hypot(8 * m.m[0][0], 8 * m.m[0][1]) + slack);
    int16_t ysize = clamp16(std::hypot(12 * m.m[1][0], 12 * m.m[1][1]) + slack);
    for (Stroke* s = chain; s; s = s->next) {
        for (Point& p : s->points) matrix_apply(&m, p, &p);
        s->xsize = xsize;
        s->ysize = ysize;
    }
}

namespace {

// The strokes' rectangles united one by one: the rule, kept for chains whose
// spans do not fit a rectangle's width.
bool bounds_stroke_by_stroke(const Stroke* chain, Rect* rect, bool accumulate) {
    bool set = false;
    for (const Stroke* s = chain; s; s = s->next) {
        if (s->points.empty()) continue;
        int64_t x0 = std::numeric_limits<int32_t>::max(), y0 = x0;
        int64_t x1 = std::numeric_limits<int32_t>::min(), y1 = x1;
        for (const Point& p : s->points) {
            x0 = std::min<int64_t>(x0, p.x);
            y0 = std::min<int64_t>(y0, p.y);
            x1 = std::max<int64_t>(x1, p.x);
            y1 = std::max<int64_t>(y1, p.y);
        }
        Rect r{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
               static_cast<int32_t>(y1 - y0)};
        if (!set && !accumulate)
            *rect = r;
        else
            rect_union(rect, r);
        set = true;
    }
    return set || accumulate;
}

}  // namespace

bool bounds_TextLines(const Stroke* chain, Rect* rect, bool accumulate) {
    // One pass over the points and one rectangle: the same as uniting the
    // strokes' rectangles whenever the whole span fits a width (every text
    // on a sheet), and much cheaper for the thousands of texts a save meets.
    int64_t x0 = std::numeric_limits<int32_t>::max(), y0 = x0;
    int64_t x1 = std::numeric_limits<int32_t>::min(), y1 = x1;
    bool set = false;
    for (const Stroke* s = chain; s; s = s->next) {
        for (const Point& p : s->points) {
            x0 = std::min<int64_t>(x0, p.x);
            y0 = std::min<int64_t>(y0, p.y);
            x1 = std::max<int64_t>(x1, p.x);
            y1 = std::max<int64_t>(y1, p.y);
            set = true;
        }
    }
    if (!set) return accumulate;
    if (x1 - x0 > std::numeric_limits<int32_t>::max() ||
        y1 - y0 > std::numeric_limits<int32_t>::max())
        return bounds_stroke_by_stroke(chain, rect, accumulate);
    Rect r{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
           static_cast<int32_t>(y1 - y0)};
    if (accumulate)
        rect_union(rect, r);
    else
        *rect = r;
    return true;
}

// --- glyphs and layout -------------------------------------------------------------------

namespace {

// Walks the pen of character c (characters outside 33..127 go as ' ') from
// its cell origin: draw(from, to) for each drawn segment, lift() where the
// pen moves without drawing.
template <class Draw, class Lift>
void glyph_path(int c, int x0, int y0, bool symbol_table, Draw&& draw, Lift&& lift) {
    if (c < 33 || c > 127) c = ' ';
    const auto& glyph = (symbol_table ? stroke_font_symbol : stroke_font_plain)[c - 32];
    Point pen{x0, y0};
    for (const auto& entry : glyph) {
        if (entry[0] == GLYPH_END) break;
        Point next{sat32(int64_t{pen.x} + entry[2]), sat32(int64_t{pen.y} + entry[1])};
        if (entry[0] == STROKE_DRAW)
            draw(pen, next);
        else
            lift();
        pen = next;
    }
}

// The extent of the ends of a glyph's drawn segments, from its cell
// origin; `drawn` false for a glyph that draws nothing.
struct GlyphBox {
    bool drawn = false;
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Every glyph's box, taken once per table from its pen path.
const GlyphBox& glyph_box(int c, bool symbol_table) {
    static const auto boxes = [] {
        std::array<std::array<GlyphBox, GLYPH_COUNT>, 2> all{};
        for (int table = 0; table < 2; ++table) {
            for (int code = 32; code < 32 + GLYPH_COUNT; ++code) {
                GlyphBox& box = all[table][code - 32];
                auto take = [&box](Point p) {
                    if (!box.drawn) {
                        box = GlyphBox{true, p.x, p.y, p.x, p.y};
                        return;
                    }
                    box.x0 = std::min(box.x0, p.x);
                    box.y0 = std::min(box.y0, p.y);
                    box.x1 = std::max(box.x1, p.x);
                    box.y1 = std::max(box.y1, p.y);
                };
                glyph_path(
                    code, 0, 0, table == 1,
                    [&](Point from, Point to) {
                        take(from);
                        take(to);
                    },
                    [] {});
            }
        }
        return all;
    }();
    if (c < 33 || c > 127) c = ' ';
    return boxes[symbol_table ? 1 : 0][c - 32];
}

std::array<Point, 2> bar_points(int x0, int y0) {
    const int32_t top = sat32(int64_t{y0} - 6);
    return {Point{sat32(int64_t{x0} + 4), top}, Point{sat32(int64_t{x0} - 4), top}};
}

std::array<Point, 5> box_points(int w, int h) {
    const int32_t right = sat32(int64_t{w} - 4), bottom = sat32(int64_t{h} - 6);
    return {Point{-4, -6}, Point{right, -6}, Point{right, bottom}, Point{-4, bottom},
            Point{-4, -6}};
}

// Walks the characters of a layout: glyph(c, x, y, bar) with each drawn
// character's cell origin; answers the widest line and the last line's y.
template <class Glyph>
std::pair<int64_t, int64_t> layout_cells(const char* s, int adv, Glyph&& glyph) {
    int64_t x = 0, y = 0, widest = 0;
    if (s[0] == BAR_MARK && s[1] != BAR_MARK) ++s;
    while (*s) {
        if (*s == LINE_BREAK) {
            widest = std::max(widest, x);
            x = 0;
            y += CELL_HEIGHT;
            ++s;
            continue;
        }
        int c = static_cast<unsigned char>(*s);
        bool bar = false;
        if (c == BAR_MARK) {
            // Two backslashes draw one; any other backslash here marks no
            // character (after '@', or the third of three) and is skipped.
            if (s[1] != BAR_MARK) {
                ++s;
                continue;
            }
            s += 2;
        } else {
            bar = s[1] == BAR_MARK && s[2] != BAR_MARK;
            s += bar ? 2 : 1;
        }
        glyph(c, sat32(x), sat32(y), bar);
        x += adv;
    }
    return {std::max(widest, x), y};
}

// The transform of a layout from cell units to world units.
Matrix layout_matrix(const char* string, Point anchor, TextSize size, uint8_t flags, int adv) {
    Matrix m;
    matrix_translate(&m, adv / 2, -(CELL_HEIGHT * text_line_count(string) - 6));
    if (flags & MX) matrix_scale(&m, 1, -1);
    if (flags & MY) matrix_scale(&m, -1, 1);
    matrix_scale(&m, size.width / 8.0, size.height / 12.0);
    matrix_rotate(&m, rotation_code(flags & TEXT_ROT_MASK));
    matrix_translate(&m, anchor.x, anchor.y);
    return m;
}

}  // namespace

void glyph_Strokes(int c, int x0, int y0, int pen_width, bool symbol_table, bool bar,
                   Stroke** chain) {
    std::vector<Point> run;  // the points of the draw entries in a row
    glyph_path(
        c, x0, y0, symbol_table,
        [&](Point from, Point to) {
            if (run.empty()) run.push_back(from);
            run.push_back(to);
        },
        [&] {
            if (run.empty()) return;
            push_stroke(std::move(run), pen_width, chain);
            run.clear();
        });
    if (!run.empty()) push_stroke(std::move(run), pen_width, chain);
    if (bar) {
        auto points = bar_points(x0, y0);
        push_stroke({points.begin(), points.end()}, pen_width, chain);
    }
}

void box_Strokes(int w, int h, int pen_width, Stroke** chain) {
    auto points = box_points(w, h);
    push_stroke({points.begin(), points.end()}, pen_width, chain);
}

Stroke* text_layout(const char* string, Point anchor, TextSize size, uint8_t flags, int font,
                    int pen_width, Matrix* matrix, bool transform) {
    if (!string || !*string) return nullptr;
    const int adv = advance();
    Stroke* chain = nullptr;
    auto [widest, y] = layout_cells(string, adv, [&](int c, int x0, int y0, bool bar) {
        glyph_Strokes(c, x0, y0, pen_width, font != 0, bar, &chain);
    });
    if (flags & BOXED) box_Strokes(sat32(widest), sat32(y + CELL_HEIGHT), pen_width, &chain);
    Matrix m = layout_matrix(string, anchor, size, flags, adv);
    if (matrix) *matrix = m;
    if (transform) matrix_Strokes(chain, &m);
    return chain;
}

Matrix text_layout_matrix(const char* string, Point anchor, TextSize size, uint8_t flags) {
    return layout_matrix(string, anchor, size, flags, advance());
}

int text_layout_advance() { return advance(); }

int text_layout_extent(const char* string, Point anchor, TextSize size, uint8_t flags, int font,
                       Rect* rect) {
    if (!string || !*string) return 0;
    const int adv = advance();
    // The same points as the transformed layout's, without building it:
    // saving a sheet bounds every text, and most have never been drawn.
    Matrix m = layout_matrix(string, anchor, size, flags, adv);
    // Where each world coordinate follows one cell coordinate (no rotation
    // off the quarter turns), the world extremes are those of the cell
    // extremes' corners, rounding being monotonic: the points need no
    // transform each.
    const bool straight = (m.m[0][0] == 0 || m.m[1][0] == 0) && (m.m[0][1] == 0 || m.m[1][1] == 0);
    int64_t x0 = std::numeric_limits<int32_t>::max(), y0 = x0;
    int64_t x1 = std::numeric_limits<int32_t>::min(), y1 = x1;
    bool set = false;
    auto extend = [&](Point p) {
        x0 = std::min<int64_t>(x0, p.x);
        y0 = std::min<int64_t>(y0, p.y);
        x1 = std::max<int64_t>(x1, p.x);
        y1 = std::max<int64_t>(y1, p.y);
        set = true;
    };
    auto take = [&](Point p) {
        if (!straight) matrix_apply(&m, p, &p);
        extend(p);
    };
    // Far from the ends of the coordinate range no pen position saturates,
    // and a glyph's extremes are its box moved to the cell origin.
    constexpr int32_t NEAR = 1 << 30;
    auto [widest, y] = layout_cells(string, adv, [&](int c, int cx, int cy, bool bar) {
        if (straight && cx > -NEAR && cx < NEAR && cy > -NEAR && cy < NEAR) {
            const GlyphBox& box = glyph_box(c, font != 0);
            if (box.drawn) {
                extend(Point{cx + box.x0, cy + box.y0});
                extend(Point{cx + box.x1, cy + box.y1});
            }
        } else {
            glyph_path(
                c, cx, cy, font != 0,
                [&](Point from, Point to) {
                    take(from);
                    take(to);
                },
                [] {});
        }
        if (bar)
            for (Point p : bar_points(cx, cy)) take(p);
    });
    if (flags & BOXED)
        for (Point p : box_points(sat32(widest), sat32(y + CELL_HEIGHT))) take(p);
    if (straight && set) {
        const Point corners[] = {{static_cast<int32_t>(x0), static_cast<int32_t>(y0)},
                                 {static_cast<int32_t>(x1), static_cast<int32_t>(y0)},
                                 {static_cast<int32_t>(x0), static_cast<int32_t>(y1)},
                                 {static_cast<int32_t>(x1), static_cast<int32_t>(y1)}};
        x0 = y0 = std::numeric_limits<int32_t>::max();
        x1 = y1 = std::numeric_limits<int32_t>::min();
        for (Point p : corners) {
            matrix_apply(&m, p, &p);
            extend(p);
        }
    }
    if (!set) return 0;
    if (x1 - x0 > std::numeric_limits<int32_t>::max() ||
        y1 - y0 > std::numeric_limits<int32_t>::max())
        return -1;
    *rect = Rect{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                 static_cast<int32_t>(y1 - y0)};
    return 1;
}

void layout_Text(Text* text) {
    free_Strokes(text->layout);
    text->layout = nullptr;
    if (text->font < 10)
        text->layout = text_layout(text->string.c_str(), text->pos, text->size, text->flags,
                                   text->font, text->width, nullptr, true);
}

void layout_Text_local(Text* text, Matrix* matrix) {
    free_Strokes(text->layout);
    text->layout = nullptr;
    if (text->font < 10)
        text->layout = text_layout(text->string.c_str(), text->pos, text->size, text->flags,
                                   text->font, text->width, matrix, false);
}

// --- counting and sizes ---------------------------------------------------------------------

int text_line_width(const char* string) {
    int widest = 0, n = 0;
    for (const char* s = string; s && *s; ++s) {
        if (*s == LINE_BREAK) {
            widest = std::max(widest, n);
            n = 0;
        } else if (*s != BAR_MARK) {
            ++n;
        }
    }
    return std::max(widest, n);
}

int text_line_count(const char* string) {
    if (!string || !*string) return 1;
    int lines = 1;
    const char* s = string;
    for (; *s; ++s)
        if (*s == LINE_BREAK) ++lines;
    if (s[-1] == LINE_BREAK) --lines;
    return lines;
}

int text_width(Schema* doc, Text* text) {
    if (text->font < 10) {
        int64_t w = int64_t{text_line_width(text->string.c_str())} *
                    items_kit::trunc32(text->size.width * fproper_get(SPACING_RATIO));
        return static_cast<int>(std::clamp<int64_t>(w, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max()));
    }
    Rect box;
    return services().sheet_text_box(doc, text, &box) ? box.w : 0;
}

void fit_TextSize(Point q, const Text* text, TextSize* out) {
    *out = text->size;
    const int count = text_line_width(text->string.c_str());
    const int lines = text_line_count(text->string.c_str());
    const double ratio = fproper_get(SPACING_RATIO);
    if (count <= 0 || lines <= 0 || !(ratio > 0)) return;
    const int64_t tx = text->pos.x, ty = text->pos.y, qx = q.x, qy = q.y;
    int64_t w, h;
    switch (text->flags & TEXT_ROT_MASK) {
        case 0:
        case ROT_180:
            w = std::llabs(qx - tx);
            h = std::llabs(qy - ty);
            break;
        case ROT_90:
        case ROT_270:
            w = std::llabs(qy - ty);
            h = std::llabs(qx - tx);
            break;
        default: {
            // Diagonal texts: u is where the text's diagonal through the
            // anchor meets the perpendicular through q.
            int64_t code = text->flags & TEXT_ROT_MASK;
            int64_t u = (code == ROT_45 || code == ROT_225) ? ((qy + qx) - (ty - tx)) / 2
                                                            : ((qx - qy) + (ty + tx)) / 2;
            h = static_cast<int64_t>(std::sqrt(2.0 * static_cast<double>(u - tx) * (u - tx)));
            w = static_cast<int64_t>(std::sqrt(2.0 * static_cast<double>(u - qx) * (u - qx)));
            break;
        }
    }
    out->width = clamp16(static_cast<double>(w / count) / ratio);
    out->height = clamp16(static_cast<double>(h / lines));
}

void set_TextSize(TextSize* size, int width) {
    size->width = static_cast<int16_t>(width);
    size->height = clamp16(width * fproper_get(ASPECT_RATIO));
}

void default_TextSize(TextSize* size) { set_TextSize(size, proper_get(DEFAULT_TEXTW)); }

int font_height(int property_id) {
    const int number = proper_get(property_id) - 10;
    for (Font* font : list_items<Font>(system_fonts))
        if (font->number == number) return static_cast<int>(int64_t{font->size} * 25 * 40 / 72);
    return 1000;
}

void set_TextFonts(Text* text, List* fonts) { text->fonts = fonts; }
