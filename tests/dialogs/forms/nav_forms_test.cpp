// The navigation dialogs without their windows: Jump refusing a field that
// holds no number, the bookmark's name, Find's counts and steps, the help
// contexts by canvas kind, and the keys Shortcuts lists for a real stack of
// modes.
#include "dialogs/forms/nav_forms.h"

#include <gtest/gtest.h>

#include "dialogs/forms/session_fixture.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/schema.h"
#include "model/items/text.h"
#include "model/items/view.h"

using namespace editor_test;

namespace {

class NavForms : public dialogs_test::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        // Typed coordinates at the plain factor 10, whatever a former test installed.
        set_unit_hook(nullptr);
        set_no_scale(false);
    }
    void TearDown() override {
        set_no_scale(false);
        SessionTest::TearDown();
    }
    void add_text(const char* string, Point at) {
        Text* text = new_Text();
        text->string = string;
        text->pos = at;
        dlist_append(doc()->sheet->items, text);
    }
};

TEST_F(NavForms, JumpTakesUserCoordinatesAndRefusesAFieldWithoutANumber) {
    Point p{-1, -1};
    ASSERT_TRUE(jump_target("100", "200", &p));
    EXPECT_EQ(p, (Point{1000, 2000}));
    EXPECT_TRUE(jump_target("12abc", "0", &p));
    EXPECT_EQ(p, (Point{120, 0}));
    // One bad field: the bell, and no point at all.
    p = Point{7, 7};
    for (auto [x, y] : {std::pair{"100", ""}, std::pair{"-5", "10"}, std::pair{"x", "y"}}) {
        const int before = bells;
        EXPECT_FALSE(jump_target(x, y, &p)) << x << "," << y;
        EXPECT_GT(bells, before);
        EXPECT_EQ(p, (Point{7, 7}));
    }
    set_no_scale(true);
    ASSERT_TRUE(jump_target("100", "200", &p));
    EXPECT_EQ(p, (Point{100, 200}));
    // A number beyond the coordinates takes their far end, not a wrapped one.
    ASSERT_TRUE(jump_target("99999999999", "4294967296", &p));
    EXPECT_EQ(p, (Point{INT32_MAX, INT32_MAX}));
    // The view comes to the point and the pointer onto it.
    show_point(&session, Point{500000, 500000});
    EXPECT_EQ(session.pointer, (Point{500000, 500000}));
}

TEST_F(NavForms, ABookmarkTakesANameThatIsNotEmpty) {
    view_set_tag(&doc()->view, 3, Point{100, 100});
    EXPECT_TRUE(name_bookmark(doc(), 3, "Filter"));
    Point at;
    bool in_use = false;
    EXPECT_STREQ(view_get_tag(&doc()->view, 3, &at, &in_use), "Filter");
    EXPECT_FALSE(name_bookmark(doc(), 3, ""));
    EXPECT_STREQ(view_get_tag(&doc()->view, 3, &at, &in_use), "Filter");
    EXPECT_FALSE(name_bookmark(doc(), 5, "Out"));
    Form form{name_tags_rows()};
    fill_name_tags(form, "Mark D");
    EXPECT_EQ(form.text(NF_BOOKMARK), "Mark D");
}

TEST_F(NavForms, FindCountsTheMatchesAndStepsThroughThem) {
    add_text("CLK", Point{1000, 500});
    add_text("clk", Point{3000, 500});
    add_text("DATA", Point{5000, 500});
    Form form{find_text_rows()};
    form.set_text(NF_SEARCH, std::string(200, 'x'));  // long texts are kept whole
    std::string search_text;
    store_find_text(form, &search_text);
    EXPECT_EQ(search_text.size(), 200u);
    EXPECT_EQ(search_canvas_texts(&session, "CLK", true, false), 1);
    EXPECT_EQ(search_canvas_texts(&session, "CLK", false, false), 2);
    show_match_count(&session, &form, 2);
    EXPECT_TRUE(form.value(NF_NEXT).enabled);
    EXPECT_TRUE(session.repeat_on);
    ASSERT_TRUE(step_match(&session, true));
    EXPECT_EQ(session.pointer, (Point{1000, 500}));
    ASSERT_TRUE(step_match(&session, true));
    EXPECT_EQ(session.pointer, (Point{3000, 500}));
    ASSERT_TRUE(step_match(&session, false));
    EXPECT_EQ(session.pointer, (Point{1000, 500}));
    show_match_count(&session, &form, 1);
    EXPECT_FALSE(form.value(NF_PREVIOUS).enabled);
    EXPECT_FALSE(session.repeat_on);
    EXPECT_EQ(match_count_message(1), "1 match");
    EXPECT_EQ(match_count_message(0), "0 match");
    EXPECT_EQ(match_count_message(-1), "");
    EXPECT_EQ(search_canvas_texts(&session, "none", false, false), 0);
    EXPECT_FALSE(step_match(&session, true));
    // A library canvas finds nothing; no session nothing either.
    session.kind = 2;
    EXPECT_EQ(search_canvas_texts(&session, "CLK", false, false), 0);
    session.kind = 1;
    EXPECT_EQ(search_canvas_texts(nullptr, "CLK", false, false), 0);
}

