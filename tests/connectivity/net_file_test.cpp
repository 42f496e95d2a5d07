// The per-sheet net file. Golden files live in tests/data/connectivity;
// regenerate with TN_UPDATE_GOLDEN=1 and review the diff before committing.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "connectivity/net_file.h"
#include "connectivity/net_fixture.h"
#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/ident.h"
#include "model/documents/netprop.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/pin.h"
#include "support/test_env.h"

namespace net_test {
namespace {

using Bytes = std::vector<unsigned char>;

bool contains(const Bytes& bytes, const std::string& text) {
    std::string all(bytes.begin(), bytes.end());
    return all.find(std::string(text.c_str(), text.size() + 1)) != std::string::npos;
}

class NetFile : public NetTest {
protected:
    void SetUp() override {
        NetTest::SetUp();
        proper_set(DIR_PROJECT, dir_.path().string().c_str(), 0);
    }
    Bytes written(Schema* schema, NetContext* context, int sheet_number) {
        EXPECT_EQ(write_net_report(context, schema, "sheet", sheet_number), 0);
        return tn_test::read_bytes(dir_.file("sheet.bnt"));
    }
    tn_test::TempDir dir_;
};

// Two resistors wired, a label, a power symbol, a no-connect mark, an
// unused junction, a dangling wire and a bus port.
const std::string mixed_sheet = part("R", 0, 0, "R1") + part("R", 10000, 0, "R2") +
                                wire(5000, 0, 7000, 0) + label(6000, 0, "Clk") +
                                power(-3000, 0, "GND", "ROT_270") + nocon(15000, 0) +
                                junction(0, 9000) + wire(20000, 20000, 21000, 20000) +
                                bus(30000, 0, 30000, 5000) + label(30000, 1000, "D[0..1]");

TEST_F(NetFile, MixedSheetIsWrittenAsTheGoldenFile) {
    auto schema =
        compile_sheet(mixed_sheet, sheet_port(30000, 0, "D[0..1]") + sheet_port(-20000, 0, "IN"));
    auto context = build(schema.get());
    Bytes bytes = written(schema.get(), context.get(), 3);
    tn_test::expect_golden("connectivity/mixed_sheet3.net", bytes);
    EXPECT_TRUE(contains(bytes, "Clk__3"));
    EXPECT_TRUE(contains(bytes, "GND"));
    EXPECT_FALSE(contains(bytes, "GND__3"));
}

TEST_F(NetFile, SheetNumberZeroAddsNoSuffix) {
    auto schema = compile_sheet(mixed_sheet);
    auto context = build(schema.get());
    Bytes bytes = written(schema.get(), context.get(), 0);
    EXPECT_TRUE(contains(bytes, "Clk"));
    EXPECT_FALSE(contains(bytes, "Clk__0"));
}

TEST_F(NetFile, LabelNamingAPortsBusMemberMakesTheNetGlobal) {
    // Only nets with members are written: a no-connect mark ends each wire.
    auto schema =
        compile_sheet(wire(0, 0, 5000, 0) + label(1000, 0, "d1") + nocon(5000, 0) +
                          wire(0, 1000, 5000, 1000) + label(1000, 1000, "d2") + nocon(5000, 1000) +
                          wire(0, 2000, 5000, 2000) + label(1000, 2000, "d01") + nocon(5000, 2000),
                      sheet_port(30000, 0, "D[0..1]"));
    auto context = build(schema.get());
    Bytes bytes = written(schema.get(), context.get(), 5);
    EXPECT_TRUE(contains(bytes, "d1"));
    EXPECT_FALSE(contains(bytes, "d1__5"));
    EXPECT_TRUE(contains(bytes, "d2__5"));
    EXPECT_TRUE(contains(bytes, "d01__5"));
}

TEST_F(NetFile, SheetWithoutWiresEndsRightAfterItsPorts) {
    auto schema = compile_sheet(text(0, 0, "note"), sheet_port(0, 0, "IN"));
    auto context = build(schema.get());
    tn_test::expect_golden("connectivity/no_wires.net", written(schema.get(), context.get(), 1));
}

TEST_F(NetFile, NoSheetWritesNothing) {
    auto schema = compile_sheet("");
    schema->current = nullptr;
    auto context = build(schema.get());
    EXPECT_EQ(write_net_report(context.get(), schema.get(), "none", 1), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("none.bnt")));
}

TEST_F(NetFile, RealNetsNeedTwoMembersBesideNoConnectMarks) {
    auto schema =
        compile_sheet(part("R", 0, 0, "R1") + part("R", 10000, 0, "R2") + wire(5000, 0, 7000, 0) +
                      wire(-3000, 0, -3000, 3000) + nocon(-3000, 3000));
    auto context = build(schema.get());
    mark_real_nets(context.get());
    std::vector<bool> real;
    for (Ident* head : list_items<Ident>(context->islands))
        real.push_back(head->state & IDENT_TWO_MEMBERS);
    EXPECT_EQ(std::count(real.begin(), real.end(), true), 1);
}

// Reads a net file back as the linker will: the library, the objects, the
// ports, the nets. The result of the first failing step.
struct ReadBack {
    SchemaPtr schema{new_Schema()};
    ContextPtr context{new_NetContext(), ContextFree{}};
    int read(FILE* f) {
        schema->library = new_Library();
        schema->sheet = new_Sheet();
        schema->current = schema->sheet;
        context.get_deleter().schema = schema.get();
        context->sheet = schema->sheet;
        uint8_t tag = 0;
        if (read_byte(&tag, f) != 0 || tag != NET_FILE_TAG) return 66;
        if (int r = read_Library(schema->library, f, false); r != 0) return r;
        for (;;) {
            int c = std::getc(f);
            if (c == EOF) return 66;
            std::ungetc(c, f);
            if (c != 0xC7 && c != 0xCA && c != 0xCC && c != 0xCD && c != 0xCF) break;
            SchItem* item = nullptr;
            int r = read_SchItem(schema.get(), &item, f);
            if (item) dlist_append(schema->sheet->items, item);
            if (r != 0) return r;
        }
        if (int r = read_net_ports(context.get(), f); r != 0) return r;
        return read_net_nets(context.get(), &context->islands, f, schema->library);
    }
    ~ReadBack() {
        if (context->ports) {
            for (Port* port : list_items<Port>(context->ports)) free_Port(port, false);
            dlist_free(context->ports, LIST_FROM_HEAD, nullptr);
            context->ports = nullptr;
        }
    }
};

// Names and members of every net, members by what they stand for.
std::string signature(const NetContext* context) {
    std::string out;
    for (Ident* head : list_items<Ident>(context->islands)) {
        if (!head->nextconn) continue;
        for (NameRec* rec : list_items<NameRec>(head->names))
            out += std::to_string(rec->kind) + ":" + rec->name + " ";
        out += "|";
        for (const SchItem* m = head->nextconn; m; m = m->next) {
            const PseudoPin* pp = as_PseudoPin(m);
            if (pp->pin)
                out += std::string(" pin ") + pp->pin->name.get();
            else if (pp->whoami && pp->whoami->type == POWER_ITEM)
                out += std::string(" power ") + as_Power(pp->whoami)->name.get();
            else if (pp->whoami && pp->whoami->type == PORT_ITEM)
                out += std::string(" port ") + as_Port(pp->whoami)->name.get();
            else if (pp->whoami && pp->whoami->type == NOCON_ITEM)
                out += " nocon";
            else
                out += " ?";
        }
        if (head->netprop) out += std::string(" prop ") + head->netprop->name.get();
        out += "\n";
    }
    return out;
}

const std::string round_trip_sheet =
    mixed_sheet + part("IC", 40000, 0, "U1") + wire(37000, 1000, 37000, 4000) +
    netprop(37000, 2000, "FAT", 900) + subsheet(50000, 0, box_port(0, 2000, "SP"));

TEST_F(NetFile, ReadingBackGivesTheSameNetsNamesAndMembers) {
    auto schema = compile_sheet(round_trip_sheet, sheet_port(-20000, 0, "IN"));
    auto context = build(schema.get());
    Bytes bytes = written(schema.get(), context.get(), 0);
    ReadBack back;
    tn_test::StreamPtr stream = tn_test::stream_of(bytes);
    ASSERT_EQ(back.read(stream.get()), 0);
    EXPECT_EQ(signature(back.context.get()), signature(context.get()));
    EXPECT_NE(signature(context.get()).find("prop FAT"), std::string::npos);
}

TEST_F(NetFile, MembersFindRecordsWhoseIdsLieFarApart) {
    // Ids a long session or a foreign writer leaves: few records, spread
    // over the whole 32-bit range (the top bit set too).
    auto schema = compile_sheet(round_trip_sheet, sheet_port(-20000, 0, "IN"));
    auto context = build(schema.get());
    uint32_t id = 0x9E3779B9u;
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type != PSEUDO_PIN) item->id = (id += 0x7F4A7C15u) | 1u;
    for (Port* port : list_items<Port>(schema->ports)) port->id = (id += 0x7F4A7C15u) | 1u;
    Bytes bytes = written(schema.get(), context.get(), 0);
    ReadBack back;
    tn_test::StreamPtr stream = tn_test::stream_of(bytes);
    ASSERT_EQ(back.read(stream.get()), 0);
    EXPECT_EQ(signature(back.context.get()), signature(context.get()));
}

