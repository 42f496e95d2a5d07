// Sub-sheet boxes: file forms, damaged records, port symbols, the import of
// a file's ports with the sizing rule, and the resize helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "foundation/binary_stream.h"
#include "foundation/list.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_record_fixture.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"
#include "support/test_env.h"

using namespace sheet_records;
using record_io::bytes_written;
using record_io::expect_golden;
using record_io::stream_of;
using record_io::text_written;

namespace {

Port* add_port(SubSheet* box, const char* name, uint8_t flags, Point pos) {
    Port* port = new_Port();
    port->name.set(name);
    port->flags = flags;
    port->pos = pos;
    dlist_append(box->ports, port);
    return port;
}

std::vector<Port*> ports_of(const SubSheet* box) {
    std::vector<Port*> out;
    for (Port* port : list_items<Port>(box->ports)) out.push_back(port);
    return out;
}

// A box with ports of every kind on both edges and every optional field set.
Own<SubSheet> sample_box() {
    Own<SubSheet> box(new_SubSheet());
    box->pos = {10000, 20000};
    box->size = {8000, 6000};
    box->flags = 0x03;
    box->sheet_name.set("Power supply");
    box->file_name = "C:\\designs\\psu.sch";
    box->time_stamp = 0x12345678;
    box->extra = "note";
    box->area[0] = {100, 200};
    box->area[1] = {300, 400};
    add_port(box.get(), "VIN", PORT_INPUT, {0, 2000});
    add_port(box.get(), "SENSE", PORT_BIDIR, {0, 4000});
    add_port(box.get(), "VOUT", PORT_RIGHT | PORT_OUTPUT, {8000, 2000});
    add_port(box.get(), "PG", PORT_RIGHT | PORT_UNSPEC, {8000, 4000});
    return box;
}

int read_box(FILE* f) {
    Own<SubSheet> box(new_SubSheet());
    return read_SubSheet(nullptr, box.get(), f);
}

class SubSheetForms : public SheetRecordTest {};

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents before committing it.
TEST_F(SubSheetForms, BoxWithPortsOnBothEdgesMatchesTheGoldenFilesAndReadsBack) {
    Own<SubSheet> box = sample_box();
    expect_golden("subsheet.bin",
                  bytes_written([&](FILE* f) { write_SubSheet(nullptr, box.get(), f, 0); }));
    expect_golden("subsheet.txt",
                  text_written([&](FILE* f) { awrite_SubSheet(nullptr, box.get(), f, 1); }));

    StreamPtr stream = stream_of(record_io::golden("subsheet.bin"));
    Own<SubSheet> read(new_SubSheet());
    ASSERT_EQ(read_SubSheet(nullptr, read.get(), stream.get()), 0);
    EXPECT_EQ(read->pos, box->pos);
    EXPECT_EQ(read->size, box->size);
    EXPECT_EQ(read->flags, box->flags);
    EXPECT_STREQ(read->sheet_name.get(), "Power supply");
    EXPECT_EQ(read->file_name, box->file_name);
    EXPECT_EQ(read->time_stamp, 0x12345678u);
    EXPECT_EQ(read->extra, "note");
    EXPECT_EQ(read->area[0], (Point{100, 200}));
    EXPECT_EQ(read->area[1], (Point{300, 400}));
    EXPECT_EQ(read->id, box->id);
    auto ports = ports_of(read.get());
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_STREQ(ports[2]->name.get(), "VOUT");
    EXPECT_EQ(ports[2]->flags, PORT_RIGHT | PORT_OUTPUT);
    EXPECT_EQ(ports[3]->pos, (Point{8000, 4000}));
}

TEST_F(SubSheetForms, SourceFormIsAcceptedByTheSourceReader) {
    Own<SubSheet> box = sample_box();
    Own<SubSheet> empty(new_SubSheet());
    std::string items = text_written([&](FILE* f) {
        awrite_SubSheet(nullptr, box.get(), f, 2);
        awrite_SubSheet(nullptr, empty.get(), f, 2);
    });
    EXPECT_EQ(record_io::compile_schematic("(SCHEMATIC\n (SHEET\n" + items + " )\n)\n"), 0);
    const std::string first = "    (SUBSHEET 0x12345678 (POS 10000 20000 ) (SIZE 8000 6000 ) "
                              "'Power supply' 'C:\\designs\\psu.sch' \n";
    EXPECT_EQ(items.substr(0, first.size()), first)
        << "the sheet name before the file name";
}

TEST_F(SubSheetForms, OptionalTailFieldsKeepTheirDefaults) {
    Own<SubSheet> box = sample_box();
    Bytes record = bytes_written([&](FILE* f) { write_SubSheet(nullptr, box.get(), f, 0); });
    // Cut right after the port list's end mark.
    size_t tail = 1 + 1 + 8 + 2 + 8 + 13 + 19 + 1;  // head, size, names, end mark
    tail += bytes_written([&](FILE* f) {
                for (Port* p : ports_of(box.get())) write_Port(p, f, 0);
            }).size();
    ASSERT_EQ(record[tail - 1], LIST_END);
    Bytes cut(record.begin(), record.begin() + static_cast<long>(tail));
    Own<SubSheet> read(new_SubSheet());
    uint32_t created = read->time_stamp;
    StreamPtr stream = stream_of(cut);
    ASSERT_EQ(read_SubSheet(nullptr, read.get(), stream.get()), 0);
    EXPECT_EQ(read->time_stamp, created) << "no 'c': the creation stamp stays";
    EXPECT_EQ(read->id, 0u);
    EXPECT_TRUE(read->extra.empty());
    EXPECT_EQ(read->area[0], (Point{0, 0}));
    EXPECT_EQ(read->area[1], (Point{0, 6000})) << "no inner area: reset";

    std::set<size_t> whole{tail, tail + 5, tail + 5 + 6, tail + 5 + 6 + 5};
    expect_cuts_fail(record, whole, read_box);
}

TEST_F(SubSheetForms, PortListHoldsPortsOnly) {
    Own<SubSheet> box = sample_box();
    Bytes record = bytes_written([&](FILE* f) { write_SubSheet(nullptr, box.get(), f, 0); });
    size_t list_start = 1 + 1 + 8 + 2 + 8 + 13 + 19;
    ASSERT_EQ(record[list_start], item_tag(PORT_ITEM));
    // A line record where the first port should be.
    Bytes line = bytes_written([](FILE* f) {
        Line* l = new_Line();
        write_Line(l, f, 0);
        free_Line(l, false);
    });
    Bytes damaged = record;
    damaged.resize(list_start);
    for (unsigned char c : line) damaged.push_back(c);
    damaged.push_back(LIST_END);
    StreamPtr stream = stream_of(damaged);
    EXPECT_EQ(read_box(stream.get()), READ_ERROR);

    // The list ends with the stream: no end mark.
    record.resize(list_start);
    StreamPtr short_stream = stream_of(record);
    EXPECT_EQ(read_box(short_stream.get()), -1);
}

// --- port symbols -----------------------------------------------------------------------------
TEST_F(SubSheetForms, InputPortsPointIntoTheBoxOnBothEdges) {
    measure_names();
    Own<SubSheet> box = sample_box();
    Port* left = add_port(box.get(), "L", PORT_INPUT, {0, 1000});
    Port* right = add_port(box.get(), "R", PORT_RIGHT | PORT_INPUT, {8000, 1000});
    ASSERT_EQ(subsheet_build_box(nullptr, box.get()), 0);
    auto poly_of = [](const Port* port) {
        const Fill* fill = as_Fill(static_cast<Item*>(port->outline->items->head->data));
        EXPECT_EQ(fill->items->count, 1u);
        return as_Poly(static_cast<Item*>(fill->items->head->data))->points;
    };
    const int32_t h = TEXT_H / 2;
    // Left edge: centre h inside the box, the tip further right.
    EXPECT_EQ(poly_of(left), (std::vector<Point>{{0, 1500}, {500, 1500}, {1000, 1000},
                                                 {500, 500}, {0, 500}, {0, 1500}}));
    // Right edge: the OUTPUT outline, whose tip points left.
    EXPECT_EQ(poly_of(right), (std::vector<Point>{{8000 - 2 * h, 1000}, {7500, 1500},
                                                  {8000, 1500}, {8000, 500}, {7500, 500},
                                                  {7000, 1000}}));
    std::vector<Point> bidir = poly_of(ports_of(box.get())[1]);
    EXPECT_EQ(bidir.size(), 5u);
    EXPECT_EQ(poly_of(ports_of(box.get())[3]).size(), 5u) << "UNSPEC: a square";
    // The box outline and the inner area.
    const Poly* outline = as_Poly(static_cast<Item*>(box->outline->items->head->data));
    EXPECT_EQ(outline->points,
              (std::vector<Point>{{0, 0}, {0, 6000}, {8000, 6000}, {8000, 0}, {0, 0}}));
    EXPECT_EQ(box->area[1], (Point{0, 6000}));

    // A port read from a file may stand at the end of the range: its shape is kept in it.
    Port* edge = add_port(box.get(), "E", PORT_RIGHT | PORT_OUTPUT, {INT32_MIN, INT32_MAX});
    ASSERT_EQ(subsheet_port_symbol(nullptr, edge), 0);
    EXPECT_EQ(poly_of(edge).front(), (Point{INT32_MIN, INT32_MAX}));
}

TEST_F(SubSheetForms, PortAtFindsThePortUnderThePoint) {
    measure_names();
    Own<SubSheet> box = sample_box();
    subsheet_build_box(nullptr, box.get());
    debug_enabled = true;
    Port* vin = ports_of(box.get())[0];
    Rect r;
    ASSERT_TRUE(bounds_SubSheetPort(nullptr, vin, &r, false));
    // Symbol from 0 to 1000 wide; name "VIN" (1500 wide) starts 1600 right.
    EXPECT_EQ(r.x, -50);
    EXPECT_EQ(r.x + r.w, 1600 + 1500);
    EXPECT_EQ(subsheet_port_at(nullptr, box.get(), {10000 + 2000, 20000 + 2000 + 500}), vin);
    EXPECT_NE(debug.find("Pos 12000,22500 - Item"), std::string::npos) << debug;
    EXPECT_EQ(subsheet_port_at(nullptr, box.get(), {0, 0}), nullptr);
    EXPECT_NE(debug.find("No Net\n"), std::string::npos);
    debug_enabled = false;
}

// --- importing a file's ports -------------------------------------------------------------------
class SubSheetImport : public SheetRecordTest {
protected:
    // A schematic file whose ports section holds the given ports, with the
    // drawing bounds {0, 0, 30000, 20000}.
    std::string schematic(const std::vector<std::pair<const char*, Point>>& ports,
                          bool header = true) {
        std::string path = dir.file("child.sch");
        StreamPtr f(std::fopen(path.c_str(), "wb"));
        if (header) {
            write_byte('@', f.get());
            write_string("Tessaron V2.02  -- 12/21/95  * Schema File", f.get());
            write_byte(0x1A, f.get());
        }
        write_byte(0xD1, f.get());
        write_byte('b', f.get());
        write_rect({0, 0, 30000, 20000}, f.get());
        for (auto& [name, pos] : ports) {
            Port* port = new_Port();
            port->name.set(name);
            port->pos = pos;
            write_Port(port, f.get(), 0);
            free_Port(port, false);
        }
        write_byte(LIST_END, f.get());
        write_byte(0xCB, f.get());
        write_byte(LIST_END, f.get());
        return path;
    }
    tn_test::TempDir dir;
};

TEST_F(SubSheetImport, PortsAreSortedPlacedAndTheBoxSizedForThem) {
    proper_set(ASPECT_RATIO, 0.6, MIN_SHEETW, 4000, MIN_SHEETH, 3000, 0);
    TextSize size;
    set_TextSize(&size, font_height(FONT_SHEETNET));
    ASSERT_EQ(size.height, 600) << "h = 600";
    std::string file = schematic({{"B", {1000, 9000}},
                                  {"OUTPUT_LONG", {29000, 100}},
                                  {"A", {2000, 3000}},
                                  {"CC", {500, 5000}},
                                  {"MID", {15000, 7000}}});
    Own<SubSheet> box(create_SubSheet(nullptr, file.c_str(), "child"));
    ASSERT_NE(box, nullptr);
    auto ports = ports_of(box.get());
    ASSERT_EQ(ports.size(), 5u);
    // Left ports by y, then right ones; the middle port keeps its (left) side.
    std::vector<std::string> names;
    for (Port* p : ports) names.push_back(p->name.get());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "CC", "MID", "B", "OUTPUT_LONG"}));
    // Four left ports: pitch 2000, height 2000 * (4 + 2).
    EXPECT_EQ(box->size.y, 12000);
    // Widest names: 3 + 11 + 1 = 15 characters of 1000, plus 3h.
    EXPECT_EQ(box->size.x, 17000);
    EXPECT_EQ(ports[0]->pos, (Point{0, 2000}));
    EXPECT_EQ(ports[3]->pos, (Point{0, 8000}));
    EXPECT_EQ(ports[4]->pos, (Point{17000, 2000}));
    EXPECT_TRUE(ports[4]->flags & PORT_RIGHT);
    EXPECT_EQ(box->file_name, file);
    EXPECT_STREQ(box->sheet_name.get(), "child");
    EXPECT_NE(box->outline, nullptr);
}

