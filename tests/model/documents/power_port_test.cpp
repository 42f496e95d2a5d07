// Power symbols, no-connect marks and ports: file forms, damaged records,
// generated symbols and outlines, geometry and copies.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/binary_stream.h"
#include "foundation/list.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_record_fixture.h"
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

const uint8_t all_shapes[8] = {POWER_CIRCL, POWER_GND1,  POWER_ARROW, POWER_GND2,
                               POWER_BAR,   POWER_EARTH, POWER_WAVE,  POWER_BIGARR};

// Every shape, with rotation code i on shape i (4..7 are invalid codes).
std::vector<Own<Power>> sample_powers() {
    const char* names[8] = {"VCC", "GND", "+5V", "AGND", "VDD", "EARTH", "AC", "it's a long rail"};
    std::vector<Own<Power>> powers;
    for (int i = 0; i < 8; ++i) {
        Own<Power> power(new_Power());
        power->name.set(names[i]);
        power->flags = static_cast<uint8_t>(all_shapes[i] | i);
        power->pos = {1000 * i, -500 * i};
        power->width = static_cast<int16_t>(100 + i);
        powers.push_back(std::move(power));
    }
    return powers;
}

// Every kind on both sides; some with second and extra strings.
std::vector<Own<Port>> sample_ports() {
    std::vector<Own<Port>> ports;
    const uint8_t kinds[4] = {PORT_BIDIR, PORT_INPUT, PORT_OUTPUT, PORT_UNSPEC};
    for (int i = 0; i < 8; ++i) {
        Own<Port> port(new_Port());
        port->flags = static_cast<uint8_t>(kinds[i % 4] | (i >= 4 ? PORT_RIGHT : 0));
        port->pos = {-2000 + 700 * i, 300 * i};
        port->name.set(i == 7 ? "DATA_BUS'S_LONG_NAME" : ("P" + std::to_string(i)).c_str());
        if (i % 2) port->second.set("second");
        if (i % 3 == 0) port->extra = "extra text " + std::to_string(i);
        ports.push_back(std::move(port));
    }
    return ports;
}

class PowerPortForms : public SheetRecordTest {};

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents before committing it.
TEST_F(PowerPortForms, PowersOfEveryShapeMatchTheGoldenFilesAndReadBack) {
    auto powers = sample_powers();
    Bytes binary = bytes_written([&](FILE* f) {
        for (auto& p : powers) write_Power(p.get(), f, 0);
    });
    expect_golden("power_shapes.bin", binary);
    expect_golden("power_shapes.txt", text_written([&](FILE* f) {
                      for (auto& p : powers) awrite_Power(p.get(), f, 2);
                  }));
    StreamPtr stream = stream_of(record_io::golden("power_shapes.bin"));
    for (auto& expected : powers) {
        Own<Power> read(new_Power());
        ASSERT_EQ(read_Power(read.get(), stream.get()), 0);
        EXPECT_STREQ(read->name.get(), expected->name.get());
        EXPECT_EQ(read->flags, expected->flags);
        EXPECT_EQ(read->pos, expected->pos);
        EXPECT_EQ(read->width, expected->width);
        EXPECT_EQ(read->id, expected->id);
        EXPECT_EQ(read->state, STATE_NEW);
    }
    Own<Power> none(new_Power());
    EXPECT_EQ(read_Power(none.get(), stream.get()), -1) << "the end of the file";
}

TEST_F(PowerPortForms, PortsOfEveryKindAndSideMatchTheGoldenFilesAndReadBack) {
    auto ports = sample_ports();
    Bytes binary = bytes_written([&](FILE* f) {
        for (auto& p : ports) write_Port(p.get(), f, 0);
    });
    expect_golden("ports.bin", binary);
    expect_golden("ports.txt", text_written([&](FILE* f) {
                      for (auto& p : ports) awrite_Port(p.get(), f, 1);
                  }));
    StreamPtr stream = stream_of(record_io::golden("ports.bin"));
    for (auto& expected : ports) {
        Own<Port> read(new_Port());
        ASSERT_EQ(read_Port(read.get(), stream.get()), 0);
        EXPECT_STREQ(read->name.get(), expected->name.get());
        EXPECT_STREQ(read->second.get(), expected->second.get());
        EXPECT_EQ(read->extra, expected->extra);
        EXPECT_EQ(read->flags, expected->flags);
        EXPECT_EQ(read->pos, expected->pos);
        EXPECT_EQ(read->id, expected->id);
    }
}