TEST_F(NetFile, EveryCutOfTheFileFailsCleanly) {
    auto schema = compile_sheet(round_trip_sheet, sheet_port(-20000, 0, "IN"));
    auto context = build(schema.get());
    Bytes bytes = written(schema.get(), context.get(), 2);
    for (size_t n = 0; n < bytes.size(); n += 3) {
        ReadBack back;
        tn_test::StreamPtr stream = tn_test::stream_of(Bytes(bytes.begin(), bytes.begin() + n));
        EXPECT_NE(back.read(stream.get()), 0) << "cut at " << n;
    }
}

TEST_F(NetFile, MemberNamingNothingIsRefused) {
    auto schema =
        compile_sheet(part("R", 0, 0, "R1") + wire(-3000, 0, -3000, 3000) + nocon(-3000, 3000));
    auto context = build(schema.get());
    Bytes bytes = written(schema.get(), context.get(), 0);
    // Every member record's father id changed into one no record has.
    Bytes damaged = bytes;
    for (size_t i = 0; i + 4 < damaged.size(); ++i)
        if (damaged[i] == PSEUDO_PIN_TAG) damaged[i + 12] ^= 0x40;  // the father id's low byte
    ReadBack back;
    tn_test::StreamPtr stream = tn_test::stream_of(damaged);
    EXPECT_EQ(back.read(stream.get()), 76);
}

}  // namespace
}  // namespace net_test
