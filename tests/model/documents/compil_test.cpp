#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "foundation/services.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/compil_recorder.h"
#include "support/test_env.h"

namespace {

// What the report hook received.

struct Outcome {
    int result;
    std::string log;
    std::string messages;
};

Outcome compile(const std::string& source, int mode) {
    compil_messages.clear();
    CompilRecorder r;
    int result = compil_string(source, mode, r, compil_capture);
    return {result, r.log(), compil_messages};
}

std::string parse_error(int line) {
    return "compil : Error : parse error at line " + std::to_string(line) + "\n";
}

// Minimal documents around a piece of source.
std::string lib(const std::string& inner) { return "(LIB " + inner + " )"; }
std::string sheet(const std::string& items) { return "(SCHEMATIC (SHEET " + items + " ) )"; }
std::string part(const std::string& common) {
    return "(LIB 'x' (PARTS (LPART (PART (COMMON " + common + " ) ) ) ) )";
}
std::string titleblock(const std::string& rest) {
    return "(TITLEBLOCK (IDENTIFICATION ) " + rest + " )";
}
std::string placed(const std::string& scale) {
    return sheet("(PARTLIB 'R' 0x1 " + scale + " POWERON NORMAL_PART DEVICE 0 (POS 0 0 ) )");
}

// --- the samples: every form the writers produce --------------------------

struct Sample {
    const char* name;
    int mode;
};

class CompilSample : public testing::TestWithParam<Sample> {
protected:
    std::string source() const {
        return tn_test::read_text(
            tn_test::data_path("model/documents/compil/" + std::string(GetParam().name) + ".asc"));
    }
};

// Golden files: compil/<name>.calls are the builder calls the samples give.
// To regenerate them after an intended change, run documents_tests with
// TN_UPDATE_GOLDEN=1 set, then review the diff before committing.
TEST_P(CompilSample, GivesTheRecordedCalls) {
    Outcome run = compile(source(), GetParam().mode);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, "");
    std::string golden =
        tn_test::data_path("model/documents/compil/" + std::string(GetParam().name) + ".calls");
    if (std::getenv("TN_UPDATE_GOLDEN")) tn_test::write_text(golden, run.log);
    EXPECT_EQ(run.log, tn_test::read_text(golden));
}

TEST_P(CompilSample, ReadsTheSameFromAStreamAndAPath) {
    std::string path =
        tn_test::data_path("model/documents/compil/" + std::string(GetParam().name) + ".asc");
    CompilRecorder by_path;
    EXPECT_EQ(compil_path(path.c_str(), GetParam().mode, by_path, compil_capture), 0);
    EXPECT_EQ(by_path.log(), compile(source(), GetParam().mode).log);
}

// Every proper prefix of a document fails as a parse error at its own last
// line, calls abort, and never does anything worse.
TEST_P(CompilSample, EveryPrefixFailsAtItsLastLine) {
    std::string text = source();
    size_t complete = text.rfind(')') + 1;
    for (size_t n = 0; n < complete; ++n) {
        std::string prefix = text.substr(0, n);
        compil_messages.clear();
        CompilRecorder r;
        ASSERT_EQ(compil_string(prefix, GetParam().mode, r, compil_capture), 1) << prefix;
        int lines = 1 + static_cast<int>(std::count(prefix.begin(), prefix.end(), '\n'));
        ASSERT_EQ(compil_messages, parse_error(lines)) << prefix;
        ASSERT_TRUE(r.aborted);
    }
}