TEST_F(PowerPortForms, NoConnectMatchesTheGoldenFilesAndReadsBack) {
    Own<NoCon> nocon(new_NoCon());
    nocon->pos = {-1234, 5678};
    nocon->flags = 0x5A;
    expect_golden("nocon.bin", bytes_written([&](FILE* f) { write_NoCon(nocon.get(), f, 0); }));
    expect_golden("nocon.txt", text_written([&](FILE* f) { awrite_NoCon(nocon.get(), f, 0); }));
    StreamPtr stream = stream_of(record_io::golden("nocon.bin"));
    Own<NoCon> read(new_NoCon());
    ASSERT_EQ(read_NoCon(read.get(), stream.get()), 0);
    EXPECT_EQ(read->pos, nocon->pos);
    EXPECT_EQ(read->flags, nocon->flags);
    EXPECT_EQ(read->id, nocon->id);
}

TEST_F(PowerPortForms, SourceFormsAreAcceptedByTheSourceReader) {
    auto powers = sample_powers();
    auto ports = sample_ports();
    Own<NoCon> nocon(new_NoCon());
    std::string items = text_written([&](FILE* f) {
        for (auto& p : powers) awrite_Power(p.get(), f, 2);
        for (auto& p : ports) awrite_Port(p.get(), f, 2);
        awrite_NoCon(nocon.get(), f, 2);
    });
    EXPECT_EQ(record_io::compile_schematic("(SCHEMATIC\n (SHEET\n" + items + " )\n)\n"), 0);
    std::string interface = text_written([&](FILE* f) {
        for (auto& p : ports) awrite_Port(p.get(), f, 2);
    });
    EXPECT_EQ(record_io::compile_schematic("(SCHEMATIC\n (PORTS\n" + interface + " )\n)\n"), 0);
}

TEST_F(PowerPortForms, SourceLinesHaveTheirExactForm) {
    Own<Power> power(new_Power());
    power->name.set("V'CC");
    power->flags = POWER_GND2 | 5;
    power->pos = {10, -20};
    EXPECT_EQ(text_written([&](FILE* f) { awrite_Power(power.get(), f, 1); }),
              "  (POWER 'V''CC' GND2 (POS 10 -20 )  )\n")
        << "rotation code 5 writes no rotation word";
    Own<Port> port(new_Port());
    port->flags = PORT_RIGHT | PORT_UNSPEC | PORT_AS_BIDIR;
    port->name.set("A");
    EXPECT_EQ(text_written([&](FILE* f) { awrite_Port(port.get(), f, 0); }),
              "(PORT RIGHT UNSPEC (POS 0 0 ) 'A' )\n");
}

TEST_F(PowerPortForms, WriterSkipsRecordsOutsideTheMask) {
    Own<Power> power(new_Power());
    Own<Port> port(new_Port());
    Own<NoCon> nocon(new_NoCon());
    EXPECT_TRUE(bytes_written([&](FILE* f) {
                    write_Power(power.get(), f, STATE_SELECTED);
                    write_Port(port.get(), f, STATE_SELECTED);
                    write_NoCon(nocon.get(), f, STATE_SELECTED);
                }).empty());
    power->state |= STATE_SELECTED;
    EXPECT_FALSE(bytes_written([&](FILE* f) { write_Power(power.get(), f, STATE_SELECTED); })
                     .empty());
}

// --- damaged and partial records ---------------------------------------------------------------
TEST_F(PowerPortForms, WidthBelowTwoReadsAs100AndAMissingIdReadsZero) {
    Own<Power> power(new_Power());
    power->name.set("VCC");
    power->width = 0;
    Bytes record = bytes_written([&](FILE* f) { write_Power(power.get(), f, 0); });
    record.resize(record.size() - 5);  // no 'g' and id
    record.push_back('x');
    StreamPtr stream = stream_of(record);
    Own<Power> read(new_Power());
    ASSERT_EQ(read_Power(read.get(), stream.get()), 0);
    EXPECT_EQ(read->width, 100);
    EXPECT_EQ(read->id, 0u);
    EXPECT_EQ(record_io::rest_of(stream.get()), Bytes{'x'});
}

