// Fixture sheets, each named after the rule of net building it shows.
#include <gmock/gmock.h>

#include <filesystem>

#include "connectivity/net_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/edit_state.h"
#include "model/documents/ident.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

namespace net_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class NetBuild : public NetTest {};

// Two horizontal resistors; R1's pin 2 tip is at (5000, 0), R2 (at 10000, 0)
// has its pin 1 tip at (7000, 0).
const std::string two_resistors = part("R", 0, 0, "R1") + part("R", 10000, 0, "R2");

TEST_F(NetBuild, EmptySheetBuildsNothing) {
    auto schema = compile_sheet("");
    int result = -1;
    auto context = build(schema.get(), &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(net_count(context.get()), 0);
}

TEST_F(NetBuild, WireBetweenPinTipsJoinsTheTwoPins) {
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 7000, 0));
    auto context = build(schema.get());
    std::string net = net_at(context.get(), 2000, 0);
    EXPECT_THAT(net, HasSubstr("pin 1@10000,0"));
    EXPECT_THAT(net, HasSubstr("pin 2@2000,0"));
    // The unconnected pins keep islands of their own.
    EXPECT_EQ(net_count(context.get()), 3);
}

TEST_F(NetBuild, WireEndOnAnotherWiresMiddleConnectsOnlyAtAJunction) {
    std::string tee = two_resistors + wire(5000, 0, 7000, 0) + part("VR", 6000, -10000, "R3") +
                      wire(6000, -5000, 6000, 0);
    auto without = compile_sheet(tee);
    auto c1 = build(without.get());
    EXPECT_THAT(net_at(c1.get(), 6000, -8000), Not(HasSubstr("pin 2@2000,0")));
    auto with = compile_sheet(tee + junction(6000, 0));
    auto c2 = build(with.get());
    EXPECT_THAT(net_at(c2.get(), 6000, -8000), HasSubstr("pin 2@2000,0"));
}

TEST_F(NetBuild, JunctionOnNothingStaysUnused) {
    auto schema = compile_sheet(junction(100, 100) + wire(0, 0, 1000, 0) + junction(1000, 0));
    auto context = build(schema.get());
    auto* first = static_cast<SchItem*>(dlist_head(schema->current->items)->data);
    auto* last = static_cast<SchItem*>(dlist_tail(schema->current->items)->data);
    EXPECT_TRUE(first->state & NET_UNUSED_JUNCTION);
    EXPECT_FALSE(last->state & NET_UNUSED_JUNCTION);
}

TEST_F(NetBuild, LabelsOfOneNameMergeIslandsAndKeepTheFirstSpelling) {
    auto schema =
        compile_sheet(two_resistors + wire(-3000, 0, -3000, -2000) + label(-3000, -1000, "Clk") +
                      wire(15000, 0, 15000, 3000) + label(15000, 2000, "CLK"));
    auto context = build(schema.get());
    std::string net = net_at(context.get(), 0, 0);
    EXPECT_THAT(net, HasSubstr("pin 2@12000,0"));
    EXPECT_THAT(net, HasSubstr("names [ 7:Clk ]"));
}

TEST_F(NetBuild, PowerNameIsPreferredAndKeptBesideALabelOfOtherCase) {
    // A power symbol's pin points down from its position (rotation 0).
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-3000, 0, -3000, -2000) +
                                power(-3000, -2000, "vcc") + label(-3000, -1000, "VCC"));
    auto context = build(schema.get());
    std::string net = net_at(context.get(), 0, 0);
    EXPECT_THAT(net, HasSubstr("12:vcc"));
    EXPECT_THAT(net, HasSubstr("7:VCC"));
    EXPECT_THAT(net, HasSubstr("pref vcc"));
}

TEST(UnnamedNets, TheNumberTakesFiveDigitsAtLeastAndAllItNeeds) {
    EXPECT_EQ(unnamed_net_name(0), "N00000");
    EXPECT_EQ(unnamed_net_name(42), "N00042");
    EXPECT_EQ(unnamed_net_name(99999), "N99999");
    EXPECT_EQ(unnamed_net_name(100000), "N100000");
    EXPECT_EQ(unnamed_net_name(2147483647), "N2147483647");
}

TEST_F(NetBuild, PowerSymbolsOfOneNameJoinDistantPins) {
    auto schema = compile_sheet(two_resistors + power(-3000, 0, "GND", "ROT_270") +
                                wire(15000, 0, 15000, -2000) + power(15000, -2000, "GND"));
    auto context = build(schema.get());
    std::string net = net_at(context.get(), 0, 0);
    EXPECT_THAT(net, HasSubstr("pin 2@12000,0"));
    EXPECT_THAT(net, HasSubstr("names [ 12:GND ]"));
}

TEST_F(NetBuild, PreferredNameTurnsCommasIntoStopsWithoutChangingTheStoredName) {
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-3000, 0, -3000, 2000) +
                                label(-3000, 1000, "A,B"));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 0, 0), HasSubstr("names [ 7:A,B ] pref A.B"));
}

