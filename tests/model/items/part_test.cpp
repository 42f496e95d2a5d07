// Library parts: file forms, write-once body sharing, damaged records and
// the life cycle by reference counting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/items/item_streams.h"
#include "model/items/part.h"
#include "model/items/part_samples.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

using namespace items_test;
using namespace part_samples;

namespace {

Bytes binary_of(Part* part, const char* name = "7400") {
    return bytes_written([&](FILE* f) { write_Part(part, f, name); });
}

std::string ascii_of(Part* part, const char* name = "7400", int level = 1) {
    return text_written([&](FILE* f) { awrite_Part(part, f, level, name); });
}

// Reads a part record; the part (null on failure) and the result.
int read_part(const Bytes& bytes, PartPtr* out) {
    out->reset(new_Part());
    StreamPtr stream = stream_of(bytes);
    return read_Part(out->get(), stream.get());
}

void put_u32(Bytes* bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

constexpr size_t END_OFFSET_AT = 1;  // after the tag
constexpr size_t DEVICES_AT = 7;     // tag, offset, COMMON tag, type

class PartFiles : public testing::Test {
protected:
    void SetUp() override { reset_object_ids(1); }
};

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./items_tests and review
// the diff of tests/data/model/items before committing it.
TEST_F(PartFiles, BinaryAndAsciiFormsMatchTheGoldenFiles) {
    PartPtr part = sample_part();
    Bytes binary = binary_of(part.get());
    expect_golden("part.bin", binary);
    std::string text = ascii_of(part.get());
    expect_golden("part.txt", Bytes(text.begin(), text.end()));
}

TEST_F(PartFiles, BinaryRoundTripGivesTheSameBytesAndAnEqualPart) {
    PartPtr part = sample_part();
    Bytes first = binary_of(part.get());
    PartPtr read;
    ASSERT_EQ(read_part(first, &read), 0);
    EXPECT_TRUE(part_equal(part.get(), read.get()));
    EXPECT_EQ(read->type, IEEE);
    EXPECT_STREQ(read->sheet_path, "sub\\nand'4.sch");
    EXPECT_EQ(read->normal->refs, 1);
    EXPECT_EQ(binary_of(read.get()), first);
    // The display bits survive the binary form.
    const Pin* vcc = static_cast<Pin*>(read->normal_pins->pins->head->next->next->next->next->next->data);
    EXPECT_EQ(vcc->flags, TOP | PIN_DISPLAY | PIN_SHOW_NUMBER);
}

TEST_F(PartFiles, EndOffsetIsThePositionAfterTheRecordAndIndexOnlySkipsToIt) {
    PartPtr part = sample_part();
    Bytes record = binary_of(part.get());
    uint32_t end = uint32_t{record[1]} << 24 | uint32_t{record[2]} << 16 | uint32_t{record[3]} << 8 |
                   record[4];
    EXPECT_EQ(end, record.size());
    // Written after other bytes: the offset is absolute.
    Bytes later = bytes_written([&](FILE* f) {
        std::fputs("xyz", f);
        write_Part(part.get(), f, "7400");
        std::fputc('p', f);
    });
    StreamPtr stream = stream_of(later);
    std::fseek(stream.get(), 3, SEEK_SET);
    EXPECT_EQ(read_Part(nullptr, stream.get()), 0);
    EXPECT_EQ(last_part_offset(), 3);
    EXPECT_EQ(std::ftell(stream.get()), static_cast<long>(later.size() - 1));
    EXPECT_EQ(std::fgetc(stream.get()), 'p');
}

TEST_F(PartFiles, AFormWithNeitherPinsNorBodyIsNotWritten) {
    PartPtr part(new_Part());
    part->prefix.set("R");
    part->normal_pins = new_PinList();
    dlist_append(part->normal_pins->pins, sample_pin("1", PAS, LEFT, {0, 0}, 1, 1));
    Bytes record = binary_of(part.get());
    EXPECT_EQ(std::count(record.begin(), record.end(), PART_CONVERT_TAG), 0);
    PartPtr read;
    ASSERT_EQ(read_part(record, &read), 0);
    EXPECT_EQ(read->convert_pins, nullptr);
    EXPECT_EQ(read->convert, nullptr);
    EXPECT_EQ(read->normal, nullptr);
    EXPECT_EQ(read->sheet_path, nullptr) << "an empty stored path is none";
    std::string text = ascii_of(part.get());
    EXPECT_EQ(text.find("(CONVERT"), std::string::npos);
    EXPECT_EQ(text.find("(SHEETPATH"), std::string::npos);
    EXPECT_NE(text.find("(REFERENCE 'R' )"), std::string::npos);
    part->prefix.clear();
    EXPECT_EQ(ascii_of(part.get()).find("(REFERENCE"), std::string::npos);
}

TEST_F(PartFiles, AnotherTagIsPushedBack) {
    StreamPtr stream = stream_of({PART_COMMON_TAG, 1});
    PartPtr part(new_Part());
    EXPECT_EQ(read_Part(part.get(), stream.get()), NOT_MY_TAG);
    EXPECT_EQ(last_part_offset(), 0);
    EXPECT_EQ(std::fgetc(stream.get()), PART_COMMON_TAG);
}

// --- write-once sharing of bodies --------------------------------------------------------

class SharedBodies : public testing::Test {
protected:
    void SetUp() override {
        reset_object_ids(1);
        a.reset(new_Part());
        b.reset(new_Part());
        Vectors* shared = sample_normal_body();
        a->normal = shared;
        b->normal = shared;
        ref_Vectors(shared);
        ref_Vectors(shared);
    }
    PartPtr a, b;
};

TEST_F(SharedBodies, TheSecondPartWritesAReferenceToTheFirst) {
    Bytes first = binary_of(a.get(), "A");
    Bytes second = binary_of(b.get(), "B");
    const Bytes reference = {VECTORS_TAG, VECTORS_NORMALOF_TAG, 'A', 0, LIST_END, LIST_END};
    ASSERT_GE(second.size(), reference.size());
    EXPECT_EQ(Bytes(second.end() - static_cast<long>(reference.size()), second.end()), reference);
    EXPECT_GT(first.size(), second.size() + 20);
    EXPECT_EQ(a->normal->saved_mode, DEFINE_VEC) << "writing never makes a set a reference";
    EXPECT_STREQ(a->normal->name.get(), "");
    EXPECT_NE(ascii_of(b.get(), "B").find("(NORMALVECTOROF 'A' )"), std::string::npos);

    // The reference reads back as one and resolves to the body written first.
    PartPtr read;
    ASSERT_EQ(read_part(second, &read), 0);
    EXPECT_EQ(read->normal->saved_mode, NORMALOF_VEC);
    EXPECT_STREQ(read->normal->name.get(), "A");
}

TEST_F(SharedBodies, RestoringWritesTheBodyInFullAgain) {
    Bytes full = binary_of(a.get(), "A");
    restore_PartVectors(a.get());
    restore_PartVectors(b.get());
    Bytes b_full = binary_of(b.get(), "B");
    EXPECT_EQ(b_full.size(), full.size());
    EXPECT_EQ(std::count(b_full.begin(), b_full.end(), VECTORS_NORMALOF_TAG), 0);
}

TEST_F(SharedBodies, APartWrittenAgainWithoutRestoreNeverRefersToItself) {
    Bytes first = binary_of(a.get(), "A");
    EXPECT_EQ(binary_of(a.get(), "A"), first);
    EXPECT_EQ(ascii_of(a.get(), "A").find("VECTOROF"), std::string::npos);
}

TEST_F(SharedBodies, ABodyUsedForBothFormsOfOnePartRefersToTheOtherForm) {
    a->convert = a->normal;
    ref_Vectors(a->convert);
    Bytes record = binary_of(a.get(), "A");
    const Bytes tail = {VECTORS_TAG, VECTORS_NORMALOF_TAG, 'A', 0, LIST_END, LIST_END};
    EXPECT_EQ(Bytes(record.end() - static_cast<long>(tail.size()), record.end()), tail);
    a->convert->refs--;
    a->convert = nullptr;
}

// --- damaged records ---------------------------------------------------------------------

TEST_F(PartFiles, EveryCutOfTheRecordIsAnErrorWhateverItsEndOffsetSays) {
    Bytes full = binary_of(sample_part().get());
    for (size_t cut = 0; cut < full.size(); ++cut) {
        Bytes prefix(full.begin(), full.begin() + static_cast<long>(cut));
        // As cut, and with an end offset that fits the bytes there are, so
        // that the inner readers meet the end of the stream.
        for (bool patch : {false, true}) {
            if (patch && cut <= END_OFFSET_AT + 4) continue;
            if (patch) put_u32(&prefix, END_OFFSET_AT, static_cast<uint32_t>(cut));
            PartPtr read;
            int result = read_part(prefix, &read);
            EXPECT_NE(result, 0) << "cut at " << cut << (patch ? " patched" : "");
            EXPECT_NE(result, NOT_MY_TAG) << "cut at " << cut;
            if (patch) continue;  // an index skips a consistent record unread
            StreamPtr stream = stream_of(prefix);
            EXPECT_NE(read_Part(nullptr, stream.get()), 0) << "index only, cut at " << cut;
        }
    }
}

struct BadField {
    const char* what;
    size_t at;
    uint32_t value;
    int result = READ_ERROR;
};

class BadPartFields : public testing::TestWithParam<BadField> {};

TEST_P(BadPartFields, AreReadErrors) {
    Bytes record = binary_of(sample_part().get());
    uint32_t value = GetParam().value == 0xFFFFFFFE ? static_cast<uint32_t>(record.size() + 1)
                                                    : GetParam().value;
    put_u32(&record, GetParam().at, value);
    PartPtr read;
    EXPECT_EQ(read_part(record, &read), GetParam().result);
    if (GetParam().at == END_OFFSET_AT) {
        StreamPtr stream = stream_of(record);
        EXPECT_EQ(read_Part(nullptr, stream.get()), GetParam().result) << "index only";
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, BadPartFields,
                         testing::Values(BadField{"no device", DEVICES_AT, 0},
                                         BadField{"256 devices", DEVICES_AT, 256},
                                         BadField{"negative devices", DEVICES_AT, 0xFFFFFFFF},
                                         BadField{"offset 0", END_OFFSET_AT, 0},
                                         BadField{"offset at itself", END_OFFSET_AT, 5},
                                         // A record ending beyond the stream is cut short.
                                         BadField{"offset past the end", END_OFFSET_AT,
                                                  0xFFFFFFFE, -1},
                                         BadField{"offset far away", END_OFFSET_AT, 0x7FFFFFFF,
                                                  -1}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (c == ' ') c = '_';
                             return name;
                         });

TEST_F(PartFiles, BadBytesInsideABodyAreReadErrors) {
    PartPtr part(new_Part());
    part->normal = sample_normal_body();
    ref_Vectors(part->normal);
    Bytes record = binary_of(part.get());
    // The first item of the body follows ' ' '!'.
    const unsigned char opening[] = {VECTORS_TAG, VECTORS_DEFINE_TAG};
    auto at = std::search(record.begin(), record.end(), std::begin(opening), std::end(opening));
    ASSERT_NE(at, record.end());
    size_t item = static_cast<size_t>(at - record.begin()) + 2;
    for (unsigned char bad : {0xC0, 0xC1, 0xC8, 0xCA, 0x41}) {
        Bytes damaged = record;
        damaged[item] = bad;
        PartPtr read;
        EXPECT_EQ(read_part(damaged, &read), READ_ERROR) << int{bad};
    }
    Bytes kind = record;
    kind[item - 1] = 'x';
    PartPtr read;
    EXPECT_EQ(read_part(kind, &read), -1) << "unknown kind of vector set";
}

// --- device counts ---------------------------------------------------------------------

TEST_F(PartFiles, ChangingTheDeviceCountResizesEveryPinTable) {
    PartPtr part = sample_part();
    for (int devices : {7, 2, 3}) {
        set_Part_devices(part.get(), devices);
        for (PinList* list : {part->normal_pins, part->convert_pins})
            for (Pin* pin : list_items<Pin>(list->pins))
                EXPECT_EQ(pin->numbers.size(), static_cast<size_t>(devices));
    }
    // Kept numbers stay; new ones are empty.
    const Pin* first = static_cast<Pin*>(part->normal_pins->pins->head->data);
    EXPECT_STREQ(pin_number(first, 0), "1");
    EXPECT_STREQ(pin_number(first, 1), "15");
    EXPECT_STREQ(pin_number(first, 2), "");
    PartPtr read;
    ASSERT_EQ(read_part(binary_of(part.get()), &read), 0);
    EXPECT_TRUE(part_equal(part.get(), read.get()));
    set_Part_devices(part.get(), 0);
    EXPECT_EQ(part->devices, 1);
}

TEST_F(PartFiles, ACommonRecordReadIntoAPartWithPinsResizesThem) {
    PartPtr part(new_Part());
    part->normal_pins = sample_normal_pins(1);
    Bytes common = {PART_TAG, 0, 0, 0, 0, PART_COMMON_TAG, STANDARD, 0, 0, 0, 5};
    common.resize(common.size() + 16, 0);
    common.push_back('U');
    common.push_back(0);
    common.push_back(0);
    common.push_back(LIST_END);
    put_u32(&common, END_OFFSET_AT, static_cast<uint32_t>(common.size()));
    StreamPtr stream = stream_of(common);
    ASSERT_EQ(read_Part(part.get(), stream.get()), 0);
    EXPECT_EQ(part->devices, 5);
    for (Pin* pin : list_items<Pin>(part->normal_pins->pins)) EXPECT_EQ(pin->numbers.size(), 5u);
}

// --- life cycle and comparisons -------------------------------------------------------

TEST(PartLife, FreeWithHoldersWarnsAndKeepsThePartUnrefOfTheLastHolderFreesIt) {
    Part* part = sample_part().release();
    ref_Part(part);
    ref_Part(part);
    free_Part(part);
    EXPECT_EQ(part->refs, 2);
    EXPECT_STREQ(part->prefix.get(), "U");
    unref_Part(part);
    unref_Part(part);  // freed here; the sanitizer build sees a leak otherwise
}

TEST(PartLife, DupIsADeepEqualCopyWithOneHolder) {
    PartPtr part = sample_part();
    part->state = 0x42;
    PartPtr copy(dup_Part(part.get()));
    EXPECT_EQ(copy->refs, 1);
    EXPECT_EQ(copy->state, 0x42u);
    EXPECT_TRUE(part_equal(part.get(), copy.get()));
    EXPECT_NE(copy->normal, part->normal);
    EXPECT_EQ(copy->normal->refs, 1);
    EXPECT_NE(copy->sheet_path, part->sheet_path);
    EXPECT_STREQ(copy->sheet_path, part->sheet_path);
    set_pin_number(static_cast<Pin*>(copy->normal_pins->pins->head->data), 3, "99");
    EXPECT_FALSE(part_equal(part.get(), copy.get()));
}

TEST(PartLife, EqualityLooksAtEveryComparedField) {
    PartPtr a = sample_part();
    EXPECT_TRUE(part_equal(a.get(), a.get()));
    using Change = void (*)(Part*);
    const Change differ[] = {
        [](Part* p) { p->body.h += 1; },
        [](Part* p) { p->prefix.set("IC"); },
        [](Part* p) { set_Part_devices(p, 5); },
        [](Part* p) { static_cast<Pin*>(p->convert_pins->pins->tail->data)->type = PAS; },
        [](Part* p) { static_cast<Pin*>(p->normal_pins->pins->head->data)->name.set("B"); },
        [](Part* p) { static_cast<Pin*>(p->normal_pins->pins->head->data)->pos.y++; },
        [](Part* p) { set_pin_number(static_cast<Pin*>(p->normal_pins->pins->head->data), 2, "x"); },
        [](Part* p) { as_Line(static_cast<Item*>(p->normal->items->head->next->next->data))->end.x++; },
        [](Part* p) {
            unref_Vectors(p->convert);
            p->convert = nullptr;
        },
        [](Part* p) {
            free_PinList(p->convert_pins);
            p->convert_pins = nullptr;
        },
    };
    for (size_t i = 0; i < std::size(differ); ++i) {
        PartPtr b = sample_part();
        differ[i](b.get());
        EXPECT_FALSE(part_equal(a.get(), b.get())) << "change " << i;
    }
    PartPtr same = sample_part();
    same->type = STANDARD;
    set_Part_sheet_path(same.get(), nullptr);
    EXPECT_TRUE(part_equal(a.get(), same.get())) << "type and sheet path are not compared";
}

TEST(PartLife, ReferencesToDifferentBodiesAreNotEqual) {
    VectorsPtr a(new_Vectors()), b(new_Vectors());
    a->saved_mode = b->saved_mode = NORMALOF_VEC;
    a->name.set("X");
    b->name.set("X");
    EXPECT_TRUE(vectors_equal(a.get(), b.get()));
    b->name.set("Y");
    EXPECT_FALSE(vectors_equal(a.get(), b.get()));
    b->saved_mode = DEFINE_VEC;
    EXPECT_FALSE(vectors_equal(a.get(), b.get()));
    EXPECT_TRUE(vectors_equal(nullptr, nullptr));
    EXPECT_FALSE(vectors_equal(a.get(), nullptr));
}

struct PrefixCase {
    const char* reference;
    const char* letters;
    bool unannotated;
};

class RefPrefix : public testing::TestWithParam<PrefixCase> {};

TEST_P(RefPrefix, CopiesTheLettersBeforeTheNumber) {
    char out[32];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(ref_prefix(GetParam().reference, out), GetParam().unannotated);
    EXPECT_STREQ(out, GetParam().letters);
}

INSTANTIATE_TEST_SUITE_P(Designators, RefPrefix,
                         testing::Values(PrefixCase{"U12", "U", false}, PrefixCase{"IC?", "IC", true},
                                         PrefixCase{"7R", "", false}, PrefixCase{"?", "", true},
                                         PrefixCase{"", "", false},
                                         PrefixCase{"RN3A", "RN", false}));

}  // namespace
