#pragma once
// The ghost routines of the interactive tools. Each toggles a ghost on the
// canvas's overlay (draw once to show, draw the same again to hide), the way
// XOR drawing used to; with an adapter given, the drawing goes through that
// adapter in the mode asked instead.
#include <cstdint>

#include "render/draw_adapter.h"

class RenderCanvas;
struct List;
struct Pin;
struct PlacedPart;
struct Schema;
struct Text;

// One ghost of every item of the list, in the items' own colours.
void xor_item_list(RenderCanvas* canvas, List* items);
// A pin of a placed part: its line, shape, name and number (of the placed
// part's device when the package has that many devices).
void xor_pin_on_canvas(RenderCanvas* canvas, DrawAdapter* adapter, PlacedPart* placed, Pin* pin,
                       int devices);
// The selection of the document: every item of the current sheet marked
// selected (state 0x8000) and the selection area's outline.
void xor_selection(RenderCanvas* canvas, Schema* schema);
// The frame round a text.
void xor_text_frame(RenderCanvas* canvas, DrawAdapter* adapter, Text* text, int mode);