TEST_P(CompilSample, AnotherModeStopsAtTheFirstKeywordNamingBothKinds) {
    static const char* const kinds[] = {"", "a schematic", "a library", "a title block"};
    for (int mode : {COMPIL_SCHEMATIC, COMPIL_LIBRARY, COMPIL_TITLEBLOCK}) {
        if (mode == GetParam().mode) continue;
        Outcome run = compile(source(), mode);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.messages, std::string("compil : Error : ") + kinds[GetParam().mode] +
                                    " where " + kinds[mode] + " was expected at line 1\n");
        EXPECT_EQ(run.log, "start " + std::to_string(mode) + "\nabort\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, CompilSample,
                         testing::Values(Sample{"library", COMPIL_LIBRARY},
                                         Sample{"schematic", COMPIL_SCHEMATIC},
                                         Sample{"titleblock", COMPIL_TITLEBLOCK}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- tokens ---------------------------------------------------------------

// A source and what it gives: a line of the call log, or the message of a
// failure.
struct TokenCase {
    const char* what;
    std::string source;
    int mode;
    std::string expect;
};

class CompilToken : public testing::TestWithParam<TokenCase> {};

TEST_P(CompilToken, ReadsAsExpected) {
    const TokenCase& c = GetParam();
    Outcome run = compile(c.source, c.mode);
    if (c.expect.rfind("compil : ", 0) == 0) {
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.messages, c.expect);
    } else {
        EXPECT_EQ(run.result, 0) << run.messages;
        EXPECT_NE(run.log.find(c.expect + "\n"), std::string::npos) << run.log;
    }
}

const TokenCase token_cases[] = {
    {"doubled_quote", lib("'it''s'"), 2, "lib_end 'it's'"},
    {"empty_string", lib("''"), 2, "lib_end ''"},
    {"only_a_quote", lib("''''"), 2, "lib_end '''"},
    {"quotes_at_both_ends_and_in_a_row", lib("'''''a''''b'''''"), 2, "lib_end '''a''b'''"},
    {"bytes_above_0x7F_in_a_string", lib("'\xC3\xA9'"), 2, "lib_end '\xC3\xA9'"},
    {"unclosed_string", "(LIB 'abc\n)", 2, parse_error(1)},
    {"nul_in_a_string", lib(std::string("'a\0b'", 5)), 2, parse_error(1)},
    {"byte_above_0x7F", "(LIB \xC3 'x' )", 2, parse_error(1)},
    {"nul_is_no_end_of_input", std::string("(LIB 'x' )\0", 11), 2, parse_error(1)},
    {"hex_lower_x", sheet("(SUBSHEET 0xff (POS 0 0 ) (SIZE 1 1 ) 'a' 'b' )"), 1,
     "subsheet_end 0x000000FF (0,0) 1x1 'a' 'b'"},
    {"hex_32_bits_and_leading_zeros",
     sheet("(SUBSHEET 0x0000FFFFFFFF (POS 0 0 ) (SIZE 1 1 ) 'a' 'b' )"), 1,
     "subsheet_end 0xFFFFFFFF (0,0) 1x1 'a' 'b'"},
    {"hex_upper_X", sheet("(SUBSHEET 0X1F (POS 0 0 ) (SIZE 1 1 ) 'a' 'b' )"), 1, parse_error(1)},
    {"hex_without_digits", sheet("(SUBSHEET 0x (POS 0 0 ) (SIZE 1 1 ) 'a' 'b' )"), 1,
     parse_error(1)},
    {"hex_over_32_bits", sheet("\n(SUBSHEET 0x100000000 (POS 0 0 ) (SIZE 1 1 ) 'a' 'b' )"), 1,
     parse_error(2)},
    {"real_point_last", placed("1."), 1, "placed_part_end 'R' 0x00000001 1 0x40 0 (0,0) ''"},
    {"real_point_first", placed(".5"), 1, "placed_part_end 'R' 0x00000001 0.5 0x40 0 (0,0) ''"},
    {"real_exponent_only", placed("1e3"), 1, "placed_part_end 'R' 0x00000001 1000 0x40 0 (0,0) ''"},
    {"real_signs", placed("-2.5E-1"), 1, "placed_part_end 'R' 0x00000001 -0.25 0x40 0 (0,0) ''"},
    {"real_plus", placed("+3."), 1, "placed_part_end 'R' 0x00000001 3 0x40 0 (0,0) ''"},
    {"real_out_of_range", placed("1e999"), 1, parse_error(1)},
    {"lone_point", placed("."), 1, parse_error(1)},
    {"integer_is_no_real", placed("1"), 1, parse_error(1)},
    {"int_limits", part("(SIZE 2147483647 -2147483648 )"), 2, "part_size 2147483647x-2147483648"},
    {"int_plus_sign", part("(SIZE +5 -0 )"), 2, "part_size 5x0"},
    {"int_leading_zeros", part("(SIZE 00000000000000000000007 -000000000002147483648 )"), 2,
     "part_size 7x-2147483648"},
    {"int_over_32_bits", part("\n\n(SIZE 2147483648 0 )"), 2, parse_error(3)},
    {"int_below_32_bits", part("(SIZE -2147483649 0 )"), 2, parse_error(1)},
    {"digits_then_letters", part("(SIZE 12abc 0 )"), 2, parse_error(1)},
    {"USER10_is_one_keyword", titleblock("(TEXT 0 (POS 0 0 ) (SIZE 1 1 ) 'u' TBLOCK USER10 )"), 3,
     "text 0 (0,0) 1x1 'u' 0xC0 26"},
    {"USER10_block", "(TITLEBLOCK (USER10 'x' ) )", 3, "titleblock_field 26 'x'"},
    {"unknown_word", titleblock("(TEXT 0 (POS 0 0 ) (SIZE 1 1 ) 'u' TBLOCK USER10X )"), 3,
     parse_error(1)},
    {"keywords_are_case_sensitive", "(lib 'x' )", 2, parse_error(1)},
    {"no_blank_inside_a_keyword", "( LIB 'x' )", 2, parse_error(1)},
    {"comment", "/* a */ (LIB /* b\n */ 'x' )", 2, "lib_end 'x'"},
    {"comment_counts_lines", "/*\n\n*/ (LIB 'x' ) )", 2, parse_error(3)},
    {"comment_open_at_the_end", "(LIB 'x' ) /* open", 2, "lib_end 'x'"},
    {"comment_open_before_the_end", "(LIB 'x' /* open )\n", 2, parse_error(2)},
    {"comments_do_not_nest", "/* a /* b */ c */ (LIB 'x' )", 2, parse_error(1)},
    {"crlf_lines", "(LIB 'x'\r\n\r\n) )", 2, parse_error(3)},
};

INSTANTIATE_TEST_SUITE_P(Lexis, CompilToken, testing::ValuesIn(token_cases),
                         [](const auto& info) { return std::string(info.param.what); });

// --- keyword codes ----------------------------------------------------------

std::string text_with(const std::string& words) {
    return titleblock("(TEXT 0 (POS 0 0 ) (SIZE 1 1 ) " + words + " )");
}

const TokenCase code_cases[] = {
    {"ROT_45", text_with("'t' ROT_45"), 3, "text 0 (0,0) 1x1 't' 0x04 0"},
    {"ROT_135", text_with("'t' ROT_135"), 3, "text 0 (0,0) 1x1 't' 0x05 0"},
    {"ROT_225", text_with("'t' ROT_225"), 3, "text 0 (0,0) 1x1 't' 0x06 0"},
    {"BOXED_MY_ROT_180", text_with("'t' BOXED MY ROT_180"), 3, "text 0 (0,0) 1x1 't' 0x2A 0"},
    {"MX_MX", text_with("'t' MX MX"), 3, "text 0 (0,0) 1x1 't' 0x10 0"},
    {"LABEL", text_with("'t' MX LABEL"), 3, "text 0 (0,0) 1x1 't' 0x90 0"},
    {"TBLOCK_SHEETSIZE", text_with("'t' TBLOCK SHEETSIZE"), 3, "text 0 (0,0) 1x1 't' 0xC0 27"},
    {"TBLOCK_COMPANYADDR4", text_with("'t' TBLOCK COMPANYADDR4"), 3, "text 0 (0,0) 1x1 't' 0xC0 9"},
    {"ACTIVE_LOW_L", text_with("ACTIVE_LOW_L"), 3, "text 0 (0,0) 1x1 'A' 0x00 0"},
    {"ARROW_L", text_with("ARROW_L"), 3, "text 0 (0,0) 1x1 'G' 0x00 0"},
    {"OPEN_H", text_with("OPEN_H"), 3, "text 0 (0,0) 1x1 'P' 0x00 0"},
    {"THREE_STATE", text_with("THREE_STATE"), 3, "text 0 (0,0) 1x1 'V' 0x00 0"},
    {"symbol_as_image_file", sheet("(IMAGE (POS 0 0 ) (SIZE 1 1 ) ROT_45 PULL_DOWN )"), 1,
     "image 0x04 (0,0) 1x1 'S'"},
    {"erc_mark_on_a_sheet", sheet("(ERCERR 7 (POS 1 2 ) )"), 1, "sheet_erc_mark 7 (1,2)"},
    {"GRID_ARRAY", part("(TYPE GRID_ARRAY 2)"), 2, "part_type 2 2"},
    {"STANDARD", part("(TYPE STANDARD 1)"), 2, "part_type 0 1"},
    {"attribute_options",
     sheet("(PARTLIB 'R' 0x1 1.0 POWEROFF NORMAL_PART DEVICE 0 (POS 0 0 ) "
           "(ATTRIBUTE 'a' SET BOXED MX ROT_90 (POS 1 2 ) ) )"),
     1, "attribute_end 'a' 0x40 0x19 (1,2)"},
    {"pin_last_type_wins",
     "(LIB 'x' (PARTS (LPART (PART (NORMAL (PINS (PIN 'p' PAS SHORT HIZ OE RIGHT "
     "(POS 1 2 ) ) ) ) ) ) ) )",
     2, "pin_end 'p' 0x11 5 (1,2)"},
    {"FILLED_alone",
     "(LIB 'x' (PARTS (LPART (PART (NORMAL (VECTOR (CIRCLE FILLED (POS 1 0 ) (POS 0 0 ) ) "
     ") ) ) ) ) )",
     2, "circle 0x40 (1,0) (0,0)"},
};

INSTANTIATE_TEST_SUITE_P(Keywords, CompilToken, testing::ValuesIn(code_cases),
                         [](const auto& info) { return std::string(info.param.what); });

// --- malformed sources --------------------------------------------------------

struct BadCase {
    const char* what;
    std::string source;
    int mode;
    int line;
};

class CompilMalformed : public testing::TestWithParam<BadCase> {};

TEST_P(CompilMalformed, IsAParseErrorAtItsLine) {
    Outcome run = compile(GetParam().source, GetParam().mode);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.messages, parse_error(GetParam().line));
    EXPECT_NE(run.log.find("abort\n"), std::string::npos);
}

// The same through the builder of records: the same message, and whatever
// it made before the error released (the sanitizer build sees leaks).
TEST_P(CompilMalformed, BuildsNothingThroughTheRecordBuilder) {
    compil_messages.clear();
    CompilActions actions("", nullptr);
    EXPECT_EQ(compil_string(GetParam().source, GetParam().mode, actions, compil_capture), 1);
    EXPECT_EQ(compil_messages, parse_error(GetParam().line));
    EXPECT_EQ(actions.take_schema(), nullptr);
    EXPECT_EQ(actions.take_library(), nullptr);
}

const BadCase bad_cases[] = {
    {"empty_input", "", 2, 1},
    {"blank_lines_only", "\n\n", 2, 3},
    {"missing_close", "(LIB 'x'\n", 2, 2},
    {"extra_close", "(LIB 'x' )\n)", 2, 2},
    {"two_documents", "(LIB 'x' )\n(LIB 'y' )", 2, 2},
    {"cut_keyword", "(LI", 2, 1},
    {"library_blocks_out_of_order", "(LIB 'x'\n(PARTS )\n(PFXS ) )", 2, 3},
    {"prefix_without_value", "(LIB 'x' (PFXS (PFX 'U' = ) ) )", 2, 1},
    {"pin_type_after_side",
     "(LIB 'x' (PARTS (LPART (PART (NORMAL (PINS\n(PIN 'a' LEFT IN (POS 0 0 ) ) ) ) ) ) ) )", 2, 2},
    {"pin_without_side",
     "(LIB 'x' (PARTS (LPART (PART (NORMAL (PINS (PIN 'a' IN (POS 0 0 ) ) ) ) ) ) ) )", 2, 1},
    {"alias_before_part", "(LIB 'x' (PARTS (LPART (ALIAS ) (PART ) ) ) )", 2, 1},
    {"set_before_vis",
     "(LIB 'x' (PARTS (LPART (ALIAS (NAME 'n' (ATTRIBUTE 'a' SET VIS (POS 0 0 ) ) ) ) ) ) )", 2, 1},
    {"rotation_before_mirror", text_with("'t' ROT_90 MX"), 3, 1},
    {"boxed_after_mirror", text_with("'t' MX BOXED"), 3, 1},
    {"two_rotations", text_with("'t' ROT_90 ROT_180"), 3, 1},
    {"label_and_tblock", text_with("'t' LABEL TBLOCK TITLE"), 3, 1},
    {"tblock_without_field", text_with("'t' TBLOCK"), 3, 1},
    {"field_block_word_as_field", text_with("'t' TBLOCK (TITLE"), 3, 1},
    {"filled_twice", sheet("(CIRCLE FILLED DRAW FILLED (POS 0 0 ) (POS 1 1 ) )"), 1, 1},
    {"dashed_before_draw", sheet("(LINE DASHED DRAW (POS 0 0 ) (POS 1 1 ) )"), 1, 1},
    {"arc_without_direction", sheet("(ARC (POS 0 0 ) (POS 1 1 ) (POS 2 2 ) )"), 1, 1},
    {"fill_without_seed", sheet("(FILL (LINE (POS 0 0 ) (POS 1 1 ) ) )"), 1, 1},
    {"junction_in_a_vector",
     "(LIB 'x' (PARTS (LPART (PART (NORMAL (VECTOR (JUNCTION (POS 0 0 ) SMALL "
     "CIRCULAR ) ) ) ) ) ) )",
     2, 1},
    {"power_rotation_after_shape", sheet("(POWER 'V' GND1 ROT_90 (POS 0 0 ) )"), 1, 1},
    {"part_without_device", sheet("(PARTLIB 'R' 0x1 1.0 POWERON NORMAL_PART (POS 0 0 ) )"), 1, 1},
    {"port_on_top", sheet("(PORT TOP INPUT (POS 0 0 ) 'p' )"), 1, 1},
    {"netprop_short", sheet("(NETPROP (POS 0 0 ) 'n' 1 2 3 4 5 6 )"), 1, 1},
    {"schematic_library_before_titleblock",
     "(SCHEMATIC\n(LIB 'x' )\n(TITLEBLOCK (IDENTIFICATION ) ) )", 1, 3},
    {"schematic_inside_schematic", "(SCHEMATIC (SCHEMATIC ) )", 1, 1},
    {"titleblock_without_identification", "(TITLEBLOCK (CONTROLS ) )", 3, 1},
    {"font_with_14_numbers", "(LIB 'x' (FONTS (FONT 1 2 3 4 5 6 7 8 9 10 11 12 13 14 'f' ) ) )", 2,
     1},
    {"hex_where_int", part("(TYPE IEEE 0x4)"), 2, 1},
    {"overflow_on_its_line",
     "(LIB 'x'\n(PARTS\n(LPART (PART (COMMON (TYPE IEEE 4294967296) ) ) ) ) )", 2, 3},
};

INSTANTIATE_TEST_SUITE_P(Grammar, CompilMalformed, testing::ValuesIn(bad_cases),
                         [](const auto& info) { return std::string(info.param.what); });

// --- nesting, stops and state ---------------------------------------------------

std::string nested_fills(int depth) {
    std::string text = "(LIB 'x' (PARTS (LPART (PART (NORMAL (VECTOR\n";
    for (int i = 0; i < depth; ++i) text += "(FILL (POS 0 0 )\n";
    for (int i = 0; i < depth; ++i) text += ")";
    return text + " ) ) ) ) ) )";
}

TEST(CompilNesting, GrowsTheStackBeyondItsFirstSize) {
    Outcome run = compile(nested_fills(400), COMPIL_LIBRARY);
    EXPECT_EQ(run.result, 0) << run.messages;
}

TEST(CompilNesting, TooDeepIsAStackOverflow) {
    Outcome run = compile(nested_fills(5000), COMPIL_LIBRARY);
    EXPECT_EQ(run.result, 2);
    ASSERT_EQ(run.messages.rfind("compil : Error : parser stack overflow at line ", 0), 0u)
        << run.messages;
    EXPECT_NE(run.log.find("abort\n"), std::string::npos);

    std::string identifications = "(TITLEBLOCK ";
    for (int i = 0; i < 20000; ++i) identifications += "(IDENTIFICATION ";
    run = compile(identifications, COMPIL_TITLEBLOCK);
    EXPECT_EQ(run.result, 2);
    EXPECT_EQ(run.messages.rfind("compil : Error : parser stack overflow at line 1\n", 0), 0u)
        << run.messages;

    // The record builder releases the title block it had begun.
    CompilActions actions("", nullptr);
    EXPECT_EQ(compil_string(identifications, COMPIL_TITLEBLOCK, actions, compil_capture), 2);
    EXPECT_EQ(actions.take_schema(), nullptr);
}

TEST(CompilStop, ABuilderCodeEndsTheParseWithoutMessage) {
    std::string source =
        tn_test::read_text(tn_test::data_path("model/documents/compil/library.asc"));
    CompilRecorder r;
    r.stop_at = "pin_end";
    r.stop_code = 55;
    compil_messages.clear();
    EXPECT_EQ(compil_string(source, COMPIL_LIBRARY, r, compil_capture), 55);
    EXPECT_EQ(compil_messages, "");
    ASSERT_GE(r.calls.size(), 2u);
    EXPECT_EQ(r.calls[r.calls.size() - 2].rfind("pin_end 'A'", 0), 0u);
    EXPECT_EQ(r.calls.back(), "abort");
}

TEST(CompilState, NothingCarriesOverToTheNextCompilation) {
    // A compilation that ends inside a comment, then one inside a string:
    // the next starts at line 1 in the normal state.
    EXPECT_EQ(compile("(LIB 'x' /* \n\n", COMPIL_LIBRARY).result, 1);
    EXPECT_EQ(compile("(LIB 'x\n\n", COMPIL_LIBRARY).result, 1);
    EXPECT_EQ(compile("(LIB 'x' )", COMPIL_LIBRARY).result, 0);
    EXPECT_EQ(compile("(LIB 'x' ) )", COMPIL_LIBRARY).messages, parse_error(1));
}

TEST(CompilModes, NestedBlocksDoNotCountAsDocuments) {
    EXPECT_EQ(
        compile("(SCHEMATIC (TITLEBLOCK (IDENTIFICATION ) ) (LIB 'x' ) )", COMPIL_SCHEMATIC).result,
        0);
    Outcome run = compile("(TITLEBLOCK (IDENTIFICATION ) )", COMPIL_SCHEMATIC);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.messages,
              "compil : Error : a title block where a schematic was expected at line 1\n");
}

