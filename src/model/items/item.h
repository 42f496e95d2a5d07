#pragma once
// The common head of every drawable record, the item codes and binary tags,
// the records of the graphic primitives (codes 2..9) and the Item
// dispatchers (each a look-up in the operations table of item_ops.h).
//
// Every record of every code begins with the SchItem head; a record of a
// given code is a struct derived from SchItem, reached from a head by its
// checked accessor (as_Line(item) asserts the code). Records are made only
// by their new_X routine and released only by their free_X routine.
//
// The per-code routines of the primitives are declared in primitives.h
// (fill, circle, rectangle, line, arc, junction, polyline) and text.h.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/core.h"
#include "foundation/geometry.h"
#include "foundation/heap.h"
#include "foundation/matrix.h"

struct List;
struct Schema;  // the document (model/documents); texts in document fonts are
                // measured on its canvas through the service seam
struct View;

// --- item codes ---------------------------------------------------------------
enum ItemCode : int8_t {
    FILL_ITEM = 2,
    CIRCLE_ITEM = 3,
    BOITE_ITEM = 4,  // rectangle
    LINE_ITEM = 5,   // line, wire or bus
    ARC_ITEM = 6,
    TEXT_ITEM = 7,
    JUNCTION_ITEM = 8,
    POLY_ITEM = 9,
    PARTLIB_ITEM = 10,
    SHEET_ITEM = 11,
    POWER_ITEM = 12,
    NOCON_ITEM = 13,
    PORT_ITEM = 14,
    SUBSHEET_ITEM = 15,
    ERC_ITEM = 16,
    SCHEMA_ITEM = 17,
    ATTR_ITEM = 18,
    IDENT_ITEM = 19,
    PSEUDO_PIN = 20,
    TITLEBLOCK_ITEM = 21,
    NETPROP_ITEM = 22,
    IMAGE_ITEM = 23,
};

// Binary tags: 0xC0 + code for item records; the title block, the
// net-property label and the image use letters.
constexpr uint8_t ITEM_TAG_BASE = 0xC0;
constexpr uint8_t TITLEBLOCK_TAG = 'i';
constexpr uint8_t NETPROP_TAG = 'm';
constexpr uint8_t IMAGE_TAG = 'n';
// Ends every list of records in the binary files.
constexpr uint8_t LIST_END = 0xE0;
// Introduces a record's object id.
constexpr uint8_t OBJECT_ID_TAG = 'g';

// Result of a record reader whose tag is not the next byte (the byte is
// pushed back for the next reader to try).
constexpr int NOT_MY_TAG = 1001;

// The distance a hit test answers for a record that cannot be hit (it fails
// the mask, or has nothing to hit): farther than any point of a sheet.
constexpr double FAR_AWAY = 1e10;

// Codes of the error table that item readers return besides -1 (a short
// read) and NOT_MY_TAG.
constexpr int READ_ERROR = 5;  // "Read error": a record that cannot be what it claims
constexpr int NO_MEMORY = 55;  // "No Memory!"

// Combines the results of readers run one after the other: keeps the first
// result that is neither 0 nor NOT_MY_TAG, else 0 (an exact NOT_MY_TAG from
// an optional sub-record is success). Unlike an OR it never turns a real
// code into another one (1001 | 64) or into no code at all (55 | 1001).
inline int combine_results(int sofar, int next) {
    if (sofar != 0 && sofar != NOT_MY_TAG) return sofar;
    return next == NOT_MY_TAG ? 0 : next;
}

inline bool is_primitive_code(int code) { return code >= FILL_ITEM && code <= POLY_ITEM; }
// Codes that may stand in a nested item list (part bodies, fill boundaries).
inline bool is_nested_item_code(int code) { return code >= FILL_ITEM && code <= TEXT_ITEM; }
// The tag of an item record written with the 0xC0 + code rule.
constexpr uint8_t item_tag(int code) { return static_cast<uint8_t>(ITEM_TAG_BASE + code); }
// Name of a code for messages ("LINE_ITEM"), "?" for none.
const char* item_name(int code);

// --- state word marks -----------------------------------------------------------
enum : uint32_t {
    STATE_NEW = 0x0001,          // set at creation and by readers
    STATE_FIRST_END = 0x0004,    // first end (start point) of a picked item
    STATE_SECOND_END = 0x0008,   // second end of a picked item
    STATE_BOTH_ENDS = 0x000C,    // picked as a whole
    STATE_SELECTED = 0x8000,     // the selection (filter mask of copy/cut)
    STATE_WINDOW_SAVE = 0x4000,  // the window save's filter mask
};

