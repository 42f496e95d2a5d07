// The connectivity refresh while editing, and the stub wires of moved items.
#include <gmock/gmock.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

#include "connectivity/net_fixture.h"
#include "connectivity/net_refresh.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"

namespace net_test {
namespace {

using ::testing::ElementsAre;

SchItem* item_at(Schema* schema, int i) {
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (i-- == 0) return item;
    return nullptr;
}

void touch(Schema* schema, int i) { item_at(schema, i)->state |= NET_CURRENT_PASS; }

// "x1,y1-x2,y2" of every line, in list order.
std::vector<std::string> lines_of(Schema* schema) {
    std::vector<std::string> out;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item->type != LINE_ITEM) continue;
        std::ostringstream s;
        s << item->pos.x << "," << item->pos.y << "-" << as_Line(item)->end.x << ","
          << as_Line(item)->end.y;
        out.push_back(s.str());
    }
    return out;
}

class Refresh : public NetTest {};

TEST_F(Refresh, NewWireOverlappingAnOldOneLeavesOneWireOverBoth) {
    auto schema = compile_sheet(wire(0, 0, 3000, 0) + wire(6000, 0, 2000, 0));
    touch(schema.get(), 1);
    EXPECT_EQ(refresh_connectivity(nullptr, schema.get()), 0);
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("0,0-6000,0"));
}

TEST_F(Refresh, OverlappingBusesFuseButAWireAndABusDoNot) {
    auto schema =
        compile_sheet(bus(0, 0, 0, 3000) + wire(0, 1000, 0, 5000) + bus(0, 2000, 0, 4000));
    touch(schema.get(), 2);
    refresh_connectivity(nullptr, schema.get());
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("0,0-0,4000", "0,1000-0,5000"));
}

TEST_F(Refresh, WireEndingInsideAPinLineEndsOnItsTip) {
    // R's pin 1 runs from its tip (-3000, 0) to (0, 0).
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-6000, 0, -1000, 0));
    touch(schema.get(), 1);
    refresh_connectivity(nullptr, schema.get());
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("-6000,0--3000,0"));
}

// A wire that runs along a pin to its tip (the last leg of a route ending
// there) keeps its length: pulling its far end onto the tip would leave a
// wire of no length there and whatever met that end unconnected. One lying
// inside the pin has only its nearer end pulled.
TEST_F(Refresh, AWireAlongAPinThatReachesItsTipKeepsItsLength) {
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-1000, -4000, -1000, 0) +
                                wire(-1000, 0, -3000, 0));
    touch(schema.get(), 2);
    refresh_connectivity(nullptr, schema.get());
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("-1000,-4000--1000,0", "-3000,0--1000,0"));
    auto inside = compile_sheet(part("R", 0, 0, "R1") + wire(-1000, 0, -2000, 0));
    touch(inside.get(), 1);
    refresh_connectivity(nullptr, inside.get());
    EXPECT_THAT(lines_of(inside.get()), ElementsAre("-3000,0--1000,0"));
}

