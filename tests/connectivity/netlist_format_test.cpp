// Netlist writers on single sheets built from schematic source. Golden
// files live in tests/data/connectivity; regenerate with TN_UPDATE_GOLDEN=1
// and review the diff before committing. SPICE decks are run by ngspice when
// it is installed.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "connectivity/net_fixture.h"
#include "connectivity/netlist_format.h"
#include "connectivity/netlist_test_tools.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/sheet_items.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "support/test_env.h"

namespace net_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string placed(const std::string& name, int x, int y, const std::string& reference,
                   const std::string& value, const std::string& extra = "") {
    return "(PARTLIB '" + name + "' 0x0000002A 1.000000 POWERON NO_ROT NORMAL_PART DEVICE 0 (POS " +
           std::to_string(x) + " " + std::to_string(y) + " ) (ATTRIBUTE '" + reference +
           "' VIS (POS 0 0 ) ) (ATTRIBUTE '" + value + "' (POS 0 0 ) ) " + extra + ")\n";
}

// A 10 V source over 1k and 3k: OUT sits at 7.5 V.
std::string divider() {
    return text(0, -20000, "&SPICE:.op") + placed("VR", 0, 0, "V1", "DC 10") +
           placed("R", 10000, -10000, "R1", "1k") + placed("VR", 20000, 0, "R2", "3k") +
           wire(0, -3000, 0, -10000) + wire(0, -10000, 7000, -10000) + label(3000, -10000, "IN") +
           wire(15000, -10000, 20000, -10000) + wire(20000, -10000, 20000, -3000) +
           label(17000, -10000, "OUT") + wire(0, 5000, 10000, 5000) +
           wire(10000, 5000, 20000, 5000) + label(5000, 5000, "GND");
}

class Netlist : public NetTest {
protected:
    int format(Schema* schema, NetContext* context, const char* keyword, int field = 2) {
        return format_netlist(context, schema, "root.sch", out_.c_str(), keyword, field);
    }
    std::string written() { return tn_test::read_text(out_); }
    void golden(const std::string& name) {
        std::string text = without_date(written());
        tn_test::expect_golden("connectivity/" + name, {text.begin(), text.end()});
    }
    // Three resistors (and `extra`) with names added to their first nets,
    // formatted in the native format: every net's final name.
    std::vector<std::string> final_names(const std::vector<std::pair<int32_t, const char*>>& added,
                                         const std::string& extra = "") {
        auto schema =
            compile_sheet(placed("R", 0, 0, "R1", "1") + placed("R", 0, 10000, "R2", "1") +
                          placed("R", 0, 20000, "R3", "1") + extra);
        auto context = build(schema.get());
        std::vector<Ident*> heads;
        for (Ident* head : list_items<Ident>(context->islands)) heads.push_back(head);
        EXPECT_GE(heads.size(), std::max<size_t>(5, added.size()));
        for (size_t i = 0; i < added.size() && i < heads.size(); ++i)
            ident_add_name(heads[i], added[i].first, added[i].second);
        EXPECT_EQ(format(schema.get(), context.get(), "tessaron"), 0);
        std::vector<std::string> names;
        for (Ident* head : heads) names.push_back(head->name.get());
        return names;
    }
    tn_test::TempDir dir_;
    std::string out_ = dir_.file("out.net");
};

TEST_F(Netlist, DividerInEveryLineFormat) {
    auto schema = compile_sheet(divider());
    auto context = build(schema.get());
    std::snprintf(schema->title, sizeof schema->title, "%s", "Divider");
    ASSERT_EQ(format(schema.get(), context.get(), "TESSARON"), 0);
    golden("divider.tnf");
    EXPECT_THAT(written(), HasSubstr("  Generated on "));
    ASSERT_EQ(format(schema.get(), context.get(), "pelmoran"), 0);
    golden("divider.pel");
    EXPECT_THAT(written(), HasSubstr("`T \"Divider\""));
    ASSERT_EQ(format(schema.get(), context.get(), "spice"), 0);
    golden("divider.cir");
    out_ = dir_.file("divider.edf");
    ASSERT_EQ(format(schema.get(), context.get(), "flatedif"), 0);
    std::string edif = without_date(written());
    ASSERT_THAT(written(), HasSubstr("(comment \" generated"));
    tn_test::expect_golden("connectivity/divider.edf", {edif.begin(), edif.end()});
    EXPECT_EQ(edif.back(), ')');
}

