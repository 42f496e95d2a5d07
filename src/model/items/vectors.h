#pragma once
// Vector sets: the reference-counted item lists that draw a part body (its
// normal and converted forms), a sheet border, the symbols of powers, ports
// and sub-sheets and similar generated drawings.
//
// A set either holds its own items (DEFINE_VEC) or, as read from a file,
// stands for the normal or converted body of another part named in it
// (NORMALOF_VEC, CONVERTOF_VEC); the library resolves such references
// after reading. Owners that share a set hold it through ref_Vectors and
// unref_Vectors; the last unref frees it.
//
// Write-once sharing: the writers take the mode and the name of the part
// being written. After a DEFINE_VEC set has been written in full it
// remembers that mode and name (shared_mode, shared_name), and every later
// write of the same set writes only the reference "the <mode> body of
// <name>". The set's own mode never changes by writing: code that tests
// saved_mode never sees a reference that is only a write-time shortcut.
// restore_Vectors forgets the remembered write; writers of a whole file
// restore every set before and after the file (restore_PartVectors for a
// part's two bodies). A set is never written as a reference to the very
// part and form it is being written for.
//
// Binary form: ' ' and then '!' + every item (write_Item, mask 0) + 0xE0,
// or 0x22 + name + NUL (normal body of the named part), or '#' + name + NUL
// (converted body).
// ASCII form at level L: "(VECTOR " + items at L+1 + ")", or one line
// "(NORMALVECTOROF 'name' )" / "(CONVERTVECTOROF 'name' )".
#include <cstdint>
#include <cstdio>

#include "foundation/geometry.h"
#include "foundation/matrix.h"
#include "foundation/short_string.h"

struct List;
struct Schema;
struct View;

enum VectorsMode : uint8_t {
    DEFINE_VEC = 0,     // the set holds its items
    NORMALOF_VEC = 1,   // the normal body of the named part
    CONVERTOF_VEC = 2,  // the converted body of the named part
};

// Binary tags.
constexpr uint8_t VECTORS_TAG = ' ';
constexpr uint8_t VECTORS_DEFINE_TAG = '!';
constexpr uint8_t VECTORS_NORMALOF_TAG = 0x22;
constexpr uint8_t VECTORS_CONVERTOF_TAG = '#';

struct Vectors {
    List* items = nullptr;         // owned items (codes 2..7); empty for a reference
    uint32_t state = 1;            // flag word; 1 at creation and after reading
    int32_t refs = 0;              // holders (ref_Vectors / unref_Vectors)
    uint8_t saved_mode = DEFINE_VEC;
    ShortString name;              // referenced part; "" for DEFINE_VEC
    // Write-once sharing: how the set is written again in the file being
    // written (DEFINE_VEC: in full). Never read from a file.
    uint8_t shared_mode = DEFINE_VEC;
    ShortString shared_name;
};

// New empty DEFINE_VEC set (state 1, no holders); null when memory runs out.
Vectors* new_Vectors();
// Null is ignored. A set that still has holders is left whole (debug
// warning "free_Vectors: ref count!=0"). Otherwise frees every item, the
// list, the names and, unless keep_storage, the record.
void free_Vectors(Vectors* set, bool keep_storage = false);
void ref_Vectors(Vectors* set);
// One holder less; the set is freed when none is left.
void unref_Vectors(Vectors* set);

// Results: 0; NOT_MY_TAG (1001) with the byte pushed back when the next
// byte is not ' '; -1 for a short read or an unknown kind byte (warning
// "read_Vectors: unknown type %d", the byte consumed); READ_ERROR for a
// byte inside an item list that starts no body item (codes 2..7) and is
// not the end mark; an item reader's failure. Items read are appended
// after those already in the set.
int read_Vectors(Vectors* set, FILE* stream);
// mode NORMALOF_VEC or CONVERTOF_VEC and the name of the part being
// written: what a later write of the same set refers to.
void write_Vectors(Vectors* set, FILE* stream, int mode, const char* part_name);
void awrite_Vectors(Vectors* set, FILE* stream, int level, int mode, const char* part_name);
// Forgets the write-once sharing of the file just written (null ignored).
void restore_Vectors(Vectors* set);

// New set holding copies of the items (no holders); a reference not yet
// resolved is copied as the same reference. Null when the set cannot be
// made or `set` is null.
Vectors* dup_Vectors(const Vectors* set);
// matrix_Item on every item; a null set or list is ignored.
void matrix_Vectors(Vectors* set, const Matrix* matrix);
// Union of the items' bounds. Without any item with bounds the rectangle
// is untouched and the accumulate flag is the answer; else the rectangle
// is set (or grown when accumulating) and the answer is true.
bool bounds_Vectors(Schema* doc, Vectors* set, Rect* rect, bool accumulate);
// The top of the flag-operation stack on the set's state and every item.
void flag_Vectors(Vectors* set);
// select_Item on every item; each item it picks is then marked whole
// (bit | 0x000C, operation). True when every item was picked (also for an
// empty set); false for a null set or list.
bool select_Vectors(Schema* doc, View* view, Vectors* set, uint32_t bit, int operation,
                    uint32_t mask);
