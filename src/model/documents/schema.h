#pragma once
// The schematic document: one Schema record per sheet file, library window
// or title-block window. It owns the drawing (the root Sheet and its item
// list), its own part library, the sheet's interface ports, the ERC marks of
// the last check, the 26 identification strings the title block shows, the
// sheet-size options, the embedded title block, the document fonts, the
// view and the sheet editor's edit state; and the whole-document walks over
// all of it (bounds, flag operation, selection area, sheet size, field
// texts, border outlines).
//
// Ownership: everything below is owned by the schema except `current`.
// Items of every list are owned by the list's holder and released through
// free_SchItem (sheet_items.h). new_Schema and free_Schema are the only
// places a schema is allocated or released.
#include <cstddef>
#include <cstdint>

#include "foundation/geometry.h"
#include "model/documents/edit_state.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/view.h"

struct Library;
struct List;
struct Stroke;
struct Text;
struct Vectors;

// --- identification fields ----------------------------------------------------------
// Field numbers of the identification strings (texts bound to title-block
// fields carry them; text.h names them): 1..26 are stored strings, 27 is
// the name of the sheet-size code.
enum SchemaFieldNumber : int {
    FIELD_DOCNUMBER = 1,
    FIELD_REVCODE = 2,
    FIELD_TITLE = 3,
    FIELD_COMPANYNAME = 4,
    FIELD_COMPANYADDR1 = 5,
    FIELD_COMPANYADDR2 = 6,
    FIELD_COMPANYADDR3 = 7,
    FIELD_FILENAME = 8,
    FIELD_COMPANYADDR4 = 9,
    FIELD_COMPANYADDR5 = 10,
    FIELD_CREATDATE = 11,
    FIELD_MODIFDATE = 12,
    FIELD_FIRSTNAME = 13,
    FIELD_LASTNAME = 14,
    FIELD_FOLIO = 15,
    FIELD_NBFOLIO = 16,
    FIELD_USER1 = 17,  // .. FIELD_USER1 + 9 = USER10 (26)
    FIELD_SHEETSIZE = 27,
};
constexpr int SCHEMA_STRING_FIELDS = 26;
// Capacities, the terminating NUL included.
constexpr size_t FIELD_LONG = 128;
constexpr size_t FIELD_SHORT = 32;

// Sheet-size codes 0..9: "A " "B " "C " "D " "E " "A4 " "A3 " "A2 " "A1 " "A0 ".
constexpr int SHEET_SIZE_COUNT = 10;

// --- the document ----------------------------------------------------------------------
struct Schema {
    int8_t type = SCHEMA_ITEM;
    uint32_t state = STATE_NEW;   // 1 at creation and after a binary read
    Sheet* sheet = nullptr;       // root sheet, owned; null only before a document is built
    Library* library = nullptr;   // own library ("$ACTIVE$"), owned
    Sheet* current = nullptr;     // the sheet being edited; not owned
    Vectors* border = nullptr;    // sheet outline or frame, owned
    Vectors* border2 = nullptr;   // second border set, owned (built elsewhere)
    Stroke* border_text[2] = {};  // two border text layouts, owned
    List* ports = nullptr;        // owned Port records (the sheet's interface), may be null
    // identification strings 1..7 ('f' section of the schema file)
    char docnumber[FIELD_LONG] = {};
    char revcode[FIELD_SHORT] = {};
    char title[FIELD_LONG] = {};
    char companyname[FIELD_LONG] = {};
    char companyaddr1[FIELD_LONG] = {};
    char companyaddr2[FIELD_LONG] = {};
    char companyaddr3[FIELD_LONG] = {};
    // The stored byte is kept as read; tables are indexed through
    // sheet_size_index, which takes a code outside 0..9 as 0.
    int8_t sheet_size = 0;
    uint8_t ansi_grid = 0;     // TEMPLATE_ANSI_GRID at creation
    uint8_t ansi_title = 0;    // TEMPLATE_ANSI_TITLE at creation
    List* erc_list = nullptr;  // owned ERC marks of the last check, may be null
    // identification strings 8..26 ('h' section)
    char filename[FIELD_LONG] = {};
    char companyaddr4[FIELD_LONG] = {};
    char companyaddr5[FIELD_LONG] = {};
    char creatdate[FIELD_SHORT] = {};
    char modifdate[FIELD_SHORT] = {};
    char firstname[FIELD_LONG] = {};
    char lastname[FIELD_LONG] = {};
    char folio[FIELD_SHORT] = {};
    char nbfolio[FIELD_SHORT] = {};
    char user[10][FIELD_LONG] = {};
    TitleBlock titleblock;             // embedded (code 21); its two lists are owned
    List* fonts = nullptr;             // owned document fonts, may be null
    char erc_report[FIELD_LONG] = {};  // ERC report name
    uint8_t modified = 0;              // schema_set_modified / _clear_ / _is_ (document layer)
    uint8_t flag2 = 0;                 // tested and cleared by the application shell
    View view;                         // embedded
    EditState edit;  // the sheet editor's; created empty, released with the schema