// Two collinear wires meeting end to end are fused into one; a wire or a
// symbol that met them there would touch the fused wire's middle, which
// joins nothing: a junction keeps it joined. Nothing is added where a
// junction stands already, or where only wires along them meet.
TEST_F(Refresh, FusingWiresThatOthersMetEndToEndKeepsThemJoined) {
    // VR's pin 1 ends where the third wire does: its net is N's while that
    // wire stays joined.
    const std::string vr = part("VR", 4000, 8000, "R1");
    struct Case {
        const char* what;
        std::string third;
        int junctions;  // on the sheet afterwards, all at the meeting point
    } cases[] = {
        {"a wire", wire(4000, 0, 4000, 5000) + vr, 1},
        {"a power symbol", power(4000, 0, "VCC"), 1},
        {"a junction already", junction(4000, 0) + wire(4000, 0, 4000, 5000) + vr, 1},
        {"a wire along them", wire(4000, 0, 9000, 0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto schema = compile_sheet(label(0, 0, "N") + wire(0, 0, 4000, 0) + c.third +
                                    wire(4000, 0, 8000, 0));
        touch(schema.get(), static_cast<int>(schema->current->items->count) - 1);
        refresh_connectivity(nullptr, schema.get());
        int junctions = 0;
        for (SchItem* item : list_items<SchItem>(schema->current->items))
            if (item->type == JUNCTION_ITEM) {
                ++junctions;
                EXPECT_EQ(item->pos, (Point{4000, 0}));
            }
        EXPECT_EQ(junctions, c.junctions);
        if (c.third.find("VR") != std::string::npos) {
            EXPECT_THAT(net_at(build(schema.get()).get(), 4000, 8000), ::testing::HasSubstr("N"));
        }
    }
}

TEST_F(Refresh, MovedPartPullsTheWireEndsInItsPinLines) {
    auto schema = compile_sheet(part("VR", 0, 0, "R1") + wire(0, -6000, 0, -2000) +
                                drawn(0, -2500, 0, -7000) + wire(0, 4000, 0, 9000));
    touch(schema.get(), 0);
    refresh_connectivity(nullptr, schema.get());
    // Pin 1 of VR: tip (0, -3000), inner (0, 0); pin 2: tip (0, 5000), inner
    // (0, 2000). The drawing line stays as drawn, ends unordered.
    EXPECT_THAT(lines_of(schema.get()),
                ElementsAre("0,-6000-0,-3000", "0,-2500-0,-7000", "0,5000-0,9000"));
}

TEST_F(Refresh, JunctionOnAWiresMiddleSplitsIt) {
    auto schema = compile_sheet(wire(0, 5000, 4000, 5000) + junction(2000, 5000));
    touch(schema.get(), 1);
    refresh_connectivity(nullptr, schema.get());
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("0,5000-2000,5000", "2000,5000-4000,5000"));
}

TEST_F(Refresh, NothingTouchedOnlyOrdersWireEnds) {
    auto schema = compile_sheet(wire(3000, 0, 0, 0) + wire(1000, 0, 5000, 0) + junction(2000, 0) +
                                part("R", 0, 3000, "R1") + wire(-2000, 3000, -6000, 3000));
    refresh_connectivity(nullptr, schema.get());
    EXPECT_THAT(lines_of(schema.get()),
                ElementsAre("0,0-3000,0", "1000,0-5000,0", "-6000,3000--2000,3000"));
}

// Net membership and names, independent of which wires carry them.
std::string membership(const NetContext* context) {
    std::vector<std::string> nets;
    for (Ident* head : list_items<Ident>(context->islands)) {
        std::vector<std::string> parts;
        for (NameRec* rec : list_items<NameRec>(head->names))
            parts.push_back(std::to_string(rec->kind) + rec->name);
        for (const SchItem* m = head->nextconn; m; m = m->next) {
            std::ostringstream s;
            s << "m" << m->pos.x << "," << m->pos.y;
            parts.push_back(s.str());
        }
        std::sort(parts.begin(), parts.end());
        std::string net;
        for (const std::string& p : parts) net += p + " ";
        if (!head->nextconn) continue;  // wire islands without members may split or fuse
        nets.push_back(net);
    }
    std::sort(nets.begin(), nets.end());
    std::string out;
    for (const std::string& n : nets) out += n + "\n";
    return out;
}

TEST_F(Refresh, AgreesWithAFullBuildOnRandomEdits) {
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int round = 0; round < 150; ++round) {
        std::string items;
        int count = 5 + pick(25);
        for (int i = 0; i < count; ++i) {
            int x = pick(8) * 1000, y = pick(8) * 1000, len = (1 + pick(5)) * 1000;
            switch (pick(7)) {
                case 0:
                case 1: items += wire(x, y, x + len, y); break;
                case 2:
                case 3: items += wire(x, y, x, y + len); break;
                case 4: items += junction(x, y); break;
                case 5: items += part(pick(2) ? "R" : "VR", x, y, "R"); break;
                default: items += label(x, y, pick(2) ? "A" : "B"); break;
            }
        }
        auto plain = compile_sheet(items);
        auto edited = compile_sheet(items);
        int n = static_cast<int>(edited->current->items->count);
        for (int i = 0; i < n; ++i)
            if (pick(3) == 0) touch(edited.get(), i);
        refresh_connectivity(nullptr, edited.get());
        for (SchItem* item : list_items<SchItem>(edited->current->items))
            item->state &= ~uint32_t{NET_CURRENT_PASS};
        // The junctions the refresh added where it fused wires that other
        // wires met end to end join those nets on purpose: the plain sheet
        // gets them too.
        size_t drawn = 0, seen = 0;
        for (SchItem* item : list_items<SchItem>(plain->current->items))
            drawn += item->type == JUNCTION_ITEM;
        for (SchItem* item : list_items<SchItem>(edited->current->items)) {
            if (item->type != JUNCTION_ITEM || seen++ < drawn) continue;
            Junction* dot = new_Junction();
            dot->pos = item->pos;
            dlist_append(plain->current->items, dot);
        }
        auto before = build(plain.get());
        auto after = build(edited.get());
        ASSERT_EQ(membership(after.get()), membership(before.get())) << items;
    }
}

