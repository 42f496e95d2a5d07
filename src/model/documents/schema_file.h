#pragma once
// The binary schema file and the "(SCHEMATIC" source writer: one file
// holds one schema record (schema.h) with everything it owns.
//
// File layout (big-endian integers, strings end with NUL):
//   '@', "Tessaron V2.02  -- 12/21/95  * Schema File", 0x1A   header (optional on read)
//   0xD1                                                     schema record
//   'b', bounds {x, y, w, h}                                 (optional on read, ignored)
//   [0xCE port ... 0xE0]                                     interface ports
//   [0xCB sheet items ... 0xE0]                              root sheet
//   [library file with its own header, through 'p']         own library
//   then, in any order and number (the last occurrence wins):
//   0x60 tags, 'd' saved views, 'f' section, 'h' section,
//   0xA8 + ERC report name, 'i' title block (embedded form),
//   'k' fonts, 's' ERC marks ... 0xE0
//   0xE0                                                     end of the file
// 'f': DOCNUMBER, REVCODE, TITLE, COMPANYNAME, COMPANYADDR1..3, then the
//      bytes sheet size, ANSI grid, ANSI title.
// 'h': FILENAME, COMPANYADDR4, COMPANYADDR5, CREATDATE, MODIFDATE,
//      FIRSTNAME, LASTNAME, FOLIO, NBFOLIO, USER1..USER10.
#include <cstdint>
#include <cstdio>

struct Schema;

constexpr const char* SCHEMA_HEADER_FORMAT = "Tessaron V%s -- %s  * Schema File";
constexpr uint8_t SCHEMA_TAG = 0xD1;  // item_tag(SCHEMA_ITEM)
constexpr uint8_t SCHEMA_BOUNDS_TAG = 'b';
constexpr uint8_t SCHEMA_FIELDS_TAG = 'f';   // identification strings 1..7, sheet options
constexpr uint8_t SCHEMA_FIELDS2_TAG = 'h';  // identification strings 8..26
constexpr uint8_t SCHEMA_ERC_REPORT_TAG = 0xA8;
constexpr uint8_t SCHEMA_ERC_LIST_TAG = 's';

// The header text of the schema file.
const char* schema_file_header();

// Writes the whole file (header to the final 0xE0). Items, ports and ERC
// marks pass through the filter mask (0 every record; 0x4000 the window
// save; 0x8000 the selection); the ports section is left out when no port
// passes, the 's' section when the ERC list is empty. MODIFDATE becomes
// today's date first. Returns 0, or the code of a library part that could
// not be loaded for writing (the file is then incomplete: the caller must
// not commit it).
int write_Schema(Schema* schema, FILE* stream, uint32_t mask);

// Reads a schema file into a schema made by new_active_schema (document.h).
// Results: 0; NOT_MY_TAG (1001, byte pushed back) when the stream holds no
// schema record; -1 when the file ends early (also inside the tail
// sections, or before the final 0xE0); READ_ERROR (5) for a damaged record,
// a ports section or ERC list holding other records, or a byte other than
// 0xE0 where the record ends (bytes after that 0xE0 are not read); an item,
// library or font reader's code (76 or 77 for a library whose body
// references cannot be resolved: the rest is still read). The schema keeps
// what was read before a failure (the caller frees it). Records keep the
// object ids they were stored with. Strings longer than their field are cut
// to its capacity. A CREATDATE or MODIFDATE that is no date ("XXXXXX")
// becomes today's date.
int read_Schema(Schema* schema, FILE* stream);

// The identification sections: 'f' (DOCNUMBER .. COMPANYADDR3, sheet size,
// ANSI grid, ANSI title) and 'h' (FILENAME .. USER10). The readers take
// their tag (NOT_MY_TAG, byte pushed back, for another byte), cut strings to
// their field's capacity and return -1 on a short read.
int read_fields_section(Schema* schema, FILE* stream);
int read_fields2_section(Schema* schema, FILE* stream);
// Writes both sections, 'f' then 'h'.
void write_fields_sections(Schema* schema, FILE* stream);

// A library record that replaces the document's own library (schema files
// and the paste file carry it). NOT_MY_TAG when none follows; 76 or 77 when
// a body reference of a part could not be resolved (the record was read
// whole, so the stream is in step and the caller may go on); on any failure
// the document keeps its library.
int read_own_library(Schema* schema, FILE* stream);

// The "(SCHEMATIC" source at an indentation level. 0, or the code of a
// library part that could not be loaded for writing (the text is then
// incomplete).
int awrite_Schema(Schema* schema, FILE* stream, int level);
