#pragma once
// The main frame's toolbar and part palette. Buttons carry their own ids;
// toolbar_command maps them to the command of the current canvas's kind.
class EditCanvas;
class wxToolBar;
class wxWindow;

enum : int {
    TOOL_FIRST = 21001,
    TOOL_NEW = TOOL_FIRST,
    TOOL_OPEN,
    TOOL_SAVE,
    TOOL_PRINT,
    TOOL_PREVIEW,
    TOOL_UNDO,
    TOOL_ZOOM_IN,
    TOOL_ZOOM_OUT,
    TOOL_ZOOM_FIT,
    TOOL_WIRE,
    TOOL_BUS,
    TOOL_JUNCTION,
    TOOL_PART,
    TOOL_GROUND,
    TOOL_TEXT,
    TOOL_HELP,
    TOOL_LAST = TOOL_HELP,
    // Palette entries: PALETTE_FIRST + slot.
    PALETTE_FIRST = 21100,
    PALETTE_SLOTS = 20,
};

// Adds the buttons (bitmaps drawn once, on first use).
void fill_toolbar(wxToolBar* toolbar);
// Greys the buttons whose command is not available on the canvas (null:
// no window), by the command table.
void refresh_toolbar(wxToolBar* toolbar, EditCanvas* canvas);
// The palette: a pane of the main frame docked right of the drawing.
wxWindow* make_palette(wxWindow* parent);