TEST_F(Netlist, NgspiceSolvesTheDivider) {
    ASSERT_TRUE(tn_test::tool_installed("ngspice"));
    auto schema = compile_sheet(divider());
    auto context = build(schema.get());
    ASSERT_EQ(format(schema.get(), context.get(), "SPICE"), 0);
    std::string output = run_ngspice(out_);
    EXPECT_THAT(output, Not(HasSubstr("Error"))) << output;
    EXPECT_THAT(output, Not(HasSubstr("error"))) << output;
    EXPECT_THAT(output, ::testing::ContainsRegex("out +7\\.50*e\\+00")) << output;
    EXPECT_THAT(output, ::testing::ContainsRegex("in +1\\.0*e\\+01")) << output;
}

TEST_F(Netlist, PcbRndImportsTheEdifNetsUnchanged) {
    ASSERT_TRUE(tn_test::tool_installed("pcb-rnd"));
    // The divider, a net name that is no EDIF identifier and a value with a
    // quote and a percent sign.
    auto schema =
        compile_sheet(divider() + placed("R", 40000, 0, "R7", "5%\"") + wire(45000, 0, 50000, 0) +
                      label(47000, 0, "D-1") + placed("R", 53000, 0, "R8", "1"));
    auto context = build(schema.get());
    out_ = dir_.file("d.edf");
    ASSERT_EQ(format(schema.get(), context.get(), "FLATEDIF"), 0);
    std::string log;
    std::set<std::string> nets = pcb_rnd_nets(dir_.path().string(), out_, &log);
    EXPECT_THAT(log, Not(HasSubstr("E:"))) << log;
    // pcb-rnd names a renamed net by its EDIF identifier; one-pin nets are nets too.
    EXPECT_THAT(nets, ::testing::ElementsAre("&D_1: R7-2 R8-1", "GND: R2-2 V1-2", "IN: R1-1 V1-1",
                                             "N00000: R7-1", "N00001: R8-2", "OUT: R1-2 R2-1"))
        << log;
}

