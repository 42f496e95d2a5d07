// Vector sets: reference counting, file forms and the operations over items.
#include <gtest/gtest.h>

#include <cstring>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/items/item_streams.h"
#include "model/items/part.h"
#include "model/items/part_samples.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace items_test;
using namespace part_samples;

namespace {

int read_set(const Bytes& bytes, VectorsPtr* out) {
    out->reset(new_Vectors());
    StreamPtr stream = stream_of(bytes);
    return read_Vectors(out->get(), stream.get());
}

TEST(VectorsLife, UnrefOfTheLastHolderFreesAndFreeWithHoldersKeepsTheSet) {
    Vectors* set = sample_normal_body();
    ref_Vectors(set);
    ref_Vectors(set);
    free_Vectors(set);
    EXPECT_EQ(set->items->count, 4u) << "still held: left whole";
    unref_Vectors(set);
    EXPECT_EQ(set->refs, 1);
    unref_Vectors(set);  // freed; the sanitizer build reports a leak otherwise

    VectorsPtr unheld(new_Vectors());
    unref_Vectors(unheld.get());
    EXPECT_EQ(unheld->refs, -1) << "an unheld set is not freed by unref";
}

TEST(VectorsFiles, TheThreeBytesOfAnEmptyDefinitionReadAsAnEmptySet) {
    VectorsPtr set;
    ASSERT_EQ(read_set({VECTORS_TAG, VECTORS_DEFINE_TAG, LIST_END}, &set), 0);
    EXPECT_EQ(set->saved_mode, DEFINE_VEC);
    EXPECT_EQ(set->items->count, 0u);
    EXPECT_EQ(set->state, 1u);
}

TEST(VectorsFiles, ItemsReadAreAppendedAndReferencesKeepTheirName) {
    VectorsPtr body(sample_normal_body());
    Bytes record = bytes_written([&](FILE* f) { write_Vectors(body.get(), f, NORMALOF_VEC, "X"); });
    VectorsPtr read(sample_convert_body());
    StreamPtr stream = stream_of(record);
    ASSERT_EQ(read_Vectors(read.get(), stream.get()), 0);
    EXPECT_EQ(read->items->count, 6u) << "the two items already there stay";

    VectorsPtr ref;
    ASSERT_EQ(read_set({VECTORS_TAG, VECTORS_CONVERTOF_TAG, 'N', 'E', 'X', 'T', 0}, &ref), 0);
    EXPECT_EQ(ref->saved_mode, CONVERTOF_VEC);
    EXPECT_STREQ(ref->name.get(), "NEXT");
    std::string text = text_written([&](FILE* f) { awrite_Vectors(ref.get(), f, 2, NORMALOF_VEC, "Y"); });
    EXPECT_EQ(text, "    (CONVERTVECTOROF 'NEXT' )\n");
}

TEST(VectorsFiles, ALongReferenceNameIsReadWholeAndTheStreamStaysInStep) {
    Bytes record = {VECTORS_TAG, VECTORS_NORMALOF_TAG};
    record.insert(record.end(), 5000, 'n');
    record.push_back(0);
    record.push_back(LIST_END);
    VectorsPtr set(new_Vectors());
    StreamPtr stream = stream_of(record);
    ASSERT_EQ(read_Vectors(set.get(), stream.get()), 0);
    EXPECT_EQ(std::string(set->name.get()), std::string(5000, 'n'));
    EXPECT_EQ(std::fgetc(stream.get()), LIST_END);
}

TEST(VectorsFiles, DamagedSetsAreErrors) {
    // (Cuts of whole sets are swept with the part record.)
    VectorsPtr set;
    EXPECT_EQ(read_set({}, &set), -1);
    EXPECT_EQ(read_set({'!'}, &set), NOT_MY_TAG);
    EXPECT_EQ(read_set({VECTORS_TAG, '$'}, &set), -1) << "unknown kind";
    for (unsigned char bad : {0xC0, 0xC1, 0xC8, 0xC9, 0x00, 0x70})
        EXPECT_EQ(read_set({VECTORS_TAG, VECTORS_DEFINE_TAG, bad, LIST_END}, &set), READ_ERROR)
            << int{bad};
    EXPECT_EQ(read_set({VECTORS_TAG, VECTORS_NORMALOF_TAG, 'A'}, &set), -1);
}

TEST(VectorsOps, DupCopiesTheItemsIntoAnUnheldSetAndKeepsAReference) {
    VectorsPtr body(sample_normal_body());
    VectorsPtr copy(dup_Vectors(body.get()));
    EXPECT_EQ(copy->saved_mode, DEFINE_VEC);
    EXPECT_EQ(copy->refs, 0);
    VectorsPtr ref(new_Vectors());
    ref->saved_mode = CONVERTOF_VEC;
    ref->name.set("Z");
    VectorsPtr ref_copy(dup_Vectors(ref.get()));
    EXPECT_EQ(ref_copy->saved_mode, CONVERTOF_VEC);
    EXPECT_STREQ(ref_copy->name.get(), "Z");
    EXPECT_TRUE(vectors_equal(ref.get(), ref_copy.get()));
    EXPECT_TRUE(compare_ItemList(copy->items, body->items));
    EXPECT_NE(copy->items->head->data, body->items->head->data);
    EXPECT_EQ(dup_Vectors(nullptr), nullptr);
}

TEST(VectorsOps, SelectMarksEveryPickedItemWholeAndAnswersWhetherAllWere) {
    flagop_reset();
    View view;
    view.select = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    view.select_active = 1;
    VectorsPtr set(new_Vectors());
    EXPECT_TRUE(select_Vectors(nullptr, &view, set.get(), STATE_SELECTED, FLAGOP_OR, 0));
    Item* half = line_item({50, 50}, {500, 50});
    Item* inside = line_item({10, 10}, {20, 20});
    Item* outside = line_item({500, 500}, {600, 600});
    dlist_append(set->items, half);
    dlist_append(set->items, inside);
    dlist_append(set->items, outside);
    EXPECT_FALSE(select_Vectors(nullptr, &view, set.get(), STATE_SELECTED, FLAGOP_OR, 0));
    EXPECT_EQ(half->state, 1u | STATE_SELECTED | STATE_BOTH_ENDS) << "marked whole";
    EXPECT_EQ(inside->state, 1u | STATE_SELECTED | STATE_BOTH_ENDS);
    EXPECT_EQ(outside->state, 1u);
    EXPECT_FALSE(select_Vectors(nullptr, &view, nullptr, STATE_SELECTED, FLAGOP_OR, 0));
}

}  // namespace
