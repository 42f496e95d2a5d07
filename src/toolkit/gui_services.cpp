#include "toolkit/gui_services.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/gdicmn.h>
#include <wx/log.h>
#include <wx/utils.h>

#include "foundation/services.h"
#include "toolkit/asking.h"
#include "toolkit/enhanced_dialog.h"

namespace {

EnhancedDialog* as_dialog(void* dialog) { return static_cast<EnhancedDialog*>(dialog); }

bool gui_file_selector(const char* message, const char* directory, const char* default_name,
                       const char* default_suffix, const char* wildcard, int flags, void* parent,
                       std::string* chosen) {
    FileRequest request;
    request.message = message ? message : "";
    request.directory = directory ? directory : "";
    request.default_name = default_name ? default_name : "";
    request.default_extension = default_suffix ? default_suffix : "";
    if (wildcard && *wildcard) request.filters.push_back({"", wildcard, ""});
    request.flags = flags;
    request.parent = static_cast<wxWindow*>(parent);
    FileAnswer answer;
    if (!ask_file(request, &answer)) return false;
    *chosen = answer.path;
    return true;
}

}  // namespace

long wx_style_from_box_style(int style) {
    long wx = 0;
    if (style & MB_YES_NO)
        wx |= wxYES_NO;
    else if (style & MB_OK_BUTTON)
        wx |= wxOK;
    if (style & MB_CANCEL_BUTTON) wx |= wxCANCEL;
    if (style & MB_ICON_EXCLAMATION)
        wx |= wxICON_EXCLAMATION;
    else if (style & MB_ICON_STOP)
        wx |= wxICON_HAND;
    else if (style & MB_ICON_QUESTION)
        wx |= wxICON_QUESTION;
    else if (style & MB_ICON_INFORMATION)
        wx |= wxICON_INFORMATION;
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
        return ask_message(text, caption, style);
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
