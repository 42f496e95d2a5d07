#pragma once
// Linking a hierarchy of net files into one set of nets.
//
// The root's net file is read into a schema and a NetContext; in link mode
// the net files of its sub-sheets (and of the sheets a "&PROJ:" text names)
// are read in turn, depth first (a walk kept on the heap: a hierarchy of any
// depth needs no stack per level), and their nets merged into the root's
// by shared names. Local names carry their sheet's "__N" suffix, so only
// global names (ports, power symbols, power pins, sub-sheet ports, bus
// aliases) join nets of different sheets.
//
// Sheets are linked by their file names in the project directory; a file
// that is being linked further up is not read again (a sheet that uses
// itself, directly or further down, would be read without end): that is
// an error, and so is a sub-sheet whose net file is missing or damaged.
// Both leave the other sheets linked and end the link with 67.
#include <cstdio>
#include <vector>

struct List;
struct NetContext;
struct Schema;
struct SchItem;
struct Sheet;

// `link_netlist` modes.
constexpr int LINK_READ_ONLY = 0;
constexpr int LINK_HIERARCHY = 1;
// The link went through, but some sheet could not be linked.
constexpr int PARTIAL_LINK = 67;

// Reads the root's net file (the name completed for net files) into the
// schema (its library, current sheet and ports) and the context's islands;
// in LINK_HIERARCHY mode then links every sub-sheet. 0; 1 when the root's
// file cannot be opened; 66, 76, 1001 or an object reader's code when it
// is damaged; PARTIAL_LINK when a sub-sheet failed (each one is named in a
// warning). In LINK_HIERARCHY mode a net file older than its sheet is not
// read: it is named as one that failed (the root's ends the link with
// PARTIAL_LINK).
// What a link read, for a writer that would otherwise walk the whole sheet,
// net members and all, for its parts: the objects of the root's file in
// list order. Kept only where they are every item of `sheet` but the
// members (a link into a sheet that had no items, where no sub-sheet added
// items after the root's); else `sheet` stays null.
struct LinkedObjects {
    const Sheet* sheet = nullptr;  // not owned
    std::vector<SchItem*> items;   // not owned
};
int link_netlist(NetContext* context, Schema* schema, const char* root_name, int mode,
                 LinkedObjects* objects = nullptr);
// For a text starting with "&PROJ:" (any case): appends one NameRec of kind
// -1 per non-empty comma-separated piece of the rest, blanks dropped.
void add_proj_names(List* list, const char* text);
// Links the sheets of a project list (NameRec: base file name, kind the
// sub-sheet number or -1 for a "&PROJ:" name) in order; frees the list.
// 0, or PARTIAL_LINK when one of them (or one further down) failed.
int link_subsheets(NetContext* context, Schema* schema, List* list);
// Reads one sub-sheet's net file and merges its nets into the context's
// islands; in mode 1 then links the sheets it names. 0, 1 (not opened), 66,
// 76, 1001, an object reader's code, or PARTIAL_LINK from further down.
int load_subsheet_nets(NetContext* context, Schema* schema, const char* name, int mode);
// Merges each net of the loaded sub-sheet into the islands that share one
// of its names (any kind, ignoring case), else appends it; then moves the
// loaded items and ports to the schema's current sheet and port list.
void merge_nets_by_name(NetContext* context, Schema* schema);
