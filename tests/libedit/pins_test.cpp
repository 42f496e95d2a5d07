// The pins of the part under edit: their numbers and pinout lines, the
// rows of the pin dialogs, what the dialogs change, the search for a pin
// and the Add Pin tool driven by editing events.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit_pins.h"
#include "libedit_fixture.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "support/test_env.h"

using namespace libedit_test;

namespace {

Pin* pin_with(int devices, const char* name, uint8_t type) {
    Pin* pin = new_Pin(devices);
    pin->name.set(name);
    pin->type = type;
    return pin;
}

std::vector<std::string> numbers(const Pin* pin) {
    std::vector<std::string> all;
    for (const ShortString& n : pin->numbers) all.emplace_back(n.get());
    return all;
}

TEST(PinNumbers, TokensFillTheDevicesFromTheIndexAndTheRestIsDropped) {
    Pin* pin = pin_with(3, "A", PIN_IN);
    int index = 0;
    parse_pin_numbers(pin, 3, "1, 2 ,3", &index);
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(index, 2);  // the last token does not move on
    index = 0;
    parse_pin_numbers(pin, 3, "4,\t5,6,7", &index);
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"4", "5", "6"}));
    // From device 1 on, device 0 untouched; a pin without a table gets one.
    index = 1;
    parse_pin_numbers(pin, 3, "8", &index);
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"4", "8", "6"}));
    Pin* bare = new_Pin(0);
    index = 0;
    parse_pin_numbers(bare, 2, " 9 ", &index);
    EXPECT_EQ(numbers(bare), (std::vector<std::string>{"9", ""}));
    EXPECT_EQ(join_pin_numbers(pin, 3), "4,8,6");
    pin->type = PWR;  // a power pin shows its first number only
    EXPECT_EQ(join_pin_numbers(pin, 3), "4");
    free_Pin(pin);
    free_Pin(bare);
}

TEST(PinNumbers, PinoutLinesKeepTheirColumnsAndCutWhatIsTooLong) {
    Pin* pin = pin_with(1, "CLK", PIN_IN);
    pin->flags = CLOCK | DOT;
    set_pin_number(pin, 0, "123456789012345");  // 15 characters stay whole
    std::string line = pinout_line(pin, 1);
    EXPECT_EQ(line.substr(0, 16), "123456789012345 ");
    EXPECT_EQ(line.substr(16, 9), "CLK      ");
    EXPECT_EQ(line.substr(25), "Dot Clock  In      ");
    set_pin_number(pin, 0, "1234567890123456");  // 16: 12 and "..."
    pin->name.set("ABCDEFGHI");                  // 9 characters: 5 and "..."
    pin->type = PIN_HIZ;
    pin->flags = 0;
    line = pinout_line(pin, 1);
    EXPECT_EQ(line, "123456789012... ABCDE... Line       3 Stat. ");
    pin->name.set("ABCDEFGH");  // 8 fit
    EXPECT_EQ(pinout_line(pin, 1).substr(16, 9), "ABCDEFGH ");
    free_Pin(pin);
}

TEST(PinNumbers, TheNextFreeNumberAndTheDuplicatesOfAList) {
    PinList* list = new_PinList();
    for (const char* n : {"1", "2", "4", "0", "6000"}) {
        Pin* pin = pin_with(1, "P", PIN_IN);
        set_pin_number(pin, 0, n);
        append_or_die(list->pins, pin);
    }
    Pin* unnumbered = new_Pin(0);  // its name counts
    unnumbered->name.set("3");
    append_or_die(list->pins, unnumbered);
    EXPECT_EQ(pin_next_free_number(list, 1), 5);
    EXPECT_EQ(pin_duplicated_numbers(list, 1), "");
    free_PinList(list);

    // Thirteen numbers twice over: eleven listed and "..."; power pins never count.
    list = new_PinList();
    for (int n = 1; n <= 13; ++n)
        for (int twice = 0; twice < 2; ++twice) {
            Pin* pin = pin_with(1, "P", PIN_IN);
            set_pin_number(pin, 0, std::to_string(n).c_str());
            append_or_die(list->pins, pin);
        }
    Pin* power = pin_with(1, "VCC", PWR);
    set_pin_number(power, 0, "20");
    append_or_die(list->pins, power);
    Pin* ground = pin_with(1, "GND", PWR);
    set_pin_number(ground, 0, "20");
    append_or_die(list->pins, ground);
    EXPECT_EQ(pin_duplicated_numbers(list, 1), "1,2,3,4,5,6,7,8,9,10,11...");
    free_PinList(list);
}

