#pragma once
// Net identifiers (code 19, IDENT_ITEM) and pseudo-pins (code 20,
// PSEUDO_PIN): the records of connectivity.
//
// A net identifier is the head of one island of connected wires, later of
// one net: `next` is the first wire or arc of the island's chain (continued
// through the wires' own `next`), `nextconn` the first member pseudo-pin
// (members chained through their prev/next, the first member's `prev` being
// the head). A head owns its names, its name and its net property. It has
// no file form of its own (the net file writes it as a net record).
//
// A pseudo-pin record (code 20) serves two uses, told apart by `role`:
//
//  - PP_NET_MEMBER: one connection point of a net. It stands for a pin of
//    the placed part `father` (then `pin` is that pin and `whoami` is null),
//    for a power symbol, a port or a no-connect mark (`whoami` that item,
//    `father` null), or for a port of the sub-sheet `father` (`whoami` the
//    sub-sheet port). `stub` is the wire the net builder laid to it (null for
//    a no-connect mark), or the wire it touches once attached to a net.
//    Made by the net builder (state 0x400: temporary) or the net-file reader.
//
//  - A pick link (PP_LINK_*): an entry of a pick result or of the paste list
//    that stands for something that is not a record of its own. `whoami` is
//    the first target, `father` the second, `index` the third word:
//      PP_LINK_ATTRIBUTE      whoami a text built for the attribute (owned
//                             by the link), father the placed part, index
//                             the attribute index;
//      PP_LINK_SUBSHEET_PORT  whoami the port (not owned), father the box;
//      PP_LINK_RECT           whoami a rectangle of a library document (not
//                             owned), father null;
//      PP_LINK_PART_PIECES    whoami a temporary placed part holding the
//                             picked pieces (owned by the link until the
//                             pick is released or pasted), father the placed
//                             part hit.
//    A link's targets are always records (never a Pin); the routines that
//    follow a first target (anchor, extent, paste) test pp_is_link first, and
//    net code never meets a link. free_PseudoPin releases only the record:
//    what a link owns is undone by the editor's release of a pick entry.
//
// Binary form of a pseudo-pin (big-endian): 0xD4, own id (32), whoami id
// (32: the pin's id for a member standing for a part pin, else the id of
// `whoami`), father id (32). The reader keeps the ids in whoami_id and
// father_id; resolving them is the reader's caller's. A target not resolved
// (null) is written with the id held for it (0 for a new record), so that a
// record read and written again is unchanged.
// The role is not stored: a record read stays PP_NET_MEMBER until its reader
// (the paste file) says otherwise.
#include <cstdint>
#include <cstdio>

#include "foundation/heap.h"
#include "foundation/short_string.h"
#include "model/items/item.h"

struct List;
struct NetProp;
struct Pin;
struct PseudoPin;

constexpr uint8_t PSEUDO_PIN_TAG = 0xD4;

// --- name records
// --------------------------------------------------------------- Kinds of a
// net name; bus aliases and project names carry kinds of their own.
enum : int32_t {
    NAME_PIN = 6,     // a power pin's name
    NAME_LABEL = 7,   // a net label
    NAME_POWER = 12,  // a power symbol's name
    NAME_PORT = 14,   // a port's or a sub-sheet port's name
};

// A net builds one for each name it carries: a sheet of a million parts
// makes a million, from the pool's chunks rather than one by one.
struct NameRec : PoolRecord {
    int32_t kind = 0;
    char* name = nullptr;  // owned (malloc'd); null for none
};

// Kind 0, no name; null when memory runs out.
NameRec* new_NameRec();
// Frees the name and, unless keep_storage, the record.
void free_NameRec(NameRec* rec, bool keep_storage);
// A new record with its own copy of the name.
NameRec* copy_NameRec(const NameRec* rec);

