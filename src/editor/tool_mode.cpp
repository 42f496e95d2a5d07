// The mode stack of an editing canvas, key dispatch and the classification
// of mouse messages into editing event codes.
#include "editor/tool_mode.h"

#include <cctype>
#include <new>

#include "connectivity/net_refresh.h"
#include "foundation/core.h"
#include "foundation/services.h"

void EditHost::bell() { services().bell(); }

namespace {

EditHost& null_host() {
    static EditHost host;
    return host;
}

// Shows the saved look again after a pop.
void apply_look(EditSession* session, const CanvasLook& look) {
    session->look = look;
    session->host->show_cursor(look.cursor);
    session->host->show_crosshair(look.crosshair_style, look.crosshair_on);
    session->host->show_prompt(look.prompt.c_str());
    session->host->show_mode_name(look.mode_name.c_str());
}

void run(ModeSlot slot, EditSession* session, ModeInstance* instance) {
    if (slot) slot(session, instance);
}

int fold_key(int key) {
    if (key >= 0 && key < 256 && std::isalpha(key)) return std::toupper(key);
    return key;
}

}  // namespace

// --- classification ------------------------------------------------------------------
int classify_mouse_event(const MouseInput& in, Point* out) {
    if (out) *out = Point{in.x, in.y};
    switch (in.kind) {
        case MOUSE_DOWN:
            if (in.button == BUTTON_LEFT) {
                if (in.ctrl) return EV_LEFT_DOWN_CTRL;
                return in.shift ? EV_LEFT_DOWN_SHIFT : EV_LEFT_DOWN;
            }
            if (in.button == BUTTON_RIGHT) return EV_RIGHT_DOWN;
            if (in.button == BUTTON_MIDDLE) return EV_MIDDLE_DOWN;
            return EV_NONE;
        case MOUSE_UP:
            if (in.button == BUTTON_LEFT) return EV_LEFT_UP;
            if (in.button == BUTTON_RIGHT) return EV_RIGHT_UP;
            if (in.button == BUTTON_MIDDLE) return EV_MIDDLE_UP;
            return EV_NONE;
        case MOUSE_DCLICK: return in.button == BUTTON_LEFT ? EV_LEFT_DCLICK : EV_NONE;
        case MOUSE_MOTION:
            if (in.left_held) return EV_LEFT_DRAG;
            if (in.right_held) return EV_RIGHT_DRAG;
            return EV_MOTION;
        case MOUSE_WHEEL:
            if (in.wheel > 0) return EV_WHEEL_UP;
            if (in.wheel < 0) return EV_WHEEL_DOWN;
            return EV_NONE;
        case MOUSE_ENTER: return EV_ENTER;
        case MOUSE_LEAVE: return EV_LEAVE;
        default: return EV_NONE;
    }
}

// --- Esc -------------------------------------------------------------------------------------
int esc_guard(int, ModeInstance*, int, int, int) { return 1; }

int esc_action(EditSession* session, ModeInstance*, int) {
    return session_event(session, EV_ESC, session->pointer);
}

// --- session -----------------------------------------------------------------------------------
void session_init(EditSession* session, Schema* schema, int kind, const ToolMode* base,
                  EditHost* host) {
    session->schema = schema;
    session->kind = kind;
    session->host = host ? host : &null_host();
    // The refresh after each edit puts every line's ends in order: done
    // once here, at the opening's walk of the sheet, the first edit costs
    // no more than the others (a line turned round draws as before).
    if (kind == CANVAS_SHEET) order_sheet_wire_ends(schema);
    if (base) PushMode(session, base);
}

void session_close(EditSession* session) {
    while (PopMode(session)) {
    }
    if (!session->pile.empty()) {
        ModeInstance* base = session->pile.back().get();
        ghost_erase(session, base);
        run(base->mode->exit, session, base);
        session->pile.clear();
    }
    journal_drop(&session->journal);
    drop_document_copy(&session->undo);
    session->repeat_items.clear();
}

// --- the stack ---------------------------------------------------------------------------------
ModeInstance* PushMode(EditSession* session, const ToolMode* mode) {
    ModeInstance* former = TopMode(session);
    if (former) {
        ghost_erase(session, former);
        run(former->mode->suspend, session, former);
    }
    auto instance = std::unique_ptr<ModeInstance>(new (std::nothrow) ModeInstance);
    if (!instance) no_memory();
    instance->mode = mode;
    instance->data.reset(
        new (std::nothrow) unsigned char[mode->private_size ? mode->private_size : 1]());
    if (!instance->data) no_memory();
    instance->saved = session->look;
    ModeInstance* raw = instance.get();
    session->pile.push_back(std::move(instance));
    set_mode_name(session, mode->name);
    run(mode->enter, session, raw);
    session->host->refresh_shortcuts();
    return raw;
}

