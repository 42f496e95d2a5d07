#pragma once
// What the ASCII source reader hands over while it parses: one call per
// action point of the grammar, in the order the parser meets them. The
// reader knows only the token sequence; a builder turns the calls into
// records (schema, library, parts, sheet items) or, in tests, into a log.
//
// Every call answers 0 to let the parse go on; any other value stops it at
// once and becomes the compilation's result (the builder reports its own
// message, "compil : Error : <what> at line <n>\n"). After a stop, a parse
// error or a stack overflow the reader calls abort(), so that a builder can
// release what it made so far; after a successful parse it does not.
//
// Keyword choices arrive as the codes of the records they fill:
// - style flags of lines, arcs, circles, rectangles and polylines:
//   DRAW 0x01, BUS 0x02, DASHED 0x04 (and FILLED 0x40 for circles);
// - text options: BOXED 0x08, MX 0x10, MY 0x20, rotation 0..7 (NO_ROT 0,
//   ROT_90 1, ROT_180 2, ROT_270 3, ROT_45 4, ROT_135 5, ROT_225 6,
//   ROT_315 7); a text's LABEL adds 0x80, its TBLOCK 0xC0 with the field
//   number (DOCNUMBER 1 ... SHEETSIZE 27);
// - symbol names of text values arrive as their one-letter strings
//   ("ACTIVE_LOW_L" is "A" ... "NEGATION" is "W").
// Texts arrive NUL-terminated and stay valid until the compilation ends;
// a builder copies what it keeps. The defaults (all calls answer 0 and do
// nothing) make this class itself the builder that checks syntax only.
#include <cstdint>

#include "foundation/geometry.h"

// The printf-style hook every message of a compilation goes through.
using CompilReport = void (*)(const char* format, ...);

// The opening "(TEXT" ... ")" line of a text item.
struct CompilText {
    int32_t font = 0;        // font number (10 and above: document font + 10)
    Point pos;               // anchor
    int32_t width = 0;       // character width ("(SIZE" w h)
    int32_t height = 0;      // character height
    const char* value = "";  // the string, a symbol's letter, or "" when absent
    uint8_t flags = 0;       // text options | 0x80 LABEL | 0xC0 TBLOCK
    uint8_t field = 0;       // title-block field number with TBLOCK, else 0
};

// "(PARTLIB" name stamp scale ... ")".
struct CompilPlacedPart {
    const char* name = "";  // library part name
    uint32_t stamp = 0;     // time stamp (hex)
    double scale = 1.0;     // the real scale as written
    uint8_t flags = 0;      // POWERON 0x40, CONVERT_PART 0x80, text options
    int32_t device = 0;     // "DEVICE" n
    Point pos;
    const char* sheet_path = "";  // "" when there is no "SHEETPATH"
};

// "(SUBSHEET" id pos size sheet-name file-name [ports] ")": the two strings
// in the order the sub-sheet writer writes them.
struct CompilSubSheet {
    uint32_t id = 0;  // the box's time-stamp word (hex)
    Point pos;
    int32_t width = 0;
    int32_t height = 0;
    const char* sheet_name = "";
    const char* file_name = "";
};

// "(NETPROP" pos name and the seven values.
struct CompilNetProp {
    Point pos;
    const char* name = "";
    int32_t track_width = 0;
    int32_t isolation = 0;
    int32_t via_size = 0;
    int32_t via_drill = 0;
    int32_t start_layer = 0;
    int32_t end_layer = 0;
    int32_t net_type = 0;
};

// "(IMAGE" ["BMP"] pos size options file ")".
struct CompilImage {
    bool bmp = false;   // "BMP" was given (the writer leaves it out for
                        // other picture formats)
    uint8_t flags = 0;  // text options (mirror and rotation)
    Point pos;
    int32_t width = 0;
    int32_t height = 0;
    const char* file = "";
};

// "(FONT" and its fifteen numbers and face name, as written.
struct CompilFont {
    int32_t id = 0;  // font number + 10
    int32_t size = 0;
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strike_out = 0;
    int32_t char_set = 0;
    int32_t out_precision = 0;
    int32_t clip_precision = 0;
    int32_t quality = 0;
    int32_t pitch_family = 0;
    const char* face = "";
};

// Whose table a "(FONTS" block fills.
enum CompilFontOwner { COMPIL_FONTS_LIBRARY = 0, COMPIL_FONTS_SCHEMA = 1 };

class CompilBuilder {
public:
    virtual ~CompilBuilder() = default;