// --- net identifiers
// ------------------------------------------------------------
struct Ident : SchItem {
    SchItem* prevconn = nullptr;    // always null (the net builder checks it)
    PseudoPin* nextconn = nullptr;  // first member; not owned
    List* names = nullptr;          // owned list of owned NameRec*, null for none
    ShortString name;               // the chosen net name, "" until formatted
    NetProp* netprop = nullptr;     // owned net property, or null
};
// State bits of a head.
enum : uint32_t {
    IDENT_TWO_MEMBERS = 0x0002,   // at least two real members
    IDENT_MERGE_SET = 0x1000000,  // taken into the island set being merged
};

Ident* as_Ident(SchItem* item);
const Ident* as_Ident(const SchItem* item);

// The routines of both kinds act only on their own code: given a record of
// another code they do nothing (free answers that code, 0 for their own).
Ident* new_Ident();
int free_Ident(SchItem* item, bool keep_storage);
void matrix_Ident(SchItem* item, const Matrix* matrix);
bool bounds_Ident(Schema* doc, SchItem* item, Rect* rect, bool accumulate);
void flag_Ident(SchItem* item);
double distance_Ident(Schema* doc, SchItem* item, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit);
bool select_Ident(Schema* doc, View* view, SchItem* item, uint32_t bit, int operation,
                  uint32_t mask);
// A deep copy: its own names, name and net property; chain links and object
// id cleared. Null for another code or when memory runs out.
Ident* copy_Ident(const SchItem* item);
// Appends a name record of that kind with a copy of the name; false when
// memory runs out.
bool ident_add_name(Ident* head, int32_t kind, const char* name);

// --- pseudo-pins
// -----------------------------------------------------------------
enum : uint8_t {
    PP_NET_MEMBER = 0,
    PP_LINK_ATTRIBUTE = 1,
    PP_LINK_SUBSHEET_PORT = 2,
    PP_LINK_RECT = 3,
    PP_LINK_PART_PIECES = 4,
};

// The small fields share one word, so that a record (one per connection
// point of a sheet) takes 88 bytes rather than 96.
struct PseudoPin : SchItem {
    uint8_t role = PP_NET_MEMBER;
    int32_t index = 0;          // a link's third word (attribute index)
    SchItem* whoami = nullptr;  // not owned (a PP_LINK_ATTRIBUTE text or a
                                // PP_LINK_PART_PIECES part excepted, see above)
    Pin* pin = nullptr;         // member of a placed part's pin: the pin; not owned
    SchItem* father = nullptr;  // placed part or sub-sheet box, or null; not owned
    SchItem* stub = nullptr;    // wire; not owned
    uint32_t whoami_id = 0;     // ids as read from a file, until resolved
    uint32_t father_id = 0;
};
static_assert(sizeof(PseudoPin) <= 88);

inline bool pp_is_link(const PseudoPin* pp) { return pp->role != PP_NET_MEMBER; }

PseudoPin* as_PseudoPin(SchItem* item);
const PseudoPin* as_PseudoPin(const SchItem* item);

// Code 20, width 0, state 1, role PP_NET_MEMBER, no links, id 0.
PseudoPin* new_PseudoPin();
int free_PseudoPin(SchItem* item, bool keep_storage);
void matrix_PseudoPin(SchItem* item, const Matrix* matrix);
bool bounds_PseudoPin(Schema* doc, SchItem* item, Rect* rect, bool accumulate);
void flag_PseudoPin(SchItem* item);
double distance_PseudoPin(Schema* doc, SchItem* item, Point p, uint32_t mask, double tolerance,
                          uint32_t hit_bit);
bool select_PseudoPin(Schema* doc, View* view, SchItem* item, uint32_t bit, int operation,
                      uint32_t mask);
// Every field (role, targets, stub, index, read ids); chain links and object
// id cleared. Null for another code or when memory runs out.
PseudoPin* copy_PseudoPin(const SchItem* item);
// 0 with the three ids read; -1 on a short read; NOT_MY_TAG with the byte
// pushed back (the stream unchanged).
int read_PseudoPin(PseudoPin* pp, FILE* stream);
// Gives the record (and its targets) ids when they have none, then writes.
void write_PseudoPin(PseudoPin* pp, FILE* stream);
// The id written for what the pseudo-pin stands for (see the binary form).
uint32_t pseudo_pin_whoami_id(PseudoPin* pp);
