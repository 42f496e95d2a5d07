// Main Mode: click and rectangle selection through the edit filter,
// moving and dragging with wires following, delete, cut, copy and paste
// through the paste file, and undo after each of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "editor/edit_ops.h"
#include "editor/selection.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/edit_state.h"
#include "model/documents/paste.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "support/test_env.h"

using namespace editor_test;

namespace {

class SelectionTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        sheet_test::add_library_part(doc(), "7400");
        part = new_PlacedPart();
        part->part_name.set("7400");
        part->pos = Point{30000, 10000};
        part->reference.text.set("U1");
        dlist_append(doc()->sheet->items, part);
        // Wires to the input pin's tip (27000, 11000) and the output's (37000, 11000).
        in_wire = line(Point{20000, 11000}, Point{27000, 11000});
        out_wire = line(Point{37000, 11000}, Point{45000, 11000});
        far_wire = line(Point{0, 0}, Point{5000, 0});
    }
    Line* line(Point a, Point b, uint8_t style = 0) { return add_line(a, b, style); }
    PlacedPart* part;
    Line* in_wire;
    Line* out_wire;
    Line* far_wire;
};

TEST_F(SelectionTest, ClickShiftClickAndEscSelect) {
    click(Point{32000, 12000});  // inside the body
    EXPECT_TRUE(is_selected(part));
    EXPECT_EQ(selection_count(&session), 1);
    click(Point{2000, 0});
    EXPECT_FALSE(is_selected(part));
    EXPECT_TRUE(is_selected(far_wire));
    session_event(&session, EV_LEFT_DOWN_SHIFT, Point{32000, 12000});
    session_event(&session, EV_LEFT_UP, Point{32000, 12000});
    EXPECT_EQ(selection_count(&session), 2);
    session_event(&session, EV_LEFT_DOWN_SHIFT, Point{32000, 12000});
    session_event(&session, EV_LEFT_UP, Point{32000, 12000});
    EXPECT_FALSE(is_selected(part));
    click(Point{90000, 90000});  // on nothing: the selection goes
    EXPECT_EQ(selection_count(&session), 0);
    click(Point{2000, 0});
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(selection_count(&session), 0);
    EXPECT_FALSE(far_wire->state & STATE_SELECTED);
}

// Shift adds to the selection: a Shift-click that misses every item, or a
// Shift-rectangle round nothing, keeps what is selected.
TEST_F(SelectionTest, AShiftClickOrRectangleOnNothingKeepsTheSelection) {
    click(Point{32000, 12000});
    session_event(&session, EV_LEFT_DOWN_SHIFT, Point{2000, 0});
    session_event(&session, EV_LEFT_UP, Point{2000, 0});
    ASSERT_EQ(selection_count(&session), 2);
    session_event(&session, EV_LEFT_DOWN_SHIFT, Point{90000, 90000});
    session_event(&session, EV_LEFT_UP, Point{90000, 90000});
    EXPECT_EQ(selection_count(&session), 2);
    EXPECT_TRUE(is_selected(part));
    EXPECT_TRUE(is_selected(far_wire));
    draw_out(Point{80000, 80000}, Point{90000, 90000}, EV_LEFT_DOWN_SHIFT);
    EXPECT_EQ(selection_count(&session), 2);
}

// A press picks what lies under the pointer; where that is nothing, what
// lies at the grid point it snaps to (here the body's left edge).
TEST_F(SelectionTest, APressOnNothingTakesWhatLiesAtItsGridPoint) {
    session_event(&session, EV_LEFT_DOWN, Point{30000, 12000}, Point{29960, 12030});
    session_event(&session, EV_LEFT_UP, Point{30000, 12000}, Point{29960, 12030});
    EXPECT_TRUE(is_selected(part));
}