TEST_F(SubSheetImport, ThreeLeftPortsAndOneRightGivePitch2000) {
    proper_set(ASPECT_RATIO, 0.6, MIN_SHEETW, 4000, MIN_SHEETH, 3000, 0);
    std::string file = schematic(
        {{"A", {0, 0}}, {"B", {0, 100}}, {"C", {0, 200}}, {"D", {30000, 0}}}, false);
    Own<SubSheet> box(create_SubSheet(nullptr, file.c_str(), "x"));
    EXPECT_EQ(box->size.y, 10000) << "a file without the '@' header reads the same";
    EXPECT_EQ(ports_of(box.get())[2]->pos, (Point{0, 6000}));
}

TEST_F(SubSheetImport, FilesWithoutPortsLeaveTheMinimumBox) {
    proper_set(MIN_SHEETW, 4000, MIN_SHEETH, 3000, 0);
    for (const std::string& file :
         {dir.file("missing.sch"), schematic({}), std::string(""), dir.path().string()}) {
        Own<SubSheet> box(create_SubSheet(nullptr, file.c_str(), "x"));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->ports->count, 0u) << file;
        EXPECT_EQ(box->size, (Point{4000, 3000})) << file;
    }
    std::string text = dir.file("text.sch");
    tn_test::write_text(text, "(SCHEMATIC )");
    Own<SubSheet> box(create_SubSheet(nullptr, text.c_str(), "x"));
    EXPECT_EQ(box->ports->count, 0u);

    // An '@' line that is no file header: its NUL is not followed by 0x1A.
    std::string headed = schematic({{"A", {0, 0}}});
    Bytes bytes = tn_test::read_bytes(headed);
    auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    ASSERT_TRUE(end != bytes.end() && end + 1 != bytes.end() && end[1] == 0x1A);
    end[1] = 0x1B;
    tn_test::write_bytes(headed, bytes);
    Own<SubSheet> unheaded(create_SubSheet(nullptr, headed.c_str(), "x"));
    EXPECT_EQ(unheaded->ports->count, 0u);
}