TEST_F(Netlist, PcbRndKeepsApartNetsWhoseNamesDifferInCharactersNoIdentifierHolds) {
    if (std::system("command -v pcb-rnd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pcb-rnd is not installed (scripts/setup.sh installs it)";
    // Seven resistors in a row, the six wires between them named alike but
    // for a sign or an underscore.
    const char* names[] = {"+12V", "-12V", "A-1", "A+1", "D_1", "D-1"};
    std::string items = placed("R", 0, 0, "R1", "1");
    for (int k = 0; k < 6; ++k) {
        items += wire(10000 * k + 5000, 0, 10000 * k + 7000, 0) +
                 label(10000 * k + 6000, 0, names[k]) +
                 placed("R", 10000 * (k + 1), 0, "R" + std::to_string(k + 2), "1");
    }
    auto schema = compile_sheet(items);
    auto context = build(schema.get());
    out_ = dir_.file("d.edf");
    ASSERT_EQ(format(schema.get(), context.get(), "FLATEDIF"), 0);
    // Each renamed net keeps its own spelling.
    for (const char* name : names)
        if (std::string(name) != "D_1") {
            EXPECT_THAT(written(), HasSubstr(std::string(" \"") + name + "\")"));
        }
    std::string log;
    std::set<std::string> nets = pcb_rnd_nets(dir_.path().string(), out_, &log);
    EXPECT_THAT(log, Not(HasSubstr("E:"))) << log;
    // pcb-rnd names a renamed net by its identifier: "&_12V" is +12V.
    EXPECT_THAT(nets,
                ::testing::ElementsAre("&A_1: R3-2 R4-1", "&A_1_2: R4-2 R5-1", "&D_1_2: R6-2 R7-1",
                                       "&_12V: R1-2 R2-1", "&_12V_2: R2-2 R3-1", "D_1: R5-2 R6-1",
                                       "N00000: R1-1", "N00001: R7-2"))
        << log;
}

TEST_F(Netlist, NetNamesAreNeverEmptyNorTakenFromAnotherNet) {
    // Two unnamed nets, a local net cut to a name a global net holds, and
    // two nets sharing a prefix of which only the last is cut.
    std::vector<std::string> names =
        final_names({{NAME_POWER, "VCC"},
                     {NAME_LABEL, "VCC__3"},
                     {NAME_LABEL, "clk__1"},
                     {NAME_LABEL, "CLK__2"}},
                    wire(-3000, 20000, -3000, 25000) + nocon(-3000, 25000));
    ASSERT_GE(names.size(), 5u);
    EXPECT_THAT(std::vector<std::string>(names.begin(), names.begin() + 5),
                ::testing::ElementsAre("VCC", "VCC__3", "clk__1", "CLK", "N00000"));
    if (names.size() > 5) {
        EXPECT_EQ(names[5], "N00001");
    }
    // R3's pin 1 has a no-connect mark only: written as unconnected.
    EXPECT_THAT(written(), HasSubstr(" ( 1 ?"));
}

TEST_F(Netlist, ALocalNetIsNotCutToTheNameOfANetListedAfterIt) {
    // The global net comes later in the list, in another case; a name with
    // "__" of its own is no prefix and takes no cut away.
    std::vector<std::string> names = final_names({{NAME_LABEL, "vcc__3"},
                                                  {NAME_LABEL, "A__1"},
                                                  {NAME_POWER, "VCC"},
                                                  {NAME_LABEL, "A__1__2"}});
    ASSERT_GE(names.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(names.begin(), names.begin() + 4),
                ::testing::ElementsAre("vcc__3", "A__1", "VCC", "A"));
}

// A long element line goes on after "+ " between its nodes; the module
// text ends the line it is put on, whatever its length, and never leaves
// an empty continuation line behind it.
TEST_F(Netlist, ASpiceElementLineEndsWithItsModule) {
    const std::string node1 = "NODE_NAME_ABCDEFG", node2 = "NODE_NAME_HIJKLMN";
    auto schema =
        compile_sheet(placed("R", 10000, -10000, "R1", "100k") + wire(0, -10000, 7000, -10000) +
                      label(3000, -10000, node1) + wire(15000, -10000, 20000, -10000) +
                      label(17000, -10000, node2) + placed("R", 10000, 0, "R2", "1") +
                      wire(7000, -10000, 7000, 0) + wire(15000, -10000, 15000, 0));
    auto context = build(schema.get());
    ASSERT_EQ(format(schema.get(), context.get(), "SPICE"), 0) << warnings();
    // 46 characters up to the last node: the module takes the line past 50.
    EXPECT_THAT(written(), HasSubstr("\nR1         " + node1 + " " + node2 + " 100k\nR2 "))
        << written();
    EXPECT_THAT(written(), Not(HasSubstr("\n+ \n"))) << written();
}

TEST_F(Netlist, SpiceRefusesPinsItCannotOrderAndKeepsTheOldDeck) {
    auto schema = compile_sheet(divider());
    auto context = build(schema.get());
    tn_test::write_text(out_, "old deck\n");
    // A pin number that is no number would take node slot 0.
    PlacedPart* r1 = nullptr;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM &&
            std::string(as_PlacedPart(item)->reference.text.get()) == "R1")
            r1 = as_PlacedPart(item);
    ASSERT_NE(r1, nullptr);
    Pin* first = *list_items<Pin>(pl_get_part(schema->library, r1)->normal_pins->pins).begin();
    set_pin_number(first, 0, "A");
    EXPECT_EQ(format(schema.get(), context.get(), "SPICE"), SPICE_PIN_NOT_A_NUMBER);
    EXPECT_STREQ(spice_error_reference(), "R1");
    EXPECT_STREQ(spice_error_pin(), "A");
    EXPECT_THAT(warnings(), HasSubstr("Part R1: pin number 'A'"));
    EXPECT_EQ(written(), "old deck\n");
    // Pin 2 twice, on IN and on OUT: one number is one node.
    set_pin_number(first, 0, "2");
    EXPECT_EQ(format(schema.get(), context.get(), "SPICE"), SPICE_PIN_ON_TWO_NETS);
    EXPECT_STREQ(spice_error_pin(), "2");
    EXPECT_STREQ(spice_error_net(0), "IN");
    EXPECT_STREQ(spice_error_net(1), "OUT");
    EXPECT_THAT(warnings(), HasSubstr("Part R1: pin 2 is on two nets, IN and OUT\n"));
    set_pin_number(first, 0, "1");
    // R2 renamed R1: two parts of one reference, their pins on other nets.
    std::string twice = divider();
    twice.replace(twice.find("'R2'"), 4, "'R1'");
    auto duplicate = compile_sheet(twice);
    auto duplicate_nets = build(duplicate.get());
    EXPECT_EQ(format(duplicate.get(), duplicate_nets.get(), "SPICE"), SPICE_REFERENCE_TWICE);
    EXPECT_STREQ(spice_error_reference(), "R1");
    const std::string nets = std::string(spice_error_net(0)) + " and " + spice_error_net(1);
    EXPECT_THAT(nets, testing::AnyOf("IN and OUT", "OUT and GND", "IN and GND")) << nets;
    EXPECT_THAT(warnings(), HasSubstr("Part R1: two parts carry this reference, on nets " + nets));
    EXPECT_EQ(written(), "old deck\n");
    // A lone resistor has two unconnected pins.
    auto lone = compile_sheet(placed("R", 0, 0, "R9", "1k"));
    auto lone_nets = build(lone.get());
    EXPECT_EQ(format(lone.get(), lone_nets.get(), "SPICE"), SPICE_PIN_NOT_CONNECTED);
    EXPECT_STREQ(spice_error_reference(), "R9");
    EXPECT_STREQ(spice_error_pin(), "1");
    EXPECT_EQ(written(), "old deck\n");
}

TEST_F(Netlist, PartsThatCannotBeWrittenWholeAreWarnedAbout) {
    auto schema =
        compile_sheet(placed("R", 0, 0, "R?", "1") + placed("R", 0, 10000, "R5", "1") +
                      placed("R", 0, 20000, "r5", "1") + placed("R", 0, 30000, "R6", "1"));
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM &&
            std::string(as_PlacedPart(item)->reference.text.get()) == "R6") {
            as_PlacedPart(item)->part = nullptr;
            as_PlacedPart(item)->part_name.set("NOSUCH");
        }
    auto context = build(schema.get());
    ASSERT_EQ(format(schema.get(), context.get(), "tessaron"), 0);
    EXPECT_THAT(warnings(), HasSubstr("Part R? is not annotated"));
    EXPECT_THAT(warnings(), HasSubstr("Part r5: duplicate reference"));
    EXPECT_THAT(warnings(), HasSubstr("Part R6: library part NOSUCH not found"));
    EXPECT_THAT(written(), Not(HasSubstr("R6")));
}