bool PopMode(EditSession* session) {
    if (session->pile.size() <= 1) return false;
    ModeInstance* top = session->pile.back().get();
    // The ghost goes first: the exit slot may free the records it shows.
    ghost_erase(session, top);
    run(top->mode->exit, session, top);
    CanvasLook saved = top->saved;
    session->pile.pop_back();
    apply_look(session, saved);
    ModeInstance* now = TopMode(session);
    run(now->mode->resume, session, now);
    session->host->refresh_shortcuts();
    return true;
}

int PopModesOf(EditSession* session, const ToolMode* mode) {
    int popped = 0;
    while (FindMode(session, mode) && session->pile.size() > 1) {
        if (!PopMode(session)) break;
        ++popped;
    }
    return popped;
}

ModeInstance* FindMode(EditSession* session, const ToolMode* mode) {
    for (auto it = session->pile.rbegin(); it != session->pile.rend(); ++it)
        if ((*it)->mode == mode) return it->get();
    return nullptr;
}

ModeInstance* TopMode(EditSession* session) {
    return session->pile.empty() ? nullptr : session->pile.back().get();
}

int ModeCount(const EditSession* session) { return static_cast<int>(session->pile.size()); }

const char* ModeName(const EditSession* session, int index) {
    if (index < 0 || index >= ModeCount(session)) return "";
    return session->pile[static_cast<size_t>(index)]->mode->name;
}

const ToolKey* ModeKeys(EditSession* session, int index, int* count, ModeInstance** instance) {
    if (index < 0 || index >= ModeCount(session)) {
        if (count) *count = 0;
        if (instance) *instance = nullptr;
        return nullptr;
    }
    ModeInstance* at = session->pile[static_cast<size_t>(index)].get();
    if (count) *count = at->mode->key_count;
    if (instance) *instance = at;
    return at->mode->keys;
}

// --- look -----------------------------------------------------------------------------------------
void SetCrossHairStyle(EditSession* session, int style, bool on) {
    session->look.crosshair_style = style;
    session->look.crosshair_on = on;
    session->host->show_crosshair(style, on);
}

void SetModeCursor(EditSession* session, ModeInstance*, int cursor) {
    session->look.cursor = cursor;
    session->host->show_cursor(cursor);
}

void WarpPointer(EditSession* session, Point world) {
    session->pointer = world;
    session->host->warp_pointer(world);
}

void set_prompt(EditSession* session, const char* text) {
    std::string now = text ? text : "";
    if (now.size() > 39) now.resize(39);
    if (now == session->look.prompt) return;
    session->look.prompt = now;
    session->host->show_prompt(now.c_str());
}

void set_mode_name(EditSession* session, const char* text) {
    session->look.mode_name = text ? text : "";
    session->host->show_mode_name(session->look.mode_name.c_str());
}

// --- delivery --------------------------------------------------------------------------------------
int session_event(EditSession* session, int code, Point world) {
    return session_event(session, code, world, world);
}

int session_event(EditSession* session, int code, Point world, Point exact) {
    ModeInstance* top = TopMode(session);
    if (!top || code == EV_NONE) return 0;
    if (code != EV_ESC) {
        session->pointer = world;
        session->pointer_exact = exact;
    }
    int handled = top->mode->event ? top->mode->event(session, top, code, world) : 0;
    if (!handled && code == EV_ESC) handled = PopMode(session) ? 1 : 0;
    return handled;
}

int session_key(EditSession* session, int key) {
    ModeInstance* top = TopMode(session);
    if (!top || !top->mode->keys) return 0;
    int wanted = fold_key(key);
    for (int i = 1; i < top->mode->key_count; ++i) {
        const ToolKey& record = top->mode->keys[i];
        if (fold_key(record.key) != wanted &&
            (record.alt_key == 0 || fold_key(record.alt_key) != wanted))
            continue;
        if (record.guard && !record.guard(0, top, key, 0, 0)) continue;
        if (record.action) record.action(session, top, key);
        return 1;
    }
    return 0;
}

void ghost_draw(EditSession* session, ModeInstance* instance) {
    if (!instance || instance->ghost_shown || !instance->mode->ghost_draw) return;
    instance->mode->ghost_draw(session, instance);
    instance->ghost_shown = true;
}

void ghost_erase(EditSession* session, ModeInstance* instance) {
    if (!instance || !instance->ghost_shown) return;
    if (instance->mode->ghost_erase) instance->mode->ghost_erase(session, instance);
    instance->ghost_shown = false;
}
