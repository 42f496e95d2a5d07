#pragma once
// A library window's editor without the window: a document made as the
// window makes it, a session with the library base mode, and hosts that
// remember what the editor asked of the window.
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "libedit/libedit.h"
#include "libedit/libedit_tools.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"

struct Part;

namespace libedit_test {

class RecordingHost : public EditHost {
public:
    void xor_items(List* items) override;
    void bell() override { ++bells; }
    void enable_undo(bool on) override { undo_enabled = on; }
    void mark_modified() override { ++modified; }
    void show_prompt(const char* text) override { prompt = text; }

    int bells = 0;
    int modified = 0;
    int shown = 0;  // items on the overlay now (drawing a picture twice removes it)
    std::multiset<std::string> on_overlay;
    bool undo_enabled = false;
    std::string prompt;
};

class RecordingLibHost : public LibEditHost {
public:
    void part_changed() override { ++parts; }
    void names_changed() override { ++names; }
    bool ok_to_close() override { return close_answer; }
    void command(int id) override { commands.push_back(id); }
    // Each question takes the next scripted answer (none: cancelled).
    bool ask_text(const char* message, const char* caption, const char* proposal,
                  std::string* answer) override;
    void edit_pin(PlacedPart* placed, Pin* pin) override { edited_pins.push_back({placed, pin}); }
    void edit_text(SchItem* item) override { edited_texts.push_back(item); }
    void blink(bool on) override { blinking = on; }

    int parts = 0;
    int names = 0;
    bool close_answer = true;
    std::vector<int> commands;
    std::deque<std::optional<std::string>> answers;  // nullopt: Cancel
    std::vector<std::string> asked;                  // "caption|proposal" of each question
    std::vector<std::pair<PlacedPart*, Pin*>> edited_pins;
    std::vector<SchItem*> edited_texts;
    bool blinking = false;
};

class LibEditTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // kind 2 a library window, 3 a template window.
    void start(int kind);
    Schema* doc() { return session.schema; }
    Library* lib() { return doc()->library; }
    List* items() { return libedit_items(&ed); }
    // A part entered in the window's library under the name: body w x h,
    // `devices` per package, prefix "U", a normal drawing (one line), and
    // with `converted` a converted drawing; pins: one left input "A" (numbers
    // "1", "2", ...) and one power pin on the top.
    Part* add_part(const char* name, int devices, int w, int h, bool converted);
    // Loads the entry of that name and lays it out as Get Part does.
    void get_part(const char* name);
    int count(int code);
    // Left press and release at a world point (with a motion there first).
    void click(Point p);
    void right_click(Point p);
    void move(Point p);

    RecordingHost host;
    RecordingLibHost lib_host;
    EditSession session;
    LibEdit ed;
};

}  // namespace libedit_test
