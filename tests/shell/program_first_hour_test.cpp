// The first hour of a new user, as one run of the real program: a fresh
// install (an empty home folder, no settings), a window manager, the
// program started as the README's run command starts it on a copy of the
// example, and every step done through the window with real pointer and
// key events, the pointer put where the status line shows the point the
// user wants. What the user made is read back from the files the program
// writes: the saved sheet's nets, the SPICE netlist as ngspice solves it,
// and the ERC report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "connectivity/netlist_test_tools.h"
#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/text.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;
using tn_test::Control;
namespace fs = std::filesystem;

// Points of the example's amplifier sheet. The op-amp's output pin ends at
// `opamp_out`; the user's load goes above the op-amp: a resistor from Load
// Part whose pins end at (23000, 9000) and (27000, 9000), one from the
// palette whose pins end at (32000, 9000) and (36000, 9000), a ground on
// the second one's free pin, and a label on the wire between them.
constexpr Point opamp_out{23000, 14000};
constexpr Point first_res{24000, 8000};
constexpr Point second_res{33000, 8000};
constexpr Point first_pin1{23000, 9000}, first_pin2{27000, 9000};
constexpr Point second_pin1{32000, 9000}, second_pin2{36000, 9000};
constexpr Point label_at{28000, 9000};
// Where the second resistor is dragged to, with its wire and its ground.
constexpr Point drag_by{0, 2000};

// What a placed part of a saved sheet shows, by its place.
struct SavedPart {
    std::string reference;
    std::string value;
};

std::map<std::string, SavedPart> parts_of(const std::string& file) {
    std::map<std::string, SavedPart> parts;
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return parts;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* part = as_PlacedPart(item);
        Attribute* reference = pl_get_attribute(part, 0);
        Attribute* value = pl_get_attribute(part, 1);
        parts[std::to_string(item->pos.x) + "," + std::to_string(item->pos.y)] =
            SavedPart{reference ? reference->text.get() : "", value ? value->text.get() : ""};
    }
    close_schema(nullptr, &schema);
    return parts;
}

// The labels of a saved sheet, by their text: their places.
std::vector<std::pair<std::string, Point>> labels_of(const std::string& file) {
    std::vector<std::pair<std::string, Point>> labels;
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return labels;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == TEXT_ITEM && (item->flags & 0xC0) == 0x80)
            labels.emplace_back(as_Text(item)->string, item->pos);
    close_schema(nullptr, &schema);
    return labels;
}

class FirstHour : public NewUserProgram {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NewUserProgram::SetUp());
        CopyExampleProject();
        settings = dir.path() / "config" / "tessaron";
        ASSERT_FALSE(fs::exists(settings));
    }

    fs::path settings;
};