TEST_F(SubSheetImport, DamagedPortsSectionGivesNoPorts) {
    proper_set(MIN_SHEETW, 4000, MIN_SHEETH, 3000, 0);
    std::string file = schematic({{"A", {0, 0}}, {"B", {0, 100}}});
    Bytes bytes = tn_test::read_bytes(file);
    bytes.resize(bytes.size() - 6);  // into the second port's id
    tn_test::write_bytes(file, bytes);
    Own<SubSheet> box(create_SubSheet(nullptr, file.c_str(), "x"));
    EXPECT_EQ(box->ports->count, 0u);
}

// --- geometry and editing helpers ----------------------------------------------------------------
TEST_F(SubSheetForms, DistanceBoundsAndSelection) {
    Own<SubSheet> box = sample_box();
    Rect r;
    EXPECT_TRUE(bounds_SubSheet(nullptr, box.get(), &r, false));
    EXPECT_EQ(r, (Rect{10000, 20000, 8000, 6000}));
    EXPECT_EQ(distance_SubSheet(nullptr, box.get(), {14000, 23000}, 0, 10.0, 0x10), 0.0);
    EXPECT_TRUE(box->state & 0x10);
    EXPECT_DOUBLE_EQ(distance_SubSheet(nullptr, box.get(), {9000, 23000}, 0, 10.0, 0x20), 1000.0);
    EXPECT_FALSE(box->state & 0x20);
    EXPECT_EQ(distance_SubSheet(nullptr, box.get(), {0, 0}, STATE_SELECTED, 10.0, 0), 1e10);

    View view;
    view.select = {{17000, 25000}, {19000, 25000}, {19000, 27000}, {17000, 27000}, {17000, 25000}};
    view.select_active = 1;
    EXPECT_TRUE(select_SubSheet(nullptr, &view, box.get(), STATE_SELECTED, FLAGOP_OR, 0))
        << "the bottom-right corner is inside";
    EXPECT_TRUE(box->state & STATE_SELECTED);
}