// --- the head --------------------------------------------------------------------
// Records are pool blocks (PoolRecord), one thread making and releasing them.
struct SchItem : PoolRecord {
    int8_t type = 0;      // item code
    uint8_t flags = 0;    // style bits, meaning per code
    int16_t width = 100;  // line width; a junction's dot size
    uint32_t state = STATE_NEW;
    Point pos;                // first point; meaning per code
    SchItem* prev = nullptr;  // not owned: net member chain while nets are built; never stored
    SchItem* next = nullptr;  // not owned: the same chain
    uint32_t id = 0;          // object id: cross-reference key in files
    // Scratch of the net builder (list position), the netlist writers and the
    // ERC (a part's place in their table of parts), each checked against its
    // own table before use (a stale value is never trusted); never stored.
    uint32_t net_slot = 0;
};

// The graphic primitives are dispatched as `Item`s: the same head.
using Item = SchItem;

// --- primitive records -------------------------------------------------------------
// Flag bits of lines, arcs, circles, rectangles and polylines.
enum : uint8_t {
    STYLE_MASK = 0x03,  // 1 DRAW, 2 BUS, 0 or 3 neither
    DRAW = 1,
    BUS = 2,
    DASHED_MASK = 0x0C,  // any non-zero value: dashed
    FILLED = 0x40,       // circles only
};
// Junction shape (flag bits 2-3) and sizes.
enum : uint8_t { JUNCTION_SHAPE_MASK = 0x0C, CIRCULAR = 4, DIAMOND = 8, RECTANGLE = 12 };
enum : int16_t { SMALL = 400, MEDIUM = 800, LARGE = 1200 };

// Line, wire or bus: pos is the first end.
struct Line : SchItem {
    Point end;  // second end
};

// Arc: pos is the centre; start and end lie at the same distance from it.
struct Arc : SchItem {
    Point start;
    Point end;
    uint8_t dir = 0;  // 1 clockwise ("CW", through increasing angle), 0 counter-clockwise
};

// Circle: pos is the centre.
struct Circle : SchItem {
    Point on;  // a point on the circle
};

// Rectangle (code BOITE_ITEM): pos is the first corner. Its routines are
// named *_Rect; the record is called Boite so that it does not clash with
// the {x, y, w, h} rectangle of foundation/geometry.h.
struct Boite : SchItem {
    Point corner;  // opposite corner
};

// Filled area: pos is the seed point.
struct Fill : SchItem {
    List* items = nullptr;  // owned boundary items (codes 2..7); null only after being freed
};

// Junction dot: pos is the point, width the dot size.
struct Junction : SchItem {};

// Polyline: the head's position is not used.
struct Poly : SchItem {
    std::vector<Point> points;  // owned
};

// One polyline of a stroke-font layout; chained through next and released
// together by free_Strokes.
struct Stroke {
    uint8_t kind = 1;
    uint8_t flags = 0;
    int16_t width = 100;        // pen width
    int16_t xsize = 8;          // length of the transformed cell vector (8, 0)
    int16_t ysize = 12;         // length of the transformed cell vector (0, 12)
    std::vector<Point> points;  // at least 2
    Stroke* next = nullptr;     // owned: the rest of the chain
};

// Text flag bits.
enum : uint8_t {
    TEXT_ROT_MASK = 0x07,  // 0 none, 1 ROT_90, 2 ROT_180, 3 ROT_270, 4 ROT_45 ... 7 ROT_315
    BOXED = 0x08,
    MX = 0x10,
    MY = 0x20,
    TEXT_TYPE_MASK = 0xC0,
    LABEL = 0x80,   // 0x80 alone: a net label
    TBLOCK = 0xC0,  // a title-block field
    // rotation codes (one enumeration with the bits, so that they combine)
    ROT_90 = 1,
    ROT_180 = 2,
    ROT_270 = 3,
    ROT_45 = 4,
    ROT_135 = 5,
    ROT_225 = 6,
    ROT_315 = 7,
};

// Character width and height of a text, world units.
struct TextSize {
    int16_t width = 0;
    int16_t height = 0;
    friend bool operator==(const TextSize&, const TextSize&) = default;
};

// Text: pos is the anchor, width the stroke pen width.
struct Text : SchItem {
    int32_t font = 0;  // 0 plain stroke font, 1..9 symbol font, >= 10 document font (font - 10)
    TextSize size;     // character size
    List* fonts = nullptr;     // not owned: the font table document-font numbers refer to
    std::string string;        // '@' separates lines; "" when empty
    int32_t field = 0;         // title-block field index 1..27, else 0
    Stroke* layout = nullptr;  // owned cache for fonts below 10; dropped by every change
};
// A loaded sheet holds one record per label and note: keep the record small
// (the head and its own fields, no padding between them).
static_assert(sizeof(void*) != 8 || sizeof(Text) <= sizeof(SchItem) + 64);

