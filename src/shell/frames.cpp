// The main frame, the child frames and the log window.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/tooltip.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/nav_dialogs.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "platform/profile.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/toolbar.h"
#include "toolkit/enhanced_dialog.h"

MyFrame* main_frame = nullptr;
MyLog* log_frame = nullptr;
EditCanvas* paint_zone = nullptr;
std::vector<MyChild*> my_children;

namespace {

// The log pane is made when it is first shown, not at start: its text
// control is a good part of the window's first frame and not in its
// picture. What is logged before then waits here for it.
std::string& unmade_log() {
    static std::string text;
    return text;
}

// Builds one menu bar of the command table.
wxMenuBar* build_menu_bar(int kind) {
    const unsigned bar = 1u << kind;
    auto* menus = new wxMenuBar;
    for (int m = 0; m < MENU_COUNT; ++m) {
        auto* menu = new wxMenu;
        std::map<std::string, wxMenu*> submenus;
        bool last_was_separator = true;  // no separator leads a menu
        for (const CommandEntry& e : command_table()) {
            if (e.menu != m || !(e.bars & bar)) continue;
            if (e.id == 0) {
                if (!last_was_separator) menu->AppendSeparator();
                last_was_separator = true;
                continue;
            }
            wxMenu* into = menu;
            if (e.submenu) {
                wxMenu*& sub = submenus[e.submenu];
                if (!sub) {
                    sub = new wxMenu;
                    menu->AppendSubMenu(sub, wxString::FromUTF8(e.submenu));
                }
                into = sub;
            }
            into->Append(e.id, wxString::FromUTF8(e.label), wxString::FromUTF8(e.help));
            last_was_separator = false;
        }
        // A trailing separator is left by entries of other bars: drop it.
        size_t n = menu->GetMenuItemCount();
        if (n && menu->FindItemByPosition(n - 1)->IsSeparator())
            menu->Destroy(menu->FindItemByPosition(n - 1));
        if (menu->GetMenuItemCount() == 0) {
            delete menu;
            continue;
        }
        menus->Append(menu, menu_title(static_cast<MenuId>(m)));
    }
    return menus;
}

// A frame's place and size between runs: the toolkit's geometry fields,
// kept in a section of the settings file of their own (they are none of the
// numbered settings), each key the frame's name and the field's.
class FrameGeometry : public wxTopLevelWindow::GeometrySerializer {
public:
    explicit FrameGeometry(std::string frame) : frame_(std::move(frame)) {}
    bool SaveField(const wxString& name, int value) const override {
        write_private_profile_string(section, key(name).c_str(), std::to_string(value).c_str(),
                                     config_ini_name());
        return true;
    }
    bool RestoreField(const wxString& name, int* value) override {
        char text[32] = {};
        if (get_private_profile_string(section, key(name).c_str(), "", text, sizeof text,
                                       config_ini_name()) == 0)
            return false;
        char* end = nullptr;
        const long read = std::strtol(text, &end, 10);
        if (end == text || read < INT_MIN || read > INT_MAX) return false;
        *value = static_cast<int>(read);
        return true;
    }

private:
    static constexpr const char* section = "WINDOWS";
    std::string key(const wxString& name) const { return frame_ + "_" + name.utf8_string(); }
    std::string frame_;
};

// The status line. The modified mark's field is drawn with the window's next
// frame, together with the edit that set it: the toolkit's own status line
// paints a changed field at once, which costs a round trip to the display
// and a paint of whatever else of the window waits, and puts the mark a
// frame apart from the drawing of the edit.
class StatusLine : public wxStatusBar {
public:
    StatusLine(wxWindow* parent, wxWindowID id, long style, const wxString& name)
        : wxStatusBar(parent, id, style, name) {}

protected:
    void DoUpdateStatusText(int field) override {
        wxRect area;
        if (field != STATUS_MODIFIED)
            wxStatusBar::DoUpdateStatusText(field);
        else if (GetFieldRect(field, area))
            Refresh(true, &area);
    }
};

}  // namespace

// --- main frame -----------------------------------------------------------------------

MyFrame::MyFrame(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxMDIParentFrame(nullptr, wxID_ANY, title, pos, size,
                       wxDEFAULT_FRAME_STYLE | wxVSCROLL | wxHSCROLL, wxS("MainFrame")),
      autosave_timer_(this) {
    main_frame = this;
    SetMenuBar(MakeMenuBar(CANVAS_NONE));
    wxStatusBar* status = CreateStatusBar(STATUS_FIELDS);
    // The last field holds "*MODIFIED*" whole at any width of the frame,
    // beside the size grip; the others share the rest.
    const int modified = status->GetTextExtent(wxS("*MODIFIED*")).x + 32;
    const int widths[STATUS_FIELDS] = {-3, -2, -3, -2, modified};
    SetStatusWidths(STATUS_FIELDS, widths);
    BuildToolbar();
    // Tool-tips wait as long as the buttons always did.
    wxToolTip::SetDelay(650);
    DragAcceptFiles(true);
    Bind(wxEVT_MENU, &MyFrame::OnMenu, this, CMD_FIRST, CMD_LAST);
    Bind(wxEVT_TOOL, &MyFrame::OnTool, this, TOOL_FIRST, TOOL_LAST);
    Bind(wxEVT_CLOSE_WINDOW, &MyFrame::OnClose, this);
    Bind(wxEVT_DROP_FILES, &MyFrame::OnDropFiles, this);
    Bind(wxEVT_TIMER, &MyFrame::OnAutosave, this);
    // The panes and the drawing share the frame at every size.
    Bind(wxEVT_SIZE, [this](wxSizeEvent&) { LayoutPanes(); });
    Bind(wxEVT_SASH_DRAGGED, &MyFrame::OnSashDragged, this);
    // F1 opens the help of what the user is doing: the current mode's page.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_F1 && event.GetModifiers() == wxMOD_NONE)
            show_mode_help(paint_zone);
        else
            event.Skip();
    });
    RefreshMenus(GetMenuBar(), nullptr);
}

