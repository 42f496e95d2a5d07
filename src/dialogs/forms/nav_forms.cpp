#include "dialogs/forms/nav_forms.h"

#include <cctype>
#include <cstdio>

#include "editor/edit_ops.h"
#include "editor/sheet_modes.h"
#include "editor/tool_mode.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/schema.h"
#include "model/items/view.h"

namespace {

FormRow button(const char* label, long client, int field = 0) {
    return {.kind = RowKind::DIALOG_BUTTON, .field = field, .label = label, .client = client};
}
FormRow help(long client) { return button("Help", client); }
FormRow gap() { return {.kind = RowKind::BUTTON_SPACE, .min = 20}; }

// A coordinate field: a decimal number at its start.
bool coordinate(const std::string& text, int32_t* out) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    *out = user_to_world(leading_number(text));
    return true;
}

// True when a key record applies now (no guard: always).
bool applies(const ToolKey& key, ModeInstance* instance) {
    return !key.guard || key.guard(0, instance, key.key, 0, 0) != 0;
}

// True when a mode above index i defines the key and it applies there.
bool hidden_above(EditSession* session, int i, int key) {
    for (int k = ModeCount(session) - 1; k > i; --k) {
        int count = 0;
        ModeInstance* instance = nullptr;
        const ToolKey* keys = ModeKeys(session, k, &count, &instance);
        for (int j = 1; j < count; ++j)
            if (keys[j].key == key && applies(keys[j], instance)) return true;
    }
    return false;
}

}  // namespace

long nav_help_context(long help_id, int canvas_kind) {
    switch (help_id) {
        case NAV_CMD_BOOKMARK_HELP:
            return canvas_kind == CANVAS_SHEET      ? 625
                   : canvas_kind == CANVAS_LIBRARY  ? 460
                   : canvas_kind == CANVAS_TEMPLATE ? 915
                                                    : 0;
        case NAV_CMD_JUMP_HELP:
            return canvas_kind == CANVAS_SHEET      ? 570
                   : canvas_kind == CANVAS_LIBRARY  ? 390
                   : canvas_kind == CANVAS_TEMPLATE ? 855
                                                    : 0;
        case NAV_CMD_FIND_HELP:
            return canvas_kind == CANVAS_TEMPLATE ? 850 : canvas_kind > CANVAS_NONE ? 565 : 0;
        default: return 0;
    }
}

// --- Bookmark Name ----------------------------------------------------------------------------

std::vector<FormRow> name_tags_rows() {
    return {
        {.kind = RowKind::TEXT,
         .field = NF_BOOKMARK,
         .label = "Bookmark Name:",
         .sample = "012345678900123456789",
         .select_all = true},
        button("Ok", NAV_CMD_BOOKMARK_OK),
        gap(),
        help(NAV_CMD_BOOKMARK_HELP),
    };
}

void fill_name_tags(Form& form, const std::string& name) { form.set_text(NF_BOOKMARK, name); }

bool name_bookmark(Schema* schema, int slot, const std::string& name) {
    if (!schema || name.empty() || slot < 0 || slot >= VIEW_SLOTS) return false;
    view_set_tag_name(&schema->view, slot, name.c_str());
    return true;
}

// --- Jump XY Position -------------------------------------------------------------------------

std::vector<FormRow> jump_xypos_rows() {
    return {
        {.kind = RowKind::TEXT,
         .field = NF_X,
         .label = "X Position:",
         .sample = "01234567",
         .select_all = true},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT, .field = NF_Y, .label = "Y Position:", .sample = "01234567"},
        button("Jump", NAV_CMD_JUMP),
        gap(),
        help(NAV_CMD_JUMP_HELP),
    };
}

bool jump_target(const std::string& x, const std::string& y, Point* out) {
    Point p;
    bool good = true;
    for (auto [text, coordinate_out] : {std::pair{&x, &p.x}, std::pair{&y, &p.y}}) {
        if (coordinate(*text, coordinate_out)) continue;
        services().bell();
        good = false;
    }
    if (good) *out = p;
    return good;
}

void show_point(EditSession* session, Point p) {
    if (!session || !session->schema) return;
    if (view_ensure_visible(&session->schema->view, p)) session->host->redraw();
    WarpPointer(session, p);
}

// --- Find Text -----------------------------------------------------------------------------------

std::vector<FormRow> find_text_rows() {
    return {
        {.kind = RowKind::TEXT,
         .field = NF_SEARCH,
         .label = "Text to Search:",
         .sample = "012345678900123456789",
         .select_all = true},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHECK, .field = NF_CASE, .label = "Case Sensitive"},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHECK, .field = NF_JOKER, .label = "Wildcards Allowed"},
        button("Find", NAV_CMD_FIND),
        button(" << ", NAV_CMD_PREVIOUS, NF_PREVIOUS),
        button(" >> ", NAV_CMD_NEXT, NF_NEXT),
        gap(),
        help(NAV_CMD_FIND_HELP),
    };
}

void load_find_text(Form& form, const std::string& search_text) {
    form.set_text(NF_SEARCH, search_text);
    form.set_number(NF_CASE, proper_get(FIND_CASE) != 0);
    form.set_number(NF_JOKER, proper_get(FIND_JOKER) != 0);
}

