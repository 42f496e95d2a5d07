// The shipped phases against the literal ones on generated sheets: random
// sheets on a coarse grid (so that ends, pins and labels often coincide) and
// sheets built to hit the cases where order matters: collinear overlaps,
// three or four ends at a point with and without a junction, pins on wire
// middles, labels on drawing lines and on wires, power symbols of one name
// in many places, buses with ranges and aliases, long rails of collinear
// wires with many ends and pins on them. Nets, names, members,
// chains, state words, warnings and result codes must be identical.
#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "connectivity/net_fixture.h"
#include "connectivity/net_oracle.h"

namespace net_test {
namespace {

class Sheets {
public:
    explicit Sheets(uint32_t seed) : rng_(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    int grid(int cells) { return origin_ + pick(cells + 1) * step_; }
    // Moves the random sheets (whose every point is on the grid).
    void set_origin(int origin) { origin_ = origin; }
    // Spreads them: the grid's step (and the wires' lengths) in units.
    void set_step(int step) { step_ = step; }
    template <class T>
    const T& one_of(const std::vector<T>& v) {
        return v[pick(int(v.size()))];
    }

    std::string segment(int cells, std::string (*kind)(int, int, int, int)) {
        int x = grid(cells), y = grid(cells), len = (pick(6)) * step_;
        switch (pick(5)) {
            case 0: return kind(x, y, x + len, y);
            case 1: return kind(x, y, x, y + len);
            case 2: return kind(x, y, x + len, y + len);
            case 3: return kind(x, y, x + len, y - len);
            default: return kind(x, y, x, y);
        }
    }

    std::string random_item(int cells) {
        static const std::vector<std::string> names = {"A",  "a",  "B",  "N1",  "D0",  "D1",
                                                       "D2", "D3", "d1", "X,Y", "GND", "E3"};
        static const std::vector<std::string> ranges = {"D[0..3]", "E[3..0]", "D[0..2]", "d[1..2]",
                                                        "[0..1]"};
        static const std::vector<std::string> rotations = {"NO_ROT", "ROT_90", "ROT_180",
                                                           "ROT_270"};
        static const std::vector<std::string> power_rot = {"", "ROT_90", "ROT_180", "ROT_270"};
        static const std::vector<std::string> parts = {"R", "VR", "IC"};
        int x = grid(cells), y = grid(cells);
        switch (pick(16)) {
            case 0:
            case 1:
            case 2:
            case 3: return segment(cells, wire);
            case 4: return segment(cells, bus);
            case 5: return segment(cells, drawn);
            case 6:
                return part(one_of(parts), x, y, "U" + std::to_string(pick(9)), one_of(rotations));
            case 7: return power(x, y, one_of(names), one_of(power_rot));
            case 8:
            case 9: return label(x, y, pick(3) ? one_of(names) : one_of(ranges));
            case 10: return junction(x, y);
            case 11: return nocon(x, y);
            case 12: return arc(x, y, x + 1000, y + 1000, x + 1000, y);
            case 13:
                return "(ARC DRAW (POS " + std::to_string(x) + " " + std::to_string(y) +
                       " ) (POS " + std::to_string(x) + " " + std::to_string(y + 2000) +
                       " ) (POS " + std::to_string(x) + " " + std::to_string(y + 1000) +
                       " ) CW )\n";
            case 14: return netprop(x, y, one_of(names), pick(3) * 100);
            default:
                return subsheet(x, y,
                                box_port(0, 1000 * pick(4), one_of(ranges)) +
                                    box_port(8000, 2000, one_of(names)));
        }
    }

    std::string random_sheet(int count, int cells) {
        std::vector<std::string> items;
        for (int i = 0; i < count; ++i) items.push_back(random_item(cells));
        return join(items);
    }

    std::string random_ports(int cells) {
        static const std::vector<std::string> names = {"D[0..3]", "IN", "GND", "E[3..0]",
                                                       "d[0..1]"};
        std::string ports;
        for (int i = pick(3); i > 0; --i)
            ports += sheet_port(grid(cells), grid(cells), one_of(names), pick(2));
        return ports;
    }

    // Many wires on one horizontal and one vertical line, points among them,
    // parts whose pins lie on those lines, junctions on them.
    std::string collinear_sheet() {
        std::vector<std::string> items;
        for (int i = 0; i < 12; ++i) {
            int a = grid(10), b = grid(10);
            items.push_back(wire(std::min(a, b), 5000, std::max(a, b), 5000));
            items.push_back(wire(5000, std::min(a, b), 5000, std::max(a, b)));
        }
        for (int i = 0; i < 4; ++i) {
            int a = grid(10);
            items.push_back(wire(a, 5000, a, 5000));
            items.push_back(junction(grid(10), 5000));
            items.push_back(part("R", grid(10), 5000, "R"));
            items.push_back(part("IC", grid(10), 4000, "U"));
            items.push_back(bus(grid(10), 5000, grid(10), 5000));
        }
        items.push_back(label(grid(10), 5000, "H"));
        items.push_back(label(5000, grid(10), "V"));
        return join(items);
    }

    // Three or four wire ends meeting at points of a small grid, with or
    // without junctions, labels on drawing lines and on wires there.
    std::string star_sheet() {
        std::vector<std::string> items;
        for (int i = 0; i < 6; ++i) {
            int x = grid(4) + 10000, y = grid(4) + 10000;
            int arms = 3 + pick(2);
            const int dx[] = {1000, -1000, 0, 0}, dy[] = {0, 0, 1000, -1000};
            for (int k = 0; k < arms; ++k) items.push_back(wire(x, y, x + dx[k], y + dy[k]));
            if (pick(2)) items.push_back(junction(x, y));
            if (pick(2)) items.push_back(drawn(x - 500, y, x + 500, y));
            items.push_back(label(x + 500, y, pick(2) ? "S" : "s"));
            if (pick(3) == 0) items.push_back(power(x, y, "GND"));
        }
        return join(items);
    }

    // Parts whose pin tips lie on the middle of wires, power symbols of one
    // name in many places, a bus with range labels and member labels.
    std::string pins_and_buses_sheet(std::string* ports) {
        std::vector<std::string> items;
        for (int i = 0; i < 5; ++i) {
            int x = grid(8), y = grid(8);
            items.push_back(part(pick(2) ? "R" : "VR", x, y, "R"));
            items.push_back(wire(x - 5000, y, x + 8000, y));
            items.push_back(wire(x, y - 5000, x, y + 8000));
            items.push_back(
                power(grid(8), grid(8), pick(2) ? "GND" : "gnd", pick(2) ? "" : "ROT_180"));
        }
        int bx = 20000;
        items.push_back(bus(bx, 0, bx, 8000));
        items.push_back(bus(bx, 8000, bx + 4000, 8000));
        items.push_back(label(bx, 2000, "D[0..3]"));
        if (pick(2)) items.push_back(label(bx + 2000, 8000, pick(2) ? "Q[0..3]" : "D[0..2]"));
        for (int n = 0; n < 4; ++n) {
            int y = 1000 + n * 1500;
            items.push_back(wire(bx + 1000, y, bx + 4000, y));
            items.push_back(label(bx + 2000, y, (pick(2) ? "D" : "Q") + std::to_string(n)));
        }
        *ports = sheet_port(bx, 0, "D[0..3]") + (pick(2) ? sheet_port(bx + 4000, 8000, "B") : "");
        items.push_back(subsheet(bx + 4000 - 0, 8000 - 2000, box_port(0, 2000, "D[0..3]")));
        return join(items);
    }

    // Long runs of collinear wires: a horizontal, a vertical and a sloped
    // rail, each of many segments with shared ends, overlaps and gaps, a
    // few spanning most of the rail, spread over far more than the index's
    // cell reach; points, junctions, pins and labels on the rails.
    std::string rail_sheet() {
        static constexpr int step = 4000, places = 300;
        std::vector<std::string> items;
        auto span = [this] {
            int a = pick(places), len = pick(12) ? 1 + pick(4) : pick(places);
            return std::pair{a * step, std::min(a + len, places) * step};
        };
        for (int i = 0; i < 120; ++i) {
            auto [a, b] = span();
            items.push_back(pick(2) ? wire(a, 5000, b, 5000) : wire(b, 5000, a, 5000));
            auto [c, d] = span();
            items.push_back(wire(7000, c, 7000, d));
            if (i % 3 == 0) {
                auto [e, f] = span();
                items.push_back(wire(e, e + 1000, f, f + 1000));
            }
        }
        for (int i = 0; i < 25; ++i) {
            int x = pick(places * step / 1000) * 1000, y = pick(places * step / 1000) * 1000;
            items.push_back(part("R", x, 5000, "R"));
            items.push_back(part("VR", 7000, y, "R"));
            items.push_back(part("VR", x, 5000 - 1000 * pick(4), "R"));
            items.push_back(junction(pick(places) * step, 5000));
            items.push_back(junction(7000, pick(places) * step));
            if (i % 5 == 0) {
                items.push_back(wire(x, 5000, x, 5000));
                items.push_back(label(x, 5000, pick(2) ? "RAIL" : "rail"));
                items.push_back(label(7000, y, "V"));
                items.push_back(drawn(x, 5000, x + step * pick(places / 2), 5000));
            }
        }
        return join(items);
    }

    // One run of hundreds of segments joined end to end, in any order, over
    // far more than the index's cell reach: the wires merge into pieces that
    // grow along the run, junctions and pin tips then split them again; a
    // few drops to parts, a second run beside it and a label on the run.
    std::string long_run_sheet() {
        static constexpr int step = 1000, segments = 600;
        std::vector<std::string> items;
        for (int i = 0; i < segments; ++i) {
            int a = i * step, b = (i + 1) * step;
            items.push_back(pick(2) ? wire(a, 5000, b, 5000) : wire(b, 5000, a, 5000));
            if (pick(8) == 0) items.push_back(junction(a, 5000));
            if (pick(20) == 0) items.push_back(wire(a, 5000, a, 9000));
            if (pick(25) == 0) items.push_back(part("VR", a + step / 2, 5000, "R"));
            if (pick(10) == 0) items.push_back(wire(a, 3000, b, 3000));
        }
        items.push_back(label(pick(segments) * step, 5000, "RUN"));
        items.push_back(wire(0, 5000, pick(segments) * step, 5000));
        return join(items);
    }

    // A ladder of vertical resistors in rows, wired node to node by four
    // segments (the pin wires continue the pins' own lines), rows joined by
    // labels of one name; every third node has a shunt resistor, wired to
    // its node through a junction that cuts the node's wire and standing on
    // its row's ground rail (drawn as one wire per shunt, end to end, with
    // one GND symbol), or, labelled, named by labels and on GND symbols of
    // its own. In the list order of the drawing, or shuffled.
    std::string ladder_sheet(int count, int row_length, bool wired, bool shuffled) {
        std::vector<std::string> items;
        const int pitch = 10000, row_pitch = 40000;
        int rail = -1;
        for (int i = 0; i < count; ++i) {
            int row = i / row_length, col = i % row_length;
            int x = col * pitch, y = row * row_pitch;
            std::string node = "N" + std::to_string(i);
            items.push_back(part("VR", x, y, "R" + std::to_string(i)));
            if (i == 0) items.push_back(power(x, y - 3000, "VIN"));
            if (col == 0) rail = -1;
            bool last_of_row = col == row_length - 1 || i + 1 == count;
            bool shunt = i % 3 == 0 && !last_of_row;
            if (!last_of_row) {
                if (wired && shunt) {
                    items.push_back(wire(x, y + 5000, x + pitch / 4, y + 5000));
                    items.push_back(wire(x + pitch / 4, y + 5000, x + pitch / 2, y + 5000));
                    items.push_back(junction(x + pitch / 4, y + 5000));
                } else {
                    items.push_back(wire(x, y + 5000, x + pitch / 2, y + 5000));
                }
                items.push_back(wire(x + pitch / 2, y + 5000, x + pitch / 2, y - 4000));
                items.push_back(wire(x + pitch / 2, y - 4000, x + pitch, y - 4000));
                items.push_back(wire(x + pitch, y - 4000, x + pitch, y - 3000));
                if (!wired) items.push_back(label(x + pitch * 3 / 4, y - 4000, node));
            } else if (i + 1 < count) {
                items.push_back(label(x, y + 5000, node));
                items.push_back(label(0, (row + 1) * row_pitch - 3000, node));
            } else {
                items.push_back(power(x, y + 5000, "GND", "ROT_180"));
            }
            if (!shunt) continue;
            int sx = x + pitch / 4, sy = y + 15000;
            items.push_back(part("VR", sx, sy, "RS" + std::to_string(i)));
            if (wired)
                items.push_back(wire(sx, y + 5000, sx, sy - 3000));
            else
                items.push_back(label(sx, sy - 3000, node));
            if (!wired || rail < 0)
                items.push_back(power(sx, sy + 5000, "GND", "ROT_180"));
            else
                items.push_back(wire(rail, sy + 5000, sx, sy + 5000));
            rail = sx;
        }
        if (shuffled) return join(items);
        std::string out;
        for (const std::string& item : items) out += item;
        return out;
    }

private:
    std::string join(std::vector<std::string>& items) {
        std::shuffle(items.begin(), items.end(), rng_);
        std::string out;
        for (const std::string& item : items) out += item;
        return out;
    }

    std::mt19937 rng_;
    int step_ = 1000;
    int origin_ = 0;
};

class OracleCompare : public NetTest {
protected:
    // Builds the sheet both ways and compares everything.
    void compare(const std::string& items, const std::string& ports) {
        std::string source = schematic(items, ports);
        auto plain_schema = compile(source);
        auto fast_schema = compile(source);
        ASSERT_TRUE(plain_schema && fast_schema);
        warnings().clear();
        int plain_result = 0, fast_result = 0;
        auto plain = build_plain(plain_schema.get(), &plain_result);
        std::string plain_warnings = warnings();
        warnings().clear();
        auto fast = build(fast_schema.get(), &fast_result);
        EXPECT_EQ(plain_result, fast_result);
        EXPECT_EQ(warnings(), plain_warnings) << source;
        std::string expected = describe_build(plain.get(), plain_schema.get());
        std::string actual = describe_build(fast.get(), fast_schema.get());
        EXPECT_EQ(actual, expected) << source;
        // A second build of the same sheet gives the same again.
        build_sheet_nets(fast.get(), fast_schema.get());
        EXPECT_EQ(describe_build(fast.get(), fast_schema.get()), expected);
    }
};

TEST_F(OracleCompare, RandomSheets) {
    for (uint32_t seed = 1; seed <= 700; ++seed) {
        Sheets sheets(seed);
        int count = 5 + sheets.pick(40);
        int cells = 4 + sheets.pick(10);
        std::string ports = sheets.random_ports(cells);
        compare(sheets.random_sheet(count, cells), ports);
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}

TEST_F(OracleCompare, AdversarialSheets) {
    for (uint32_t seed = 1; seed <= 120; ++seed) {
        Sheets sheets(seed * 7919);
        compare(sheets.collinear_sheet(), "");
        compare(sheets.star_sheet(), "");
        std::string ports;
        std::string items = sheets.pins_and_buses_sheet(&ports);
        compare(items, ports);
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}

// The two drawings of the benchmarks' ladder, small, as drawn and in random
// orders: stubs merged with the wires that continue them and cut again at
// the pin tips, rails merged end to end and cut at the shunts' pins, wires
// cut at junctions, labels and power symbols naming the nets.
TEST_F(OracleCompare, LadderSheets) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        Sheets sheets(seed * 48271);
        for (bool wired : {true, false}) {
            compare(sheets.ladder_sheet(40 + sheets.pick(40), 5 + sheets.pick(10), wired, seed > 1),
                    "");
            if (HasFailure()) {
                ADD_FAILURE() << "seed " << seed << (wired ? " wired" : " labelled");
                return;
            }
        }
    }
}

// A context builds sheet after sheet: nothing of an earlier sheet may show
// in the nets of the next one.
TEST_F(OracleCompare, AContextBuildsSheetAfterSheet) {
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        Sheets sheets(seed * 31337);
        std::string first = schematic(sheets.random_sheet(5 + sheets.pick(40), 6), "");
        std::string second =
            schematic(seed % 2 ? sheets.collinear_sheet() : sheets.star_sheet(), "");
        auto first_schema = compile(first);
        auto second_schema = compile(second);
        auto fresh_schema = compile(second);
        ASSERT_TRUE(first_schema && second_schema && fresh_schema);
        auto reused = build(first_schema.get());
        build_sheet_nets(reused.get(), second_schema.get());
        auto fresh = build(fresh_schema.get());
        EXPECT_EQ(describe_build(reused.get(), second_schema.get()),
                  describe_build(fresh.get(), fresh_schema.get()))
            << "seed " << seed << "\n"
            << second;
        if (HasFailure()) return;
    }
}

// The look-up tables keep cell numbers in narrow fields: sheets far out on
// either side of the origin, and across it, file and find their lines alike.
TEST_F(OracleCompare, SheetsFarFromTheOrigin) {
    for (int origin : {-1'000'000'000, -6000, 2'000'000'000 - 20'000}) {
        for (uint32_t seed = 1; seed <= 80; ++seed) {
            Sheets sheets(seed * 65537);
            sheets.set_origin(origin);
            int cells = 4 + sheets.pick(10);
            std::string ports = sheets.random_ports(cells);
            compare(sheets.random_sheet(5 + sheets.pick(40), cells), ports);
            if (HasFailure()) {
                ADD_FAILURE() << "origin " << origin << ", seed " << seed;
                return;
            }
        }
    }
}

// The look-up tables keep what lies in one region of the sheet together:
// sheets spread over many regions, with wires across their borders and
// points on them (steps of a cell, a quarter of a region, and off both).
TEST_F(OracleCompare, SheetsSpreadOverManyRegions) {
    for (int step : {16384, 17000, 65536 + 1000}) {
        for (uint32_t seed = 1; seed <= 60; ++seed) {
            Sheets sheets(seed * 7907);
            sheets.set_step(step);
            sheets.set_origin(seed % 2 ? 0 : -3 * step);
            int cells = 4 + sheets.pick(12);
            std::string ports = sheets.random_ports(cells);
            compare(sheets.random_sheet(20 + sheets.pick(60), cells), ports);
            if (HasFailure()) {
                ADD_FAILURE() << "step " << step << ", seed " << seed;
                return;
            }
        }
    }
}

TEST_F(OracleCompare, LongCollinearRails) {
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        Sheets sheets(seed * 104729);
        compare(sheets.rail_sheet(), "");
        if (seed <= 10) compare(sheets.long_run_sheet(), "");
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}

}  // namespace
}  // namespace net_test
