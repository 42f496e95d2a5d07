#pragma once
// The paste file: copy and paste between documents and program instances go
// through one private file, "tn$_tmp.#01" in the current directory. Copy
// writes the selection of the active editor (the edit list of the
// document's edit state) into it in the binary record forms of the native
// files; paste reads it back into the document's paste list, from which the
// editor inserts selected copies. One kind per editor:
//
//   0 PASTE_SCHEMA       sheet selection      (sheet editor)
//   1 PASTE_TITLEBLOCK   title-block items    (title-block editor)
//   2 PASTE_LIBRARY      picked part pieces   (library editor)
//
// These numbers are the paste file's own (get_file_kind numbers differ).
//
// File: '@', the header "Tessaron V2.02  -- 12/21/95  * Paste File (<word>)"
// with its NUL (the word "Schema", "Title Block" or "Library"), 0x1A, then
// the body of the kind:
//   0: the 'f' and 'h' identification blocks; [0xCB sheet, selected items];
//      [ports 0xCE..., 0xE0]; [the own library, selected entries];
//      [the 'i' title block]; [fonts 'k' used by selected texts]; the 'l'
//      reference records of the selection, 0xE0.
//   1: ['i' title block]; ['k' fonts]; the 'l' reference records, 0xE0.
//   2: the link record (0xD4) of the picked pieces and its placed part
//      (0xCA); [0xCB sheet]; [the own library]; [0x20 and the references
//      of the picked graphics]; [0x1C and the references of the picked
//      pins]; 0xE0.
//
// Readers compare the header with the kind they were asked for, read into a
// scratch document, resolve the references and hand over records with fresh
// object ids, so that pasted records never share an id with records of the
// document. Results are codes of the error table: 0; 1 the file cannot be
// opened; PASTE_BAD_HEADER (8) for a file that is not a paste file of that
// kind; PASTE_PREMATURE_END (69) for a file cut short; READ_ERROR (5) for a
// damaged record or a reference that resolves to nothing (the resolved ones
// are pasted, the others skipped).
#include <cstdint>
#include <cstdio>
#include <string>

struct Schema;

enum : int {
    PASTE_SCHEMA = 0,
    PASTE_TITLEBLOCK = 1,
    PASTE_LIBRARY = 2,
};

// The paste file's name, in the current directory.
constexpr const char* PASTE_FILE_NAME = "tn$_tmp.#01";
// Its header text's format: version, date and the kind word.
constexpr const char* PASTE_HEADER_FORMAT = "Tessaron V%s -- %s  * Paste File (%s)";

constexpr int PASTE_CANNOT_OPEN = 1;     // "Cannot open file for reading"
constexpr int PASTE_BAD_HEADER = 8;      // "Syntax error in file"
constexpr int PASTE_PREMATURE_END = 69;  // "Premature EOF"
constexpr int PASTE_NOTHING = 73;        // "No Items in the Window": nothing to write

// The header text of a kind; empty for a kind outside 0..2.
std::string paste_header(int kind);

// --- writing --------------------------------------------------------------------------
// Each writes the document's selection (its edit list) into the paste file
// through a temporary file renamed over it, and answers the file name, or
// null when the file could not be written. write_paste_library writes only
// when the selection is exactly one link record of picked part pieces.
// The selection marks (state bit 0x8000) are left on the written records.
const char* write_paste_schema(Schema* schema);
const char* write_paste_titleblock(Schema* schema);
const char* write_paste_library(Schema* schema);

// The file form behind them, on an open stream: header and body of the
// kind. 0; PASTE_NOTHING for a kind outside 0..2 or, for kind 2, a
// selection that is not one link of picked part pieces (nothing written);
// the code of a library part that could not be written (the file is then
// incomplete and must not be kept).
int write_paste_file(Schema* schema, int kind, FILE* stream);

// --- reading ----------------------------------------------------------------------------
// Each reads a paste file of the kind it accepts (schema: 0; library: 2;
// title block: 0 or 1; another kind answers 0 at once, doing nothing) into
// the document's paste list. See the results above.
int read_paste_schema(Schema* doc, const char* file_name, int kind);
int read_paste_library(Schema* doc, const char* file_name, int kind);
int read_paste_titleblock(Schema* doc, const char* file_name, int kind);

// The two halves of read_paste_schema, for a caller that looks at what the
// file holds before anything of its document changes. The first reads the
// file into a new scratch document (*scratch, released with
// free_paste_scratch; null unless the result is 0). The second hands the
// scratch document's selection to the document's paste list as
// read_paste_schema does (fonts and library entries merged, copies with
// fresh ids); the scratch document stays the caller's.
int read_paste_scratch(const char* file_name, int kind, Schema** scratch);
int paste_scratch_schema(Schema* doc, Schema* scratch);

// Reads the header and body of a kind into a scratch document (made by
// new_active_schema): its records, and its paste list holding the
// selection (the records themselves, not copies). Results as above.
// Release the scratch document with free_paste_scratch.
int read_paste_body(Schema* scratch, int kind, FILE* stream);
// Frees a scratch document read by read_paste_body: its paste list names
// records the document owns elsewhere (free_Schema would free them twice).
void free_paste_scratch(Schema* scratch);

// Asks whether to replace the document's title block; when confirmed, a
// new title block takes over the scratch document's embedded title block
// with its two lists (the scratch gets new empty lists) and is appended to
// the document's paste list. True when pasted. The document's own title
// block stays as it is: placing the pasted one replaces it (the sheet
// editor's place, whose undo copy holds the old one).
bool paste_titleblock(Schema* doc, Schema* scratch);
