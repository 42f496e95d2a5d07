#pragma once
// What the net tests share: sheets written in the ASCII source form and
// compiled, with a small library of parts; builds with the shipped phases
// or with the literal ones (net_oracle.h); a text picture of the nets and
// of the sheet's records to compare builds; the warnings a build gave.
//
// Library parts (placed at x, y without rotation):
//   'R'   horizontal, pin 1 tip at (x - 3000, y), pin 2 tip at (x + 5000, y),
//         inner ends at (x, y) and (x + 2000, y)
//   'VR'  vertical, pin 1 tip at (x, y - 3000), pin 2 tip at (x, y + 5000)
//   'IC'  input A tip at (x - 3000, y + 1000), output Y tip at
//         (x + 5000, y + 1000), power pin VCC at (x + 1000, y)
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "model/documents/schema.h"

namespace net_test {

struct SchemaFree {
    void operator()(Schema* schema) const { free_Schema(schema, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

struct ContextFree {
    Schema* schema = nullptr;
    void operator()(NetContext* context) const { free_NetContext(schema, context); }
};
using ContextPtr = std::unique_ptr<NetContext, ContextFree>;

// --- source pieces ---------------------------------------------------------------------
std::string wire(int x1, int y1, int x2, int y2);
std::string bus(int x1, int y1, int x2, int y2);
std::string drawn(int x1, int y1, int x2, int y2);
std::string arc(int sx, int sy, int ex, int ey, int cx, int cy);
std::string label(int x, int y, const std::string& text);
std::string text(int x, int y, const std::string& text);
std::string junction(int x, int y);
std::string nocon(int x, int y);
// rotation: "" or ROT_90 / ROT_180 / ROT_270
std::string power(int x, int y, const std::string& name, const std::string& rotation = "");
std::string part(const std::string& name, int x, int y, const std::string& reference,
                 const std::string& rotation = "NO_ROT");
std::string sheet_port(int x, int y, const std::string& name, bool right = false);
// A sub-sheet box at (x, y) with ports "name@dx,dy" given as (dx, name) on
// its left (dx 0) or right side (dx = width).
std::string subsheet(int x, int y, const std::string& ports_source);
std::string box_port(int dx, int dy, const std::string& name);
std::string netprop(int x, int y, const std::string& name, int track_width);

// A whole schematic source: ports, sheet items, and the test library.
std::string schematic(const std::string& items, const std::string& ports = "");
// Compiles it; fails the test (and answers null) on a compile error.
SchemaPtr compile(const std::string& source);
SchemaPtr compile_sheet(const std::string& items, const std::string& ports = "");

// --- builds ------------------------------------------------------------------------------
// Builds with build_sheet_nets; the result code in *result.
ContextPtr build(Schema* schema, int* result = nullptr);
// Builds the plain way (net_oracle.h).
ContextPtr build_plain(Schema* schema, int* result = nullptr);

// One line per net: "names [kind:name ...] pref NAME prop P members [what@x,y ...] wires N".
std::string describe_nets(const NetContext* context);
// describe_nets, then one line per sheet record (code, state, geometry,
// chain links as list indexes, a member's stub and targets).
std::string describe_build(const NetContext* context, const Schema* schema);
// The names of the net holding a member at the point, as in describe_nets;
// "" when no net has one there.
std::string net_at(const NetContext* context, int x, int y);
// Number of heads.
int net_count(const NetContext* context);

// Warnings given through the hook since the fixture started.
class NetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static std::string& warnings();
};

}  // namespace net_test
