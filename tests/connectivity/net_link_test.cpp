// Linking the net files of a hierarchy: sheets are written from schematic
// source, their nets built and saved, then linked from the root.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "connectivity/net_file.h"
#include "connectivity/net_fixture.h"
#include "connectivity/net_link.h"
#include "foundation/app_utils.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "support/test_env.h"

namespace net_test {
namespace {

using ::testing::HasSubstr;

// The test library with entries named "library/part", as the own library of
// a sheet placed from real libraries holds them.
std::string project_sheet(const std::string& items, const std::string& ports = "") {
    std::string source = schematic(items, ports);
    for (const char* name : {"'R'", "'VR'", "'IC'"}) {
        std::string quoted = std::string("(NAME ") + name;
        std::string lib = std::string("(NAME 'LIB/") + (name + 1);
        for (size_t at = source.find(quoted); at != std::string::npos;
             at = source.find(quoted, at + 1))
            source.replace(at, quoted.size(), lib);
        std::string placed = std::string("(PARTLIB ") + name;
        std::string lib_placed = std::string("(PARTLIB 'LIB/") + (name + 1);
        for (size_t at = source.find(placed); at != std::string::npos;
             at = source.find(placed, at + 1))
            source.replace(at, placed.size(), lib_placed);
    }
    return source;
}

std::string box_of(const std::string& file, int x, int y, const std::string& ports_source) {
    std::string source = subsheet(x, y, ports_source);
    source.replace(source.find("'sub.sch'"), 9, "'" + file + "'");
    return source;
}

class NetLink : public NetTest {
protected:
    void SetUp() override {
        NetTest::SetUp();
        proper_set(DIR_PROJECT, dir_.path().string().c_str(), 0);
    }
    void TearDown() override {
        context_.reset();
        schema_.reset();
        NetTest::TearDown();
    }
    // Compiles a sheet, builds its nets and writes its net file.
    void write(const std::string& name, int sheet_number, const std::string& items,
               const std::string& ports = "") {
        auto schema = compile(project_sheet(items, ports));
        ASSERT_TRUE(schema);
        auto context = build(schema.get());
        ASSERT_EQ(write_net_report(context.get(), schema.get(), name.c_str(), sheet_number), 0);
    }
    int link(const char* root, int mode = LINK_HIERARCHY, LinkedObjects* read = nullptr,
             SchItem* already = nullptr) {
        schema_.reset(new_Schema());
        schema_->sheet = new_Sheet();
        schema_->current = schema_->sheet;
        if (already) dlist_append(schema_->sheet->items, already);
        context_ = ContextPtr(new_NetContext(), ContextFree{schema_.get()});
        return link_netlist(context_.get(), schema_.get(), root, mode, read);
    }
    std::string nets() const { return describe_nets(context_.get()); }
    std::string net_file(const char* name) const {
        return make_kind_file_name(name, NET_FILE_KIND, 1);
    }