TEST_F(PowerPortForms, LongNamesReloadWholeAndTheStreamStaysInStep) {
    Own<Port> port(new_Port());
    std::string name(300, 'n');
    port->name.set(name.c_str());
    port->id = 77;
    Bytes record = bytes_written([&](FILE* f) { write_Port(port.get(), f, 0); });
    StreamPtr stream = stream_of(record);
    Own<Port> read(new_Port());
    ASSERT_EQ(read_Port(read.get(), stream.get()), 0);
    EXPECT_EQ(std::string(read->name.get()), name);
    EXPECT_EQ(read->id, 77u);
}

TEST_F(PowerPortForms, PortWithEmptyExtraStringWritesALoneNulAndReadsNone) {
    Own<Port> port(new_Port());
    port->name.set("N");
    Bytes record = bytes_written([&](FILE* f) { write_Port(port.get(), f, 0); });
    // tag, flags, point, width, "N", "", 'p', "", 'g', id
    ASSERT_EQ(record.size(), 1u + 1 + 8 + 2 + 2 + 1 + 2 + 5);
    EXPECT_EQ(record[15], 'p');
    EXPECT_EQ(record[16], 0);
    port->extra = "stale";
    StreamPtr stream = stream_of(record);
    ASSERT_EQ(read_Port(port.get(), stream.get()), 0);
    EXPECT_TRUE(port->extra.empty());
}

TEST_F(PowerPortForms, EveryCutOfARecordIsAnErrorUnlessOnlyOptionalPartsAreMissing) {
    Own<Power> power(new_Power());
    power->name.set("VCC");
    Bytes p = bytes_written([&](FILE* f) { write_Power(power.get(), f, 0); });
    expect_cuts_fail(p, {p.size() - 5}, [](FILE* f) {
        Own<Power> r(new_Power());
        return read_Power(r.get(), f);
    });
    Own<NoCon> nocon(new_NoCon());
    Bytes n = bytes_written([&](FILE* f) { write_NoCon(nocon.get(), f, 0); });
    expect_cuts_fail(n, {n.size() - 5}, [](FILE* f) {
        Own<NoCon> r(new_NoCon());
        return read_NoCon(r.get(), f);
    });
    Own<Port> port(new_Port());
    port->name.set("PORT");
    port->extra = "xy";
    Bytes q = bytes_written([&](FILE* f) { write_Port(port.get(), f, 0); });
    // Whole without the id, and without both the extra string and the id.
    expect_cuts_fail(q, {q.size() - 5, q.size() - 5 - 4}, [](FILE* f) {
        Own<Port> r(new_Port());
        return read_Port(r.get(), f);
    });
}

TEST_F(PowerPortForms, ForeignTagIsPushedBack) {
    Bytes other{0xC5, 1, 2};
    StreamPtr stream = stream_of(other);
    Own<Power> power(new_Power());
    Own<Port> port(new_Port());
    Own<NoCon> nocon(new_NoCon());
    EXPECT_EQ(read_Power(power.get(), stream.get()), NOT_MY_TAG);
    EXPECT_EQ(read_Port(port.get(), stream.get()), NOT_MY_TAG);
    EXPECT_EQ(read_NoCon(nocon.get(), stream.get()), NOT_MY_TAG);
    EXPECT_EQ(record_io::rest_of(stream.get()), other);
}

// --- power symbols --------------------------------------------------------------------------------
class PowerSymbol : public SheetRecordTest {
protected:
    Own<Power> built(uint8_t flags, Point at = {10000, 20000}) {
        Own<Power> power(new_Power());
        power->flags = flags;
        power->pos = at;
        EXPECT_EQ(power_build_symbol(nullptr, power.get()), 0);
        return power;
    }
    static std::vector<Item*> items(const Power* power) {
        std::vector<Item*> out;
        for (Item* item : list_items<Item>(power->symbol->items)) out.push_back(item);
        return out;
    }
};

