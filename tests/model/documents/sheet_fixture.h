#pragma once
// What the schema, sheet item and title-block tests share: documents that
// free themselves, a sheet holding one item of every kind and a title block
// (streams and golden files are record_io's).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/documents/owners.h"
#include "model/documents/record_io.h"
#include "model/documents/schema.h"

struct Font;
struct List;
struct Part;

namespace sheet_test {

using namespace record_io;

// Golden files of these tests live in tests/data/model/documents/sheet.
inline std::string sheet_golden(const std::string& name) { return "sheet/" + name; }

// Compiles a source text in a mode of compil.h with the syntax-only
// builder, its messages dropped; 0 when the grammar accepts it.
int compile_source(const std::string& source, int mode);

using SchemaPtr = Owner<Schema>;

// A document as the document layer makes it: root sheet (also the current
// one) and an empty own library "$ACTIVE$".
SchemaPtr make_schema();
// A two-device part with an input pin, an output pin and a power pin, and a
// rectangle body, entered in the schema's own library under `name`.
Part* add_library_part(Schema* schema, const char* name);
// Appends to the root sheet one item of every kind a sheet holds (fill,
// circle, rectangle, wire, bus, drawn line, arc, label, junction, polyline,
// placed part, power, no-connect, port, sub-sheet box with a port, ERC
// mark, net-property label, image), always the same.
void add_every_kind(Schema* schema);
// The title block of the golden files: three controls and a drawing of a
// frame, a fill and a free text.
void add_titleblock(Schema* schema);

// A font record of 10 points appended to a font table (made when absent).
Font* add_font(List** table, int number, const char* face);

// Configuration at its defaults, headless services, stable object ids.
class SheetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace sheet_test
