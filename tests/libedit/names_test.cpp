// The names of the part under edit, the Part Names journal, and the
// drawings taken from another part.
#include <gtest/gtest.h>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "libedit/libedit_items.h"
#include "libedit_fixture.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "support/test_env.h"

using namespace libedit_test;

namespace {

class NamesTest : public LibEditTest {
protected:
    void SetUp() override {
        LibEditTest::SetUp();
        start(2);
        part = add_part("A", 1, 2000, 2000, false);
        other = add_part("OTHER", 1, 3000, 3000, false);
        get_part("A");
    }
    // Every entry is found under its own name: the tree is in order.
    void expect_findable() {
        for (LibEntry* entry : lib_entries_in_order(lib()))
            EXPECT_EQ(find_LibEntry(lib(), entry->name.get()), entry) << entry->name.get();
    }
    Part* part = nullptr;
    Part* other = nullptr;
};

TEST_F(NamesTest, AddRenameAndDeleteKeepTheLibraryAndTheTableInStep) {
    LibEntry* alias = libedit_add_name(&ed, "ALIAS");
    ASSERT_NE(alias, nullptr);
    EXPECT_EQ(alias->part, part);
    EXPECT_EQ(libedit_nb_names(&ed), 2);
    EXPECT_EQ(lib_entry_count(lib()), 3u);
    EXPECT_TRUE(schema_is_modified(doc()));
    // The name the part already has (in any case) adds nothing.
    EXPECT_EQ(libedit_add_name(&ed, "alias"), alias);
    EXPECT_EQ(libedit_add_name(&ed, ""), nullptr);
    EXPECT_EQ(lib_entry_count(lib()), 3u);

    ASSERT_TRUE(libedit_rename(&ed, "ALIAS", "ZED"));
    EXPECT_EQ(find_LibEntry(lib(), "ZED"), alias);
    EXPECT_EQ(find_LibEntry(lib(), "ALIAS"), nullptr);
    expect_findable();
    EXPECT_STREQ(libedit_part_name(&ed), "ZED");    // the sheet takes the new name
    EXPECT_FALSE(libedit_rename(&ed, "ZED", "A"));  // a name the part has already
    EXPECT_FALSE(libedit_rename(&ed, "NOPE", "NEW"));

    // Deleting the name shown: the sheet shows the remaining one.
    ASSERT_TRUE(libedit_delete_name(&ed, "ZED"));
    EXPECT_EQ(libedit_nb_names(&ed), 1);
    EXPECT_EQ(find_LibEntry(lib(), "ZED"), nullptr);
    EXPECT_STREQ(libedit_part_name(&ed), "A");
    expect_findable();
}

TEST_F(NamesTest, ANameOfAnotherPartIsReplacedOnlyOnYesAndTheDisplacedEntryGoes) {
    script_answers({ANSWER_NO});
    EXPECT_EQ(libedit_add_name(&ed, "OTHER"), nullptr);
    EXPECT_EQ(find_LibEntry(lib(), "OTHER")->part, other);

    script_answers({ANSWER_YES});
    LibEntry* entry = libedit_add_name(&ed, "other");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(last_box_text(), "This Name already exists for another Part\nOk to Replace ?");
    EXPECT_EQ(find_LibEntry(lib(), "OTHER"), entry);
    EXPECT_EQ(entry->part, part);
    // One entry of the name; the other part went with its only entry.
    EXPECT_EQ(lib_entry_count(lib()), 2u);
    expect_findable();

    // A rename onto another part's name asks the same.
    add_part("THIRD", 1, 1000, 1000, false);
    script_answers({ANSWER_NO});
    EXPECT_FALSE(libedit_rename(&ed, "A", "THIRD"));
    EXPECT_NE(find_LibEntry(lib(), "THIRD")->part, part);
}

TEST_F(NamesTest, DeletingTheLastNameAsksThenEmptiesTheSheetForGood) {
    script_answers({ANSWER_NO});
    EXPECT_FALSE(libedit_delete_name(&ed, "A"));
    EXPECT_EQ(libedit_part(&ed), part);

    script_answers({ANSWER_YES});
    ASSERT_TRUE(libedit_delete_name(&ed, "A"));
    EXPECT_EQ(last_box_text(), "Deleteting this name will Delete the Part\nOk to Continue ?");
    EXPECT_EQ(libedit_first_placed(&ed), nullptr);
    EXPECT_EQ(ed.load_copy.copy, nullptr);
    EXPECT_EQ(find_LibEntry(lib(), "A"), nullptr);
    get_part("OTHER");
    EXPECT_EQ(find_LibEntry(lib(), "A"), nullptr);
}

TEST_F(NamesTest, TheCloseBoxReversesWhatTheDialogDidAndOkKeepsIt) {
    names_journal_open(&ed);
    ASSERT_NE(libedit_add_name(&ed, "X"), nullptr);
    ASSERT_TRUE(libedit_delete_name(&ed, "A"));
    ASSERT_TRUE(libedit_rename(&ed, "X", "Y"));
    script_answers({ANSWER_YES});
    ASSERT_NE(libedit_add_name(&ed, "OTHER"), nullptr);
    names_journal_revert(&ed);
    EXPECT_EQ(lib_entry_count(lib()), 2u);
    EXPECT_EQ(find_LibEntry(lib(), "A")->part, part);
    EXPECT_EQ(find_LibEntry(lib(), "OTHER")->part, other);
    EXPECT_EQ(find_LibEntry(lib(), "Y"), nullptr);
    EXPECT_STREQ(libedit_part_name(&ed), "A");
    EXPECT_EQ(libedit_nb_names(&ed), 1);
    expect_findable();

    // The last name deleted and taken back: the part and its load copy return.
    names_journal_open(&ed);
    script_answers({ANSWER_YES});
    ASSERT_TRUE(libedit_delete_name(&ed, "A"));
    EXPECT_EQ(libedit_first_placed(&ed), nullptr);
    names_journal_revert(&ed);
    EXPECT_EQ(libedit_part(&ed), part);
    EXPECT_NE(ed.load_copy.copy, nullptr);

    names_journal_open(&ed);
    ASSERT_NE(libedit_add_name(&ed, "KEPT"), nullptr);
    names_journal_commit(&ed);
    EXPECT_EQ(find_LibEntry(lib(), "KEPT")->part, part);
    EXPECT_EQ(libedit_nb_names(&ed), 2);
}

// A rename while Part Names is open is journalled like an Add or a Delete:
// the close box gives the entry its old name again, where the library's
// order finds it, and the sheet shows that name. A close box after no
// change leaves the document as it was.
TEST_F(NamesTest, TheCloseBoxTakesARenameBackAndNoChangeMarksNothing) {
    ASSERT_FALSE(schema_is_modified(doc()));
    names_journal_open(&ed);
    EXPECT_EQ(libedit_add_name(&ed, "a"), find_LibEntry(lib(), "A"));  // its own name
    EXPECT_FALSE(libedit_rename(&ed, "A", "a"));
    names_journal_revert(&ed);
    EXPECT_FALSE(schema_is_modified(doc()));

    names_journal_open(&ed);
    ASSERT_TRUE(libedit_rename(&ed, "A", "B"));
    EXPECT_STREQ(libedit_part_name(&ed), "B");
    names_journal_revert(&ed);
    EXPECT_EQ(find_LibEntry(lib(), "B"), nullptr);
    ASSERT_NE(find_LibEntry(lib(), "A"), nullptr);
    EXPECT_EQ(find_LibEntry(lib(), "A")->part, part);
    EXPECT_STREQ(libedit_part_name(&ed), "A");
    EXPECT_EQ(libedit_nb_names(&ed), 1);
    expect_findable();
}

TEST_F(NamesTest, NamesTakenBackAfterASaveLeaveTheDocumentToBeSavedAgain) {
    tn_test::TempDir dir;
    names_journal_open(&ed);
    ASSERT_NE(libedit_add_name(&ed, "X"), nullptr);
    ASSERT_EQ(libedit_save_library(&ed, dir.file("names.clb").c_str()), 0);
    ASSERT_FALSE(schema_is_modified(doc()));
    const int marks = host.modified;
    names_journal_revert(&ed);
    EXPECT_EQ(find_LibEntry(lib(), "X"), nullptr);
    // The file holds the name the library no longer has.
    EXPECT_TRUE(schema_is_modified(doc()));
    EXPECT_GT(host.modified, marks);
}

// A change that lays the part out again ends a tool that holds a placed
// part of the layout before (the Add Pin tool after its first click).
TEST_F(NamesTest, ChangesThatLayThePartOutAgainEndTheToolsOfTheLayoutBefore) {
    auto pin_tool_on_body = [&] {
        ASSERT_NE(start_add_pin_mode(&session, 0, PIN_IN, nullptr, nullptr), nullptr);
        click(Point{10000, 11000});
        ASSERT_EQ(ModeCount(&session), 2);
    };
    pin_tool_on_body();
    VectorOptions options;
    ASSERT_TRUE(libedit_apply_vector_definition(&ed, find_LibEntry(lib(), "OTHER"), options));
    EXPECT_EQ(ModeCount(&session), 1);
    click(Point{10000, 11500});
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);

