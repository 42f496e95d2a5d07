// Net identifiers and pseudo-pins: the pseudo-pin's binary form (golden
// file), the ids written for members and for pick links, damaged records,
// deep copies of identifiers, and the per-code guards.
#include "model/documents/ident.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/netprop.h"
#include "model/documents/owners.h"
#include "model/documents/record_io.h"
#include "model/items/pin.h"

using namespace record_io;

namespace {

using PseudoPinPtr = Owner<PseudoPin>;
using IdentPtr = Owner<Ident>;

SchItem stand_in(int code, uint32_t id) {
    SchItem item;
    item.type = static_cast<int8_t>(code);
    item.id = id;
    return item;
}

PseudoPinPtr member(SchItem* whoami, Pin* pin, SchItem* father) {
    PseudoPinPtr pp(new_PseudoPin());
    pp->whoami = whoami;
    pp->pin = pin;
    pp->father = father;
    return pp;
}

// pseudo_pins.bin: regenerate with TN_UPDATE_GOLDEN=1 documents_tests
// --gtest_filter='*PseudoPinGolden*' and review the diff.
TEST(PseudoPinGolden, MembersAndLinksWriteTheIdsOfWhatTheyStandFor) {
    reset_object_ids(100);
    SchItem part = stand_in(PARTLIB_ITEM, 0x0A);
    SchItem pieces = stand_in(PARTLIB_ITEM, 0x0B);
    SchItem power = stand_in(POWER_ITEM, 0x0C);
    SchItem box = stand_in(SUBSHEET_ITEM, 0x0D);
    SchItem port = stand_in(PORT_ITEM, 0);  // gets an id when written
    Pin pin;
    pin.id = 0x1F;

    PseudoPinPtr of_pin = member(nullptr, &pin, &part);
    PseudoPinPtr of_power = member(&power, nullptr, nullptr);
    PseudoPinPtr of_port = member(&port, nullptr, &box);
    // A link whose second target is a placed part: its first target is a
    // record, never a pin, whatever the stale pin field holds.
    PseudoPinPtr link = member(&pieces, &pin, &part);
    link->role = PP_LINK_PART_PIECES;

    Bytes bin = bytes_written([&](FILE* f) {
        for (PseudoPin* pp : {of_pin.get(), of_power.get(), of_port.get(), link.get()})
            write_PseudoPin(pp, f);
    });
    expect_golden("pseudo_pins.bin", bin);
    ASSERT_EQ(bin.size(), 4u * 13);
    EXPECT_NE(port.id, 0u);

    struct Expect {
        uint32_t whoami, father;
    } expected[] = {{0x1F, 0x0A}, {0x0C, 0}, {port.id, 0x0D}, {0x0B, 0x0A}};
    StreamPtr stream = stream_of(golden("pseudo_pins.bin"));
    for (const Expect& e : expected) {
        PseudoPinPtr pp(new_PseudoPin());
        ASSERT_EQ(read_PseudoPin(pp.get(), stream.get()), 0);
        EXPECT_NE(pp->id, 0u);
        EXPECT_EQ(pp->whoami_id, e.whoami);
        EXPECT_EQ(pp->father_id, e.father);
        EXPECT_EQ(pp->whoami, nullptr);
        EXPECT_EQ(pp->role, PP_NET_MEMBER);
    }
}

TEST(PseudoPinRead, DamagedRecordsFailCleanly) {
    SchItem power = stand_in(POWER_ITEM, 7);
    PseudoPinPtr pp = member(&power, nullptr, nullptr);
    expect_prefixes_short(bytes_written([&](FILE* f) { write_PseudoPin(pp.get(), f); }),
                          [](FILE* f) {
                              PseudoPinPtr r(new_PseudoPin());
                              return read_PseudoPin(r.get(), f);
                          });
    StreamPtr stream = stream_of({0xD3, 0xD4});
    PseudoPinPtr r(new_PseudoPin());
    EXPECT_EQ(read_PseudoPin(r.get(), stream.get()), NOT_MY_TAG);
    EXPECT_EQ(rest_of(stream.get()), (Bytes{0xD3, 0xD4}));
}

TEST(IdentCopy, IsDeepSoThatBothRecordsFreeTheirOwnParts) {
    IdentPtr head(new_Ident());
    EXPECT_EQ(head->width, 0);
    EXPECT_EQ(head->state, 1u);
    ASSERT_TRUE(ident_add_name(head.get(), NAME_LABEL, "DATA_BUS_LINE_7"));
    ASSERT_TRUE(ident_add_name(head.get(), NAME_POWER, "VCC"));
    head->name.set("A_NAME_LONGER_THAN_SEVEN");
    head->netprop = new_NetProp();
    head->netprop->name.set("NETPROP_NAME");
    head->netprop->track_width = 40;
    head->pos = {5, 6};

    IdentPtr copy(copy_Ident(head.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->names, head->names);
    EXPECT_NE(copy->netprop, head->netprop);
    EXPECT_EQ(copy->pos, head->pos);
    EXPECT_EQ(copy->nextconn, nullptr);
    head.reset();  // the copy must not share anything with it

    ASSERT_EQ(copy->names->count, 2u);
    const NameRec* first = static_cast<const NameRec*>(copy->names->head->data);
    EXPECT_EQ(first->kind, NAME_LABEL);
    EXPECT_STREQ(first->name, "DATA_BUS_LINE_7");
    EXPECT_STREQ(copy->name.get(), "A_NAME_LONGER_THAN_SEVEN");
    EXPECT_STREQ(copy->netprop->name.get(), "NETPROP_NAME");
    EXPECT_EQ(copy->netprop->track_width, 40);
}

TEST(IdentFamily, RoutinesLeaveOtherCodesAlone) {
    IdentPtr head(new_Ident());
    PseudoPinPtr pp(new_PseudoPin());
    EXPECT_EQ(free_Ident(pp.get(), false), PSEUDO_PIN);
    EXPECT_EQ(free_PseudoPin(head.get(), false), IDENT_ITEM);
    EXPECT_EQ(copy_Ident(pp.get()), nullptr);
    EXPECT_EQ(copy_PseudoPin(head.get()), nullptr);
    Rect r{1, 2, 3, 4};
    EXPECT_FALSE(bounds_Ident(nullptr, pp.get(), &r, false));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(distance_PseudoPin(nullptr, head.get(), {0, 0}, 0, 1e9, 0), 1e10);
}

TEST(PseudoPinGeometry, ASquareOfItsWidthAroundThePoint) {
    PseudoPinPtr pp(new_PseudoPin());
    pp->pos = {100, 200};
    pp->width = 40;
    Rect r;
    ASSERT_TRUE(bounds_PseudoPin(nullptr, pp.get(), &r, false));
    EXPECT_EQ(r, (Rect{80, 180, 40, 40}));
    EXPECT_EQ(distance_PseudoPin(nullptr, pp.get(), {103, 204}, 0, 5, 0x100), 5);
    EXPECT_EQ(pp->state & 0x100, 0x100u);
    EXPECT_EQ(distance_PseudoPin(nullptr, pp.get(), {103, 204}, 0x8000, 5, 0), 1e10);

    Matrix m;
    matrix_translate(&m, 10, -10);
    matrix_PseudoPin(pp.get(), &m);
    EXPECT_EQ(pp->pos, (Point{110, 190}));
}

TEST(PseudoPinCopy, KeepsRoleAndTargetsButLeavesTheChain) {
    SchItem text = stand_in(TEXT_ITEM, 3), part = stand_in(PARTLIB_ITEM, 4);
    PseudoPinPtr link = member(&text, nullptr, &part);
    link->role = PP_LINK_ATTRIBUTE;
    link->index = 2;
    link->next = &part;
    link->id = 77;
    PseudoPinPtr copy(copy_PseudoPin(link.get()));
    EXPECT_EQ(copy->role, PP_LINK_ATTRIBUTE);
    EXPECT_TRUE(pp_is_link(copy.get()));
    EXPECT_EQ(copy->whoami, &text);
    EXPECT_EQ(copy->father, &part);
    EXPECT_EQ(copy->index, 2);
    EXPECT_EQ(copy->next, nullptr);
    EXPECT_EQ(copy->id, 0u);
}

}  // namespace