    // Before the first token: the mode (1 schematic, 2 library, 3 title
    // block) and the hook every message of this compilation goes through.
    virtual void start(int mode, CompilReport report) {
        (void)mode;
        (void)report;
    }
    // The compilation failed (parse error, stack overflow, a stop asked by
    // a call, a document kind not matching the mode): drop what was built.
    virtual void abort() {}

    // The line the reader stands on, for messages (0 outside a compilation).
    int source_line() const { return line_ ? *line_ : 0; }
    // Set by the reader for the time of a compilation.
    void attach_line(const int* line) { line_ = line; }

    // --- library ("(LIB" at the top in mode 2, or a schematic's own) -----
    virtual int lib_begin() { return 0; }                      // "(LIB"
    virtual int prefix(const char* name, const char* value) {  // "(PFX" ... ")"
        (void)name, (void)value;
        return 0;
    }
    virtual int lpart_begin() { return 0; }                 // "(LPART"
    virtual int part_begin() { return 0; }                  // "(PART"
    virtual int part_size(int32_t width, int32_t height) {  // "(SIZE" in "(COMMON"
        (void)width, (void)height;
        return 0;
    }
    virtual int part_reference(const char* prefix) {  // "(REFERENCE" s ")"
        (void)prefix;
        return 0;
    }
    virtual int part_sheet_path(const char* path) {  // "(SHEETPATH" s ")"
        (void)path;
        return 0;
    }
    // "(TYPE" kind devices ")": STANDARD 0, IEEE 1, GRID_ARRAY 2.
    virtual int part_type(uint8_t type, int32_t devices) {
        (void)type, (void)devices;
        return 0;
    }
    virtual int part_end() { return 0; }  // ")" of "(PART"
    // "(NORMAL" (form 0) or "(CONVERT" (form 1): the body the blocks fill.
    virtual int body_begin(int form) {
        (void)form;
        return 0;
    }
    virtual int vector_begin() { return 0; }  // "(VECTOR" of a body
    virtual int vector_end() { return 0; }    // its ")": store the set
    // "(NORMALVECTOROF" s (mode 1) or "(CONVERTVECTOROF" s (mode 2).
    virtual int vector_ref(uint8_t mode, const char* part) {
        (void)mode, (void)part;
        return 0;
    }
    virtual int pins_begin() { return 0; }  // "(PINS"
    virtual int pin_begin() { return 0; }   // "(PIN"
    // One trailing string of a pin: the numbers of devices 0, 1, 2 ...
    virtual int pin_number(const char* number) {
        (void)number;
        return 0;
    }
    // ")" of "(PIN": shape = SHORT 0x01 | DOT 0x02 | CLOCK 0x04 | side
    // (LEFT 0, RIGHT 0x10, TOP 0x20, BOTTOM 0x30); type = the last type
    // keyword (IN 1, OUT 2, IO 3, OC 4, OE 5, PWR 6, PAS 7, HIZ 8), 0 when
    // none was given.
    virtual int pin_end(const char* name, uint8_t shape, uint8_t type, Point pos) {
        (void)name, (void)shape, (void)type, (void)pos;
        return 0;
    }
    virtual int pins_end() { return 0; }      // ")" of "(PINS": store the list
    virtual int body_end() { return 0; }      // ")" of "(NORMAL" / "(CONVERT"
    virtual int name_begin() { return 0; }    // "(NAME": a fresh attribute list
    virtual int name_end(const char* name) {  // its ")": the entry
        (void)name;
        return 0;
    }
    virtual int attribute_begin() { return 0; }  // "(ATTRIBUTE"
    // Its ")": flags VIS 0x80 | SET 0x40; options as written (text options).
    virtual int attribute_end(const char* text, uint8_t flags, uint8_t options, Point pos) {
        (void)text, (void)flags, (void)options, (void)pos;
        return 0;
    }
    virtual int lpart_end() { return 0; }    // ")" of "(LPART"
    virtual int lib_end(const char* name) {  // ")" of "(LIB"
        (void)name;
        return 0;
    }

