#pragma once
// Stroke-font layouts kept between repaints for the texts a repaint makes
// afresh each time (pin names and numbers, the names of ports, powers and
// sub-sheets, the fields of placed parts).
//
// A layout is kept in cell units, keyed by what shapes it there (the
// string, the glyph table, the frame and the character advance); the
// text's anchor, size and orientation come in through the same matrix the
// layout would get (text_layout_matrix), applied to the same integer
// points, so that what is drawn is the freshly laid-out text to the bit.
// The kept layouts are bounded in memory and forgotten with the bounds
// index's part boxes (forget_text_strokes). Used on the drawing thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/geometry.h"
#include "foundation/matrix.h"
#include "model/items/item.h"
#include "model/items/text.h"

// A layout in cell units: the points of every stroke in chain order, each
// stroke ending at its entry of `ends`.
struct CellStrokes {
    std::vector<Point> points;
    std::vector<uint32_t> ends;
};

// The cell layout of a stroke-font text (font below 10), kept or made;
// null for a text that draws nothing. Valid until the next call.
const CellStrokes* cell_strokes(const char* string, int font, uint8_t flags);

// What text_layout_extent answers for `string` anchored at (0, 0) with no
// flags, kept with the string's layout.
int text_extent_at_origin(const char* string, TextSize size, int font, Rect* rect);

// Calls emit(points) for at most `limit` strokes of the text, each stroke's
// points in world units (the layout at `anchor`) mapped through `m` (none:
// left as they are): the points layout_Text's chain gives, mapped alike.
template <class Emit>
void for_each_text_stroke(const char* string, Point anchor, TextSize size, uint8_t flags, int font,
                          const Matrix* m, size_t limit, Emit&& emit) {
    const CellStrokes* cells = cell_strokes(string, font, flags);
    if (!cells) return;
    const Matrix world = text_layout_matrix(string, anchor, size, flags);
    std::vector<Point> points;
    uint32_t begin = 0;
    for (size_t i = 0; i < cells->ends.size() && i < limit; ++i) {
        const uint32_t end = cells->ends[i];
        points.clear();
        for (uint32_t k = begin; k < end; ++k) {
            Point p;
            matrix_apply(&world, cells->points[k], &p);
            if (m) matrix_apply(m, p, &p);
            points.push_back(p);
        }
        begin = end;
        emit(points);
    }
}

// Drops every kept layout.
void forget_text_strokes();
// The memory the kept layouts hold now, in bytes (roughly), and its bound.
size_t text_strokes_bytes();
constexpr size_t TEXT_STROKES_BOUND = size_t{8} << 20;