// The checked accessor of a record kind: asserts the code. Every as_X pair
// of every record kind is written with it.
template <class R>
R* checked_as(SchItem* item, int code) {
    TN_ASSERT(item != nullptr && item->type == code);
    return static_cast<R*>(item);
}
template <class R>
const R* checked_as(const SchItem* item, int code) {
    TN_ASSERT(item != nullptr && item->type == code);
    return static_cast<const R*>(item);
}

// Checked accessors: assert the code and give the record.
Line* as_Line(SchItem* item);
Arc* as_Arc(SchItem* item);
Circle* as_Circle(SchItem* item);
Boite* as_Rect(SchItem* item);
Fill* as_Fill(SchItem* item);
Junction* as_Junction(SchItem* item);
Poly* as_Poly(SchItem* item);
Text* as_Text(SchItem* item);
const Line* as_Line(const SchItem* item);
const Arc* as_Arc(const SchItem* item);
const Circle* as_Circle(const SchItem* item);
const Boite* as_Rect(const SchItem* item);
const Fill* as_Fill(const SchItem* item);
const Junction* as_Junction(const SchItem* item);
const Poly* as_Poly(const SchItem* item);
const Text* as_Text(const SchItem* item);

// --- object ids ------------------------------------------------------------------------
// A record's object id is a process-unique serial (foundation/core.h). A
// reader keeps the id it reads so that link records later in the same file
// resolve against it, and notes it so that serials given afterwards never
// repeat it. A writer gives a record without an id (0) a fresh serial
// before writing it.
uint32_t item_write_id(SchItem* item);
void note_read_id(uint32_t id);

// --- the shared record protocol ----------------------------------------------------------
// Reads the tag byte of a record: 0 when it is `tag`; NOT_MY_TAG with the
// byte pushed back when it is another; -1 at the end of the stream.
int read_item_tag(FILE* stream, uint8_t tag);
// The optional id after a record's fixed fields: 'g' and a 32-bit id (kept
// and noted), or any other byte pushed back and the id 0. 0, or -1 when
// the id after 'g' is cut short. The end of the stream is no error here.
int read_item_id(SchItem* item, FILE* stream);
// 'g' and the record's id (given first when it has none).
void write_item_id(SchItem* item, FILE* stream);
// A stored width below 2 reads as 100.
inline int16_t read_width_rule(int16_t width) { return width < 2 ? int16_t{100} : width; }

// --- the Item dispatchers (codes 2..9) ------------------------------------------------
// Results: 0, -1 for a short read, an error code (55 out of memory), or
// NOT_MY_TAG (1001, the tag byte pushed back).
Item* new_Item(int code);
void free_Item(Item* item, bool keep_storage = false);
int free_Item_cb(void* item);  // list-walk form; answers 0
int read_Item(Item* item, FILE* stream);
void write_Item(Item* item, FILE* stream, uint32_t mask);
void awrite_Item(Item* item, FILE* stream, int level);
void matrix_Item(Item* item, const Matrix* matrix);
bool bounds_Item(Schema* doc, Item* item, Rect* rect, bool accumulate);
void flag_Item(Item* item);
bool mask_Item(uint32_t mask, const Item* item);
double distance_Item(Schema* doc, Item* item, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
double nearest_Item(Schema* doc, List* items, Point p, Item** nearest, uint32_t mask,
                    double tolerance, uint32_t hit_bit);
bool select_Item(Schema* doc, View* view, Item* item, uint32_t bit, int operation, uint32_t mask);
bool compare_Item(const Item* a, const Item* b);
Item* copy_Item(const Item* item);

// Item lists (a List of Item*).
bool compare_ItemList(const List* a, const List* b);
void copy_ItemList(List* destination, const List* source);
// Union of the items' bounds (each taken without accumulating). When no item
// has bounds the rectangle is untouched and the accumulate flag is the
// answer; else it is set (or grown when accumulating) and the answer is true.
bool bounds_ItemList(Schema* doc, const List* items, Rect* rect, bool accumulate);
// Reads nested item records (codes 2..7) up to the end mark 0xE0 and
// appends them to the list. 0; -1 for a short read; READ_ERROR for a byte
// that starts no such record; NO_MEMORY; an item reader's failure.
int read_ItemList(List* items, FILE* stream);
