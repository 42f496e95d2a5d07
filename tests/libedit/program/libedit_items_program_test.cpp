// The library editor's pins, texts, IEEE symbols and title-block controls
// as a user meets them in the real program: a part made in the example
// library with three pins (their numbers answered in the program's own
// question), a reference prefix, a text and a symbol, saved; then placed on
// a sheet, wired, annotated and netlisted as SPICE from the Tools menu, and
// the deck run by ngspice. A title block gets its edges and two controls.
//
// Reference images live in tests/data/libedit/; TN_REGENERATE_SHELL=1
// rewrites them (look at every image before committing it).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "connectivity/netlist_test_tools.h"
#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "shell/program_harness.h"

namespace {

namespace fs = std::filesystem;
using namespace program_test;
using tn_test::Control;

const char* const main_window = "Tessaron Schematic Editor";

class LibraryItemsProgram : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        fs::copy_file(fs::path(TN_EXAMPLES_DIR) / "parts.clb", dir.path() / "parts.clb");
        // Points snap to a grid of 1000: pins, wires and their ends meet.
        write_ini({"DIR_PROJECT=" + dir.path().string(),
                   "DIR_LIBRARY=" + dir.path().string(),
                   "BAK_FILE=False",
                   "STAY_GRID=True",
                   "GRID_SIZE=1000",
                   "SHOW_PART_PALETTE=True",
                   "NB_PART_PALETTE=1",
                   "PART_PALETTE_LIB_0=parts",
                   "PART_PALETTE_PART_0=DIVIDER",
                   "PART_PALETTE_CONV_0=False",
                   "INTERNAL_FONT=True",
                   "TEXT_XMIR=False",
                   "TEXT_YMIR=False",
                   "TEXT_BOX=False",
                   "TEXT_XSCAL=900",
                   "TEXT_YSCAL=1300",
                   "IEEE_XSCAL=1500",
                   "IEEE_YSCAL=1500",
                   "TPL_TEXT_XMIR=False",
                   "TPL_TEXT_YMIR=False",
                   "TPL_TEXT_BOX=False",
                   "NB_FIELD_NAME=3",
                   "FIELD_NAME_0=Reference",
                   "FIELD_NAME_1=Value",
                   "FIELD_NAME_2=Footprint"});
    }

    // The canvas of the child window whose title starts so.
    std::optional<Control> canvas(Program& program, const std::string& title) {
        return program.WaitFor(
            [&](const std::vector<Control>& controls) -> std::optional<Control> {
                for (size_t i = 0; i + 1 < controls.size(); ++i)
                    if (controls[i].kind == "wxMDIChildFrame" &&
                        controls[i].label.rfind(title, 0) == 0 &&
                        controls[i + 1].depth == controls[i].depth + 1)
                        return controls[i + 1];
                return std::nullopt;
            },
            title + " canvas");
    }
    // Keys go to the dialog titled so (a modeless dialog has no focus of its
    // own on a display without a window manager).
    void focus(Program& program, const std::string& window) {
        const std::string id = program.WaitWindow(window);
        ASSERT_FALSE(id.empty()) << "no window " << window << "\n" << program.Stderr();
        run("xdotool windowfocus --sync " + id);
    }
    // A dialog's button pressed, its window focused first.
    void press(Program& program, const std::string& window, const std::string& label) {
        focus(program, window);
        auto control = program.WaitControl(window, label);
        ASSERT_TRUE(control) << label << " of " << window;
        program.Click(*control);
    }
    void type(Program& program, const std::string& window, const std::string& label,
              const std::string& text) {
        focus(program, window);
        auto field = program.WaitControl(window, label);
        ASSERT_TRUE(field) << label << " of " << window;
        program.TypeInto(*field, text);
    }
    // The program's question (a text entry titled so) answered with its proposal.
    void accept_question(Program& program, const std::string& title) {
        const std::string question = program.WaitWindow(title);
        ASSERT_FALSE(question.empty()) << "no question " << title << "\n" << program.Stderr();
        run("xdotool windowfocus --sync " + question + " key Return");
        ASSERT_TRUE(wait_until([&] { return !program.HasWindow(title); }));
    }

    // Place > Part of a name the library lacks, created; Place Body: its
    // body drawn out from where the pointer is put (*origin) by 80 x 60
    // pixels.
    void new_part_with_body(const std::string& name, ScreenPoint* origin) {
        program.Menu("alt+p t");
        type(program, "Tessaron: Get Part", "Selected Part:", name);
        press(program, "Tessaron: Get Part", "Ok");
        ASSERT_FALSE(program.WaitWindow("Warning").empty());  // "No such Part. Ok to Create ?"
        program.Keys("Return");
        auto place = program.WaitControl("Tessaron: Place Body", "Place");
        ASSERT_TRUE(place);
        press(program, "Tessaron: Place Body", "Place");
        ASSERT_TRUE(program.WaitGone("Tessaron: Place Body"));
        // The pointer is put on the body's origin: the body is drawn out from it.
        ASSERT_TRUE(wait_until([&] {
            *origin = pointer_location();
            return origin->x != place->centre_x() || origin->y != place->centre_y();
        }));
        run("xdotool sleep 0.3 mousemove_relative --sync 80 60 sleep 0.2 click 1 sleep 0.3");
    }
    // A new title-block window, the settings with `more` lines; its canvas
    // once its first paint has fitted its view.
    std::optional<Control> open_template_window(const std::vector<std::string>& more) {
        std::vector<std::string> lines = {"DIR_PROJECT=" + dir.path().string(),
                                          "BAK_FILE=False",
                                          "STAY_GRID=True",
                                          "GRID_SIZE=1000",
                                          "INTERNAL_FONT=True",
                                          "TPL_TEXT_XMIR=False",
                                          "TPL_TEXT_YMIR=False",
                                          "TPL_TEXT_BOX=False",
                                          "TPL_TEXT_XSCAL=800",
                                          "TPL_TEXT_YSCAL=1200"};
        lines.insert(lines.end(), more.begin(), more.end());
        write_ini(lines);
        program.Start({"-template"}, dir.path().string());
        if (program.WaitWindow(main_window).empty()) return std::nullopt;
        auto area = canvas(program, "Title Block: ");
        // The window fits its view at its first paint: drawing starts once it has settled.
        if (!area || !program.Screenshot(*area, dir.file("empty.png"))) return std::nullopt;
        return area;
    }
    // Place > Box from one corner to the other.
    void draw_box(ScreenPoint from, ScreenPoint to) {
        program.Menu("alt+p b");
        click(from);
        click(to);
        click(to, 3);
        program.Keys("Escape");
    }
    // Place > Controls: the control `downs` lines below the first of the
    // list, placed at a point.
    void place_control(int downs, ScreenPoint where) {
        program.Menu("alt+p o");
        focus(program, "Tessaron: Add/Edit Control");
        auto list = program.WaitControl("Tessaron: Add/Edit Control", "Controls:");
        ASSERT_TRUE(list);
        program.Click(*list);
        std::string keys = "Home";
        for (int i = 0; i < downs; ++i) keys += " Down";
        program.Keys(keys);
        press(program, "Tessaron: Add/Edit Control", "Place");
        ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Control"));
        click(where);
        program.Keys("Escape");
    }

    Library* saved_library() {
        Library* library = new_Library();
        if (load_Library(library, dir.file("parts.clb").c_str(), false) == 0) return library;
        free_Library(library);
        return nullptr;
    }

    Program program{dir.file("config")};
};

// The placed parts and the wires of a saved sheet; false when it cannot be read.
bool saved_sheet(const std::string& file, int* parts, int* wires) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return false;
    *parts = *wires = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        *parts += item->type == PARTLIB_ITEM;
        *wires += item->type == LINE_ITEM && (item->flags & STYLE_MASK) != DRAW;
    }
    close_schema(nullptr, &schema);
    return true;
}

// The reference of the first placed part of a saved sheet; "" when none.
std::string saved_reference(const std::string& file) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return "";
    std::string reference;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM && reference.empty())
            reference = as_PlacedPart(item)->reference.text.get();
    close_schema(nullptr, &schema);
    return reference;
}

// Where a pin of the part joins a wire when the part stands at `at`.
Point pin_end(const Pin* pin, Point at) {
    Point outer, inner;
    get_PinLine(pin, &outer, &inner);
    return Point{at.x + outer.x, at.y + outer.y};
}

TEST_F(LibraryItemsProgram, APartMadeWithPinsIsPlacedWiredAndRunsInNgspice) {
    // --- the part, in the example library --------------------------------------------------
    program.Start({"-libedit", "parts.clb"}, dir.path().string());
    ASSERT_FALSE(program.WaitWindow(main_window).empty());
    ScreenPoint origin;
    new_part_with_body("DIVIDER", &origin);
    if (HasFatalFailure()) return;

    program.Menu("alt+p r Return");  // Reference...
    type(program, "Tessaron: Part Reference Prefix", "Reference Prefix", "X");
    press(program, "Tessaron: Part Reference Prefix", "Apply");
    ASSERT_TRUE(program.WaitGone("Tessaron: Part Reference Prefix"));

    program.Menu("alt+p p");  // Pin...
    type(program, "Tessaron: Add/Edit Pin", "Name", "IN");
    press(program, "Tessaron: Add/Edit Pin", "Add");
    ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Pin"));
    click(ScreenPoint{origin.x + 40, origin.y + 30});  // picks the body
    // Left, bottom and right edges; each number is the one proposed: 1, 2, 3.
    for (ScreenPoint edge :
         {ScreenPoint{origin.x + 2, origin.y + 30}, ScreenPoint{origin.x + 40, origin.y + 58},
          ScreenPoint{origin.x + 78, origin.y + 30}}) {
        click(edge);
        accept_question(program, "Reference for Device A");
    }
    click(ScreenPoint{origin.x + 78, origin.y + 30}, 3);  // ends the tool: the dialog comes back
    ASSERT_FALSE(program.WaitWindow("Tessaron: Add/Edit Pin").empty());
    press(program, "Tessaron: Add/Edit Pin", "Cancel");

    program.Menu("alt+p t Return");  // Text...
    type(program, "Tessaron: Add/Edit Text", "Text:", "DIV");
    press(program, "Tessaron: Add/Edit Text", "Place");
    ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Text"));
    click(ScreenPoint{origin.x + 24, origin.y + 24});
    program.Keys("Escape");
    program.Menu("alt+p i i i Return");  // IEEE...
    press(program, "Tessaron: Place/Edit IEEE Symbols", "Place");
    ASSERT_TRUE(program.WaitGone("Tessaron: Place/Edit IEEE Symbols"));
    click(ScreenPoint{origin.x + 56, origin.y + 44});
    program.Keys("Escape");

    program.Menu("ctrl+0");  // Zoom Fit
    auto area = canvas(program, "Library: ");
    ASSERT_TRUE(area);
    const std::string shot = dir.file("part.png");
    ASSERT_TRUE(program.Screenshot(*area, shot));
    tn_test::expect_matches_reference(shot, "libedit/part_with_pins.png");
    program.Menu("ctrl+s");

    Library* library = nullptr;
    ASSERT_TRUE(wait_until([&] {
        free_Library(library);
        library = saved_library();
        LibEntry* entry = library ? find_LibEntry(library, "DIVIDER") : nullptr;
        return entry && pinlist_count(entry->part->normal_pins) == 3;
    })) << program.Stderr();
    Part* part = find_LibEntry(library, "DIVIDER")->part;
    EXPECT_STREQ(part->prefix.get(), "X");
    std::vector<const Pin*> pins;
    for (const Pin* pin : list_items<Pin>(part->normal_pins->pins)) pins.push_back(pin);
    const int sides[3] = {LEFT, BOTTOM, RIGHT};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(pin_number(pins[i], 0), std::to_string(i + 1).c_str());
        EXPECT_EQ(pins[i]->flags & PIN_SIDE_MASK, sides[i]);
    }
    EXPECT_STREQ(pins[0]->name.get(), "IN");
    ASSERT_NE(part->normal, nullptr);
    EXPECT_EQ(part->normal->items->count, 2u);  // the text and the symbol
    program.Kill();

    // --- the sheet: the part placed and wired to the stubs of two ports and a ground ---------------------------------
    const Point at{30000, 20000};
    const Point in = pin_end(pins[0], at), mid = pin_end(pins[1], at), gnd = pin_end(pins[2], at);
    free_Library(library);
    auto point = [](Point p) { return std::to_string(p.x) + " " + std::to_string(p.y); };
    auto wire = [&](Point a, Point b) {
        return "    (LINE (POS " + point(a) + " ) (POS " + point(b) + " )  )\n";
    };
    auto spice = [&](int row, const char* line) {
        return "    (TEXT 0 (POS 3000 " + std::to_string(3000 + 1000 * row) +
               " ) (SIZE 500 700 ) '&SPICE:" + line + "' )\n";
    };
    const Point in_stub{in.x - 4000, in.y}, mid_stub{mid.x, mid.y + 4000},
        gnd_stub{gnd.x + 4000, gnd.y};
    std::string source = "(SCHEMATIC\n  (SHEET\n";
    const char* deck_lines[] = {".subckt DIVIDER 1 2 3", "R1 1 2 1k", "R2 2 3 1k", ".ends",
                                "VIN IN 0 DC 2",         ".op"};
    for (int i = 0; i < 6; ++i) source += spice(i, deck_lines[i]);
    source += wire(Point{in_stub.x - 4000, in_stub.y}, in_stub);
    source +=
        "    (PORT LEFT INPUT (POS " + point(Point{in_stub.x - 4000, in_stub.y}) + " ) 'IN' )\n";
    source += wire(mid_stub, Point{mid_stub.x, mid_stub.y + 4000});
    source += "    (PORT RIGHT OUTPUT (POS " + point(Point{mid_stub.x, mid_stub.y + 4000}) +
              " ) 'MID' )\n";
    source += wire(gnd_stub, Point{gnd_stub.x + 4000, gnd_stub.y});
    source += "    (POWER 'GND' ROT_180 GND1 (POS " + point(Point{gnd_stub.x + 4000, gnd_stub.y}) +
              " )  )\n";
    source += "  )\n)\n";
    const std::string compiled = compiled_sheet("divider_source", source);
    const std::string sheet = dir.file("divider.sch");
    const Point mark_a{10000, 10000}, mark_b{50000, 40000};
    write_with_bookmarks(compiled, sheet, {mark_a, mark_b});

    Program editor{dir.file("config")};
    editor.Start({sheet}, dir.path().string());
    const std::string frame = editor.WaitWindow(main_window);
    ASSERT_FALSE(frame.empty());
    // The sheet fits its view at its first paint: the map is made once the
    // picture has settled.
    ASSERT_TRUE(settled_screenshot(frame, dir.file("sheet.png")));
    ScreenMap map;
    ASSERT_TRUE(map.Calibrate(frame, mark_a, mark_b));
    // The palette's entry places its part.
    const auto entry = editor.WaitControl("Parts", "DIVIDER");
    ASSERT_TRUE(entry);
    editor.Click(*entry);
    click(map(at));
    keys(frame, "Escape");
    editor.Menu("alt+p w");  // Wire
    for (auto [from, to] :
         {std::pair{in_stub, in}, std::pair{mid_stub, mid}, std::pair{gnd_stub, gnd}}) {
        click(map(from));
        click(map(to));
        click(map(to), 3);
    }
    keys(frame, "Escape");
    keys(frame, "ctrl+s");
    // Saved with the part; each new wire joined its stub into one.
    int parts = 0, wires = 0;
    ASSERT_TRUE(wait_until([&] { return saved_sheet(sheet, &parts, &wires) && parts == 1; }))
        << editor.Stderr();
    EXPECT_EQ(wires, 3);

    // --- annotated and netlisted from the Tools menu, run by ngspice --------------------------
    editor.Menu("alt+t a");
    ASSERT_TRUE(editor.WaitTopLevel("Tessaron: Annotate"));
    press(editor, "Tessaron: Annotate", "Execute");
    ASSERT_TRUE(editor.WaitGone("Tessaron: Annotate"));
    // The annotated sheet is saved: the netlist is made from the file.
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return saved_reference(sheet) == "X1"; }))
        << saved_reference(sheet) << "\n"
        << editor.LogText();
    const std::string deck = dir.file("divider.cir");
    editor.Menu("alt+t n");
    ASSERT_TRUE(editor.WaitTopLevel("Tessaron: Netlist Output"));
    type(editor, "Tessaron: Netlist Output", "Output File:", deck);
    for (auto [label, entry] : {std::pair{"Format:", 3}, std::pair{"Module:", 1}}) {
        auto choice = editor.WaitControl("Tessaron: Netlist Output", label);
        ASSERT_TRUE(choice);
        editor.Click(*choice);
        std::string keys_down = "Home";
        for (int i = 0; i < entry; ++i) keys_down += " Down";
        editor.Keys(keys_down + " Return");
    }
    press(editor, "Tessaron: Netlist Output", "Execute");
    ASSERT_TRUE(editor.WaitGone("Tessaron: Netlist Output"));
    ASSERT_TRUE(wait_until([&] {
        return fs::exists(deck) && tn_test::read_text(deck).find("\n.end") != std::string::npos;
    })) << editor.LogText()
        << (editor.HasWindow("Error") ? "an error box" : "");
    const std::string text = tn_test::read_text(deck);
    EXPECT_TRUE(std::regex_search(text, std::regex("\nX1\\s+IN MID 0 DIVIDER"))) << text;
    const std::string out = net_test::run_ngspice(deck);
    EXPECT_FALSE(std::regex_search(out, std::regex("(^|\n)\\s*Error", std::regex::icase))) << out;
    // 2 V across two equal resistors: 1 V in the middle.
    EXPECT_TRUE(std::regex_search(out, std::regex("mid\\s+1\\.0+e\\+00", std::regex::icase)))
        << out;
}

// A new user's text in a part, placed where it runs over the body's edge:
// it comes out upright and plain, is made smaller to fit and the status
// line says so; it is never shrunk to a dot.
TEST_F(LibraryItemsProgram, AFreshInstallsTextInAPartIsUprightAndShrunkWithAWord) {
    fs::remove(config_dir + "/tessaron/Quib.ini");  // a fresh install
    program.Start({"-libedit", "parts.clb"}, dir.path().string());
    ASSERT_FALSE(program.WaitWindow(main_window).empty());
    ScreenPoint origin;
    new_part_with_body("LABELLED", &origin);
    if (HasFatalFailure()) return;

    program.Menu("alt+p t Return");  // Text...
    type(program, "Tessaron: Add/Edit Text", "Text:", "WIDE TEXT");
    press(program, "Tessaron: Add/Edit Text", "Place");
    ASSERT_TRUE(program.WaitGone("Tessaron: Add/Edit Text"));
    click(ScreenPoint{origin.x + 40, origin.y + 50});  // the text runs out on the right
    EXPECT_TRUE(program.WaitFor(
        [](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (c.value.find("Text shrunk to fit in the body") != std::string::npos) return c;
            return std::nullopt;
        },
        "the status line saying the text was shrunk"));
    program.Keys("Escape");
    program.Menu("ctrl+s");

    Library* library = nullptr;
    const Text* text = nullptr;
    ASSERT_TRUE(wait_until([&] {
        free_Library(library);
        library = saved_library();
        LibEntry* entry = library ? find_LibEntry(library, "LABELLED") : nullptr;
        Part* part = entry ? entry->part : nullptr;
        text = nullptr;
        if (part && part->normal)
            for (SchItem* item : list_items<SchItem>(part->normal->items))
                if (item->type == TEXT_ITEM) text = as_Text(item);
        return text != nullptr;
    })) << program.Stderr();
    EXPECT_EQ(text->flags & (MX | MY | BOXED), 0) << "mirrored or boxed: " << int(text->flags);
    EXPECT_GT(text->size.width, 50);
    EXPECT_GT(text->size.height, 50) << "shrunk to a dot";
    EXPECT_LT(text->size.width, 600) << "not shrunk to fit";
    free_Library(library);
}

TEST_F(LibraryItemsProgram, ATitleBlockGetsItsEdgesAndTwoControls) {
    auto area = open_template_window({});
    ASSERT_TRUE(area);
    const int x = area->x, y = area->y;
    draw_box(ScreenPoint{x + 100, y + 100}, ScreenPoint{x + 500, y + 300});
    program.Menu("alt+p l");  // Line: a row across the box
    click(ScreenPoint{x + 100, y + 200});
    click(ScreenPoint{x + 500, y + 200});
    click(ScreenPoint{x + 500, y + 200}, 3);
    program.Keys("Escape");
    place_control(0, ScreenPoint{x + 130, y + 150});   // Title
    place_control(13, ScreenPoint{x + 130, y + 250});  // Document Number
    const std::string shot = dir.file("title_block.png");
    ASSERT_TRUE(program.Screenshot(*area, shot));
    tn_test::expect_matches_reference(shot, "libedit/title_block_controls.png");
}

// A title block made in its editor (a frame, the title and the sheet size)
// is saved and put on a new sheet with Place > Title Block. The sheet's
// Edit > Title Block reaches the fields and their file before its block
// shows any field (a new sheet's shows none) and after; the saved sheet
// shows the title block with the sheet's size.
TEST_F(LibraryItemsProgram, ATitleBlockMadeInItsEditorIsPutOnANewSheet) {
    auto area = open_template_window({"SHEET_SIZE=6"});
    ASSERT_TRUE(area);
    const int x = area->x, y = area->y;
    draw_box(ScreenPoint{x + 100, y + 100}, ScreenPoint{x + 500, y + 300});
    place_control(0, ScreenPoint{x + 130, y + 150});   // Title
    place_control(10, ScreenPoint{x + 130, y + 250});  // Sheet Size
    program.Menu("ctrl+s");
    const std::string save_template = program.WaitWindow("Save Title Block As");
    ASSERT_FALSE(save_template.empty());
    ASSERT_TRUE(choose_file(save_template, "ctrl+a", "frame.tbl", dir.file("chooser.png")));
    ASSERT_TRUE(wait_until([&] { return fs::exists(dir.file("frame.tbl")); }));
    program.Menu("ctrl+w");  // the title-block window closed
    ASSERT_TRUE(wait_until([&] { return !program.HasWindow("Save Title Block As"); }));
    program.Menu("ctrl+n");  // File > New Sheet
    ASSERT_TRUE(canvas(program, "Sheet: "));

    const char* const info = "Tessaron: Set Title Block Info";
    program.Menu("alt+e b");  // Edit > Title Block
    ASSERT_TRUE(program.WaitTopLevel(info));
    press(program, info, "Save ASCII");
    const std::string fields = program.WaitWindow("Ascii File:");
    ASSERT_FALSE(fields.empty());
    ASSERT_TRUE(choose_file(fields, "ctrl+a", "fields.txt", dir.file("fields.png")));
    ASSERT_TRUE(wait_until([&] { return fs::exists(dir.file("fields.txt")); }));
    ASSERT_TRUE(program.WaitGone(info));

    program.Menu("alt+p k");  // Place > Title Block
    const std::string open = program.WaitWindow("Title Block File:");
    ASSERT_FALSE(open.empty());
    ASSERT_TRUE(choose_file(open, "ctrl+l", "frame.tbl", dir.file("open.png")));
    ASSERT_TRUE(wait_until([&] { return !program.HasWindow("Title Block File:"); }));
    program.Menu("alt+e b");
    ASSERT_TRUE(program.WaitTopLevel(info));
    auto control = program.WaitControl(info, "Controls:");
    ASSERT_TRUE(control);
    EXPECT_EQ(control->value, "Title");
    press(program, info, "Cancel");
    ASSERT_TRUE(program.WaitGone(info));

    program.Menu("ctrl+s");
    const std::string save_sheet = program.WaitWindow("Save Sheet As");
    ASSERT_FALSE(save_sheet.empty());
    ASSERT_TRUE(choose_file(save_sheet, "ctrl+a", "framed.sch", dir.file("sheet.png")));
    Schema* saved = nullptr;
    ASSERT_TRUE(wait_until([&] {
        return fs::exists(dir.file("framed.sch")) &&
               load_schema_file(&saved, dir.file("framed.sch").c_str()) == 0;
    }));
    std::vector<std::pair<int, std::string>> shown;
    for (SchItem* item : list_items<SchItem>(saved->titleblock.fields))
        if (item->type == TEXT_ITEM)
            shown.emplace_back(as_Text(item)->field, as_Text(item)->string);
    EXPECT_EQ(shown, (std::vector<std::pair<int, std::string>>{{FIELD_TITLE, ""},
                                                               {FIELD_SHEETSIZE, "A3 "}}));
    EXPECT_EQ(saved->titleblock.drawing ? saved->titleblock.drawing->count : 0, 1u);
    close_schema(nullptr, &saved);
}

}  // namespace
