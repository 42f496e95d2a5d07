#pragma once
// A sheet editing session without a window: a recording host, a document
// made by the document layer and a session with "Main Mode" at its base.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "editor/tool_mode.h"
#include "model/documents/sheet_fixture.h"

struct Line;

namespace editor_test {

// Remembers what the modes asked of the window.
class RecordingHost : public EditHost {
public:
    void xor_items(List* items) override;
    void show_prompt(const char* text) override { prompts.emplace_back(text); }
    void bell() override { ++bells; }
    void enable_undo(bool on) override {
        undo_enabled = on;
        undo_points += on ? 1 : 0;
    }
    void mark_modified() override { ++modified; }
    void open_sheet(const char* file, SubSheet*) override { opened.emplace_back(file); }
    void document_replaced(Schema* now) override { replaced = now; }
    void zoom_area(Rect area) override { zoomed = area; }
    void invalidate(const std::vector<Rect>& areas) override {
        ++invalidations;
        invalidated = areas;
    }
    bool edit_item(SchItem* item, Point p, int code) override {
        edits.push_back(Edit{item, p, code});
        if (on_edit) on_edit(item, code);
        return edit_answer;
    }
    void edit_bookmark(int slot) override { named_slots.push_back(slot); }

    struct Edit {
        SchItem* item;
        Point p;
        int code;
    };
    std::vector<Edit> edits;
    bool edit_answer = true;
    // Runs while the edit dialog would be open (the pick still held).
    std::function<void(SchItem* item, int code)> on_edit;
    std::vector<int> named_slots;

    int xor_calls = 0;
    int xor_parity = 0;  // items shown on the overlay now (drawing twice removes)
    int bells = 0;
    int modified = 0;
    bool undo_enabled = false;
    int undo_points = 0;  // undo points taken (Undo enabled by each)
    int invalidations = 0;
    std::vector<Rect> invalidated;  // the areas of the last edit
    Schema* replaced = nullptr;
    Rect zoomed;
    std::vector<std::string> prompts;
    std::vector<std::string> opened;
};

class EditorTest : public sheet_test::SheetTest {
protected:
    void SetUp() override;
    void TearDown() override;
    Schema* doc() { return session.schema; }
    // A left click (press and release) at a world point.
    void click(Point p);
    // Press at a, drawn out to b, released there; Ctrl or Shift at the press.
    void draw_out(Point a, Point b, int press_code = EV_LEFT_DOWN);
    int count(int code);
    // A line of the style (0 a wire) from a to b, appended to the sheet.
    Line* add_line(Point a, Point b, uint8_t style = 0);
    // The binary file form of the current document.
    std::vector<unsigned char> saved_bytes();
    // The nets of the document as saved (the document itself untouched):
    // each net the sorted names of its members, a part's pin as
    // "REF.device:pin", a port or power symbol as "port:NAME", "power:NAME";
    // the nets sorted.
    std::vector<std::vector<std::string>> nets();
    // Whether two members share a net.
    bool joined(const std::string& a, const std::string& b);
    // Replaces the document by a sheet compiled from an ASCII source file
    // (a session on it at its base mode).
    void open_source(const std::string& source_file);

    RecordingHost host;
    EditSession session;
};

}  // namespace editor_test
