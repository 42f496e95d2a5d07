// The mode stack, Esc, key dispatch, mouse classification and ghosts.
#include <gtest/gtest.h>

#include <cstring>

#include "editor_fixture.h"

using namespace editor_test;

namespace {

int entered = 0, exited = 0, suspended = 0, resumed = 0, acted = 0;
bool guard_open = true;

void count_enter(EditSession* s, ModeInstance* i) {
    ++entered;
    set_prompt(s, "probe");
    SetModeCursor(s, i, CURSOR_CROSS);
}
void count_exit(EditSession*, ModeInstance*) { ++exited; }
void count_suspend(EditSession*, ModeInstance*) { ++suspended; }
void count_resume(EditSession*, ModeInstance*) { ++resumed; }
int guard(int, ModeInstance*, int, int, int) { return guard_open ? 1 : 0; }
int act(EditSession*, ModeInstance*, int) { return ++acted; }

const ToolKey probe_keys[] = {
    {0, 0, "Left : nothing", "", nullptr, nullptr},
    {'r', TK_F1, "R : Act", "", guard, act},
    TN_ESC_KEY,
};
const ToolMode probe_mode{"Probe", 16,      count_enter, count_exit, count_suspend, count_resume,
                          nullptr, nullptr, nullptr,     nullptr,    probe_keys,    3};

class ModeStackTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        entered = exited = suspended = resumed = acted = 0;
        guard_open = true;
    }
};

TEST_F(ModeStackTest, PushFindPopKeepTheStackAndTheCanvasLookInOrder) {
    ASSERT_EQ(ModeCount(&session), 1);
    EXPECT_STREQ(ModeName(&session, 0), "Main Mode");
    ModeInstance* first = PushMode(&session, &probe_mode);
    ModeInstance* second = PushMode(&session, &probe_mode);
    EXPECT_EQ(entered, 2);
    EXPECT_EQ(suspended, 1);  // the first probe, when the second came
    EXPECT_EQ(ModeCount(&session), 3);
    EXPECT_EQ(FindMode(&session, &probe_mode), second);
    EXPECT_EQ(FindMode(&session, &add_port_mode), nullptr);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(first->data[i], 0);  // zeroed private record
    EXPECT_STREQ(ModeName(&session, 2), "Probe");
    EXPECT_STREQ(ModeName(&session, 3), "");

    int count = 0;
    ModeInstance* at = nullptr;
    const ToolKey* keys = ModeKeys(&session, 1, &count, &at);
    EXPECT_EQ(keys, probe_keys);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(at, first);
    EXPECT_EQ(ModeKeys(&session, 9, &count, &at), nullptr);

    EXPECT_TRUE(PopMode(&session));
    EXPECT_EQ(exited, 1);
    EXPECT_EQ(resumed, 1);
    EXPECT_EQ(FindMode(&session, &probe_mode), first);
    EXPECT_TRUE(PopMode(&session));
    // The look of the base is back; the base itself never goes.
    EXPECT_EQ(session.look.prompt, "");
    EXPECT_EQ(session.look.cursor, CURSOR_ARROW);
    EXPECT_EQ(session.look.mode_name, "Main Mode");
    EXPECT_FALSE(PopMode(&session));
    EXPECT_EQ(ModeCount(&session), 1);
}

// A session on a sheet puts the ends of its wires and buses in order when
// it starts, as the refresh after an edit would (so that the first edit
// need not walk the sheet); drawing lines, and a library's editing sheet,
// stay as they are.
TEST_F(ModeStackTest, ASheetSessionStartsWithItsWireEndsInOrder) {
    session_close(&session);
    Line* wire = add_line(Point{3000, 0}, Point{1000, 0});
    Line* bus = add_line(Point{0, 5000}, Point{0, 2000}, BUS);
    Line* drawn = add_line(Point{9000, 0}, Point{8000, 0}, DRAW);
    EditSession library;
    session_init(&library, doc(), 2, nullptr, &host);
    EXPECT_EQ(wire->pos, (Point{3000, 0}));
    session_close(&library);
    session_init(&session, doc(), 1, nullptr, &host);
    EXPECT_EQ(wire->pos, (Point{1000, 0}));
    EXPECT_EQ(wire->end, (Point{3000, 0}));
    EXPECT_EQ(bus->pos, (Point{0, 2000}));
    EXPECT_EQ(drawn->pos, (Point{9000, 0}));
}