// Every line of the sheet with its ends as they stand, in list order, and
// whether it carries a connection mark the refresh leaves.
std::vector<std::string> sheet_lines(Schema* schema) {
    std::vector<std::string> out;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item->type != LINE_ITEM) continue;
        std::ostringstream s;
        s << item->pos.x << "," << item->pos.y << "-" << as_Line(item)->end.x << ","
          << as_Line(item)->end.y << " f" << int(item->flags) << " s" << std::hex
          << (item->state & (NET_FIRST_OPEN | NET_SECOND_OPEN));
        out.push_back(s.str());
    }
    return out;
}

// The refresh of the touched items alone leaves the sheet exactly as the
// refresh of the whole sheet does, line for line and in the same order,
// through rounds of edits on the same documents (wires drawn over and
// along others, parts placed on wire ends, junctions on wires, wires with
// their ends the wrong way round, buses and drawing lines among them).
TEST_F(Refresh, TheRefreshOfTouchedItemsLeavesTheSheetAsTheWholeRefreshDoes) {
    std::mt19937 rng(4711);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto random_items = [&](int count) {
        std::string items;
        for (int i = 0; i < count; ++i) {
            int x = pick(8) * 1000, y = pick(8) * 1000, len = (1 + pick(5)) * 1000;
            switch (pick(10)) {
                case 0:
                case 1: items += wire(x, y, x + len, y); break;
                case 2: items += wire(x + len, y, x, y); break;
                case 3: items += wire(x, y, x, y + len); break;
                case 4: items += wire(x, y + len, x, y); break;
                case 5: items += junction(x, y); break;
                case 6: items += part(pick(2) ? "R" : "VR", x, y, "R"); break;
                case 7: items += bus(x, y, x + len, y); break;
                case 8: items += drawn(x, y, x, y + len); break;
                default: items += label(x, y, "A"); break;
            }
        }
        return items;
    };
    for (int round = 0; round < 120; ++round) {
        std::string items = random_items(5 + pick(30));
        auto whole = compile_sheet(items);
        auto local = compile_sheet(items);
        for (int pass = 0; pass < 3; ++pass) {
            // The same items touched in both, and moved a little by the edit.
            std::vector<SchItem*> touched;
            std::vector<SchItem*> a, b;
            for (SchItem* item : list_items<SchItem>(whole->current->items)) a.push_back(item);
            for (SchItem* item : list_items<SchItem>(local->current->items)) b.push_back(item);
            ASSERT_EQ(a.size(), b.size());
            for (size_t i = 0; i < a.size(); ++i) {
                // Marks an earlier net build may have left: a refresh starts
                // without them.
                if (a[i]->type == LINE_ITEM && pick(6) == 0) {
                    a[i]->state |= NET_IGNORED;
                    b[i]->state |= NET_IGNORED;
                }
                if (pick(3) != 0) continue;
                Point by{pass == 0 ? 0 : (pick(3) - 1) * 1000,
                         pass == 0 ? 0 : (pick(3) - 1) * 1000};
                for (SchItem* item : {a[i], b[i]}) {
                    Matrix shift;
                    matrix_translate(&shift, by.x, by.y);
                    matrix_SchItem(item, &shift);
                    item->state |= NET_CURRENT_PASS;
                }
                sheet_index_changed(local.get(), b[i]);
                touched.push_back(b[i]);
            }
            refresh_connectivity(nullptr, whole.get());
            refresh_touched(nullptr, local.get(), touched);
            for (Schema* schema : {whole.get(), local.get()})
                for (SchItem* item : list_items<SchItem>(schema->current->items))
                    item->state &= ~uint32_t{NET_CURRENT_PASS};
            ASSERT_EQ(sheet_lines(local.get()), sheet_lines(whole.get()))
                << "round " << round << " pass " << pass << "\n"
                << items;
            // The index kept up: every line is where its rectangle says.
            SheetIndex* index = sheet_index(local.get());
            ASSERT_EQ(sheet_index_count(index), local->current->items->count);
            for (SchItem* item : list_items<SchItem>(local->current->items)) {
                Rect held{}, now{};
                ASSERT_TRUE(sheet_index_bounds(index, item, &held));
                ASSERT_TRUE(bounds_SchItem(local.get(), item, &now, false));
                EXPECT_TRUE(held.x <= now.x && held.y <= now.y &&
                            held.x + held.w >= now.x + now.w && held.y + held.h >= now.y + now.h);
            }
        }
    }
}

