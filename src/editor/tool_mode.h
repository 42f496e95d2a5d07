#pragma once
// Interactive tool modes of the editing canvases, without the window.
//
// A canvas edits its document through a stack of mode instances (`myPile`
// of the canvas, `EditSession::pile` here). The bottom instance is the
// canvas's base mode ("Main Mode" on a sheet) and is never popped; every add
// tool, zoom and bookmark mode is pushed on top of it and popped when the
// user ends it. Only the top instance receives events and keys.
//
// A mode is a `ToolMode` descriptor (static, one per tool) with slots that
// may be null: enter (right after the push), exit (right before the pop),
// suspend (another mode is pushed on top), resume (it became the top
// again), event (an editing event code with its world point; non-zero when
// the mode handled it), ghost repaint, ghost draw and ghost erase (the mode's
// overlay; drawing a ghost twice removes it), and a key table. An instance
// carries a zeroed private record of the descriptor's size.
//
// Keys: each table begins with record 0, the mode's mouse help (its key
// codes are 0 and never match), and ends with "Esc : Function exit", whose
// guard always applies and whose action delivers the synthetic event
// EV_ESC (10035) to the mode. A mode that does not handle EV_ESC is popped
// (the base mode never is).
//
// Nothing here includes a window header: the canvas implements EditHost,
// the handful of window services the modes use, and turns its mouse and key
// messages into calls of session_mouse / session_key.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/undo.h"
#include "foundation/geometry.h"

struct EditSession;
struct List;
struct ModeInstance;
struct Schema;
struct SchItem;
struct SubSheet;

// --- editing event codes -------------------------------------------------------
enum EditEvent : int {
    EV_NONE = 0,  // ignored
    EV_LEFT_DOWN = 1,
    EV_LEFT_DOWN_SHIFT = 2,  // left press with Shift (add to the selection)
    EV_LEFT_DCLICK = 3,
    EV_LEFT_UP = 4,
    EV_RIGHT_DOWN = 5,
    EV_RIGHT_UP = 6,
    EV_MOTION = 7,     // no button held
    EV_LEFT_DRAG = 8,  // motion with the left button held
    EV_RIGHT_DRAG = 9,
    EV_MIDDLE_DOWN = 10,
    EV_MIDDLE_UP = 11,
    EV_WHEEL_UP = 12,
    EV_WHEEL_DOWN = 13,
    EV_ENTER = 14,  // the pointer entered the canvas
    EV_LEAVE = 15,
    EV_LEFT_DOWN_CTRL = 16,  // left press with Ctrl (drag instead of move)
    EV_ESC = 10035,          // synthetic: delivered by the Esc key record
};

// A mouse message as the canvas sees it, independent of the toolkit.
enum MouseKind : int {
    MOUSE_DOWN,
    MOUSE_UP,
    MOUSE_DCLICK,
    MOUSE_MOTION,
    MOUSE_WHEEL,
    MOUSE_ENTER,
    MOUSE_LEAVE,
};
enum MouseButton : int { BUTTON_NONE = 0, BUTTON_LEFT = 1, BUTTON_MIDDLE = 2, BUTTON_RIGHT = 3 };
struct MouseInput {
    int kind = MOUSE_MOTION;
    int button = BUTTON_NONE;  // the button that changed (down, up, double click)
    bool shift = false;
    bool ctrl = false;
    bool left_held = false;  // buttons held during a motion
    bool right_held = false;
    int wheel = 0;  // wheel rotation, positive away from the user
    int x = 0;      // window point, pixels
    int y = 0;
};

// The editing event code of a mouse message (EV_NONE for what no mode
// uses), and its window point in *out.
int classify_mouse_event(const MouseInput& input, Point* out);

// --- key codes ------------------------------------------------------------------------
// Keys travel as integers: printable characters as themselves; these for
// the others (the values the toolkit uses, so the canvas passes its codes on).
enum : int {
    TK_BACK = 8,
    TK_TAB = 9,
    TK_RETURN = 13,
    TK_ESCAPE = 27,
    TK_SPACE = 32,
    TK_DELETE = 127,
    TK_LEFT = 314,
    TK_UP = 315,
    TK_RIGHT = 316,
    TK_DOWN = 317,
    TK_INSERT = 322,
    TK_F1 = 340,
    TK_PAGEUP = 366,
    TK_PAGEDOWN = 367,
    TK_CTRL = 0x10000,  // ORed into a key typed with Ctrl
};

// --- descriptors ------------------------------------------------------------------------
using ModeSlot = void (*)(EditSession* session, ModeInstance* instance);
using ModeEventSlot = int (*)(EditSession* session, ModeInstance* instance, int code, Point p);
// Guard: (0, instance, key, 0, 0); non-zero when the key applies now.
using KeyGuard = int (*)(int unused, ModeInstance* instance, int key, int, int);
using KeyAction = int (*)(EditSession* session, ModeInstance* instance, int key);