// A reference met again is a duplicate only on a device already met; the
// devices of a package are told apart however high their number.
TEST_F(Netlist, APackageIsADuplicateOnlyOnADeviceMetBefore) {
    auto on_device = [](int device, int y, const char* reference) {
        std::string part = placed("R", 0, y, reference, "1");
        part.replace(part.find("DEVICE 0"), 8, "DEVICE " + std::to_string(device));
        return part;
    };
    auto schema = compile_sheet(on_device(0, 0, "U1") + on_device(1, 10000, "u1") +
                                on_device(63, 20000, "U1") + on_device(64, 30000, "U1") +
                                on_device(70, 40000, "U2") + on_device(70, 50000, "U2") +
                                on_device(63, 60000, "U3") + on_device(63, 70000, "U3"));
    auto context = build(schema.get());
    ASSERT_EQ(format(schema.get(), context.get(), "tessaron"), 0);
    EXPECT_THAT(warnings(), Not(HasSubstr("U1: duplicate")));
    EXPECT_THAT(warnings(), Not(HasSubstr("u1: duplicate")));
    EXPECT_THAT(warnings(), HasSubstr("Part U2: duplicate reference"));
    EXPECT_THAT(warnings(), HasSubstr("Part U3: duplicate reference"));
}

// Each placed part notes its index in the run's table in its scratch slot,
// which the net build numbers its own records with too: a record that is
// not the part at that index (a part off the sheet's list, a slot another
// run left) has no package, never the package of the part the slot names.
TEST(NetlistRun, AStaleScratchSlotNamesNoPackage) {
    PlacedPart first, second, off_list;
    NetlistRun run;
    run.placed = {&first, &second};
    run.placed_package = {7, 9};
    first.net_slot = 0;
    second.net_slot = 1;
    ASSERT_NE(package_of_placed(run, &second), nullptr);
    EXPECT_EQ(*package_of_placed(run, &second), 9u);
    off_list.net_slot = 1;
    EXPECT_EQ(package_of_placed(run, &off_list), nullptr);
    off_list.net_slot = UINT32_MAX;  // far past the table
    EXPECT_EQ(package_of_placed(run, &off_list), nullptr);
    EXPECT_EQ(package_of_placed(run, nullptr), nullptr);
}

