#pragma once
// The picture of the selection that Copy offers on the clipboard beside the
// program's own paste data: the selected items (state 0x8000) of the
// document's current sheet drawn on the background colour, in their
// configured colours, at a fixed resolution.
//
// Drawing a large selection takes seconds, and most copies are pasted into
// this program: Copy therefore offers the picture without drawing it, and
// draws it from the paste file only when another program asks for it
// (`paste_file_image`). The paste file holds exactly the copied items, so
// the picture shows them as they were copied.
#include <string>

#include <wx/bitmap.h>

struct Schema;

// Pixels per inch of the picture.
constexpr double CLIPBOARD_PPI = 100.0;

// The picture; false (the bitmap untouched) when nothing is selected.
// A picture larger than 4000 pixels on a side is drawn smaller.
bool selection_image(Schema* schema, wxBitmap* out);
// The same picture of the items of a sheet paste file; false (the bitmap
// untouched) when the file cannot be read or holds no item.
bool paste_file_image(const std::string& paste_file, wxBitmap* out);
// Puts on the clipboard the program's own format naming the paste file
// (which Copy writes) and the offer of its picture, drawn from that file
// when asked for; false when the clipboard cannot be opened.
bool copy_selection_image(const char* paste_file);
