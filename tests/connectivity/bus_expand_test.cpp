// Bus expansion: range labels, member aliases and the warnings of a bus.
#include <gmock/gmock.h>

#include "connectivity/bus_expand.h"
#include "connectivity/net_fixture.h"

namespace net_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct RangeCase {
    const char* text;
    bool ok;
    const char* base;
    int lo, hi;
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.text; }

class BusRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(BusRange, ParsesLikeTheScanFormat) {
    const RangeCase& c = GetParam();
    std::string base = "junk";
    int32_t lo = 99, hi = 99;
    EXPECT_EQ(parse_bus_range(c.text, &base, &lo, &hi), c.ok) << c.text;
    if (!c.ok) {
        EXPECT_EQ(base, "");
        return;
    }
    EXPECT_EQ(base, c.base);
    EXPECT_EQ(lo, c.lo);
    EXPECT_EQ(hi, c.hi);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BusRange,
    ::testing::Values(RangeCase{"D[0..3]", true, "D", 0, 3}, RangeCase{"[0..1]", true, "", 0, 1},
                      RangeCase{"ADDR[15..0]", true, "ADDR", 15, 0},
                      RangeCase{"D[ 1.. -2]x", true, "D", 1, -2},
                      RangeCase{"X]D[1..2", true, "X]D", 1, 2}, RangeCase{"D0", false, "", 0, 0},
                      RangeCase{"D[0..3", false, "", 0, 0}, RangeCase{"D[0.3]", false, "", 0, 0},
                      RangeCase{"D[a..3]", false, "", 0, 0}, RangeCase{"D[0..]", false, "", 0, 0},
                      RangeCase{"D[1..99999999999]", false, "", 0, 0}));

class BusExpand : public NetTest {
protected:
    // A vertical bus from the port at (20000, 0) down to (20000, 8000), then
    // to (24000, 8000); member wires to the right of it with labels.
    std::string bus_sheet(const std::string& range_labels, const std::string& member_labels) {
        return bus(20000, 0, 20000, 8000) + bus(20000, 8000, 24000, 8000) + range_labels +
               member_labels;
    }
    std::string member(int n, const std::string& name) {
        int y = 1000 + n * 1500;
        return wire(21000, y, 26000, y) + label(22000, y, name);
    }
    std::string members(const std::string& base) {
        return member(0, base + "0") + member(1, base + "1") + member(2, base + "2") +
               member(3, base + "3");
    }
};

TEST_F(BusExpand, EveryMemberNetGetsTheAliasOfItsIndex) {
    auto schema = compile_sheet(bus_sheet(label(20000, 2000, "D[0..3]"), members("D")),
                                sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    std::string nets = describe_nets(context.get());
    for (int n = 0; n < 4; ++n)
        EXPECT_THAT(nets,
                    HasSubstr("7:D" + std::to_string(n) + " 16:@D//" + std::to_string(n) + " ]"));
    EXPECT_EQ(warnings(), "");
}

TEST_F(BusExpand, LabelOnAFartherBusSegmentNamesTheBusAndAliasesAreNeverPreferred) {
    auto schema = compile_sheet(bus_sheet(label(22000, 8000, "d[0..1]"), members("D")),
                                sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    std::string nets = describe_nets(context.get());
    EXPECT_THAT(nets, HasSubstr("7:D1 16:@d//1 ] pref D1"));
    EXPECT_THAT(nets, Not(HasSubstr("@d//2")));
}

TEST_F(BusExpand, TwoBasesOnOneBusGiveEveryMemberBothAliases) {
    auto schema =
        compile_sheet(bus_sheet(label(20000, 2000, "D[0..1]") + label(20000, 4000, "Q[0..1]"),
                                member(0, "D0") + member(1, "Q1")),
                      sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    std::string nets = describe_nets(context.get());
    EXPECT_THAT(nets, HasSubstr("7:D0 16:@Q//0 16:@D//0 ]"));
    EXPECT_THAT(nets, HasSubstr("7:Q1 16:@Q//1 16:@D//1 ]"));
}

TEST_F(BusExpand, BusWithoutARangeLabelIsReported) {
    auto schema = compile_sheet(bus_sheet(label(20000, 2000, "[0..3]"), members("D")),
                                sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    EXPECT_EQ(warnings(), "*** Warning : No Bus name specified for port 'DATA'...\n");
    EXPECT_THAT(describe_nets(context.get()), Not(HasSubstr("16:")));
}

TEST_F(BusExpand, ARangeWrittenHighToLowNamesTheSameMembers) {
    auto forward = compile_sheet(bus_sheet(label(20000, 2000, "D[0..3]"), members("D")),
                                 sheet_port(20000, 0, "DATA"));
    auto reversed = compile_sheet(bus_sheet(label(20000, 2000, "D[3..0]"), members("D")),
                                  sheet_port(20000, 0, "DATA"));
    auto reversed_nets = build(reversed.get());
    EXPECT_EQ(warnings(), "");
    EXPECT_THAT(describe_nets(reversed_nets.get()), HasSubstr("7:D3 16:@D//3 ]"));
    EXPECT_EQ(describe_nets(reversed_nets.get()), describe_nets(build(forward.get()).get()));
}

TEST_F(BusExpand, DisagreeingRangesAreReportedAndTheFirstLabelsRangeUsed) {
    // Labels are taken last met first: the one on the farther segment leads.
    auto schema = compile_sheet(
        bus_sheet(label(20000, 2000, "D[0..3]") + label(22000, 8000, "D[0..1]"), members("D")),
        sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    EXPECT_EQ(warnings(),
              "*** Warning : Range Label bus 'D[0..3]' do not match Label bus 'D[0..1]'\n");
    std::string nets = describe_nets(context.get());
    EXPECT_THAT(nets, HasSubstr("@D//1"));
    EXPECT_THAT(nets, Not(HasSubstr("@D//2")));
}

TEST_F(BusExpand, PortWithoutABusIsQuiet) {
    auto schema = compile_sheet(members("D"), sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    EXPECT_EQ(warnings(), "");
}

TEST_F(BusExpand, SubSheetPortStartsTheBusAtTheBoxsOffset) {
    // The box at (12000, -2000) has its port at offset (8000, 2000): (20000, 0).
    auto schema = compile_sheet(
        bus_sheet(label(20000, 2000, "D[0..3]"), members("D")) +
        "(SUBSHEET 0x00000001 (POS 12000 -2000 ) (SIZE 8000 6000 ) 'S' 's.sch' (PORTS\n" +
        "(PORT RIGHT BIDIR (POS 8000 2000 ) 'D[0..3]' ) ) )\n");
    auto context = build(schema.get());
    EXPECT_THAT(describe_nets(context.get()), HasSubstr("16:@D//3"));
}

TEST_F(BusExpand, EveryRangeLabelOfABusCountsHoweverMany) {
    std::string labels;
    for (int i = 0; i < 520; ++i)
        labels += label(20000, 10 + i * 10, "B" + std::to_string(i) + "[0..0]");
    auto schema =
        compile_sheet(bus_sheet(labels, member(0, "B5190")), sheet_port(20000, 0, "DATA"));
    auto context = build(schema.get());
    std::string net =
        net_at(context.get(), 26000, 1000).empty() ? describe_nets(context.get()) : "";
    EXPECT_THAT(net, HasSubstr("16:@B0//0"));
    EXPECT_THAT(net, HasSubstr("16:@B519//0"));
}

}  // namespace
}  // namespace net_test