    // --- graphic items (vector sets, fills, title blocks, sheets) --------
    virtual int line(uint8_t flags, Point first, Point second) {
        (void)flags, (void)first, (void)second;
        return 0;
    }
    // direction: CW 1, CCW 0.
    virtual int arc(uint8_t flags, Point start, Point end, Point centre, uint8_t direction) {
        (void)flags, (void)start, (void)end, (void)centre, (void)direction;
        return 0;
    }
    virtual int circle(uint8_t flags, Point on_circle, Point centre) {
        (void)flags, (void)on_circle, (void)centre;
        return 0;
    }
    virtual int rect(uint8_t flags, Point first, Point opposite) {
        (void)flags, (void)first, (void)opposite;
        return 0;
    }
    virtual int fill_begin() { return 0; }  // "(FILL": its items follow
    virtual int fill_end(Point seed) {      // its ")"
        (void)seed;
        return 0;
    }
    // "(POLY" count style: the points follow one call each. The count is
    // the writer's; nothing checks it against the points given.
    virtual int poly_begin(int32_t count, uint8_t flags) {
        (void)count, (void)flags;
        return 0;
    }
    virtual int poly_point(Point p) {
        (void)p;
        return 0;
    }
    virtual int poly_end() { return 0; }
    virtual int text(const CompilText& text) {
        (void)text;
        return 0;
    }

    // --- schematic ("(SCHEMATIC" at the top in mode 1) ------------------
    virtual int schematic_begin() { return 0; }
    virtual int ports_begin() { return 0; }  // the schema's "(PORTS"
    // "(PORT" side kind pos name ")": RIGHT 0x08 (LEFT 0) | INPUT 0x10,
    // OUTPUT 0x20, UNSPEC 0x30 (BIDIR 0).
    virtual int port(uint8_t flags, Point pos, const char* name) {
        (void)flags, (void)pos, (void)name;
        return 0;
    }
    virtual int sheet_begin() { return 0; }        // "(SHEET"
    virtual int placed_part_begin() { return 0; }  // "(PARTLIB": fresh attribute list
    virtual int placed_part_end(const CompilPlacedPart& part) {
        (void)part;
        return 0;
    }
    // "(JUNCTION": size LARGE 1200, MEDIUM 800, SMALL 400; shape CIRCULAR
    // 0x04, DIAMOND 0x08, RECTANGLE 0.
    virtual int junction(Point pos, int32_t size, uint8_t shape) {
        (void)pos, (void)size, (void)shape;
        return 0;
    }
    virtual int nocon(Point pos) {
        (void)pos;
        return 0;
    }
    // "(POWER": flags = text options | shape (CIRCL 0, GND1 0x08, ARROW
    // 0x40, GND2 0x48, BAR 0x80, EARTH 0x88, WAVE 0xC0, BIGARR 0xC8).
    virtual int power(const char* name, uint8_t flags, Point pos) {
        (void)name, (void)flags, (void)pos;
        return 0;
    }
    virtual int subsheet_begin() { return 0; }             // "(SUBSHEET"
    virtual int subsheet_ports_begin() { return 0; }       // its "(PORTS"
    virtual int subsheet_end(const CompilSubSheet& box) {  // its ")"
        (void)box;
        return 0;
    }
    virtual int netprop(const CompilNetProp& label) {
        (void)label;
        return 0;
    }
    virtual int image(const CompilImage& image) {
        (void)image;
        return 0;
    }
    virtual int erclist_begin() { return 0; }          // "(ERCLIST"
    virtual int erc_mark(int32_t number, Point pos) {  // "(ERCERR" n pos ")"
        (void)number, (void)pos;
        return 0;
    }
    // "(ERCERR" n pos ")" among the items of a sheet.
    virtual int sheet_erc_mark(int32_t number, Point pos) {
        (void)number, (void)pos;
        return 0;
    }
    virtual int schematic_end() { return 0; }

    // --- title block ("(TITLEBLOCK" at the top in mode 3, or a schematic's)
    virtual int titleblock_begin() { return 0; }
    // A field block "(TITLE" s ")" and its twins: the field number (1..27,
    // SHEETSIZE 27) and the text as written.
    virtual int titleblock_field(int field, const char* value) {
        (void)field, (void)value;
        return 0;
    }
    virtual int controls_begin() { return 0; }  // "(CONTROLS": its texts follow
    virtual int controls_end() { return 0; }
    virtual int titleblock_vector_begin() { return 0; }  // "(VECTOR" of a title block
    virtual int titleblock_vector_end() { return 0; }
    virtual int titleblock_end() { return 0; }

    // --- fonts ------------------------------------------------------------
    virtual int fonts_begin() { return 0; }  // "(FONTS"
    virtual int font(const CompilFont& font) {
        (void)font;
        return 0;
    }
    virtual int fonts_end(CompilFontOwner owner) {  // its ")"
        (void)owner;
        return 0;
    }

private:
    const int* line_ = nullptr;  // not owned: the reader's line counter while it runs
};