TEST_F(FirstHour, ANewUserDrawsWiresLabelsAnnotatesAndTheNetlistRunsInNgspice) {
    ASSERT_NO_FATAL_FAILURE(StartInProject());

    // Into the amplifier: Place > Open Subsheet, the menu's last entry.
    menu(frame, "alt+p", "Up Return");
    ASSERT_NO_FATAL_FAILURE(FindSheet("Sheet: amplifier.sch"));

    // A resistor from Load Part: the example's library is offered.
    ASSERT_TRUE(LoadPart("RES")) << "Load Part lists no resistor of the example's library";
    ASSERT_NO_FATAL_FAILURE(ClickAt(first_res));
    keys(frame, "Escape");

    // Another from the palette: put on it on Load Part's second page, the
    // palette shown, its entry clicked.
    keys(frame, "ctrl+g");
    ASSERT_TRUE(settled_window(program, "Load Part"));
    auto pattern = Nth("Load Part", "wxTextCtrl", 0);
    ASSERT_TRUE(pattern);
    program.Click(*pattern);
    program.Keys("ctrl+Page_Down");
    auto library = program.WaitControl("Load Part", "Library");
    ASSERT_TRUE(library);
    Control first_line = *library;
    first_line.h = 20;
    program.Click(first_line);
    // Down the parts list from its top to RES.
    auto parts = program.WaitControl("Load Part", "Parts");
    ASSERT_TRUE(parts);
    program.Click(*parts);
    program.Keys("Home");
    std::string chosen;
    for (int step = 0; step < 10 && chosen != "RES"; ++step) {
        const std::string before = chosen;
        if (step > 0) program.Keys("Down");
        auto list = program.WaitFor(
            [&](const std::vector<Control>&) -> std::optional<Control> {
                auto now = program.WaitControl("Load Part", "Parts");
                return now && !now->value.empty() && now->value != before ? now : std::nullopt;
            },
            "the next part chosen");
        ASSERT_TRUE(list);
        chosen = list->value;
    }
    ASSERT_EQ(chosen, "RES");
    ASSERT_NO_FATAL_FAILURE(Press("Load Part", "Add >>"));
    ASSERT_NO_FATAL_FAILURE(Press("Load Part", "&OK"));
    ASSERT_TRUE(program.WaitGone("Load Part"));
    menu(frame, "alt+v", "p");  // View > Part Palette
    auto entry = Find([](const Control& c) { return c.kind == "wxButton" && c.label == "RES"; },
                      "the palette's RES");
    ASSERT_TRUE(entry);
    // The palette stands beside the drawing, which has narrowed.
    ASSERT_NO_FATAL_FAILURE(Calibrate());
    program.Click(*entry);
    ASSERT_NO_FATAL_FAILURE(ClickAt(second_res));
    keys(frame, "Escape");

    // Wires: from the op-amp's output to the first resistor, and from it
    // to the second.
    menu(frame, "alt+p", "w");
    ASSERT_NO_FATAL_FAILURE(ClickAt(opamp_out));
    ASSERT_NO_FATAL_FAILURE(ClickAt(first_pin1));
    ASSERT_NO_FATAL_FAILURE(ClickAt(first_pin1, 3));
    ASSERT_NO_FATAL_FAILURE(ClickAt(first_pin2));
    ASSERT_NO_FATAL_FAILURE(ClickAt(second_pin1));
    ASSERT_NO_FATAL_FAILURE(ClickAt(second_pin1, 3));
    keys(frame, "Escape");

    // A ground on the second resistor's free pin: Place > Power.
    ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+p", "e", "Tessaron: Add/Edit Power"));
    ASSERT_NO_FATAL_FAILURE(Type("Tessaron: Add/Edit Power", "Power Name:", "GND"));
    ASSERT_NO_FATAL_FAILURE(Choose("Tessaron: Add/Edit Power", "Power Style:", 4));  // Gnd (1)
    ASSERT_NO_FATAL_FAILURE(Choose("Tessaron: Add/Edit Power", "Orientation:", 3));  // Down
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: Add/Edit Power", "Add"));
    ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Power"));
    ASSERT_NO_FATAL_FAILURE(ClickAt(second_pin2));
    keys(frame, "Escape");

    // A label on the wire between the resistors, renamed by a double click
    // on it.
    ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+p", "t", "Tessaron: Add/Edit Text"));
    ASSERT_NO_FATAL_FAILURE(Type("Tessaron: Add/Edit Text", "Text:", "MID"));
    ASSERT_NO_FATAL_FAILURE(Pick("Tessaron: Add/Edit Text", "Type:", 1, 2, "Label"));
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: Add/Edit Text", "Add"));
    ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Text"));
    ASSERT_NO_FATAL_FAILURE(ClickAt(label_at));
    keys(frame, "Escape");
    ASSERT_NO_FATAL_FAILURE(DoubleClickAt(Point{label_at.x + 900, label_at.y - 450}));
    ASSERT_TRUE(settled_window(program, "Tessaron: Add/Edit Text"))
        << "a double click on the label opened nothing";
    ASSERT_NO_FATAL_FAILURE(Type("Tessaron: Add/Edit Text", "Text:", "LOAD"));
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: Add/Edit Text", "Change"));
    ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Text"));

    // Both resistors 10k, by a double click on each.
    for (Point part : {first_res, second_res}) {
        ASSERT_NO_FATAL_FAILURE(DoubleClickAt(Point{part.x + 1000, part.y + 1000}));
        ASSERT_TRUE(settled_window(program, "Tessaron: Edit Part"))
            << "a double click on a resistor opened nothing";
        auto field = Nth("Tessaron: Edit Part", "wxChoice", 0);
        ASSERT_TRUE(field);
        program.Click(*field);
        program.Keys("Home Down Return");  // the value
        auto value = program.WaitFor(
            [&](const std::vector<Control>&) -> std::optional<Control> {
                auto v = program.WaitControl("Tessaron: Edit Part", "Value:");
                return v && v->value == "RES" ? v : std::nullopt;
            },
            "the resistor's value shown");
        ASSERT_TRUE(value);
        program.TypeInto(*value, "10k");
        ASSERT_NO_FATAL_FAILURE(Press("Tessaron: Edit Part", "Accept"));
        ASSERT_TRUE(program.WaitGone("Tessaron: Edit Part"));
    }

    // The second resistor dragged down with Ctrl: its wire and its ground
    // come along.
    const Point body{second_res.x + 1000, second_res.y + 1000};
    ASSERT_NO_FATAL_FAILURE(Aim(body));
    run("xdotool keydown ctrl mousedown 1");
    ASSERT_NO_FATAL_FAILURE(Aim(Point{body.x + drag_by.x / 2, body.y + drag_by.y / 2}));
    ASSERT_NO_FATAL_FAILURE(Aim(Point{body.x + drag_by.x, body.y + drag_by.y}));
    run("xdotool mouseup 1 keyup ctrl");

    // Saved and closed: the root sheet comes forward.
    keys(frame, "ctrl+s");
    keys(frame, "ctrl+w");
    ASSERT_TRUE(program.WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (c.label.rfind("Sheet: amplifier.sch", 0) == 0) return std::nullopt;
            return all.empty() ? std::nullopt : std::optional<Control>(all.front());
        },
        "the amplifier's window closed"));

    // The project annotated from its root: the job updates the open root
    // sheet, which is saved then, and writes the amplifier's file once the
    // user agrees.
    ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+t", "a", "Tessaron: Annotate"));
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: Annotate", "Execute"));
    ASSERT_TRUE(program.WaitGone("Tessaron: Annotate"));
    const std::string overwrite = program.WaitWindow("Warning");
    ASSERT_FALSE(overwrite.empty()) << program.LogText();
    keys(overwrite, "Return");  // OK
    ASSERT_TRUE(program.WaitLog("Annotate: Done")) << program.LogText();
    keys(frame, "ctrl+s");

    // The SPICE netlist of the hierarchy, the value as Module.
    ASSERT_NO_FATAL_FAILURE(SpiceNetlist(project_file("first_hour.cir")));
    ASSERT_TRUE(program.WaitLog("Formatting netlist")) << program.LogText();
    ASSERT_TRUE(wait_until([&] { return fs::exists(project_file("first_hour.cir")); }))
        << program.LogText();

    // The ERC.
    ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+t", "e", "Tessaron: ERC"));
    auto report_field = program.WaitControl("Tessaron: ERC", "Output File:");
    ASSERT_TRUE(report_field);
    const std::string report = report_field->value;
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: ERC", "Execute"));
    ASSERT_TRUE(program.WaitGone("Tessaron: ERC"));
    ASSERT_TRUE(wait_until([&] { return fs::exists(report); })) << program.LogText();

    // What was drawn is connected as it looks.
    const std::string amplifier = project_file("amplifier.sch");
    const Point moved{second_res.x + drag_by.x, second_res.y + drag_by.y};
    const std::vector<std::string> out = net_holding(amplifier, member(first_res, "1"));
    EXPECT_TRUE(holds(out, member(Point{18000, 12000}, "OUT")))
        << "the first resistor is not wired to the op-amp's output";
    const std::vector<std::string> mid = net_holding(amplifier, member(first_res, "2"));
    EXPECT_TRUE(holds(mid, member(moved, "1"))) << "the resistors are not wired together";
    const std::vector<std::string> ground = net_holding(amplifier, member(moved, "2"));
    EXPECT_TRUE(holds(ground, "12@" + std::to_string(second_pin2.x + drag_by.x) + "," +
                                  std::to_string(second_pin2.y + drag_by.y)))
        << "the ground did not go along with the dragged resistor";
    EXPECT_EQ(slanted_wires(amplifier), 0);
    const auto labels = labels_of(amplifier);
    EXPECT_TRUE(
        std::count(labels.begin(), labels.end(), std::make_pair(std::string("LOAD"), label_at)))
        << "the label was not renamed: " << [&] {
               std::string all;
               for (const auto& [text, at] : labels)
                   all += text + "@" + std::to_string(at.x) + "," + std::to_string(at.y) + " ";
               return all;
           }();
    std::map<std::string, SavedPart> parts_saved = parts_of(amplifier);
    const SavedPart first =
        parts_saved[std::to_string(first_res.x) + "," + std::to_string(first_res.y)];
    const SavedPart second = parts_saved[std::to_string(moved.x) + "," + std::to_string(moved.y)];
    EXPECT_TRUE(std::regex_match(first.reference, std::regex("R[0-9]+"))) << first.reference;
    EXPECT_TRUE(std::regex_match(second.reference, std::regex("R[0-9]+"))) << second.reference;
    EXPECT_EQ(first.value, "10k");
    EXPECT_EQ(second.value, "10k");

    // ngspice solves what the sheet's comment promises, and the load's
    // middle at half of it.
    const std::string deck = project_file("first_hour.cir");
    const std::string netlist = tn_test::read_text(deck);
    const std::string solved = net_test::run_ngspice(deck);
    std::optional<double> vout = net_test::node_voltage(solved, "vout");
    ASSERT_TRUE(vout) << netlist << solved;
    EXPECT_NEAR(*vout, 5.5, 0.01) << netlist << solved;
    std::smatch line;
    ASSERT_TRUE(std::regex_search(netlist, line,
                                  std::regex("\n" + second.reference + " +(\\S+) +(\\S+) +10k")))
        << netlist;
    EXPECT_NE(line[1].str().find("LOAD"), std::string::npos) << netlist;
    std::optional<double> middle = net_test::node_voltage(solved, line[1].str());
    ASSERT_TRUE(middle) << netlist << solved;
    EXPECT_NEAR(*middle, 2.75, 0.01) << netlist << solved;

    // The ERC finds no pin the user wired unconnected.
    const std::string erc = tn_test::read_text(report);
    const size_t unconnected = erc.find("Unconnected Pins :");
    ASSERT_NE(unconnected, std::string::npos) << erc;
    const std::string listed = erc.substr(unconnected, erc.find("Final Report") - unconnected);
    for (const std::string& reference : {first.reference, second.reference})
        EXPECT_EQ(listed.find(reference), std::string::npos) << erc;

    // The test wrote no settings: what is there the program wrote.
    EXPECT_TRUE(exit_program(program, frame));
}

}  // namespace
