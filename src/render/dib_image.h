#pragma once
// Packed device-independent bitmaps (model/documents/dib.h) as wxImage.
#include <wx/image.h>

struct Dib;

// Decodes a packed bitmap (1, 4, 8 bits with palette, 16, 24, 32 bits,
// uncompressed, RLE8, RLE4 or bit fields) into *out with its rows top-down.
// False for a block the decoder cannot read (the image is left unset).
// Every read stays inside the block.
bool dib_to_image(const Dib* dib, wxImage* out);