struct ToolKey {
    int key = 0;
    int alt_key = 0;
    const char* label = "";  // "Esc : Function exit"
    const char* help = "";
    KeyGuard guard = nullptr;  // null: always applies
    KeyAction action = nullptr;
};

struct ToolMode {
    const char* name;
    size_t private_size;  // bytes of the zeroed private record
    ModeSlot enter;
    ModeSlot exit;
    ModeSlot suspend;
    ModeSlot resume;
    ModeEventSlot event;
    ModeSlot ghost_repaint;  // the overlay was cleared: show the ghost again if it was shown
    ModeSlot ghost_draw;
    ModeSlot ghost_erase;
    const ToolKey* keys;  // record 0 the mouse help, the last "Esc : Function exit"
    int key_count;
    const void* tool = nullptr;  // the tool's own constant table, or none
};

// The shared Esc record of every key table.
int esc_guard(int unused, ModeInstance* instance, int key, int, int);
int esc_action(EditSession* session, ModeInstance* instance, int key);
#define TN_ESC_KEY \
    { TK_ESCAPE, 0, "Esc : Function exit", "Function exit", esc_guard, esc_action }

// The canvas state a pushed mode may change and its pop gives back.
struct CanvasLook {
    int cursor = 0;
    int crosshair_style = 0;
    bool crosshair_on = false;
    std::string prompt;
    std::string mode_name;
};

// Pointer shapes of SetModeCursor.
enum : int {
    CURSOR_ARROW = 0,
    CURSOR_CROSS = 1,
    CURSOR_WAIT = 2,
    CURSOR_HAND = 3,
    CURSOR_SIZING = 4
};

struct ModeInstance {
    const ToolMode* mode = nullptr;
    std::unique_ptr<unsigned char[]> data;  // the zeroed private record
    CanvasLook saved;                       // the canvas state before the push
    bool ghost_shown = false;               // the ghost is on the overlay now
};

// The private record of an instance, typed. T must be trivially copyable
// (the record starts zeroed).
template <class T>
T* mode_data(ModeInstance* instance) {
    return reinterpret_cast<T*>(instance->data.get());
}

// --- the window side ---------------------------------------------------------------------------
// What the modes ask of the canvas. Every call has a harmless default, so
// that a session runs without a window (tests record the calls).
class EditHost {
public:
    virtual ~EditHost() = default;
    virtual void redraw() {}
    // Draws again what the document's bounds index noted as changed (a
    // selection change). Redraws everything unless the window does better.
    virtual void redraw_changes() { redraw(); }
    // An edit changed what these world rectangles show (the items it
    // touched, where they were and where they are now). Repaints the
    // whole canvas unless the window does better.
    virtual void invalidate(const std::vector<Rect>& areas) {
        (void)areas;
        redraw();
    }
    // Draws the items on the overlay; drawing the same items again removes them.
    virtual void xor_items(List* items) { (void)items; }
    // The same for a list the mode keeps, and keeps unchanged while its
    // ghost shows (it takes the ghost away, by the same call, before it
    // moves, changes or frees the items): the window may then draw the
    // items from the list at each paint instead of recording them, which
    // makes the ghost of a whole sheet as cheap as what the window shows.
    virtual void xor_kept_items(List* items) { xor_items(items); }
    virtual void show_prompt(const char* text) { (void)text; }
    virtual void show_mode_name(const char* text) { (void)text; }
    virtual void show_cursor(int cursor) { (void)cursor; }
    virtual void show_crosshair(int style, bool on) { (void)style, (void)on; }
    virtual void warp_pointer(Point world) { (void)world; }
    virtual void mark_modified() {}
    virtual void enable_undo(bool on) { (void)on; }
    virtual void refresh_shortcuts() {}
    virtual void bell();
    // A new window for the file, as the given sub-sheet.
    virtual void open_sheet(const char* file_name, SubSheet* box) { (void)file_name, (void)box; }
    // Closes the Add/Edit Sheet dialog when it is open.
    virtual void hide_sheet_dialog() {}
    // The edit dialog of a kind (an edit code, editor/item_edit.h) for the
    // item, or for a new item of that kind when the item is null; p is the
    // click that chose it. False when nothing was opened.
    virtual bool edit_item(SchItem* item, Point p, int code) {
        (void)item, (void)p, (void)code;
        return false;
    }
    // The name of a bookmark slot was just placed: asks for its name.
    virtual void edit_bookmark(int slot) { (void)slot; }
    // The document was replaced (undo): the canvas shows the new one.
    virtual void document_replaced(Schema* now) { (void)now; }
    // Zoom requests of the zoom modes: a factor about a point, an area, the drawing.
    virtual void zoom_by(double factor, Point centre) { (void)factor, (void)centre; }
    virtual void zoom_area(Rect area) { (void)area; }
    virtual void zoom_fit() {}
    // Scrolls the view so the world point is in the middle.
    virtual void centre_on(Point world) { (void)world; }
};

