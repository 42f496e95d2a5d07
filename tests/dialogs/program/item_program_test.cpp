// The item dialogs as a user meets them: the real program on the shipped
// example, the dialogs opened from the Place and Edit menus, typed into and
// pressed with real events, the sheet clicked, saved and read back; the
// dialogs' looks compared with reviewed pictures.
//
// Reference images live in tests/data/dialogs/; TN_REGENERATE_SHELL=1
// rewrites them (look at every image before committing it).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/program/example_project.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/text.h"
#include "support/program_driver.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;
using tn_test::Control;
using tn_test::Program;
using tn_test::run_on_display;

const char* const text_dialog = "Tessaron: Add/Edit Text";

class ItemProgram : public example_project::ExampleProgram {
protected:
    // The sheet's canvas: the largest plain window of the main frame.
    std::optional<Control> canvas(Program& program) {
        return program.WaitFor(
            [](const std::vector<Control>& all) -> std::optional<Control> {
                std::optional<Control> best;
                bool in_frame = false;
                for (const Control& c : all) {
                    if (c.depth == 0) in_frame = c.label == "Tessaron Schematic Editor";
                    if (!in_frame || c.depth == 0 || c.kind != "wxWindow") continue;
                    if (!best || c.w * c.h > best->w * best->h) best = c;
                }
                return best;
            },
            "the sheet's canvas");
    }

    // A real click at a point of the screen.
    void click_at(int x, int y) {
        run_on_display("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
                       " sleep 0.2 click 1 sleep 0.2");
    }

    // Esc, then File > Save (over the sheet's own file, no question).
    void save(Program& program) { program.Menu("Escape ctrl+s"); }

    // The texts of a saved sheet, read as the program reads it.
    std::vector<std::string> saved_texts(const std::string& sheet) {
        config_set_defaults();
        if (!lib_list) init_Libraries();
        set_message_formatter(error_message);
        Schema* schema = nullptr;
        EXPECT_EQ(load_schema_file(&schema, file(sheet).c_str()), 0);
        std::vector<std::string> texts;
        if (!schema) return texts;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items))
            if (item->type == TEXT_ITEM) texts.push_back(as_Text(item)->string);
        free_Schema(schema, false);
        return texts;
    }
};

TEST_F(ItemProgram, PlaceTextWithAutoIncrementPlacesThreeNumberedLabels) {
    Program program(config.string());
    start(program);
    program.Menu("alt+p t");
    auto dialog = program.WaitTopLevel(text_dialog);
    ASSERT_TRUE(dialog);
    auto field = program.WaitControl(text_dialog, "Text:");
    ASSERT_TRUE(field);
    program.TypeInto(*field, "D0");
    auto automatic = program.WaitControl(text_dialog, "Auto Inc.");
    ASSERT_TRUE(automatic);
    if (automatic->value == "0") program.Click(*automatic);
    auto internal = program.WaitControl(text_dialog, "Internal Font");
    ASSERT_TRUE(internal);
    if (internal->value == "0") program.Click(*internal);
    auto typed = program.WaitControl(text_dialog, "Text:");
    ASSERT_TRUE(typed && typed->value == "D0");
    const std::string shot = dir.file("text.png");
    ASSERT_TRUE(program.Screenshot(*program.WaitTopLevel(text_dialog), shot));
    tn_test::expect_matches_reference(shot, "dialogs/text_dialog.png");
    auto add = program.WaitControl(text_dialog, "Add");
    ASSERT_TRUE(add);
    program.Click(*add);
    ASSERT_TRUE(program.WaitGone(text_dialog));

    auto sheet = canvas(program);
    ASSERT_TRUE(sheet);
    for (int i = 0; i < 3; ++i) click_at(sheet->x + 120 + 150 * i, sheet->y + sheet->h - 60);
    // Esc ends the placing; the sheet is saved over its file.
    save(program);
    // The saved sheet holds the three numbered texts.
    std::vector<std::string> texts;
    for (int tries = 0; tries < 100; ++tries) {
        texts = saved_texts("root.sch");
        if (std::count(texts.begin(), texts.end(), "D2")) break;
        run_on_display("sleep 0.1");
    }
    for (const char* label : {"D0", "D1", "D2"})
        EXPECT_EQ(std::count(texts.begin(), texts.end(), label), 1) << label;
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "D3"), 0);
}

}  // namespace
