// Pins: geometry by side and shape, drawing, picking, numbers, file forms.
#include <gtest/gtest.h>

#include <string>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/items/item_streams.h"
#include "model/items/part_samples.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace items_test;
using namespace part_samples;

namespace {

PinPtr pin_at(Point p, uint8_t flags, uint8_t type = PAS, int devices = 1) {
    return PinPtr(sample_pin("P", type, flags, p, devices, 1));
}

struct GeometryCase {
    uint8_t flags;
    uint8_t type;
    Point outer;
    Point inner;
    Rect extent;
};

class PinGeometry : public testing::TestWithParam<GeometryCase> {};

// P = (100, 200) throughout.
TEST_P(PinGeometry, LineEndsAndExtentFollowSideLengthAndDot) {
    PinPtr pin = pin_at({100, 200}, GetParam().flags, GetParam().type);
    Point outer, inner;
    get_PinLine(pin.get(), &outer, &inner);
    EXPECT_EQ(outer, GetParam().outer);
    EXPECT_EQ(inner, GetParam().inner);
    EXPECT_EQ(pin_extent(pin.get()), GetParam().extent);
    // The drawing's first item is the same line.
    make_PinVectors(pin.get());
    const Line* line = as_Line(static_cast<Item*>(pin->drawing->items->head->data));
    EXPECT_EQ(line->pos, GetParam().outer);
    EXPECT_EQ(line->end, GetParam().inner);
}

INSTANTIATE_TEST_SUITE_P(
    SidesAndShapes, PinGeometry,
    testing::Values(GeometryCase{LEFT, PAS, {-2900, 200}, {100, 200}, {-2900, 200, 3000, 1}},
                    GeometryCase{RIGHT, PAS, {3100, 200}, {100, 200}, {100, 200, 3000, 1}},
                    GeometryCase{TOP, PAS, {100, -2800}, {100, 200}, {100, -2800, 1, 3000}},
                    GeometryCase{BOTTOM, PAS, {100, 3200}, {100, 200}, {100, 200, 1, 3000}},
                    GeometryCase{LEFT | SHORT, PAS, {-900, 200}, {100, 200}, {-900, 200, 1000, 1}},
                    GeometryCase{RIGHT, PWR, {1100, 200}, {100, 200}, {100, 200, 1000, 1}},
                    GeometryCase{LEFT | DOT, PAS, {-2900, 200}, {-500, 200}, {-2900, 200, 3000, 1}},
                    GeometryCase{BOTTOM | DOT | SHORT, PIN_IN, {100, 1200}, {100, 800},
                                 {100, 200, 1, 1000}}));

TEST(PinDrawing, ClockWedgeAndDotCircleAreDrawnInsideAndAtTheBodyEnd) {
    PinPtr pin = pin_at({0, 0}, LEFT | DOT | CLOCK);
    make_PinVectors(pin.get());
    Vectors* drawing = pin->drawing;
    ASSERT_EQ(drawing->items->count, 4u);
    auto item = [&](int i) {
        ListNode* n = drawing->items->head;
        while (i--) n = n->next;
        return static_cast<Item*>(n->data);
    };
    EXPECT_EQ(as_Line(item(1))->pos, (Point{0, 300}));
    EXPECT_EQ(as_Line(item(1))->end, (Point{600, 0}));
    EXPECT_EQ(as_Line(item(2))->pos, (Point{0, -300}));
    EXPECT_EQ(as_Line(item(2))->end, (Point{600, 0}));
    const Circle* circle = as_Circle(item(3));
    EXPECT_EQ(circle->pos, (Point{-300, 0}));
    EXPECT_EQ(circle->on, (Point{0, 0})) << "the circle touches P";
    make_PinVectors(pin.get());
    EXPECT_EQ(pin->drawing, drawing) << "built once";
    PinPtr plain = pin_at({0, 0}, TOP);
    make_PinVectors(plain.get());
    EXPECT_EQ(plain->drawing->items->count, 1u);
}

TEST(PinPicking, DistanceIsToThePinLineAndMarksHits) {
    PinPtr power = pin_at({0, 0}, LEFT, PWR);
    EXPECT_DOUBLE_EQ(distance_Pin(power.get(), {-1000, 50}, 0, 10, 0x20), 50);
    EXPECT_EQ(power->state & 0x20, 0u);
    EXPECT_DOUBLE_EQ(distance_Pin(power.get(), {-2000, 0}, 0, 10, 0x20), 1000)
        << "a power pin is 1000 long even without SHORT";
    EXPECT_DOUBLE_EQ(distance_Pin(power.get(), {-500, 5}, 0, 10, 0x20), 5);
    EXPECT_EQ(power->state & 0x20, 0x20u);
    EXPECT_DOUBLE_EQ(distance_Pin(power.get(), {-500, 5}, 0x8000, 10, 0x20), 1e10);
}

TEST(PinPicking, NearestPinSkipsPowerPinsUnlessAsked) {
    PinList* raw = new_PinList();
    std::unique_ptr<PinList, void (*)(PinList*)> list(raw, [](PinList* l) { free_PinList(l); });
    Pin* found = reinterpret_cast<Pin*>(1);
    EXPECT_DOUBLE_EQ(nearest_Pin(list.get(), {0, 0}, &found, 0, 10, 0, true), 1e10);
    EXPECT_EQ(found, nullptr);
    Pin* power = sample_pin("V", PWR, LEFT, {0, 0}, 1, 1);
    Pin* far = sample_pin("A", PAS, LEFT, {0, 100}, 1, 2);
    Pin* same = sample_pin("B", PAS, LEFT, {0, 100}, 1, 3);
    dlist_append(list->pins, power);
    dlist_append(list->pins, far);
    dlist_append(list->pins, same);
    EXPECT_DOUBLE_EQ(nearest_Pin(list.get(), {-10, 0}, &found, 0, 10, 0, false), 100);
    EXPECT_EQ(found, far) << "the first of equally near pins";
    EXPECT_DOUBLE_EQ(nearest_Pin(list.get(), {-10, 0}, &found, 0, 10, 0, true), 0);
    EXPECT_EQ(found, power);
}

TEST(PinPicking, SelectionMarksPinsWhosePositionLiesInTheArea) {
    flagop_reset();
    View view;
    view.select = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    view.select_active = 1;
    PinList* raw = new_PinList();
    std::unique_ptr<PinList, void (*)(PinList*)> list(raw, [](PinList* l) { free_PinList(l); });
    EXPECT_TRUE(select_PinList(&view, list.get(), STATE_SELECTED, FLAGOP_OR, 0, true))
        << "an empty list";
    Pin* inside = sample_pin("A", PAS, LEFT, {50, 50}, 1, 1);
    Pin* power_out = sample_pin("V", PWR, LEFT, {500, 50}, 1, 2);
    dlist_append(list->pins, inside);
    dlist_append(list->pins, power_out);
    EXPECT_TRUE(select_PinList(&view, list.get(), STATE_SELECTED, FLAGOP_OR, 0, false));
    EXPECT_EQ(inside->state, 1u | STATE_SELECTED | STATE_BOTH_ENDS);
    EXPECT_FALSE(select_PinList(&view, list.get(), STATE_SELECTED, FLAGOP_OR, 0, true));
    EXPECT_FALSE(select_PinList(&view, nullptr, STATE_SELECTED, FLAGOP_OR, 0, true));
    EXPECT_FALSE(select_Pin(&view, inside, STATE_SELECTED, FLAGOP_OR, 0x4000));
    view.select.clear();
    EXPECT_FALSE(select_Pin(&view, inside, STATE_SELECTED, FLAGOP_OR, 0));
}

TEST(PinNumbers, LookUpAndCompareByDevice) {
    PinList* raw = sample_normal_pins(2);
    std::unique_ptr<PinList, void (*)(PinList*)> list(raw, [](PinList* l) { free_PinList(l); });
    Pin* third = static_cast<Pin*>(list->pins->head->next->next->data);
    EXPECT_EQ(find_Pin_by_number(list.get(), "17", 1), third);
    EXPECT_EQ(find_Pin_by_number(list.get(), "17", 0), nullptr);
    EXPECT_EQ(find_Pin_by_number(list.get(), "17", 5), nullptr) << "past the table";
    EXPECT_FALSE(pin_has_number(third, "3", -1));

    PinList* copied = copy_PinList(list.get(), 2);
    std::unique_ptr<PinList, void (*)(PinList*)> copy(copied, [](PinList* l) { free_PinList(l); });
    EXPECT_TRUE(pinlist_numbers_equal(list.get(), copy.get(), 2));
    set_pin_number(static_cast<Pin*>(copy->pins->tail->data), 1, "99");
    EXPECT_FALSE(pinlist_numbers_equal(list.get(), copy.get(), 2));
    EXPECT_TRUE(pinlist_numbers_equal(list.get(), copy.get(), 1)) << "device 1 not compared";
    free_Pin(static_cast<Pin*>(copy->pins->tail->data));
    dlist_remove_tail(copy->pins, nullptr);
    EXPECT_FALSE(pinlist_numbers_equal(list.get(), copy.get(), 1));
    EXPECT_TRUE(pinlist_numbers_equal(nullptr, nullptr, 1));

    PinPtr none = pin_at({0, 0}, LEFT, PAS, 0);
    PinPtr one = pin_at({0, 0}, LEFT, PAS, 1);
    EXPECT_TRUE(pin_numbers_equal(none.get(), none.get(), 1));
    EXPECT_FALSE(pin_numbers_equal(none.get(), one.get(), 1));
    one->id = 9;
    PinPtr copy_of_one(copy_Pin(one.get(), 0));
    EXPECT_EQ(copy_of_one->numbers.size(), 1u) << "N 0 copies one number";
    EXPECT_EQ(copy_of_one->drawing, nullptr);
    EXPECT_EQ(copy_of_one->id, 0u) << "a copy is another record";
}

// --- file forms ---------------------------------------------------------------------

TEST(PinFiles, APinWithoutATableWritesNoNumbersAndReadsOneForOneDevice) {
    reset_object_ids(1);
    PinPtr pin = pin_at({5, 6}, RIGHT | PIN_DISPLAY, PIN_IO, 0);
    Bytes record = bytes_written([&](FILE* f) { write_Pin(pin.get(), f); });
    const Bytes expected = {PIN_TAG, 'P', 0, PIN_IO, RIGHT | PIN_DISPLAY, 0, 0, 0, 5, 0, 0, 0, 6,
                            'g', 0, 0, 0, 1};
    EXPECT_EQ(record, expected);
    EXPECT_EQ(pin->id, 1u);
    PinPtr read(new_Pin(1));
    StreamPtr stream = stream_of(record);
    EXPECT_EQ(read_Pin(read.get(), stream.get(), 1), 0);
    EXPECT_STREQ(pin_number(read.get(), 0), "g") << "the id tag taken for the number";
}

TEST(PinFiles, ARecordWithoutIdReadsIdZero) {
    PinPtr pin = pin_at({5, 6}, LEFT, PAS, 3);
    Bytes record = bytes_written([&](FILE* f) { write_Pin(pin.get(), f); });
    Bytes no_id(record.begin(), record.end() - 5);
    no_id.push_back(LIST_END);
    PinPtr read(new_Pin(3));
    StreamPtr stream = stream_of(no_id);
    EXPECT_EQ(read_Pin(read.get(), stream.get(), 3), 0);
    EXPECT_EQ(read->id, 0u);
    EXPECT_EQ(std::fgetc(stream.get()), LIST_END);
}

TEST(PinFiles, AsciiFormLeavesOutTheDisplayBits) {
    PinPtr pin = pin_at({-5, 7}, BOTTOM | PIN_DISPLAY | PIN_SHOW_NAME | PIN_SHOW_NUMBER | CLOCK,
                        PIN_OC, 2);
    std::string text = text_written([&](FILE* f) { awrite_Pin(pin.get(), f, 1, 2); });
    EXPECT_EQ(text, "  (PIN 'P' CLOCK OC BOTTOM (POS -5 7 ) \n    '1' '15' \n  )\n");
    PinPtr bare = pin_at({0, 0}, LEFT, 0, 0);
    text = text_written([&](FILE* f) { awrite_Pin(bare.get(), f, 0, 1); });
    EXPECT_EQ(text, "(PIN 'P' LEFT (POS 0 0 ) \n)\n");
}

}  // namespace
