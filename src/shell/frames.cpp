// The main frame, the child frames and the log window.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <wx/display.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/tooltip.h>

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
bool zoom_fit_pending = false;
std::vector<EnhancedDialog**> dialog_list;

namespace {

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

}  // namespace

// --- main frame -----------------------------------------------------------------------

MyFrame::MyFrame(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxMDIParentFrame(nullptr, wxID_ANY, title, pos, size,
                       wxDEFAULT_FRAME_STYLE | wxVSCROLL | wxHSCROLL, wxS("MainFrame")),
      autosave_timer_(this) {
    main_frame = this;
    SetMenuBar(MakeMenuBar(CANVAS_NONE));
    CreateStatusBar(STATUS_FIELDS);
    const int widths[STATUS_FIELDS] = {-3, -2, -3, -2, -1};
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
    // The registered dialogs are the frame's children and go with it.
    for (EnhancedDialog** global : dialog_list) *global = nullptr;
    dialog_list.clear();
    main_frame = nullptr;
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

void MyFrame::BuildToolbar() {
    toolbar_ = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    fill_toolbar(toolbar_);
    toolbar_->Show(proper_get(SHOW_FRAME_TOOLBAR) != 0);
}

void MyFrame::ShowPalette(bool show) {
    if (!palette_ && show) palette_ = make_palette(this);
    if (palette_) palette_->Show(show);
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
    if (log_frame) log_frame->Destroy();
    if (palette_) palette_->Destroy();
    palette_ = nullptr;
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
    // Copy: closing a child takes it out of the list.
    std::vector<MyChild*> children = my_children;
    for (MyChild* child : children) {
        if (!child->OkToClose()) return false;
        child->Destroy();
    }
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

MyLog::MyLog(wxWindow* parent, const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxFrame(parent, wxID_ANY, title, pos, size, wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT,
              wxS("LogWindow")) {
    // Long lines wrap at the window's edge: a message is read whole
    // without scrolling sideways.
    text_ = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                           wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    // The user's close box hides the window: the log keeps its text.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (event.CanVeto() && main_frame) {
            event.Veto();
            Hide();
        } else {
            Destroy();
        }
    });
}

MyLog::~MyLog() {
    if (log_frame == this) log_frame = nullptr;
}

void MyLog::Append(const char* text) {
    // Text arrives as the jobs print it: line ends only where they wrote one.
    text_->AppendText(wxString::FromUTF8(text ? text : ""));
}

wxString MyLog::Text() const { return text_->GetValue(); }

Point log_window_place(const Rect& frame, const Rect& work_area, int width, int height) {
    const int64_t right = int64_t{work_area.x} + work_area.w,
                  bottom = int64_t{work_area.y} + work_area.h;
    const int64_t frame_bottom = int64_t{frame.y} + frame.h;
    int64_t x = int64_t{frame.x} + frame.w - width;
    int64_t y = frame_bottom + height <= bottom ? frame_bottom : frame_bottom - height;
    x = std::max<int64_t>(std::min<int64_t>(x, right - width), work_area.x);
    y = std::max<int64_t>(std::min<int64_t>(y, bottom - height), work_area.y);
    return Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

void make_log_window() {
    if (log_frame) return;
    log_frame = new MyLog(
        main_frame, wxS("Tessaron Log"), wxDefaultPosition,
        wxSize(std::max(proper_get(LOG_WIDTH), 100), std::max(proper_get(LOG_HEIGHT), 80)));
}

void show_log_window() {
    make_log_window();
    if (!log_frame->placed && main_frame && main_frame->IsShown()) {
        const wxRect f = main_frame->GetScreenRect();
        const int display = wxDisplay::GetFromWindow(main_frame);
        const wxRect area =
            wxDisplay(display == wxNOT_FOUND ? 0u : unsigned(display)).GetClientArea();
        const wxSize size = log_frame->GetSize();
        const Point at =
            log_window_place({f.x, f.y, f.width, f.height},
                             {area.x, area.y, area.width, area.height}, size.x, size.y);
        log_frame->Move(at.x, at.y);
        log_frame->placed = true;
    }
    log_frame->Show();
    log_frame->Raise();
}

// --- dialogs ---------------------------------------------------------------------------------

void* window_handle(wxWindow* window) {
    if (!window) window = main_frame;
    return window ? reinterpret_cast<void*>(window->GetHandle()) : nullptr;
}

void center_dialog(wxWindow* dialog) {
    if (!dialog) return;
    if (main_frame)
        dialog->CentreOnParent();
    else
        dialog->Centre();
}

void destroy_registered_dialog(EnhancedDialog& dialog) {
    for (auto it = dialog_list.begin(); it != dialog_list.end(); ++it) {
        if (**it == &dialog) {
            **it = nullptr;
            dialog_list.erase(it);
            break;
        }
    }
    dialog.Destroy();
}
