#pragma once
// Placed images (code 23, IMAGE_ITEM, binary tag 'n'): a bitmap from a .BMP
// file shown on the sheet, turned and mirrored by its flags. The pixels are
// kept as a packed device-independent bitmap (dib.h).
//
// Flag bits: 0x07 rotation code (0 none, 1 ROT_90 ... 7 ROT_315, as texts),
// 0x10 MX, 0x20 MY, 0xC8 the picture format (IMAGE_FORMAT_BMP = 0, the only
// one).
//
// Binary record (big-endian): 'n', flags (8), position (2 x 32), width and
// height (2 x 32), file name (string, empty for none), the bitmap in the BMP
// file form (dib.h), then 'g' and the object id (optional on reading).
// A bitmap that cannot be read fails the record: the stream cannot be
// trusted after it.
//
// ASCII form, one line:
//   (IMAGE [BMP ](POS x y ) (SIZE w h ) [MX ][MY ][ROT_x ]'file'  )
// After the line the bitmap is written back to its file when it was changed
// (image_save_file).
#include <cstdint>
#include <cstdio>

#include "model/documents/dib.h"
#include "model/items/item.h"

enum : uint8_t {
    IMAGE_ROT_MASK = 0x07,
    IMAGE_FORMAT_MASK = 0xC8,
    IMAGE_FORMAT_BMP = 0x00,
};

struct Image : SchItem {
    Point size;                 // x the width, y the height, in world units
    char* file_name = nullptr;  // owned (malloc'd); the .BMP file, null for none
    Dib* bitmap = nullptr;      // owned packed bitmap; null for none
    uint8_t changed = 0;        // the bitmap must be written back to its file
};

Image* as_Image(SchItem* item);
const Image* as_Image(const SchItem* item);

// The picture format of an image (its flag bits 0xC8).
inline int image_format(const Image* image) { return image->flags & IMAGE_FORMAT_MASK; }

// Code 23, flags 0, state 1, size 0, no file name, no bitmap, not changed;
// null when memory runs out.
Image* new_Image();
void free_Image(Image* image, bool keep_storage);
// 0; -1 when the stream ends inside the record; the bitmap reader's code
// (-1 or 60023) when the embedded bitmap cannot be read; NOT_MY_TAG with the
// byte pushed back.
int read_Image(Image* image, FILE* stream);
void write_Image(Image* image, FILE* stream, uint32_t mask);
void awrite_Image(Image* image, FILE* stream, int level);
void matrix_Image(Image* image, const Matrix* matrix);  // the position only
// The rectangle between the transformed corners (0, 0) and (width, height)
// (mirrors, rotation, then the position).
bool bounds_Image(Schema* doc, Image* image, Rect* rect, bool accumulate);
void flag_Image(Image* image);
double distance_Image(Schema* doc, Image* image, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit);
// view_rect_in_select of its bounds.
bool select_Image(Schema* doc, View* view, Image* image, uint32_t bit, int operation,
                  uint32_t mask);
// An equal record with its own bitmap and file name (object id 0).
Image* copy_Image(const Image* image);