TEST_F(SubSheetForms, BorderHitTestsOneCoordinatePerSide) {
    Own<SubSheet> box = sample_box();  // 10000..18000 x 20000..26000
    EXPECT_EQ(subsheet_border_hit(box.get(), {10005, 20005}, 10), SUBSHEET_LEFT | SUBSHEET_TOP);
    EXPECT_EQ(subsheet_border_hit(box.get(), {14000, 20005}, 10), SUBSHEET_TOP);
    EXPECT_EQ(subsheet_border_hit(box.get(), {17995, 25995}, 10), SUBSHEET_RIGHT | SUBSHEET_BOTTOM);
    EXPECT_EQ(subsheet_border_hit(box.get(), {9995, 90000}, 10), SUBSHEET_LEFT);
    EXPECT_EQ(subsheet_border_hit(box.get(), {14000, 23000}, 10), 0);
}

TEST_F(SubSheetForms, PortSpanCoversThePortsWithMargins) {
    Own<SubSheet> box = sample_box();
    int32_t top = 0, bottom = 0;
    subsheet_port_span(box.get(), &top, &bottom);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(bottom, 5000);
    Own<SubSheet> one(new_SubSheet());
    one->size = {4000, 9000};
    add_port(one.get(), "A", 0, {0, 5000});
    subsheet_port_span(one.get(), &top, &bottom);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(bottom, 6000);
    Own<SubSheet> none(new_SubSheet());
    none->size = {4000, 9000};
    subsheet_port_span(none.get(), &top, &bottom);
    EXPECT_EQ(top, 7000);
    EXPECT_EQ(bottom, 2000);
}

