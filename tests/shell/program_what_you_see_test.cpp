// What the sheet shows is what the netlist holds, through the real window
// from a fresh install: the amplifier of the example with its op-amp's
// supply symbols on the drawn ends of the supply pins (a short wire over
// each) and its feedback not yet drawn. The user draws the feedback from
// the middle of the output wire to the feedback resistor (a T, routed
// round the op-amp), puts a supply symbol on the other half's supply pin,
// and drags the op-amp with Ctrl. After each gesture the saved sheet's
// nets, the SPICE netlist as ngspice solves it and the ERC report are read
// back: each holds what was drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "connectivity/netlist_test_tools.h"
#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;
namespace fs = std::filesystem;

// The op-amp's halves, the feedback resistor's free pin, the points the
// gestures use.
constexpr Point opamp{18000, 12000}, follower{18000, 25000};
constexpr Point feedback_pin{21000, 22000};     // R3's second pin
constexpr Point tee{27000, 14000};              // on the output wire
constexpr Point follower_supply{20000, 25000};  // the drawn end of its V+
constexpr Point drag_by{2000, 3000};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The example's amplifier as the user finds it, a sheet of its own with
// the sources that drive it.
std::string amplifier_source() {
    std::string text = tn_test::read_text(TN_TEST_DATA_DIR "/../../examples/amplifier.asc");
    text = replaced(text, "(POWER 'VCC' NO_ROT BAR (POS 20000 10000 )",
                    "(POWER 'VCC' NO_ROT BAR (POS 20000 12000 )");
    text = replaced(text, "(LINE (POS 20000 10000 ) (POS 20000 13000 )",
                    "(LINE (POS 20000 12000 ) (POS 20000 13000 )");
    text = replaced(text, "(LINE (POS 20000 15000 ) (POS 20000 18000 )",
                    "(LINE (POS 20000 15000 ) (POS 20000 16000 )");
    text = replaced(text, "(POWER 'GND' ROT_180 GND1 (POS 20000 18000 )",
                    "(POWER 'GND' ROT_180 GND1 (POS 20000 16000 )");
    for (const char* gone : {"    (JUNCTION (POS 27000 14000 ) MEDIUM CIRCULAR  )\n",
                             "    (LINE (POS 21000 22000 ) (POS 27000 22000 )  )\n",
                             "    (LINE (POS 27000 22000 ) (POS 27000 14000 )  )\n"})
        text = replaced(text, gone, "");
    std::string sources;
    int y = 33000;
    for (const char* line : {"VSIG IN 0 DC 0.5", "VSUP VCC 0 DC 12", "RTIE VCC VDD 1", ".op"}) {
        sources += "    (TEXT 0 (POS 3000 " + std::to_string(y) +
                   " ) (SIZE 500 700 ) '&SPICE:" + line + "' )\n";
        y += 1000;
    }
    return replaced(text, "  )\n  (LIB '$ACTIVE$'", sources + "  )\n  (LIB '$ACTIVE$'");
}

std::string at(int code, Point p) {
    return std::to_string(code) + "@" + std::to_string(p.x) + "," + std::to_string(p.y);
}

int junctions_at(const std::string& file, Point p) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return -1;
    int n = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        n += item->type == JUNCTION_ITEM && item->pos == p;
    close_schema(nullptr, &schema);
    return n;
}

class WhatYouSeeDrawn : public NewUserProgram {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NewUserProgram::SetUp());
        sheet = compiled_sheet("amp", amplifier_source());
    }

    void Save() {
        const auto before = fs::last_write_time(sheet);
        keys(frame, "ctrl+s");
        ASSERT_TRUE(wait_until([&] {
            std::error_code ec;
            return fs::last_write_time(sheet, ec) != before;
        })) << "the sheet was not saved";
    }

    // The SPICE netlist of the sheet and what ngspice solves of it: the
    // output at eleven times the input's 0.5 V.
    void ExpectSpiceSolves(const std::string& step) {
        const std::string deck = dir.file(step + ".cir");
        ASSERT_NO_FATAL_FAILURE(SpiceNetlist(deck));
        // Done when the deck's last line is written.
        ASSERT_TRUE(wait_until([&] {
            return fs::exists(deck) && tn_test::read_text(deck).find("\n.end") != std::string::npos;
        })) << program.LogText();
        const std::string netlist = tn_test::read_text(deck);
        const std::string solved = net_test::run_ngspice(deck);
        const std::optional<double> out = net_test::node_voltage(solved, "out");
        ASSERT_TRUE(out) << netlist << solved;
        EXPECT_NEAR(*out, 5.5, 0.01) << netlist << solved;
    }

    // The ERC's report lists no connection point left alone.
    void ExpectErcFindsNothingUnconnected() {
        const std::string title = "Tessaron: ERC";
        ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+t", "e", title));
        auto field = program.WaitControl(title, "Output File:");
        ASSERT_TRUE(field);
        const std::string report = field->value;
        fs::remove(report);
        ASSERT_NO_FATAL_FAILURE(Press(title, "Execute"));
        ASSERT_TRUE(program.WaitGone(title));
        ASSERT_TRUE(wait_until([&] {
            return fs::exists(report) &&
                   tn_test::read_text(report).find("Final Report") != std::string::npos;
        })) << program.LogText();
        const std::string text = tn_test::read_text(report);
        const size_t from = text.find("Unconnected Pins :");
        ASSERT_NE(from, std::string::npos) << text;
        const size_t to = text.find("=====", from);
        const std::string listed = text.substr(from, to - from);
        EXPECT_EQ(listed.find_first_not_of("\r\n -", listed.find('\n')), std::string::npos) << text;
    }

    void Check(const std::string& step) {
        SCOPED_TRACE(step);
        ASSERT_NO_FATAL_FAILURE(Save());
        ASSERT_NO_FATAL_FAILURE(ExpectSpiceSolves(step));
        ASSERT_NO_FATAL_FAILURE(ExpectErcFindsNothingUnconnected());
    }

    std::string sheet;
};