    pin_tool_on_body();
    names_journal_open(&ed);
    ASSERT_NE(libedit_add_name(&ed, "X"), nullptr);
    names_journal_revert(&ed);
    EXPECT_EQ(ModeCount(&session), 1);
    click(Point{10000, 11500});
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);

    pin_tool_on_body();
    script_answers({ANSWER_YES});
    ASSERT_TRUE(libedit_delete_name(&ed, "A"));
    EXPECT_EQ(ModeCount(&session), 1);
    click(Point{10000, 11500});
}

// --- vector definitions ----------------------------------------------------------------------
Vectors* set_of(int lines) {
    Vectors* set = new_Vectors();
    for (int i = 0; i < lines; ++i) append_or_die(set->items, new_Line());
    return set;
}

TEST_F(NamesTest, SetPartVectorsMergesIntoASetOfThePartsOwn) {
    Vectors* shared = part->normal;
    ref_Vectors(shared);  // another part shows the same body
    set_part_vectors(part, true, set_of(2), false);
    ASSERT_NE(part->normal, shared);
    EXPECT_EQ(part->normal->items->count, 3u);
    EXPECT_EQ(part->normal->refs, 1);
    EXPECT_EQ(shared->items->count, 1u);
    EXPECT_EQ(shared->refs, 1);
    unref_Vectors(shared);

    // An empty slot takes the set itself, held once.
    Vectors* taken = set_of(1);
    set_part_vectors(part, false, taken, false);
    EXPECT_EQ(part->convert, taken);
    EXPECT_EQ(taken->refs, 1);
    set_part_vectors(part, false, nullptr, false);
    EXPECT_EQ(part->convert, taken);
}

