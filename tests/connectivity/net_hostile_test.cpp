// Damaged and extreme sheets: each builds without a crash or an overflow,
// and leaves no temporary wire behind (the sanitizer build checks for leaks
// and undefined arithmetic on the same fixtures).
#include <gmock/gmock.h>

#include <climits>
#include <string>

#include "connectivity/net_fixture.h"
#include "connectivity/net_refresh.h"
#include "foundation/list.h"
#include "model/documents/ident.h"

namespace net_test {
namespace {

using ::testing::HasSubstr;

constexpr int MAX = INT_MAX;
constexpr int MIN = INT_MIN;

struct Hostile {
    const char* name;
    std::string items;
    std::string ports;
};

void PrintTo(const Hostile& h, std::ostream* os) { *os << h.name; }

class HostileSheet : public NetTest, public ::testing::WithParamInterface<Hostile> {};

void expect_no_temporaries(Schema* schema) {
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item->type != PSEUDO_PIN) {
            EXPECT_FALSE(item->state & NET_TEMPORARY) << int(item->type);
        }
    }
}

TEST_P(HostileSheet, BuildsRefreshesAndCleansUp) {
    const Hostile& h = GetParam();
    auto schema = compile_sheet(h.items, h.ports);
    ASSERT_TRUE(schema);
    int result = -1;
    auto context = build(schema.get(), &result);
    EXPECT_EQ(result, 0);
    expect_no_temporaries(schema.get());
    EXPECT_EQ(build_sheet_nets(context.get(), schema.get()), 0);
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        item->state |= NET_CURRENT_PASS;
    sheet_nets_cleanup(context.get(), schema.get(), 1);
    refresh_connectivity(context.get(), schema.get());
    build_sheet_nets(context.get(), schema.get());
    expect_no_temporaries(schema.get());
}

std::string many_labels() {
    std::string s = wire(0, 0, 0, 100000);
    for (int i = 0; i < 200; ++i) s += label(0, i * 100, i % 2 ? "N" : "n");
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, HostileSheet,
    ::testing::Values(
        Hostile{"CoordinatesAtTheEndsOfTheRange",
                wire(MAX, MAX, MAX - 1000, MAX) + wire(MIN, MIN, MIN, MAX) + wire(MIN, 0, MAX, 0) +
                    junction(MIN, 0) + junction(0, 0) + part("R", MAX, MAX, "R1") +
                    part("VR", MIN, MIN, "R2") + power(MIN, MIN, "P") +
                    power(MAX, MAX, "P", "ROT_180") + nocon(MAX, MIN) + label(MAX, MAX, "EDGE"),
                sheet_port(MAX, MAX, "E", true) + sheet_port(MIN, MIN, "F")},
        Hostile{"SlopedWiresWhoseProductsPassSixtyFourBits",
                wire(MIN, MIN, MAX, MAX - 1) + wire(MIN + 2, MIN + 2, MAX - 3, MAX - 4) +
                    wire(MIN, MAX, MAX, MIN) + wire(0, 0, 0, 0) + junction(0, 0) +
                    arc(MIN, MIN, MAX, MAX, 0, 0),
                ""},
        Hostile{"BoxAtTheEdgeWithFarPorts",
                "(SUBSHEET 0x00000001 (POS 2147483000 2147483000 ) (SIZE 8000 6000 ) 'S' 's.sch' "
                "(PORTS\n"
                "(PORT LEFT BIDIR (POS 0 2000 ) 'D[0..3]' ) (PORT RIGHT BIDIR (POS 8000 4000 ) 'X' "
                ") ) )\n" +
                    bus(MAX, MAX, MAX - 5000, MAX) +
                    label(MAX - 1000, MAX, "D[-2147483648..2147483647]"),
                ""},
        Hostile{"RangeOverTheWholeIntegerLine",
                bus(0, 0, 0, 9000) + label(0, 1000, "D[-2147483648..2147483647]") +
                    wire(100, 100, 900, 100) + label(200, 100, "D-2147483648") +
                    wire(100, 200, 900, 200) + label(200, 200, "D2147483647"),
                sheet_port(0, 0, "BUS")},
        Hostile{"PartMissingFromTheLibrary", part("NOPE", 0, 0, "U1") + wire(-3000, 0, 0, 0), ""},
        Hostile{"PowerWithAnInvalidRotation", power(0, 0, "V", "ROT_45") + wire(0, 0, 0, 5000), ""},
        Hostile{"EmptyAndLongLabels",
                wire(0, 0, 5000, 0) + label(1000, 0, "") + label(2000, 0, std::string(3000, 'L')) +
                    wire(0, 1000, 5000, 1000) + label(1000, 1000, std::string(3000, 'l')),
                ""},
        Hostile{"ManyCopiesOfOneWire",
                wire(0, 0, 5000, 0) + wire(0, 0, 5000, 0) + wire(5000, 0, 0, 0) +
                    wire(0, 0, 5000, 0) + junction(2500, 0) + junction(2500, 0) +
                    wire(2500, 0, 2500, 0),
                ""},
        Hostile{"ManyLabelsOfOneNameOnOneWire", many_labels(), ""},
        Hostile{"BusLoopWithoutEnd",
                bus(0, 0, 1000, 0) + bus(1000, 0, 1000, 1000) + bus(1000, 1000, 0, 1000) +
                    bus(0, 1000, 0, 0) + label(500, 0, "B[0..1]"),
                sheet_port(0, 0, "B[0..1]")}),
    [](const ::testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

class HostileNames : public NetTest {};

TEST_F(HostileNames, WholeIntegerRangeFindsOnlyTheNetsThatExist) {
    auto schema = compile_sheet(bus(0, 0, 0, 9000) + label(0, 1000, "D[-2147483648..2147483647]") +
                                    wire(100, 100, 900, 100) + label(200, 100, "D-2147483648") +
                                    wire(100, 200, 900, 200) + label(200, 200, "d2147483647") +
                                    wire(100, 300, 900, 300) + label(200, 300, "D007"),
                                sheet_port(0, 0, "BUS"));
    auto context = build(schema.get());
    std::string nets = describe_nets(context.get());
    EXPECT_THAT(nets, HasSubstr("7:D-2147483648 16:@D//-2147483648 ]"));
    EXPECT_THAT(nets, HasSubstr("7:d2147483647 16:@D//2147483647 ]"));
    EXPECT_THAT(nets, HasSubstr("7:D007 ]"));
}

}  // namespace
}  // namespace net_test
