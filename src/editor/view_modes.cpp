// The zoom mode: a mode that looks at the sheet without changing it.
#include <algorithm>
#include <cstdlib>

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

}  // namespace

const ToolMode zoom_mode{"Zoom",     0,       zoom_enter, nullptr, nullptr,   nullptr,
                         zoom_event, nullptr, nullptr,    nullptr, zoom_keys, 2};
