#pragma once
// Drawing of every item code (2..23) through a DrawAdapter, in the colours,
// fonts, line widths and visibility of the configuration (the VISIBLE_*
// properties on the screen, the PRINT_VIS_* ones when the adapter prints).
//
// Colour argument: ITEM_COLOURS draws each part of an item in its configured
// colour; any other value (0x00BBGGRR) draws the whole item in that colour.
// Matrix argument: applied to every point before drawing (a placed part's
// body drawn at its place, a ghost moved with the pointer); null: none.
//
// Generated drawings that an item lacks (power symbols, port and sub-sheet
// outlines, net-property flags, pin drawings, the sheet border) are built
// on the way, as the records allow.
#include <cstdint>
#include <vector>

#include "foundation/geometry.h"
#include "foundation/matrix.h"

class DrawAdapter;
class RenderCanvas;
struct PlacedPart;
struct Pin;
struct Schema;
struct SchItem;
struct Text;
struct Vectors;
struct View;

constexpr int64_t ITEM_COLOURS = -1;
// The colour the screen draws the selection in: orange (red in the low
// byte, as every colour here), which no item takes by default, dark enough
// to stand out from the background.
constexpr int64_t SELECTION_COLOUR = 0x0064E6;
// Style argument: STYLE_AS_ITEM keeps each item's own line style,
// STYLE_DASHED draws every line dashed (an outline that stands for an item).
enum : int { STYLE_AS_ITEM = 0, STYLE_DASHED = 1 };

// Draws one item of the schema. With an adapter, through it in the given
// mode. Without one, on the canvas: DRAW_XOR toggles the item's ghost on the
// canvas's overlay, DRAW_COPY and DRAW_MERGE paint into its backing bitmap;
// the canvas is then refreshed.
void draw_item_on_canvas(RenderCanvas* canvas, DrawAdapter* adapter, SchItem* item, int mode,
                         const Matrix* matrix, int64_t colour, int style);
// Draws the items of a vector set (codes 2..7) through the matrix.
void draw_vectors_on_canvas(RenderCanvas* canvas, DrawAdapter* adapter, Vectors* set,
                            const Matrix* matrix, int mode, int64_t colour);
// Draws the schema's embedded title block; without an adapter on the canvas.
void draw_title_block_at(RenderCanvas* canvas, DrawAdapter* adapter, Schema* schema);
// Paints the title block's area in the background colour.
void erase_title_block(RenderCanvas* canvas, DrawAdapter* adapter, Schema* schema);

// What the document's drawing covers, world units: its bounds grown by the
// names that power symbols show beyond their symbols. False when it holds
// nothing.
bool drawing_extent(Schema* schema, Rect* out);
// The whole document: background, grid (inside `visible`, world units;
// null: no grid), border, title block, ERC marks, interface ports and
// the sheet's items.
void draw_schema(DrawAdapter* adapter, Schema* schema, const Rect* visible);
// What of the same falls in `area` (world units), with the given items in
// place of the ports list and the sheet's items: the bounds index's answer
// for the area, in list order. The caller clips the adapter's context to
// the area; the grid marks are those of `visible`.
void draw_schema_area(DrawAdapter* adapter, Schema* schema, const Rect& visible, const Rect& area,
                      const std::vector<SchItem*>& items);
// The world rectangle an item covers when drawn on the screen in any
// colour (the selection's too): every line with its pen, texts, names, pin
// labels and attributes; false when it draws nothing. A null item forgets
// what is kept between calls (the boxes of library parts' own drawings):
// the bounds index asks so each time it is made anew.
bool item_draw_bounds(Schema* schema, SchItem* item, Rect* out);
// One item of `schema` through the adapter (what draw_item_on_canvas does
// with an adapter).
void draw_item(DrawAdapter* adapter, Schema* schema, SchItem* item, const Matrix* matrix,
               int64_t colour, int style);
// A pin of a placed part (its drawing, name and number) through the adapter.
void draw_part_pin(DrawAdapter* adapter, Schema* schema, PlacedPart* placed, Pin* pin,
                   int64_t colour);
// The frame round a text's box (axis-aligned corners of its layout or box).
void draw_text_frame(DrawAdapter* adapter, Schema* schema, Text* text, const Matrix* matrix,
                     uint32_t colour);
// True when the drawing table has a row that draws records of the code.
bool item_has_drawing(int code);
// The four world corners of a text as laid out (stroke layout or document
// font box); false when it draws nothing.
bool text_corners(Schema* schema, Text* text, Point corners[4]);