TEST_F(PowerSymbol, CircleAndBarFollowTheSymbolSize) {
    proper_set(WIDTH_POWEROBJ, 700, 0);
    auto circle = built(POWER_CIRCL, {0, 0});
    auto parts = items(circle.get());
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(as_Line(parts[0])->end, (Point{0, -300}));
    EXPECT_EQ(as_Circle(parts[1])->pos, (Point{0, -500}));
    EXPECT_EQ(as_Circle(parts[1])->on, (Point{0, -700}));
    auto bar = built(POWER_BAR, {0, 0});
    parts = items(bar.get());
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(as_Line(parts[0])->end, (Point{0, -700}));
    EXPECT_EQ(as_Line(parts[1])->pos, (Point{-200, -700}));
    EXPECT_EQ(as_Line(parts[1])->end, (Point{200, -700}));
}

struct ShapeCase {
    uint8_t shape;
    std::vector<int> codes;  // item codes after the stem
    int32_t stem;            // with S = 1000 (r = 285)
};

class PowerShapes : public PowerSymbol, public testing::WithParamInterface<ShapeCase> {};

TEST_P(PowerShapes, EveryShapeHasItsStemAndItems) {
    proper_set(WIDTH_POWEROBJ, 1000, 0);
    auto power = built(GetParam().shape, {0, 0});
    auto parts = items(power.get());
    ASSERT_EQ(parts.size(), GetParam().codes.size() + 1);
    EXPECT_EQ(as_Line(parts[0])->pos, (Point{0, 0}));
    EXPECT_EQ(as_Line(parts[0])->end, (Point{0, -GetParam().stem}));
    for (size_t i = 0; i < GetParam().codes.size(); ++i)
        EXPECT_EQ(parts[i + 1]->type, GetParam().codes[i]) << "item " << i + 1;
    // A position read from a file may stand at the end of the range.
    auto edge = built(GetParam().shape, {INT32_MIN, INT32_MIN});
    EXPECT_EQ(items(edge.get()).size(), parts.size());
}

INSTANTIATE_TEST_SUITE_P(
    All, PowerShapes,
    testing::Values(ShapeCase{POWER_CIRCL, {CIRCLE_ITEM}, 1000 - 570},
                    ShapeCase{POWER_GND1, std::vector<int>(6, LINE_ITEM), 500},
                    ShapeCase{POWER_ARROW, std::vector<int>(3, LINE_ITEM), 1000 - 570},
                    ShapeCase{POWER_GND2, std::vector<int>(8, LINE_ITEM), 500},
                    ShapeCase{POWER_BAR, {LINE_ITEM}, 1000},
                    ShapeCase{POWER_EARTH, std::vector<int>(5, LINE_ITEM), 100},
                    ShapeCase{POWER_WAVE, {ARC_ITEM, ARC_ITEM}, 1000 - 142},
                    ShapeCase{POWER_BIGARR, std::vector<int>(3, LINE_ITEM), 100}));

TEST_F(PowerSymbol, WaveArcsMeetAtTheStemEnd) {
    proper_set(WIDTH_POWEROBJ, 700, 0);
    auto power = built(POWER_WAVE, {0, 0});
    auto parts = items(power.get());
    const Arc* left = as_Arc(parts[1]);
    const Arc* right = as_Arc(parts[2]);
    EXPECT_EQ(left->start, as_Line(parts[0])->end);
    EXPECT_EQ(left->pos, (Point{-100, -600}));
    EXPECT_EQ(left->end, (Point{-200, -600}));
    EXPECT_EQ(right->pos, (Point{100, -600}));
    EXPECT_EQ(right->end, (Point{200, -600}));
}

TEST_F(PowerSymbol, RotationTurnsTheWholeSymbolAroundItsPosition) {
    proper_set(WIDTH_POWEROBJ, 700, 0);
    auto up = built(POWER_BAR, {5000, 5000});
    auto down = built(POWER_BAR | 2, {5000, 5000});
    auto side = built(POWER_BAR | 1, {5000, 5000});
    EXPECT_EQ(as_Line(items(down.get())[0])->end, (Point{5000, 5700}));
    EXPECT_EQ(as_Line(items(down.get())[1])->pos, (Point{5200, 5700}));
    Point end = as_Line(items(side.get())[0])->end;
    EXPECT_EQ(end.y, 5000);
    EXPECT_EQ(std::abs(end.x - 5000), 700);
    EXPECT_EQ(as_Line(items(up.get())[0])->end, (Point{5000, 4300}));
}

