// The text record: its binary and ASCII forms (golden files), the reader's
// handling of cut and damaged records, and copy, compare and transform.
#include "model/items/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "foundation/file_system.h"
#include "foundation/text_forms.h"
#include "model/items/item_streams.h"
#include "model/items/text_fixture.h"
#include "support/test_env.h"

using namespace text_test;

namespace {

using namespace items_test;

std::string ascii_of(Text* text, int level = 0) {
    return text_written([&](FILE* f) { awrite_Text(text, f, level); });
}

// The golden files text_forms.bin and text_forms.txt: regenerate with
// TN_UPDATE_GOLDEN=1 items_tests --gtest_filter='*TextForms*' and review the
// diff of the data folder before committing it.
// One text of every kind: each rotation, each mirror, comment, label,
// title-block field, IEEE symbol, boxed, and a document font.
std::vector<TextPtr> sample_texts() {
    std::vector<TextPtr> texts;
    auto add = [&](const char* s, uint8_t flags, int font = 0, int field = 0) {
        TextPtr t = make_text(s, {100 * int(texts.size()), -250}, {600, 900}, flags, font);
        t->width = static_cast<int16_t>(50 + texts.size());
        t->field = field;
        texts.push_back(std::move(t));
    };
    add("Comment, it's", 0);
    for (int rot = 1; rot <= 7; ++rot) add(("R" + std::to_string(rot)).c_str(), uint8_t(rot));
    add("Mirror X", MX);
    add("Mirror Y", MY);
    add("Both mirrors", MX | MY | ROT_90);
    add("NET_A", LABEL);
    add("Title of it", TBLOCK, 0, 3);
    add("W", 0, 1);
    add("AB", 0, 1);
    add("Boxed@A\\B", BOXED);
    add("Document font", LABEL | ROT_270, 12);
    add("", 0);
    return texts;
}

Bytes sample_binary(std::vector<TextPtr>& texts) {
    return bytes_written([&](FILE* f) {
        for (TextPtr& t : texts) write_Text(t.get(), f, 0);
    });
}

TEST_F(TextTest, TextFormsBinaryGolden) {
    auto texts = sample_texts();
    expect_golden("text_forms.bin", sample_binary(texts));
}

TEST_F(TextTest, TextFormsAsciiGolden) {
    auto texts = sample_texts();
    Bytes out = bytes_written([&](FILE* f) {
        for (TextPtr& t : texts) awrite_Text(t.get(), f, 1);
    });
    expect_golden("text_forms.txt", out);
}

TEST_F(TextTest, BinaryFormReadsBackField_ForField) {
    auto texts = sample_texts();
    StreamPtr in = stream_of(sample_binary(texts));
    for (TextPtr& want : texts) {
        TextPtr got(new_Text());
        got->layout = new_Stroke(2);  // a stale layout is dropped
        ASSERT_EQ(read_Text(got.get(), in.get()), 0) << want->string;
        EXPECT_TRUE(compare_Text(got.get(), want.get()) ||
                    (want->flags == TBLOCK && got->flags == LABEL))
            << want->string;
        EXPECT_TRUE(got->font == want->font && got->field == want->field &&
                    got->width == want->width);
        EXPECT_TRUE(got->id == want->id && got->state == STATE_NEW && !got->layout);
    }
    EXPECT_EQ(std::fgetc(in.get()), EOF);
}

// --- the reader on cut and damaged records ----------------------------------------------------

// 0xC7, width, anchor, flags, font, size, "Ab", 'p', field, 'g', id.
Bytes record(int16_t width = 100, uint8_t flags = 0x80, int32_t field = 4, bool with_p = true,
             bool with_g = true) {
    Bytes b = {0xC7,
               uint8_t(width >> 8),
               uint8_t(width),
               0,
               0,
               0,
               10,
               0xFF,
               0xFF,
               0xFF,
               0xF6,
               flags,
               3,
               0x02,
               0x58,
               0x03,
               0x84,
               'A',
               'b',
               0};
    if (with_p)
        b.insert(b.end(), {'p', uint8_t(field >> 24), uint8_t(field >> 16), uint8_t(field >> 8),
                           uint8_t(field)});
    if (with_g) b.insert(b.end(), {'g', 0, 0, 0x12, 0x34});
    return b;
}
constexpr size_t STRING_END = 20;  // bytes up to and including the string's NUL

TEST_F(TextTest, ReadsEveryFieldOfARecord) {
    TextPtr t(new_Text());
    StreamPtr in = stream_of(record());
    ASSERT_EQ(read_Text(t.get(), in.get()), 0);
    EXPECT_EQ(t->pos, (Point{10, -10}));
    EXPECT_EQ(t->flags, LABEL);
    EXPECT_EQ(t->font, 3);
    EXPECT_EQ(t->size, (TextSize{600, 900}));
    EXPECT_EQ(t->string, "Ab");
    EXPECT_EQ(t->field, 4);
    EXPECT_EQ(t->id, 0x1234u);
    EXPECT_GT(new_object_id(), 0x1234u);  // read ids are never given again
}

TEST_F(TextTest, EveryCutRecordIsAShortRead) {
    const Bytes full = record();
    for (size_t n = 0; n < full.size(); ++n) {
        TextPtr t(new_Text());
        StreamPtr in = stream_of(Bytes(full.begin(), full.begin() + n));
        // Ending right after the string or after the field is a record
        // without its optional parts.
        int want = (n == STRING_END || n == STRING_END + 5) ? 0 : -1;
        EXPECT_EQ(read_Text(t.get(), in.get()), want) << n << " bytes";
    }
}

TEST_F(TextTest, ForeignTagIsLeftInTheStream) {
    TextPtr t(new_Text());
    StreamPtr in = stream_of({0xC5, 1, 2});
    EXPECT_EQ(read_Text(t.get(), in.get()), NOT_MY_TAG);
    EXPECT_EQ(std::fgetc(in.get()), 0xC5);
}

TEST_F(TextTest, OptionalFieldAndIdLeaveTheNextByte) {
    Bytes without_g = record(100, 0, 4, true, false);
    without_g.push_back(LIST_END);
    TextPtr t(new_Text());
    t->id = 99;
    StreamPtr in = stream_of(without_g);
    ASSERT_EQ(read_Text(t.get(), in.get()), 0);
    EXPECT_EQ(t->id, 0u);
    EXPECT_EQ(t->field, 4);
    EXPECT_EQ(std::fgetc(in.get()), LIST_END);

    TextPtr u(new_Text());
    u->field = 7;
    StreamPtr in2 = stream_of(record(100, 0, 4, false, true));
    ASSERT_EQ(read_Text(u.get(), in2.get()), 0);
    EXPECT_EQ(u->field, 0);
    EXPECT_EQ(u->id, 0x1234u);
}

struct DamageCase {
    const char* name;
    int16_t width;
    uint8_t flags;
    int32_t field;
    int16_t want_width;
    uint8_t want_flags;
    int32_t want_field;
};
class DamagedRecord : public TextTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedRecord, ReadsAsASoundText) {
    const DamageCase& c = GetParam();
    TextPtr t(new_Text());
    StreamPtr in = stream_of(record(c.width, c.flags, c.field));
    ASSERT_EQ(read_Text(t.get(), in.get()), 0);
    EXPECT_EQ(t->width, c.want_width);
    EXPECT_EQ(t->flags, c.want_flags);
    EXPECT_EQ(t->field, c.want_field);
}