TEST_F(Netlist, PinsWithoutNumbersGoByTheirNames) {
    // Two pads whose pins carry no number, pad P1's pin P on net B: each pin
    // is written once under its name, none is lost to a shared empty number.
    auto schema = compile(
        "(SCHEMATIC\n(SHEET\n" + placed("PAD", 3000, 0, "P1", "pad") +
        placed("PAD", 13000, 0, "P2", "pad") + wire(0, 0, -5000, 0) + label(-5000, 0, "B") +
        wire(5000, 0, 10000, 0) + wire(15000, 0, 20000, 0) + label(20000, 0, "B") +
        ")\n(LIB '$ACTIVE$' (PFXS ) (PARTS (LPART (PART (COMMON (TYPE STANDARD 1) (SIZE 2000 0 ) "
        "(REFERENCE 'P' ) ) (NORMAL (PINS (PIN 'P' PAS LEFT (POS 0 0 ) ) "
        "(PIN 'Q' PAS RIGHT (POS 2000 0 ) ) ) ) ) (ALIAS (NAME 'PAD' ) ) ) ) )\n)\n");
    auto context = build(schema.get());
    ASSERT_EQ(format(schema.get(), context.get(), "tessaron"), 0);
    EXPECT_THAT(written(), HasSubstr("P1 pad\n ( P B )\n ( Q N00000 )\n )\n"));
    EXPECT_THAT(written(), HasSubstr("P2 pad\n ( Q B )\n ( P N00000 )\n )\n"));
    ASSERT_EQ(format(schema.get(), context.get(), "FLATEDIF"), 0);
    EXPECT_THAT(written(), HasSubstr("(portRef &P (instanceRef  &P1))"));
    // SPICE orders nodes by number: a pin without one is an error, not an
    // element line without nodes.
    EXPECT_EQ(format(schema.get(), context.get(), "SPICE"), SPICE_PIN_NOT_A_NUMBER);
    EXPECT_STREQ(spice_error_pin(), "P");
}

TEST_F(Netlist, TheLayoutHeadersQuotedStringsHoldNoQuoteNorLineBreak) {
    // A title and a root name with double quotes and a line break: each
    // header line keeps its one pair of quotes and stays one line.
    auto schema = compile_sheet(divider());
    auto context = build(schema.get());
    std::snprintf(schema->title, sizeof schema->title, "%s", "The \"best\"\ndivider");
    ASSERT_EQ(
        format_netlist(context.get(), schema.get(), "my \"root\".sch", out_.c_str(), "PELMORAN", 2),
        0);
    const std::string netlist = written();
    EXPECT_THAT(netlist, HasSubstr("\n`T \"The 'best' divider\"\n`F \"my 'root'.sch\"\n"));
}

TEST_F(Netlist, UnwritableOutputIsCodeThree) {
    auto schema = compile_sheet(divider());
    auto context = build(schema.get());
    std::string missing = dir_.file("no/such/dir/out.net");
    EXPECT_EQ(format_netlist(context.get(), schema.get(), "root.sch", missing.c_str(), "SPICE", 2),
              NETLIST_NOT_OPENED);
}

}  // namespace
}  // namespace net_test