void store_find_text(const Form& form, std::string* search_text) {
    proper_set(FIND_CASE, form.number(NF_CASE) ? 1 : 0, FIND_JOKER, form.number(NF_JOKER) ? 1 : 0,
               0);
    *search_text = form.text(NF_SEARCH);
}

int search_canvas_texts(EditSession* session, const std::string& text, bool case_sensitive,
                        bool wildcards) {
    if (!session || !session->schema) return 0;
    if (session->kind == CANVAS_SHEET)
        return search_sheet_texts(session->schema, text.c_str(), case_sensitive, wildcards);
    if (session->kind == CANVAS_TEMPLATE)
        return search_title_texts(session->schema, text.c_str(), case_sensitive, wildcards);
    return 0;
}

std::string match_count_message(int count) {
    if (count < 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%d match", count);
    return text;
}

void show_match_count(EditSession* session, Form* form, int count) {
    if (session) canvas_set_repeat(session, count);
    if (!form) return;
    form->value(NF_PREVIOUS).enabled = count >= 2;
    form->value(NF_NEXT).enabled = count >= 2;
}

bool step_match(EditSession* session, bool forward) {
    if (!session || !session->schema) return false;
    Point p;
    const bool found =
        forward ? match_next(session->schema, &p) : match_previous(session->schema, &p);
    if (found) show_point(session, p);
    return found;
}

// --- Shortcuts -----------------------------------------------------------------------------------

std::vector<FormRow> shortcuts_rows() {
    const char* samples =
        "WWWWWWWWWW\nWWWWWWWWWW\nWWWWWWWWWW\nWWWWWWWWWW\nWWWWWWWWWW\n"
        "WWWWWWWWWW\nWWWWWWWWWW\nWWWWWWWWWW\nWWWWWWWWWW\nWWWWWWWWWW";
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::PICK,
         .field = NF_STATES,
         .label = "Active States:",
         .client = SHORTCUTS_CMD_STATES,
         .sample = samples,
         .min = 140,
         .max = 180},
        {.kind = RowKind::PICK,
         .field = NF_KEYS,
         .label = "Active Keys:",
         .client = SHORTCUTS_CMD_KEYS,
         .sample = samples,
         .min = 140,
         .max = 180},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::RADIO,
         .field = NF_SHOW,
         .client = SHORTCUTS_CMD_SHOW,
         .sample = "Show All Keys\nShow Selected States"},
        {.kind = RowKind::LABEL, .label = "       "},
        {.kind = RowKind::SUB_PANEL},
        {.kind = RowKind::BUTTON, .label = "Cancel", .client = SHORTCUTS_CMD_CANCEL},
        {.kind = RowKind::END_PANEL},
    };
}

void shortcuts_fill(Form& form, ShortcutsState& state, EditSession* session, bool rebuild) {
    const int n = session ? ModeCount(session) : 0;
    proper_set(SHORTCUT_ALL, state.show_all ? 1 : 0, 0);
    form.set_number(NF_SHOW, state.show_all ? 0 : 1);
    if (rebuild) {
        std::vector<std::string> states, keys;
        for (int i = n - 1; i >= 0; --i) {
            states.push_back(ModeName(session, i));
            if (!state.show_all && n - i != state.state_row) continue;
            int count = 0;
            ModeInstance* instance = nullptr;
            const ToolKey* records = ModeKeys(session, i, &count, &instance);
            for (int j = 0; j < count; ++j) {
                const ToolKey& record = records[j];
                if (j == 0) {
                    // The mouse help: only the top mode's.
                    if (i == n - 1) keys.push_back(record.label);
                    continue;
                }
                if (!applies(record, instance) || hidden_above(session, i, record.key)) continue;
                keys.push_back(record.label);
            }
        }
        form.set_entries(NF_STATES, std::move(states));
        form.set_entries(NF_KEYS, std::move(keys));
    }
    const auto select_row = [&](int field, int row) {
        const size_t lines = form.value(field).entries.size();
        for (size_t line = 0; line < lines; ++line)
            form.select(field, line, static_cast<int>(line) + 1 == row);
    };
    select_row(NF_STATES, state.state_row);
    select_row(NF_KEYS, state.key_row);
}

void shortcuts_refresh(Form& form, ShortcutsState& state, EditSession* session) {
    state.state_row = state.key_row = 0;
    state.show_all = proper_get(SHORTCUT_ALL) != 0;
    shortcuts_fill(form, state, session, true);
}

void shortcuts_react(long id, Form& form, ShortcutsState& state, EditSession* session) {
    switch (id) {
        case SHORTCUTS_CMD_STATES:
            state.state_row = form.picked(NF_STATES) + 1;
            if (!state.show_all) shortcuts_fill(form, state, session, true);
            break;
        case SHORTCUTS_CMD_KEYS:
            state.key_row = form.picked(NF_KEYS) + 1;
            shortcuts_fill(form, state, session, false);
            break;
        case SHORTCUTS_CMD_SHOW:
            state.show_all = form.number(NF_SHOW) == 0;
            shortcuts_fill(form, state, session, true);
            break;
        default: break;
    }
}