// The numbers counted end at 4999: a list that uses every one of them
// starts again at 1, 4999 is the last one offered, and a number of 5000 or
// more is no number (two of them are no duplicate).
TEST(PinNumbers, TheNumbersCountedEndAt4999) {
    auto numbered = [](PinList* list, const std::string& number) {
        Pin* pin = pin_with(1, "P", PIN_IN);
        set_pin_number(pin, 0, number.c_str());
        append_or_die(list->pins, pin);
    };
    PinList* list = new_PinList();
    for (int n = 1; n <= 4998; ++n) numbered(list, std::to_string(n));
    numbered(list, "5000");
    numbered(list, "5000");
    EXPECT_EQ(pin_next_free_number(list, 1), 4999);
    EXPECT_EQ(pin_duplicated_numbers(list, 1), "");
    numbered(list, "4999");
    numbered(list, "4999");
    EXPECT_EQ(pin_next_free_number(list, 1), 1);
    EXPECT_EQ(pin_duplicated_numbers(list, 1), "4999");
    free_PinList(list);
}

TEST(PinRows, TypesAndShapesTheirRowsAndTheKeysCycles) {
    EXPECT_EQ(pin_type_of_row(6), PIN_OC);
    EXPECT_EQ(pin_type_of_row(3), PWR);
    EXPECT_EQ(pin_row_of_type(PIN_HIZ), 5);
    EXPECT_EQ(pin_type_of_row(9), PIN_IN);  // outside the table
    EXPECT_EQ(pin_row_of_type(9), -1);
    EXPECT_EQ(pin_shape_of_row(4), DOT | CLOCK);
    EXPECT_EQ(pin_row_of_shape(CLOCK), 2);
    EXPECT_EQ(pin_row_of_shape(SHORT | DOT), -1);
    for (int row = 0; row < PIN_TYPE_ROWS; ++row)
        EXPECT_EQ(pin_row_of_type(pin_type_of_row(row)), row);
    // T: In, Out, Input/Output, Power, Passive, 3 States, Open Col., Open Emit.
    std::string types;
    int type = PIN_IN;
    for (int i = 0; i < 8; ++i, type = pin_next_type(type)) types += std::to_string(type);
    EXPECT_EQ(types, "12367845");
    EXPECT_EQ(type, PIN_IN);
    // X: Line, Short, Dot, Clock, Dot Clock.
    std::string shapes;
    int shape = 0;
    for (int i = 0; i < 5; ++i, shape = pin_next_shape(shape)) shapes += std::to_string(shape);
    EXPECT_EQ(shapes, "01246");
    EXPECT_EQ(shape, 0);
    EXPECT_EQ(pin_next_shape(SHORT | DOT), SHORT | DOT);
}

TEST(PinRows, TheDevicePromptIsCutAtThirtyCharacters) {
    EXPECT_EQ(pin_device_prompt(0, 1), "Reference for Device A");
    EXPECT_EQ(pin_device_prompt(1, 3), "Reference for Device B,C");
    EXPECT_EQ(pin_device_prompt(0, 5), "Reference for Device A,B,C,D,E");
    EXPECT_EQ(pin_device_prompt(0, 6), "Reference for Device A,B,C,D,E...");
    // Past 'Z' the letters go on in the character set.
    EXPECT_EQ(pin_device_prompt(26, 27), "Reference for Device [");
}

class PinsTest : public LibEditTest {
protected:
    void SetUp() override {
        LibEditTest::SetUp();
        start(2);
    }
    // Two devices, a body 4000 x 3000 at (10000, 10000): "A" on the left
    // (numbers 1 and 2), "VCC" on the top.
    Part* two_devices() {
        Part* part = add_part("U1", 2, 4000, 3000, false);
        get_part("U1");
        return part;
    }
    Pin* last_pin(Part* part) {
        return static_cast<Pin*>(dlist_tail(part->normal_pins->pins)->data);
    }
    tn_test::TempDir dir;
};

