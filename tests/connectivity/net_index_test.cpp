// The builder's look-up tables where they change hands: the wires under
// labels kept when the lines by carrier are freed, the list walk of phase 2
// taken as the table of positions, and the clean-up of the records a build
// appended.
#include <string>
#include <vector>

#include "connectivity/net_fixture.h"
#include "connectivity/net_index.h"
#include "connectivity/net_oracle.h"
#include "foundation/list.h"
#include "model/items/item.h"

namespace net_test {
namespace {

class NetIndexTest : public NetTest {
protected:
    // A context over the schema's sheet, without a build.
    ContextPtr context_over(Schema* schema) {
        ContextPtr context(new_NetContext(), ContextFree{schema});
        context->sheet = schema->current;
        return context;
    }
    static std::vector<SchItem*> sheet_records(const Schema* schema) {
        std::vector<SchItem*> records;
        for (SchItem* item : list_items<SchItem>(schema->current->items)) records.push_back(item);
        return records;
    }
};

// Labels in the middle of a wire, on an end two wires share (the first in
// list order counts), on a drawing line alone, on nothing, two at one
// point, and a net-property label: each finds after the freeing the wire it
// found before.
TEST_F(NetIndexTest, LabelsFindTheWireTheyFoundBeforeTheLinesWereFreed) {
    auto schema = compile_sheet(
        drawn(0, 0, 9000, 0) + wire(0, 0, 4000, 0) + wire(4000, 0, 4000, 4000) +
        wire(4000, 0, 8000, 0) + label(2000, 0, "MID") + label(4000, 0, "SHARED") +
        drawn(9000, 1000, 9000, 3000) + label(9000, 2000, "DRAWN") + label(7000, 7000, "NONE") +
        label(4000, 4000, "ONE") + label(4000, 4000, "TWO") + netprop(0, 0, "P", 20) +
        text(4000, 2000, "NOT A LABEL"));
    ASSERT_TRUE(schema);
    auto context = context_over(schema.get());
    NetIndex* index = net_index(context.get());
    std::vector<std::pair<SchItem*, Line*>> before;
    for (SchItem* item : sheet_records(schema.get()))
        if ((item->type == TEXT_ITEM && (item->flags & TEXT_TYPE_MASK) == LABEL) ||
            item->type == NETPROP_ITEM)
            before.emplace_back(item, first_wire_at(context.get(), item->pos));
    ASSERT_EQ(before.size(), 7u);
    EXPECT_NE(before[0].second, nullptr);
    EXPECT_EQ(before[3].second, nullptr);  // the drawing line alone is no wire

    index_release_lines(index);
    for (const auto& [label, wire] : before) {
        Line* kept = reinterpret_cast<Line*>(1);
        EXPECT_TRUE(index_label_wire(index, label, &kept));
        EXPECT_EQ(kept, wire) << "label at " << label->pos.x << "," << label->pos.y;
        // The list, once the lines by carrier are gone, answers alike.
        EXPECT_EQ(first_wire_at(context.get(), label->pos), wire);
    }
    // A record that is no label was not kept.
    Line* none = nullptr;
    EXPECT_FALSE(index_label_wire(index, sheet_records(schema.get()).back(), &none));
    drop_net_index(context.get());
}

// A walk that no longer matches the list (a record appended or removed
// since, or another sheet's records) is not taken: the positions are those
// of the list.
TEST_F(NetIndexTest, AWalkThatNoLongerMatchesTheListIsNotTaken) {
    std::string items =
        wire(0, 0, 1000, 0) + label(500, 0, "A") + junction(1000, 0) + wire(1000, 0, 1000, 3000);
    auto schema = compile_sheet(items);
    auto other = compile_sheet(items);
    ASSERT_TRUE(schema && other);
    std::vector<SchItem*> records = sheet_records(schema.get());
    std::vector<std::vector<SchItem*>> walks = {
        std::vector<SchItem*>(records.begin(), records.end() - 1),
        std::vector<SchItem*>(records.begin() + 1, records.end()),
        sheet_records(other.get()),
        {},
    };
    std::vector<SchItem*> swapped = records;
    std::swap(swapped.front(), swapped.back());
    walks.push_back(swapped);
    for (const auto& walk : walks) {
        auto context = context_over(schema.get());
        context->walked = walk;
        NetIndex* index = net_index(context.get());
        EXPECT_EQ(index->by_pos, records);
        for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(index_find_pos(index, records[i]), i);
        EXPECT_TRUE(context->walked.empty());
        drop_net_index(context.get());
    }
}

// The clean-up removes the stubs after the sheet's last record of its own;
// a sheet with none (the schema's ports alone) loses every stub, and a
// sheet built twice keeps its own records in place.
TEST_F(NetIndexTest, TheCleanUpRemovesEveryStubAndKeepsTheSheetsRecords) {
    for (const std::string& items :
         {std::string(), wire(0, 0, 5000, 0) + part("R", 10000, 0, "R1")}) {
        auto schema =
            compile_sheet(items, sheet_port(0, 0, "IN") + sheet_port(7000, 0, "OUT", true));
        ASSERT_TRUE(schema);
        std::vector<SchItem*> own = sheet_records(schema.get());
        auto context = build(schema.get());
        build_sheet_nets(context.get(), schema.get());
        std::vector<SchItem*> after = sheet_records(schema.get());
        ASSERT_GE(after.size(), own.size());
        EXPECT_EQ(std::vector<SchItem*>(after.begin(), after.begin() + own.size()), own);
        for (size_t i = own.size(); i < after.size(); ++i) {
            EXPECT_EQ(after[i]->type, PSEUDO_PIN) << "record " << i;
            EXPECT_TRUE(after[i]->state & NET_TEMPORARY);
        }
        EXPECT_EQ(after.size() - own.size(), items.empty() ? 2u : 4u);
    }
}

// Port stubs laid end to end merge one into the next, the later one
// growing each time, until it is long: from then on it looks along its
// carrier through the lists of all lines, for stubs filed before any line
// was long. Every port must end on the one net, as in the literal build.
TEST_F(NetIndexTest, AStubGrownLongFindsTheStubsFiledBeforeIt) {
    std::string ports;
    for (int i = 0; i < 300; ++i) ports += sheet_port(i * 1000, 0, "P" + std::to_string(i));
    auto plain_schema = compile_sheet("", ports);
    auto fast_schema = compile_sheet("", ports);
    ASSERT_TRUE(plain_schema && fast_schema);
    auto plain = build_with(plain_schema.get(), plain_net_phases);
    auto fast = build(fast_schema.get());
    EXPECT_EQ(net_count(fast.get()), 1);
    EXPECT_EQ(describe_nets(fast.get()), describe_nets(plain.get()));
}

}  // namespace
}  // namespace net_test