TEST_F(NamesTest, GetVectorRefusesMissingPartsAndDrawinglessOnes) {
    VectorOptions options;
    LibEntry* found = nullptr;
    EXPECT_EQ(libedit_get_vector(&ed, lib(), "MISSING", &found, &options), 70);
    unref_Vectors(other->normal);
    other->normal = nullptr;
    EXPECT_EQ(libedit_get_vector(&ed, lib(), "OTHER", &found, &options), 50000);
    EXPECT_EQ(libedit_get_vector(&ed, lib(), "A", &found, &options), 0);
    EXPECT_EQ(found, find_LibEntry(lib(), "A"));
    EXPECT_TRUE(options.free_applies);
    EXPECT_FALSE(options.convert_applies);  // the part under edit has no converted drawing
}

TEST_F(NamesTest, BothDrawingsOnTheNormalBodyAreMergedThere) {
    other->convert = set_of(2);
    ref_Vectors(other->convert);
    VectorOptions options;
    options.free_current = true;
    options.normal_row = VECTORS_TO_NORMAL;
    options.convert_row = VECTORS_TO_NORMAL;
    ASSERT_TRUE(libedit_apply_vector_definition(&ed, find_LibEntry(lib(), "OTHER"), options));
    ASSERT_NE(part->normal, nullptr);
    EXPECT_EQ(part->normal->items->count, 3u);  // its own drawing freed, the source's two merged in
    EXPECT_EQ(part->convert, nullptr);
    EXPECT_EQ(other->normal->items->count, 1u);
    EXPECT_STREQ(libedit_part_name(&ed), "A");
}

TEST_F(NamesTest, UndoOfATakenDrawingPutsBackOnlyWhatItReplaced) {
    ASSERT_TRUE(libedit_set_prefix(&ed, "R"));
    VectorOptions options;
    options.free_current = true;
    ASSERT_TRUE(libedit_apply_vector_definition(&ed, find_LibEntry(lib(), "OTHER"), options));
    ASSERT_EQ(part->normal->items->count, 1u);
    const Line* taken = static_cast<const Line*>(dlist_head(part->normal->items)->data);
    EXPECT_EQ(taken->end, (Point{3000, 3000}));
    libedit_undo(&ed);
    const Line* back = static_cast<const Line*>(dlist_head(part->normal->items)->data);
    EXPECT_EQ(back->end, (Point{2000, 2000}));
    // The edit before it stays.
    EXPECT_STREQ(part->prefix.get(), "R");
}

TEST_F(NamesTest, AVectorDefinitionWithoutAPartMakesOneLikeTheSource) {
    script_answers({ANSWER_YES});
    ASSERT_TRUE(libedit_delete_name(&ed, "A"));
    set_Part_devices(other, 2);
    other->convert = set_of(1);
    ref_Vectors(other->convert);
    VectorOptions options;
    ASSERT_TRUE(libedit_apply_vector_definition(&ed, find_LibEntry(lib(), "OTHER"), options));
    Part* made = libedit_part(&ed);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, other);
    EXPECT_STREQ(libedit_part_name(&ed), "noname");
    EXPECT_EQ(made->devices, 2);
    EXPECT_EQ(made->body, other->body);
    EXPECT_EQ(made->normal->items->count, 1u);
    EXPECT_EQ(made->convert->items->count, 1u);
    EXPECT_EQ(count(PARTLIB_ITEM), 4);  // two devices, each with its converted body
}

}  // namespace