TEST_F(NetBuild, LabelOnADrawingLineListedBeforeTheWireStillNamesTheWire) {
    auto schema = compile_sheet(drawn(-5000, 1000, 0, 1000) + part("R", 0, 0, "R1") +
                                wire(-3000, 0, -3000, 2000) + label(-3000, 1000, "SIG"));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 0, 0), HasSubstr("7:SIG"));
}

TEST_F(NetBuild, DrawingAndBusLinesDoNotConnectToWireEnds) {
    auto schema =
        compile_sheet(two_resistors + drawn(5000, 0, 7000, 0) + bus(5000, 0, 5000, -3000));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 2000, 0), Not(HasSubstr("pin 1@10000,0")));
}

TEST_F(NetBuild, CollinearWiresMeetingWhereABusEndsAreNotJoined) {
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 6000, 0) + wire(6000, 0, 7000, 0) +
                                bus(6000, 0, 6000, 4000));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 2000, 0), Not(HasSubstr("pin 1@10000,0")));
}

TEST_F(NetBuild, WirePassingThroughAPinTipIsSplitThereAndItsLabelNamesThePin) {
    auto schema = compile_sheet(part("VR", 0, 0, "R1") + wire(-2000, -3000, 2000, -3000) +
                                label(-1000, -3000, "TOP"));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 0, 0), HasSubstr("7:TOP"));
}

TEST_F(NetBuild, WireInsideAnotherIsAbsorbedAndStartsNoIsland) {
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 7000, 0) + wire(5500, 0, 6500, 0));
    auto context = build(schema.get());
    EXPECT_EQ(net_count(context.get()), 3);
}

TEST_F(NetBuild, PowerPinStandsApartFromASlopedWireAcrossItsColumn) {
    // VCC of the IC at (1000, 0); the sloped wire's x range covers 1000 but
    // the wire passes far from the pin.
    auto schema = compile_sheet(part("IC", 0, 0, "U1") + wire(0, 5000, 2000, 7000));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 1000, 0), HasSubstr("members [ pin VCC@1000,0 ] wires 0"));
}

TEST_F(NetBuild, PowerPinNamesItsNet) {
    auto schema = compile_sheet(part("IC", 0, 0, "U1"));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 1000, 0), HasSubstr("names [ 6:VCC ] pref VCC"));
}

TEST_F(NetBuild, MemberTouchedByTwoWireEndsIsAMemberOnce) {
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-3000, 0, -3000, 3000) +
                                wire(-3000, 0, -3000, -3000) + nocon(-3000, 3000));
    auto context = build(schema.get());
    std::string net = net_at(context.get(), 0, 0);
    EXPECT_EQ(net.find("pin 1@0,0"), net.rfind("pin 1@0,0"));
    EXPECT_THAT(net, HasSubstr("nocon@-3000,3000"));
}

TEST_F(NetBuild, DrawingArcStartsNoIsland) {
    auto schema = compile_sheet("(ARC DRAW (POS 0 1000 ) (POS 1000 0 ) (POS 0 0 ) CCW )\n");
    auto context = build(schema.get());
    EXPECT_EQ(net_count(context.get()), 0);
}

TEST_F(NetBuild, WireArcJoinsWiresAtItsEnds) {
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-3000, 0, -3000, 1000) +
                                arc(-3000, 1000, -2000, 2000, -2000, 1000) +
                                wire(-2000, 2000, 0, 2000) + label(-1000, 2000, "ARCNET"));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 0, 0), HasSubstr("7:ARCNET"));
}

TEST_F(NetBuild, NetPropertyGoesToTheWiresNetEvenBehindADrawingLine) {
    auto schema = compile_sheet(drawn(-5000, 1000, 0, 1000) + part("R", 0, 0, "R1") +
                                wire(-3000, 0, -3000, 2000) + netprop(-3000, 1000, "FAT", 900));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 0, 0), HasSubstr("prop FAT/900"));
}

TEST_F(NetBuild, RebuildingGivesTheSameNetsAndRecords) {
    auto schema =
        compile_sheet(two_resistors + wire(5000, 0, 7000, 0) + label(6000, 0, "MID") +
                      junction(6000, 0) + wire(6000, 0, 6000, -3000) + power(6000, -3000, "P"));
    auto context = build(schema.get());
    std::string first = describe_build(context.get(), schema.get());
    int result = build_sheet_nets(context.get(), schema.get());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(describe_build(context.get(), schema.get()), first);
    // A fresh context after the first one went: nothing of the old heads is followed.
    context.reset();
    auto again = build(schema.get());
    EXPECT_EQ(describe_build(again.get(), schema.get()), first);
}