TEST_F(ModeStackTest, PopModesOfTakesEveryInstanceAndThoseAboveIt) {
    PushMode(&session, &probe_mode);
    PushMode(&session, &add_junction_mode);
    PushMode(&session, &probe_mode);
    EXPECT_EQ(PopModesOf(&session, &probe_mode), 3);
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(ModeStackTest, KeysGoToTheTopModeThroughTheirGuards) {
    PushMode(&session, &probe_mode);
    EXPECT_EQ(session_key(&session, 'R'), 1);  // letters ignore case
    EXPECT_EQ(session_key(&session, TK_F1), 1);
    EXPECT_EQ(acted, 2);
    guard_open = false;
    EXPECT_EQ(session_key(&session, 'r'), 0);
    EXPECT_EQ(session_key(&session, 0), 0);  // record 0 is help, never a key
    EXPECT_EQ(acted, 2);
    // Esc delivers the synthetic event; the probe does not take it: popped.
    EXPECT_EQ(session_key(&session, TK_ESCAPE), 1);
    EXPECT_EQ(ModeCount(&session), 1);
    // On the base, Esc clears the selection and the base stays.
    EXPECT_EQ(session_key(&session, TK_ESCAPE), 1);
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(ModeStackTest, EveryTableEndsWithEscAndEscLeavesEveryMode) {
    const ToolMode* modes[] = {&add_wires_mode,      &add_junction_mode, &add_nocon_mode,
                               &add_net_mode,        &add_port_mode,     &add_netprop_mode,
                               &add_power_mode,      &add_part_mode,     &add_sheet_mode,
                               &add_text_mode,       &enter_sheet_mode,  &zoom_area_mode,
                               &place_bookmark_mode, &main_mode};
    for (const ToolMode* mode : modes) {
        SCOPED_TRACE(mode->name);
        ASSERT_GE(mode->key_count, 2);
        EXPECT_STREQ(mode->keys[mode->key_count - 1].label, "Esc : Function exit");
        EXPECT_EQ(mode->keys[0].key, 0);
        if (mode == &main_mode) continue;
        PushMode(&session, mode);
        session_event(&session, EV_MOTION, Point{1000, 1000});
        EXPECT_EQ(session_key(&session, TK_ESCAPE), 1);
        EXPECT_EQ(ModeCount(&session), 1);
        EXPECT_EQ(host.xor_parity, 0) << "a ghost was left on the overlay";
    }
}

TEST_F(ModeStackTest, AModePoppedWithItsGhostShownLeavesNoGhost) {
    start_junction_mode(&session);
    session_event(&session, EV_MOTION, Point{2000, 2000});
    ASSERT_EQ(host.xor_parity, 1);
    ASSERT_TRUE(TopMode(&session)->ghost_shown);
    PopMode(&session);
    EXPECT_EQ(host.xor_parity, 0);
    // Pushing over a shown ghost hides it too.
    start_port_mode(&session);
    session_event(&session, EV_MOTION, Point{2000, 2000});
    PushMode(&session, &probe_mode);
    EXPECT_EQ(host.xor_parity, 0);
}

struct Classified {
    MouseInput input;
    int code;
};

class ClassifyTest : public ::testing::TestWithParam<Classified> {};

TEST_P(ClassifyTest, GivesTheEditingEventCode) {
    Point at;
    MouseInput in = GetParam().input;
    in.x = 12;
    in.y = 34;
    EXPECT_EQ(classify_mouse_event(in, &at), GetParam().code);
    EXPECT_EQ(at, (Point{12, 34}));
}

MouseInput mouse(int kind, int button, bool shift = false, bool ctrl = false, bool left = false,
                 bool right = false, int wheel = 0) {
    MouseInput in;
    in.kind = kind;
    in.button = button;
    in.shift = shift;
    in.ctrl = ctrl;
    in.left_held = left;
    in.right_held = right;
    in.wheel = wheel;
    return in;
}

INSTANTIATE_TEST_SUITE_P(
    Events, ClassifyTest,
    ::testing::Values(
        Classified{mouse(MOUSE_DOWN, BUTTON_LEFT), EV_LEFT_DOWN},
        Classified{mouse(MOUSE_DOWN, BUTTON_LEFT, true), EV_LEFT_DOWN_SHIFT},
        Classified{mouse(MOUSE_DOWN, BUTTON_LEFT, false, true), EV_LEFT_DOWN_CTRL},
        Classified{mouse(MOUSE_UP, BUTTON_LEFT, true, true), EV_LEFT_UP},
        Classified{mouse(MOUSE_DOWN, BUTTON_RIGHT), EV_RIGHT_DOWN},
        Classified{mouse(MOUSE_UP, BUTTON_RIGHT), EV_RIGHT_UP},
        Classified{mouse(MOUSE_DOWN, BUTTON_MIDDLE), EV_MIDDLE_DOWN},
        Classified{mouse(MOUSE_UP, BUTTON_MIDDLE), EV_MIDDLE_UP},
        Classified{mouse(MOUSE_DCLICK, BUTTON_LEFT), EV_LEFT_DCLICK},
        Classified{mouse(MOUSE_DCLICK, BUTTON_RIGHT), EV_NONE},
        Classified{mouse(MOUSE_MOTION, BUTTON_NONE), EV_MOTION},
        Classified{mouse(MOUSE_MOTION, BUTTON_NONE, false, false, true), EV_LEFT_DRAG},
        Classified{mouse(MOUSE_MOTION, BUTTON_NONE, false, false, false, true), EV_RIGHT_DRAG},
        Classified{mouse(MOUSE_WHEEL, BUTTON_NONE, false, false, false, false, 120), EV_WHEEL_UP},
        Classified{mouse(MOUSE_WHEEL, BUTTON_NONE, false, false, false, false, -120),
                   EV_WHEEL_DOWN},
        Classified{mouse(MOUSE_WHEEL, BUTTON_NONE), EV_NONE},
        Classified{mouse(MOUSE_ENTER, BUTTON_NONE), EV_ENTER},
        Classified{mouse(MOUSE_LEAVE, BUTTON_NONE), EV_LEAVE},
        Classified{mouse(MOUSE_DOWN, BUTTON_NONE), EV_NONE}));

}  // namespace

namespace {

TEST_F(ModeStackTest, ZoomAreaAsksForTheRectangleDrawnAndEnds) {
    EXPECT_EQ(session_key(&session, 'z'), 1);
    ASSERT_STREQ(ModeName(&session, 1), "Zoom Area");
    draw_out(Point{1000, 5000}, Point{4000, 1000});
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(host.zoomed.x, 1000);
    EXPECT_EQ(host.zoomed.y, 1000);
    EXPECT_EQ(host.zoomed.w, 3000);
    EXPECT_EQ(host.zoomed.h, 4000);
    EXPECT_EQ(host.xor_parity, 0);
}

}  // namespace
