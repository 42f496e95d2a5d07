#pragma once
// The application shell: the main frame (an MDI parent; on GTK its children
// are tabs), the child frames with their editing canvases, the log window,
// and the shell's global state. Every frame hands its command ids to
// menu_command (shell/menu_command.h); what a command does to a document
// is in plain functions.
#include <string>
#include <vector>

#include <wx/mdi.h>
#include <wx/timer.h>

#include "editor/gui/edit_canvas.h"
#include "shell/commands.h"
#include "toolkit/dialog_owner.h"
#include "toolkit/dock_pane.h"

class EnhancedDialog;
class MyChild;
class MyLog;
class wxTextCtrl;
class wxToolBar;
struct CommandCall;
struct Font;
struct NameStack;
struct SubSheet;

// Window kinds of the frames (subType).
enum : int { PARENT_TYPE = 1, CHILD_TYPE = 2, LOG_TYPE = 3 };

// Status-line fields: 0 the menu help, then the mode name, the prompt, the
// cursor position and "*MODIFIED*".
enum : int {
    STATUS_HELP = 0,
    STATUS_MODE = 1,
    STATUS_PROMPT = 2,
    STATUS_POSITION = 3,
    STATUS_MODIFIED = 4,
    STATUS_FIELDS = 5,
};

class MyFrame : public wxMDIParentFrame {
public:
    MyFrame(const wxString& title, const wxPoint& pos, const wxSize& size);
    ~MyFrame() override;

    int subType = PARENT_TYPE;
    // The dialogs of the whole program (the process dialogs, Shortcuts):
    // children of the frame, they go with it.
    DialogOwner dialogs;

    // The menu bar of a canvas kind (CANVAS_NONE without a child), built once
    // from the command table and owned by the frame or the child showing it.
    wxMenuBar* MakeMenuBar(int kind);
    // Greys or enables every entry of the bar by the command table and the
    // canvas's state.
    void RefreshMenus(wxMenuBar* bar, EditCanvas* canvas);
    void SetStatusField(int field, const wxString& text);
    wxToolBar* Toolbar() const { return toolbar_; }
    // The part palette: a pane docked right of the drawing (null until
    // first shown).
    wxWindow* Palette() const { return palette_; }
    void ShowPalette(bool show);
    // Hides a docked pane; the keys it had go to the current canvas.
    void HidePane(wxWindow* pane);
    // Lays the docked panes (the log below the drawing, the palette beside
    // it) and the drawing out in the frame: after a pane was shown, hidden
    // or resized. The frame's size changes do it themselves.
    void LayoutPanes();
    // Takes the place and size the frame had when the last run ended.
    void RestorePlace();

private:
    void OnMenu(wxCommandEvent& event);
    void OnTool(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnDropFiles(wxDropFilesEvent& event);
    void OnAutosave(wxTimerEvent& event);
    void OnSashDragged(wxSashEvent& event);
    void BuildToolbar();
    wxStatusBar* OnCreateStatusBar(int fields, long style, wxWindowID id,
                                   const wxString& name) override;

    wxToolBar* toolbar_ = nullptr;
    wxWindow* palette_ = nullptr;
    wxTimer autosave_timer_;
    friend void autosave_start();
    friend void autosave_stop();
};

class MyChild : public wxMDIChildFrame {
public:
    MyChild(MyFrame* parent, int kind, const wxString& title);
    ~MyChild() override;

    int subType = CHILD_TYPE;
    EditCanvas* canvas = nullptr;  // owned by the frame as its child window
    NameStack* names = nullptr;    // owned: the documents entered, root first
    // The folder an untitled sheet stands in until it is saved (with its
    // trailing separator): where its libraries are looked for and Save As
    // starts while the configured folders do not exist.
    std::string origin_folder;

    // The save question of the canvas's document; false when the user
    // cancelled or a save failed (the window then stays open).
    bool OkToClose();

private:
    void OnActivate(wxActivateEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnMenu(wxCommandEvent& event);
};

// The log: a pane docked below the drawing, hidden until there is
// something to read in it (its close button hides it again).
class MyLog : public DockPane {
public:
    explicit MyLog(wxWindow* parent);
    ~MyLog() override;
    int subType = LOG_TYPE;
    void Append(const char* text);
    wxString Text() const;

private:
    wxTextCtrl* text_ = nullptr;
};

// --- global state ---------------------------------------------------------------
extern MyFrame* main_frame;
extern MyLog* log_frame;
// The current canvas; null when no child is active.
extern EditCanvas* paint_zone;
// The child frames in creation order.
extern std::vector<MyChild*> my_children;

// --- child windows ----------------------------------------------------------------
// Opens the file in a new sheet child (as that sub-sheet box's sheet when
// one is given). On failure shows the error box, closes the child and
// answers null.
MyChild* open_sheet(const char* file_name, SubSheet* subsheet);
// A new child with an empty sheet titled "Untitled", standing in the folder
// of the sheet in front (its own or the one it was made in), else of the
// last sheet opened, else in the working folder.
MyChild* new_sheet_child();
// The library editor's and the template editor's windows, on the file when
// one is given (an empty document else). A file that cannot be read shows
// its code and name in an error box and opens nothing (null); the current
// window stays current.
MyChild* new_library_child(const char* file_name);
MyChild* new_template_child(const char* file_name);
// File > Open: a file chosen among the native files opens in the window of
// its kind (sheet, library or title block) by its header.
void open_document_command(const CommandCall& call);
// A child of that kind holding a new empty document, not shown yet.
MyChild* make_editor_child(int kind, const std::string& file_name);
// Shows a new child in front, its title and status line filled.
void show_child(MyChild* child);
// The full name of a document file: a name that exists as given (relative
// to the working directory) made absolute, else completed for the document
// kind (its directory and suffix).
std::string document_path(const char* file_name, int kind);
// The size of a new child window: LAST_WIDTH x LAST_HEIGHT, 600 x 500 when
// negative.
void child_frame_size(int* width, int* height);
// The child frame that holds the canvas, or null.
MyChild* child_of(EditCanvas* canvas);

// The native handle of a window (of the main frame for null).
void* window_handle(wxWindow* window);

// --- log ---------------------------------------------------------------------------
// Makes the log pane of the main frame, hidden, when missing: what is
// logged before it is shown waits in it.
void make_log_window();
// Adds text to the log of the main frame: into its pane when made, else
// kept for the pane.
void log_append(const char* text);
// Whether anything was logged into the main frame's log.
bool log_has_text();
// Shows the log pane (made when missing) below the drawing.
void show_log_window();

// --- stopping ------------------------------------------------------------------------
// Asks every child whether it may close, then closes them all; false when one
// refused (the stop is cancelled and every window stays open).
bool close_all_children();
