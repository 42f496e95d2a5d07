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
        s << item->pos.x << "," << item->pos.y << "-" << as_Line(item)->end.x << "," << as_Line(item)->end.y;
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
    auto schema = compile_sheet(bus(0, 0, 0, 3000) + wire(0, 1000, 0, 5000) + bus(0, 2000, 0, 4000));
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

TEST_F(Refresh, MovedPartPullsTheWireEndsInItsPinLines) {
    auto schema = compile_sheet(part("VR", 0, 0, "R1") + wire(0, -6000, 0, -2000) + drawn(0, -2500, 0, -7000) +
                                wire(0, 4000, 0, 9000));
    touch(schema.get(), 0);
    refresh_connectivity(nullptr, schema.get());
    // Pin 1 of VR: tip (0, -3000), inner (0, 0); pin 2: tip (0, 5000), inner
    // (0, 2000). The drawing line stays as drawn, ends unordered.
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("0,-6000-0,-3000", "0,-2500-0,-7000", "0,5000-0,9000"));
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
    EXPECT_THAT(lines_of(schema.get()), ElementsAre("0,0-3000,0", "1000,0-5000,0", "-6000,3000--2000,3000"));
}

// Net membership and names, independent of which wires carry them.
std::string membership(const NetContext* context) {
    std::vector<std::string> nets;
    for (Ident* head : list_items<Ident>(context->islands)) {
        std::vector<std::string> parts;
        for (NameRec* rec : list_items<NameRec>(head->names)) parts.push_back(std::to_string(rec->kind) + rec->name);
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
                case 0: case 1: items += wire(x, y, x + len, y); break;
                case 2: case 3: items += wire(x, y, x, y + len); break;
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
        for (SchItem* item : list_items<SchItem>(edited->current->items)) item->state &= ~uint32_t{NET_CURRENT_PASS};
        auto before = build(plain.get());
        auto after = build(edited.get());
        ASSERT_EQ(membership(after.get()), membership(before.get())) << items;
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
        s << item->pos.x << "," << item->pos.y << "-" << as_Line(item)->end.x << "," << as_Line(item)->end.y;
        pieces.push_back(s.str());
    }
    EXPECT_THAT(pieces, ElementsAre("-3000,0-0,0", "2000,0-5000,0", "0,5000-0,9000", "7,8-7,8", "100,180-100,200"));
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
