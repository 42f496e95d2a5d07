#pragma once
// Device-independent bitmaps: the pixels of a placed image kept as one packed
// bitmap, exactly what follows the 14-byte file header in a .BMP file: the
// information header (40 bytes or more, little-endian), the palette
// (colours-used entries of 4 bytes) and the pixel rows (image-size bytes).
//
// The same BMP form (file header + packed bitmap) is a .BMP file of its own
// and the embedded bitmap of an image record in a schematic file.
//
// Reading accepts: the "BM" type; an information header of 40 bytes or more
// (the 12-byte core header is refused); 1, 4, 8, 16, 24 or 32 bits per pixel;
// a palette only at 1, 4 and 8 bits, of at most 2^bits entries (2^bits when
// the header says 0); no compression, RLE8 at 8 bits, RLE4 at 4 bits (the
// image size then given), or bit fields at 16 and 32 bits inside a header
// that holds the masks; a positive width and a non-zero height (negative:
// rows stored top-down); a pixel offset at or after the palette (a gap
// before the pixels is skipped); every size within the bytes left in the
// file. The held header carries the palette count actually held in its
// colours-used field and the image size actually held in its image-size
// field, so that the packed bitmap is consistent for every later reader.
//
// Every operation acts only on the BMP format (image flag bits 0xC8 equal
// to 0); for any other format reading gives nothing, freeing and measuring
// do nothing, copying gives none and writing answers -1.
#include <cstdint>
#include <cstdio>
#include <vector>

struct Image;

// The packed bitmap: an owned byte block.
struct Dib {
    std::vector<uint8_t> bytes;
};

constexpr int BMP_FILE_HEADER_SIZE = 14;
constexpr int BMP_INFO_HEADER_SIZE = 40;
constexpr uint16_t BMP_TYPE = 0x4D42;  // "BM" read as a little-endian 16-bit number
// "This image file has been modified\nOk to save it ?\n" and
// "This image file cannot be read (Invalid Format)\n".
constexpr int IMAGE_MODIFIED = 60022;
constexpr int IMAGE_INVALID_FORMAT = 60023;

// The fields of a packed bitmap's information header (little-endian).
int32_t dib_header_size(const Dib* dib);
int32_t dib_width(const Dib* dib);
int32_t dib_height(const Dib* dib);  // negative: rows stored top-down
int dib_bit_count(const Dib* dib);
uint32_t dib_colours_used(const Dib* dib);
uint32_t dib_image_size(const Dib* dib);

// Reads a BMP from the current position of the stream. A new packed bitmap,
// or null; *result (when given) is then -1 when the stream ended before the
// bitmap was complete, IMAGE_INVALID_FORMAT when it is no bitmap this
// program can hold (and 0 on success).
Dib* read_dib(int format, FILE* file, int* result = nullptr);
// The 14-byte file header and the packed bitmap: 0, or -1 when a write
// failed, the block is missing or inconsistent, or the format is not BMP.
int write_dib(int format, const Dib* block, FILE* file);
Dib* copy_dib(int format, const Dib* block);
void free_dib(int format, Dib* block);
// Width and height of the image's bitmap in pixels (the height as a row
// count, whatever the row order); false with both 0 when there is none.
bool dib_size(const Image* image, int32_t* width, int32_t* height);

// Reads a .BMP file. When it cannot be opened the error box shows message 1
// with the name; when it cannot be read, message 60023 with the name.
Dib* image_load(const char* file_name, int format);
// The same without a message box (batch jobs report through their own
// hook): null with *result 1 when the file cannot be opened, else the
// reader's code (-1 or 60023); *result 0 on success.
Dib* image_read_file(const char* file_name, int format, int* result);

// The embedded bitmap of an image record: read into the image (a bitmap it
// held is released first): 0, -1 on a short read, 60023 for an invalid
// bitmap; written from it: write_dib's answer.
int image_read_dib(Image* image, FILE* file);
int image_write_dib(Image* image, FILE* file);
Dib* image_copy_dib(const Image* image);
void image_free_dib(Image* image);

// When the image's bitmap changed, asks (message 60022 with the file name,
// Yes/No, caption "Warning") whether to write it back; on Yes writes the BMP
// file through a temporary file and clears the changed byte on success.
// 0 when nothing was to be done, the answer was No, or the file was written;
// 50 when the file cannot be created, -1 when the bitmap cannot be written,
// the commit's code (6, 7) when the file cannot be completed.
int image_save_file(Image* image);