TEST_F(SelectionTest, TheRectangleTakesWhatLiesInsideAndTheEditFilterAdmits) {
    draw_out(Point{19000, 9000}, Point{46000, 20000});
    EXPECT_TRUE(is_selected(in_wire));
    EXPECT_TRUE(is_selected(out_wire));
    EXPECT_FALSE(is_selected(far_wire));
    proper_set(EDIT_MODE, EDIT_FILTER_PARTS, 0);
    draw_out(Point{19000, 5000}, Point{46000, 20000});
    EXPECT_FALSE(is_selected(in_wire));
    EXPECT_EQ(selection_count(&session), 1);
    click(Point{2000, 0});  // a wire is not admitted now
    EXPECT_EQ(selection_count(&session), 0);
    EXPECT_EQ(host.xor_parity, 0);
}

// Dragged across its wires, a part keeps them straight: each gets a bend
// down to the pin it followed.
TEST_F(SelectionTest, DraggingAPartTakesTheAttachedWiresAlong) {
    click(Point{32000, 12000});
    draw_out(Point{32000, 12000}, Point{32000, 15000}, EV_LEFT_DOWN_CTRL);
    EXPECT_EQ(part->pos, (Point{30000, 13000}));
    EXPECT_EQ(in_wire->pos, (Point{20000, 11000}));
    EXPECT_EQ(in_wire->end, (Point{27000, 11000}));
    EXPECT_EQ(out_wire->pos, (Point{37000, 11000}));
    EXPECT_EQ(far_wire->end, (Point{5000, 0}));
    EXPECT_EQ(count(LINE_ITEM), 5);
    const Line* bends[2] = {
        as_Line(static_cast<SchItem*>(dlist_tail(doc()->sheet->items)->data)),
        as_Line(static_cast<SchItem*>(dlist_tail(doc()->sheet->items)->prev->data))};
    for (const Line* bend : bends) {
        EXPECT_TRUE(bend->pos.x == 27000 || bend->pos.x == 37000);
        EXPECT_EQ(bend->pos.x, bend->end.x);
        EXPECT_EQ(std::min(bend->pos.y, bend->end.y), 11000);
        EXPECT_EQ(std::max(bend->pos.y, bend->end.y), 14000);
    }
    EXPECT_EQ(host.xor_parity, 0);
    // A plain move leaves the wires where they are.
    draw_out(Point{32000, 15000}, Point{33000, 15000});
    EXPECT_EQ(part->pos, (Point{31000, 13000}));
    EXPECT_EQ(count(LINE_ITEM), 5);
    EXPECT_EQ(in_wire->end, (Point{27000, 11000}));
}

