// Random editing sessions on one sheet: every edit (moves and drags,
// deletes, wires drawn over and along others, junctions on wires, parts
// placed, copy and paste, repeat) is taken back by Undo to the same bytes
// the document had, and done again; after each step the bounds index
// answers as a walk of the lists does, and a click picks what a walk picks.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/edit_state.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "model/items/view.h"
#include "support/test_env.h"

using namespace editor_test;

namespace {

class UndoJournalTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        sheet_test::add_library_part(doc(), "7400");
        for (int i = 0; i < 3; ++i) {
            PlacedPart* part = new_PlacedPart();
            part->part_name.set("7400");
            part->pos = Point{10000 + 20000 * i, 10000};
            part->reference.text.set(("U" + std::to_string(i + 1)).c_str());
            dlist_append(doc()->sheet->items, part);
        }
        // Wires on a grid, some with their ends the wrong way round.
        for (int i = 0; i < 12; ++i) {
            int x = pick(8) * 2000, y = pick(8) * 2000, len = (1 + pick(4)) * 2000;
            if (pick(2))
                add_line(Point{x + len, y}, Point{x, y});
            else
                add_line(Point{x, y}, Point{x, y + len});
        }
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    Point grid_point() { return Point{pick(10) * 2000, pick(10) * 2000}; }
    // A point on some item of the sheet (its anchor), or on the grid.
    Point on_an_item() {
        std::vector<SchItem*> items;
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items)) items.push_back(item);
        if (items.empty()) return grid_point();
        SchItem* item = items[pick(int(items.size()))];
        if (item->type == LINE_ITEM) {
            const Line* line = as_Line(item);
            return Point{(line->pos.x + line->end.x) / 2, (line->pos.y + line->end.y) / 2};
        }
        if (item->type == PARTLIB_ITEM) return Point{item->pos.x + 2000, item->pos.y + 2000};
        return item->pos;
    }

    // One random edit, as a function that can be run again identically.
    std::function<void()> random_edit() {
        Point a = on_an_item(), b = grid_point(), c = grid_point();
        kind = pick(7);
        switch (kind) {
            case 0:  // select and move
                return [=, this] {
                    click(a);
                    draw_out(a, Point{a.x + b.x % 6000 - 2000, a.y}, EV_LEFT_DOWN);
                };
            case 1:  // select and drag with the attached wire ends
                return [=, this] {
                    click(a);
                    draw_out(a, Point{a.x, a.y + 2000}, EV_LEFT_DOWN_CTRL);
                };
            case 2:  // select and delete
                return [=, this] {
                    click(a);
                    session_key(&session, TK_DELETE);
                };
            case 3:  // a wire of two legs, over whatever lies there
                return [=, this] {
                    start_add_wires(&session, DrawShape{});
                    click(b);
                    click(c);
                    session_key(&session, TK_ESCAPE);
                    session_key(&session, TK_ESCAPE);
                };
            case 4:  // a junction on a wire or anywhere
                return [=, this] {
                    start_junction_mode(&session);
                    click(a);
                    session_key(&session, TK_ESCAPE);
                };
            case 5:  // what a rectangle holds, copied and pasted: placed by a click
                return [=, this] {
                    select_area(&session, Rect{b.x - 3000, b.y - 3000, 8000, 8000});
                    copy_selection(&session);
                    session_event(&session, EV_MOTION, c);
                    if (paste_selection(&session) == 0) click(c);
                    select_clear(&session);
                };
            default:  // the last placement repeated (REPEAT)
                return [=, this] { repeat_last_placement(&session); };
        }
    }

    // The index against a walk: the items meeting rectangles, and the item
    // a click at a point picks.
    void expect_index_true(int step) {
        SheetIndex* index = sheet_index(doc());
        ASSERT_NE(index, nullptr);
        size_t held = doc()->sheet->items->count + (doc()->ports ? doc()->ports->count : 0);
        ASSERT_EQ(sheet_index_count(index), held) << "step " << step;
        std::vector<SchItem*> found;
        for (int q = 0; q < 6; ++q) {
            Point p = grid_point();
            Rect r{p.x - 1500, p.y - 1500, pick(4) * 2000 + 3000, pick(4) * 2000 + 3000};
            sheet_index_query(index, r, &found);
            std::vector<SchItem*> walked;
            for (List* list : {doc()->ports, doc()->sheet->items})
                for (SchItem* item : list_items<SchItem>(list)) {
                    Rect box{};
                    bool meets = !bounds_SchItem(doc(), item, &box, false) ||
                                 (int64_t{box.x} <= int64_t{r.x} + r.w &&
                                  int64_t{r.x} <= int64_t{box.x} + box.w &&
                                  int64_t{box.y} <= int64_t{r.y} + r.h &&
                                  int64_t{r.y} <= int64_t{box.y} + box.h);
                    if (meets) walked.push_back(item);
                }
            ASSERT_EQ(found, walked) << "step " << step;
            // What a walk of the sheet, then of the ports, picks.
            SchItem* best = nullptr;
            double best_d = FAR_AWAY;
            const uint32_t filter = static_cast<uint32_t>(proper_get(EDIT_MODE));
            for (List* list : {doc()->sheet->items, doc()->ports})
                for (SchItem* item : list_items<SchItem>(list)) {
                    if (!edit_filter_admits(filter, item)) continue;
                    double d = distance_SchItem(doc(), item, p, 0, 0.0, 0);
                    if (d < PICK_DISTANCE && d < best_d) {
                        best_d = d;
                        best = item;
                    }
                }
            ASSERT_EQ(item_at(&session, p), best) << "step " << step;
        }
    }

    std::mt19937 rng{20240524};
    int kind = 0;  // of the last random edit
    static constexpr int REPEAT = 6;
};

TEST_F(UndoJournalTest, EveryEditIsTakenBackToTheSameBytesAndTheIndexStaysTrue) {
    int changed = 0;
    for (int step = 0; step < 120; ++step) {
        std::function<void()> edit = random_edit();
        select_clear(&session);
        // Undo takes back the items, not where the view looks (a paste
        // brings the pointer's place into view).
        const Point centre = doc()->view.centre;
        auto before = saved_bytes();
        // The ids the edit's new records get when written: the same again
        // when it is done again.
        const uint32_t serial = new_object_id() + 1;
        reset_object_ids(serial);
        edit();
        auto after = saved_bytes();
        expect_index_true(step);
        if (HasFatalFailure()) return;
        if (after == before) continue;
        ++changed;
        ASSERT_EQ(undo_sheet(&session), 0) << "step " << step;
        view_set_center(&doc()->view, centre);
        ASSERT_EQ(saved_bytes(), before) << "step " << step << " kind " << kind;
        expect_index_true(step);
        if (HasFatalFailure()) return;
        // Done again, the sheet goes on from there (a repeat has nothing to
        // repeat after Undo, which forgets the range).
        select_clear(&session);
        view_set_center(&doc()->view, centre);
        reset_object_ids(serial);
        edit();
        if (kind != REPEAT) {
            EXPECT_EQ(saved_bytes(), after) << "step " << step;
        }
    }
    EXPECT_GT(changed, 60);
}

}  // namespace
