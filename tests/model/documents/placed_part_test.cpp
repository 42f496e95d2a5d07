// Placed parts: file forms of rotated and mirrored parts with attributes and
// own pins, damaged records, the placement transform and body geometry,
// references and device letters, pin swaps, power symbols and attributes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/list.h"
#include "model/documents/owners.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_record_fixture.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/view.h"

using namespace sheet_records;
using record_io::bytes_written;
using record_io::expect_golden;
using record_io::stream_of;
using record_io::text_written;

namespace {

Pin* add_pin(Part* part, const char* name, uint8_t type, uint8_t side, Point pos,
             std::vector<const char*> numbers) {
    if (!part->normal_pins) part->normal_pins = new_PinList();
    Pin* pin = new_Pin(part->devices);
    pin->name.set(name);
    pin->type = type;
    pin->flags = side;
    pin->pos = pos;
    for (int d = 0; d < part->devices; ++d) set_pin_number(pin, d, numbers[d]);
    dlist_append(part->normal_pins->pins, pin);
    return pin;
}

void add_entry(Library* library, const char* name, Part* part) {
    LibEntry* entry = new_LibEntry();
    entry->name.set(name);
    entry->part = part;
    ref_Part(part);
    lib_insert_entry(library, entry);
}

class PlacedPartTest : public SheetRecordTest {
public:
    void SetUp() override {
        SheetRecordTest::SetUp();
        library.reset(new_Library());
        // A gate package: four devices, pins on every side, two power pins.
        gate = new_Part();
        set_Part_devices(gate, 4);
        gate->body = {0, 0, 4000, 6000};
        add_pin(gate, "A", PIN_IN, LEFT, {0, 1000}, {"1", "4", "9", "12"});
        add_pin(gate, "B", PIN_IN, LEFT, {0, 3000}, {"2", "5", "10", "13"});
        add_pin(gate, "Y", PIN_OUT, RIGHT, {4000, 2000}, {"3", "6", "8", "11"});
        add_pin(gate, "CK", PIN_IN, LEFT | CLOCK, {0, 5000}, {"20", "21", "22", "23"});
        add_pin(gate, "VCC", PWR, TOP, {2000, 0}, {"14", "14", "14", "14"});
        add_pin(gate, "GND", PWR, BOTTOM, {2000, 6000}, {"7", "7", "7", "7"});
        add_entry(library.get(), "74LS00", gate);
        // A resistor: one device, pins left and right only.
        resistor = new_Part();
        resistor->body = {0, 0, 3000, 1000};
        add_pin(resistor, "1", PAS, LEFT, {0, 500}, {"1"});
        add_pin(resistor, "2", PAS, RIGHT, {3000, 500}, {"2"});
        add_entry(library.get(), "RES", resistor);
    }

    Own<PlacedPart> placed(const char* name, uint8_t flags = PL_POWERON, Point pos = {0, 0}) {
        Own<PlacedPart> pl(new_PlacedPart());
        pl->part_name.set(name);
        pl->flags = flags;
        pl->pos = pos;
        pl->time_stamp = 0x0BADF00D;
        pl->reference.text.set("U7");
        pl->reference.pos = {pos.x + 100, pos.y - 200};
        pl->value.text.set("74LS00");
        pl->value.pos = {pos.x + 100, pos.y + 7000};
        pl->value.flags = VIS | SET;
        pl_need_attribute(pl.get(), 2)->text.set("DIP14");
        Attribute* maker = pl_need_attribute(pl.get(), 3);
        maker->text.set("Texas 'TI'");
        maker->flags = 0;
        maker->pos = {-5, 5};
        return pl;
    }

