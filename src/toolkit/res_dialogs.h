#pragma once
// The registry of the program's five tabbed and resource dialogs (tip of
// the day, Preferences, Load Part, Statistics, Print Preview): one row
// each, holding the open window (none while closed), the view that opened
// it and its pages, and a map from an open window back to its row. A
// second request to open a dialog that is open brings the open one
// forward instead.
#include <initializer_list>
#include <map>

#include "foundation/geometry.h"

class wxWindow;

enum ResDialogRow : int {
    RES_DAYTIPS = 0,
    RES_PREFERENCES = 1,
    RES_LOAD_PART = 2,
    RES_STATS = 3,
    RES_PRINT_PREVIEW = 4,
    RES_DIALOG_COUNT = 5,
};

constexpr int RES_MAX_PAGES = 10;

struct ResPage {
    const char* title;          // the tab's text
    const char* page_template;  // the page's name
    long help_context;
};

struct ResDialog {
    const char* template_name;
    const char* title;
    int tab_control;             // the notebook's id; 0 for a plain dialog
    wxWindow* window = nullptr;  // not owned: the open dialog
    int page_count = 0;
    bool modal = true;
    bool per_view = false;  // closed when another view becomes current
    bool changed[RES_MAX_PAGES] = {};
    ResPage pages[RES_MAX_PAGES] = {};
    void* owner_view = nullptr;  // not owned: the view current at the opening
    wxWindow* page_windows[RES_MAX_PAGES] = {};
};

extern ResDialog res_dialogs[RES_DIALOG_COUNT];
// The row being opened or handled last.
extern int res_dialog_current;
// The open dialogs' windows and their rows.
extern std::map<wxWindow*, int> res_dialog_windows;

// False, after bringing the open window forward, when the row's dialog is
// open; else the row becomes current with that owner view, its page flags
// cleared, and true.
bool res_dialog_begin(int row, void* owner_view);
// The dialog of a row was made / is going: the row and the map follow.
void res_dialog_opened(int row, wxWindow* window);
void res_dialog_closed(wxWindow* window);
// The row of an open dialog's window, or -1.
int native_dlg_index(wxWindow* window);
// Closes every open dialog when `all` is set, else those of a per-view row
// whose owner is not the current view.
void close_res_dialogs(bool all, void* current_view);
// Where a window of that size stands centred over the frame: each
// half-difference truncated toward zero and raised to 0, so that a window
// larger than the frame stands at its top-left corner.
Point center_on_frame(const Rect& frame, int width, int height);
// Moves the window, keeping its size, centred over the frame's window.
void center_window_on(wxWindow* window, wxWindow* frame);

// The check box of that id in a dialog: checks or clears it / 1 when it is
// checked (0 for none).
void check_set(wxWindow* dialog, int id, bool state);
int check_get(wxWindow* dialog, int id);
// Checks the radio button at `index` of the ids and clears the others.
void radio_set(wxWindow* dialog, int index, std::initializer_list<int> ids);
// The position of the first checked button of the ids; 0 when none is
// checked (the same as the first).
int radio_get(wxWindow* dialog, std::initializer_list<int> ids);
