#pragma once
// A part preview: a canvas of kind CANVAS_PREVIEW inside a panel that shows one library
// part scaled into it (the Get Part dialog's and the palette's preview).
#include "editor/gui/edit_canvas.h"

class PreviewCanvas : public EditCanvas {
public:
    // mode: kept for the callers (the drawing style of later dialogs).
    PreviewCanvas(wxWindow* frame, int x, int y, int width, int height, long style, int mode);
    int mode;
};

// Shows the part of the library file (opened when needed) in the preview,
// its converted form when `converted` is set, fitted into the canvas; with
// `repaint_now` the canvas is painted at once. False, and the preview left
// empty, when the library or the part cannot be had.
bool preview_show_part(PreviewCanvas* preview, const char* library, const char* part_name,
                       int converted, int repaint_now);
