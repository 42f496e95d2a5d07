#pragma once
// The working record of one library-source parse and the builders its
// grammar calls (sdt2sc.y). Every record made is hung on an owner at once:
// the library (prefixes, entries and, through them, parts), the part under
// construction (one reference held here), or the pending lists below until
// a body takes them; after any failure sdt2sc_release frees what no owner
// took.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/geometry.h"
#include "model/items/item.h"

struct Library;
struct Part;
struct Pin;
struct PinList;
struct Vectors;

using Sdt2scReport = void (*)(const char* format, ...);

struct Sdt2scContext {
    // --- input ------------------------------------------------------------------------
    FILE* file = nullptr;   // the source stream, or
    std::string_view text;  // the source text (when file is null)
    size_t text_at = 0;
    bool read_failed = false;
    int line = 1;
    size_t read(char* buffer, size_t max);
    // Texts of STRING tokens; the parser values hold their indexes.
    std::vector<std::string> strings;
    int keep(std::string text);
    const char* string(int index) const;

    // --- what is built -------------------------------------------------------------------
    Library* library = nullptr;     // not owned: the caller's
    Part* part = nullptr;           // the part under construction; one reference held
    Pin* pin = nullptr;             // the pin being read, owned until its list takes it
    int device = 0;                 // the device the next pin number is for
    bool numbered = true;           // false: the part's pins have no numbers
    Vectors* definition = nullptr;  // the vector definition receiving items (pending)
    std::vector<PinList*> pending_pins;
    std::vector<Vectors*> pending_vectors;

    Sdt2scReport report = nullptr;  // where sdt2sc_error writes; none: the log
};

// A body of a part as the grammar returns it.
struct Sdt2scBody {
    PinList* pins;
    Vectors* vectors;
};

// Builders: 0, or 1 for a value the native records cannot hold (the parse
// then stops as on a syntax error). A header with 0 devices makes a part of
// one device whose pins take no number.
// The library under construction, named after the source file.
Library* sdt2sc_new_library(const char* name);
int sdt2sc_add_prefix(Sdt2scContext* ctx, const char* prefix, const char* expansion);
void sdt2sc_new_part(Sdt2scContext* ctx);
void sdt2sc_add_entry(Sdt2scContext* ctx, const char* name, const char* sheet_path);
void sdt2sc_reference(Sdt2scContext* ctx, const char* prefix);
int sdt2sc_header(Sdt2scContext* ctx, int width, int height, int type, int devices);
void sdt2sc_set_bodies(Sdt2scContext* ctx, Sdt2scBody normal, Sdt2scBody convert);
Vectors* sdt2sc_vector_def(Sdt2scContext* ctx);
Vectors* sdt2sc_vector_ref_normal(Sdt2scContext* ctx, const char* name);
Vectors* sdt2sc_vector_ref_convert(Sdt2scContext* ctx, const char* name);
void sdt2sc_add_item(Sdt2scContext* ctx, Item* item);
int sdt2sc_line(Sdt2scContext* ctx, Point a, Point b);
int sdt2sc_arc(Sdt2scContext* ctx, Point centre, Point start, Point end);
int sdt2sc_circle(Sdt2scContext* ctx, Point centre, double radius);
int sdt2sc_fill(Sdt2scContext* ctx, Point seed);
int sdt2sc_text(Sdt2scContext* ctx, Point at, double width, const char* string, int font);
int sdt2sc_pin_start(Sdt2scContext* ctx, int side, int offset);
int sdt2sc_pin_number(Sdt2scContext* ctx, const char* number);
void sdt2sc_pin_flag(Sdt2scContext* ctx, int flag);
Pin* sdt2sc_pin_name(Sdt2scContext* ctx, int type, const char* name);
PinList* sdt2sc_pin_append(Sdt2scContext* ctx, PinList* list, Pin* pin);
// A coordinate of the source in native units (x 1000, truncated toward
// zero): false when it does not fit 32 bits.
bool sdt2sc_scale(double value, int32_t* out);
// Frees the pending records and drops the part reference.
void sdt2sc_release(Sdt2scContext* ctx);
// "sdt2sc : Error : %s at line %d\n" through the report.
void sdt2sc_error(Sdt2scContext* ctx, const char* message);