class StubsOfItem : public NetTest {};

TEST_F(StubsOfItem, OnlyWhileTheEditorMovesItems) {
    auto schema = compile_sheet(part("R", 0, 0, "R1"));
    List* list = nullptr;
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 0), &list, false), 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(StubsOfItem, GivesPinStubsLineCopiesAndPointsToWhatTheyStandFor) {
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(0, 5000, 0, 9000) + nocon(7, 8) +
                                power(100, 200, "GND") + text(0, 0, "note"));
    schema->edit.edit_list = list_new();
    List* list = nullptr;
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 0), &list, true), 2);
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 1), &list, true), 1);
    EXPECT_EQ(static_cast<SchItem*>(dlist_tail(list)->data)->next, item_at(schema.get(), 1));
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 1), &list, false), 0);
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 2), &list, true), 1);
    EXPECT_EQ(static_cast<SchItem*>(dlist_tail(list)->data)->next, item_at(schema.get(), 2));
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 3), &list, true), 1);
    EXPECT_EQ(static_cast<SchItem*>(dlist_tail(list)->data)->next, nullptr);
    EXPECT_EQ(connection_stubs_of_item(schema.get(), item_at(schema.get(), 4), &list, true), 0);
    std::vector<std::string> pieces;
    for (SchItem* item : list_items<SchItem>(list)) {
        std::ostringstream s;
        s << item->pos.x << "," << item->pos.y << "-" << as_Line(item)->end.x << ","
          << as_Line(item)->end.y;
        pieces.push_back(s.str());
    }
    EXPECT_THAT(pieces, ElementsAre("-3000,0-0,0", "2000,0-5000,0", "0,5000-0,9000", "7,8-7,8",
                                    "100,180-100,200"));
    for (SchItem* item : list_items<SchItem>(list)) free_Item(item);
    dlist_free(list, LIST_FROM_HEAD, nullptr);
    dlist_free(schema->edit.edit_list, LIST_FROM_HEAD, nullptr);
    schema->edit.edit_list = nullptr;
}

class Context : public NetTest {};

TEST_F(Context, WarningWithoutAJobGoesNowhereAndAnUnusedContextFreesCleanly) {
    set_net_warning_hook(nullptr);
    net_warning("lost");
    net_warningf("lost %d", 1);
    free_NetContext(nullptr, new_NetContext());
    free_NetContext(nullptr, nullptr);
    set_net_warning_hook(nullptr);
    EXPECT_EQ(warnings(), "");
}

}  // namespace
}  // namespace net_test