// The check of a sheet's nets takes the parts' visited marks as the build
// leaves them, and a member's wire is the sheet's wire it ends on, also
// when a rebuild starts from parts a netlist writer left marked.
TEST_F(NetBuild, ABuildLeavesNoPartVisitedAndEachMemberOnTheSheetsWire) {
    // The pins' members end on their temporary stubs: they keep no wire;
    // the no-connect mark's ends on the second wire.
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 7000, 0) +
                                wire(-3000, 0, -3000, 3000) + nocon(-3000, 3000));
    auto context = build(schema.get());
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type == PARTLIB_ITEM) item->state |= NET_VISITED;
    ASSERT_EQ(build_sheet_nets(context.get(), schema.get()), 0);
    std::vector<SchItem*> wires, stubs;
    int parts = 0;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item->type == LINE_ITEM) wires.push_back(item);
        if (item->type == PSEUDO_PIN && as_PseudoPin(item)->stub)
            stubs.push_back(as_PseudoPin(item)->stub);
        if (item->type == PARTLIB_ITEM) {
            ++parts;
            EXPECT_FALSE(item->state & NET_VISITED);
        }
    }
    EXPECT_EQ(parts, 2);
    ASSERT_EQ(wires.size(), 2u);
    EXPECT_EQ(stubs, std::vector<SchItem*>{wires[1]});
}

TEST_F(NetBuild, CleanUpLeavesNoTemporaryWireAndNoMemberPointingAtOne) {
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 6000, 0) + wire(6000, 0, 7000, 0) +
                                junction(5500, 0) + wire(5500, 0, 5500, 2000));
    auto context = build(schema.get());
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item->type == PSEUDO_PIN) {
            SchItem* stub = as_PseudoPin(item)->stub;
            if (stub) {
                EXPECT_NE(list_find_node(schema->current->items, stub), nullptr);
            }
            continue;
        }
        EXPECT_FALSE(item->state & NET_TEMPORARY) << int(item->type);
    }
    for (Ident* head : list_items<Ident>(context->islands))
        for (SchItem* w = head->next; w; w = w->next)
            EXPECT_NE(list_find_node(schema->current->items, w), nullptr);
}

TEST_F(NetBuild, FullCleanUpRemovesMembersAndHeads) {
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 7000, 0));
    auto context = build(schema.get());
    sheet_nets_cleanup(context.get(), schema.get(), 1);
    EXPECT_EQ(net_count(context.get()), 0);
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        EXPECT_NE(item->type, PSEUDO_PIN);
        EXPECT_EQ(item->prev, nullptr);
        EXPECT_FALSE(item->state & (NET_IGNORED | NET_CURRENT_PASS));
    }
}

TEST_F(NetBuild, ShowPowerLocalIsSetInMemoryOnly) {
    tn_test::TempDir dir;
    std::string ini = dir.file("Quib.ini");
    set_config_ini_name(ini.c_str());
    config_write_flag = 1;
    proper_set(SHOW_POWER, 2);
    std::filesystem::remove(ini);
    auto schema = compile_sheet(part("IC", 0, 0, "U1"));
    auto context = build(schema.get());
    config_write_flag = 0;
    EXPECT_EQ(proper_get(SHOW_POWER_LOCAL), 0);
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(NetBuild, CollinearWiresMeetingEndToEndStayChainedAsAbsorbed) {
    auto schema = compile_sheet(two_resistors + wire(5000, 0, 6000, 0) + wire(6000, 0, 7000, 0));
    auto context = build(schema.get());
    int absorbed = 0;
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type == LINE_ITEM && (item->state & NET_IGNORED) && item->prev) ++absorbed;
    EXPECT_EQ(absorbed, 2);
    EXPECT_THAT(net_at(context.get(), 2000, 0), HasSubstr("pin 1@10000,0"));
}

TEST_F(NetBuild, LabelOnNoWireNamesNothingAndIsMarkedVisited) {
    auto schema = compile_sheet(part("R", 0, 0, "R1") + label(-3000, 5000, "LOST"));
    auto context = build(schema.get());
    EXPECT_THAT(describe_nets(context.get()), Not(HasSubstr("LOST")));
    SchItem* lost = nullptr;
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type == TEXT_ITEM) lost = item;
    ASSERT_NE(lost, nullptr);
    EXPECT_TRUE(lost->state & NET_VISITED);
}

TEST_F(NetBuild, WithOnlyLabelsTheLastNameOfTheListIsPreferred) {
    // Names are put in front as they are met: "FIRST" ends up last.
    auto schema = compile_sheet(part("R", 0, 0, "R1") + wire(-3000, 0, -3000, 3000) +
                                label(-3000, 1000, "FIRST") + label(-3000, 2000, "SECOND"));
    auto context = build(schema.get());
    EXPECT_THAT(net_at(context.get(), 0, 0), HasSubstr("names [ 7:SECOND 7:FIRST ] pref FIRST"));
}

TEST_F(NetBuild, NoSchemaOrNoSheetBuildsNothing) {
    ContextPtr context(new_NetContext(), ContextFree{});
    EXPECT_EQ(build_sheet_nets(context.get(), nullptr), 0);
    auto schema = compile_sheet("");
    schema->current = nullptr;
    EXPECT_EQ(build_sheet_nets(context.get(), schema.get()), 0);
}

}  // namespace
}  // namespace net_test
