#pragma once
// ERC marks (code 16, ERC_ITEM, binary tag 0xD0): the mark shown at the
// connection point of one finding of the electrical rule check. A mark
// carries the finding's number (a warning's number raised by 10000), the
// bracketed number of the finding's line in the ERC report. The marks of a
// sheet's last check live in the schema's ERC list.
//
// Binary record (big-endian): 0xD0, flags (8), point (2 x 32), width (16,
// read back as 100 below 2), the extra byte (8), then tagged fields in any
// order and number: 'g' + object id (32), 0xA9 + number (32). The writer
// writes 'g' then 0xA9.
//
// ASCII form: (ERCERR number (POS x y )  ), inside an (ERCLIST ...) block.
#include <cstdint>
#include <cstdio>

#include "model/items/item.h"

constexpr uint8_t ERC_NUMBER_TAG = 0xA9;
constexpr int ERC_OUTLINE_POINTS = 9;
// The number of a warning's mark is its finding number + ERC_WARNING_OFFSET.
constexpr int32_t ERC_WARNING_OFFSET = 10000;

struct ErcMark : SchItem {
    uint8_t extra = 0;                  // kept by the binary form, no other use
    int32_t number = 0;                 // the finding's number
    Point outline[ERC_OUTLINE_POINTS];  // the symbol, relative to the point
};

// The outline every mark is made with (relative to its point).
extern const Point erc_mark_outline[ERC_OUTLINE_POINTS];

ErcMark* as_ErcMark(SchItem* item);
const ErcMark* as_ErcMark(const SchItem* item);

// Code 16, flags 0, width 100, state 1, point 0, number 0, the outline; null
// when memory runs out.
ErcMark* new_ErcMark();
void free_ErcMark(ErcMark* mark, bool keep_storage);
// 0, -1 on a short read, NOT_MY_TAG with the byte pushed back.
int read_ErcMark(ErcMark* mark, FILE* stream);
void write_ErcMark(ErcMark* mark, FILE* stream, uint32_t mask);
void awrite_ErcMark(ErcMark* mark, FILE* stream, int level);
void matrix_ErcMark(ErcMark* mark, const Matrix* matrix);  // the point
// Covers the whole outline and its pen width.
bool bounds_ErcMark(Schema* doc, ErcMark* mark, Rect* rect, bool accumulate);
void flag_ErcMark(ErcMark* mark);
// Euclidean distance from the point (1e10 when the mask fails).
double distance_ErcMark(Schema* doc, ErcMark* mark, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit);
// The point in the selection area.
bool select_ErcMark(Schema* doc, View* view, ErcMark* mark, uint32_t bit, int operation,
                    uint32_t mask);
// Every field (point, number, outline, extra byte), object id 0.
ErcMark* copy_ErcMark(const ErcMark* mark);

// The ASCII block of a schema's ERC list: nothing for a null or empty list;
// else "(ERCLIST " at the level, each mark one level deeper, ")".
void awrite_ErcList(const List* marks, FILE* stream, int level);