INSTANTIATE_TEST_SUITE_P(
    Text, DamagedRecord,
    ::testing::Values(DamageCase{"FieldFlagOutsideATitleBlock", 100, 0xC3, 5, 100, 0x83, 5},
                      DamageCase{"FieldIndexTooLarge", 100, 0xC0, 28, 100, 0x80, 0},
                      DamageCase{"FieldIndexNegative", 100, 0x80, -1, 100, 0x80, 0},
                      DamageCase{"LastFieldIndex", 100, 0, 27, 100, 0, 27},
                      DamageCase{"ZeroWidth", 0, 0, 0, 100, 0, 0},
                      DamageCase{"NegativeWidth", -5, 0, 0, 100, 0, 0},
                      DamageCase{"ThinnestWidth", 2, 0, 0, 2, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Any byte of a record damaged: a result of the protocol, never a crash or
// a leak, and a text within the record's rules.
TEST_F(TextTest, EveryDamagedByteReadsSafely) {
    const Bytes full = record();
    for (size_t i = 0; i < full.size(); ++i) {
        for (uint8_t v : {0x00, 0x40, 0xC0, 0xFF}) {
            Bytes b = full;
            b[i] = v;
            TextPtr t(new_Text());
            StreamPtr in = stream_of(b);
            int r = read_Text(t.get(), in.get());
            ASSERT_TRUE(r == 0 || r == -1 || r == NOT_MY_TAG) << i << " " << int(v);
            if (r != 0) continue;
            EXPECT_EQ(t->flags & 0x40, 0);
            EXPECT_TRUE(t->field >= 0 && t->field <= TEXT_FIELD_COUNT);
            EXPECT_GE(t->width, 2);
        }
    }
}

// --- font numbers the record cannot hold -----------------------------------------------------

TEST_F(TextTest, FontNumberBeyondAByteFailsTheSave) {
    tn_test::TempDir dir;
    const std::string path = dir.file("texts.bin");
    tn_test::write_text(path, "old");
    TextPtr t = make_text("x", {0, 0}, {600, 900}, 0, 300);
    {
        AtomicFile out(path.c_str());
        ASSERT_TRUE(out.is_open());
        write_Text(t.get(), out.stream(), 0);
        EXPECT_TRUE(std::ferror(out.stream()));
        EXPECT_EQ(out.commit(), 6);
    }
    EXPECT_EQ(tn_test::read_text(path), "old");

    t->font = 255;  // the largest number the byte holds is kept
    StreamPtr f(std::tmpfile());
    write_Text(t.get(), f.get(), 0);
    EXPECT_FALSE(std::ferror(f.get()));
    std::rewind(f.get());
    TextPtr back(new_Text());
    ASSERT_EQ(read_Text(back.get(), f.get()), 0);
    EXPECT_EQ(back->font, 255);
}

// --- the ASCII form ---------------------------------------------------------------------------

struct AsciiCase {
    const char* name;
    int font;
    const char* string;
    uint8_t flags;
    int field;
    const char* tail;  // what follows "(TEXT <font> (POS 0 0 ) (SIZE 600 900 ) "
};
class AsciiForm : public TextTest, public ::testing::WithParamInterface<AsciiCase> {};

TEST_P(AsciiForm, WritesOneLine) {
    const AsciiCase& c = GetParam();
    TextPtr t = make_text(c.string, {0, 0}, {600, 900}, c.flags, c.font);
    t->field = c.field;
    EXPECT_EQ(ascii_of(t.get()),
              "(TEXT " + std::to_string(c.font) + " (POS 0 0 ) (SIZE 600 900 ) " + c.tail + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Text, AsciiForm,
    ::testing::Values(
        AsciiCase{"IeeeSymbol", 1, "W", 0, 0, "NEGATION )"},
        AsciiCase{"IeeeFontLongerString", 1, "AB", 0, 0, "'AB' )"},
        AsciiCase{"IeeeFontOtherLetter", 1, "Z", 0, 0, "'Z' )"},
        AsciiCase{"PlainFontLetter", 0, "W", 0, 0, "'W' )"},
        AsciiCase{"QuotesDoubled", 0, "it's", 0, 0, "'it''s' )"},
        AsciiCase{"AllOptions", 0, "x", BOXED | MX | MY | ROT_315, 0, "'x' BOXED MX MY ROT_315 )"},
        AsciiCase{"Field", 0, "x", TBLOCK, 27, "'x' TBLOCK SHEETSIZE )"},
        AsciiCase{"FieldWithoutName", 0, "x", TBLOCK, 0, "'x' LABEL )"},
        AsciiCase{"LineBreaksAsSeparators", 0, "A\nB\r\nC\rD@E", 0, 0, "'A@B@C@D@E' )"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, AsciiFormIndentsAndEndsLinesAsConfigured) {
    TextPtr t = make_text("x", {-5, 7}, {600, 900});
    set_newline_hook([] { return 1; });
    EXPECT_EQ(ascii_of(t.get(), 2), "    (TEXT 0 (POS -5 7 ) (SIZE 600 900 ) 'x' )\r\n");
    set_newline_hook(nullptr);
}

// The compass of the dialogs, its codes and their angles in one table:
// button, code read from it, angle of that code.
TEST(TextOrientation, CompassButtonsCodesAndAnglesAgree) {
    const int table[9][3] = {{0, 6, 1350}, {1, 2, 1800}, {2, 5, 2250}, {3, 3, 900}, {4, 0, 0},
                             {5, 1, 2700}, {6, 7, 450},  {7, 0, 0},    {8, 4, 3150}};
    for (const auto& row : table) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(orient_code_of_button(row[0]), row[1]);
        EXPECT_EQ(orient_to_angle(row[1]), row[2]);
        // Every code shows on its own button; the centre is never shown.
        if (row[0] != 4) {
            EXPECT_EQ(button_of_orient_code(row[1]), row[0]);
        }
    }
    EXPECT_EQ(orient_code_of_button(-1), 0);
    EXPECT_EQ(orient_code_of_button(9), 0);
    // Only the orientation bits count.
    EXPECT_EQ(orient_to_angle(0x80 | BOXED | 3), 900);
    EXPECT_EQ(button_of_orient_code(0xC0 | 1), 5);
}

TEST(TextVocabulary, NamesAndNumbersAgree) {
    for (int c = 'A'; c <= 'W'; ++c) EXPECT_EQ(ieee_symbol_letter(ieee_symbol_name(c)), c);
    EXPECT_EQ(ieee_symbol_name('X'), nullptr);
    for (int f = 1; f <= TEXT_FIELD_COUNT; ++f) EXPECT_EQ(text_field_number(text_field_name(f)), f);
    EXPECT_STREQ(text_field_name(26), "USER10");
    EXPECT_EQ(text_field_name(28), nullptr);
}

// --- making, copying, comparing, transforming ----------------------------------------------------

TEST_F(TextTest, CompareIgnoresFontAndWidth) {
    TextPtr a = make_text("x"), b = make_text("x");
    b->font = 5;
    b->width = 7;
    EXPECT_TRUE(compare_Text(a.get(), b.get()));
    for (auto change : std::vector<std::function<void(Text*)>>{
             [](Text* t) { t->string = "y"; }, [](Text* t) { t->pos.x++; },
             [](Text* t) { t->size.height++; }, [](Text* t) { t->flags ^= MX; }}) {
        TextPtr c = make_text("x");
        change(c.get());
        EXPECT_FALSE(compare_Text(a.get(), c.get()));
    }
}

TEST_F(TextTest, CopyBuildsItsOwnLayoutAndId) {
    TextPtr a = make_text("Hi", {5, 5}, {600, 900}, MX, 0);
    a->field = 9;
    a->id = 42;
    TextPtr plain(copy_Text(a.get()));
    EXPECT_EQ(plain->layout, nullptr);
    layout_Text(a.get());
    TextPtr b(copy_Text(a.get()));
    EXPECT_TRUE(compare_Text(a.get(), b.get()));
    EXPECT_EQ(b->field, 9);
    EXPECT_EQ(b->id, 0u);
    ASSERT_NE(b->layout, nullptr);
    EXPECT_NE(b->layout, a->layout);
    EXPECT_EQ(points_of(b->layout), points_of(a->layout));
}

TEST_F(TextTest, MatrixMovesTheAnchorAndTheLayout) {
    TextPtr t = make_text("L");
    layout_Text(t.get());
    Matrix m;
    matrix_translate(&m, 10, -20);
    matrix_Text(t.get(), &m);
    EXPECT_EQ(t->pos, (Point{1010, 1980}));
    EXPECT_EQ(t->layout->points[0], (Point{1210, 1080}));
    EXPECT_EQ(t->flags, 0);
}

}  // namespace
