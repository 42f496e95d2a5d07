// The bounds index of an edited sheet against a walk of its lists: after
// every step of random edits (items appended, taken out, moved, put back,
// replaced) each query answers what a walk over the ports list and the
// sheet's items answers, in the same order, and every item's list and node
// are the ones it stands in.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "foundation/list.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"

namespace {

using namespace sheet_test;

class SheetIndexTest : public SheetTest {};

// The rectangle the index takes for an item headless: its own bounds, or
// everywhere.
bool meets_walk(Schema* schema, SchItem* item, const Rect& r) {
    Rect box{};
    if (!bounds_SchItem(schema, item, &box, false)) return true;
    return int64_t{box.x} <= int64_t{r.x} + r.w && int64_t{r.x} <= int64_t{box.x} + box.w &&
           int64_t{box.y} <= int64_t{r.y} + r.h && int64_t{r.y} <= int64_t{box.y} + box.h;
}

std::vector<SchItem*> walk(Schema* schema, const Rect& r) {
    std::vector<SchItem*> out;
    for (List* list : {schema->ports, schema->current->items})
        for (SchItem* item : list_items<SchItem>(list))
            if (meets_walk(schema, item, r)) out.push_back(item);
    return out;
}

Line* line_at(Point a, Point b) {
    Line* line = new_Line();
    line->pos = a;
    line->end = b;
    return line;
}

class RandomEdits {
public:
    explicit RandomEdits(Schema* schema, unsigned seed) : schema_(schema), rng_(seed) {}

    int coord(int span) { return std::uniform_int_distribution<int>(-span, span)(rng_); }
    int pick(size_t n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(rng_); }

    SchItem* random_item() {
        List* items = schema_->current->items;
        if (items->count == 0) return nullptr;
        int at = pick(items->count);
        for (SchItem* item : list_items<SchItem>(items))
            if (at-- == 0) return item;
        return nullptr;
    }

    // One edit of a random kind, through the routines an editor uses.
    void step() {
        switch (pick(6)) {
            case 0: {  // a new wire, now and then far beyond everything
                int far = pick(10) == 0 ? 50000000 : 0;
                Point a{coord(200000) + far, coord(200000)};
                sheet_append(schema_, schema_->current->items,
                             line_at(a, Point{a.x + coord(20000), a.y}));
                break;
            }
            case 1: {  // a port into the ports list (made when missing)
                if (!schema_->ports) schema_->ports = list_new();
                Port* port = new_Port();
                port->pos = Point{coord(200000), coord(200000)};
                sheet_append(schema_, schema_->ports, port);
                break;
            }
            case 2: {  // take one out, keep it for a later put back
                SchItem* item = random_item();
                if (!item) break;
                SchItem* before = nullptr;
                for (DListNode* node : dlist_nodes(schema_->current->items))
                    if (node->data == item && node->prev)
                        before = static_cast<SchItem*>(node->prev->data);
                ASSERT_EQ(sheet_take_out(schema_, item), schema_->current->items);
                taken_.push_back({item, before});
                break;
            }
            case 3: {  // move one
                SchItem* item = random_item();
                if (!item) break;
                Matrix shift;
                matrix_translate(&shift, coord(30000), coord(30000));
                matrix_SchItem(item, &shift);
                sheet_index_changed(schema_, item);
                break;
            }
            case 4: {  // put the last taken back where it stood
                if (taken_.empty()) break;
                auto [item, before] = taken_.back();
                taken_.pop_back();
                // Its neighbour may have gone meanwhile: then at the head.
                if (before && !sheet_index_node(sheet_index(schema_), before)) before = nullptr;
                sheet_put_back(schema_, schema_->current->items, before, item);
                break;
            }
            case 5: {  // replace one by a moved copy in the same node
                SchItem* item = random_item();
                if (!item) break;
                SchItem* copy = copy_SchItem(schema_, item);
                Matrix shift;
                matrix_translate(&shift, coord(5000), 0);
                matrix_SchItem(copy, &shift);
                sheet_index_replace(schema_, item, copy);
                free_SchItem(schema_, item, false);
                break;
            }
        }
    }

    void release_taken() {
        for (auto& [item, before] : taken_) free_SchItem(schema_, item, false);
        taken_.clear();
    }

private:
    Schema* schema_;
    std::mt19937 rng_;
    std::vector<std::pair<SchItem*, SchItem*>> taken_;
};

TEST_F(SheetIndexTest, QueriesAnswerAsAWalkThroughRandomEdits) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    RandomEdits edits(schema.get(), 24);
    for (int i = 0; i < 300; ++i)
        sheet_append(schema.get(), schema->current->items,
                     line_at(Point{edits.coord(200000), edits.coord(200000)},
                             Point{edits.coord(200000), edits.coord(200000)}));
    ASSERT_NE(sheet_index(schema.get()), nullptr);
    std::vector<SchItem*> found;
    for (int step = 0; step < 400; ++step) {
        edits.step();
        if (HasFatalFailure()) break;
        SheetIndex* index = sheet_index(schema.get());
        ASSERT_EQ(sheet_index_count(index),
                  schema->current->items->count + (schema->ports ? schema->ports->count : 0));
        // Queries about the sheet, about the wires far beyond it, and over
        // everything at once.
        for (int q = 0; q < 6; ++q) {
            int x = edits.coord(260000) + (q == 4 ? 50000000 : 0), y = edits.coord(260000);
            Rect r{x, y, edits.pick(60000), edits.pick(60000)};
            if (q == 5) r = Rect{-100000000, -100000000, 200000000, 200000000};
            sheet_index_query(index, r, &found);
            ASSERT_EQ(found, walk(schema.get(), r)) << "step " << step << " query " << q;
        }
        for (List* list : {schema->ports, schema->current->items})
            for (DListNode* node : dlist_nodes(list)) {
                auto* item = static_cast<SchItem*>(node->data);
                ASSERT_EQ(sheet_index_node(index, item), node);
                ASSERT_EQ(sheet_index_list_of(index, item), list);
            }
    }
    edits.release_taken();
}