TEST_F(SubSheetForms, ResizeMovesTheSidesAndThePortsOnThem) {
    Own<SubSheet> box = sample_box();
    subsheet_resize(box.get(), 1000, 0, SUBSHEET_RIGHT);
    EXPECT_EQ(box->size.x, 9000);
    EXPECT_EQ(ports_of(box.get())[2]->pos, (Point{9000, 2000}));
    EXPECT_EQ(ports_of(box.get())[0]->pos, (Point{0, 2000}));
    subsheet_resize(box.get(), 500, 0, SUBSHEET_LEFT);
    EXPECT_EQ(box->pos.x, 10500);
    EXPECT_EQ(box->size.x, 8500);
    EXPECT_EQ(ports_of(box.get())[2]->pos, (Point{8500, 2000}));
    subsheet_resize(box.get(), 0, 1000, SUBSHEET_TOP);
    EXPECT_EQ(box->pos.y, 21000);
    EXPECT_EQ(box->size.y, 5000);
    EXPECT_EQ(ports_of(box.get())[0]->pos, (Point{0, 1000})) << "the ports stay where they were";
    subsheet_resize(box.get(), 0, 700, SUBSHEET_BOTTOM);
    EXPECT_EQ(box->size.y, 5700);
    // Near both edges of a short box the bottom moves, and the ports with the top.
    subsheet_resize(box.get(), 0, 300, SUBSHEET_TOP | SUBSHEET_BOTTOM);
    EXPECT_EQ(box->pos.y, 21000);
    EXPECT_EQ(box->size.y, 6000);
    EXPECT_EQ(ports_of(box.get())[0]->pos, (Point{0, 1000}));
}