MyFrame::~MyFrame() {
    autosave_timer_.Stop();
    // The program's dialogs are the frame's children and go with it.
    dialogs.forget();
    main_frame = nullptr;
    unmade_log().clear();  // this frame's log goes with it
}

wxMenuBar* MyFrame::MakeMenuBar(int kind) { return build_menu_bar(kind); }

void MyFrame::RestorePlace() {
    FrameGeometry place("MAIN");
    RestoreToGeometry(place);
}

void MyFrame::RefreshMenus(wxMenuBar* bar, EditCanvas* canvas) {
    if (!bar) return;
    const CommandState state = command_state(canvas);
    for (const CommandEntry& e : command_table()) {
        if (e.id == 0) continue;
        if (wxMenuItem* item = bar->FindItem(e.id)) item->Enable(command_enabled(e.id, state));
    }
    if (canvas) fill_bookmark_menus(canvas, canvas->mySchema);
    if (toolbar_) refresh_toolbar(toolbar_, canvas);
}

void MyFrame::SetStatusField(int field, const wxString& text) {
    if (GetStatusBar() && field >= 0 && field < STATUS_FIELDS) SetStatusText(text, field);
}

wxStatusBar* MyFrame::OnCreateStatusBar(int fields, long style, wxWindowID id,
                                        const wxString& name) {
    auto* bar = new StatusLine(this, id, style, name);
    bar->SetFieldsCount(fields);
    return bar;
}

void MyFrame::BuildToolbar() {
    toolbar_ = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    fill_toolbar(toolbar_);
    toolbar_->Show(proper_get(SHOW_FRAME_TOOLBAR) != 0);
}

void MyFrame::ShowPalette(bool show) {
    if (!palette_ && show) {
        // The panes are laid out in the order they were made: the log,
        // made first, spans the frame's width below the palette.
        make_log_window();
        palette_ = make_palette(this);
    }
    if (!palette_) return;
    if (!show) {
        HidePane(palette_);
        return;
    }
    palette_->Show();
    LayoutPanes();
}

void MyFrame::HidePane(wxWindow* pane) {
    const bool had_keys = pane->IsDescendant(wxWindow::FindFocus());
    pane->Hide();
    LayoutPanes();
    if (had_keys && paint_zone) paint_zone->SetFocus();
}

void MyFrame::LayoutPanes() {
    if (!GetClientWindow()) return;
    // However large the user made them, the panes leave the drawing at
    // least half the frame.
    const wxSize room = GetClientSize();
    if (log_frame) log_frame->LimitTo(room.y / 2);
    if (palette_) static_cast<DockPane*>(palette_)->LimitTo(room.x / 2);
    wxLayoutAlgorithm().LayoutMDIFrame(this);
}

void MyFrame::OnSashDragged(wxSashEvent& event) {
    DockPane* pane = dock_pane_dragged(event);
    if (!pane) return;
    // The log keeps the height the user gave it for the next start.
    if (pane == log_frame) proper_set(LOG_HEIGHT, pane->Thickness(), 0);
    LayoutPanes();
}

void MyFrame::OnMenu(wxCommandEvent& event) { menu_command(paint_zone, event.GetId(), 0); }

void MyFrame::OnTool(wxCommandEvent& event) { toolbar_command(event.GetId()); }

void MyFrame::OnClose(wxCloseEvent& event) {
    if (!close_all_children() && event.CanVeto()) {
        event.Veto();
        return;
    }
    if (config_write_flag && !IsIconized()) {
        FrameGeometry place("MAIN");
        SaveGeometry(place);
    }
    autosave_stop();
    // The log and the palette are the frame's panes and go with it.
    Destroy();
}

void MyFrame::OnDropFiles(wxDropFilesEvent& event) {
    for (int i = 0; i < event.GetNumberOfFiles(); ++i)
        open_sheet(event.GetFiles()[i].utf8_string().c_str(), nullptr);
}

void MyFrame::OnAutosave(wxTimerEvent&) { autosave_all(); }

void autosave_start() {
    if (!main_frame) return;
    int minutes = proper_get(MINUTES_BACK);
    main_frame->autosave_timer_.Stop();
    if (minutes > 0) main_frame->autosave_timer_.Start(minutes * 60 * 1000);
}

