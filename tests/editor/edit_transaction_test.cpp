// The edit transaction every change of a sheet goes through: undo copy,
// outlines, connectivity, modified mark and the areas to repaint.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
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

// A whole sheet pasted appends its items in their final form: each is
// filed in the bounds index and its area noted as it comes. A kind with an
// outline is filed again once its outline is made anew, and the refresh
// fuses appended wires as it does touched ones; Undo takes it all back.
// An appended item the edit touches again is filed where it ends.
TEST_F(TransactionTest, ItemsAppendedWholeAreFiledRepaintedRefreshedAndUndone) {
    // Ports get outlines on a canvas that measures names.
    Services measuring;
    measuring.paint_zone_text_extent = [](View*, const char* text, int*, Point pos, Rect* out) {
        *out = {pos.x, pos.y, 500 * static_cast<int32_t>(std::strlen(text)), 1000};
        return true;
    };
    install_services(measuring);
    wire(Point{0, 0}, Point{4000, 0});
    doc()->ports = list_new();
    const std::vector<unsigned char> before = saved_bytes();
    ASSERT_NE(sheet_index(doc()), nullptr);
    // A port whose outline was made for a shorter name than it now has.
    Port* port = new_Port();
    port->pos = Point{20000, 8000};
    sstr_set(&port->name, "A");
    port_build_symbol(doc(), port);
    sstr_set(&port->name, "A_MUCH_LONGER_NAME");
    Line* overlapping = as_Line(new_Item(LINE_ITEM));
    overlapping->pos = Point{2000, 0};
    overlapping->end = Point{9000, 0};
    {
        EditTransaction edit(&session);
        edit.append(doc()->sheet->items, overlapping);
        edit.append(doc()->ports, port);
        EXPECT_NE(sheet_index_node(sheet_index(doc()), port), nullptr) << "filed as appended";
    }
    EXPECT_EQ(count(LINE_ITEM), 1) << "the appended wire is fused with the one it overlaps";
    Rect filed{}, own{};
    ASSERT_TRUE(sheet_index_bounds(sheet_index(doc()), port, &filed));
    ASSERT_TRUE(bounds_SchItem(doc(), port, &own, false));
    EXPECT_EQ(filed, own) << "filed again with its new outline";
    EXPECT_TRUE(repainted(Rect{2000, 0, 7000, 0}));
    EXPECT_TRUE(repainted(own));
    EXPECT_EQ(port->state & STATE_TOUCHED, 0u);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
    EXPECT_EQ(sheet_index_count(sheet_index(doc())), 1u);

    Line* moved = as_Line(new_Item(LINE_ITEM));
    moved->pos = Point{0, 30000};
    moved->end = Point{4000, 30000};
    {
        EditTransaction edit(&session);
        edit.append(doc()->sheet->items, moved);
        moved->pos = Point{4000, 30000};
        moved->end = Point{4000, 36000};
        edit.touch(moved);
    }
    std::vector<SchItem*> found;
    sheet_index_query(sheet_index(doc()), Rect{4000, 35000, 0, 0}, &found);
    EXPECT_EQ(found, std::vector<SchItem*>{moved}) << "filed where it ended";
    EXPECT_TRUE(repainted(Rect{4000, 30000, 0, 6000}));
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
