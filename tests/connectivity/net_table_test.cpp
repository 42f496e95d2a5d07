// The builder's tables where they change hands: the lines by carrier, which
// answer for the wire phases (and for the wires under labels, kept before
// they go), and the clean-up of the records a build appended.
#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "connectivity/net_carriers.h"
#include "connectivity/net_fixture.h"
#include "connectivity/net_oracle.h"
#include "connectivity/net_rules.h"
#include "foundation/list.h"
#include "model/items/item.h"

namespace net_test {
namespace {

class NetTableTest : public NetTest {
protected:
    static std::vector<SchItem*> sheet_records(const Schema* schema) {
        std::vector<SchItem*> records;
        for (SchItem* item : list_items<SchItem>(schema->current->items)) records.push_back(item);
        return records;
    }
    // Builds the sheet both ways; everything must match.
    void compare(const std::string& items, const std::string& ports = "") {
        auto plain_schema = compile_sheet(items, ports);
        auto schema = compile_sheet(items, ports);
        ASSERT_TRUE(plain_schema && schema);
        auto plain = build_plain(plain_schema.get());
        auto built = build(schema.get());
        EXPECT_EQ(describe_build(built.get(), schema.get()),
                  describe_build(plain.get(), plain_schema.get()))
            << items;
    }
};

// Labels in the middle of a wire, on an end two wires share (the first in
// list order counts), on a drawing line alone, on nothing, two at one
// point, on a pin's line alone, on a wire merged with a pin's line, and a
// net-property label: each names the net of the wire it lies on, as in the
// plain build, although the wires the build laid itself are gone by then.
TEST_F(NetTableTest, LabelsNameTheNetOfTheFirstWireTheyLieOn) {
    compare(drawn(0, 0, 9000, 0) + wire(0, 0, 4000, 0) + wire(4000, 0, 4000, 4000) +
            wire(4000, 0, 8000, 0) + label(2000, 0, "MID") + label(4000, 0, "SHARED") +
            drawn(9000, 1000, 9000, 3000) + label(9000, 2000, "DRAWN") + label(7000, 7000, "NONE") +
            label(4000, 4000, "ONE") + label(4000, 4000, "TWO") + netprop(0, 0, "P", 20) +
            text(4000, 2000, "NOT A LABEL") + part("R", 20000, 0, "R1") +
            label(18000, 0, "ON PIN") + part("R", 30000, 0, "R2") + wire(24000, 0, 26000, 0) +
            label(26000, 0, "MERGED") + netprop(25500, 0, "Q", 30));
}

// A table of lines of its own for the lines by carrier.
struct TestLines {
    std::vector<Point> a, b;
    std::vector<bool> gone;
    Point first(uint32_t id) const { return a[id]; }
    Point second(uint32_t id) const { return b[id]; }
    bool absorbed(uint32_t id) const { return gone[id]; }
    bool filed(uint32_t) const { return true; }
    uint32_t add(Point p, Point q) {
        if (q.x < p.x || (q.x == p.x && q.y < p.y)) std::swap(p, q);
        a.push_back(p);
        b.push_back(q);
        gone.push_back(false);
        return static_cast<uint32_t>(a.size() - 1);
    }
};

// Random lines (vertical, horizontal, sloped, points; short ones and ones
// across far more cells than a short line spans) filed, grown, cut short
// and absorbed: the lines at a point are exactly those a walk of every line
// finds, and the lines along a line all those that meet it, in id order,
// each once.
TEST_F(NetTableTest, LinesByCarrierAreThoseEveryLineWouldGive) {
    std::mt19937 rng(20261207);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int round = 0; round < 60; ++round) {
        TestLines lines;
        CarrierIndex<TestLines> index(lines);
        // Lines of a cell or two, of many cells, and of more cells than a
        // query reads one by one.
        const int step = round % 3 == 0 ? 1000 : round % 3 == 1 ? 40000 : 1 << 27;
        auto point = [&] { return Point{pick(12) * step, pick(12) * step}; };
        auto random_line = [&] {
            Point p = point();
            int len = pick(5) * step;
            switch (pick(4)) {
                case 0: return lines.add(p, Point{p.x + len, p.y});
                case 1: return lines.add(p, Point{p.x, p.y + len});
                case 2: return lines.add(p, Point{p.x + len, p.y + len});
                default: return lines.add(p, p);
            }
        };
        for (int i = 0; i < 60; ++i) index.file(random_line());
        for (int i = 0; i < 150; ++i) {
            uint32_t id = static_cast<uint32_t>(pick(static_cast<int>(lines.a.size())));
            Point was_a = lines.a[id], was_b = lines.b[id];
            int what = pick(4);
            if (what == 0) {
                // Grows along its carrier (a point: along x).
                int dx = was_b.x > was_a.x ? 1 : 0, dy = was_b.y > was_a.y ? 1 : 0;
                if (dx == 0 && dy == 0) dx = 1;
                int more = (pick(4) + 1) * step;
                if (int64_t{std::max(was_b.x, was_b.y)} + more > INT32_MAX) continue;
                lines.b[id] = Point{was_b.x + dx * more, was_b.y + dy * more};
                index.refile(id, was_a, was_b);
            } else if (what == 1 && !(was_a == was_b)) {
                lines.b[id] = Point{static_cast<int32_t>((int64_t{was_a.x} + was_b.x) / 2),
                                    static_cast<int32_t>((int64_t{was_a.y} + was_b.y) / 2)};
                if (point_on_segment(lines.b[id], was_a, was_b) != 1) lines.b[id] = was_b;
            } else if (what == 2) {
                lines.gone[id] = true;
            } else {
                index.file(random_line());
            }
            Point p = point();
            std::vector<uint32_t> at, expected;
            index.lines_at(p, at);
            for (uint32_t k = 0; k < lines.a.size(); ++k)
                if (point_on_segment(p, lines.a[k], lines.b[k])) expected.push_back(k);
            ASSERT_EQ(at, expected) << "round " << round << " step " << i;
            uint32_t probe = static_cast<uint32_t>(pick(static_cast<int>(lines.a.size())));
            if (lines.gone[probe]) continue;
            std::vector<uint32_t> along;
            index.lines_along(probe, 0, along);
            std::erase_if(along, [&](uint32_t k) { return lines.gone[k]; });
            expected.clear();
            Point pa = lines.a[probe], pb = lines.b[probe];
            for (uint32_t k = 1; k < lines.a.size(); ++k) {
                if (lines.gone[k]) continue;
                Point qa = lines.a[k], qb = lines.b[k];
                bool meets;
                if (pa == pb)
                    meets = point_on_segment(pa, qa, qb) != 0;
                else if (pa.x == pb.x)
                    meets = qa.x == pa.x && qb.x == pa.x &&
                            std::max(pa.y, qa.y) <= std::min(pb.y, qb.y);
                else if (pa.y == pb.y)
                    meets = qa.y == pa.y && qb.y == pa.y &&
                            std::max(pa.x, qa.x) <= std::min(pb.x, qb.x);
                else if (qa == qb)  // every point along the sloped line's x
                    meets = qa.x >= pa.x && qa.x <= pb.x;
                else  // sloped lines (all of slope 1 here) on its carrier
                    meets = qa.x != qb.x && qa.y != qb.y && qa.x - qa.y == pa.x - pa.y &&
                            std::max(pa.x, qa.x) <= std::min(pb.x, qb.x);
                if (meets) expected.push_back(k);
            }
            // Every line meeting it, in id order, each once; a line that has
            // left this carrier may come too (the caller tests each exactly).
            ASSERT_TRUE(std::is_sorted(along.begin(), along.end()));
            ASSERT_EQ(std::adjacent_find(along.begin(), along.end()), along.end());
            ASSERT_TRUE(std::includes(along.begin(), along.end(), expected.begin(), expected.end()))
                << "round " << round << " step " << i;
        }
    }
}

// The cells' table keeps each region's keys in a block of its own, grown
// as the region fills and handed on to other regions when given up: keys
// crowded into a few regions, spread over many and across the sheet's
// axes, several records each, all come back, each key's records the last
// added first, and keys never added give none.
TEST_F(NetTableTest, TheCellTableKeepsEveryKeysRecordsWhereverTheKeysLie) {
    using namespace carriers;
    std::mt19937 rng(20261208);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int round = 0; round < 8; ++round) {
        // A few regions crowded, or many regions far apart; the last rounds
        // crowd a few tiles with keys told apart only by their kind, the
        // low half of their carrier's number (either side of 0), the last
        // bits of their cell or the cells of the long lines.
        const int64_t spread = round % 2 ? 1000 : 1 << 22;
        auto random_key = [&] {
            int64_t along = (pick(40) - 20) * spread, at = (pick(40) - 20) * spread;
            if (round >= 6) {
                along = int64_t{pick(8) - 4} << CELL_SHIFT;
                at = pick(2) ? pick(65536) - 32768 : (pick(2) ? 1 : -1) * (pick(3) << 16);
                if (pick(8) == 0) {
                    uint64_t axis_id = axis(pick(2) ? AXIS_V : AXIS_H, static_cast<int32_t>(at));
                    return cell_key(axis_id, pick(2) ? LONG_CELL : ALL_CELL);
                }
            }
            switch (pick(4)) {
                case 0: return cell_key(axis(AXIS_V, static_cast<int32_t>(at)), cell(along));
                case 1: return cell_key(axis(AXIS_H, static_cast<int32_t>(at)), cell(along));
                case 2: return cell_key(axis(AXIS_S, pick(5)), cell(along));
                default: return cell_key(axis(AXIS_ZERO_BY_X), cell(along));
            }
        };
        CellTable table;
        if (round >= 4) table.reserve(3000, 2000);
        std::map<uint64_t, std::vector<uint32_t>> expected;
        for (uint32_t id = 0; id < 3000; ++id) {
            uint64_t key = random_key();
            table.add(key, id);
            expected[key].insert(expected[key].begin(), id);
        }
        for (const auto& [key, ids] : expected) {
            std::vector<uint32_t> found;
            for (uint32_t e = table.first(key); e != CellTable::NONE; e = table.entries()[e].next)
                found.push_back(table.entries()[e].id);
            ASSERT_EQ(found, ids) << "round " << round;
        }
        for (int i = 0; i < 500; ++i) {
            uint64_t key = random_key() ^ (uint64_t{1} << 23);  // a cell no key was filed under
            if (!expected.count(key)) {
                EXPECT_EQ(table.first(key), CellTable::NONE);
            }
        }
    }
}