    tn_test::TempDir dir_;
    SchemaPtr schema_;
    ContextPtr context_;
};

// Root: R1 between VCC and the box port SP of `leaf`, a local net LOC on R4.
std::string root_items(const std::string& leaf = "leaf.sch") {
    return part("R", 0, 0, "R1") + power(-3000, 0, "VCC", "ROT_270") + wire(5000, 0, 50000, 0) +
           wire(50000, 0, 50000, 2000) + box_of(leaf, 50000, 0, box_port(0, 2000, "SP")) +
           part("R", 0, 30000, "R4") + wire(5000, 30000, 9000, 30000) + label(7000, 30000, "LOC");
}
// Leaf: port SP on R2, whose other end is on VCC; a local net LOC on R3.
std::string leaf_items(const std::string& extra = "") {
    return part("R", 0, 0, "R2") + power(5000, 0, "VCC", "ROT_90") + wire(-3000, 0, -20000, 0) +
           part("R", 20000, 20000, "R3") + wire(25000, 20000, 30000, 20000) +
           label(28000, 20000, "LOC") + extra;
}
const std::string leaf_ports = sheet_port(-20000, 0, "SP");

std::vector<std::string> references(Schema* schema) {
    std::vector<std::string> out;
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type == PARTLIB_ITEM) out.push_back(as_PlacedPart(item)->reference.text.get());
    return out;
}

TEST_F(NetLink, TwoLevelsJoinThroughPortsAndPowerWhileLocalNetsStayApart) {
    write("root", 0, root_items());
    write("leaf", 1, leaf_items(), leaf_ports);
    ASSERT_EQ(link("root"), 0) << warnings();
    EXPECT_EQ(nets(),
              "names [ 14:SP ] pref SP members [ box port SP@0,0 pin 2@0,0 port SP@0,0 pin 1@0,0 ] "
              "wires 0\n"
              "names [ 7:LOC ] pref LOC members [ pin 2@0,0 ] wires 0\n"
              "names [ 12:VCC ] pref VCC members [ power VCC@0,0 pin 1@0,0 power VCC@0,0 pin 2@0,0 "
              "] wires 0\n"
              "names [ ] pref - members [ pin 1@0,0 ] wires 0\n"
              "names [ 7:LOC__1 ] pref LOC__1 members [ pin 2@0,0 ] wires 0\n"
              "names [ ] pref - members [ pin 1@0,0 ] wires 0\n");
    // Everything read ends on the root's sheet, stamped with where it came from.
    EXPECT_THAT(references(schema_.get()), ::testing::ElementsAre("R1", "R4", "R2", "R3"));
    for (SchItem* item : list_items<SchItem>(schema_->current->items)) {
        if (item->type == PARTLIB_ITEM) {
            const std::string ref = as_PlacedPart(item)->reference.text.get();
            EXPECT_EQ(as_PlacedPart(item)->origin,
                      ref == "R1" || ref == "R4" ? "root.bnt" : "leaf.bnt")
                << ref;
        }
        if (item->type == SUBSHEET_ITEM) {
            EXPECT_EQ(as_SubSheet(item)->link_number, 0);
            EXPECT_EQ(as_SubSheet(item)->origin, "root.bnt");
        }
    }
    ASSERT_EQ(schema_->ports ? schema_->ports->count : 0, 1);
    const Port* port = static_cast<const Port*>(dlist_head(schema_->ports)->data);
    EXPECT_EQ(port->sheet_number, 0);
    EXPECT_EQ(port->origin, "leaf.bnt");
    // The writers work on the linked sheet.
    EXPECT_EQ(context_->sheet, schema_->current);
}

// The line of the net holding `member`, "" when none does.
std::string line_with(const std::string& all, const std::string& member) {
    size_t at = all.find(member);
    if (at == std::string::npos) return "";
    size_t start = all.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return all.substr(start, all.find('\n', at) - start);
}

// A leaf net that names two root nets (one of them in other case) joins
// them into the first, with every name of the three.
TEST_F(NetLink, ALeafNetNamingTwoRootNetsJoinsThemAll) {
    write("root", 0,
          part("R", 0, 0, "R1") + wire(5000, 0, 50000, 0) + wire(50000, 0, 50000, 2000) +
              box_of("leaf.sch", 50000, 0, box_port(0, 2000, "PA") + box_port(0, 4000, "PB")) +
              part("R", 0, 30000, "R4") + wire(5000, 30000, 40000, 30000) +
              wire(40000, 30000, 40000, 4000) + wire(40000, 4000, 50000, 4000) +
              label(20000, 30000, "pb") + label(20000, 0, "Top"));
    write("leaf", 1,
          part("R", 0, 0, "R2") + wire(-3000, 0, -20000, 0) + junction(-10000, 0) +
              wire(-10000, 0, -10000, 10000) + wire(-10000, 10000, -20000, 10000) +
              label(-10000, 5000, "X"),
          sheet_port(-20000, 0, "PA") + sheet_port(-20000, 10000, "PB"));
    ASSERT_EQ(link("root"), 0) << warnings();
    std::string all = nets();
    std::string joined = line_with(all, "box port PA");
    EXPECT_EQ(joined, line_with(all, "box port PB")) << all;
    EXPECT_EQ(joined, line_with(all, " port PB@")) << all;
    // The root's nets in list order, then the leaf's (R1's and R4's pin 2, R2's pin 1).
    EXPECT_EQ(joined,
              "names [ 14:PA 7:Top 14:PB 7:pb 7:X ] pref PB members [ box port PA@0,0 pin 2@0,0 "
              "pin 2@0,0 "
              "box port PB@0,0 port PB@0,0 port PA@0,0 pin 1@0,0 ] wires 0");
}

// Bus members named by a port's range are global on both sides; a name
// outside the range stays the leaf's own.
TEST_F(NetLink, BusMembersJoinThroughABusPort) {
    write("root", 0,
          part("R", 0, 0, "R1") + wire(5000, 0, 9000, 0) + label(7000, 0, "D1") +
              box_of("leaf.sch", 50000, 0, box_port(0, 2000, "D[0..1]")) +
              bus(40000, 2000, 50000, 2000));
    write("leaf", 1,
          part("R", 0, 0, "R2") + wire(-3000, 0, -9000, 0) + label(-7000, 0, "d1") +
              part("R", 0, 20000, "R3") + wire(-3000, 20000, -9000, 20000) +
              label(-7000, 20000, "D2") + bus(-20000, 0, -20000, 9000),
          sheet_port(-20000, 0, "D[0..1]"));
    ASSERT_EQ(link("root"), 0) << warnings();
    std::string all = nets();
    EXPECT_EQ(line_with(all, "7:D1"),
              "names [ 7:D1 ] pref D1 members [ pin 2@0,0 pin 1@0,0 ] wires 0")
        << all;
    EXPECT_EQ(line_with(all, "7:D2"), "names [ 7:D2__1 ] pref D2__1 members [ pin 1@0,0 ] wires 0")
        << all;
}

// A range written high to low on one side and low to high on the other
// names the same eight members.
TEST_F(NetLink, ABusRangeWrittenEitherWayLinksEveryMember) {
    std::string root = box_of("leaf.sch", 50000, 0, box_port(0, 2000, "D[0..7]")) +
                       bus(40000, 2000, 50000, 2000) + label(45000, 2000, "D[0..7]");
    std::string leaf = bus(-20000, 0, -20000, 9000) + label(-20000, 5000, "D[7..0]");
    for (int n = 0; n < 8; ++n) {
        const std::string name = "D" + std::to_string(n);
        root += part("R", 0, 10000 * n, "R" + std::to_string(n + 1)) +
                wire(5000, 10000 * n, 9000, 10000 * n) + label(7000, 10000 * n, name);
        leaf += part("R", 0, 10000 * n, "R" + std::to_string(n + 11)) +
                wire(-3000, 10000 * n, -9000, 10000 * n) + label(-7000, 10000 * n, name);
    }
    write("root", 0, root);
    write("leaf", 1, leaf, sheet_port(-20000, 0, "D[7..0]"));
    ASSERT_EQ(link("root"), 0) << warnings();
    EXPECT_EQ(warnings(), "");
    std::string all = nets();
    for (int n = 0; n < 8; ++n) {
        const std::string name = "D" + std::to_string(n);
        EXPECT_EQ(line_with(all, "7:" + name), "names [ 7:" + name + " 16:@D//" +
                                                   std::to_string(n) + " ] pref " + name +
                                                   " members [ pin 2@0,0 pin 1@0,0 ] wires 0")
            << all;
    }
}

// Names met in one sub-sheet join the nets of a later one: a global name
// the root does not carry (VX, first linked from sheet a), and a name a
// root net took from the net it merged with (VY, beside VCC in a).
TEST_F(NetLink, LaterSheetsFindNamesTheEarlierOnesBrought) {
    write("root", 0, root_items("a.sch") + box_of("b.sch", 80000, 0, box_port(0, 2000, "Q")));
    write("a", 1,
          leaf_items(power(5000, 0, "VY", "ROT_90") + part("R", 20000, 40000, "R7") +
                     power(25000, 40000, "VX", "ROT_90")),
          leaf_ports);
    write("b", 2,
          part("R", 0, 0, "R5") + power(-3000, 0, "VY", "ROT_270") + part("R", 20000, 20000, "R6") +
              power(25000, 20000, "VX", "ROT_90"),
          sheet_port(-20000, 30000, "Q"));
    ASSERT_EQ(link("root"), 0) << warnings();
    std::string all = nets();
    EXPECT_EQ(line_with(all, "VX"),
              "names [ 12:VX ] pref VX members [ power VX@0,0 pin 2@0,0 power VX@0,0 pin 2@0,0 ] "
              "wires 0")
        << all;
    std::string vcc = line_with(all, "12:VCC");
    EXPECT_THAT(vcc, HasSubstr("12:VY")) << all;
    EXPECT_EQ(vcc, line_with(all, "power VY")) << all;
    EXPECT_EQ(all.find("VY", all.find(vcc) + vcc.size()), std::string::npos) << all;
}

TEST_F(NetLink, ReadOnlyModeReadsTheRootAlone) {
    write("root", 0, root_items());
    write("leaf", 1, leaf_items(), leaf_ports);
    ASSERT_EQ(link("root", LINK_READ_ONLY), 0);
    EXPECT_THAT(references(schema_.get()), ::testing::ElementsAre("R1", "R4"));
    EXPECT_EQ(net_count(context_.get()), 4);
    for (SchItem* item : list_items<SchItem>(schema_->current->items))
        if (item->type == PARTLIB_ITEM) {
            EXPECT_EQ(as_PlacedPart(item)->origin, "");
        }
}

// The link's table of the objects it read stands for the sheet's list only
// where the list holds nothing else but the members.
TEST_F(NetLink, TheObjectsReadAreKeptOnlyWhereTheyAreTheSheetButItsMembers) {
    write("root", 0, root_items() + text(0, 60000, "note"));
    write("leaf", 1, leaf_items(), leaf_ports);
    LinkedObjects read;
    ASSERT_EQ(link("root", LINK_READ_ONLY, &read), 0);
    std::vector<SchItem*> objects;
    for (SchItem* item : list_items<SchItem>(schema_->current->items))
        if (item->type != PSEUDO_PIN) objects.push_back(item);
    EXPECT_EQ(read.sheet, schema_->current);
    EXPECT_EQ(read.items, objects);
    EXPECT_GE(objects.size(), 5u);  // two parts, power, box, text
    // Sub-sheets linked in add their own objects after the members.
    ASSERT_EQ(link("root", LINK_HIERARCHY, &read), 0);
    EXPECT_EQ(read.sheet, nullptr);
    EXPECT_TRUE(read.items.empty());
    // A sheet without sub-sheets is linked as it was read.
    write("leaf", 1, leaf_items(), leaf_ports);
    ASSERT_EQ(link("leaf", LINK_HIERARCHY, &read), 0);
    EXPECT_EQ(read.sheet, schema_->current);
    EXPECT_FALSE(read.items.empty());
    // So does an item the sheet held before.
    ASSERT_EQ(link("root", LINK_READ_ONLY, &read, new_NoCon()), 0);
    EXPECT_EQ(read.sheet, nullptr);
}

TEST_F(NetLink, SameFileUnderTwoBoxesIsReadTwiceWithAWarning) {
    write("root", 0, root_items() + box_of("leaf.sch", 80000, 0, box_port(0, 2000, "SP")));
    write("leaf", 1, leaf_items(), leaf_ports);
    ASSERT_EQ(link("root"), 0);
    EXPECT_THAT(warnings(), HasSubstr("Sheet 'leaf' is used more than once in the hierarchy"));
    EXPECT_THAT(references(schema_.get()),
                ::testing::ElementsAre("R1", "R4", "R2", "R3", "R2", "R3"));
    int boxes = 0;
    for (SchItem* item : list_items<SchItem>(schema_->current->items))
        if (item->type == SUBSHEET_ITEM) {
            EXPECT_EQ(as_SubSheet(item)->link_number, boxes++);
        }
    // One suffix for both copies: their local nets become one.
    EXPECT_THAT(nets(),
                HasSubstr("names [ 7:LOC__1 ] pref LOC__1 members [ pin 2@0,0 pin 2@0,0 ]"));
}

TEST_F(NetLink, ProjectTextsLinkTheSheetsTheyName) {
    List* list = list_new();
    add_proj_names(list, "&proj:  leaf , other,, ");
    add_proj_names(list, "&PRO: nothing");
    add_proj_names(list, "PROJ: nothing");
    std::vector<std::string> names;
    for (NameRec* rec : list_items<NameRec>(list))
        names.push_back(std::to_string(rec->kind) + rec->name);
    EXPECT_THAT(names, ::testing::ElementsAre("-1leaf", "-1other"));
    for (NameRec* rec : list_items<NameRec>(list)) free_NameRec(rec, false);
    dlist_free(list, LIST_FROM_HEAD, nullptr);

    write("root", 0,
          part("R", 0, 0, "R1") + power(-3000, 0, "VCC", "ROT_270") + text(0, 9000, "&Proj: leaf"));
    write("leaf", 1, leaf_items(), leaf_ports);
    ASSERT_EQ(link("root"), 0);
    EXPECT_THAT(references(schema_.get()), ::testing::ElementsAre("R1", "R2", "R3"));
    EXPECT_THAT(nets(), HasSubstr("names [ 12:VCC ] pref VCC members [ power VCC@0,0 pin 1@0,0 "
                                  "power VCC@0,0 pin 2@0,0 ]"));
}

// A sheet that cannot be read is named, its siblings are still linked, and
// the link as a whole is reported partial.
TEST_F(NetLink, MissingOrDamagedSubSheetsLeaveTheLinkPartial) {
    write("root", 0,
          root_items("gone.sch") + box_of("bad.sch", 80000, 0, box_port(0, 2000, "SP")) +
              box_of("leaf.sch", 110000, 0, box_port(0, 2000, "SP")));
    write("bad", 1, leaf_items(), leaf_ports);
    write("leaf", 2, leaf_items(), leaf_ports);
    std::vector<unsigned char> bytes = tn_test::read_bytes(net_file("bad"));
    bytes.resize(bytes.size() - 10);
    tn_test::write_bytes(net_file("bad"), bytes);
    EXPECT_EQ(link("root"), PARTIAL_LINK);
    EXPECT_THAT(warnings(), HasSubstr("Sheet 'gone' not linked: its net file"));
    EXPECT_THAT(warnings(), HasSubstr("Sheet 'bad' not linked: its net file"));
    EXPECT_THAT(warnings(), HasSubstr("is damaged (Code 66)"));
    // Nothing of the damaged sheet is kept; the sibling after it is linked.
    EXPECT_THAT(references(schema_.get()), ::testing::ElementsAre("R1", "R4", "R2", "R3"));
    EXPECT_THAT(nets(), HasSubstr("LOC__2"));
    EXPECT_THAT(nets(), ::testing::Not(HasSubstr("LOC__1")));
}

TEST_F(NetLink, CyclesAreRefusedNotFollowed) {
    write("root", 0, root_items());
    write("leaf", 1, leaf_items(box_of("root.sch", 60000, 0, box_port(0, 2000, "SP"))), leaf_ports);
    EXPECT_EQ(link("root"), PARTIAL_LINK);
    EXPECT_THAT(warnings(), HasSubstr("Sheet 'root' uses itself, it is not linked again"));
    EXPECT_THAT(references(schema_.get()), ::testing::ElementsAre("R1", "R4", "R2", "R3"));

    write("self", 0, part("R", 0, 0, "R1") + box_of("self.sch", 50000, 0, box_port(0, 2000, "SP")));
    warnings().clear();
    EXPECT_EQ(link("self"), PARTIAL_LINK);
    EXPECT_THAT(warnings(), HasSubstr("Sheet 'self' uses itself"));
}

TEST_F(NetLink, RootThatCannotBeReadIsAnError) {
    EXPECT_EQ(link("none"), 1);
    write("root", 0, root_items());
    std::vector<unsigned char> bytes = tn_test::read_bytes(net_file("root"));
    for (size_t n : {size_t{0}, size_t{1}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 1}) {
        tn_test::write_bytes(net_file("root"),
                             std::vector<unsigned char>(bytes.begin(), bytes.begin() + n));
        EXPECT_NE(link("root"), 0) << "cut at " << n;
    }
    bytes[0] = 0xA1;
    tn_test::write_bytes(net_file("root"), bytes);
    EXPECT_EQ(link("root"), 66);
}

}  // namespace
}  // namespace net_test
