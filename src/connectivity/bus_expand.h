#pragma once
// Bus expansion (phase 11 of the net builder).
//
// A bus line carries no net of its own. It is named by range labels on its
// lines: a base name followed by a bracketed range, "D[0..7]". Its member
// nets are ordinary nets named base plus index ("D0" .. "D7") by labels on
// wires. For every port of the sheet and every port of every sub-sheet box,
// the bus that starts at the port (every bus line reachable end to end from
// it) is collected with its range labels, and every member net found on the
// sheet gets the alias "@" base "//" index for every range label of the bus.
// The hierarchy link merges nets of different sheets by such shared names.
//
// A range written high to low ("D[7..0]") names the same members as the
// forward one, in its own order.
//
// Warnings go through the net warning hook: a bus at a port without a range
// label, and range labels of one bus that disagree (the first label's range
// is used).
#include <cstdint>
#include <string>

struct Ident;
struct List;
struct NetContext;
struct Port;
struct Schema;
struct Text;

// Splits "base[lo..hi]": false when the text has no '[', no ']' or no "..",
// or the text from the first '[' on does not read as "[%d..%d]" (numbers
// outside the 32-bit range do not read); the base may be empty. lo and hi are
// as written: lo is above hi in a range written high to low.
bool parse_bus_range(const std::string& text, std::string* base, int32_t* lo, int32_t* hi);
// parse_bus_range of a port's name.
bool port_bus_range(const Port* port, std::string* base, int32_t* lo, int32_t* hi);
// A label text naming a bus: a range with a non-empty base.
bool is_range_label(const Text* text);
// The first head of the islands list with a name equal ignoring case (any
// kind); null when none.
Ident* find_net_by_name(NetContext* context, const char* name);
// The alias of member `index` of the bus `base`: "@base//index".
std::string bus_alias_name(const std::string& base, int32_t index);

// Expands the buses at the given ports (the schema's module ports) and at
// every port of every sub-sheet box of the context's sheet.
void expand_buses(NetContext* context, List* ports);
