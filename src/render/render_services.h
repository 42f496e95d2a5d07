#pragma once
// The drawing layer's side of the core's service seam: text measuring on a
// canvas, realizing document fonts, the colour table, and the font
// registry's release of realized fonts.
//
// Canvases: the seam's `void* canvas` (and a View's window) is always the
// RenderCanvas* of the window.
#include "foundation/geometry.h"

struct List;
struct Schema;
struct SchItem;
struct Services;
struct View;

// Fills text_extent, font_for_text, colour_table_attach, colour_red,
// paint_zone_text_extent, sheet_text_box, canvas_visible_rect and
// font_remove_entry of the table (install it afterwards with
// install_services). Builds the colour table.
void install_render_services(Services& table);

// Frees the drawing globals (realized fonts, the measuring context, the
// colour table): the shell's stop sequence calls it before the toolkit ends.
void render_cleanup();

// Measures a text in font id *font_number of the table on the canvas:
// {pos.x, pos.y - h, w, h} in world units; *font_number is updated as
// font_for_text does. False, nothing measured, without a canvas.
bool text_extent(void* canvas, List* fonts, View* view, const char* text, int* font_number,
                 Point pos, Rect* out);
// text_extent in the system font list on the canvas the view is bound to,
// or, for a view that no window shows, on any canvas open; false when none is.
bool paint_zone_text_extent(View* view, const char* text, int* font_number, Point pos, Rect* out);
// The axis-aligned box of a text item as laid out, on the canvas that shows
// the document; false (rectangle untouched) when the document has none.
bool sheet_text_box(Schema* doc, SchItem* text, Rect* out);