    Schema() = default;
    Schema(const Schema&) = delete;
    Schema& operator=(const Schema&) = delete;
};

// The buffer of identification string 1..26, null for any other number.
char* schema_field(Schema* schema, int number);
const char* schema_field(const Schema* schema, int number);
// Its capacity (NUL included), 0 for a number outside 1..26.
size_t schema_field_capacity(int number);
// Bounded copy into string 1..26: a longer text is cut at the capacity
// (never in the middle of a UTF-8 sequence); a null text stores "". False
// for a number outside 1..26 or when the text had to be cut.
bool schema_set_field(Schema* schema, int number, const char* text);
// Bounded copy of a text into a fixed field of `capacity` bytes (the same
// cutting rule); false when cut.
bool copy_field(char* field, size_t capacity, const char* text);

// 0..9 as given; any other code 0.
int sheet_size_index(int code);
// The name of a size code with its trailing blank ("A4 "); code 0's name for
// a code outside 0..9.
const char* sheet_size_name(int code);

// --- life ----------------------------------------------------------------------------------
// A new record with the creation defaults (sheet size and ANSI options from
// the properties, dates "XXXXXX", the view reset, the title block's lists
// made, everything else empty); null when memory runs out. Installs the
// document's view hooks (view.h).
Schema* new_Schema();
// Releases everything the schema owns and, unless keep_storage, the record.
// Returns keep_storage.
bool free_Schema(Schema* schema, bool keep_storage);
// Releases the ERC list with its marks and clears it.
void schema_free_erclist(Schema* schema);
// Releases the font list and clears it.
void schema_free_fonts(Schema* schema);

// --- whole-document walks ---------------------------------------------------------------
// {x, y, w, h} over the root sheet's items (temporaries skipped), the ERC
// marks, the ports and the title block; false when there is nothing.
bool bounds_Schema(Schema* schema, Rect* rect);
// Applies the top of the flag-operation stack to the ERC marks, the ports,
// the root sheet (its state and every item) and every font record.
void flag_Schema(Schema* schema);
// Selection-area test over the ERC marks, the ports and the root sheet with
// the schema's view; true when any item was marked.
bool select_Schema(Schema* schema, uint32_t bit, int operation, uint32_t mask);
// The schema's sheet-size code as stored, or property SHEET_SIZE without a schema.
int schema_sheet_size(const Schema* schema);
// Refreshes a text bound to a field: fields 1..26 take the identification
// string, 27 the sheet-size name ("<Size>" with the template flag). A field
// below 1 or above 27 leaves the text unchanged; so does an equal string
// (no new layout).
void text_fill_field(Schema* schema, Text* text, bool template_mode);
// Sheet width and height in world units for the sheet size (properties
// SIZE_SHEETW / SIZE_SHEETH x 10).
Point schema_sheet_extent(const Schema* schema);
// Rebuilds the border outline as one rectangle of the sheet size.
void schema_build_outline(Schema* schema);
// Rebuilds the border outline as a frame with zone ticks (and releases the
// second border set and both border text layouts).
void schema_build_frame(Schema* schema);
// The first placed part (code 10) of an item list, or null.
SchItem* list_first_part(List* items);
// The library part of the first placed part of the root sheet (in a library
// document: the part being edited), or null.
struct Part;
Part* schema_get_edit_part(Schema* schema);

// The view hooks of the document layer (bounds, sheet size, view); every
// new_Schema installs them.
void schema_install_view_hooks();