TEST_F(PinsTest, TheAddPinToolPutsPinsOnTheBodyEdgeAndAsksTheirNumbers) {
    Part* part = two_devices();
    ASSERT_NE(start_add_pin_mode(&session, SHORT, PIN_OUT, "Q", nullptr), nullptr);
    EXPECT_STREQ(ModeName(&session, 1), "Add Pin");
    EXPECT_EQ(host.prompt, "Click Pin position");
    click(Point{14000, 11000});  // picks the body: the pin follows on its right edge
    move(Point{14000, 11500});
    EXPECT_GT(host.shown, 0);
    lib_host.answers = {std::string("5,6")};
    click(Point{14000, 11500});
    ASSERT_EQ(pinlist_count(part->normal_pins), 3);
    Pin* pin = last_pin(part);
    EXPECT_EQ(lib_host.asked, (std::vector<std::string>{"Reference for Device A,B|3"}));
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"5", "6"}));
    EXPECT_STREQ(pin->name.get(), "Q");
    EXPECT_EQ(pin->type, PIN_OUT);
    EXPECT_EQ(pin->flags, RIGHT | SHORT);
    EXPECT_EQ(pin->pos, (Point{4000, 1500}));
    EXPECT_TRUE(schema_is_modified(doc()));

    // The next pin has no name; its numbers are asked device by device.
    session_key(&session, 't');  // Out -> Input/Output
    session_key(&session, 'x');  // Short -> Dot
    lib_host.asked.clear();
    lib_host.answers = {std::string("7"), std::string("8")};
    click(Point{11000, 13000});  // the bottom edge
    ASSERT_EQ(pinlist_count(part->normal_pins), 4);
    pin = last_pin(part);
    EXPECT_EQ(lib_host.asked,
              (std::vector<std::string>{"Reference for Device A,B|3", "Reference for Device B|3"}));
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"7", "8"}));
    EXPECT_STREQ(pin->name.get(), "");
    EXPECT_EQ(pin->type, PIN_IO);
    EXPECT_EQ(pin->flags, BOTTOM | DOT);

    // A right click ends the tool and asks for the pin dialog again.
    right_click(Point{11000, 13000});
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(host.shown, 0);
    EXPECT_EQ(lib_host.commands, (std::vector<int>{LIBEDIT_CMD_PIN}));
}

TEST_F(PinsTest, ACancelledNumberTakesThePinAwayAndLeavesTheDocumentUnmarked) {
    Part* part = two_devices();
    start_add_pin_mode(&session, 0, PIN_IN, nullptr, "9");
    click(Point{10000, 11000});
    lib_host.answers = {std::nullopt};  // device B's number: Cancel
    click(Point{10000, 12000});
    EXPECT_EQ(lib_host.asked, (std::vector<std::string>{"Reference for Device B|3"}));
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);
    EXPECT_FALSE(schema_is_modified(doc()));
    EXPECT_EQ(host.modified, 0);
    // A converted form without pins keeps none after a cancel.
    EXPECT_EQ(part->convert_pins, nullptr);
}

TEST_F(PinsTest, StackingAPinAsksFirstAndNoBodyUnderTheClickRings) {
    Part* part = two_devices();
    start_add_pin_mode(&session, 0, PIN_IN, nullptr, nullptr);
    click(Point{50000, 50000});
    EXPECT_EQ(host.bells, 1);
    click(Point{10000, 11500});  // where "A" stands
    Pin probe;
    probe.pos = Point{0, 1500};
    EXPECT_TRUE(pin_duplicate(&ed, libedit_first_placed(&ed), &probe));
    script_answers({ANSWER_CANCEL});
    click(Point{10000, 11500});
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);
    EXPECT_EQ(lib_host.asked.size(), 0u);
}

TEST_F(PinsTest, WithoutABodyTheToolRefuses) {
    EXPECT_EQ(start_add_pin_mode(&session, 0, PIN_IN, nullptr, nullptr), nullptr);
    EXPECT_EQ(host.bells, 1);
    EXPECT_EQ(last_box_text(), "Place Body First !!!");
}

TEST_F(PinsTest, ChangeKeepsTheSideAndWhatThePinShows) {
    Part* part = two_devices();
    Pin* pin = static_cast<Pin*>(dlist_head(part->normal_pins->pins)->data);
    pin->flags = LEFT | PIN_DISPLAY | PIN_SHOW_NAME | PIN_SHOW_NUMBER | DOT;
    PinFields fields{"11", "RESET", 1, 1};  // "Out", "Short"
    ASSERT_TRUE(libedit_change_pin(&ed, pin, 1, fields));
    EXPECT_EQ(pin->flags, LEFT | PIN_DISPLAY | PIN_SHOW_NAME | PIN_SHOW_NUMBER | SHORT);
    EXPECT_EQ(pin->type, PIN_OUT);
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"1", "11"}));  // device B's
    EXPECT_STREQ(pin->name.get(), "RESET");
    EXPECT_STREQ(strproper_get(PIN_NAME), "RESET");
    EXPECT_EQ(proper_get(PIN_SHAPE), SHORT);
    EXPECT_TRUE(schema_is_modified(doc()));
    // Undo brings the pin back as it was.
    libedit_undo(&ed);
    pin = static_cast<Pin*>(dlist_head(part->normal_pins->pins)->data);
    EXPECT_STREQ(pin->name.get(), "A");
    // A pin that is not the part's is left alone.
    Pin stray;
    EXPECT_FALSE(libedit_change_pin(&ed, &stray, 0, fields));
}

