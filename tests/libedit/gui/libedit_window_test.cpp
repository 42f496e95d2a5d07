// The library editor's drawing tools on a real library canvas in a window,
// driven by mouse and key events sent through the display server: a line
// by clicks, BackSpace, a box, an arc bent with the pointer, right clicks
// ending the figure and the tool.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/frame.h>

#include "editor/gui/edit_canvas.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"
#include "toolkit/gui_services.h"

namespace {

class LibraryWindow : public ::testing::Test {
protected:
    void SetUp() override {
        config_set_defaults();
        reset_services();
        install_gui_services();
        install_shell_services();
        set_message_formatter(error_message);
        proper_set(GRID_SIZE, 1000, STAY_GRID, 1, GEOMETRY, 3, 0);
        frame = new wxFrame(nullptr, wxID_ANY, "library", wxPoint(40, 40), wxSize(700, 600));
        canvas = new EditCanvas(frame, CANVAS_LIBRARY);
        driver = std::make_unique<tn_test::CanvasDriver>(canvas);
        Schema* doc = nullptr;
        new_active_schema(&doc);
        canvas->TakeDocument(doc);
        // A part of 6000 x 5000 under edit, its body from (10000, 10000).
        part = new_Part();
        part->body = Rect{0, 0, 6000, 5000};
        LibEntry* entry = new_LibEntry();
        entry->name.set("BODY");
        entry->part = part;
        ref_Part(part);
        lib_insert_entry(doc->library, entry);
        ASSERT_TRUE(libedit_load_part(&canvas->libedit, entry, false));
        libedit_attach_part(&canvas->libedit, entry, "BODY");
        frame->Show();
        frame->Raise();
        driver->pump_until(
            [&] { return canvas->IsShownOnScreen() && canvas->GetClientSize().x > 100; });
        tn_test::settle();
        canvas->SetFocus();
        // World (0, 0) at the top left, a grid step some thirty-five pixels.
        view_set_scale(&doc->view, 4.0, false);
        canvas->Redraw();
        tn_test::settle();
        wxPoint far = canvas->ScreenToClient(driver->screen_of(Point{17000, 16000}));
        ASSERT_TRUE(wxRect(canvas->GetClientSize()).Contains(far)) << far.x << "," << far.y;
    }
    void TearDown() override {
        frame->Destroy();
        wxTheApp->ProcessPendingEvents();
        reset_services();
        config_set_defaults();
    }
    List* body() { return part->normal ? part->normal->items : nullptr; }
    SchItem* item(int i) {
        DListNode* node = dlist_head(body());
        while (i-- > 0) node = dlist_next(node);
        return static_cast<SchItem*>(node->data);
    }
    void click(Point p, int button = wxMOUSE_BTN_LEFT) { driver->click(p, button); }

    wxFrame* frame = nullptr;
    EditCanvas* canvas = nullptr;
    Part* part = nullptr;
    std::unique_ptr<tn_test::CanvasDriver> driver;
};

TEST_F(LibraryWindow, ALineByClicksWithBackSpaceThenABoxThenTheToolEnds) {
    menu_command(canvas, LIBEDIT_CMD_LINE, 0);
    ASSERT_STREQ(canvas->ModeName(1), "Add Vectors ,...");
    click(Point{11000, 11000});
    click(Point{14000, 11000});
    click(Point{14000, 13000});
    click(Point{12000, 14000});
    driver->key(WXK_BACK);  // the last segment goes
    click(Point{14000, 13000}, wxMOUSE_BTN_RIGHT);
    ASSERT_NE(body(), nullptr);
    ASSERT_EQ(body()->count, 2u);
    EXPECT_EQ(as_Line(item(0))->pos, (Point{1000, 1000}));
    EXPECT_EQ(as_Line(item(0))->end, (Point{4000, 1000}));
    EXPECT_EQ(as_Line(item(1))->end, (Point{4000, 3000}));
    EXPECT_TRUE(schema_is_modified(canvas->mySchema));

    menu_command(canvas, LIBEDIT_CMD_BOX, 0);
    EXPECT_EQ(canvas->ModeCount(), 2);  // the line tool ended first
    click(Point{12000, 12000});
    click(Point{15000, 14000});
    click(Point{15000, 14000}, wxMOUSE_BTN_RIGHT);
    ASSERT_EQ(body()->count, 3u);
    EXPECT_EQ(as_Rect(item(2))->corner, (Point{5000, 4000}));
    click(Point{15000, 14000}, wxMOUSE_BTN_RIGHT);  // no figure under way: the tool ends
    EXPECT_EQ(canvas->ModeCount(), 1);
}

TEST_F(LibraryWindow, AnArcIsBentByThePointerAndStoredInQuarters) {
    menu_command(canvas, LIBEDIT_CMD_ARC_END, 0);
    click(Point{12000, 13000});
    click(Point{14000, 13000});
    EXPECT_EQ(canvas->prompt, "Adjust Arc radius");
    driver->move(Point{15000, 13000});  // bends the arc
    click(Point{15000, 13000});
    click(Point{15000, 13000}, wxMOUSE_BTN_RIGHT);
    ASSERT_NE(body(), nullptr);
    ASSERT_GE(body()->count, 1u);
    for (SchItem* it : list_items<SchItem>(body())) {
        ASSERT_EQ(it->type, ARC_ITEM);
        const Arc* arc = as_Arc(it);
        // Bent: the centre left the chord's middle; every piece within a quarter.
        EXPECT_NE(arc->pos, (Point{3000, 3000}));
        EXPECT_TRUE(arc->start.x == arc->pos.x || arc->start.y == arc->pos.y ||
                    arc->end.x == arc->pos.x || arc->end.y == arc->pos.y);
    }
    driver->key(WXK_ESCAPE);
    EXPECT_EQ(canvas->ModeCount(), 1);
}

}  // namespace