// A field of a part, where it was laid out when drawn, is taken by a press
// on its text: drawn out, it moves alone and stays where it was put (SET);
// undo puts it back. A click on it selects its part.
TEST_F(SelectionTest, AFieldDrawnOutMovesAloneAndStaysWhereItIsPut) {
    // The drawing layer's answer: a part covers its fields too.
    Services drawn;
    drawn.item_draw_bounds = [](Schema*, SchItem* item, Rect* out) {
        if (!item || item->type != PARTLIB_ITEM) return false;  // null: forget caches
        *out = Rect{item->pos.x - 20000, item->pos.y - 20000, 40000, 40000};
        return true;
    };
    install_services(drawn);
    drop_sheet_index(doc());
    pl_place_unset_attributes(doc(), doc()->library, part);
    const Point reference = part->reference.pos;
    ASSERT_TRUE(part->reference.flags & SET);
    // The text runs right of its anchor, above its baseline.
    const Point on_text{reference.x + 300, reference.y - 300};
    const auto before = saved_bytes();
    draw_out(on_text, Point{on_text.x + 2000, on_text.y + 1000});
    EXPECT_EQ(part->pos, (Point{30000, 10000})) << "the part moved with its field";
    EXPECT_EQ(part->reference.pos, (Point{reference.x + 2000, reference.y + 1000}));
    EXPECT_TRUE(part->reference.flags & SET);
    EXPECT_EQ(selection_count(&session), 0);
    EXPECT_EQ(host.xor_parity, 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
    part = as_PlacedPart(list_first_part(doc()->sheet->items));
    EXPECT_EQ(part->reference.pos, reference);
    click(on_text);
    EXPECT_TRUE(is_selected(part));
    EXPECT_EQ(selection_count(&session), 1);
}

TEST_F(SelectionTest, EveryEditIsUndoneToTheSameBytes) {
    struct {
        const char* name;
        std::function<void()> edit;
    } edits[] = {
        {"drag",
         [&] {
             draw_out(Point{32000, 12000}, Point{36000, 12000}, EV_LEFT_DOWN_CTRL);
         }},
        {"delete", [&] { session_key(&session, TK_DELETE); }},
        {"cut", [&] { cut_selection(&session); }},
    };
    for (auto& e : edits) {
        SCOPED_TRACE(e.name);
        click(Point{32000, 12000});
        auto before = saved_bytes();
        e.edit();
        EXPECT_NE(saved_bytes(), before);
        ASSERT_EQ(undo_sheet(&session), 0);
        EXPECT_EQ(saved_bytes(), before);
        // The restored document is the one now edited.
        part = as_PlacedPart(list_first_part(doc()->sheet->items));
    }
    // One level: a second undo finds nothing new.
    auto once = saved_bytes();
    undo_sheet(&session);
    EXPECT_EQ(saved_bytes(), once);
}

TEST_F(SelectionTest, UndoAfterASaveAndAfterTheCopiedRecordsWereFreed) {
    tn_test::TempDir dir;
    click(Point{2000, 0});
    auto before = saved_bytes();
    session_key(&session, TK_DELETE);  // far_wire freed; the copy keeps no pointer to it
    ASSERT_EQ(save_schema_file(doc(), dir.file("a.sch").c_str(), false), 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
    EXPECT_EQ(count(LINE_ITEM), 3);
}

// A sub-sheet opened in its own document, edited and closed between the edit
// and its undo frees records of its own (the ports copied from the box among
// them); the parent's undo must not reach any of them.
TEST_F(SelectionTest, UndoAfterAnotherSheetsWindowWasClosed) {
    tn_test::TempDir dir;
    SubSheet* box = new_SubSheet();
    box->pos = Point{60000, 0};
    box->size = Point{5000, 5000};
    box->file_name = dir.file("child.sch");
    Port* edge = new_Port();
    edge->name.set("IN");
    edge->pos = Point{60000, 1000};
    dlist_append(box->ports, edge);
    dlist_append(doc()->sheet->items, box);

    click(Point{2000, 0});
    auto before = saved_bytes();
    session_key(&session, TK_DELETE);

    Schema* child = nullptr;
    ASSERT_EQ(open_subsheet_schema(&child, box), 0);
    ASSERT_NE(child, nullptr);
    dlist_append(child->sheet->items, new_Junction());
    schema_set_modified(child);
    close_schema(nullptr, &child);
    EXPECT_EQ(child, nullptr);

    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
    EXPECT_EQ(count(LINE_ITEM), 3);
    EXPECT_EQ(count(SUBSHEET_ITEM), 1);
}

TEST_F(SelectionTest, CopyAndPasteAddTheSelectionAgainSelected) {
    draw_out(Point{19000, 5000}, Point{46000, 20000});
    ASSERT_EQ(selection_count(&session), 3);
    ASSERT_EQ(copy_selection(&session), 0);
    ASSERT_EQ(paste_selection(&session), 0);
    // The pasted items follow the pointer; Esc drops them, a click places them.
    EXPECT_EQ(count(LINE_ITEM), 3);
    EXPECT_STREQ(ModeName(&session, 1), "Paste");
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(count(LINE_ITEM), 3);
    ASSERT_EQ(paste_selection(&session), 0);
    click(Point{60000, 40000});
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(count(LINE_ITEM), 5);
    EXPECT_EQ(count(PARTLIB_ITEM), 2);
    EXPECT_EQ(selection_count(&session), 3);
    EXPECT_FALSE(is_selected(part));
    EXPECT_EQ(doc()->edit.paste_list, nullptr);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(count(LINE_ITEM), 3);
    select_clear(&session);
    EXPECT_EQ(copy_selection(&session), PASTE_NOTHING);
}

TEST_F(SelectionTest, ADamagedOrForeignPasteFileIsRefusedAndChangesNothing) {
    draw_out(Point{19000, 5000}, Point{46000, 20000});
    ASSERT_EQ(copy_selection(&session), 0);
    auto good = tn_test::read_bytes(PASTE_FILE_NAME);
    select_clear(&session);
    auto before = saved_bytes();

    // Every cut of the file, a foreign kind, and no file at all.
    std::vector<std::vector<unsigned char>> bad;
    for (size_t n = 0; n + 1 < good.size(); n += 7)
        bad.emplace_back(good.begin(), good.begin() + n);
    auto library_kind = good;
    std::string word = "Schema";
    auto at = std::search(library_kind.begin(), library_kind.end(), word.begin(), word.end());
    ASSERT_NE(at, library_kind.end());
    const std::string library_word = "Librar";
    std::copy(library_word.begin(), library_word.end(), at);
    bad.push_back(library_kind);
    for (auto& bytes : bad) {
        tn_test::write_bytes(PASTE_FILE_NAME, bytes);
        int result = paste_selection(&session);
        EXPECT_NE(result, 0) << bytes.size() << " bytes";
        EXPECT_EQ(saved_bytes(), before) << bytes.size() << " bytes";
    }
    std::filesystem::remove(PASTE_FILE_NAME);
    EXPECT_EQ(paste_selection(&session), PASTE_CANNOT_OPEN);
    EXPECT_EQ(saved_bytes(), before);
    // Undo after the failed pastes still gives a consistent document.
    undo_sheet(&session);
    EXPECT_EQ(count(PARTLIB_ITEM), 1);
}

}  // namespace

namespace {

class FindTest : public EditorTest {};

TEST_F(FindTest, TheMatchesOfASearchAreSteppedThroughInTurn) {
    for (int i = 0; i < 3; ++i) {
        Text* text = new_Text();
        text->string = i == 1 ? "OTHER" : "NET" + std::to_string(i);
        text->pos = Point{1000 * i, 500};
        dlist_append(doc()->sheet->items, text);
    }
    EXPECT_EQ(search_sheet_texts(doc(), "net*", false, true), 2);
    Point at;
    ASSERT_TRUE(match_next(doc(), &at));
    EXPECT_EQ(at, (Point{0, 500}));
    ASSERT_TRUE(match_next(doc(), &at));
    EXPECT_EQ(at, (Point{2000, 500}));
    ASSERT_TRUE(match_next(doc(), &at));
    EXPECT_EQ(at, (Point{0, 500}));
    ASSERT_TRUE(match_previous(doc(), &at));
    EXPECT_EQ(at, (Point{2000, 500}));
    EXPECT_EQ(search_sheet_texts(doc(), "none", false, false), 0);
    EXPECT_FALSE(match_next(doc(), &at));
    EXPECT_EQ(at, (Point{0, 0}));
}

}  // namespace

namespace {

class RefreshTest : public EditorTest {
protected:
    Line* wire(Point a, Point b) { return add_line(a, b); }
};

TEST_F(RefreshTest, AWireMovedOntoAnotherIsFusedAndLeavesNoDanglingSelection) {
    wire(Point{0, 0}, Point{4000, 0});
    Line* moved = wire(Point{6000, 0}, Point{10000, 0});
    select_add(&session, moved);
    ASSERT_TRUE(move_selection(&session, Point{-3000, 0}, false));
    ASSERT_EQ(count(LINE_ITEM), 1);  // one wire over both
    Line* left = as_Line(static_cast<SchItem*>(doc()->sheet->items->head->data));
    EXPECT_EQ(left->pos, (Point{0, 0}));
    EXPECT_EQ(left->end, (Point{7000, 0}));
    // The absorbed wire left the selection: deleting it touches nothing freed.
    for (SchItem* item : list_items<SchItem>(doc()->edit.edit_list)) EXPECT_EQ(item, left);
    delete_selection(&session);
    EXPECT_FALSE(repeat_last_placement(&session));
}

TEST_F(RefreshTest, AJunctionPlacedOnAWireSplitsItAndTheMarksAreCleared) {
    wire(Point{0, 0}, Point{10000, 0});
    start_junction_mode(&session);
    click(Point{4000, 0});
    EXPECT_EQ(count(LINE_ITEM), 2);
    for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
        EXPECT_EQ(item->state & (STATE_TOUCHED | STATE_TOUCHED_WIRE), 0u);
}

}  // namespace