TEST(CompilStrings, AreKeptWholeAcrossTheInputBuffer) {
    std::string name(100000, 'n');
    name[50000] = '\'';
    name.insert(50000, "'");  // a doubled quote in the middle
    tn_test::TempDir dir;
    std::string path = dir.file("long.asc");
    tn_test::write_text(path, "(LIB\n'" + name + "'\n)");
    CompilRecorder r;
    EXPECT_EQ(compil_path(path.c_str(), COMPIL_LIBRARY, r, compil_capture), 0);
    std::string expected = std::string(50000, 'n') + "'" + std::string(49999, 'n');
    EXPECT_EQ(r.calls.back(), "lib_end '" + expected + "'");
}

// The read calls this process has made so far.
long read_calls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = -1;
    while (io >> key >> value)
        if (key == "syscr:") return value;
    return -1;
}

// Every read of the input makes the scanner rescan the token it is in, so
// a long token must come in a few large reads, not in thousands of small
// ones (which made an 8 MB string take most of a minute).
TEST(CompilStrings, ALongTokenIsReadInFewPieces) {
    if (read_calls() < 0) GTEST_SKIP() << "no read count in /proc/self/io";
    tn_test::TempDir dir;
    std::string path = dir.file("long.asc");
    tn_test::write_text(path, "/* " + std::string(4 << 20, 'c') + " */\n(LIB\n'" +
                                  std::string(4 << 20, 's') + "'\n)");
    CompilRecorder r;
    long before = read_calls();
    EXPECT_EQ(compil_path(path.c_str(), COMPIL_LIBRARY, r, compil_capture), 0);
    long reads = read_calls() - before;
    EXPECT_EQ(r.calls.back(), "lib_end '" + std::string(4 << 20, 's') + "'");
    EXPECT_LT(reads, 200) << "a read per doubling of the buffer, not one per 8 KB";
}

TEST(CompilPath, AMissingFileIs51) {
    CompilRecorder r;
    compil_messages.clear();
    EXPECT_EQ(compil_path("/nonexistent/dir/x.asc", COMPIL_LIBRARY, r, compil_capture), 51);
    EXPECT_EQ(compil_messages, "Can't open file '/nonexistent/dir/x.asc'\n");
    EXPECT_TRUE(r.calls.empty());
}

TEST(CompilReportHook, DefaultsToTheLog) {
    std::string logged;
    Services s;
    s.log_write = [&](const char* text) { logged += text; };
    install_services(s);
    CompilBuilder syntax_only;
    EXPECT_EQ(compil_string("(LIB 'x'\n", COMPIL_LIBRARY, syntax_only), 1);
    reset_services();
    EXPECT_EQ(logged, parse_error(2));
}

}  // namespace