TEST_F(SheetIndexTest, ListsChangedBehindItsBackMakeItAnew) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    SheetIndex* index = sheet_index(schema.get());
    std::vector<SchItem*> found;
    const Rect everything{-1000000, -1000000, 2000000, 2000000};
    // An append the index never heard of: the next use sees the count and
    // makes it anew, so the item is found.
    Line* hidden = line_at(Point{500000, 500000}, Point{500100, 500000});
    dlist_append(schema->current->items, hidden);
    index = sheet_index(schema.get());
    sheet_index_query(index, everything, &found);
    EXPECT_NE(std::find(found.begin(), found.end(), hidden), found.end());
    EXPECT_EQ(sheet_index_node(index, hidden), dlist_tail(schema->current->items));
    // A made index holds no notes: the whole sheet is to be drawn.
    std::vector<Rect> damage;
    EXPECT_TRUE(sheet_index_take_damage(schema.get(), &damage));
    EXPECT_FALSE(sheet_index_take_damage(schema.get(), &damage));
    EXPECT_TRUE(damage.empty());
}

// The lines whose ends are out of order (the first end not the one with
// the smaller x, then the smaller y) are noted as the index files them:
// when it is made, as lines are appended, put back, replaced or changed.
// They are handed out once, in list order, and only those still held and
// still out of order.
TEST_F(SheetIndexTest, LinesFiledWithTheirEndsOutOfOrderAreHandedOutOnce) {
    SchemaPtr schema = make_schema();
    List* items = schema->current->items;
    Line* reversed = line_at(Point{1000, 0}, Point{0, 0});
    Line* upward = line_at(Point{0, 1000}, Point{0, 0});
    Line* ordered = line_at(Point{0, 0}, Point{0, 1000});
    Line* gone = line_at(Point{5000, 0}, Point{4000, 0});
    for (Line* line : {reversed, ordered, gone, upward}) dlist_append(items, line);
    SheetIndex* index = sheet_index(schema.get());
    ASSERT_EQ(sheet_take_out(schema.get(), gone), items);
    std::vector<SchItem*> out;
    sheet_index_take_unordered(index, &out);
    EXPECT_EQ(out, (std::vector<SchItem*>{reversed, upward}));
    sheet_index_take_unordered(index, &out);
    EXPECT_TRUE(out.empty()) << "handed out once";
    // Turned round in place and told, appended, put back: noted again.
    std::swap(ordered->pos, ordered->end);
    sheet_index_changed(schema.get(), ordered);
    Line* appended = line_at(Point{9000, 9000}, Point{8000, 9000});
    sheet_append(schema.get(), items, appended);
    sheet_put_back(schema.get(), items, nullptr, gone);
    // One put in order before the refresh asks is left out.
    std::swap(appended->pos, appended->end);
    sheet_index_take_unordered(index, &out);
    EXPECT_EQ(out, (std::vector<SchItem*>{gone, ordered}));
}

TEST_F(SheetIndexTest, AMoveNotesWhereTheItemWasAndWhereItIs) {
    SchemaPtr schema = make_schema();
    Line* wire = line_at(Point{0, 0}, Point{1000, 0});
    sheet_append(schema.get(), schema->current->items, wire);
    sheet_index(schema.get());
    std::vector<Rect> damage;
    sheet_index_take_damage(schema.get(), &damage);
    Matrix shift;
    matrix_translate(&shift, 100000, 0);
    matrix_SchItem(wire, &shift);
    sheet_index_changed(schema.get(), wire);
    ASSERT_FALSE(sheet_index_take_damage(schema.get(), &damage));
    auto covers = [&](Point p) {
        return std::any_of(damage.begin(), damage.end(), [&](const Rect& r) {
            return p.x >= r.x && p.x <= r.x + r.w && p.y >= r.y && p.y <= r.y + r.h;
        });
    };
    EXPECT_TRUE(covers(Point{500, 0}));
    EXPECT_TRUE(covers(Point{100500, 0}));
    // Taking it out notes its place; a document without an index notes nothing.
    sheet_take_out(schema.get(), wire);
    ASSERT_FALSE(sheet_index_take_damage(schema.get(), &damage));
    EXPECT_TRUE(covers(Point{100500, 0}));
    free_SchItem(schema.get(), wire, false);
    drop_sheet_index(schema.get());
    sheet_index_damage_rect(schema.get(), Rect{0, 0, 10, 10});
    EXPECT_EQ(schema->edit.index, nullptr);
}

}  // namespace