TEST_F(PowerSymbol, InvalidRotationWarnsAndStillBuilds) {
    debug_enabled = true;
    auto power = built(POWER_CIRCL | 5);
    debug_enabled = false;
    EXPECT_NE(debug.find("Power: flags 5, invalid rotation"), std::string::npos) << debug;
    EXPECT_EQ(items(power.get()).size(), 2u);
}

TEST_F(PowerSymbol, MovingDropsTheSymbol) {
    auto power = built(POWER_GND1);
    Matrix m;
    matrix_translate(&m, 10, 10);
    matrix_Power(power.get(), &m);
    EXPECT_EQ(power->symbol, nullptr);
    EXPECT_EQ(power->pos, (Point{10010, 20010}));
}

// --- geometry ------------------------------------------------------------------------------------
TEST_F(PowerPortForms, PowerDistanceIsNegativeInsideItsSquare) {
    proper_set(WIDTH_POWEROBJ, 100, WIDTH_NOCONNECT, 50, 0);
    Own<Power> power(new_Power());
    power->pos = {1000, 1000};
    Rect r;
    ASSERT_TRUE(bounds_Power(nullptr, power.get(), &r, false));
    EXPECT_EQ(r, (Rect{900, 900, 200, 200}));
    EXPECT_EQ(distance_Power(nullptr, power.get(), {1100, 900}, 0, 0.0, 0x10), -0.5);
    EXPECT_TRUE(power->state & 0x10) << "within the tolerance: hit";
    EXPECT_DOUBLE_EQ(distance_Power(nullptr, power.get(), {1000, 1400}, 0, 0.0, 0), 400.0);
    EXPECT_EQ(distance_Power(nullptr, power.get(), {1000, 1000}, STATE_SELECTED, 0.0, 0), 1e10);

    Own<NoCon> nocon(new_NoCon());
    ASSERT_TRUE(bounds_NoCon(nullptr, nocon.get(), &r, false));
    EXPECT_EQ(r, (Rect{-50, -50, 100, 100}));
    EXPECT_DOUBLE_EQ(distance_NoCon(nullptr, nocon.get(), {30, 40}, 0, 1.0, 0x20), 50.0);
    EXPECT_FALSE(nocon->state & 0x20);
}

TEST_F(PowerPortForms, SelectionAreaPicksByThePosition) {
    View view;
    view.select = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    view.select_active = 1;
    Own<Power> inside(new_Power());
    inside->pos = {50, 50};
    Own<Port> outside(new_Port());
    outside->pos = {500, 50};
    EXPECT_TRUE(select_Power(nullptr, &view, inside.get(), STATE_SELECTED, FLAGOP_OR, 0));
    EXPECT_EQ(inside->state, STATE_NEW | STATE_SELECTED | STATE_BOTH_ENDS);
    EXPECT_FALSE(select_Port(nullptr, &view, outside.get(), STATE_SELECTED, FLAGOP_OR, 0));
    EXPECT_EQ(outside->state, STATE_NEW);
}

// --- port outlines ----------------------------------------------------------------------------------
struct OutlineCase {
    uint8_t flags;
    size_t points;
};

class PortOutline : public SheetRecordTest, public testing::WithParamInterface<OutlineCase> {};

TEST_P(PortOutline, KindAndOverridesGiveTheOutlineShape) {
    measure_names();
    Own<Port> port(new_Port());
    port->flags = GetParam().flags;
    port->name.set("AB");
    ASSERT_EQ(port_build_symbol(nullptr, port.get()), 0);
    ASSERT_NE(port->outline, nullptr);
    std::vector<Item*> parts;
    for (Item* item : list_items<Item>(port->outline->items)) parts.push_back(item);
    ASSERT_EQ(parts.size(), 2u);
    const Poly* poly = as_Poly(parts[1]);
    EXPECT_EQ(poly->points.size(), GetParam().points);
    EXPECT_EQ(poly->points.front(), poly->points.back()) << "closed";
}

INSTANTIATE_TEST_SUITE_P(
    All, PortOutline,
    testing::Values(OutlineCase{PORT_BIDIR, 7}, OutlineCase{PORT_INPUT, 6},
                    OutlineCase{PORT_OUTPUT, 6}, OutlineCase{PORT_UNSPEC, 5},
                    OutlineCase{PORT_UNSPEC | PORT_AS_BIDIR, 7},
                    OutlineCase{PORT_BIDIR | PORT_AS_UNSPEC, 5},
                    OutlineCase{PORT_BIDIR | PORT_AS_OUTPUT | PORT_AS_BIDIR, 6},
                    OutlineCase{PORT_RIGHT | PORT_INPUT | PORT_AS_OUTPUT | PORT_AS_UNSPEC, 6},
                    OutlineCase{PORT_RIGHT | PORT_UNSPEC | PORT_AS_BIDIR | PORT_AS_UNSPEC, 7}));