TEST(NavHelp, EachDialogHasItsContextPerCanvasKind) {
    const long table[3][4] = {{625, 460, 915, 0}, {570, 390, 855, 0}, {565, 565, 850, 565}};
    const long ids[3] = {NAV_CMD_BOOKMARK_HELP, NAV_CMD_JUMP_HELP, NAV_CMD_FIND_HELP};
    for (int d = 0; d < 3; ++d)
        for (int kind = 1; kind <= 4; ++kind)
            EXPECT_EQ(nav_help_context(ids[d], kind), table[d][kind - 1]) << d << " " << kind;
    EXPECT_EQ(nav_help_context(NAV_CMD_FIND_HELP, 0), 0);
}

// --- Shortcuts -----------------------------------------------------------------------------------

int refuse(int, ModeInstance*, int, int, int) { return 0; }
int accept(int, ModeInstance*, int, int, int) { return 1; }

// A mode above Main Mode: Z of its own (hiding Main Mode's), a refused Del
// (Main Mode's stays), a refused X of its own.
const ToolKey test_keys[] = {
    {0, 0, "Left : Test", "", nullptr, nullptr},
    {'Z', 0, "Z : Other zoom", "", accept, nullptr},
    {TK_DELETE, 0, "Del : Refused", "", refuse, nullptr},
    {'X', 0, "X : Refused", "", refuse, nullptr},
    TN_ESC_KEY,
};
const ToolMode test_mode{"Test Mode", 0,       nullptr, nullptr, nullptr,   nullptr,
                         nullptr,     nullptr, nullptr, nullptr, test_keys, 5};

TEST_F(NavForms, ShortcutsListTheKeysNoUpperModeHides) {
    Form form{shortcuts_rows()};
    ShortcutsState state;
    proper_set(SHORTCUT_ALL, 1, 0);
    shortcuts_refresh(form, state, &session);
    EXPECT_EQ(form.value(NF_STATES).entries, (std::vector<std::string>{"Main Mode"}));
    EXPECT_EQ(
        form.value(NF_KEYS).entries,
        (std::vector<std::string>{"Left : Select, move alone  Ctrl+Left : Drag with the wires",
                                  "Del : Delete selection", "Ins : Repeat", "Z : Zoom area",
                                  "Esc : Function exit"}));

    PushMode(&session, &test_mode);
    shortcuts_refresh(form, state, &session);
    EXPECT_EQ(form.value(NF_STATES).entries, (std::vector<std::string>{"Test Mode", "Main Mode"}));
    EXPECT_EQ(form.value(NF_KEYS).entries,
              (std::vector<std::string>{"Left : Test", "Z : Other zoom", "Esc : Function exit",
                                        "Del : Delete selection", "Ins : Repeat"}));

    // The second state alone: its keys that nothing above hides, no mouse help.
    form.set_number(NF_SHOW, 1);
    shortcuts_react(SHORTCUTS_CMD_SHOW, form, state, &session);
    EXPECT_EQ(proper_get(SHORTCUT_ALL), 0);
    EXPECT_TRUE(form.value(NF_KEYS).entries.empty());  // no state chosen yet
    form.select(NF_STATES, 1, true);
    shortcuts_react(SHORTCUTS_CMD_STATES, form, state, &session);
    EXPECT_EQ(state.state_row, 2);
    EXPECT_EQ(form.value(NF_KEYS).entries,
              (std::vector<std::string>{"Del : Delete selection", "Ins : Repeat"}));
    EXPECT_TRUE(form.selected(NF_STATES, 1));
    // A refresh forgets the choices and reads the setting back.
    shortcuts_refresh(form, state, &session);
    EXPECT_FALSE(state.show_all);
    EXPECT_EQ(state.state_row, 0);
    EXPECT_EQ(form.number(NF_SHOW), 1);
}

}  // namespace
