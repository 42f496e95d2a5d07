#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/compil_actions.h"
#include "model/documents/image.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "support/test_env.h"

namespace {

std::string messages;

void capture(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    messages += text;
}

[[maybe_unused]] std::string error_at(const std::string& what, int line) {
    return "compil : Error : " + what + " at line " + std::to_string(line) + "\n";
}

struct SchemaDeleter {
    void operator()(Schema* s) const { free_Schema(s, false); }
};
struct LibraryDeleter {
    void operator()(Library* l) const { free_Library(l); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaDeleter>;
using LibraryPtr = std::unique_ptr<Library, LibraryDeleter>;

// --- documents around golden pieces ------------------------------------------------------

// Moves every line by `levels` indentation levels (two blanks each).
std::string reindent(const std::string& text, int levels) {
    std::istringstream in(text);
    std::string out, line;
    while (std::getline(in, line)) {
        if (levels >= 0)
            line.insert(0, 2 * levels, ' ');
        else
            line.erase(0, std::min(line.find_first_not_of(' '), size_t(-2 * levels)));
        out += line + "\n";
    }
    return out;
}

std::string golden(const std::string& relative) { return tn_test::read_text(tn_test::data_path(relative)); }

// The writers' frame of a title block holding drawing items at level 1.
std::string in_titleblock(const std::string& items) {
    return "(TITLEBLOCK \n  (IDENTIFICATION \n    (SHEETSIZE 'A ' )\n    (CREATDATE 'XXXXXX' )\n"
           "    (MODIFDATE 'XXXXXX' )\n  )\n" +
           items + ")\n";
}

// One library part (written at level 1) under one name, or a name's
// attributes (level 2) on a part-less... part.
std::string in_library(const std::string& part, const std::string& attributes = "") {
    return "(LIB 'X'\n  (PFXS\n  )\n  (PARTS\n    (LPART\n" + part +
           "      (ALIAS\n        (NAME 'X'\n" + attributes + "        )\n      )\n    )\n  )\n)\n";
}

const std::string minimal_part =
    "      (PART \n        (COMMON\n          (TYPE STANDARD 1)\n          (SIZE 0 0 ) \n        )\n      )\n";

// --- compiling and writing back ----------------------------------------------------------

struct Source {
    const char* name;
    int mode;
    std::function<std::string()> text;
};

std::string decompile(int mode, const std::string& text, std::string* binary) {
    messages.clear();
    if (mode == COMPIL_LIBRARY) {
        Library* raw = nullptr;
        EXPECT_EQ(compile_library_string(text, "src.asc", capture, &raw), 0) << messages;
        LibraryPtr library(raw);
        if (!library) return "";
        reset_object_ids();
        *binary = tn_test::text_written([&](FILE* f) { write_Library(library.get(), f, 0); });
        return tn_test::text_written([&](FILE* f) { awrite_Library(library.get(), f, 0); });
    }
    Schema* raw = nullptr;
    EXPECT_EQ(compile_schema_string(text, mode, capture, nullptr, &raw), 0) << messages;
    SchemaPtr schema(raw);
    if (!schema) return "";
    reset_object_ids();
    *binary = tn_test::text_written([&](FILE* f) {
        write_titleblock_file(schema.get(), &schema->titleblock, f, true);
    });
    return tn_test::text_written([&](FILE* f) { awrite_TitleBlock(schema.get(), f, 0); });
}

class CompilFixpoint : public testing::TestWithParam<Source> {};

// What the writers wrote compiles into records that write the same text;
// two compilations give the same records (byte for byte in binary form).
TEST_P(CompilFixpoint, WritesBackTheSameText) {
    std::string text = GetParam().text();
    std::string binary1, binary2;
    EXPECT_EQ(decompile(GetParam().mode, text, &binary1), text);
    EXPECT_EQ(messages, "");
    decompile(GetParam().mode, text, &binary2);
    EXPECT_FALSE(binary1.empty());
    EXPECT_EQ(binary1, binary2);
}

// Every cut of a document fails cleanly: result 1, one message, and every
// record made so far released (the sanitizer build sees any leak).
TEST_P(CompilFixpoint, EveryPrefixFailsAndReleasesWhatItBuilt) {
    std::string text = GetParam().text();
    size_t complete = text.rfind(')') + 1;
    for (size_t n = 0; n < complete; ++n) {
        messages.clear();
        Schema* schema = nullptr;
        Library* library = nullptr;
        int result = GetParam().mode == COMPIL_LIBRARY
                         ? compile_library_string(text.substr(0, n), "", capture, &library)
                         : compile_schema_string(text.substr(0, n), GetParam().mode, capture, nullptr, &schema);
        ASSERT_EQ(result, 1) << text.substr(0, n);
        ASSERT_TRUE(schema == nullptr && library == nullptr);
        ASSERT_EQ(messages.rfind("compil : Error : ", 0), 0u) << messages;
    }
}

// The power sample gives its last four records rotations 4..7, which a
// power does not have: they are written without a rotation word and read
// back as rotation 0.
std::string powers_read_back() {
    std::string text = golden("model/documents/power_shapes.txt");
    for (const char* shape : {"BAR", "EARTH", "WAVE", "BIGARR"}) {
        std::string written = std::string("' ") + shape + " (";
        text.replace(text.find(written), written.size(), std::string("' NO_ROT ") + shape + " (");
    }
    return text;
}

const Source fixpoint_sources[] = {
    {"library_sample", COMPIL_LIBRARY, [] { return golden("model/items/library_sample.txt"); }},
    {"library_empty", COMPIL_LIBRARY, [] { return golden("model/items/library_empty.txt"); }},
    {"part", COMPIL_LIBRARY, [] { return in_library(reindent(golden("model/items/part.txt"), 2)); }},
    {"attributes", COMPIL_LIBRARY,
     [] { return in_library(minimal_part, reindent(golden("model/documents/attributes.txt"), 3)); }},
    {"titleblock", COMPIL_TITLEBLOCK, [] { return golden("model/documents/sheet/titleblock.txt"); }},
    {"primitives", COMPIL_TITLEBLOCK,
     [] {
         std::string items;
         for (const char* name : {"arc", "circle", "fill", "junction", "line", "poly", "rect", "text_forms"})
             items += golden(std::string("model/items/") + name + ".txt");
         return in_titleblock(items);
     }},
    {"sheet_items", COMPIL_TITLEBLOCK,
     [] {
         return in_titleblock(golden("model/documents/ports.txt") + golden("model/documents/subsheet.txt") +
                              reindent(golden("model/documents/nocon.txt"), 1) +
                              reindent(powers_read_back(), -1) +
                              reindent(golden("model/documents/placed_parts.txt"), -1) +
                              reindent(golden("model/documents/netprop.txt"), -1));
     }},
};

INSTANTIATE_TEST_SUITE_P(Goldens, CompilFixpoint, testing::ValuesIn(fixpoint_sources),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