// The clean-up removes the stubs after the sheet's last record of its own;
// a sheet with none (the schema's ports alone) loses every stub, and a
// sheet built twice keeps its own records in place.
TEST_F(NetTableTest, TheCleanUpRemovesEveryStubAndKeepsTheSheetsRecords) {
    for (const std::string& items :
         {std::string(), wire(0, 0, 5000, 0) + part("R", 10000, 0, "R1")}) {
        auto schema =
            compile_sheet(items, sheet_port(0, 0, "IN") + sheet_port(7000, 0, "OUT", true));
        ASSERT_TRUE(schema);
        std::vector<SchItem*> own = sheet_records(schema.get());
        auto context = build(schema.get());
        build_sheet_nets(context.get(), schema.get());
        std::vector<SchItem*> after = sheet_records(schema.get());
        ASSERT_GE(after.size(), own.size());
        EXPECT_EQ(std::vector<SchItem*>(after.begin(), after.begin() + own.size()), own);
        for (size_t i = own.size(); i < after.size(); ++i) {
            EXPECT_EQ(after[i]->type, PSEUDO_PIN) << "record " << i;
            EXPECT_TRUE(after[i]->state & NET_TEMPORARY);
        }
        EXPECT_EQ(after.size() - own.size(), items.empty() ? 2u : 4u);
    }
}

// Port stubs laid end to end merge one into the next, the later one
// growing each time, until it is long: from then on it looks along its
// carrier through the lists of all lines, for stubs filed before any line
// was long. Every port must end on the one net, as in the literal build.
TEST_F(NetTableTest, AStubGrownLongFindsTheStubsFiledBeforeIt) {
    std::string ports;
    for (int i = 0; i < 300; ++i) ports += sheet_port(i * 1000, 0, "P" + std::to_string(i));
    auto plain_schema = compile_sheet("", ports);
    auto fast_schema = compile_sheet("", ports);
    ASSERT_TRUE(plain_schema && fast_schema);
    auto plain = build_plain(plain_schema.get());
    auto fast = build(fast_schema.get());
    EXPECT_EQ(net_count(fast.get()), 1);
    EXPECT_EQ(describe_nets(fast.get()), describe_nets(plain.get()));
}

}  // namespace
}  // namespace net_test
