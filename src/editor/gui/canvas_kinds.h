#pragma once
// The kinds of editing canvas (EditCanvas::kind); 0 is "no child window".
enum : int {
    CANVAS_NONE = 0,
    CANVAS_SHEET = 1,
    CANVAS_LIBRARY = 2,
    CANVAS_TEMPLATE = 3,
    CANVAS_PREVIEW = 4,
};