void autosave_stop() {
    if (main_frame) main_frame->autosave_timer_.Stop();
}

bool close_all_children() {
    // Every window is asked before any closes: a Cancel at the third
    // question leaves all of them open, the saved ones too. Copy: closing a
    // child takes it out of the list.
    std::vector<MyChild*> children = my_children;
    for (MyChild* child : children)
        if (!child->OkToClose()) return false;
    for (MyChild* child : children) child->Destroy();
    return true;
}

// --- child frames -----------------------------------------------------------------------

MyChild::MyChild(MyFrame* parent, int kind, const wxString& title)
    : wxMDIChildFrame(parent, wxID_ANY, title) {
    int w, h;
    child_frame_size(&w, &h);
    SetSize(w, h);
    canvas = new EditCanvas(this, kind);
    // Born at the child's size: a canvas of the toolkit's default size would
    // be laid out once below its scroll bars' minimum before the tab takes it.
    canvas->SetSize(w, h);
    SetMenuBar(parent->MakeMenuBar(kind));
    my_children.push_back(this);
    paint_zone = canvas;
    // The new child is the one the user works in: its canvas takes the keys
    // (F1 among them) also when the child opens into a frame already shown.
    canvas->SetFocus();
    DragAcceptFiles(true);
    Bind(wxEVT_DROP_FILES, [](wxDropFilesEvent& event) {
        for (int i = 0; i < event.GetNumberOfFiles(); ++i)
            open_sheet(event.GetFiles()[i].utf8_string().c_str(), nullptr);
    });
    Bind(wxEVT_ACTIVATE, &MyChild::OnActivate, this);
    Bind(wxEVT_CLOSE_WINDOW, &MyChild::OnClose, this);
    Bind(wxEVT_MENU, &MyChild::OnMenu, this, CMD_FIRST, CMD_LAST);
    parent->RefreshMenus(GetMenuBar(), canvas);
}

MyChild::~MyChild() {
    my_children.erase(std::remove(my_children.begin(), my_children.end(), this), my_children.end());
    if (paint_zone == canvas) paint_zone = nullptr;
    free_NameStack(names);
    if (main_frame && my_children.empty()) {
        main_frame->SetStatusField(STATUS_MODE, wxEmptyString);
        main_frame->SetStatusField(STATUS_PROMPT, wxEmptyString);
        main_frame->SetStatusField(STATUS_POSITION, wxEmptyString);
        main_frame->SetStatusField(STATUS_MODIFIED, wxEmptyString);
        main_frame->RefreshMenus(main_frame->GetMenuBar(), nullptr);
    }
}

bool MyChild::OkToClose() { return canvas ? canvas->OkToClose() : true; }

void MyChild::OnActivate(wxActivateEvent& event) {
    if (event.GetActive() && canvas) {
        paint_zone = canvas;
        shortcuts_refresh(canvas);
        if (main_frame) {
            main_frame->RefreshMenus(GetMenuBar(), canvas);
            canvas_redraw_and_status(canvas);
        }
    }
    event.Skip();
}

void MyChild::OnClose(wxCloseEvent& event) {
    if (!OkToClose() && event.CanVeto()) {
        event.Veto();
        return;
    }
    Destroy();
}

void MyChild::OnMenu(wxCommandEvent& event) {
    services().debug_write("Command for child frame\n");
    menu_command(canvas, event.GetId(), 0);
}

// --- log window ---------------------------------------------------------------------------

MyLog::MyLog(wxWindow* parent)
    : DockPane(parent, wxS("Tessaron Log"), wxLAYOUT_BOTTOM, proper_get(LOG_HEIGHT), [this] {
          if (main_frame) main_frame->HidePane(this);
      }) {
    // Long lines wrap at the pane's edge: a message is read whole without
    // scrolling sideways.
    text_ = new wxTextCtrl(Body(), wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                           wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    SetContent(text_);
}

MyLog::~MyLog() {
    if (log_frame == this) log_frame = nullptr;
}

void MyLog::Append(const char* text) {
    // Text arrives as the jobs print it: line ends only where they wrote one.
    text_->AppendText(wxString::FromUTF8(text ? text : ""));
}

wxString MyLog::Text() const { return text_->GetValue(); }

void log_append(const char* text) {
    if (log_frame)
        log_frame->Append(text);
    else
        unmade_log() += text ? text : "";
}

bool log_has_text() { return log_frame ? !log_frame->Text().empty() : !unmade_log().empty(); }

void make_log_window() {
    if (log_frame || !main_frame) return;
    log_frame = new MyLog(main_frame);
    log_frame->Hide();
    if (!unmade_log().empty()) {
        log_frame->Append(unmade_log().c_str());
        unmade_log().clear();
    }
}

void show_log_window() {
    make_log_window();
    if (!log_frame || log_frame->IsShown()) return;
    log_frame->Show();
    main_frame->LayoutPanes();
}

// --- dialogs ---------------------------------------------------------------------------------

void* window_handle(wxWindow* window) {
    if (!window) window = main_frame;
    return window ? reinterpret_cast<void*>(window->GetHandle()) : nullptr;
}