TEST_F(PowerPortForms, BidirectionalOutlineOnTheLeft) {
    measure_names();
    Own<Port> port(new_Port());
    port->pos = {0, 0};
    port->name.set("ABCD");  // 2000 wide, 1000 high: L = 3000, t = 600
    port_build_symbol(nullptr, port.get());
    std::vector<Item*> parts;
    for (Item* item : list_items<Item>(port->outline->items)) parts.push_back(item);
    EXPECT_EQ(as_Line(parts[0])->end, (Point{-1000, 0}));
    EXPECT_EQ(as_Poly(parts[1])->points,
              (std::vector<Point>{{-1000, 0},
                                  {-1600, -600},
                                  {-4600, -600},
                                  {-5200, 0},
                                  {-4600, 600},
                                  {-1600, 600},
                                  {-1000, 0}}));
    Rect r;
    ASSERT_TRUE(bounds_Port(nullptr, port.get(), &r, false));
    EXPECT_EQ(r.x, -5200 - 50) << "the polyline's width counts";
    EXPECT_EQ(distance_Port(nullptr, port.get(), {-3000, 100}, 0, 10.0, 0), 0.0) << "inside";
}

TEST_F(PowerPortForms, WithoutACanvasAPortHasNoOutlineAndNoBounds) {
    Own<Port> port(new_Port());
    port->name.set("A");
    EXPECT_EQ(port_build_symbol(nullptr, port.get()), 0);
    EXPECT_EQ(port->outline, nullptr);
    Rect r{1, 2, 3, 4};
    EXPECT_FALSE(bounds_Port(nullptr, port.get(), &r, false));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(distance_Port(nullptr, port.get(), {0, 0}, 0, 1.0, 0), 1e10);
}

// The measurement puts the font property back; it never writes the INI file.
TEST_F(PowerPortForms, MeasuringAnOutlineNeverWritesTheIniFile) {
    tn_test::TempDir dir;
    std::string ini = dir.file("Quib.ini");
    set_config_ini_name(ini.c_str());
    config_write_flag = 1;
    Services s;
    s.paint_zone_text_extent = [](View*, const char*, int* font, Point, Rect* out) {
        *font = 3;  // the canvas picked another font
        *out = {0, 0, 100, 100};
        return true;
    };
    install_services(s);
    proper_set(FONT_MODULETXT, 2, 0);
    std::filesystem::remove(ini);
    Own<Port> port(new_Port());
    port_build_symbol(nullptr, port.get());
    EXPECT_NE(port->outline, nullptr);
    EXPECT_FALSE(std::filesystem::exists(ini));
    EXPECT_EQ(proper_get(FONT_MODULETXT), 2);
    EXPECT_EQ(config_write_flag, 1);
    set_config_ini_name(nullptr);
}

// --- copies --------------------------------------------------------------------------------------
TEST_F(PowerPortForms, CopiesOwnTheirStrings) {
    measure_names();
    auto ports = sample_ports();
    Port* source = ports[7].get();
    source->layout = new_Stroke(2);
    source->id = 99;
    Own<Port> copy(copy_Port(nullptr, source));
    ports.clear();  // releases the source
    EXPECT_STREQ(copy->name.get(), "DATA_BUS'S_LONG_NAME");
    EXPECT_STREQ(copy->second.get(), "second");
    EXPECT_EQ(copy->id, 0u);
    EXPECT_EQ(copy->layout, nullptr);
    EXPECT_NE(copy->outline, nullptr) << "the source had a name layout: outline rebuilt";

    auto powers = sample_powers();
    power_build_symbol(nullptr, powers[7].get());
    Own<Power> power(copy_Power(nullptr, powers[7].get()));
    powers.clear();
    EXPECT_STREQ(power->name.get(), "it's a long rail");
    EXPECT_EQ(power->symbol, nullptr);
}

}  // namespace