TEST_F(PinsTest, ThePinoutListsAndAppliesOnePinAtATime) {
    Part* part = two_devices();
    EXPECT_EQ(pinout_lines(&ed, false),
              (std::vector<std::string>{"1,2             A        Line       In      ",
                                        "                VCC      Line       Power   "}));
    EXPECT_TRUE(pinout_lines(&ed, true).empty());
    PinFields fields = pinout_fields_of(pinout_pin(&ed, false, 0), 2);
    EXPECT_EQ(fields.numbers, "1,2");
    EXPECT_EQ(fields.type_row, 0);
    fields.numbers = "3, 4";
    fields.type_row = 6;   // "Open Col."
    fields.shape_row = 4;  // "Dot Clock"
    ASSERT_TRUE(pinout_apply(&ed, false, 0, fields));
    Pin* pin = pinout_pin(&ed, false, 0);
    EXPECT_EQ(numbers(pin), (std::vector<std::string>{"3", "4"}));
    EXPECT_EQ(pin->type, PIN_OC);
    EXPECT_EQ(pin->flags & 7, DOT | CLOCK);
    EXPECT_FALSE(pinout_apply(&ed, false, 5, fields));
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);
}

TEST_F(PinsTest, FindPinGoesToTheDeviceAndFormThatHoldTheNumber) {
    Part* part = add_part("Q3", 3, 2000, 2000, true);
    part->convert_pins = new_PinList();
    Pin* converted = pin_with(3, "B", PIN_IN);
    converted->pos = Point{2000, 500};
    for (int i = 0; i < 3; ++i) set_pin_number(converted, i, std::to_string(7 + i).c_str());
    set_pin_number(converted, 2, "3");
    append_or_die(part->convert_pins->pins, converted);
    get_part("Q3");
    Point at;
    // "3" is device C's number on both forms: the converted one is searched first.
    ASSERT_TRUE(find_pin_position(&ed, false, "3", true, &at));
    EXPECT_EQ(at,
              (Point{10000 + 2000 + LIBEDIT_GAP + 2000, 10000 + 2 * (2000 + LIBEDIT_GAP) + 500}));
    ASSERT_TRUE(find_pin_position(&ed, false, "3", false, &at));
    EXPECT_EQ(at, (Point{10000, 10000 + 2 * (2000 + LIBEDIT_GAP) + 1000}));
    ASSERT_TRUE(find_pin_position(&ed, true, "vcc", false, &at));
    EXPECT_EQ(at, (Point{11000, 10000}));
    EXPECT_TRUE(libedit_find_pin(&ed, false, "8"));
    EXPECT_FALSE(libedit_find_pin(&ed, true, "NOPE"));
    EXPECT_EQ(host.prompt, "Item not found !");
    EXPECT_EQ(host.bells, 1);
}

TEST_F(PinsTest, DuplicatedNumbersAreReportedWhenAnotherPartIsLoaded) {
    Part* part = two_devices();
    Pin* pin = pin_with(2, "B", PIN_IN);
    set_pin_number(pin, 0, "2");
    append_or_die(part->normal_pins->pins, pin);
    add_part("OTHER", 1, 1000, 1000, false);
    get_part("OTHER");
    EXPECT_EQ(last_box_text(), "Some of the references are Duplicated:\n2\n(Normal form)");
}

TEST_F(PinsTest, DuplicatedNumbersAreReportedWhenTheLibraryIsSavedAndItIsSaved) {
    Part* part = two_devices();
    Pin* pin = pin_with(2, "B", PIN_IN);
    set_pin_number(pin, 0, "2");
    append_or_die(part->normal_pins->pins, pin);
    const std::string file = dir.file("twice.clb");
    ASSERT_EQ(libedit_save_library(&ed, file.c_str()), 0);
    EXPECT_EQ(last_box_text(), "Some of the references are Duplicated:\n2\n(Normal form)");
    EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace
