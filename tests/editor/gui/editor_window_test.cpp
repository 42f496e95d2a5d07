// The sheet editor on a real editing canvas in a window, driven by mouse and
// key events sent through the display server: wires placed by clicks (the
// saved file and its nets checked), every kind of the Place menu placed and
// undone, a part selected with a rectangle and dragged with its wires
// following, cut and paste, and Esc out of every mode.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "editor/editor_commands.h"
#include "editor/gui/edit_canvas.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/paste.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"
#include "render/render_services.h"
#include "shell/canvas_editing.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"
#include "toolkit/clipboard_format.h"
#include "toolkit/gui_services.h"

namespace {

void quiet(const char*, ...) {}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        config_set_defaults();
        reset_services();
        install_gui_services();
        install_shell_services();
        set_message_formatter(error_message);
        proper_set(GRID_SIZE, 1000, STAY_GRID, 1, 0);
        frame = new wxFrame(nullptr, wxID_ANY, "editor", wxPoint(40, 40), wxSize(700, 560));
        canvas = new EditCanvas(frame, CANVAS_SHEET);
        driver = std::make_unique<tn_test::CanvasDriver>(canvas);
        Schema* doc = nullptr;
        new_active_schema(&doc);
        canvas->TakeDocument(doc);
        frame->Show();
        frame->Raise();
        pump_until([&] { return canvas->IsShownOnScreen() && canvas->GetClientSize().x > 100; });
        tn_test::settle();
        canvas->SetFocus();
        // A fixed view: world (0, 0) at the top left corner, a grid step of
        // 1000 some thirty-five pixels; the tests work between 0 and 10000.
        view_set_scale(&doc->view, 4.0, false);
        canvas->Redraw();
        tn_test::settle();
        wxPoint far = canvas->ScreenToClient(screen_of(Point{10000, 9000}));
        ASSERT_TRUE(wxRect(canvas->GetClientSize()).Contains(far)) << far.x << "," << far.y;
    }
    void TearDown() override {
        driver.reset();
        frame->Destroy();
        wxTheApp->ProcessPendingEvents();
        reset_services();
        config_set_defaults();
    }

    Schema* doc() { return canvas->mySchema; }

    // A Place command; one that opens its dialog first has it answered with
    // its Add button, as a user adds with the values last used.
    void place(int command) {
        AskScript script;
        script.modal([](wxDialog& shown) {
            wxWindow* add = wxWindow::FindWindowByLabel("Add", &shown);
            ASSERT_NE(add, nullptr) << shown.GetTitle();
            wxCommandEvent press(wxEVT_BUTTON, add->GetId());
            press.SetEventObject(add);
            add->ProcessWindowEvent(press);
        });
        menu_command(canvas, command, 0);
    }

    bool pump_until(const std::function<bool()>& done) { return tn_test::pump_until(done); }
    wxPoint screen_of(Point world) { return driver->screen_of(world); }
    // Real events, each handled before the next (support/canvas_driver.h).
    void move(Point world) { driver->move(world); }
    void click(Point world, int button = wxMOUSE_BTN_LEFT) { driver->click(world, button); }
    void drag(Point from, Point to, bool ctrl = false) { driver->drag(from, to, ctrl); }
    void key(int code) { driver->key(code); }
    int count(int code) {
        int n = 0;
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items)) n += item->type == code;
        for (SchItem* item : list_items<SchItem>(doc()->ports)) n += item->type == code;
        return n;
    }
    Line* wire_between(Point a, Point b) {
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items)) {
            if (item->type != LINE_ITEM) continue;
            Line* line = as_Line(item);
            if ((line->pos == a && line->end == b) || (line->pos == b && line->end == a))
                return line;
        }
        return nullptr;
    }

    // A library part "BUF" of the document (body w x h, one input pin on
    // the given side of the body at half its height) placed at a point.
    PlacedPart* place_buffer(Point at, int w, int h, uint8_t side) {
        Part* part = new_Part();
        set_Part_devices(part, 1);
        part->body = Rect{0, 0, w, h};
        part->normal = new_Vectors();
        ref_Vectors(part->normal);
        Boite* body = new_Rect();
        body->flags = DRAW;
        body->corner = Point{w, h};
        dlist_append(part->normal->items, body);
        part->normal_pins = new_PinList();
        Pin* pin = new_Pin(1);
        pin->pos = Point{side == LEFT ? 0 : w, h / 2};
        pin->flags = side;
        pin->type = PIN_IN;
        dlist_append(part->normal_pins->pins, pin);
        LibEntry* entry = new_LibEntry();
        entry->name.set("BUF");
        entry->part = part;
        ref_Part(part);
        lib_insert_entry(doc()->library, entry);
        PlacedPart* placed = new_PlacedPart();
        placed->part_name.set("BUF");
        placed->pos = at;
        dlist_append(doc()->sheet->items, placed);
        return placed;
    }

    wxFrame* frame = nullptr;
    EditCanvas* canvas = nullptr;
    std::unique_ptr<tn_test::CanvasDriver> driver;
};

TEST_F(EditorWindow, WiresPlacedByClicksAreSavedAndFormTheirNets) {
    menu_command(canvas, EDITOR_WIRE, 0);
    ASSERT_STREQ(canvas->ModeName(1), "Add Wires,...");
    click(Point{1000, 2000});
    click(Point{5000, 2000});
    click(Point{5000, 6000});
    click(Point{5000, 6000}, wxMOUSE_BTN_RIGHT);  // ends the chain
    click(Point{7000, 8000});
    click(Point{9000, 8000});
    key(WXK_ESCAPE);
    key(WXK_ESCAPE);
    EXPECT_EQ(canvas->ModeCount(), 1);
    ASSERT_EQ(count(LINE_ITEM), 3);
    EXPECT_NE(wire_between(Point{1000, 2000}, Point{5000, 2000}), nullptr);
    EXPECT_NE(wire_between(Point{5000, 2000}, Point{5000, 6000}), nullptr);
    EXPECT_NE(wire_between(Point{7000, 8000}, Point{9000, 8000}), nullptr);
    EXPECT_TRUE(schema_is_modified(doc()));

    tn_test::TempDir dir;
    std::string file = dir.file("wires.sch");
    ASSERT_EQ(save_schema_file(doc(), file.c_str(), false), 0);
    Schema* loaded = nullptr;
    ASSERT_EQ(load_schema_file(&loaded, file.c_str()), 0);
    NetContext* context = new_NetContext();
    ASSERT_EQ(build_sheet_nets(context, loaded), 0);
    EXPECT_EQ(context->islands->count, 2u);  // the corner and the lone wire
    free_NetContext(loaded, context);
    close_schema(nullptr, &loaded);
}

TEST_F(EditorWindow, EveryKindOfThePlaceMenuIsPlacedByAClickAndUndone) {
    SubSheet* box = new_SubSheet();
    box->pos = Point{1000, 1000};
    box->size = Point{3000, 3000};
    box->file_name = "child.sch";
    dlist_append(doc()->sheet->items, box);
    struct {
        int command;
        int code;
        int clicks;
    } kinds[] = {{EDITOR_WIRE, LINE_ITEM, 2},       {EDITOR_BUS, LINE_ITEM, 2},
                 {EDITOR_LINE, LINE_ITEM, 2},       {EDITOR_CIRCLE, CIRCLE_ITEM, 2},
                 {EDITOR_BOX, BOITE_ITEM, 2},       {EDITOR_JUNCTION, JUNCTION_ITEM, 1},
                 {EDITOR_NOCONNECT, NOCON_ITEM, 1}, {EDITOR_POWER, POWER_ITEM, 1},
                 {EDITOR_PORT, PORT_ITEM, 1},       {EDITOR_TEXT, TEXT_ITEM, 1},
                 {EDITOR_SHEET, SUBSHEET_ITEM, 1},  {EDITOR_NETPROP, NETPROP_ITEM, 1}};
    proper_set(TEXT_TEXT, "NOTE", 0);
    for (auto& k : kinds) {
        SCOPED_TRACE(k.command);
        int had = count(k.code);
        place(k.command);
        ASSERT_EQ(canvas->ModeCount(), 2);
        for (int i = 0; i < k.clicks; ++i)
            click(Point{6000 + 3000 * i, 5000 + 2000 * i * (k.code != LINE_ITEM)});
        EXPECT_EQ(count(k.code), had + 1);
        key(WXK_ESCAPE);
        key(WXK_ESCAPE);
        EXPECT_EQ(canvas->ModeCount(), 1);
        menu_command(canvas, CMD_UNDO, 0);
        EXPECT_EQ(count(k.code), had);
    }
    // A sheet net goes on the box's edge.
    place(EDITOR_NET);
    click(Point{1000, 2000});
    key(WXK_ESCAPE);
    box = as_SubSheet(
        static_cast<SchItem*>(doc()->sheet->items->head->data));  // undo made a new document
    EXPECT_EQ(box->ports->count, 1u);
}

// A child sheet edited in a window of its own, which is closed before the
// parent's edit is undone: the parent's undo and the redraw after it must
// reach nothing the closed window freed.
TEST_F(EditorWindow, UndoAfterAnotherSheetsWindowWasClosed) {
    SubSheet* box = new_SubSheet();
    box->pos = Point{1000, 1000};
    box->size = Point{3000, 3000};
    tn_test::TempDir dir;
    box->file_name = dir.file("child.sch");
    dlist_append(doc()->sheet->items, box);
    menu_command(canvas, EDITOR_JUNCTION, 0);
    click(Point{7000, 7000});
    key(WXK_ESCAPE);
    ASSERT_EQ(count(JUNCTION_ITEM), 1);

    auto* other = new wxFrame(nullptr, wxID_ANY, "child", wxPoint(80, 80), wxSize(400, 300));
    auto* child_canvas = new EditCanvas(other, CANVAS_SHEET);
    Schema* child = nullptr;
    ASSERT_EQ(open_subsheet_schema(&child, box), 0);
    child_canvas->TakeDocument(child);
    other->Show();
    tn_test::settle();
    menu_command(child_canvas, EDITOR_JUNCTION, 0);
    child_canvas->editing.pointer = Point{2000, 2000};
    session_event(&child_canvas->editing, EV_LEFT_UP, Point{2000, 2000});
    other->Destroy();
    tn_test::settle();

    menu_command(canvas, CMD_UNDO, 0);
    tn_test::settle();
    EXPECT_EQ(count(JUNCTION_ITEM), 0);
    EXPECT_EQ(count(SUBSHEET_ITEM), 1);
    tn_test::TempDir out;
    EXPECT_EQ(save_schema_file(doc(), out.file("after.sch").c_str(), false), 0);
}

TEST_F(EditorWindow, ARectangleSelectsAPartAndCtrlDragTakesItsWiresAlong) {
    PlacedPart* placed = place_buffer(Point{6000, 3000}, 4000, 4000, LEFT);
    // The pin's tip is at (6000 - 3000, 3000 + 2000) = (3000, 5000).
    Line* wire = new_Line();
    wire->pos = Point{1000, 5000};
    wire->end = Point{3000, 5000};
    dlist_append(doc()->sheet->items, wire);
    canvas->Redraw();
    tn_test::settle();

    drag(Point{2000, 2000}, Point{12000, 8000});  // around the part and its pin only
    EXPECT_TRUE(is_selected(placed));
    EXPECT_FALSE(is_selected(wire));
    drag(Point{8000, 5000}, Point{8000, 7000}, true);
    EXPECT_EQ(placed->pos, (Point{6000, 5000}));
    // The wire stays straight: a bend takes it down to the pin's tip.
    EXPECT_EQ(wire->pos, (Point{1000, 5000}));
    EXPECT_EQ(wire->end, (Point{3000, 5000}));
    ASSERT_EQ(count(LINE_ITEM), 2);
    const Line* bend = as_Line(static_cast<SchItem*>(dlist_tail(doc()->sheet->items)->data));
    EXPECT_EQ(bend->pos, (Point{3000, 5000}));
    EXPECT_EQ(bend->end, (Point{3000, 7000}));

    // Cut and paste through the paste file, then undo.
    menu_command(canvas, CMD_CUT, 0);
    EXPECT_EQ(count(PARTLIB_ITEM), 0);
    // Other running copies find the paste file through the clipboard.
    EXPECT_NE(clipboard_paste_file().find(PASTE_FILE_NAME), std::string::npos);
    menu_command(canvas, CMD_PASTE, 0);
    click(Point{8000, 3000});  // the pasted part follows the pointer until here
    EXPECT_EQ(count(PARTLIB_ITEM), 1);
    EXPECT_EQ(selection_count(&canvas->editing), 1);
    menu_command(canvas, CMD_UNDO, 0);
    EXPECT_EQ(count(PARTLIB_ITEM), 0);
    EXPECT_EQ(canvas->ModeCount(), 1);
}

// The canvas's session is read, never repaired: reading it leaves the
// running mode, its ghost and the window's overlay as they are, also on a
// canvas whose session runs no mode (a part preview). Only a document taken
// opens the session anew: its modes end and their ghosts go.
TEST_F(EditorWindow, ReadingTheSessionChangesNothingTakingADocumentOpensItAnew) {
    menu_command(canvas, EDITOR_JUNCTION, 0);
    move(Point{3000, 3000});
    EditSession* session = editor_session(canvas);
    ModeInstance* running = TopMode(session);
    ASSERT_EQ(canvas->ModeCount(), 2);
    ASSERT_EQ(canvas->GhostCount(), 1u);
    EXPECT_EQ(editor_session(canvas), session);
    EXPECT_EQ(TopMode(editor_session(canvas)), running);
    EXPECT_EQ(canvas->GhostCount(), 1u);

    auto* preview = new EditCanvas(frame, CANVAS_PREVIEW);
    Schema* shown = nullptr;
    new_active_schema(&shown);
    preview->TakeDocument(shown);
    Junction* dot = new_Junction();
    dot->pos = Point{1000, 1000};
    dlist_append(shown->sheet->items, dot);
    List one;
    ASSERT_TRUE(dlist_append(&one, dot));
    preview->ToggleItemGhost(&one);
    ASSERT_EQ(preview->GhostCount(), 1u);
    EXPECT_EQ(editor_session(preview)->schema, shown);
    EXPECT_EQ(editor_session(preview)->pile.size(), 0u);
    EXPECT_EQ(preview->GhostCount(), 1u) << "a read took the preview's overlay away";
    while (one.count) dlist_remove_head(&one, nullptr);
    preview->Destroy();

    Schema* other = nullptr;
    new_active_schema(&other);
    canvas->TakeDocument(other);
    EXPECT_EQ(editor_session(canvas), session);
    EXPECT_EQ(session->schema, other);
    EXPECT_EQ(canvas->ModeCount(), 1);
    EXPECT_EQ(session->look.mode_name, "Main Mode");
    EXPECT_EQ(canvas->GhostCount(), 0u);
}

// Every kind that has a dialog opens it by a double click on what the user
// sees of it, off the grid where the hand puts it: a comment and a label
// lying on a wire, a power symbol's bar and its name, a port, a
// net-property label, a sheet box's name and its inside, the name of a
// port of the box, a part's body, its reference and a user field.
TEST_F(EditorWindow, ADoubleClickOpensTheDialogOfWhatItIsOn) {
    const char* source = R"((SCHEMATIC
  (SHEET
    (LINE (POS 1000 3000 ) (POS 17000 3000 )  )
    (TEXT 0 (POS 2000 3300 ) (SIZE 600 900 ) 'NOTE' )
    (TEXT 0 (POS 10000 3300 ) (SIZE 600 900 ) 'LBL' LABEL )
    (POWER 'VCC' BAR (POS 4000 12000 )  )
    (PORT RIGHT OUTPUT (POS 22000 3000 ) 'OUT' )
    (NETPROP (POS 22000 12000 ) 'N' 1 2 3 4 5 6 7 )
    (SUBSHEET 0x00000001 (POS 2000 16000 ) (SIZE 6000 4000 ) 'SUB' 'sub.sch'
      (PORTS
        (PORT LEFT INPUT (POS 0 2000 ) 'A' )
      )
    )
  )
)
)";
    // Compiled and saved, then opened as a sheet file is.
    tn_test::TempDir dir;
    const std::string sch = dir.file("kinds.sch");
    Schema* compiled = nullptr;
    ASSERT_EQ(compile_schema_string(source, COMPIL_SCHEMATIC, quiet, nullptr, &compiled), 0);
    ASSERT_EQ(save_schema_file(compiled, sch.c_str(), false), 0);
    close_schema(nullptr, &compiled);
    Schema* loaded = nullptr;
    ASSERT_EQ(load_schema_file(&loaded, sch.c_str()), 0);
    canvas->TakeDocument(loaded);
    // What the drawing covers is measured as the program measures it.
    Services drawing;
    install_render_services(drawing);
    install_services(drawing);
    PlacedPart* part = place_buffer(Point{20000, 18000}, 2000, 1000, RIGHT);
    part->reference.text.set("U1");
    part->value.text.set("BUF");
    Attribute* field = pl_need_attribute(part, 2);
    field->text.set("SO8");
    field->flags |= VIS;
    view_set_scale(&doc()->view, 2.0, false);
    canvas->Redraw();
    tn_test::settle();
    ASSERT_TRUE(wxRect(canvas->GetClientSize())
                    .Contains(canvas->ScreenToClient(screen_of(Point{30000, 22000}))));
    // The middle of a port's outline, its name inside.
    auto on_port = [&] {
        Rect box{};
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == PORT_ITEM) bounds_SchItem(doc(), item, &box, false);
        return Point{box.x + box.w / 2, box.y + box.h / 2};
    };
    // A field's text where it was drawn (laid out beside the body).
    auto on_field = [&](int index) {
        Attribute* attribute = pl_get_attribute(part, index);
        EXPECT_TRUE(attribute->flags & SET) << "field " << index << " not laid out when drawn";
        Text* text = attr_text_item(doc(), part, attribute, index);
        Rect box{};
        bounds_Text(doc(), text, &box, false);
        free_Text(text, false);
        return Point{box.x + box.w / 2, box.y + box.h / 2};
    };
    struct Row {
        const char* what;
        Point at;
        const char* dialog;
    };
    const Row rows[] = {
        {"a comment across a wire", {2300, 3030}, "Tessaron: Add/Edit Text"},
        {"a label across a wire", {10300, 3030}, "Tessaron: Add/Edit Text"},
        {"a power symbol's bar", {4030, 11970}, "Tessaron: Add/Edit Power"},
        {"a power symbol's name", {4030, 11000}, "Tessaron: Add/Edit Power"},
        {"a port", on_port(), "Tessaron: Add/Edit Port"},
        {"a net-property label", {24000, 10500}, "Tessaron: Add/Edit Net Properties"},
        {"a sheet box's name", {2700, 15400}, "Tessaron: Add/Edit Sheet"},
        {"inside a sheet box", {6030, 19530}, "Tessaron: Add/Edit Sheet"},
        {"the name of a port of the box", {4030, 18030}, "Tessaron: Add/Edit Net"},
        {"a part's body", {21030, 18530}, "Tessaron: Edit Part"},
        {"a part's reference", on_field(0), "Tessaron: Edit Field"},
        {"a part's user field", on_field(2), "Tessaron: Edit Field"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string shown;
        AskScript script;
        script.modal([&](wxDialog& dialog) {
            shown = dialog.GetTitle().utf8_string();
            dialog.EndModal(wxID_CANCEL);
        });
        driver->double_click(row.at);
        EXPECT_EQ(shown, row.dialog);
    }
}

TEST_F(EditorWindow, EscLeavesEveryMode) {
    const int commands[] = {EDITOR_WIRE,    EDITOR_BUS,       EDITOR_LINE,      EDITOR_CIRCLE,
                            EDITOR_BOX,     EDITOR_JUNCTION,  EDITOR_NOCONNECT, EDITOR_POWER,
                            EDITOR_NET,     EDITOR_PORT,      EDITOR_TEXT,      EDITOR_SHEET,
                            EDITOR_NETPROP, EDITOR_MARK_FIRST};
    proper_set(TEXT_TEXT, "T", 0);
    for (int command : commands) {
        SCOPED_TRACE(command);
        place(command);
        ASSERT_EQ(canvas->ModeCount(), 2);
        move(Point{1000, 1000});
        move(Point{2000, 1000});
        if (command == EDITOR_JUNCTION || command == EDITOR_PORT) {
            EXPECT_EQ(canvas->GhostCount(), 1u);  // the item follows the pointer
        }
        key(WXK_ESCAPE);
        EXPECT_EQ(canvas->ModeCount(), 1);
        EXPECT_EQ(canvas->editing.look.mode_name, "Main Mode");
        EXPECT_EQ(canvas->GhostCount(), 0u) << "a ghost was left behind";
    }
    EXPECT_EQ(count(LINE_ITEM) + count(JUNCTION_ITEM) + count(TEXT_ITEM), 0);
}

}  // namespace