TEST_F(SubSheetForms, ResizeLimitsKeepTheMinimumWidthAndThePortSpan) {
    Own<SubSheet> box = sample_box();  // 8000 x 6000
    for (int32_t move : {-3000, -6000, -7000, -100000}) {
        int32_t dx = move, dy = 0;
        Rect r;
        subsheet_resize_limits(box.get(), &dx, &dy, SUBSHEET_RIGHT, &r, 0, 0);
        EXPECT_GE(r.w, SUBSHEET_MIN_SIZE) << move;
        dx = -move;
        subsheet_resize_limits(box.get(), &dx, &dy, SUBSHEET_LEFT, &r, 0, 0);
        EXPECT_GE(r.w, SUBSHEET_MIN_SIZE) << move;
        EXPECT_EQ(r.x + r.w, 18000) << "the right side stays";
    }
    int32_t dx = 0, dy = -3000;
    Rect r;
    subsheet_resize_limits(box.get(), &dx, &dy, SUBSHEET_BOTTOM, &r, 0, 5000);
    EXPECT_EQ(dy, -1000);
    EXPECT_EQ(r, (Rect{10000, 20000, 8000, 5000}));
    dy = 4000;
    subsheet_resize_limits(box.get(), &dx, &dy, SUBSHEET_TOP, &r, 1500, 0);
    EXPECT_EQ(dy, 1500);
    EXPECT_EQ(r, (Rect{10000, 21500, 8000, 4500}));
}

TEST_F(SubSheetForms, PortTakenIgnoresTheExceptedPortAndRemoveReleases) {
    Own<SubSheet> box = sample_box();
    Port* vin = ports_of(box.get())[0];
    EXPECT_TRUE(subsheet_port_taken(box.get(), {0, 2000}, nullptr));
    EXPECT_FALSE(subsheet_port_taken(box.get(), {0, 2000}, vin));
    EXPECT_FALSE(subsheet_port_taken(box.get(), {0, 2001}, nullptr));
    subsheet_remove_port(nullptr, box.get(), vin);
    EXPECT_EQ(box->ports->count, 3u);
    Port stranger;
    subsheet_remove_port(nullptr, box.get(), &stranger);
    EXPECT_EQ(box->ports->count, 3u);
}

TEST_F(SubSheetForms, CopyOwnsItsStringsAndPorts) {
    Own<SubSheet> box = sample_box();
    box->id = 42;
    Own<SubSheet> copy(copy_SubSheet(nullptr, box.get()));
    box.reset();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->file_name, "C:\\designs\\psu.sch");
    EXPECT_STREQ(copy->sheet_name.get(), "Power supply");
    EXPECT_EQ(copy->extra, "note");
    EXPECT_EQ(copy->time_stamp, 0x12345678u);
    EXPECT_EQ(copy->id, 0u);
    EXPECT_EQ(copy->area[1], (Point{0, 6000})) << "rebuilding resets the inner area";
    ASSERT_EQ(copy->ports->count, 4u);
    EXPECT_STREQ(ports_of(copy.get())[1]->name.get(), "SENSE");
    EXPECT_NE(copy->outline, nullptr);
}

}  // namespace
