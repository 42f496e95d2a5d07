#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/short_string.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A memory stream over given bytes (read) or collecting bytes (write).
struct MemoryIn {
    explicit MemoryIn(const Bytes& bytes) : data(bytes) {
        // fmemopen refuses a zero-sized buffer; keep one spare byte unseen.
        data.push_back(0);
        stream = fmemopen(data.data(), bytes.size() ? bytes.size() : 1, "rb");
        if (bytes.empty()) std::fgetc(stream);
    }
    ~MemoryIn() { std::fclose(stream); }
    Bytes data;
    FILE* stream;
};

Bytes written(const std::function<void(FILE*)>& write) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buffer, &size);
    write(f);
    std::fclose(f);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// One field: what is written, and what reading the same bytes gives back.
struct FieldCase {
    const char* name;
    std::function<void(FILE*)> write;
    Bytes bytes;
    // Reads the field and says whether the value is the expected one.
    std::function<int(FILE*, bool*)> read;
};

std::ostream& operator<<(std::ostream& os, const FieldCase& c) { return os << c.name; }

template <class T, class Reader>
std::function<int(FILE*, bool*)> reads(T expected, Reader reader) {
    return [expected, reader](FILE* f, bool* same) {
        T value{};
        int result = reader(&value, f);
        *same = value == expected;
        return result;
    };
}

const FieldCase field_cases[] = {
    {"byte",
     [](FILE* f) { write_byte(0x1A, f); },
     {0x1A},
     reads<uint8_t>(0x1A, [](uint8_t* v, FILE* f) { return read_byte(v, f); })},
    {"byte_high_bit",
     [](FILE* f) { write_byte(0xE0, f); },
     {0xE0},
     reads<int8_t>(-32, [](int8_t* v, FILE* f) { return read_byte(v, f); })},
    {"short",
     [](FILE* f) { write_short(0x0102, f); },
     {0x01, 0x02},
     reads<int16_t>(0x0102, [](int16_t* v, FILE* f) { return read_short(v, f); })},
    {"short_negative",
     [](FILE* f) { write_short(-2, f); },
     {0xFF, 0xFE},
     reads<int16_t>(-2, [](int16_t* v, FILE* f) { return read_short(v, f); })},
    {"short_unsigned",
     [](FILE* f) { write_short(0xFFFE, f); },
     {0xFF, 0xFE},
     reads<uint16_t>(0xFFFE, [](uint16_t* v, FILE* f) { return read_short(v, f); })},
    {"long",
     [](FILE* f) { write_long(0x12345678, f); },
     {0x12, 0x34, 0x56, 0x78},
     reads<int32_t>(0x12345678, [](int32_t* v, FILE* f) { return read_long(v, f); })},
    {"long_negative",
     [](FILE* f) { write_long(-2, f); },
     {0xFF, 0xFF, 0xFF, 0xFE},
     reads<int32_t>(-2, [](int32_t* v, FILE* f) { return read_long(v, f); })},
    {"long_unsigned",
     [](FILE* f) { write_long(static_cast<int32_t>(0x80000001u), f); },
     {0x80, 0x00, 0x00, 0x01},
     reads<uint32_t>(0x80000001u, [](uint32_t* v, FILE* f) { return read_long(v, f); })},
    {"float_half",
     [](FILE* f) { write_float(0.5, f); },
     {0x3F, 0x00, 0x00, 0x00},
     reads<double>(0.5, [](double* v, FILE* f) { return read_float(v, f); })},
    {"float_narrowed",
     [](FILE* f) { write_float(0.1, f); },
     {0x3D, 0xCC, 0xCC, 0xCD},
     reads<double>(static_cast<double>(0.1f), [](double* v, FILE* f) { return read_float(v, f); })},
    {"point",
     [](FILE* f) {
         write_point(Point{1, -1}, f);
     },
     {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF},
     reads<Point>(Point{1, -1}, [](Point* v, FILE* f) { return read_point(v, f); })},
    {"short_point",
     [](FILE* f) {
         write_spoint(Point{-3, 0x1234}, f);
     },
     {0xFF, 0xFD, 0x12, 0x34},
     reads<Point>(Point{-3, 0x1234}, [](Point* v, FILE* f) { return read_spoint(v, f); })},
    {"rect",
     [](FILE* f) {
         write_rect(Rect{1, 2, 3, 4}, f);
     },
     {0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4},
     reads<Rect>(Rect{1, 2, 3, 4}, [](Rect* v, FILE* f) { return read_rect(v, f); })},
    {"triple_first_third_second",
     [](FILE* f) { write_triple(Triple{1, 2, 3}, f); },
     {0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 2},
     reads<Triple>(Triple{1, 2, 3}, [](Triple* v, FILE* f) { return read_triple(v, f); })},
    {"string",
     [](FILE* f) { write_string("U12", f); },
     {'U', '1', '2', 0},
     [](FILE* f, bool* same) {
         char text[16];
         int result = read_string(text, sizeof text, f);
         *same = std::strcmp(text, "U12") == 0;
         return result;
     }},
    {"empty_string",
     [](FILE* f) { write_string_or_empty(nullptr, f); },
     {0},
     [](FILE* f, bool* same) {
         char* text = reinterpret_cast<char*>(1);
         int result = read_string_dup(&text, f);
         *same = text == nullptr;
         return result;
     }},
    {"raw8",
     [](FILE* f) { write_raw8("ABCDEFGH", f); },
     {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'},
     [](FILE* f, bool* same) {
         char block[8] = {};
         int result = read_raw8(block, f);
         *same = std::memcmp(block, "ABCDEFGH", 8) == 0;
         return result;
     }},
};

class FieldCoding : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldCoding, WritesTheBytesAndReadsThemBack) {
    const FieldCase& c = GetParam();
    EXPECT_EQ(written(c.write), c.bytes);
    MemoryIn in(c.bytes);
    bool same = false;
    EXPECT_EQ(c.read(in.stream, &same), 0);
    EXPECT_TRUE(same);
    EXPECT_EQ(std::fgetc(in.stream), EOF) << "the reader took every byte of its field";
}

