// The zoom modes and "Find Item": modes that look at the sheet without
// changing it.
#include <algorithm>
#include <cstdlib>

#include "editor/edit_ops.h"
#include "editor/sheet_modes.h"
#include "model/documents/schema.h"

namespace {

// --- "Zoom": a left click shows twice as much detail about the point, a
// right click half as much --------------------------------------------------------------------
int zoom_event(EditSession* session, ModeInstance*, int code, Point p) {
    switch (code) {
        case EV_LEFT_UP: session->host->zoom_by(2.0, p); return 1;
        case EV_RIGHT_UP: session->host->zoom_by(0.5, p); return 1;
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

void zoom_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Left : Zoom in  Right : Zoom out");
}

const ToolKey zoom_keys[] = {
    {0, 0, "Left : Zoom in  Right : Zoom out", "", nullptr, nullptr},
    TN_ESC_KEY,
};

// --- "Find Item": steps through the matches of the last search ----------------------------------
void show_match(EditSession* session, bool found, Point p) {
    if (!found) {
        session->host->bell();
        return;
    }
    session->host->centre_on(p);
    WarpPointer(session, p);
}

int find_next(EditSession* session, ModeInstance*, int) {
    Point p;
    show_match(session, match_next(session->schema, &p), p);
    return 1;
}

int find_previous(EditSession* session, ModeInstance*, int) {
    Point p;
    show_match(session, match_previous(session->schema, &p), p);
    return 1;
}

int find_event(EditSession* session, ModeInstance* instance, int code, Point) {
    switch (code) {
        case EV_LEFT_UP: return find_next(session, instance, 0);
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

void find_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_ARROW);
    set_prompt(session, "N : Next match  P : Previous match");
}

const ToolKey find_keys[] = {
    {0, 0, "Left : Next match  Right : End", "", nullptr, nullptr},
    {'N', TK_DOWN, "N : Next match", "Show the next match", nullptr, find_next},
    {'P', TK_UP, "P : Previous match", "Show the previous match", nullptr, find_previous},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode zoom_mode{"Zoom", 0, zoom_enter, nullptr, nullptr, nullptr,
                         zoom_event, nullptr, nullptr, nullptr, zoom_keys, 2};
const ToolMode find_item_mode{"Find Item", 0, find_enter, nullptr, nullptr, nullptr,
                              find_event, nullptr, nullptr, nullptr, find_keys, 4};

int start_find_mode(EditSession* session, const char* pattern, bool case_sensitive, bool wildcards) {
    int found = session->kind == 3 ? search_title_texts(session->schema, pattern, case_sensitive, wildcards)
                                   : search_sheet_texts(session->schema, pattern, case_sensitive, wildcards);
    if (!FindMode(session, &find_item_mode)) PushMode(session, &find_item_mode);
    if (found) find_next(session, TopMode(session), 0);
    else session->host->bell();
    return found;
}