    Owner<Library> library;
    Part* gate = nullptr;      // held by the library
    Part* resistor = nullptr;  // held by the library
};

// Rotations 0..7, each with its own mirrors, form, device, scale and
// optional fields.
std::vector<Own<PlacedPart>> sample_parts(PlacedPartTest* t, Library* library) {
    std::vector<Own<PlacedPart>> parts;
    for (int code = 0; code < 8; ++code) {
        uint8_t flags = static_cast<uint8_t>(code);
        if (code % 2 == 0) flags |= PL_MX;
        if (code % 3 == 0) flags |= PL_MY;
        if (code != 5) flags |= PL_POWERON;
        if (code == 6) flags |= PL_CONVERT;
        Own<PlacedPart> pl =
            t->placed(code == 3 ? "RES" : "74LS00", flags, {code * 10000, -code * 500});
        pl->scale = static_cast<uint8_t>(1 << code);
        pl->device = code % 4;
        if (code == 2) pl->sheet_path = "sub\\gate's.sch";
        if (code == 4) pl->extra = "kept as is";
        if (code == 7) {
            EXPECT_EQ(pl_swap_pins(library, pl.get(), "12", "13"), 0);
        }
        parts.push_back(std::move(pl));
    }
    return parts;
}

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents before committing it.
TEST_F(PlacedPartTest, RotatedAndMirroredPartsMatchTheGoldenFilesAndReadBack) {
    auto parts = sample_parts(this, library.get());
    ASSERT_NE(parts[7]->own_pins, nullptr);
    expect_golden("placed_parts.bin", bytes_written([&](FILE* f) {
                      for (auto& p : parts) write_PlacedPart(library.get(), p.get(), f, 0);
                  }));
    std::string text = text_written([&](FILE* f) {
        for (auto& p : parts) awrite_PlacedPart(library.get(), p.get(), f, 2);
    });
    expect_golden("placed_parts.txt", text);
    EXPECT_EQ(record_io::compile_schematic("(SCHEMATIC\n (SHEET\n" + text + " )\n)\n"), 0);

    StreamPtr stream = stream_of(record_io::golden("placed_parts.bin"));
    for (auto& expected : parts) {
        Own<PlacedPart> read(new_PlacedPart());
        ASSERT_EQ(read_PlacedPart(read.get(), stream.get()), 0);
        EXPECT_EQ(read->flags, expected->flags);
        EXPECT_EQ(read->pos, expected->pos);
        EXPECT_EQ(read->device, expected->device);
        EXPECT_EQ(read->scale, expected->scale);
        EXPECT_EQ(read->time_stamp, expected->time_stamp);
        EXPECT_EQ(read->id, expected->id);
        EXPECT_EQ(read->sheet_path, expected->sheet_path);
        EXPECT_EQ(read->extra, expected->extra);
        EXPECT_STREQ(read->part_name.get(), expected->part_name.get());
        EXPECT_STREQ(read->reference.text.get(), "U7");
        EXPECT_EQ(read->value.flags, VIS | SET);
        ASSERT_NE(pl_get_attribute(read.get(), 3), nullptr);
        EXPECT_STREQ(pl_get_attribute(read.get(), 3)->text.get(), "Texas 'TI'");
        EXPECT_EQ(pl_get_attribute(read.get(), 3)->pos, (Point{-5, 5}));
        EXPECT_EQ(read->own_pins != nullptr, expected->own_pins != nullptr);
    }
    Own<PlacedPart> last(new_PlacedPart());
    stream = stream_of(record_io::golden("placed_parts.bin"));
    for (size_t i = 0; i < parts.size(); ++i) read_PlacedPart(last.get(), stream.get());
    EXPECT_EQ(pl_get_part(library.get(), last.get()), gate);
    ASSERT_NE(last->own_pins, nullptr);
    EXPECT_STREQ(find_Pin_by_number(last->own_pins, "13", 3)->name.get(), "A")
        << "own pins keep the swapped numbers";
}

// --- damaged and partial records ---------------------------------------------------------------
class PlacedPartRecord : public PlacedPartTest {
protected:
    Bytes record_of(PlacedPart* pl) {
        return bytes_written([&](FILE* f) { write_PlacedPart(library.get(), pl, f, 0); });
    }
    static int read_bytes(const Bytes& bytes, Own<PlacedPart>* out = nullptr) {
        Own<PlacedPart> pl(new_PlacedPart());
        StreamPtr stream = stream_of(bytes);
        int result = read_PlacedPart(pl.get(), stream.get());
        if (out) *out = std::move(pl);
        return result;
    }
};

TEST_F(PlacedPartRecord, RecordWithoutStampIdAndScaleReadsTheDefaults) {
    auto pl = placed("74LS00");
    pl->scale = 64;
    pl_swap_pins(library.get(), pl.get(), "1", "2");
    Bytes record = record_of(pl.get());
    record.resize(record.size() - 12);  // 'c' + stamp, 'g' + id, 'r' + scale
    Own<PlacedPart> read;
    ASSERT_EQ(read_bytes(record, &read), 0);
    EXPECT_EQ(pl_get_scale(read.get()), 1.0);
    EXPECT_EQ(read->id, 0u);
    EXPECT_NE(read->time_stamp, 0x0BADF00Du);
    std::set<size_t> whole{record.size(), record.size() + 5, record.size() + 10};
    record = record_of(pl.get());
    expect_cuts_fail(record, whole, [](FILE* f) {
        Own<PlacedPart> r(new_PlacedPart());
        return read_PlacedPart(r.get(), f);
    });
}

TEST_F(PlacedPartRecord, ScaleCodeZeroReadsAsOne) {
    auto pl = placed("RES");
    pl->scale = 0;
    EXPECT_EQ(pl_get_scale(pl.get()), 1.0);
    Own<PlacedPart> read;
    ASSERT_EQ(read_bytes(record_of(pl.get()), &read), 0);
    EXPECT_EQ(read->scale, PL_DEFAULT_SCALE);
}

TEST_F(PlacedPartRecord, AttributeListMustEndWithItsMark) {
    auto pl = placed("RES");
    Bytes record = record_of(pl.get());
    // The end mark follows the four attribute records.
    size_t end = 1;
    for (int i = 0; i < 4; ++i) {
        end += 1 + 8 + 1;
        while (record[end] != 0) ++end;
        ++end;
    }
    ASSERT_EQ(record[end], LIST_END);
    record[end] = 0x55;
    EXPECT_EQ(read_bytes(record), -1);
}

TEST_F(PlacedPartRecord, OwnPinCountIsBoundedByTheFileAndASaneMaximum) {
    auto pl = placed("74LS00");
    pl_swap_pins(library.get(), pl.get(), "1", "2");
    Bytes record = record_of(pl.get());
    ASSERT_EQ(record[1], PL_OWN_PINS_TAG);
    for (uint32_t devices : {uint32_t{MAX_PART_DEVICES + 1}, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Bytes damaged = record;
        for (int i = 0; i < 4; ++i)
            damaged[2 + i] = static_cast<unsigned char>(devices >> (24 - 8 * i));
        EXPECT_EQ(read_bytes(damaged), READ_ERROR) << devices;
    }
    // A count the rest of the file cannot hold.
    Bytes tiny{0xCA, PL_OWN_PINS_TAG, 0, 0, 0, 200, PINLIST_TAG, LIST_END};
    EXPECT_EQ(read_bytes(tiny), READ_ERROR);
}

// Own pins made for another device count are never used, since their
// number tables would be read past their end; reading the pins in use
// leaves the record as it was read, and the next change of the own pins
// drops them with a warning.
TEST_F(PlacedPartRecord, OwnPinsForAnotherDeviceCountAreUnusedAndDroppedByAnEditWithAWarning) {
    auto pl = placed("74LS00");
    pl_make_own_pins(library.get(), pl.get());
    resize_PinList(pl->own_pins, 2);
    pl->own_pins_devices = 2;
    Own<PlacedPart> read;
    ASSERT_EQ(read_bytes(record_of(pl.get()), &read), 0);
    ASSERT_NE(read->own_pins, nullptr);
    EXPECT_EQ(read->own_pins_devices, 2);
    debug_enabled = true;
    EXPECT_EQ(pl_pins_in_use(library.get(), read.get()), gate->normal_pins);
    EXPECT_EQ(pl_own_pins(read.get(), pl_get_part(library.get(), read.get())), nullptr);
    EXPECT_NE(read->own_pins, nullptr);
    EXPECT_EQ(debug.find("own pins dropped"), std::string::npos) << debug;
    EXPECT_EQ(pl_swap_pins(library.get(), read.get(), "1", "2"), 0);
    debug_enabled = false;
    EXPECT_NE(debug.find("own pins dropped"), std::string::npos) << debug;
    ASSERT_NE(read->own_pins, nullptr);
    EXPECT_EQ(read->own_pins_devices, gate->devices);
    EXPECT_EQ(pl_pins_in_use(library.get(), read.get()), read->own_pins);
}

TEST_F(PlacedPartRecord, DeviceOutsideAnyPackageIsADamagedRecord) {
    auto pl = placed("RES");
    for (int32_t device : {-1, MAX_PART_DEVICES, 1 << 30}) {
        pl->device = device;
        EXPECT_EQ(read_bytes(record_of(pl.get())), READ_ERROR) << device;
    }
}

TEST_F(PlacedPartRecord, ForeignTagAndMask) {
    Bytes other{0xCB, 0xE0};
    Own<PlacedPart> pl(new_PlacedPart());
    StreamPtr stream = stream_of(other);
    EXPECT_EQ(read_PlacedPart(pl.get(), stream.get()), NOT_MY_TAG);
    EXPECT_EQ(record_io::rest_of(stream.get()), other);
    EXPECT_TRUE(
        bytes_written([&](FILE* f) { write_PlacedPart(nullptr, pl.get(), f, 0x8000); }).empty());
}

// --- placement --------------------------------------------------------------------------------------
TEST_F(PlacedPartTest, ScaleCodesSelectTheirScale) {
    auto pl = placed("RES");
    const double scales[8] = {0.1, 0.2, 0.3, 0.5, 1.0, 1.5, 2.0, 3.0};
    for (int bit = 0; bit < 8; ++bit) {
        pl->scale = static_cast<uint8_t>(1 << bit);
        EXPECT_EQ(pl_get_scale(pl.get()), scales[bit]);
        pl->scale = static_cast<uint8_t>(0xFF << bit);  // the lowest set bit counts
        EXPECT_EQ(pl_get_scale(pl.get()), scales[bit]);
    }
}

// Diagonal rotations turn by exactly 45 degrees (and not 44.7).
TEST_F(PlacedPartTest, DiagonalRotationsAreExact) {
    const Point expected[8] = {{1000, 0},  {0, 1000},   {-1000, 0},   {0, -1000},
                               {707, 707}, {-707, 707}, {-707, -707}, {707, -707}};
    for (int code = 0; code < 8; ++code) {
        auto pl = placed("RES", static_cast<uint8_t>(code));
        Matrix m;
        pl_matrix(pl.get(), &m);
        Point p;
        matrix_apply(&m, {1000, 0}, &p);
        EXPECT_EQ(p, expected[code]) << "rotation code " << code;
    }
}

TEST_F(PlacedPartTest, MatrixScalesMirrorsAndMoves) {
    auto pl = placed("RES", PL_MX | PL_MY, {5000, 6000});
    pl->scale = 64;  // 2.0
    Matrix m;
    pl_matrix(pl.get(), &m);
    Point p;
    matrix_apply(&m, {100, 200}, &p);
    EXPECT_EQ(p, (Point{5000 - 200, 6000 - 400}));
    EXPECT_FALSE(matrix_is_mirrored(&m)) << "two mirrors";
}

struct SidesCase {
    uint8_t flags;
    Rect rect;
    bool top, left, right, bottom;
};

class BodySides : public PlacedPartTest, public testing::WithParamInterface<SidesCase> {};

TEST_P(BodySides, FollowMirrorsAndQuarterTurns) {
    auto pl = placed("74LS00", GetParam().flags, {10000, 20000});  // 4000 x 6000
    Rect r;
    bool top, left, right, bottom;
    EXPECT_EQ(pl_body_sides(library.get(), pl.get(), &r, &top, &left, &right, &bottom), gate);
    EXPECT_EQ(r, GetParam().rect);
    EXPECT_EQ(top, GetParam().top);
    EXPECT_EQ(left, GetParam().left);
    EXPECT_EQ(right, GetParam().right);
    EXPECT_EQ(bottom, GetParam().bottom);
}

// The gate has non-power pins on the left and right only.
INSTANTIATE_TEST_SUITE_P(
    All, BodySides,
    testing::Values(SidesCase{0, {10000, 20000, 4000, 6000}, false, true, true, false},
                    SidesCase{1, {4000, 20000, 6000, 4000}, true, false, false, true},
                    SidesCase{2, {6000, 14000, 4000, 6000}, false, true, true, false},
                    SidesCase{3, {10000, 16000, 6000, 4000}, true, false, false, true},
                    SidesCase{4, {10000, 20000, 4000, 6000}, false, true, true, false},
                    SidesCase{7, {10000, 20000, 4000, 6000}, false, true, true, false},
                    SidesCase{PL_MX, {10000, 14000, 4000, 6000}, false, true, true, false},
                    SidesCase{PL_MY, {6000, 20000, 4000, 6000}, false, true, true, false},
                    SidesCase{PL_MY | 1, {4000, 16000, 6000, 4000}, true, false, false, true}));

TEST_F(PlacedPartTest, MirroringTheLargestBodyStaysInRange) {
    gate->body = {0, 0, INT32_MIN, INT32_MIN};  // as a damaged library may hold it
    auto pl = placed("74LS00", PL_MX | PL_MY, {0, 0});
    Rect r;
    bool top, left, right, bottom;
    pl_body_sides(library.get(), pl.get(), &r, &top, &left, &right, &bottom);
    EXPECT_EQ(r, (Rect{0, 0, INT32_MAX, INT32_MAX}));
}

TEST_F(PlacedPartTest, BoundsDistanceAndExtent) {
    auto pl = placed("RES", PL_POWERON, {10000, 20000});  // 3000 x 1000, pins left and right
    Rect r;
    ASSERT_TRUE(pl_bounds(nullptr, library.get(), pl.get(), &r, false));
    EXPECT_EQ(r, (Rect{7000, 20000, 9000, 1000}));
    EXPECT_EQ(distance_PlacedPart(library.get(), pl.get(), {13000, 21000}, 0, 0.0, 0x10), 0.0);
    EXPECT_TRUE(pl->state & 0x10);
    EXPECT_DOUBLE_EQ(distance_PlacedPart(library.get(), pl.get(), {10000, 25000}, 0, 0.0, 0), 5000);
    EXPECT_EQ(distance_PlacedPart(library.get(), pl.get(), {0, 0}, 0x8000, 0.0, 0), 1e10);

    Schema* doc = new_Schema();
    doc->library = library.release();
    ASSERT_TRUE(extent_PlacedPart(doc, pl.get(), &r));
    EXPECT_EQ(r, (Rect{-3000, 500, 9000, 1})) << "part coordinates: the two pin lines";
    pl->flags |= PL_MY;
    ASSERT_TRUE(extent_PlacedPart(doc, pl.get(), &r));
    EXPECT_EQ(r, (Rect{-6000, 500, 9000, 1})) << "pin extents mirrored by the body rule";
    free_Schema(doc, false);
}

TEST_F(PlacedPartTest, BodyRectIsPlacedByTheMatrixWithoutItsTranslation) {
    Schema* doc = new_Schema();
    doc->library = library.release();
    auto pl = placed("RES", 1, {10000, 20000});
    Rect r;
    EXPECT_NE(pl_body_rect(doc, pl.get(), &r), nullptr);
    EXPECT_EQ(r.w, 1000);
    EXPECT_EQ(r.h, 3000);
    EXPECT_EQ(r.x == 10000 || r.x == 9000, true);
    Line* leader = attribute_leader_line(doc, pl.get(), 0);
    ASSERT_NE(leader, nullptr);
    EXPECT_EQ(leader->pos, (Point{r.x + 500, r.y + 1500}));
    EXPECT_EQ(leader->end, pl->reference.pos);
    EXPECT_EQ(leader->flags, 3);
    EXPECT_EQ(leader->state & 0x408, 0x408u);
    free_Line(leader, false);
    EXPECT_EQ(attribute_leader_line(doc, pl.get(), 9), nullptr);
    free_Schema(doc, false);
}

TEST_F(PlacedPartTest, SelectionPicksThePosition) {
    View view;
    view.select = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    view.select_active = 1;
    auto in = placed("RES", 0, {50, 50});
    auto out = placed("RES", 0, {150, 50});
    EXPECT_TRUE(select_PlacedPart(&view, in.get(), 0x8000, FLAGOP_OR, 0));
    EXPECT_EQ(in->state & 0x800C, 0x800Cu);
    EXPECT_FALSE(select_PlacedPart(&view, out.get(), 0x8000, FLAGOP_OR, 0));
}

// --- references and device letters -----------------------------------------------------------------
TEST_F(PlacedPartTest, ReferenceTextCarriesTheDeviceLetterOfAPackage) {
    auto gate_part = placed("74LS00");
    gate_part->device = 2;
    EXPECT_STREQ(pl_reference_text(library.get(), gate_part.get()), "U7C");
    pl_set_reference(library.get(), gate_part.get(), "U9B");
    EXPECT_EQ(gate_part->device, 1);
    EXPECT_STREQ(gate_part->reference.text.get(), "U9");
    pl_set_reference(library.get(), gate_part.get(), "U3F");
    EXPECT_EQ(gate_part->device, 1) << "F names no device of a 4-device package";
    EXPECT_STREQ(gate_part->reference.text.get(), "U3F");

    auto res = placed("RES");
    pl_set_reference(library.get(), res.get(), "R5A");
    EXPECT_STREQ(res->reference.text.get(), "R5A") << "one device: the letter stays";
    EXPECT_EQ(res->device, 0);
    EXPECT_STREQ(pl_reference_text(library.get(), res.get()), "R5A");
}

TEST_F(PlacedPartTest, SettingTheReferenceDropsOwnPins) {
    auto pl = placed("74LS00");
    pl_swap_pins(library.get(), pl.get(), "1", "2");
    ASSERT_NE(pl->own_pins, nullptr);
    pl_set_reference(library.get(), pl.get(), "U1A");
    EXPECT_EQ(pl->own_pins, nullptr);
}

TEST_F(PlacedPartTest, CopiesLoseTheReferenceNumberUnlessExact) {
    struct {
        const char* from;
        const char* to;
    } cases[] = {{"R12", "R?"}, {"U7", "U?"}, {"", "?"}, {"12", "12"}, {"X", "X"}, {"U?", "U?"}};
    for (auto& c : cases) {
        auto pl = placed("RES");
        pl->reference.text.set(c.from);
        Own<PlacedPart> copy(copy_PlacedPart(library.get(), pl.get()));
        EXPECT_STREQ(copy->reference.text.get(), c.to) << c.from;
        EXPECT_NE(copy->time_stamp, 0x0BADF00Du);
    }
    auto pl = placed("RES");
    pl->reference.text.set("R12");
    Own<PlacedPart> exact;
    {
        CopyExactScope scope;
        exact.reset(copy_PlacedPart(library.get(), pl.get()));
    }
    EXPECT_STREQ(exact->reference.text.get(), "R12");
    EXPECT_EQ(exact->time_stamp, 0x0BADF00Du);
}

TEST_F(PlacedPartTest, CopyOwnsEverythingItCarries) {
    auto pl = placed("74LS00", PL_POWERON | 2);
    pl->sheet_path = "inside.sch";
    pl->extra = "extra";
    pl->id = 5;
    pl_swap_pins(library.get(), pl.get(), "1", "2");
    pl->reference.layout = new_Stroke(2);
    Own<PlacedPart> copy(copy_PlacedPart(library.get(), pl.get()));
    pl.reset();
    EXPECT_EQ(copy->id, 0u);
    EXPECT_EQ(copy->part, nullptr);
    EXPECT_EQ(copy->reference.layout, nullptr);
    EXPECT_EQ(copy->sheet_path, "inside.sch");
    EXPECT_EQ(copy->extra, "extra");
    EXPECT_STREQ(copy->part_name.get(), "74LS00");
    EXPECT_STREQ(pl_get_attribute(copy.get(), 3)->text.get(), "Texas 'TI'");
    ASSERT_NE(copy->own_pins, nullptr);
    EXPECT_NE(find_Pin_by_number(copy->own_pins, "2", 0), nullptr);
}

// --- pins ----------------------------------------------------------------------------------------------
TEST_F(PlacedPartTest, SwappingTwiceDropsTheOwnPinsAgain) {
    auto pl = placed("74LS00");
    pl->device = 1;
    ASSERT_EQ(pl_swap_pins(library.get(), pl.get(), "4", "5"), 0);
    ASSERT_NE(pl->own_pins, nullptr);
    EXPECT_STREQ(find_Pin_by_number(pl->own_pins, "5", 1)->name.get(), "A");
    EXPECT_STREQ(find_Pin_by_number(pl->own_pins, "1", 0)->name.get(), "A") << "device 0 untouched";
    ASSERT_EQ(pl_swap_pins(library.get(), pl.get(), "4", "5"), 0);
    EXPECT_EQ(pl->own_pins, nullptr);
}

TEST_F(PlacedPartTest, SwapRefusesMissingAndUnlikePins) {
    auto pl = placed("74LS00");
    EXPECT_EQ(pl_swap_pins(library.get(), pl.get(), "1", "99"), 78);
    EXPECT_EQ(pl_swap_pins(library.get(), pl.get(), "1", "3"), 79) << "input and output";
    EXPECT_EQ(pl_swap_pins(library.get(), pl.get(), "1", "20"), 80) << "plain and clock";
    EXPECT_STREQ(find_Pin_by_number(pl->own_pins, "1", 0)->name.get(), "A");
}

TEST_F(PlacedPartTest, CountsPowerPinsOnTheFirstDeviceOnly) {
    Schema* doc = new_Schema();
    doc->library = library.release();
    auto first = placed("74LS00");
    auto second = placed("74LS00");
    second->device = 1;
    EXPECT_EQ(pl_count_pins(doc, first.get(), false), 6);
    EXPECT_EQ(pl_count_pins(doc, first.get(), true), 2);
    EXPECT_EQ(pl_count_pins(doc, second.get(), false), 4);
    EXPECT_EQ(pl_count_pins(doc, second.get(), true), 0);
    auto missing = placed("NOPE");
    EXPECT_EQ(pl_count_pins(doc, missing.get(), false), 0);
    free_Schema(doc, false);
}

TEST_F(PlacedPartTest, PowerSymbolsStandAtTheDrawnPowerPins) {
    Schema* doc = new_Schema();
    doc->library = library.release();
    auto pl = placed("74LS00", PL_POWERON, {10000, 20000});
    pl_build_power_list(doc, pl.get());
    EXPECT_EQ(pl->powers, nullptr) << "no pin drawing built yet";

    Pin* vcc = nullptr;
    Pin* gnd = nullptr;
    for (Pin* pin : list_items<Pin>(gate->normal_pins->pins)) {
        if (pin->type != PWR) continue;
        (vcc ? gnd : vcc) = pin;
    }
    make_PinVectors(vcc);
    make_PinVectors(gnd);
    gnd->flags |= PIN_DISPLAY;
    pl_make_power_list(doc, pl.get());
    ASSERT_NE(pl->powers, nullptr);
    ASSERT_EQ(pl->powers->count, 2u);
    std::vector<Power*> powers;
    for (Power* p : list_items<Power>(pl->powers)) powers.push_back(p);
    EXPECT_STREQ(powers[0]->name.get(), "VCC");
    EXPECT_EQ(powers[0]->pos, (Point{12000, 19000})) << "the pin's outer end";
    EXPECT_EQ(powers[0]->flags, POWER_BAR) << "outer end above: upright";
    EXPECT_STREQ(powers[1]->name.get(), "GND");
    EXPECT_EQ(powers[1]->pos, (Point{12000, 27000}));
    EXPECT_EQ(powers[1]->flags, POWER_BAR | POWER_NAME_HIDDEN | 2);

    Rect with, without;
    pl_bounds(doc, doc->library, pl.get(), &with, false);
    pl->flags &= static_cast<uint8_t>(~PL_POWERON);
    pl_bounds(doc, doc->library, pl.get(), &without, false);
    EXPECT_LT(with.y, without.y) << "shown power symbols count in the bounds";

    auto turned = placed("74LS00", 1, {0, 0});
    pl_build_power_list(doc, turned.get());
    Power* first = static_cast<Power*>(turned->powers->head->data);
    EXPECT_TRUE((first->flags & POWER_ROT_MASK) == 1 || (first->flags & POWER_ROT_MASK) == 3);
    free_Schema(doc, false);  // the placed parts free their power lists themselves
}

// --- attributes ----------------------------------------------------------------------------------------
TEST_F(PlacedPartTest, PatternsExpandToAttributeTexts) {
    auto pl = placed("74LS00");
    EXPECT_EQ(pl_expand_pattern(pl.get(), "r-V:1/2 3x"), "U7-74LS00:DIP14/Texas 'TI' NULLx");
    EXPECT_EQ(pl_expand_pattern(pl.get(), ""), "");
}

TEST_F(PlacedPartTest, AttributesArePlacedBesideTheBody) {
    proper_set(ASPECT_RATIO, 1.5, 0);
    TextSize size;
    set_TextSize(&size, font_height(FONT_PARTREF));
    const int32_t w = font_height(FONT_PARTREF), h = size.height;  // 1000, 1500
    auto res = placed("RES", PL_POWERON, {10000, 20000});  // 3000 x 1000, no top or bottom pins
    pl_unset_attribute_places(res.get());
    EXPECT_FALSE(res->value.flags & SET);
    pl_place_attribute(nullptr, library.get(), res.get(), 0);
    pl_place_attribute(nullptr, library.get(), res.get(), 1);
    pl_place_attribute(nullptr, library.get(), res.get(), 2);
    EXPECT_EQ(res->reference.pos, (Point{11500, 20000 - h / 2}));
    EXPECT_EQ(res->value.pos, (Point{11500, 21000 + 3 * h / 2}));
    EXPECT_EQ(pl_get_attribute(res.get(), 2)->pos, (Point{13000 + w, 21000 + h}))
        << "pins on the right";
    EXPECT_TRUE(res->reference.flags & SET);

    auto turned = placed("RES", PL_POWERON | 1, {10000, 20000});  // pins now top and bottom
    pl_place_attribute(nullptr, library.get(), turned.get(), 1);
    Rect r;
    bool top, left, right, bottom;
    pl_body_sides(library.get(), turned.get(), &r, &top, &left, &right, &bottom);
    EXPECT_EQ(turned->value.pos, (Point{r.x + r.w + w, r.y + h + h}));

    Point before = pl_get_attribute(turned.get(), 3)->pos;
    pl_get_attribute(turned.get(), 3)->flags |= SET;
    EXPECT_EQ(pl_place_attribute_if_unset(nullptr, library.get(), turned.get(), 3), 0);
    EXPECT_EQ(pl_get_attribute(turned.get(), 3)->pos, before);
    EXPECT_EQ(pl_place_attribute_if_unset(nullptr, library.get(), turned.get(), 7), 0);
}

TEST_F(PlacedPartTest, MatrixMovesThePartAndItsAttributes) {
    auto pl = placed("RES", PL_POWERON | 1, {100, 200});
    Matrix m;
    matrix_translate(&m, 1000, 2000);
    matrix_PlacedPart(pl.get(), &m);
    EXPECT_EQ(pl->pos, (Point{1100, 2200}));
    EXPECT_EQ(pl->reference.pos, (Point{1200, 2000}));
    EXPECT_EQ(pl_get_attribute(pl.get(), 3)->pos, (Point{995, 2005}));
    EXPECT_EQ(pl->flags, PL_POWERON | 1) << "flags unchanged";
}

TEST_F(PlacedPartTest, DatesAreFilledOnlyWhenUnset) {
    char date[32] = "01/31/125";
    date_fill_if_unset(date, sizeof date);
    EXPECT_STREQ(date, "01/31/125");
    char unset[32] = "XXXXXX";
    date_fill_if_unset(unset, sizeof unset);
    EXPECT_EQ(std::string(unset), date_string());
    char tiny[4] = "abc";
    date_fill_if_unset(tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u) << "cut to the field";
}

}  // namespace
