#include "toolkit/gui_services.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/gdicmn.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "foundation/services.h"
#include "toolkit/enhanced_dialog.h"

namespace {

EnhancedDialog* as_dialog(void* dialog) { return static_cast<EnhancedDialog*>(dialog); }

wxString from_utf8(const char* text) { return text ? wxString::FromUTF8(text) : wxString(); }

bool gui_file_selector(const char* message, const char* directory, const char* default_name,
                       const char* default_suffix, const char* wildcard, int flags, void* parent,
                       std::string* chosen) {
    // Stored directories may carry DOS separators.
    std::string dir = directory ? directory : "";
    std::replace(dir.begin(), dir.end(), '\\', '/');
    wxString filter = wildcard && *wildcard ? wxString::FromUTF8(wildcard)
                                            : wxString(wxFileSelectorDefaultWildcardStr);
    wxString path = wxFileSelector(from_utf8(message), wxString::FromUTF8(dir),
                                   from_utf8(default_name), from_utf8(default_suffix), filter,
                                   static_cast<int>(wx_style_from_file_flags(flags)),
                                   static_cast<wxWindow*>(parent));
    if (path.empty()) return false;
    *chosen = path.utf8_string();
    return true;
}

}  // namespace

long wx_style_from_box_style(int style) {
    long wx = 0;
    if (style & MB_YES_NO) wx |= wxYES_NO;
    else if (style & MB_OK_BUTTON) wx |= wxOK;
    if (style & MB_CANCEL_BUTTON) wx |= wxCANCEL;
    if (style & MB_ICON_EXCLAMATION) wx |= wxICON_EXCLAMATION;
    else if (style & MB_ICON_STOP) wx |= wxICON_HAND;
    else if (style & MB_ICON_QUESTION) wx |= wxICON_QUESTION;
    else if (style & MB_ICON_INFORMATION) wx |= wxICON_INFORMATION;
    if (!(wx & (wxOK | wxYES_NO))) wx |= wxOK;
    return wx;
}

int box_answer_from_wx(int wx_answer) {
    switch (wx_answer) {
        case wxYES: return ANSWER_YES;
        case wxNO: return ANSWER_NO;
        case wxCANCEL: return ANSWER_CANCEL;
        default: return ANSWER_OK;
    }
}

long wx_style_from_file_flags(int flags) {
    long wx = (flags & FILE_SELECT_SAVE) ? wxFD_SAVE : wxFD_OPEN;
    if ((flags & FILE_SELECT_OVERWRITE_PROMPT) && (wx & wxFD_SAVE)) wx |= wxFD_OVERWRITE_PROMPT;
    return wx;
}

void gui_fatal_exit(const char* text, bool show_box) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    if (show_box) wxSafeShowMessage(wxS("Tessaron Schematic Editor"), wxString::FromUTF8(text));
    std::_Exit(1);
}

void install_gui_services() {
    Services s;
    s.message_box = [](const char* text, const char* caption, int style) {
        int answer = wxMessageBox(from_utf8(text), from_utf8(caption),
                                  wx_style_from_box_style(style) | wxCENTRE);
        return box_answer_from_wx(answer);
    };
    s.bell = [] { wxBell(); };
    // The debugger's channel here is the standard error stream. Texts go out
    // as given: the toolkit's own message outputs would add line ends and
    // break the progress spinner.
    s.debug_write = [](const char* text) {
        if (!debug_enabled) return;
        std::fputs(text, stderr);
        std::fflush(stderr);
    };
    s.fatal_exit = [](const char* text) {
        gui_fatal_exit(text, wxApp::GetGUIInstance() != nullptr);
    };
    s.dialog_set_message = [](void* d, const char* text) {
        if (d) as_dialog(d)->SetMessage(text);
    };
    s.dialog_set_pinned = [](void* d, bool pinned) {
        if (d) as_dialog(d)->SetPinned(pinned);
    };
    s.dialog_show = [](void* d, bool show, bool pinned) {
        if (d) as_dialog(d)->Show(show, pinned);
    };
    s.dialog_is_shown = [](void* d) { return d && as_dialog(d)->IsShown(); };
    s.file_selector = gui_file_selector;
    s.get_display_size = [](int* width, int* height) { wxDisplaySize(width, height); };
    s.get_screen_diagonal = [] { return 18.5; };
    install_services(s);
}
