// The part under edit: its layout on the editing sheet, its references,
// loading another part, New, and saving the library.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit_items.h"
#include "libedit_fixture.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

using namespace libedit_test;

namespace {

class PartEditTest : public LibEditTest {
protected:
    void SetUp() override {
        LibEditTest::SetUp();
        start(2);
    }
    std::vector<PlacedPart*> placed() {
        std::vector<PlacedPart*> out;
        for (SchItem* item : list_items<SchItem>(items()))
            if (item->type == PARTLIB_ITEM) out.push_back(as_PlacedPart(item));
        return out;
    }
};

TEST_F(PartEditTest, FourDevicesWithAConvertedFormStandInFourRowsOfTwo) {
    add_part("7400", 4, 4000, 3000, true);
    get_part("7400");
    std::vector<PlacedPart*> parts = placed();
    ASSERT_EQ(parts.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        PlacedPart* pl = parts[i];
        const bool converted = i % 2 == 1;
        EXPECT_EQ(pl->device, i / 2);
        EXPECT_EQ((pl->flags & PL_CONVERT) != 0, converted);
        // Columns and rows LIBEDIT_GAP apart beyond the body.
        EXPECT_EQ(pl->pos, (Point{converted ? 10000 + 4000 + 12000 : 10000,
                                  10000 + (i / 2) * (3000 + 12000)}));
        // The placed part is followed by its body and its frame.
        Boite* body = body_box_of(items(), pl);
        ASSERT_NE(body, nullptr);
        EXPECT_EQ(body_rect(body), (Rect{pl->pos.x, pl->pos.y, 4000, 3000}));
        EXPECT_NE(body->flags & STYLE_MASK, DRAW);
        EXPECT_EQ((body->state & CONVERTED_BOX) != 0, converted);
        EXPECT_TRUE(body->state & BODY_BOX);
        Boite* frame = find_body_box(items(), Point{pl->pos.x - 4999, pl->pos.y - 4999}, false);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(body_rect(frame), (Rect{pl->pos.x - 5000, pl->pos.y - 5000, 14000, 13000}));
        EXPECT_EQ((frame->state & CONVERTED_BOX) != 0, converted);
    }
    EXPECT_EQ(libedit_part(&ed), find_LibEntry(lib(), "7400")->part);
    EXPECT_STREQ(libedit_part_name(&ed), "7400");
    EXPECT_EQ(libedit_nb_names(&ed), 1);
    // The frame is what the tools pick: a point between two bodies finds the nearer device.
    Boite* hit = nullptr;
    EXPECT_EQ(libedit_part_at_point(&ed, Point{15000, 24000}, true, &hit), parts[2]);
    EXPECT_EQ(hit, body_box_of(items(), parts[2]));
    EXPECT_EQ(libedit_part_at_point(&ed, Point{20000, 5000}, true, &hit), nullptr);
}

TEST_F(PartEditTest, AConvertedDrawingAloneMakesTheConvertedFormAndTheBodyOffsetMovesTheLayout) {
    Part* part = add_part("X", 1, 2000, 1000, true);
    part->state &= ~PART_CONVERTED;
    part->body.x = 500;
    part->body.y = -300;
    get_part("X");
    ASSERT_EQ(placed().size(), 2u);
    EXPECT_TRUE(part->state & PART_CONVERTED);
    EXPECT_EQ(placed()[0]->pos, (Point{10500, 9700}));
    EXPECT_EQ(placed()[1]->pos, (Point{10500 + 2000 + 12000, 9700}));
}

TEST_F(PartEditTest, ReferencesTakeAQuestionMarkForSeveralDevicesOnce) {
    Part* part = add_part("Q", 4, 2000, 2000, false);
    get_part("Q");
    for (PlacedPart* pl : placed()) {
        EXPECT_STREQ(pl->reference.text.get(), "U?");
        EXPECT_TRUE(pl->reference.flags & VIS);
        EXPECT_STREQ(pl->value.text.get(), "Q");
        EXPECT_STREQ(pl->part_name.get(), "Q");
    }
    part->prefix.set("IC?");
    libedit_refresh_references(&ed, part, nullptr);
    EXPECT_STREQ(placed()[0]->reference.text.get(), "IC?");
    EXPECT_STREQ(placed()[0]->value.text.get(), "Q");
    set_Part_devices(part, 1);
    part->prefix.set("R");
    libedit_refresh_references(&ed, part, "RENAMED");
    EXPECT_STREQ(placed()[3]->reference.text.get(), "R");
    EXPECT_STREQ(placed()[3]->value.text.get(), "RENAMED");
    part->prefix.set("");
    set_Part_devices(part, 2);
    libedit_refresh_references(&ed, part, nullptr);
    EXPECT_STREQ(placed()[0]->reference.text.get(), "");
}

TEST_F(PartEditTest, LoadingAnotherPartAsksAboutUnsavedEditsAndNoChangesNothing) {
    Part* a = add_part("A", 1, 2000, 2000, false);
    add_part("B", 1, 3000, 3000, false);
    get_part("A");
    a->prefix.set("EDITED");
    schema_set_modified(doc());
    script_answers({ANSWER_NO});
    EXPECT_FALSE(libedit_load_part(&ed, find_LibEntry(lib(), "B"), true));
    EXPECT_STREQ(libedit_part_name(&ed), "A");
    EXPECT_EQ(libedit_nb_names(&ed), 1);
    EXPECT_STREQ(a->prefix.get(), "EDITED");
    EXPECT_EQ(last_box_text(), "You have unsaved edits.\nOk to lose them ?");

    // Yes drops the edits: the part is as it was loaded.
    script_answers({ANSWER_YES});
    get_part("B");
    EXPECT_STREQ(a->prefix.get(), "U");
    EXPECT_STREQ(libedit_part_name(&ed), "B");
    EXPECT_FALSE(schema_is_modified(doc()));
}

TEST_F(PartEditTest, DroppingThePartsEditsKeepsTheDocumentModifiedWhileEntriesAreUnsaved) {
    tn_test::TempDir dir;
    add_part("A", 1, 2000, 2000, false);
    add_part("B", 1, 3000, 3000, false);
    get_part("A");
    // A renamed entry is not part of the part: Yes keeps it, so the save question must stay.
    ASSERT_TRUE(libedit_rename(&ed, "A", "A2"));
    script_answers({ANSWER_YES});
    get_part("B");
    EXPECT_NE(find_LibEntry(lib(), "A2"), nullptr);
    EXPECT_TRUE(schema_is_modified(doc()));

    // Saved, then a field written into the entries: the same holds for it.
    ASSERT_EQ(libedit_save_library(&ed, dir.file("saved.clb").c_str()), 0);
    proper_set(NB_FIELD_NAME, 3, 0);
    ASSERT_TRUE(libedit_write_fields(&ed, {"10k"}));
    script_answers({ANSWER_YES});
    get_part("A2");
    EXPECT_TRUE(schema_is_modified(doc()));

    // With the entries saved, dropping a part's edits leaves nothing unsaved.
    ASSERT_EQ(libedit_save_library(&ed, dir.file("saved.clb").c_str()), 0);
    libedit_set_prefix(&ed, "EDITED");
    ASSERT_TRUE(schema_is_modified(doc()));
    script_answers({ANSWER_YES});
    get_part("B");
    EXPECT_FALSE(schema_is_modified(doc()));
    EXPECT_STREQ(find_LibEntry(lib(), "A2")->part->prefix.get(), "U");
}

TEST_F(PartEditTest, LoadingChecksThePinNumbersOfThePartShown) {
    Part* a = add_part("A", 2, 2000, 2000, false);
    add_part("B", 1, 2000, 2000, false);
    get_part("A");
    // A second input pin with the numbers of the first; the power pin does not count.
    Pin* twin = copy_Pin(static_cast<Pin*>(a->normal_pins->pins->head->data), 2);
    append_or_die(a->normal_pins->pins, twin);
    get_part("B");
    EXPECT_EQ(last_box_text(), "Some of the references are Duplicated:\n1,2\n(Normal form)");
}

TEST_F(PartEditTest, NewDropsTheLibraryWithItsCopiesAndCancelKeepsEverything) {
    add_part("A", 1, 2000, 2000, false);
    get_part("A");
    lib_host.close_answer = false;
    EXPECT_FALSE(libedit_new_part(&ed));
    EXPECT_STREQ(libedit_part_name(&ed), "A");

    lib_host.close_answer = true;
    ASSERT_TRUE(libedit_new_part(&ed));
    EXPECT_EQ(lib_entry_count(lib()), 0u);
    EXPECT_EQ(libedit_first_placed(&ed), nullptr);
    EXPECT_EQ(ed.load_copy.copy, nullptr);
    EXPECT_EQ(ed.load_copy.target, nullptr);
    // The next load restores nothing into the library that went.
    add_part("B", 1, 2000, 2000, false);
    schema_set_modified(doc());
    script_answers({ANSWER_YES});
    get_part("B");
    EXPECT_STREQ(libedit_part_name(&ed), "B");
}

TEST_F(PartEditTest, SavingWritesTheLibraryAndKeepsTheSavedPartAsTheLoadTimeCopy) {
    tn_test::TempDir dir;
    Part* a = add_part("A", 1, 2000, 2000, false);
    get_part("A");
    a->prefix.set("SAVED");
    schema_set_modified(doc());
    const std::string file = dir.file("edited.clb");
    ASSERT_EQ(libedit_save_library(&ed, file.c_str()), 0);
    EXPECT_FALSE(schema_is_modified(doc()));
    EXPECT_STREQ(lib()->name, "edited");
    // The saved edit stays when another part is loaded.
    add_part("B", 1, 2000, 2000, false);
    get_part("B");
    EXPECT_STREQ(a->prefix.get(), "SAVED");

    // Read back into a second window's library.
    ASSERT_EQ(libedit_open_library(&ed, file.c_str()), 0);
    LibEntry* entry = find_LibEntry(lib(), "A");
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->part->prefix.get(), "SAVED");
    EXPECT_EQ(libedit_first_placed(&ed), nullptr);
    // A file that cannot be read leaves the library as it was.
    EXPECT_EQ(libedit_open_library(&ed, dir.file("missing.clb").c_str()), 63);
    EXPECT_EQ(find_LibEntry(lib(), "A"), entry);
    tn_test::write_text(dir.file("bad.clb"), "@not a library");
    EXPECT_EQ(libedit_open_library(&ed, dir.file("bad.clb").c_str()), 64);
    EXPECT_EQ(find_LibEntry(lib(), "A"), entry);
}

TEST_F(PartEditTest, PartInfoShowsTheSummaryOfThePartUnderEdit) {
    PartInfo info;
    EXPECT_FALSE(libedit_part_info(&ed, &info));
    add_part("A", 3, 4000, 2500, false);
    get_part("A");
    ASSERT_TRUE(libedit_part_info(&ed, &info));
    EXPECT_EQ(info.name, "A");
    EXPECT_EQ(info.dimensions, "4000 X 2500   ");
    EXPECT_EQ(info.devices, "3");
    EXPECT_EQ(info.normal_pins, "2 (1 Powers) ");
    EXPECT_EQ(info.convert_pins, "0");
    EXPECT_EQ(info.names, "1");
}

}  // namespace
