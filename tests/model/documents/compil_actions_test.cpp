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
#include "model/documents/compil_recorder.h"
#include "model/documents/fonts.h"
#include "model/documents/image.h"
#include "model/documents/owners.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
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

[[maybe_unused]] std::string error_at(const std::string& what, int line) {
    return "compil : Error : " + what + " at line " + std::to_string(line) + "\n";
}

using SchemaPtr = Owner<Schema>;
using LibraryPtr = Owner<Library>;

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

std::string golden(const std::string& relative) {
    return tn_test::read_text(tn_test::data_path(relative));
}

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
    "      (PART \n        (COMMON\n          (TYPE STANDARD 1)\n          (SIZE 0 0 ) \n        "
    ")\n      )\n";

// --- compiling and writing back ----------------------------------------------------------

struct Source {
    const char* name;
    int mode;
    std::function<std::string()> text;
};

std::string decompile(int mode, const std::string& text, std::string* binary) {
    compil_messages.clear();
    if (mode == COMPIL_LIBRARY) {
        Library* raw = nullptr;
        EXPECT_EQ(compile_library_string(text, "src.asc", compil_capture, &raw), 0)
            << compil_messages;
        LibraryPtr library(raw);
        if (!library) return "";
        reset_object_ids();
        *binary = tn_test::text_written([&](FILE* f) { write_Library(library.get(), f, 0); });
        return tn_test::text_written([&](FILE* f) { awrite_Library(library.get(), f, 0); });
    }
    Schema* raw = nullptr;
    EXPECT_EQ(compile_schema_string(text, mode, compil_capture, nullptr, &raw), 0)
        << compil_messages;
    SchemaPtr schema(raw);
    if (!schema) return "";
    if (mode == COMPIL_SCHEMATIC) {
        std::string written =
            tn_test::text_written([&](FILE* f) { awrite_Schema(schema.get(), f, 0); });
        reset_object_ids();
        *binary = tn_test::text_written([&](FILE* f) { write_Schema(schema.get(), f, 0); });
        return written;
    }
    reset_object_ids();
    *binary = tn_test::text_written(
        [&](FILE* f) { write_titleblock_file(schema.get(), &schema->titleblock, f, true); });
    return tn_test::text_written([&](FILE* f) { awrite_TitleBlock(schema.get(), f, 0); });
}

class CompilFixpoint : public testing::TestWithParam<Source> {};

