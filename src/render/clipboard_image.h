#pragma once
// The picture of the selection that Copy puts on the clipboard beside the
// program's own paste data: the selected items (state 0x8000) of the
// document's current sheet drawn on the background colour, in their
// configured colours, at a fixed resolution.
#include <wx/bitmap.h>

struct Schema;

// Pixels per inch of the picture.
constexpr double CLIPBOARD_PPI = 100.0;

// The picture; false (the bitmap untouched) when nothing is selected.
// A picture larger than 4000 pixels on a side is drawn smaller.
bool selection_image(Schema* schema, wxBitmap* out);
// Puts the picture on the clipboard with the program's own format naming
// the paste file (which Copy writes); false when nothing is selected or the
// clipboard cannot be opened.
bool copy_selection_image(Schema* schema);