TEST_P(FieldCoding, EveryShortReadGivesMinusOne) {
    const FieldCase& c = GetParam();
    for (size_t n = 0; n < c.bytes.size(); ++n) {
        MemoryIn in(Bytes(c.bytes.begin(), c.bytes.begin() + static_cast<long>(n)));
        bool same = false;
        EXPECT_EQ(c.read(in.stream, &same), -1) << n << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldCoding, testing::ValuesIn(field_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadByte, AtEndOfStreamGivesMinusOneAndZero) {
    MemoryIn in({});
    uint8_t b = 0x55;
    EXPECT_EQ(read_byte(&b, in.stream), -1);
    EXPECT_EQ(b, 0);
}

TEST(ReadRaw8, ShortReadLeavesTheBlockUnchanged) {
    MemoryIn in({1, 2, 3});
    unsigned char block[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(read_raw8(block, in.stream), -1);
    EXPECT_EQ(block[0], 9);
}

TEST(ReadString, LongerTextIsCutButReadWholeSoTheStreamStaysInStep) {
    Bytes bytes(200, 'x');
    bytes.push_back(0);
    bytes.push_back(0x42);
    MemoryIn in(bytes);
    char text[128];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(read_string(text, sizeof text, in.stream), 0);
    EXPECT_EQ(std::strlen(text), 127u);
    uint8_t next = 0;
    EXPECT_EQ(read_byte(&next, in.stream), 0);
    EXPECT_EQ(next, 0x42);
}

TEST(ReadString, MissingNulGivesMinusOneWithWhatWasRead) {
    MemoryIn in({'a', 'b'});
    char text[8];
    EXPECT_EQ(read_string(text, sizeof text, in.stream), -1);
    EXPECT_STREQ(text, "ab");
}

TEST(ReadString, HeapCopies) {
    MemoryIn in({'a', 'b', 0, 0, 'c', 0});
    char* dup = nullptr;
    EXPECT_EQ(read_string_dup(&dup, in.stream), 0);
    EXPECT_STREQ(dup, "ab");
    std::free(dup);
    char* held = str_dup("old");
    EXPECT_EQ(read_string_heap(&held, in.stream), 0);
    ASSERT_NE(held, nullptr);
    EXPECT_STREQ(held, "") << "an empty string gives an empty heap copy";
    EXPECT_EQ(read_string_heap(&held, in.stream), 0);
    EXPECT_STREQ(held, "c");
    char* before = held;
    EXPECT_EQ(read_string_heap(&held, in.stream), -1);
    EXPECT_EQ(held, before) << "a failed read keeps the held string";
    std::free(held);
}

// Every field of the table, then a string longer than any buffer, through
// a file stream whose buffer holds only a few bytes: fields straddle the
// buffer's edge at every offset, and each must still be written and read
// as the table gives it.
TEST(BufferEdges, FieldsAcrossTheBufferEdgeKeepTheirBytes) {
    const std::string long_text(300, 'q');
    Bytes expected;
    for (const FieldCase& c : field_cases)
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
    expected.insert(expected.end(), long_text.begin(), long_text.end());
    expected.push_back(0);
    for (size_t size : {1, 2, 3, 5, 7, 13, 4096}) {
        SCOPED_TRACE(size);
        std::vector<char> buffer(size);
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(setvbuf(f, buffer.data(), _IOFBF, size), 0);
        for (const FieldCase& c : field_cases) c.write(f);
        write_string(long_text.c_str(), f);
        ASSERT_EQ(std::fflush(f), 0);
        std::rewind(f);
        Bytes bytes;
        for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
        EXPECT_EQ(bytes, expected);

        std::rewind(f);
        for (const FieldCase& c : field_cases) {
            bool same = false;
            EXPECT_EQ(c.read(f, &same), 0) << c.name;
            EXPECT_TRUE(same) << c.name;
        }
        std::string text;
        EXPECT_EQ(read_string(&text, f), 0);
        EXPECT_EQ(text, long_text);
        EXPECT_EQ(std::fgetc(f), EOF);
        std::fclose(f);
    }
}

// Names read from the stream's buffer where they lie whole there, and
// across its edge where they do not: every one whole, the stream in step.
TEST(BufferEdges, NamesReadWholeOrAcrossTheEdgeStayInStep) {
    const std::vector<std::string> names = {"R1", "", "a name of twenty ch", "x",
                                            std::string(40, 'w')};
    for (size_t size : {1, 2, 3, 5, 8, 13, 64, 4096}) {
        SCOPED_TRACE(size);
        std::vector<char> buffer(size);
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(setvbuf(f, buffer.data(), _IOFBF, size), 0);
        for (const std::string& name : names) {
            write_string(name.c_str(), f);
            write_byte(0x5A, f);
        }
        ASSERT_EQ(std::fflush(f), 0);
        std::rewind(f);
        for (const std::string& name : names) {
            ShortString slot("old");
            EXPECT_EQ(read_sstr(&slot, f), 0);
            EXPECT_EQ(std::string(slot.get()), name);
            uint8_t mark = 0;
            EXPECT_EQ(read_byte(&mark, f), 0);
            EXPECT_EQ(mark, 0x5A);
        }
        ShortString slot("kept");
        EXPECT_EQ(read_sstr(&slot, f), -1);
        EXPECT_STREQ(slot.get(), "kept");
        std::fclose(f);
    }
}

// A byte pushed back before a field is the field's first byte, whether it
// is the byte that was read or another one.
TEST(BufferEdges, PushedBackByteStartsTheNextField) {
    MemoryIn in({0x12, 0x34, 0x56, 0x78, 0x9A, 0, 0, 0, 1, 'a', 'b', 0});
    ASSERT_EQ(std::getc(in.stream), 0x12);
    std::ungetc(0x12, in.stream);
    int32_t v = 0;
    EXPECT_EQ(read_long(&v, in.stream), 0);
    EXPECT_EQ(v, 0x12345678);
    ASSERT_EQ(std::getc(in.stream), 0x9A);
    std::ungetc(0x11, in.stream);
    EXPECT_EQ(read_long(&v, in.stream), 0);
    EXPECT_EQ(v, 0x11000000);
    Point p;
    EXPECT_EQ(read_point(&p, in.stream), -1) << "five bytes are left";
    std::string text = "kept?";
    EXPECT_EQ(read_string(&text, in.stream), -1) << "the stream is at its end";
}

// Looking at the next byte takes nothing, at a buffer's edge (one byte of
// buffer: every look refills it) as inside it; taking a byte that is not
// the next one leaves the stream as it was.
TEST(BufferEdges, PeekAndTakeLeaveTheStreamInStep) {
    for (size_t size : {1, 2, 4096}) {
        SCOPED_TRACE(size);
        std::vector<char> buffer(size);
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(setvbuf(f, buffer.data(), _IOFBF, size), 0);
        for (int c : {int{'g'}, 0, 0, 0, 7, 0xE0}) std::fputc(c, f);
        std::rewind(f);
        EXPECT_EQ(peek_byte(f), 'g');
        EXPECT_EQ(peek_byte(f), 'g');
        EXPECT_FALSE(take_byte(f, 'p'));
        EXPECT_TRUE(take_byte(f, 'g'));
        uint32_t id = 0;
        EXPECT_EQ(read_long(&id, f), 0);
        EXPECT_EQ(id, 7u);
        EXPECT_EQ(peek_byte(f), 0xE0) << "a byte above 0x7F is no EOF";
        EXPECT_TRUE(take_byte(f, 0xE0));
        EXPECT_EQ(peek_byte(f), EOF);
        EXPECT_FALSE(take_byte(f, 0xE0));
        std::fclose(f);
    }
    MemoryIn in({'a', 'b'});
    ASSERT_EQ(std::getc(in.stream), 'a');
    std::ungetc('z', in.stream);
    EXPECT_EQ(peek_byte(in.stream), 'z') << "a pushed-back byte is the next one";
    EXPECT_TRUE(take_byte(in.stream, 'z'));
    EXPECT_EQ(peek_byte(in.stream), 'b');
}

TEST(StreamBytesLeft, FilesAndMemoryStreams) {
    tn_test::TempDir dir;
    tn_test::write_bytes(dir.file("f"), Bytes(10, 7));
    FILE* f = std::fopen(dir.file("f").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(stream_bytes_left(f), 10);
    int32_t v;
    read_long(&v, f);
    EXPECT_EQ(stream_bytes_left(f), 6);
    EXPECT_EQ(std::fgetc(f), 7) << "asking does not move the stream";
    std::fclose(f);

    MemoryIn in(Bytes(5, 1));
    uint8_t b;
    read_byte(&b, in.stream);
    EXPECT_EQ(stream_bytes_left(in.stream), 4);
    EXPECT_EQ(read_byte(&b, in.stream), 0);
    EXPECT_EQ(stream_bytes_left(in.stream), 3);
}

}  // namespace