// What the writers wrote compiles into records that write the same text;
// two compilations give the same records (byte for byte in binary form).
TEST_P(CompilFixpoint, WritesBackTheSameText) {
    std::string text = GetParam().text();
    std::string binary1, binary2;
    EXPECT_EQ(decompile(GetParam().mode, text, &binary1), text);
    EXPECT_EQ(compil_messages, "");
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
        compil_messages.clear();
        Schema* schema = nullptr;
        Library* library = nullptr;
        int result = GetParam().mode == COMPIL_LIBRARY
                         ? compile_library_string(text.substr(0, n), "", compil_capture, &library)
                         : compile_schema_string(text.substr(0, n), GetParam().mode, compil_capture,
                                                 nullptr, &schema);
        ASSERT_EQ(result, 1) << text.substr(0, n);
        ASSERT_TRUE(schema == nullptr && library == nullptr);
        ASSERT_EQ(compil_messages.rfind("compil : Error : ", 0), 0u) << compil_messages;
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

// Images name a bitmap that must be there to be compiled.
std::string with_bitmap(std::string text) {
    std::string bmp = tn_test::data_path("model/documents/image_8bit.bmp");
    for (size_t at; (at = text.find("'logo.bmp'")) != std::string::npos;)
        text.replace(at, 10, "'" + bmp + "'");
    return text;
}

// An empty schematic holding a piece at its place.
std::string in_schematic(const std::string& before, const std::string& piece) {
    std::string text = golden("model/documents/sheet/empty_schema.asc");
    return text.insert(text.find(before), piece);
}

const Source fixpoint_sources[] = {
    {"library_sample", COMPIL_LIBRARY, [] { return golden("model/items/library_sample.txt"); }},
    {"library_empty", COMPIL_LIBRARY, [] { return golden("model/items/library_empty.txt"); }},
    {"part", COMPIL_LIBRARY,
     [] { return in_library(reindent(golden("model/items/part.txt"), 2)); }},
    {"attributes", COMPIL_LIBRARY,
     [] {
         return in_library(minimal_part, reindent(golden("model/documents/attributes.txt"), 3));
     }},
    {"titleblock", COMPIL_TITLEBLOCK,
     [] { return golden("model/documents/sheet/titleblock.txt"); }},
    {"primitives", COMPIL_TITLEBLOCK,
     [] {
         std::string items;
         for (const char* name :
              {"arc", "circle", "fill", "junction", "line", "poly", "rect", "text_forms"})
             items += golden(std::string("model/items/") + name + ".txt");
         return in_titleblock(items);
     }},
    {"sheet_items", COMPIL_TITLEBLOCK,
     [] {
         return in_titleblock(
             golden("model/documents/ports.txt") + golden("model/documents/subsheet.txt") +
             reindent(golden("model/documents/nocon.txt"), 1) + reindent(powers_read_back(), -1) +
             reindent(golden("model/documents/placed_parts.txt"), -1) +
             reindent(golden("model/documents/netprop.txt"), -1));
     }},
    {"every_section", COMPIL_SCHEMATIC,
     [] { return with_bitmap(golden("model/documents/sheet/every_section.asc")); }},
    {"empty_schema", COMPIL_SCHEMATIC,
     [] { return golden("model/documents/sheet/empty_schema.asc"); }},
    {"every_kind", COMPIL_SCHEMATIC,
     [] {
         const std::string empty_sheet = "  (SHEET\n  )\n";
         std::string text = golden("model/documents/sheet/empty_schema.asc");
         return text.replace(text.find(empty_sheet), empty_sheet.size(),
                             with_bitmap(golden("model/documents/sheet/every_kind.txt")));
     }},
    {"erc_marks", COMPIL_SCHEMATIC,
     [] { return in_schematic("  (LIB", golden("model/documents/erc_marks.txt")); }},
};

INSTANTIATE_TEST_SUITE_P(Goldens, CompilFixpoint, testing::ValuesIn(fixpoint_sources),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// --- semantic errors ----------------------------------------------------------------------

struct Semantic {
    const char* what;
    std::string source;
    int mode;
    std::string message;  // the error text before " at line n"
    int line;
};

class CompilSemantic : public testing::TestWithParam<Semantic> {};

TEST_P(CompilSemantic, IsACompileErrorAtItsLineAndBuildsNothing) {
    const Semantic& c = GetParam();
    compil_messages.clear();
    Schema* schema = nullptr;
    Library* library = nullptr;
    int result = c.mode == COMPIL_LIBRARY
                     ? compile_library_string(c.source, "", compil_capture, &library)
                     : compile_schema_string(c.source, c.mode, compil_capture, nullptr, &schema);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(compil_messages, error_at(c.message, c.line));
    EXPECT_TRUE(schema == nullptr && library == nullptr);
}

std::string lib_part(const std::string& blocks) {
    return "(LIB 'x' (PARTS (LPART (PART\n" + blocks + "\n) (ALIAS (NAME 'n' ) ) ) ) )";
}
std::string sheet_of(const std::string& items) { return "(SCHEMATIC (SHEET\n" + items + "\n) )"; }
std::string placed_with(const std::string& attributes, int device = 0) {
    return sheet_of("(PARTLIB 'R' 0x1 1.0 POWERON NORMAL_PART DEVICE " + std::to_string(device) +
                    " (POS 0 0 ) " + attributes + " )");
}
std::string text_of(const std::string& font, const std::string& size) {
    return "(TITLEBLOCK (IDENTIFICATION )\n(TEXT " + font + " (POS 0 0 ) (SIZE " + size +
           " ) 't' ) )";
}
std::string font_of(const std::string& id, const std::string& byte) {
    return "(LIB 'x' (FONTS\n(FONT " + id + " 1 2 3 4 5 6 " + byte + " 0 0 0 0 0 0 0 'f' ) ) )";
}
std::string fills(int depth) {
    std::string text = "(LIB 'x' (PARTS (LPART (PART (NORMAL (VECTOR\n";
    for (int i = 0; i < depth; ++i) text += "(FILL (POS 0 0 )\n";
    for (int i = 0; i < depth; ++i) text += ")";
    return text + " ) ) ) ) ) )";
}
std::string many_numbers(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "'" + std::to_string(i) + "' ";
    return text;
}
const std::string two_attributes = "(ATTRIBUTE 'R1' (POS 0 0 ) ) (ATTRIBUTE '1k' (POS 0 0 ) )";

const Semantic semantic_cases[] = {
    {"placed_part_without_attributes", placed_with(""), 1,
     "placed part 'R' needs a reference and a value attribute", 2},
    {"placed_part_with_one_attribute", placed_with("(ATTRIBUTE 'R1' (POS 0 0 ) )"), 1,
     "placed part 'R' needs a reference and a value attribute", 2},
    {"placed_part_device_negative", placed_with(two_attributes, -1), 1, "device -1 outside 0..254",
     2},
    {"placed_part_device_too_large", placed_with(two_attributes, 255), 1,
     "device 255 outside 0..254", 2},
    {"no_devices", lib_part("(COMMON (TYPE STANDARD 0) )"), 2, "device count 0 outside 1..255", 2},
    {"too_many_devices", lib_part("(COMMON (TYPE IEEE 256) )"), 2,
     "device count 256 outside 1..255", 2},
    {"more_numbers_than_devices",
     lib_part("(COMMON (TYPE IEEE 2) )\n(NORMAL (PINS (PIN 'a' IN LEFT (POS 0 0 ) "
              "'1' '2' '3' ) ) )"),
     2, "pin 'a' has more numbers than its part has devices", 4},
    {"devices_fewer_than_earlier_numbers",
     lib_part("(NORMAL (PINS (PIN 'a' IN LEFT (POS 0 0 ) '1' '2' ) ) )\n"
              "(COMMON (TYPE IEEE 1) )"),
     2, "pin 'a' has more numbers than its part has devices", 3},
    {"too_many_pin_numbers",
     lib_part("(NORMAL (PINS (PIN 'a' IN LEFT (POS 0 0 )\n" + many_numbers(256) + ") ) )"), 2,
     "more than 255 pin numbers", 3},
    {"alias_without_part", "(LIB 'x' (PARTS (LPART\n(ALIAS (NAME 'EMPTY' ) ) ) ) )", 2,
     "alias 'EMPTY' has no part", 2},
    {"text_font_too_large", text_of("256", "1 1"), 3, "text font 256 outside 0..255", 2},
    {"text_font_negative", text_of("-1", "1 1"), 3, "text font -1 outside 0..255", 2},
    {"text_size_over_16_bits", text_of("0", "32768 1"), 3, "text size 32768 x 1 outside 16 bits",
     2},
    {"font_id_below_10", font_of("9", "0"), 2, "font id 9 outside 10..509", 2},
    {"font_id_above_509", font_of("510", "0"), 2, "font id 510 outside 10..509", 2},
    {"font_byte_too_large", font_of("10", "256"), 2, "font value 256 outside -128..255", 2},
    {"font_byte_too_small", font_of("10", "-129"), 2, "font value -129 outside -128..255", 2},
    {"netprop_byte", sheet_of("(NETPROP (POS 0 0 ) 'n' 1 2 3 4 5 128 7 )"), 1,
     "net property value 128 outside -128..127", 2},
    {"poly_in_a_body",
     "(LIB 'x' (PARTS (LPART (PART (NORMAL (VECTOR\n(POLY 1 (POS 0 0 ) ) ) ) ) ) ) )", 2,
     "a polyline cannot stand in a part body or a fill", 2},
    {"poly_in_a_fill", sheet_of("(FILL (POS 0 0 ) (POLY 1 DRAW (POS 0 0 ) ) )"), 1,
     "a polyline cannot stand in a part body or a fill", 2},
    {"fills_too_deep", fills(17), 2, "fills nested more than 16 deep", 18},
    {"boxed_image", sheet_of("(IMAGE BMP (POS 0 0 ) (SIZE 1 1 ) BOXED 'a.bmp' )"), 1,
     "an image cannot be BOXED", 2},
    {"unknown_sheet_size", "(TITLEBLOCK\n(SHEETSIZE 'A5' ) )", 3, "unknown sheet size 'A5'", 2},
};

INSTANTIATE_TEST_SUITE_P(Sources, CompilSemantic, testing::ValuesIn(semantic_cases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(CompilSemantic, SixteenNestedFillsAreFine) {
    Library* raw = nullptr;
    compil_messages.clear();
    EXPECT_EQ(compile_library_string(fills(16), "", compil_capture, &raw), 0) << compil_messages;
    free_Library(raw);
}

// --- what the constructs build ---------------------------------------------------------------

SchemaPtr compile_schema(const std::string& source, int mode = COMPIL_SCHEMATIC,
                         SheetList* sheets = nullptr) {
    compil_messages.clear();
    Schema* raw = nullptr;
    EXPECT_EQ(compile_schema_string(source, mode, compil_capture, sheets, &raw), 0)
        << compil_messages;
    return SchemaPtr(raw);
}

LibraryPtr compile_library(const std::string& source) {
    compil_messages.clear();
    Library* raw = nullptr;
    EXPECT_EQ(compile_library_string(source, "C:\\dir\\source.asc", compil_capture, &raw), 0)
        << compil_messages;
    return LibraryPtr(raw);
}

template <class T>
T* nth(List* list, int n) {
    for (T* item : list_items<T>(list))
        if (n-- == 0) return item;
    return nullptr;
}

TEST(CompilBuild, ScaleCodesFollowTheWrittenScale) {
    const std::pair<const char*, int> cases[] = {
        {"0.11", 1}, {"-2.0", 1}, {"0.21", 2}, {"1.1", 16}, {"3.1", 128}, {"3.5", 16},
    };
    for (auto [scale, code] : cases) {
        SchemaPtr schema = compile_schema(sheet_of(std::string("(PARTLIB 'R' 0x1 ") + scale +
                                                   " POWERON NORMAL_PART DEVICE 0 (POS 0 0 ) " +
                                                   two_attributes + " )"));
        ASSERT_TRUE(schema);
        EXPECT_EQ(as_PlacedPart(nth<SchItem>(schema->sheet->items, 0))->scale, code) << scale;
    }
}

// The fixpoints cover the fields; here what the writers never produce.
TEST(CompilBuild, PlacedPartsTakeAttributeOptionsAndKeepNoEmptyList) {
    SchemaPtr schema = compile_schema(
        sheet_of("(PARTLIB '7400' 0xCAFE 1.0 POWEROFF MX CONVERT_PART DEVICE 3 (POS 5 6 )\n"
                 "(ATTRIBUTE 'U1' VIS (POS 1 2 ) ) (ATTRIBUTE '7400' SET ROT_90 (POS 3 4 ) ) )"));
    ASSERT_TRUE(schema);
    PlacedPart* pl = as_PlacedPart(nth<SchItem>(schema->sheet->items, 0));
    EXPECT_EQ(pl->flags, PL_MX | PL_CONVERT | ROT_90);
    EXPECT_STREQ(pl->value.text.get(), "7400");
    EXPECT_EQ(pl->attributes, nullptr);
}

TEST(CompilBuild, LibraryIsNamedByTheBareBaseNameOfItsString) {
    EXPECT_STREQ(compile_library("(LIB 'C:\\LIBS\\DEMO.LIB' )")->name, "DEMO");
    EXPECT_STREQ(compile_library("(LIB 'a/b.c/name.x.lib' )")->name, "name.x");
}

TEST(CompilBuild, AliasesShareTheirPartAndBodiesMaySizePinsBeforeCommon) {
    LibraryPtr library = compile_library(
        "(LIB 'x' (PARTS (LPART (PART\n"
        "(NORMAL (PINS (PIN 'GND' IN OUT BOTTOM (POS 1 2 ) '7' '8' ) ) )\n"
        "(COMMON (TYPE IEEE 4) ) (CONVERT (CONVERTVECTOROF '7404' ) ) )\n"
        "(ALIAS (NAME '7400' ) (NAME '74LS00' ) ) ) ) )");
    ASSERT_TRUE(library);
    Part* part = find_LibEntry(library.get(), "7400")->part;
    EXPECT_EQ(find_LibEntry(library.get(), "74LS00")->part, part);
    EXPECT_EQ(part->refs, 2);
    Pin* pin = nth<Pin>(part->normal_pins->pins, 0);
    EXPECT_EQ(pin->type, PIN_OUT);  // the last type given wins
    ASSERT_EQ(pin->numbers.size(), 4u);
    EXPECT_STREQ(pin_number(pin, 1), "8");
    EXPECT_STREQ(pin_number(pin, 3), "");
    EXPECT_EQ(part->convert->saved_mode, CONVERTOF_VEC);
    EXPECT_STREQ(part->convert->name.get(), "7404");
}

TEST(CompilBuild, EachIdentificationFieldFillsItsOwnNumber) {
    SchemaPtr schema =
        compile_schema(golden("model/documents/compil/titleblock.asc"), COMPIL_TITLEBLOCK);
    ASSERT_TRUE(schema);
    EXPECT_EQ(schema->sheet_size, 0);  // 'A '
    const char* expected[] = {"D-1", "B",   "Title", "Co", "a1",       "a2",
                              "a3",  "f",   "a4",    "a5", "01/01/96", "02/02/96",
                              "Ann", "Lee", "1",     "3",  "nested"};
    for (int field = FIELD_DOCNUMBER; field <= FIELD_USER1; ++field)
        EXPECT_STREQ(schema_field(schema.get(), field), expected[field - 1]) << field;
    EXPECT_STREQ(schema_field(schema.get(), FIELD_USER1 + 9), "u10");
    EXPECT_EQ(schema->titleblock.fields->count, 3u);
    EXPECT_EQ(as_Text(nth<SchItem>(schema->titleblock.fields, 0))->field, FIELD_SHEETSIZE);
    EXPECT_EQ(schema->titleblock.drawing->count, 4u);  // the "(VECTOR" line and three sheet items
    ASSERT_NE(schema->sheet, nullptr);
}

TEST(CompilBuild, SubSheetFilesJoinTheSheetListOnce) {
    std::string source = sheet_of(
        "(SUBSHEET 0x1 (POS 0 0 ) (SIZE 1 1 ) 'A' 'sub.sch' (PORTS (PORT LEFT INPUT (POS 0 5 ) 'p' "
        ") ) )\n"
        "(SUBSHEET 0x2 (POS 0 0 ) (SIZE 1 1 ) 'B' 'SUB.SCH' )\n"
        "(SUBSHEET 0x3 (POS 0 0 ) (SIZE 1 1 ) 'C' '' )\n"
        "(SUBSHEET 0x4 (POS 0 0 ) (SIZE 1 1 ) 'D' 'ROOT.sch' )\n"
        "(SUBSHEET 0x5 (POS 0 0 ) (SIZE 1 1 ) 'E' 'other.sch' )");
    SheetList sheets{SheetName{0, "root.sch"}};
    SchemaPtr schema = compile_schema(source, COMPIL_SCHEMATIC, &sheets);
    ASSERT_TRUE(schema);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[1].flag, 1);
    EXPECT_EQ(sheets[1].name, "sub.sch");
    EXPECT_EQ(sheets[2].name, "other.sch");
    SubSheet* box = as_SubSheet(nth<SchItem>(schema->sheet->items, 0));
    EXPECT_EQ(box->ports->count, 1u);
    EXPECT_STREQ(box->sheet_name.get(), "A");
    EXPECT_EQ(box->size, (Point{1, 1}));
    EXPECT_EQ(schema->sheet->items->count, 5u);  // the box's port stays in the box

    proper_set(COMPSHEET_HIER, 1);
    SheetList single{SheetName{0, "root.sch"}};
    compile_schema(source, COMPIL_SCHEMATIC, &single);
    proper_set(COMPSHEET_HIER, 0);
    EXPECT_EQ(single.size(), 1u);
}

TEST(CompilBuild, FontsBindTheTextsOfTheirOwner) {
    SchemaPtr schema = compile_schema(
        "(SCHEMATIC (SHEET (TEXT 12 (POS 0 0 ) (SIZE 1 1 ) 's' ) )\n"
        "(TITLEBLOCK (IDENTIFICATION ) (CONTROLS (TEXT 10 (POS 0 0 ) (SIZE 1 1 ) 'c' TBLOCK TITLE "
        ") ) )\n"
        "(LIB '$ACTIVE$' (PARTS (LPART (PART (NORMAL (VECTOR (TEXT 11 (POS 0 0 ) (SIZE 1 1 ) 'p' ) "
        ") ) )\n"
        "(ALIAS (NAME 'P' ) ) ) ) (FONTS (FONT 11 1 2 3 4 5 6 -1 0 0 0 0 0 0 255 'Lib' ) ) )\n"
        "(FONTS (FONT 12 100 13 0 900 0 400 0 0 0 0 0 0 0 0 'Arial' ) ) )");
    ASSERT_TRUE(schema);
    ASSERT_NE(schema->fonts, nullptr);
    EXPECT_EQ(as_Text(nth<SchItem>(schema->sheet->items, 0))->fonts, schema->fonts);
    EXPECT_EQ(as_Text(nth<SchItem>(schema->titleblock.fields, 0))->fonts, schema->fonts);
    Font* font = nth<Font>(schema->fonts, 0);
    EXPECT_EQ(font->number, 2);
    EXPECT_EQ(font->escapement, 900);
    EXPECT_STREQ(font->face_name, "Arial");
    Library* library = schema->library;
    EXPECT_STREQ(library->name, "$ACTIVE$");
    Font* lib_font = nth<Font>(library->fonts, 0);
    EXPECT_EQ(lib_font->italic, 0xFF);
    EXPECT_EQ(lib_font->pitch_and_family, 0xFF);
    Part* part = find_LibEntry(library, "P")->part;
    EXPECT_EQ(as_Text(nth<SchItem>(part->normal->items, 0))->fonts, library->fonts);
}

TEST(CompilBuild, ImagesLoadTheirBitmapOrAreLeftOut) {
    tn_test::TempDir dir;
    std::string bmp = dir.file("logo.bmp");
    std::filesystem::copy_file(tn_test::data_path("model/documents/image_8bit.bmp"), bmp);
    std::string line = "  (IMAGE BMP (POS 1000 2000 ) (SIZE 300 100 ) MX ROT_90 '" + bmp + "'  )\n";
    std::string text = in_titleblock(line);
    std::string binary;
    EXPECT_EQ(decompile(COMPIL_TITLEBLOCK, text, &binary), text);
    SchemaPtr schema = compile_schema(text, COMPIL_TITLEBLOCK);
    Image* image = as_Image(nth<SchItem>(schema->titleblock.drawing, 0));
    EXPECT_NE(image->bitmap, nullptr);
    EXPECT_EQ(image->flags, MX | ROT_90);

    schema = compile_schema(in_titleblock("\n\n" + golden("model/documents/image.txt")),
                            COMPIL_TITLEBLOCK);
    EXPECT_EQ(schema->titleblock.drawing->count, 0u);
    EXPECT_EQ(compil_messages,
              "compil : Warning : image 'logo.bmp' cannot be opened: left out at line 9\n"
              "compil : Warning : image '' cannot be opened: left out at line 10\n"
              "compil : Warning : image 'other.pic' is no BMP: left out at line 11\n");
    tn_test::write_text(bmp, "BM not a bitmap");
    schema = compile_schema(in_titleblock(line), COMPIL_TITLEBLOCK);
    EXPECT_EQ(compil_messages,
              "compil : Warning : image '" + bmp + "' is no readable BMP: left out at line 7\n");
}

// Sources that are no writer's output still read back the same after one
// round: compile, write, compile, write.
TEST(CompilBuild, ReaderSamplesAreFixpointsAfterOneRound) {
    for (auto [name, mode] :
         {std::pair{"titleblock", COMPIL_TITLEBLOCK}, {"schematic", COMPIL_SCHEMATIC}}) {
        std::string binary;
        std::string once = decompile(
            mode, with_bitmap(golden("model/documents/compil/" + std::string(name) + ".asc")),
            &binary);
        EXPECT_EQ(decompile(mode, once, &binary), once) << name;
    }
}

}  // namespace

// A placed part's first two attributes go to its inline slots and the rest
// to its list in order, long texts whole; the next part starts afresh, and
// a library name after the sheet lists every attribute it has.
TEST(CompilBuild, PlacedPartsAndNamesEachKeepTheirOwnAttributes) {
    SchemaPtr schema = compile_schema(
        "(SCHEMATIC (SHEET\n"
        "(PARTLIB 'A' 0x1 1.0 POWEROFF NORMAL_PART DEVICE 0 (POS 0 0 )\n"
        "(ATTRIBUTE 'LONGREFERENCE1' VIS (POS 1 2 ) ) (ATTRIBUTE 'a long value' SET (POS 3 4 ) )\n"
        "(ATTRIBUTE 'the third one' (POS 5 6 ) ) (ATTRIBUTE 'd' (POS 7 8 ) ) )\n"
        "(PARTLIB 'B' 0x2 1.0 POWEROFF NORMAL_PART DEVICE 0 (POS 0 0 )\n"
        "(ATTRIBUTE 'R2' (POS 0 0 ) ) (ATTRIBUTE 'v' (POS 0 0 ) ) ) )\n"
        "(LIB 'x' (PARTS (LPART (PART (COMMON (TYPE STANDARD 1) ) )\n"
        "(ALIAS (NAME 'N' (ATTRIBUTE 'r?' (POS 0 0 ) ) (ATTRIBUTE 'v' (POS 0 0 ) )"
        " (ATTRIBUTE 'w' (POS 0 0 ) ) ) ) ) ) ) )");
    ASSERT_TRUE(schema);
    PlacedPart* first = as_PlacedPart(nth<SchItem>(schema->sheet->items, 0));
    EXPECT_STREQ(first->reference.text.get(), "LONGREFERENCE1");
    EXPECT_EQ(first->reference.flags, 0x80);
    EXPECT_EQ(first->reference.pos, (Point{1, 2}));
    EXPECT_STREQ(first->value.text.get(), "a long value");
    EXPECT_EQ(first->value.flags, 0x40);
    EXPECT_EQ(first->value.pos, (Point{3, 4}));
    ASSERT_NE(first->attributes, nullptr);
    ASSERT_EQ(first->attributes->count, 2);
    EXPECT_STREQ(nth<Attribute>(first->attributes, 0)->text.get(), "the third one");
    EXPECT_STREQ(nth<Attribute>(first->attributes, 1)->text.get(), "d");
    PlacedPart* second = as_PlacedPart(nth<SchItem>(schema->sheet->items, 1));
    EXPECT_STREQ(second->reference.text.get(), "R2");
    EXPECT_STREQ(second->value.text.get(), "v");
    EXPECT_EQ(second->value.pos, (Point{0, 0}));
    EXPECT_EQ(second->attributes, nullptr);
    LibEntry* entry = find_LibEntry(schema->library, "N");
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->attributes, nullptr);
    EXPECT_EQ(entry->attributes->count, 3);
}
