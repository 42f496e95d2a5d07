#pragma once
// Conversion of the records of one loaded foreign file into a native
// schema: wires, buses, dashed lines, bus entries, junctions, no-connect
// marks, labels, texts, powers, module ports, sheet symbols with their
// entries, parts (placed from the library named by SDT_LIBFILE, or any
// standard library) and the title fields. Foreign coordinates and lengths
// are multiplied by 100; the grid step is property 1.
//
// Module ports are moved onto the end of the wire that touches them
// (genwind_connect_ports). Bus ranges in label, port and sheet-entry names
// are written in the native form. Texts longer than the native fields (127
// characters, the revision 31) are cut with a warning.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/geometry.h"

struct ForeignFile;
struct ForeignObject;
struct Line;
struct List;
struct Port;
struct Schema;

constexpr int32_t GENWIND_SCALE = 100;
constexpr size_t GENWIND_TEXT_MAX = 127;

// A new schema holding the converted file (ports connected); never null.
// A damaged record that cannot be converted makes the result null instead
// (the warning names it).
Schema* genwind_build_schema(ForeignFile* file);
// Builds the schema and saves it under the output name (asking before an
// existing file is replaced; declining writes nothing and is no failure).
// The output is never written over the file's own input. When `written` is
// given it receives a heap copy of the name written. 0; FILE_NOT_WRITTEN
// when the running job may not replace the file there (file_system.h
// ProjectWrites); else -1 when a record cannot be converted or the file
// cannot be written.
int genwind_convert_file(ForeignFile* file, const char* output, List* written);

// The conversion under way: the schema being built, the running stamp, the
// 16-bit symbol-list cursor and the working lengths of the module ports.
struct GenwindState;
// Converts one record into the state's schema: 0, or -1 when the record is
// damaged (a string that runs past its end).
int genwind_object(GenwindState* state, const ForeignObject* object);
// Moves each module port of non-zero working length onto the line end
// that touches it; warns about ports touched by none or at both ends.
void genwind_connect_ports(GenwindState* state);

// A bus name written the foreign way, "D[15:0]" or "D[15.0]", in the
// native form "D[15..0]"; any other text as it is.
std::string genwind_bus_name(const std::string& text);

// The native time stamp of a 32-bit part's date and time words.
uint32_t genwind_time_stamp(uint32_t date, uint32_t time);
// Whether the line touches the port of that working length: *end 0 at its
// left end, 1 at its right end; *at the touching point.
bool genwind_port_touches_line(const Port* port, int32_t length, const Line* line, Point* at,
                               int* end);