// --- the session: one canvas's editing state ------------------------------------------
// An editor built on the session for another kind of document (the library
// and title-block editors) keeps its own undo copies: edit_checkpoint on a
// session that is not a sheet's hands the request to it.
class SessionOwner {
public:
    virtual ~SessionOwner() = default;
    virtual void checkpoint() = 0;
};

// The kinds of editing canvas (EditSession::kind, EditCanvas::kind); 0 is
// "no child window".
enum : int {
    CANVAS_NONE = 0,
    CANVAS_SHEET = 1,
    CANVAS_LIBRARY = 2,
    CANVAS_TEMPLATE = 3,
    CANVAS_PREVIEW = 4,
};

struct EditSession {
    Schema* schema = nullptr;  // the canvas's document (mySchema); owned by the canvas
    int kind = CANVAS_SHEET;   // CANVAS_*
    EditHost* host = nullptr;  // never null once made (make_session)
    std::vector<std::unique_ptr<ModeInstance>> pile;  // myPile; [0] the base mode
    CanvasLook look;
    // The one-level undo of a sheet: the journal of the last edit of its
    // items, or the copy of the whole document (at most one is kept).
    EditJournal journal;
    DocumentCopy undo;
    SessionOwner* owner = nullptr;  // not owned: the editor of a library or title block
    // The repeat range: the items the last placement made (not owned).
    std::vector<SchItem*> repeat_items;
    bool repeat_on = false;
    // Auto-activation: the Edit Item command arms it and records what the
    // next click in "Find Item" runs on the item under it
    // (editor/item_edit.h).
    bool auto_active = false;
    int restart_command = 0;
    uint8_t auto_operation = 0;
    int32_t click_state = 0;
    Point pointer;  // world point of the last event, on the grid when it snaps
    // The same point as the pointer stands, before the grid: what lies
    // under the pointer is picked there, not half a grid step away.
    Point pointer_exact;
    // The edit buffer's pick origin for moves.
    Point grab;
};

// A session on a document with its base mode pushed (entered). The host
// must outlive the session; null stands for a host doing nothing. A
// session on a sheet (CANVAS_SHEET) puts the ends of its wires and buses in
// order, as the refresh after each edit would.
void session_init(EditSession* session, Schema* schema, int kind, const ToolMode* base,
                  EditHost* host);
// Pops every mode (the base one too, running its exit) and drops the undo
// journal or copy.
void session_close(EditSession* session);

// --- the mode stack ------------------------------------------------------------------------
// A new instance of the descriptor with its zeroed private record: the
// former top is suspended (its ghost erased), the instance pushed and
// entered, the Shortcuts dialog refreshed. Answers the instance, whose
// private record the caller fills. Out of memory is fatal.
ModeInstance* PushMode(EditSession* session, const ToolMode* mode);
// Pops the top instance unless it is the base: its ghost erased, its exit
// slot run, the canvas state saved at its push restored, the new top
// resumed, the Shortcuts dialog refreshed. False when only the base is left.
bool PopMode(EditSession* session);
// Pops every instance of the descriptor, from the top down to the lowest
// one (instances above it go too). The number popped.
int PopModesOf(EditSession* session, const ToolMode* mode);
// The topmost instance of the descriptor, or null.
ModeInstance* FindMode(EditSession* session, const ToolMode* mode);
ModeInstance* TopMode(EditSession* session);
int ModeCount(const EditSession* session);
// The name of the instance at an index (0 the base); "" outside the stack.
const char* ModeName(const EditSession* session, int index);
// The key table of the instance at an index with its count and the
// instance; null outside the stack.
const ToolKey* ModeKeys(EditSession* session, int index, int* count, ModeInstance** instance);

// --- canvas state kept per mode ------------------------------------------------------------
void SetCrossHairStyle(EditSession* session, int style, bool on);
void SetModeCursor(EditSession* session, ModeInstance* instance, int cursor);
void WarpPointer(EditSession* session, Point world);
void set_prompt(EditSession* session, const char* text);
void set_mode_name(EditSession* session, const char* text);

// --- delivery -----------------------------------------------------------------------------------
// Hands an editing event to the top mode; an unhandled EV_ESC pops it.
// `world` is the point the modes place at (on the grid when it snaps),
// `exact` the point under the pointer (session->pointer_exact), where picks
// look; without it the two are one. Non-zero when something handled the
// event.
int session_event(EditSession* session, int code, Point world);
int session_event(EditSession* session, int code, Point world, Point exact);
// Runs the first key record of the top mode (record 0 excluded) whose key
// or alternative key equals the key (letters compared ignoring case) and
// whose guard applies. Non-zero when a record ran.
int session_key(EditSession* session, int key);

// The ghost of the top instance shown / hidden (no-ops when already so).
void ghost_draw(EditSession* session, ModeInstance* instance);
void ghost_erase(EditSession* session, ModeInstance* instance);
