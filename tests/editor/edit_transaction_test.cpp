// The edit transaction every change of a sheet goes through: undo copy,
// outlines, connectivity, modified mark and the areas to repaint.
#include <gtest/gtest.h>

#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item_ops.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

using namespace editor_test;

namespace {

class TransactionTest : public EditorTest {
protected:
    Line* wire(Point a, Point b) { return add_line(a, b); }
    // True when some invalidated area holds the rectangle.
    bool repainted(Rect r) const {
        for (const Rect& a : host.invalidated)
            if (a.x <= r.x && a.y <= r.y && a.x + a.w >= r.x + r.w && a.y + a.h >= r.y + r.h)
                return true;
        return false;
    }
};

TEST_F(TransactionTest, AMoveRepaintsWhereTheItemWasAndWhereItIsAndIsUndone) {
    Line* w = wire(Point{1000, 1000}, Point{5000, 1000});
    const std::vector<unsigned char> before = saved_bytes();
    select_add(&session, w);
    ASSERT_TRUE(move_selection(&session, Point{0, 20000}, false));
    EXPECT_TRUE(host.undo_enabled);
    EXPECT_EQ(host.modified, 1);
    EXPECT_EQ(host.invalidations, 1);
    EXPECT_TRUE(repainted(Rect{1000, 1000, 4000, 0})) << "where it was";
    EXPECT_TRUE(repainted(Rect{1000, 21000, 4000, 0})) << "where it is";
    EXPECT_EQ(w->state & (STATE_TOUCHED | STATE_TOUCHED_WIRE), 0u);
    EXPECT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

TEST_F(TransactionTest, TouchedOutlinesAreRebuiltAndTouchedWiresFused) {
    Power* power = new_Power();
    power->pos = Point{8000, 8000};
    dlist_append(doc()->sheet->items, power);
    Line* kept = wire(Point{0, 0}, Point{4000, 0});
    Line* overlapping = wire(Point{2000, 0}, Point{9000, 0});
    select_add(&session, overlapping);
    {
        EditTransaction edit(&session);
        // An edit that changed the symbol's name leaves its old outline behind.
        free_Vectors(power->symbol);
        power->symbol = nullptr;
        edit.touch(power);
        edit.touch(overlapping);
        edit.touch(overlapping);  // twice: one item all the same
        EXPECT_EQ(host.invalidations, 0) << "nothing is finished inside the edit";
    }
    EXPECT_NE(power->symbol, nullptr);
    EXPECT_EQ(count(LINE_ITEM), 1) << "the touched wire is fused into the one it overlaps";
    Line* left = as_Line(static_cast<SchItem*>(doc()->sheet->items->tail->data));
    EXPECT_TRUE(left == kept || left == overlapping);
    // What the refresh deleted is no longer selected.
    EXPECT_EQ(selection_count(&session), left == overlapping ? 1 : 0);
    EXPECT_EQ(host.invalidations, 1);
    EXPECT_TRUE(repainted(Rect{2000, 0, 7000, 0}));
}

TEST_F(TransactionTest, AnAbandonedEditFinishesNothing) {
    Line* w = wire(Point{0, 0}, Point{1000, 0});
    {
        EditTransaction edit(&session);
        edit.touch(w);
        edit.abandon();
    }
    EXPECT_TRUE(host.undo_enabled) << "the undo copy is taken when the edit starts";
    EXPECT_EQ(host.modified, 0);
    EXPECT_EQ(host.invalidations, 0);
}

// A kind the editor's table forgets would be dragged without its wires,
// keep a stale outline after an edit, or repeat without its name stepped.
TEST(EditKinds, EveryKindOnASheetHasAnEditorRow) {
    for (int code = 0; code < ITEM_CODE_LIMIT; ++code)
        EXPECT_TRUE(item_ops(code).sheet_tag == 0 || item_has_edit_row(code)) << item_name(code);
    EXPECT_FALSE(item_has_edit_row(IDENT_ITEM));
    EXPECT_FALSE(item_has_edit_row(ITEM_CODE_LIMIT));
}

TEST_F(TransactionTest, ARepeatStepsTheNamesOfWhatCarriesOne) {
    Power* power = new_Power();
    sstr_set(&power->name, "VCC1");
    Text* text = new_Text();
    text->string = "D7";
    Line* w = wire(Point{0, 0}, Point{1000, 0});
    for (SchItem* item : {static_cast<SchItem*>(power), static_cast<SchItem*>(text)})
        item_step_label(item, 2);
    item_step_label(w, 2);
    EXPECT_STREQ(power->name.get(), "VCC3");
    EXPECT_EQ(text->string, "D9");
    std::vector<Point> points;
    item_connection_points(doc(), w, &points);
    item_connection_points(doc(), power, &points);
    item_connection_points(doc(), text, &points);
    EXPECT_EQ(points, (std::vector<Point>{Point{0, 0}, Point{1000, 0}, power->pos}));
    free_SchItem(doc(), power, false);
    free_SchItem(doc(), text, false);
}

}  // namespace
