#pragma once
// What the schema, sheet item and title-block tests share: streams, golden
// files, documents that free themselves, and a sheet holding one item of
// every kind.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/documents/schema.h"

struct Part;

namespace sheet_test {

using Bytes = std::vector<unsigned char>;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<FILE, FileCloser>;

// A temporary stream holding the bytes, positioned at its start.
StreamPtr stream_of(const Bytes& bytes);
Bytes bytes_written(const std::function<void(FILE*)>& write);
std::string text_written(const std::function<void(FILE*)>& write);
Bytes rest_of(FILE* stream);

// Golden files under tests/data/model/documents/sheet. With
// TN_UPDATE_GOLDEN=1 in the environment the file is (re)written from
// `actual` instead of compared; review the diff before committing it.
void expect_golden(const std::string& name, const Bytes& actual);
inline void expect_golden(const std::string& name, const std::string& actual) {
    expect_golden(name, Bytes(actual.begin(), actual.end()));
}
Bytes golden(const std::string& name);

struct SchemaFree {
    void operator()(Schema* schema) const { free_Schema(schema, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

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

// Configuration at its defaults, headless services, stable object ids.
class SheetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace sheet_test
