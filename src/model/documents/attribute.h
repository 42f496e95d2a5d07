#pragma once
// Attributes (code 18): the positioned text fields of a placed part.
// Attribute 0 is the reference designator, 1 the value, 2 and up the user
// fields named by the configuration (FIELD_NAME). Library entries carry
// lists of attributes too: the default field values of a part name.
//
// An attribute carries only the first four fields of the item head (code,
// flags, width, state): no position of the head, no net links, no object
// id; it is not one of the records of SchItem.
//
// Binary record: 0xD2, x, y (32 bits each), flags, text + NUL.
// ASCII form: "(ATTRIBUTE 'text' [VIS ][SET ](POS x y )  )".
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/geometry.h"
#include "foundation/heap.h"
#include "foundation/matrix.h"
#include "foundation/short_string.h"
#include "model/items/item.h"

struct List;
struct Stroke;
struct View;
struct PlacedPart;

enum AttributeFlag : uint8_t {
    VIS = 0x80,  // shown
    SET = 0x40,  // placed: its position was set by layout or by the user
};

constexpr uint8_t ATTRIBUTE_TAG = 0xD2;  // 0xC0 + ATTR_ITEM

struct Attribute : PoolRecord {  // a pool block (foundation/heap.h)
    int8_t type = ATTR_ITEM;
    uint8_t flags = 0;
    int16_t width = 100;
    uint32_t state = 1;
    ShortString text;
    Point pos;                 // anchor of the text, sheet coordinates
    Stroke* layout = nullptr;  // owned laid-out lines, built when drawn; none in copies
};

// Code 18, state 1, flags 0, empty text, no layout; null when memory runs out.
Attribute* new_Attribute();
// Clears the text and frees the layout; the record too unless keep_storage
// (an attribute held inline by a placed part). Null ignored.
void free_Attribute(Attribute* attribute, bool keep_storage = false);
int free_Attribute_cb(void* attribute);  // list-walk form; answers 0
// Every field with its own text; state 1, no layout. Out of memory ends
// the program.
Attribute* copy_Attribute(const Attribute* attribute);
// Drops the layout (it is rebuilt when drawn).
void drop_Attribute_layout(Attribute* attribute);
void matrix_Attribute(Attribute* attribute, const Matrix* matrix);
// The 1 x 1 rectangle at the position with the layout's lines merged in.
bool bounds_Attribute(const Attribute* attribute, Rect* rect, bool accumulate);
void flag_Attribute(Attribute* attribute);
// To the layout's lines (an exact 0 answered as -1.0), else to the position.
double distance_Attribute(Attribute* attribute, Point p, uint32_t mask, double tolerance,
                          uint32_t hit_bits);
bool select_Attribute(View* view, Attribute* attribute, uint32_t bit, int operation, uint32_t mask);
// and_mode: flags &= mask, else flags |= mask.
void attribute_flags(Attribute* attribute, bool and_mode, uint8_t mask);

// Results: 0; NOT_MY_TAG (1001, byte pushed back; ends attribute lists);
// -1 for a short read.
int read_Attribute(Attribute* attribute, FILE* stream);
void write_Attribute(const Attribute* attribute, FILE* stream);
void awrite_Attribute(const Attribute* attribute, FILE* stream, int level);

// Lists of attributes (null is the empty list).
void free_Attribute_list(List* list);
// *copy = a new list of copies in order (null for null).
void copy_Attribute_list(const List* list, List** copy);
// Reads attribute records into a list (made when null and a record comes)
// until another record follows; 0, or the failure of a record.
int read_Attribute_list(List** list, FILE* stream);
void write_Attribute_list(const List* list, FILE* stream);

// --- on a placed part ---------------------------------------------------------
void pl_attr_flags(PlacedPart* part, bool and_mode, uint8_t mask);
// 0 the reference, 1 the value, i >= 2 further attribute i - 2; null when absent.
Attribute* pl_get_attribute(PlacedPart* part, int index);
// As pl_get_attribute, creating the further list and empty attributes up
// to the index.
Attribute* pl_need_attribute(PlacedPart* part, int index);

// --- user field names ----------------------------------------------------------------
// Name of user field i: entry i of FIELD_NAME ("" when unset).
const char* get_field_name(int index);
void set_field_name(int index, const char* name);
// The names of the fields a dialog lists: NB_FIELD_NAME names from field 0
// (with_ref_value) or field 2; an empty configured name becomes
// "Attr. #n" (n its position in the result from 1); with no configured
// count every name is generated. Returns the count.
int make_field_names(std::vector<std::string>* names, bool with_ref_value);
void free_field_names(std::vector<std::string>* names);