TEST_F(WhatYouSeeDrawn, TheFeedbackASupplySymbolAndADragKeepTheNetsAsDrawn) {
    ASSERT_NO_FATAL_FAILURE(StartAsNewUser({"amp.sch"}, dir.path().string()));
    ASSERT_NO_FATAL_FAILURE(FindSheet("Sheet: amp.sch"));

    // The feedback: a wire from the middle of the output wire (a T) to the
    // resistor's free pin, routed round the op-amp's output pin and body.
    menu(frame, "alt+p", "w");
    ASSERT_NO_FATAL_FAILURE(ClickAt(tee));
    ASSERT_NO_FATAL_FAILURE(ClickAt(feedback_pin));
    ASSERT_NO_FATAL_FAILURE(ClickAt(feedback_pin, 3));
    keys(frame, "Escape");
    ASSERT_NO_FATAL_FAILURE(Check("feedback"));
    EXPECT_EQ(junctions_at(sheet, tee), 1) << "the T shows no junction";
    const std::vector<std::string> out = net_holding(sheet, member(opamp, "OUT"));
    EXPECT_TRUE(holds(out, member(Point{18000, 21500}, "2"))) << "the feedback is not joined";
    EXPECT_TRUE(holds(out, at(14, Point{33000, 14000})));
    EXPECT_EQ(slanted_wires(sheet), 0);

    // A supply symbol on the drawn end of the follower's supply pin.
    const std::string power = "Tessaron: Add/Edit Power";
    ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+p", "e", power));
    ASSERT_NO_FATAL_FAILURE(Type(power, "Power Name:", "VDD"));
    ASSERT_NO_FATAL_FAILURE(Choose(power, "Power Style:", 2));  // Bar
    ASSERT_NO_FATAL_FAILURE(Choose(power, "Orientation:", 2));  // Up
    ASSERT_NO_FATAL_FAILURE(Press(power, "Add"));
    ASSERT_TRUE(program.WaitGone(power));
    // The jobs' dialogs came and went: where the sheet stands is found anew.
    ASSERT_NO_FATAL_FAILURE(Calibrate());
    ASSERT_NO_FATAL_FAILURE(ClickAt(follower_supply));
    keys(frame, "Escape");
    ASSERT_NO_FATAL_FAILURE(Check("supply"));
    EXPECT_TRUE(holds(net_holding(sheet, member(follower, "V+")), at(12, follower_supply)))
        << "the symbol on the supply pin's drawn end is not on its net";

    // The op-amp dragged with Ctrl: its supply symbols and the wires over
    // its supply pins go with it, every net stays as it was.
    const auto before = nets_of(sheet);
    ASSERT_NO_FATAL_FAILURE(Calibrate());
    const Point edge{opamp.x, opamp.y + 2000};
    ASSERT_NO_FATAL_FAILURE(Aim(edge));
    run("xdotool keydown ctrl mousedown 1");
    ASSERT_NO_FATAL_FAILURE(Aim(Point{edge.x + drag_by.x / 2, edge.y + drag_by.y / 2 + 500}));
    ASSERT_NO_FATAL_FAILURE(Aim(Point{edge.x + drag_by.x, edge.y + drag_by.y}));
    run("xdotool mouseup 1 keyup ctrl");
    ASSERT_NO_FATAL_FAILURE(Check("drag"));
    const Point moved{opamp.x + drag_by.x, opamp.y + drag_by.y};
    auto now_at = [&](std::string name) {
        for (const auto& [from, to] :
             {std::pair{member(opamp, ""), member(moved, "")},
              std::pair{at(12, Point{20000, 12000}), at(12, Point{22000, 15000})},
              std::pair{at(12, Point{20000, 16000}), at(12, Point{22000, 19000})}})
            if (name.rfind(from, 0) == 0) name.replace(0, from.size(), to);
        return name;
    };
    auto expected = before;
    for (auto& net : expected) {
        for (std::string& name : net) name = now_at(name);
        std::sort(net.begin(), net.end());
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(nets_of(sheet), expected) << "the drag changed a net";
    EXPECT_EQ(slanted_wires(sheet), 0);

    EXPECT_TRUE(exit_program(program, frame));
}

}  // namespace
