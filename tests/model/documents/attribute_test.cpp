// Attributes: file forms, geometry with and without a layout, access by
// index on a placed part, and the names of the user fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"
#include "model/documents/owners.h"
#include "model/documents/placed_part.h"
#include "model/documents/record_io.h"
#include "model/items/text.h"
#include "model/items/view.h"

using namespace record_io;

namespace {

using AttributePtr = Owner<Attribute>;

AttributePtr attribute_of(const char* text, uint8_t flags, Point pos) {
    AttributePtr a(new_Attribute());
    a->text.set(text);
    a->flags = flags;
    a->pos = pos;
    return a;
}

// Visible and placed, visible, placed only, and hidden.
std::vector<AttributePtr> samples() {
    std::vector<AttributePtr> list;
    list.push_back(attribute_of("U12", VIS | SET, {1200, -300}));
    list.push_back(attribute_of("74LS00", VIS, {1200, 400}));
    list.push_back(attribute_of("it's 5%", SET, {-70000, 0}));
    list.push_back(attribute_of("", 0, {0, 0}));
    return list;
}

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents before committing it.
TEST(AttributeFiles, BinaryAndAsciiFormsMatchTheGoldenFiles) {
    auto list = samples();
    expect_golden("attributes.bin", bytes_written([&](FILE* f) {
                      for (auto& a : list) write_Attribute(a.get(), f);
                  }));
    expect_golden("attributes.txt", text_written([&](FILE* f) {
                      for (auto& a : list) awrite_Attribute(a.get(), f, 2);
                  }));
}

TEST(AttributeFiles, GoldenBinaryReadsBackAsAListEndedByAnotherRecord) {
    Bytes bytes = golden("attributes.bin");
    bytes.push_back(LIST_END);
    StreamPtr stream = stream_of(bytes);
    List* list = nullptr;
    ASSERT_EQ(read_Attribute_list(&list, stream.get()), 0);
    EXPECT_EQ(std::fgetc(stream.get()), LIST_END) << "the foreign byte is pushed back";
    auto expected = samples();
    ASSERT_EQ(list->count, expected.size());
    size_t i = 0;
    for (Attribute* a : list_items<Attribute>(list)) {
        EXPECT_STREQ(a->text.get(), expected[i]->text.get());
        EXPECT_EQ(a->flags, expected[i]->flags);
        EXPECT_EQ(a->pos, expected[i]->pos);
        EXPECT_EQ(a->type, ATTR_ITEM);
        EXPECT_EQ(a->state, 1u);
        ++i;
    }
    EXPECT_EQ(bytes_written([&](FILE* f) { write_Attribute_list(list, f); }),
              golden("attributes.bin"));
    free_Attribute_list(list);

    StreamPtr none = stream_of({LIST_END});
    List* empty = nullptr;
    EXPECT_EQ(read_Attribute_list(&empty, none.get()), 0);
    EXPECT_EQ(empty, nullptr) << "no record, no list";
}

TEST(AttributeFiles, EveryCutIsAShortRead) {
    AttributePtr a = attribute_of("R1", VIS, {5, -5});
    Bytes record = bytes_written([&](FILE* f) { write_Attribute(a.get(), f); });
    expect_prefixes_short(record, [](FILE* f) {
        AttributePtr read(new_Attribute());
        return read_Attribute(read.get(), f);
    });
    expect_prefixes_short(record, [](FILE* f) {
        List* list = nullptr;
        int result = read_Attribute_list(&list, f);
        free_Attribute_list(list);
        return result;
    });
}

// --- geometry -----------------------------------------------------------------------

TEST(AttributeGeometry, ALayoutAddsItsLinesAndAnExactHitIsMinusOne) {
    AttributePtr a = attribute_of("R1", VIS, {0, 0});
    a->layout = text_layout("R1", a->pos, TextSize{800, 1200}, 0, 0, 100, nullptr, true);
    ASSERT_NE(a->layout, nullptr);
    Rect lines;
    ASSERT_TRUE(bounds_TextLines(a->layout, &lines, false));
    Rect r;
    bounds_Attribute(a.get(), &r, false);
    EXPECT_LE(r.x, lines.x);
    EXPECT_GE(r.x + r.w, lines.x + lines.w);
    Point on = a->layout->points[0];
    EXPECT_DOUBLE_EQ(distance_Attribute(a.get(), on, 0, 10, 0), -1.0);
    Matrix m;
    matrix_translate(&m, 1000, 0);
    matrix_Attribute(a.get(), &m);
    EXPECT_EQ(a->layout->points[0], (Point{on.x + 1000, on.y})) << "the layout moves too";

    Attribute* copy = copy_Attribute(a.get());
    EXPECT_EQ(copy->layout, nullptr);
    EXPECT_STREQ(copy->text.get(), "R1");
    EXPECT_NE(copy->text.get(), a->text.get());
    free_Attribute(copy);
}

// --- on a placed part ---------------------------------------------------------------

TEST(PlacedAttributes, GetAnswersOnlyWhatExistsNeedCreatesUpToTheIndex) {
    PlacedPart* pl = new_PlacedPart();
    EXPECT_EQ(pl_get_attribute(pl, 0), &pl->reference);
    EXPECT_EQ(pl_get_attribute(pl, 1), &pl->value);
    EXPECT_EQ(pl_get_attribute(pl, 2), nullptr);
    EXPECT_EQ(pl_get_attribute(pl, -1), nullptr);
    Attribute* second = pl_need_attribute(pl, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(pl_get_attribute(pl, 3), nullptr);
    Attribute* fourth = pl_need_attribute(pl, 3);
    EXPECT_EQ(pl->attributes->count, 2u);
    EXPECT_EQ(pl_get_attribute(pl, 2), second);
    EXPECT_EQ(pl_get_attribute(pl, 3), fourth);
    EXPECT_EQ(pl_need_attribute(pl, 3), fourth);
    pl_attr_flags(pl, false, SET);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(pl_get_attribute(pl, i)->flags & SET) << i;
    pl_attr_flags(pl, true, static_cast<uint8_t>(~SET));
    EXPECT_EQ(pl->reference.flags, VIS);
    EXPECT_EQ(fourth->flags, 0);
    free_PlacedPart(nullptr, pl, false);
}

// --- user field names --------------------------------------------------------------

struct FieldCase {
    int configured;  // NB_FIELD_NAME
    bool with_ref_value;
    std::vector<std::string> names;
};

class FieldNames : public testing::TestWithParam<FieldCase> {
protected:
    void SetUp() override {
        config_init_keys();
        config_set_defaults();
        set_field_name(0, "Reference");
        set_field_name(1, "Value");
        set_field_name(2, "Tolerance");
        set_field_name(3, "");
        set_field_name(4, "Maker");
    }
    void TearDown() override { config_set_defaults(); }
};

TEST_P(FieldNames, NamesAreTakenFromTheConfigurationOrGenerated) {
    proper_set(NB_FIELD_NAME, GetParam().configured, 0);
    std::vector<std::string> names;
    EXPECT_EQ(make_field_names(&names, GetParam().with_ref_value),
              static_cast<int>(GetParam().names.size()));
    EXPECT_EQ(names, GetParam().names);
    free_field_names(&names);
    EXPECT_TRUE(names.empty());
}

INSTANTIATE_TEST_SUITE_P(Counts, FieldNames,
                         testing::Values(FieldCase{0, true, {"Attr. #1"}},
                                         FieldCase{0, false, {"Attr. #1"}},
                                         FieldCase{5, false, {"Tolerance", "Attr. #2", "Maker"}},
                                         FieldCase{3, true, {"Reference", "Value", "Tolerance"}},
                                         FieldCase{2, false, {}}),
                         [](const auto& info) {
                             return "count" + std::to_string(info.param.configured) +
                                    (info.param.with_ref_value ? "_all" : "_user");
                         });

}  // namespace
